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
// Runs the editor's refresh observers.
void notifyRefreshObservers(Editor &editor);
// The address of each pixel row of the character at G, in the row-offset column.
void fillRowOffsets(Editor &editor);
// "VELMORA CE  [name]  hex8(size)" as the window caption.
void setCaption(Editor &editor, const std::string &fileName, int32_t size);
// The last page byte ReadAtOffset shows in the range label.
int64_t pageEnd(const Editor &editor);

} // namespace velmora
