#pragma once
#include <optional>

#include <QFont>
#include <QString>
#include <QStringList>

#include "exchange/glyph_sheet.h"

namespace velmora {

// Adds a font file (TTF, OTF, PCF, BDF: whatever Qt's font engine reads) to
// the application's fonts; returns its family, or an empty text when the file
// holds no font.
QString loadFontFile(const QString &path);

// The font of family at pixelSize, drawn without anti-aliasing and without
// taking missing characters from other fonts.
QFont bitmapFont(const QString &family, int pixelSize);

// A character typed as itself ("A") or as a code point ("U+0041").
std::optional<char32_t> parseCharacter(const QString &text);

// Characters first .. first + count - 1 drawn in cells of cellWidth x
// cellHeight pixels, the baseline at the font's ascent plus verticalOffset;
// a pixel is set where the drawing is dark. Each width byte is the
// character's advance, at most cellWidth.
// maxLevel: 1 for ink or paper; 3 or 15 for levels from the font's anti-aliasing.
SheetGlyphs renderGlyphs(const QFont &font, char32_t first, int count, int cellWidth, int cellHeight, int verticalOffset,
                         int maxLevel = 1);

// Each text drawn as one character cell, as renderGlyphs draws a character.
SheetGlyphs renderTexts(const QFont &font, const QStringList &texts, int cellWidth, int cellHeight, int verticalOffset,
                        int maxLevel = 1);
// True when every character of text is in font itself.
bool fontHasText(const QFont &font, const QString &text);

} // namespace velmora
