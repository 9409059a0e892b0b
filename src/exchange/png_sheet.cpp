#include "exchange/png_sheet.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

#include <QBuffer>
#include <QPainter>
#include <zlib.h>

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
    std::array<uchar, 256> greyFor{};
    for (int level = 0; level < 256; ++level)
        greyFor[static_cast<size_t>(level)] = maxLevel == 1 ? (level ? ink : paper) : greyOf(std::min(level, maxLevel), maxLevel);
    uchar *const top = image.bits();
    const qsizetype lineBytes = image.bytesPerLine();
    const uint8_t *level = glyphs.pixels.data();
    for (int k = 0; k < glyphs.count(); ++k) {
        for (int y = 0; y < g.cellHeight; ++y) {
            uchar *row = top + (g.cellTop(k) + y) * lineBytes + g.cellLeft(k);
            for (int x = 0; x < g.cellWidth; ++x)
                row[x] = greyFor[*level++];
        }
    }
    QString flags;
    for (int f = 0; f < flagCount; ++f)
        flags += s.flags[static_cast<size_t>(f)] ? QLatin1Char('t') : QLatin1Char('f');
    QString widths(2 * glyphs.count(), Qt::Uninitialized);
    QChar *digit = widths.data();
    for (uint8_t w : glyphs.widths) {
        *digit++ = QLatin1Char("0123456789ABCDEF"[w >> 4]);
        *digit++ = QLatin1Char("0123456789ABCDEF"[w & 15]);
    }
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

