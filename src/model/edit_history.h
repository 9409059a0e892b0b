#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "model/byte_changes.h"
#include "model/editor_state.h"

namespace velmora {

// Where an edit was made: the place and format brought back before a step is
// undone or redone, so the change shows where it happened.
struct EditContext {
    int32_t viewOffset = 0;
    int32_t glyphOffset = 0;
    uint8_t charWidth = 0;
    uint8_t charHeight = 0;
    std::array<bool, flagCount> flags{};

    bool operator==(const EditContext &) const = default;
};

EditContext contextOf(const EditorState &state);
void restoreContext(EditorState &state, const EditContext &context);
// The glyph matrix a re-read at G shows: decoded, width row recomputed.
// Leaves the state as it was.
GlyphMatrix rereadGlyph(EditorState &state);

// One user action: the image bytes it changed and, where re-reading the image
// would not give them back, the glyph matrix before and after it.
struct EditStep {
    std::string name;
    EditContext context;
    ByteChanges bytes;
    std::unique_ptr<GlyphMatrix> glyphBefore;
    std::unique_ptr<GlyphMatrix> glyphAfter;

    // What the limit counts: old and new bytes, and the matrices kept.
    size_t recordedBytes() const;
    size_t memoryUsage() const;
};

// The undo history of the editor state: steps made by begin() .. end() around
// each user action, undone and redone in order. Keeps at most limit recorded
// bytes, dropping the oldest steps first.
class EditHistory {
public:
    static constexpr size_t defaultLimit = size_t{64} * 1024 * 1024;

    explicit EditHistory(size_t limit = defaultLimit) : limit_(limit) {}

    // Opens a step for the action about to run; an open step is ended first.
    void begin(EditorState &state, std::string name);
    bool isOpen() const { return open_.has_value(); }
    // Ends the open step. A step that changed no image byte, and no glyph cell
    // in place, is not kept. Returns whether a step was added.
    bool end(EditorState &state);

    // Brings back the step's context, then the state before it (undo) or
    // after it (redo). Returns the step, or nullptr when there is none.
    const EditStep *undo(EditorState &state);
    const EditStep *redo(EditorState &state);

    void clear();

    size_t count() const { return steps_.size(); }
    // Steps that can be undone; the rest can be redone.
    size_t undoCount() const { return index_; }
    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < steps_.size(); }
    const EditStep &step(size_t i) const { return steps_[i]; }
    size_t recordedBytes() const { return recorded_; }
    size_t memoryUsage() const;
    // Changes whenever steps leave other than by being undone, redone or
    // replaced by a new step: on clear() and when the limit drops old steps.
    uint64_t generation() const { return generation_; }

private:
    struct Open {
        std::string name;
        EditContext context;
        GlyphMatrix glyph;
        bool glyphIsStored; // the matrix is what a re-read at the context shows
    };

    void push(EditStep step);

    size_t limit_;
    std::deque<EditStep> steps_;
    size_t index_ = 0;
    size_t recorded_ = 0;
    uint64_t generation_ = 0;
    std::optional<Open> open_;
};

} // namespace velmora
