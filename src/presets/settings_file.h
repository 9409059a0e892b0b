#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/editor_state.h"

namespace velmora {

// The lines of a settings or plug-in file. CR LF or a lone CR ends a line; a
// lone LF is part of the line's text. Ctrl-Z (26) or the physical end ends the file.
class SettingsText {
public:
    explicit SettingsText(std::string_view bytes);

    bool atEnd() const { return pos_ >= bytes_.size(); }
    // The whole line without its end; "" at the end of the file.
    std::string textLine();
    // The first token of the next non-blank line, converted as an integer;
    // 0 at the end of the file. Throws the file error "Invalid numeric input".
    int32_t numberLine();

private:
    void skipLineEnd();

    std::string_view bytes_;
    size_t pos_ = 0;
};

enum class SettingsMode { Search, Plugin };

// The preset body's length in lines, shared by both kinds of file.
constexpr int presetBodyLines = 21;

struct SettingsOutcome {
    std::string title;  // the title line of the entry or plug-in that matched
    bool taken = false; // the presets were taken: the expected size equalled the image length
};

// Reads a settings file (search mode: the first entry whose model line and one
// of its firmware numbers match the state's model name and firmware number) or
// a plug-in file, and takes its preset body into the preset table and the
// preset button texts when its expected image size equals the image length.
// Sets the plug-in match flag. A failure throws with everything before the
// failing field already taken.
SettingsOutcome loadSettings(std::string_view text, SettingsMode mode, EditorState &state);

// The view offset a preset puts into effect: its offset, with the page kept
// inside the image as a navigation step keeps it, in the preset's format (the
// current one when the preset's is invalid).
int32_t presetViewOffset(const EditorState &state, const Preset &preset);

// Sets the flags a flag string names: "t" checks, "f" unchecks, anything else keeps.
void applyFlagString(EditorState &state, const std::string &flagString);

} // namespace velmora
