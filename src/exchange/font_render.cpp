#include "exchange/font_render.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace velmora {

QString loadFontFile(const QString &path)
{
    const int id = QFontDatabase::addApplicationFont(path);
    return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
}

QFont bitmapFont(const QString &family, int pixelSize)
{
    QFont font(family);
    font.setPixelSize(std::max(pixelSize, 1));
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    return font;
}

std::optional<char32_t> parseCharacter(const QString &text)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("U+"), Qt::CaseInsensitive) && t.size() > 2) {
        bool ok = false;
        const uint code = t.mid(2).toUInt(&ok, 16);
        if (ok && code <= 0x10FFFF)
            return char32_t{code};
        return std::nullopt;
    }
    const QList<uint> codes = text.toUcs4();
    if (codes.size() == 1)
        return char32_t{codes.front()};
    return std::nullopt;
}

namespace {

// Draws text into cell k of glyphs with its advance as the width byte. With
// maxLevel above 1 the font's anti-aliasing gives the levels.
void drawCell(SheetGlyphs &glyphs, int k, const QFont &font, const QString &text, int verticalOffset, QImage &cell,
              int maxLevel)
{
    const QFontMetrics metrics(font);
    const int baseline = metrics.ascent() + verticalOffset;
    cell.fill(Qt::white);
    QPainter painter(&cell);
    QFont drawn = font;
    if (maxLevel > 1)
        drawn.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoFontMerging));
    painter.setRenderHint(QPainter::TextAntialiasing, maxLevel > 1);
    painter.setFont(drawn);
    painter.setPen(Qt::black);
    painter.drawText(0, baseline, text);
    painter.end();
    for (int y = 0; y < glyphs.cellHeight; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(cell.constScanLine(y));
        for (int x = 0; x < glyphs.cellWidth; ++x)
            glyphs.pixel(k, x, y) = maxLevel == 1 ? (qGray(row[x]) < 128 ? 1 : 0)
                                                  : static_cast<uint8_t>(((255 - qGray(row[x])) * maxLevel * 2 + 255) / 510);
    }
    glyphs.widths[static_cast<size_t>(k)] =
        static_cast<uint8_t>(std::clamp(metrics.horizontalAdvance(text), 0, glyphs.cellWidth));
}

// The font at a pixel size whose ascent and descent both fit in the cell's
// rows, so that descenders keep their tails: smaller than asked when the
// font is taller than the cell.
QFont fittedToCell(QFont font, int cellHeight)
{
    while (font.pixelSize() > 4 && QFontMetrics(font).ascent() + QFontMetrics(font).descent() > cellHeight)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

} // namespace

SheetGlyphs renderGlyphs(const QFont &font, char32_t first, int count, int cellWidth, int cellHeight, int verticalOffset,
                         int maxLevel)
{
    SheetGlyphs glyphs(cellWidth, cellHeight, count);
    QImage cell(cellWidth, cellHeight, QImage::Format_RGB32);
    const QFont fitted = fittedToCell(font, cellHeight);
    for (int k = 0; k < count; ++k) {
        const char32_t code = first + static_cast<char32_t>(k);
        // Surrogates and values past the last code point name no character.
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            continue;
        drawCell(glyphs, k, fitted, QString::fromUcs4(&code, 1), verticalOffset, cell, maxLevel);
    }
    return glyphs;
}

SheetGlyphs renderTexts(const QFont &font, const QStringList &texts, int cellWidth, int cellHeight, int verticalOffset,
                        int maxLevel)
{
    SheetGlyphs glyphs(cellWidth, cellHeight, static_cast<int>(texts.size()));
    QImage cell(cellWidth, cellHeight, QImage::Format_RGB32);
    const QFont fitted = fittedToCell(font, cellHeight);
    for (int k = 0; k < glyphs.count(); ++k)
        drawCell(glyphs, k, fitted, texts[k], verticalOffset, cell, maxLevel);
    return glyphs;
}

bool fontHasText(const QFont &font, const QString &text)
{
    const QFontMetrics metrics(font);
    const QList<uint> codes = text.toUcs4();
    return !codes.isEmpty() && std::all_of(codes.begin(), codes.end(), [&metrics](uint c) { return metrics.inFontUcs4(c); });
}

} // namespace velmora
