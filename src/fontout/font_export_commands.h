#pragma once

namespace velmora {

struct Editor;

// File > Export > "Font as BDF...", "Font as PSF2...", "Font as C source...":
// the block's whole glyphs from its start in the current format, coded by the
// character map that governs the block start (else from code 20 hex on).
void ExportBdf1Click(Editor &editor);
void ExportPsf1Click(Editor &editor);
void ExportC1Click(Editor &editor);

} // namespace velmora
