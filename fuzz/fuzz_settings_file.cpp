// The settings and plug-in reader on any text: it fails only with its two
// messages, takes nothing from an entry that does not match or whose size
// differs, and ignores whatever follows a Ctrl-Z.
#include <string>

#include "fuzz_support.h"
#include "model/errors.h"
#include "presets/settings_file.h"

using namespace velmora;

namespace {

struct Result {
    std::string error;
    bool taken = false;
    PresetTable table;
    PresetButtonTexts buttons;
    uint8_t match = 0;
};

bool sameTable(const PresetTable &a, const PresetTable &b)
{
    if (a.expectedSize != b.expectedSize)
        return false;
    for (size_t n = 0; n < a.presets.size(); ++n) {
        const Preset &p = a.presets[n], &q = b.presets[n];
        if (p.offset != q.offset || p.charWidth != q.charWidth || p.charHeight != q.charHeight || p.flags != q.flags)
            return false;
    }
    return true;
}

Result load(std::string_view text, SettingsMode mode, const EditorState &start)
{
    EditorState s = start;
    Result r;
    try {
        r.taken = loadSettings(text, mode, s).taken;
    } catch (const ConversionError &e) {
        r.error = e.what();
        // The field's text is quoted; a zero byte in it ends the message early.
        FUZZ_CHECK(r.error.front() == '\'', "%s", r.error.c_str());
    } catch (const FileError &e) {
        r.error = e.what();
        FUZZ_CHECK(e.code() == 106, "file error %d", e.code());
    }
    r.table = s.presetTable;
    r.buttons = s.presetButtons;
    r.match = s.pluginMatch;
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const SettingsMode mode = in.byte() & 1 ? SettingsMode::Plugin : SettingsMode::Search;
    EditorState start;
    start.modelName = std::string(1, static_cast<char>('A' + in.byte() % 3));
    start.firmwareNumber = in.byte() % 4;
    start.image.replace(std::vector<uint8_t>(in.byte() % 2 ? 2112 : 64));
    const std::string text(reinterpret_cast<const char *>(in.rest()), in.restSize());

    const Result r = load(text, mode, start);
    if (r.error.empty()) {
        if (r.taken) {
            FUZZ_CHECK(r.table.expectedSize == start.imageLength(), "taken for size %d", r.table.expectedSize);
            FUZZ_CHECK(r.match == 1, "taken without a match");
            for (const std::string &caption : r.buttons.captions)
                FUZZ_CHECK(caption.size() == 1, "caption of %zu characters", caption.size());
            for (const Preset &p : r.table.presets)
                FUZZ_CHECK(p.flags.size() <= 5, "flag string of %zu characters", p.flags.size());
        } else {
            // Nothing matched, or the size differed: the presets and buttons are as before.
            for (size_t n = 0; n < start.presetTable.presets.size(); ++n)
                FUZZ_CHECK(r.table.presets[n].offset == start.presetTable.presets[n].offset, "preset %zu taken", n);
            FUZZ_CHECK(r.buttons.captions == start.presetButtons.captions, "captions changed");
        }
    }

    // Whatever follows a Ctrl-Z is never read.
    const Result cut = load(text + "\x1A" "1\r\n$zz\r\n", mode, start);
    FUZZ_CHECK(cut.error == r.error && cut.taken == r.taken && cut.match == r.match && sameTable(cut.table, r.table)
                   && cut.buttons.captions == r.buttons.captions && cut.buttons.hints == r.buttons.hints,
               "text after Ctrl-Z changed the result");
    return 0;
}
