#pragma once

namespace velmora {

struct Editor;

// File > Save patch...: the differences between the reference (without one,
// the file as it was last opened or saved) and the image, in the format of
// the chosen name's extension.
void SavePatch1Click(Editor &editor);
// File > Apply patch...: the chosen patch applied to the image through the
// one write path, then a re-read. Any refusal leaves every byte as it was.
void ApplyPatch1Click(Editor &editor);

} // namespace velmora
