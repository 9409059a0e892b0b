#pragma once

namespace velmora {

struct Editor;

// Shows the stored (RCW) and computed (CCW) width; with "ACW calculation"
// checked, rewrites the width row and paints it red and grey.
void showCharWidth(Editor &editor);

} // namespace velmora
