#include "model/glyph_ops.h"

#include <array>

#include "model/char_width.h"
#include "model/format.h"
#include "model/glyph_codec.h"

namespace velmora {

void rollLeft(EditorState &s)
{
    GlyphMatrix &m = s.glyph;
    for (int r = firstPixelRow(s); r <= s.charHeight && r < GlyphMatrix::rows; ++r) {
        const uint8_t first = m.at(0, r);
        for (int c = 1; c < s.charWidth; ++c)
            m.at(c - 1, r) = m.at(c, r);
        m.at(s.charWidth - 1, r) = first;
    }
}

void rollRight(EditorState &s)
{
    GlyphMatrix &m = s.glyph;
    for (int r = firstPixelRow(s); r <= s.charHeight && r < GlyphMatrix::rows; ++r) {
        const uint8_t last = m.at(s.charWidth - 1, r);
        for (int c = s.charWidth - 1; c >= 1; --c)
            m.at(c, r) = m.at(c - 1, r);
        m.at(0, r) = last;
    }
}

namespace {

using Row = std::array<uint8_t, GlyphMatrix::columns>;

Row takeRow(const EditorState &s, int r)
{
    Row row{};
    for (int c = 0; c < s.charWidth; ++c)
        row[static_cast<size_t>(c)] = s.glyph.at(c, r);
    return row;
}

void putRow(EditorState &s, int r, const Row &row)
{
    for (int c = 0; c < s.charWidth; ++c)
        s.glyph.at(c, r) = row[static_cast<size_t>(c)];
}

} // namespace

void rollUp(EditorState &s)
{
    const int first = firstPixelRow(s);
    const int last = s.charHeight - 1;
    const Row saved = takeRow(s, first);
    for (int r = first + 1; r <= last; ++r)
        putRow(s, r - 1, takeRow(s, r));
    putRow(s, last, saved);
}

void rollDown(EditorState &s)
{
    const int first = firstPixelRow(s);
    const int last = s.charHeight - 1;
    const Row saved = takeRow(s, last);
    for (int r = last; r >= first + 1; --r)
        putRow(s, r, takeRow(s, r - 1));
    putRow(s, first, saved);
}

namespace {

void rollOnce(EditorState &s)
{
    switch (s.rollDirection) {
    case RollToLeft: rollLeft(s); break;
    case RollToRight: rollRight(s); break;
    case RollToTop: rollUp(s); break;
    case RollToBottom: rollDown(s); break;
    default: break;
    }
}

} // namespace

void rollGlyph(EditorState &s, bool charMap, bool autoWrite)
{
    // The page's characters are walked in 64 bits: near the top of the
    // 32-bit range V + k x char step passes 2^31 - 1. Such characters lie past
    // the image end, so they read as 0 and nothing of them is written.
    const int count = charMap ? 32 : 1;
    int64_t at = charMap ? s.viewOffset : s.glyphOffset;
    for (int k = 0; k < count; ++k) {
        if (charMap)
            decodeCharAt(s, at);
        rollOnce(s);
        applyComputedWidth(s);
        if (autoWrite || charMap)
            encodeCharAt(s, at);
        at += charStep(s);
    }
    if (charMap)
        decodeChar(s);
    s.rollDirection = RollNone;
}

void clearMatrix(EditorState &s)
{
    s.glyph.clear();
    applyComputedWidth(s);
}

void trueCharMap(EditorState &s)
{
    const bool trueImage = s.flag(Flag::TrueCharImage);
    const bool acw = s.flag(Flag::AcwCalculation);
    s.setFlag(Flag::TrueCharImage, true);
    s.setFlag(Flag::AcwCalculation, false);
    // In 64 bits, as in rollGlyph: the page may reach past 2^31 - 1.
    int64_t at = s.viewOffset;
    for (int k = 0; k < 32; ++k) {
        decodeCharAt(s, at);
        encodeCharAt(s, at);
        at += charStep(s);
    }
    s.setFlag(Flag::TrueCharImage, trueImage);
    s.setFlag(Flag::AcwCalculation, acw);
}

} // namespace velmora
