#pragma once

namespace velmora {

struct Editor;

// Sets W and H (refusing a pair outside 8/16 x 2..16), shows them in the spin
// edits, clears the overview, selects the first character, redraws the grid frame, re-reads.
void applyFormat(Editor &editor, int width, int height);
// Writes the state's flags into the check list without running ckClick.
void showFlags(Editor &editor);
// Writes W and H into the spin edits without running spChange.
void showFormat(Editor &editor);

void spChange(Editor &editor);
void ckClick(Editor &editor);
// The size preset buttons 8x9, 8x11, 8x13, 16x10, 16x12 and 16x16.
void PrCh1(Editor &editor);
void PrCh2(Editor &editor);
void PrCh3(Editor &editor);
void PrCh4(Editor &editor);
void PrCh5(Editor &editor);
void PrCh6(Editor &editor);

} // namespace velmora
