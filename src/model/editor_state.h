#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/colours.h"
#include "model/glyph_matrix.h"
#include "model/image_buffer.h"
#include "layout/glyph_format.h"

namespace velmora {

// The five format flags, in the order of the check list that shows them.
enum class Flag : int { TrueCharImage = 0, HideWidthBytes = 1, AcwCalculation = 2, SkipSpareByte = 3, SwapBytes = 4 };
constexpr int flagCount = 5;

// What a mouse stroke in the edit grid writes into cells.
enum DrawMode : uint8_t { DrawClear = 0, DrawSet = 1, DrawToggle = 2, DrawIdle = 3 };

struct Preset {
    int32_t offset = 0;
    uint8_t charWidth = 0;
    uint8_t charHeight = 0;
    std::string flags; // "t" checks, "f" unchecks, anything else leaves a flag
    // A format string of a layout other than the width-byte one, from a
    // plug-in's "format N STRING" line; empty: W and H above.
    std::string format;
};

// A file as the image was last read from or written to it: a later look at
// the same size and modification time tells that it still holds those bytes.
struct FileStamp {
    std::string path; // empty: the image came from no file
    int64_t size = 0;
    int64_t modified = 0; // nanoseconds since the epoch
    bool operator==(const FileStamp &) const = default;
};

// The image the overview compares with (File > Compare with...). Its bytes
// are never written; the count of differences is kept with the image
// generation it was taken at, so that it is redone only after a change.
struct ReferenceImage {
    std::shared_ptr<const std::vector<uint8_t>> bytes; // null: no comparing
    std::string name;
    uint64_t countedAt = UINT64_MAX;
    size_t differingBytes = 0;
    size_t differingRuns = 0;
};

// A font the finder found: its first glyph, glyph count and format.
struct FoundFont {
    int64_t start = 0;
    int64_t count = 0;
    GlyphFormat format;
};

struct PresetTable {
    int32_t expectedSize = 0;
    std::array<Preset, 12> presets{};
};

constexpr int presetCount = 12;

// What the twelve preset buttons show: a one-character caption ("-" for no
// preset) and a hint each.
struct PresetButtonTexts {
    std::array<std::string, presetCount> captions;
    std::array<std::string, presetCount> hints;
    PresetButtonTexts() { captions.fill("-"); }
    bool acts(int index) const { return captions[static_cast<size_t>(index)] != "-"; }
};

// What a layout other than the width-byte one adds to W and H (see
// layout/glyph_format.h); unused while the layout is the width-byte one.
struct LayoutOptions {
    Layout kind = Layout::WidthByte;
    bool reverse = false;
    uint8_t bpp = 1;
    bool invert = false;
    int32_t stride = 0;      // 0: the glyph's size
    int64_t widthTable = -1; // -1: no width table
    // The glyph whose advance is the width table's first byte: the glyph
    // offset at which the format was applied.
    int64_t widthTableBase = 0;
    bool operator==(const LayoutOptions &) const = default;
};

// The single record the whole editor works on.
struct EditorState {
    uint8_t drawMode = 0;
    int64_t inkColour = 0;   // only the low 32 bits are a colour
    int64_t paperColour = 0;
    uint8_t formatUpdate = 0; // 1 while the program writes the format controls
    std::string fileName;
    // W: 8 or 16 in the width-byte layout, 1..32 in the others.
    uint8_t charWidth = 0;
    // H: 2..16, the width row included. The other layouts keep the same
    // count of glyph-matrix rows: their pixel rows plus row 0 (2..33), so
    // that pixel rows are rows 1..charHeight-1 in every layout.
    uint8_t charHeight = 0;
    LayoutOptions layout;
    uint8_t pluginMatch = 0;
    int32_t viewOffset = 0;  // V: first byte of the page of 32 characters
    int32_t glyphOffset = 0; // G: width byte of the character being edited
    int32_t blockStart = 0;
    int32_t blockEnd = 0; // inclusive
    int32_t navigationStep = 0;
    uint8_t overviewColourMode = 0;
    GlyphMatrix glyph;
    GlyphMatrix clipboard;
    ImageBuffer image;
    PresetTable presetTable;
    PresetButtonTexts presetButtons;
    bool presetsFromPlugin = false; // the preset buttons came from a plug-in, not the settings file
    std::vector<FoundFont> foundFonts; // the finder's last list, best first
    std::string programDirectory;
    std::string modelName;
    uint8_t firmwareNumber = 0;
    uint8_t rollDirection = 0;
    uint8_t lastMouseColumn = 0;
    uint8_t lastMouseRow = 0;
    std::array<bool, flagCount> flags{};
    ReferenceImage reference;
    FileStamp lastFile;

    int32_t imageLength() const { return image.length(); }
    bool flag(Flag f) const { return flags[static_cast<size_t>(f)]; }
    void setFlag(Flag f, bool on) { flags[static_cast<size_t>(f)] = on; }
};

constexpr int32_t blankImageLength = 2112;

// The model part of ResetEditor: every field it resets, nothing that is drawn.
void resetEditorState(EditorState &state);

// The colour of an edit-grid cell or preview pixel holding value; in grey
// fonts levels between paper and ink.
Colour cellColour(const EditorState &state, uint8_t value);
// The colour of level of maxLevel between paper (0) and ink (maxLevel), rounded.
Colour blendLevel(Colour paper, Colour ink, int level, int maxLevel);
// The colour of a thumbnail pixel under the current overview colour mode.
Colour thumbColour(const EditorState &state, uint8_t value);

} // namespace velmora
