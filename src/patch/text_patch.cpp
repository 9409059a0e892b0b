#include "patch/text_patch.h"

#include <algorithm>
#include <array>
#include <optional>

#include "patch/byte_runs.h"
#include "patch/crc32.h"
#include "patch/patch_support.h"

namespace velmora::patch {

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";
constexpr size_t mismatchesNamed = 4;

void putHexByte(std::string &out, uint8_t byte)
{
    out += hexDigits[byte >> 4];
    out += hexDigits[byte & 15];
}

void putBytes(std::string &out, std::span<const uint8_t> bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += ' ';
        putHexByte(out, bytes[i]);
    }
}

std::string headerLine(const char *which, std::span<const uint8_t> image)
{
    return std::string(which) + " " + std::to_string(image.size()) + " bytes, CRC-32 " + hexOffset(crc32Of(image)) + "\n";
}

constexpr auto hexValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int c = '0'; c <= '9'; ++c)
        values[static_cast<size_t>(c)] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        values[static_cast<size_t>(c)] = values[static_cast<size_t>(c - 'A' + 'a')] = static_cast<int8_t>(c - 'A' + 10);
    return values;
}();

int hexValue(char c) { return hexValues[static_cast<unsigned char>(c)]; }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A run's bytes lie in the parser's two byte arrays, from first on: a patch
// of a million short runs makes no million small allocations.
struct Run {
    size_t offset = 0;
    size_t line = 0;
    size_t first = 0;
    size_t count = 0;
};

struct Parsed {
    std::optional<uint64_t> originalLength;
    std::optional<uint64_t> modifiedLength;
    std::vector<Run> runs;
    std::vector<uint8_t> oldBytes;
    std::vector<uint8_t> newBytes;
};

// Reads one line at a time, naming the line of anything it cannot read.
class LineParser {
public:
    LineParser(std::string_view line, size_t number) : text_(line), number_(number) {}

    [[noreturn]] void fail(const std::string &what) const
    {
        throw PatchError("Line " + std::to_string(number_) + " of the text patch: " + what);
    }

    void skipBlanks()
    {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
    }
    bool atEnd()
    {
        skipBlanks();
        return pos_ == text_.size();
    }
    bool take(std::string_view word)
    {
        skipBlanks();
        if (text_.substr(pos_, word.size()) != word)
            return false;
        pos_ += word.size();
        return true;
    }
    void expect(std::string_view word)
    {
        if (!take(word))
            fail("expected \"" + std::string(word) + "\" in \"" + shown() + "\"");
    }
    // A number of up to maxDigits digits in base 10 or 16.
    uint64_t number(int base, size_t maxDigits, const char *what)
    {
        skipBlanks();
        uint64_t value = 0;
        size_t digits = 0;
        while (pos_ < text_.size()) {
            const int d = hexValue(text_[pos_]);
            if (d < 0 || d >= base)
                break;
            if (++digits > maxDigits)
                fail(std::string(what) + " has more than " + std::to_string(maxDigits) + " digits");
            value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
            ++pos_;
        }
        if (digits == 0)
            fail(std::string("expected ") + what + " in \"" + shown() + "\"");
        return value;
    }
    // Hex bytes of two digits each, separated by blanks, up to "->" (when
    // stopAtArrow) or the line end, appended to out; returns their count.
    // The loop that reads the bulk of a patch: it looks at each character once.
    size_t bytes(bool stopAtArrow, const char *what, std::vector<uint8_t> &out)
    {
        const size_t before = out.size();
        const char *p = text_.data() + pos_;
        const char *const end = text_.data() + text_.size();
        // '-' is no hex digit: it ends the old bytes, and "->" is checked by the caller.
        auto ends = [&](const char *at) { return at == end || isBlank(*at) || (stopAtArrow && *at == '-'); };
        while (true) {
            while (p < end && isBlank(*p))
                ++p;
            if (p == end || (stopAtArrow && *p == '-'))
                break;
            const int high = hexValue(p[0]);
            const int low = p + 1 < end ? hexValue(p[1]) : -1;
            if (high < 0 || low < 0 || !ends(p + 2)) {
                pos_ = static_cast<size_t>(p - text_.data());
                fail(std::string("expected ") + what + " as pairs of hex digits in \"" + shown() + "\"");
            }
            out.push_back(static_cast<uint8_t>(high << 4 | low));
            p += 2;
        }
        pos_ = static_cast<size_t>(p - text_.data());
        return out.size() - before;
    }

private:
    // The rest of the line as a message can show it: printable and short.
    std::string shown() const
    {
        std::string s;
        for (char c : text_.substr(pos_, 40))
            s += (c >= 32 && c < 127) ? c : '?';
        return s;
    }

    std::string_view text_;
    size_t number_;
    size_t pos_ = 0;
};

void readHeaderLine(LineParser &p, std::optional<uint64_t> &length)
{
    if (length)
        p.fail("a second length for the same image");
    length = p.number(10, 12, "the length");
    p.expect("bytes,");
    p.expect("CRC-32");
    p.number(16, 8, "the CRC-32"); // the old bytes of every run, not the CRC, decide where a patch fits
    if (!p.atEnd())
        p.fail("more than a length and a CRC-32");
}

