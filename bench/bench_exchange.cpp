// Times the PNG sheet exchange of 4096 characters of a 12 MB image: export
// (decode, draw the sheet, encode the PNG) and import (decode the PNG, read the
// cells, write the characters), in the width-byte layout and in 32 x 32
// glyphs of other layouts. Run it from a Release build.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include <QGuiApplication>

#include "bench_support.h"
#include "exchange/png_exchange.h"
#include "model/format.h"

using namespace velmora;

namespace {

using Clock = std::chrono::steady_clock;

double medianMillis(int runs, const std::function<void()> &fn)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        fn();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return bench::percentile(times, 0.5);
}

void measure(EditorState &s, int width, int height, bool skip)
{
    s.charWidth = static_cast<uint8_t>(width);
    s.charHeight = static_cast<uint8_t>(height);
    if (widthByteLayout(s))
        s.setFlag(Flag::SkipSpareByte, skip);
    const int64_t offset = s.imageLength() / 2;
    QByteArray png;
    const double exportMs = medianMillis(7, [&] {
        png = pngBytes(sheetImage(readSheetGlyphs(s, offset, 4096), s, offset));
    });
    const double importMs = medianMillis(7, [&] {
        const SheetRead read = readSheetImage(imageFromPng(png), s);
        writeSheetGlyphs(s, offset, read.glyphs, false);
    });
    // The export's parts: reading the glyphs, drawing the sheet, encoding the PNG.
    SheetGlyphs glyphs;
    QImage sheet;
    const double readMs = medianMillis(7, [&] { glyphs = readSheetGlyphs(s, offset, 4096); });
    const double drawMs = medianMillis(7, [&] { sheet = sheetImage(glyphs, s, offset); });
    const double encodeMs = medianMillis(7, [&] { png = pngBytes(sheet); });
    std::printf("4096 chars %-20s: export %6.1f ms (read %5.1f, draw %5.1f, PNG %6.1f), import %6.1f ms, PNG %lld bytes\n",
                formatText(glyphFormatOf(s)).c_str(), exportMs, readMs, drawMs, encodeMs, importMs,
                static_cast<long long>(png.size()));
}

void measure(EditorState &s, const char *format)
{
    setGlyphFormat(s, parseGlyphFormat(format), s.imageLength() / 2);
    measure(s, s.charWidth, s.charHeight, false);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    EditorState s;
    s.image.replace(bench::patternedImage(12u * 1024 * 1024, 1));
    measure(s, 8, 13, false);
    measure(s, 16, 16, true);
    measure(s, "32x32,rows");
    measure(s, "32x32,rows,bpp4");
    measure(s, "24x24,pages,reverse");
    return 0;
}
