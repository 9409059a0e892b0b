#include "model/edit_history.h"

#include <utility>

#include "model/char_width.h"
#include "model/glyph_codec.h"

namespace velmora {

EditContext contextOf(const EditorState &s)
{
    return {s.viewOffset, s.glyphOffset, s.charWidth, s.charHeight, s.flags};
}

void restoreContext(EditorState &s, const EditContext &c)
{
    s.viewOffset = c.viewOffset;
    s.glyphOffset = c.glyphOffset;
    s.charWidth = c.charWidth;
    s.charHeight = c.charHeight;
    s.flags = c.flags;
}

GlyphMatrix rereadGlyph(EditorState &s)
{
    // The codec works on a whole state; borrow this one's matrix for the decode.
    const GlyphMatrix kept = s.glyph;
    decodeChar(s);
    applyComputedWidth(s);
    GlyphMatrix read = s.glyph;
    s.glyph = kept;
    return read;
}

size_t EditStep::recordedBytes() const
{
    return 2 * bytes.changedBytes() + (glyphBefore ? sizeof(GlyphMatrix) : 0) + (glyphAfter ? sizeof(GlyphMatrix) : 0);
}

size_t EditStep::memoryUsage() const
{
    return sizeof(*this) - sizeof(bytes) + bytes.memoryUsage() + (name.capacity() > 15 ? name.capacity() + 1 : 0)
           + (glyphBefore ? sizeof(GlyphMatrix) : 0) + (glyphAfter ? sizeof(GlyphMatrix) : 0);
}

void EditHistory::begin(EditorState &s, std::string name)
{
    if (open_)
        end(s);
    const GlyphMatrix glyph = s.glyph;
    open_ = Open{std::move(name), contextOf(s), glyph, rereadGlyph(s) == glyph};
    s.image.startRecording();
}

bool EditHistory::end(EditorState &s)
{
    if (!open_)
        return false;
    Open open = std::move(*open_);
    open_.reset();
    EditStep step{std::move(open.name), open.context, s.image.takeChanges(), nullptr, nullptr};
    const bool samePlace = contextOf(s) == open.context;
    if (step.bytes.empty()) {
        // Only an edit of the matrix in place is a step; a re-read somewhere else is not.
        if (!samePlace || s.glyph == open.glyph)
            return false;
        step.glyphBefore = std::make_unique<GlyphMatrix>(open.glyph);
        step.glyphAfter = std::make_unique<GlyphMatrix>(s.glyph);
    } else {
        if (!open.glyphIsStored)
            step.glyphBefore = std::make_unique<GlyphMatrix>(open.glyph);
        // Redo re-reads at the step's context; keep the matrix only where that differs.
        if (samePlace && rereadGlyph(s) != s.glyph)
            step.glyphAfter = std::make_unique<GlyphMatrix>(s.glyph);
    }
    push(std::move(step));
    return true;
}

void EditHistory::push(EditStep step)
{
    while (steps_.size() > index_) {
        recorded_ -= steps_.back().recordedBytes();
        steps_.pop_back();
    }
    recorded_ += step.recordedBytes();
    steps_.push_back(std::move(step));
    ++index_;
    bool dropped = false;
    while (!steps_.empty() && recorded_ > limit_) {
        recorded_ -= steps_.front().recordedBytes();
        steps_.pop_front();
        --index_;
        dropped = true;
    }
    if (dropped)
        ++generation_;
}

const EditStep *EditHistory::undo(EditorState &s)
{
    if (open_)
        end(s);
    if (!canUndo())
        return nullptr;
    const EditStep &step = steps_[--index_];
    restoreContext(s, step.context);
    step.bytes.restoreBefore(s.image);
    s.glyph = step.glyphBefore ? *step.glyphBefore : rereadGlyph(s);
    return &step;
}

const EditStep *EditHistory::redo(EditorState &s)
{
    if (open_)
        end(s);
    if (!canRedo())
        return nullptr;
    const EditStep &step = steps_[index_++];
    restoreContext(s, step.context);
    step.bytes.restoreAfter(s.image);
    s.glyph = step.glyphAfter ? *step.glyphAfter : rereadGlyph(s);
    return &step;
}

void EditHistory::clear()
{
    steps_.clear();
    index_ = 0;
    recorded_ = 0;
    ++generation_;
}

size_t EditHistory::memoryUsage() const
{
    size_t total = sizeof(*this);
    for (const EditStep &step : steps_)
        total += step.memoryUsage();
    return total;
}

} // namespace velmora
