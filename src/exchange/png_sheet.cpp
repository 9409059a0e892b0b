#include "exchange/png_sheet.h"

#include <QBuffer>
#include <QPainter>

#include "model/errors.h"
#include "model/format.h"
#include "model/text_format.h"

namespace velmora {

namespace {

constexpr int maxSheetChars = 65536;
constexpr uchar paper = 255;
constexpr uchar ink = 0;
constexpr uchar line = 160; // lighter than half, so it never reads as ink

const QString formatKey = QStringLiteral("Velmora-Format");
const QString flagsKey = QStringLiteral("Velmora-Flags");
const QString offsetKey = QStringLiteral("Velmora-Offset");
const QString countKey = QStringLiteral("Velmora-Count");
const QString widthsKey = QStringLiteral("Velmora-Widths");

// A positive decimal key, or 0 when absent or malformed.
int countOf(const QImage &image)
{
    bool ok = false;
    const int count = image.text(countKey).toInt(&ok);
    return ok && count > 0 ? count : 0;
}

// The grey a level of maxLevel is drawn in: 255 - round(255 L / M).
uchar greyOf(int level, int maxLevel) { return static_cast<uchar>(255 - (255 * level * 2 + maxLevel) / (2 * maxLevel)); }

// The nearest level to a grey.
uint8_t levelOf(uchar grey, int maxLevel) { return static_cast<uint8_t>(((255 - grey) * maxLevel * 2 + 255) / 510); }

// What the format key holds: "WxH" for the width-byte layout (its flags have
// their own key), the format string for the others.
QString formatKeyText(const EditorState &s)
{
    if (widthByteLayout(s))
        return QStringLiteral("%1x%2").arg(s.charWidth).arg(s.charHeight);
    return QString::fromStdString(formatText(glyphFormatOf(s)));
}

} // namespace

QString cellText(int width, int height) { return QStringLiteral("%1 x %2").arg(width).arg(height); }

QImage sheetImage(const SheetGlyphs &glyphs, const EditorState &s, int64_t offset)
{
    const SheetGeometry g = sheetGeometry(glyphs.cellWidth, glyphs.cellHeight, glyphs.count());
    QImage image(g.width(), g.height(), QImage::Format_Grayscale8);
    // 96 dots per inch, whatever the screen: the same sheet gives the same
    // file from the window and from the command line.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(line);
    const int maxLevel = glyphFormatOf(s).maxLevel();
    for (int k = 0; k < glyphs.count(); ++k) {
        for (int y = 0; y < g.cellHeight; ++y) {
            uchar *row = image.scanLine(g.cellTop(k) + y) + g.cellLeft(k);
            for (int x = 0; x < g.cellWidth; ++x) {
                const uint8_t level = glyphs.pixel(k, x, y);
                row[x] = maxLevel == 1 ? (level ? ink : paper) : greyOf(std::min<int>(level, maxLevel), maxLevel);
            }
        }
    }
    QString flags;
    for (int f = 0; f < flagCount; ++f)
        flags += s.flags[static_cast<size_t>(f)] ? QLatin1Char('t') : QLatin1Char('f');
    QString widths;
    widths.reserve(2 * glyphs.count());
    for (uint8_t w : glyphs.widths)
        widths += QStringLiteral("%1").arg(w, 2, 16, QLatin1Char('0')).toUpper();
    image.setText(formatKey, formatKeyText(s));
    image.setText(flagsKey, flags);
    image.setText(offsetKey, QString::fromStdString(hex8(offset)));
    image.setText(countKey, QString::number(glyphs.count()));
    image.setText(widthsKey, widths);
    return image;
}

SheetRead readSheetImage(const QImage &image, const EditorState &s)
{
    const int cellWidth = s.charWidth;
    const int cellHeight = s.charHeight - 1;
    int count = countOf(image);
    const int rows = count > 0 ? sheetGeometry(cellWidth, cellHeight, count).rows
                               : std::max(1, (image.height() - 1) / (cellHeight + 1));
    if (count == 0)
        count = rows * SheetGeometry::columns;
    const SheetGeometry g = sheetGeometry(cellWidth, cellHeight, count);

    if (image.isNull() || image.width() != g.width() || image.height() != g.height()) {
        // The cells the picture has: as its format key names them, else as its size gives them.
        int foundWidth = (image.width() - SheetGeometry::columns - 1) / SheetGeometry::columns;
        int foundHeight = (image.height() - rows - 1) / rows;
        if (const auto format = parseFormatText(image.text(formatKey).toStdString())) {
            foundWidth = format->width;
            foundHeight = format->pixelRows();
        }
        throw EditorError(QStringLiteral("The sheet does not fit the format %1: expected cells of %2 pixels "
                                         "(a sheet of %3 pixels), found cells of %4 pixels (a sheet of %5 pixels)")
                              .arg(widthByteLayout(s) ? cellText(s.charWidth, s.charHeight) : formatKeyText(s),
                                   cellText(cellWidth, cellHeight),
                                   cellText(g.width(), g.height()), cellText(foundWidth, foundHeight),
                                   cellText(image.width(), image.height()))
                              .toStdString());
    }

    SheetRead read{SheetGlyphs(cellWidth, cellHeight, count), false};
    // Transparent pixels are paper: the picture is laid on white first.
    QImage flat = image;
    if (image.hasAlphaChannel()) {
        flat = QImage(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
    }
    const QImage grey = flat.convertToFormat(QImage::Format_Grayscale8);
    const int maxLevel = glyphFormatOf(s).maxLevel();
    for (int k = 0; k < count; ++k) {
        for (int y = 0; y < cellHeight; ++y) {
            const uchar *row = grey.constScanLine(g.cellTop(k) + y) + g.cellLeft(k);
            for (int x = 0; x < cellWidth; ++x)
                read.glyphs.pixel(k, x, y) = maxLevel == 1 ? (row[x] < 128 ? 1 : 0) : levelOf(row[x], maxLevel);
        }
    }
    const QString widths = image.text(widthsKey);
    if (countOf(image) == count && widths.size() == 2 * count) {
        read.hasWidths = true;
        for (int k = 0; k < count; ++k) {
            bool ok = false;
            read.glyphs.widths[static_cast<size_t>(k)] = static_cast<uint8_t>(widths.mid(2 * k, 2).toUInt(&ok, 16));
            read.hasWidths = read.hasWidths && ok;
        }
    }
    return read;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Quality 89 is zlib's fastest level: a sheet is mostly runs of paper, and
    // the default level takes five times as long for a file only 15% smaller.
    if (!image.save(&buffer, "PNG", 89))
        throw EditorError("The sheet could not be encoded as PNG");
    return bytes;
}

QImage imageFromPng(const QByteArray &bytes) { return QImage::fromData(bytes, "PNG"); }

void checkSheetCount(const EditorState &s, int64_t offset, int64_t count)
{
    if (count <= 0)
        throw EditorError("No whole character of the format "
                          + (widthByteLayout(s) ? cellText(s.charWidth, s.charHeight) : formatKeyText(s)).toStdString()
                          + " lies inside the image at " + hex8(offset));
    // 65536 characters of 16 x 16 make a picture of 273 x 69633 pixels, which
    // image editors still open; a whole image in one sheet would not be.
    if (count > maxSheetChars)
        throw EditorError("A sheet holds at most " + std::to_string(maxSheetChars) + " characters; these are "
                          + std::to_string(count));
}

QByteArray sheetPng(EditorState &s, int64_t offset, int count)
{
    checkSheetCount(s, offset, count);
    return pngBytes(sheetImage(readSheetGlyphs(s, offset, count), s, offset));
}

QImage sheetFromFileBytes(const std::vector<uint8_t> &bytes, const QString &path)
{
    const QImage image = imageFromPng(QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    if (image.isNull())
        throw EditorError("'" + path.toStdString() + "' is not a PNG image");
    return image;
}

int writeSheet(EditorState &s, int64_t offset, const QImage &sheet)
{
    const SheetRead read = readSheetImage(sheet, s);
    return writeSheetGlyphs(s, offset, read.glyphs, s.flag(Flag::AcwCalculation) || !read.hasWidths);
}

} // namespace velmora
