#pragma once

namespace velmora {

struct Editor;

// Moves V by the navigation step with both clamps, selects the first character, re-reads.
void stepOffset(Editor &editor);

void bt1bmClick(Editor &editor);  // -1
void btb1pClick(Editor &editor);  // +1
void btb2mClick(Editor &editor);  // -2
void btb2pClick(Editor &editor);  // +2
void btb0dmClick(Editor &editor); // -char step
void btb0dpClick(Editor &editor); // +char step
void btbpmClick(Editor &editor);  // -page step
void btbppClick(Editor &editor);  // +page step

// Enter in the hex offset field.
void MaskEdit1KeyPress(Editor &editor);
// A click on a row of the row-offset column.
void ByteNoGEnter(Editor &editor, int row);

} // namespace velmora
