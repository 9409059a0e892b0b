#pragma once

#include "layout/glyph_format.h"

namespace velmora {

struct Editor;

// Applies any format: the layout, W, H and the options; a width table
// counts glyphs from V. Shows it in the described controls and FormatText.
void applyGlyphFormat(Editor &editor, const GlyphFormat &format);
// Enter in FormatText: applies the typed string; a string that names no
// format changes nothing and throws EditorError saying why.
void FormatTextEnter(Editor &editor);
// The layout menu: the current format with another layout (its options
// kept where the layout takes them), or with an option toggled.
void chooseLayout(Editor &editor, Layout layout);
void toggleLayoutOption(Editor &editor, const char *option);
void chooseBitsPerPixel(Editor &editor, int bpp);

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
