#include "navigation/offset_navigation.h"

#include "views/row_offsets.h"

#include "model/format.h"
#include "model/text_format.h"
#include "views/editor.h"
#include "views/hex_entry.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

namespace velmora {

namespace {

void step(Editor &e, int32_t amount)
{
    e.state.navigationStep = amount;
    stepOffset(e);
}

// A typed or clicked page start, as a 32-bit unsigned value in 64-bit arithmetic.
int64_t typedAddress(const QString &text)
{
    return static_cast<uint32_t>(strToInt("$" + text.toStdString()));
}

} // namespace

void stepOffset(Editor &e)
{
    EditorState &s = e.state;
    const int64_t length = s.imageLength();
    int64_t v = int64_t{s.viewOffset} + s.navigationStep;
    if (v + overviewSpan(s) > length + 1)
        v = length + overviewSlack(s) - overviewSpan(s);
    if (v < 0)
        v = 0;
    s.viewOffset = static_cast<int32_t>(v);
    selectFirstChar(e);
    readAtOffset(e);
}

void bt1bmClick(Editor &e) { step(e, -1); }
void btb1pClick(Editor &e) { step(e, 1); }
void btb2mClick(Editor &e) { step(e, -2); }
void btb2pClick(Editor &e) { step(e, 2); }
void btb0dmClick(Editor &e) { step(e, -charStep(e.state)); }
void btb0dpClick(Editor &e) { step(e, charStep(e.state)); }
void btbpmClick(Editor &e) { step(e, -pageStep(e.state)); }
void btbppClick(Editor &e) { step(e, pageStep(e.state)); }

void MaskEdit1KeyPress(Editor &e)
{
    EditorState &s = e.state;
    const int64_t address = typedAddress(e.ui.MaskEdit1->maskedText());
    // The whole page must lie inside the image; the spare byte is not counted.
    if (address + 32 * charSize(s) < s.imageLength())
        s.viewOffset = static_cast<int32_t>(address);
    selectFirstChar(e);
    readAtOffset(e);
}

void ByteNoGEnter(Editor &e, int row)
{
    EditorState &s = e.state;
    if (row < 1 || row >= s.charHeight) // row 0 lies under the hex field; from H on only filler
        return;
    const int64_t address = typedAddress(e.ui.ByteNo->rowText(row));
    if (address + 32 * charSize(s) <= s.imageLength())
        s.viewOffset = static_cast<int32_t>(address);
    selectFirstChar(e);
    readAtOffset(e);
}

} // namespace velmora