void readRunLine(LineParser &p, Parsed &parsed, size_t number)
{
    if (!parsed.originalLength || !parsed.modifiedLength)
        p.fail("a run before the lines \"original ...\" and \"modified ...\"");
    Run run;
    run.line = number;
    run.offset = static_cast<size_t>(p.number(16, 8, "an offset"));
    run.first = parsed.oldBytes.size();
    p.expect(":");
    run.count = p.bytes(true, "old bytes", parsed.oldBytes);
    p.expect("->");
    const size_t newCount = p.bytes(false, "new bytes", parsed.newBytes);
    if (run.count == 0)
        p.fail("a run without bytes");
    if (run.count != newCount)
        p.fail(std::to_string(run.count) + " old bytes but " + std::to_string(newCount) + " new ones");
    if (!parsed.runs.empty()) {
        const Run &last = parsed.runs.back();
        if (run.offset < last.offset + last.count)
            p.fail("the run at " + hexOffset(run.offset) + " does not follow the run of line " + std::to_string(last.line));
    }
    if (run.offset + run.count > *parsed.originalLength)
        p.fail("the run at " + hexOffset(run.offset) + " reaches past the image end (" + std::to_string(*parsed.originalLength)
               + " bytes)");
    parsed.runs.push_back(run);
}

Parsed parse(std::span<const uint8_t> patch)
{
    const std::string_view text(reinterpret_cast<const char *>(patch.data()), patch.size());
    Parsed parsed;
    size_t number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        line = line.substr(0, line.find('#'));
        LineParser p(line, number);
        if (p.atEnd())
            continue;
        if (p.take("original"))
            readHeaderLine(p, parsed.originalLength);
        else if (p.take("modified"))
            readHeaderLine(p, parsed.modifiedLength);
        else
            readRunLine(p, parsed, number);
    }
    if (!parsed.originalLength || !parsed.modifiedLength)
        throw PatchError("Not a text patch: it has no lines \"original ...\" and \"modified ...\"");
    return parsed;
}

} // namespace

std::vector<uint8_t> TextPatchFormat::write(std::span<const uint8_t> original, std::span<const uint8_t> modified) const
{
    requireSameLength("text", original, modified);
    std::string out = "# Velmora CE patch: OFFSET: OLD BYTES -> NEW BYTES, in hex, one run of changed bytes a line\n";
    out += headerLine("original", original);
    out += headerLine("modified", modified);
    for (const ByteRun &run : differingRuns(original, modified)) {
        out += hexOffset(run.offset);
        out += ": ";
        putBytes(out, original.subspan(run.offset, run.length));
        out += " -> ";
        putBytes(out, modified.subspan(run.offset, run.length));
        out += '\n';
    }
    return std::vector<uint8_t>(out.begin(), out.end());
}

std::vector<uint8_t> TextPatchFormat::apply(std::span<const uint8_t> image, std::span<const uint8_t> patch,
                                            size_t maxLength) const
{
    const Parsed parsed = parse(patch);
    if (*parsed.originalLength != *parsed.modifiedLength)
        throw PatchError("A text patch keeps the image length: this one says " + std::to_string(*parsed.originalLength)
                         + " and " + std::to_string(*parsed.modifiedLength) + " bytes");
    if (*parsed.originalLength != image.size())
        throw PatchError("This patch is for an image of " + std::to_string(*parsed.originalLength)
                         + " bytes; this image has " + std::to_string(image.size()));
    if (image.size() > maxLength)
        throw PatchError("The image of " + std::to_string(image.size()) + " bytes is longer than the "
                         + std::to_string(maxLength) + " allowed");

    std::vector<size_t> mismatches;
    size_t mismatchCount = 0;
    for (const Run &run : parsed.runs)
        for (size_t i = 0; i < run.count; ++i)
            if (image[run.offset + i] != parsed.oldBytes[run.first + i] && ++mismatchCount <= mismatchesNamed)
                mismatches.push_back(run.offset + i);
    if (mismatchCount > 0) {
        std::string where;
        for (size_t i = 0; i < mismatches.size(); ++i)
            where += (i == 0 ? "" : i + 1 == mismatches.size() && mismatchCount == mismatches.size() ? " and " : ", ")
                     + hexOffset(mismatches[i]);
        if (mismatchCount > mismatches.size())
            where += " and " + std::to_string(mismatchCount - mismatches.size()) + " more";
        throw PatchError("This patch does not fit this image: its old bytes differ from the image at " + where);
    }

    std::vector<uint8_t> out(image.begin(), image.end());
    for (const Run &run : parsed.runs)
        std::copy_n(parsed.newBytes.begin() + static_cast<std::ptrdiff_t>(run.first), run.count,
                    out.begin() + static_cast<std::ptrdiff_t>(run.offset));
    return out;
}

} // namespace velmora::patch
