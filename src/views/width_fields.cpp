#include "views/width_fields.h"

#include "app/editor.h"
#include "model/char_width.h"

namespace velmora {

// TODO(views): the width fields.
void showCharWidth(Editor &e) { applyComputedWidth(e.state); }

} // namespace velmora
