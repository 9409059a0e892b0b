#include "views/preview.h"

#include <QImage>

#include "app/editor.h"

namespace velmora {

// TODO(views): the preview.
void drawPreview(QImage &, const EditorState &) {}
void drawPreview(Editor &) {}

} // namespace velmora
