#pragma once

class QImage;

namespace velmora {

struct Editor;
struct EditorState;

// The glyph at true size, centred in the 24 x 24 framed square.
void drawPreview(QImage &canvas, const EditorState &state);
void drawPreview(Editor &editor);

} // namespace velmora