namespace {

void appendBigEndian(QByteArray &out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

// One PNG chunk: length, type, data and the CRC-32 of type and data.
void appendChunk(QByteArray &out, const char *type, const QByteArray &data)
{
    appendBigEndian(out, static_cast<uint32_t>(data.size()));
    const qsizetype typeAt = out.size();
    out.append(type, 4);
    out.append(data);
    const auto *checked = reinterpret_cast<const Bytef *>(out.constData() + typeAt);
    appendBigEndian(out, static_cast<uint32_t>(crc32(0, checked, static_cast<uInt>(out.size() - typeAt))));
}

// Raw deflate of one part of a stream at zlib's fastest level with
// run-length matches; every part but the last ends on a byte boundary
// (a sync flush), so that the parts join into one stream.
QByteArray deflatePart(const char *data, qsizetype size, bool last)
{
    z_stream z{};
    if (deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK)
        throw EditorError("The sheet could not be encoded as PNG");
    QByteArray packed(static_cast<qsizetype>(deflateBound(&z, static_cast<uLong>(size))) + 16, Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    z.avail_in = static_cast<uInt>(size);
    z.next_out = reinterpret_cast<Bytef *>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    const int result = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
    packed.resize(static_cast<qsizetype>(z.total_out));
    deflateEnd(&z);
    if (result != (last ? Z_STREAM_END : Z_OK) || z.avail_in != 0)
        throw EditorError("The sheet could not be encoded as PNG");
    return packed;
}

// A zlib stream of the data. Run-length matches never reach back past the
// previous byte, so a large sheet is cut into parts deflated side by side
// at almost no cost in size.
QByteArray zlibStream(const QByteArray &data)
{
    constexpr qsizetype partSize = 64 * 1024;
    const qsizetype threads = std::clamp<qsizetype>(std::thread::hardware_concurrency(), 1, 8);
    const qsizetype parts = std::clamp<qsizetype>(data.size() / partSize, 1, threads);
    const qsizetype step = data.size() / parts;
    std::vector<QByteArray> packed(static_cast<size_t>(parts));
    std::vector<std::exception_ptr> failures(static_cast<size_t>(parts));
    const auto deflateOne = [&](qsizetype i) {
        try {
            const qsizetype from = i * step, to = i + 1 == parts ? data.size() : (i + 1) * step;
            packed[static_cast<size_t>(i)] = deflatePart(data.constData() + from, to - from, i + 1 == parts);
        } catch (...) {
            failures[static_cast<size_t>(i)] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    for (qsizetype i = 1; i < parts; ++i)
        workers.emplace_back(deflateOne, i);
    deflateOne(0);
    for (std::thread &t : workers)
        t.join();
    for (const std::exception_ptr &failure : failures)
        if (failure)
            std::rethrow_exception(failure);

    QByteArray stream("\x78\x01", 2); // deflate with a 32 KB window, fastest level
    for (const QByteArray &part : packed)
        stream.append(part);
    appendBigEndian(stream, static_cast<uint32_t>(
        adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef *>(data.constData()), static_cast<uInt>(data.size()))));
    return stream;
}

// The rows of a grey image as PNG scanlines, each led by filter type None.
// When the image has at most 16 greys (a sheet of 1 or 2 bits a pixel has 3 or
// 5: paper, ink levels and the grid line), the rows hold palette indices of 1,
// 2 or 4 bits, which is what makes the PNG fast: deflate gets a quarter of the
// bytes and every reader decodes the same greys. Otherwise they hold the greys.
struct PngRows {
    QByteArray raw;
    int bitDepth = 8;
    QByteArray palette; // RGB triples; empty for a greyscale image
};

// One row of greys as palette indices of Depth bits, the leftmost pixel in
// the high bits, the last byte padded with zeros.
template <int Depth>
uchar *packRow(const uchar *row, int width, const std::array<uchar, 256> &index, uchar *out)
{
    constexpr int perByte = 8 / Depth;
    int x = 0;
    for (; x + perByte <= width; x += perByte) {
        unsigned packed = 0;
        for (int i = 0; i < perByte; ++i)
            packed = packed << Depth | index[row[x + i]];
        *out++ = static_cast<uchar>(packed);
    }
    if (x < width) {
        unsigned packed = 0;
        for (int i = 0; i < perByte; ++i)
            packed = packed << Depth | (x + i < width ? index[row[x + i]] : 0u);
        *out++ = static_cast<uchar>(packed);
    }
    return out;
}

PngRows pngRows(const QImage &image)
{
    const int width = image.width(), height = image.height();
    std::array<bool, 256> used{};
    for (int y = 0; y < height; ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < width; ++x)
            used[row[x]] = true;
    }
    std::array<uchar, 256> index{};
    PngRows rows;
    for (int grey = 0; grey < 256; ++grey) {
        if (!used[static_cast<size_t>(grey)])
            continue;
        index[static_cast<size_t>(grey)] = static_cast<uchar>(rows.palette.size() / 3);
        rows.palette.append(3, static_cast<char>(grey));
    }
    const int colours = static_cast<int>(rows.palette.size() / 3);
    rows.bitDepth = colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
    if (rows.bitDepth == 8)
        rows.palette.clear();
    const int rowBytes = (width * rows.bitDepth + 7) / 8;
    rows.raw = QByteArray(static_cast<qsizetype>(height) * (rowBytes + 1), Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(rows.raw.data());
    for (int y = 0; y < height; ++y) {
        const uchar *row = image.constScanLine(y);
        *out++ = 0; // filter type None
        if (rows.bitDepth == 8) {
            std::memcpy(out, row, static_cast<size_t>(width));
            out += width;
            continue;
        }
        switch (rows.bitDepth) {
        case 1: out = packRow<1>(row, width, index, out); break;
        case 2: out = packRow<2>(row, width, index, out); break;
        default: out = packRow<4>(row, width, index, out); break;
        }
    }
    return rows;
}

// A grey sheet as a PNG, every row unfiltered, deflated at zlib's fastest
// level with run-length matches: a sheet is runs of paper and ink, which this
// packs nearly as small as adaptive filtering does, in a fraction of its time.
QByteArray greyPng(const QImage &image)
{
    const int width = image.width(), height = image.height();
    const PngRows rows = pngRows(image);
    const QByteArray packed = zlibStream(rows.raw);

    QByteArray header;
    appendBigEndian(header, static_cast<uint32_t>(width));
    appendBigEndian(header, static_cast<uint32_t>(height));
    header.append(static_cast<char>(rows.bitDepth));
    header.append(static_cast<char>(rows.palette.isEmpty() ? 0 : 3)); // greyscale or palette
    header.append(3, char{0}); // deflate, adaptive filtering, no interlace
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    appendChunk(out, "IHDR", header);
    // The sheet's texts (its format, offset and count), as Qt writes and reads them.
    for (const QString &key : image.textKeys()) {
        const QString value = image.text(key);
        bool latin1 = true;
        for (const QChar c : value)
            latin1 = latin1 && c.unicode() < 256;
        if (latin1)
            appendChunk(out, "tEXt", key.toLatin1() + '\0' + value.toLatin1());
        else // keyword, then not compressed, no language, no translated keyword
            appendChunk(out, "iTXt", key.toLatin1() + QByteArray("\0\0\0\0\0", 5) + value.toUtf8());
    }
    if (!rows.palette.isEmpty())
        appendChunk(out, "PLTE", rows.palette);
    appendChunk(out, "IDAT", packed);
    appendChunk(out, "IEND", {});
    return out;
}

} // namespace

QByteArray pngBytes(const QImage &image)
{
    if (image.format() == QImage::Format_Grayscale8 && !image.isNull())
        return greyPng(image);
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
