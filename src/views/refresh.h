#pragma once
#include <cstdint>
#include <string>

namespace velmora {

struct Editor;

// The full re-read: showOffsets, decode at G, then redrawAll.
void readAtOffset(Editor &editor);
// The format string in FormatText, unless the user is typing there.
void showFormatText(Editor &editor);
// The format string, G in the offset field, the page range at V in the range label, the row offsets.
void showOffsets(Editor &editor);
// Every view from the glyph matrix and image buffer as they stand, then an immediate repaint.
void redrawAll(Editor &editor);
// Within a handler that refreshes several times in a row (Open: the re-read,
// the redraw and the identification's re-read), the views are painted once,
// when the last hold ends, rather than at every redrawAll: what the user sees
// when the handler returns is the same.
class RepaintHold {
public:
    explicit RepaintHold(Editor &editor);
    ~RepaintHold();
    RepaintHold(const RepaintHold &) = delete;
    RepaintHold &operator=(const RepaintHold &) = delete;

private:
    Editor &editor_;
};
// Runs the editor's refresh observers.
void notifyRefreshObservers(Editor &editor);
// The address of each pixel row of the character at G, in the row-offset column.
void fillRowOffsets(Editor &editor);
// "VELMORA CE  [name]  hex8(size)" as the window caption.
void setCaption(Editor &editor, const std::string &fileName, int32_t size);
// The last page byte ReadAtOffset shows in the range label.
int64_t pageEnd(const Editor &editor);

} // namespace velmora
