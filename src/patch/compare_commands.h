#pragma once

class QString;

namespace velmora {

struct Editor;

// File > Compare with...: a second image, read whole, becomes the reference
// that the overview marks differences from. A failed read keeps the old one.
void Compare1Click(Editor &editor);
// File > Stop comparing: forgets the reference.
void CompareOff1Click(Editor &editor);
// Navigation > Next change / Previous change: the character holding the
// next (previous) differing byte, on the character grid of the view offset,
// selected as a click on the overview would: on the page when it lies there,
// else on a page that starts with it (or ends with it near the image end).
void NextChange1Click(Editor &editor);
void PrevChange1Click(Editor &editor);
// Shows how many bytes differ from the reference, in how many runs; hides the
// status and disables the compare actions without a reference.
void showCompareStatus(Editor &editor);
// Shows a word about a compare or patch command that changed nothing on
// screen ("No further change", "Patch saved: ..."), until the next refresh
// puts the count back (or hides the status when nothing is compared).
void sayInCompareStatus(Editor &editor, const QString &text);

} // namespace velmora
