#include "views/refresh.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>

#include "layout/glyph_layout.h"
#include "model/format.h"
#include "model/glyph_codec.h"
#include "model/text_format.h"
#include "views/accessibility.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/editor.h"
#include "views/hex_entry.h"
#include "views/memory_overview.h"
#include "views/preview.h"
#include "views/row_offsets.h"
#include "views/width_fields.h"

namespace velmora {

namespace {

QString hexText(int64_t value) { return QString::fromStdString(hex8(value)); }

} // namespace

int64_t pageEnd(const Editor &e)
{
    const EditorState &s = e.state;
    const int64_t end = int64_t{s.viewOffset} + pageStep(s) - 1;
    return end >= s.imageLength() ? int64_t{s.imageLength()} - 1 : end;
}

void readAtOffset(Editor &e)
{
    showOffsets(e);
    decodeChar(e.state);
    redrawAll(e);
}

void showFormatText(Editor &e)
{
    QLineEdit *field = e.ui.FormatText;
    // A string being typed stays until Enter or leaving the field.
    if (!field || (field->hasFocus() && field->isModified()))
        return;
    const QString text = QString::fromStdString(formatText(glyphFormatOf(e.state)));
    if (field->text() != text)
        field->setText(text);
}

void showOffsets(Editor &e)
{
    showFormatText(e);
    showText(e.ui.MaskEdit1, hexText(e.state.glyphOffset));
    e.ui.Adrs->setText(hexText(e.state.viewOffset) + QStringLiteral(" ... ") + hexText(pageEnd(e)));
    fillRowOffsets(e);
    describeViews(e);
}

void redrawAll(Editor &e)
{
    drawGrid(e);
    drawPreview(e);
    showCharWidth(e);
    drawOverview(e);
    showText(e.ui.BStart, hexText(e.state.blockStart));
    showText(e.ui.BEnd, hexText(e.state.blockEnd));
    // Show the result before the next input is handled: the three canvases
    // were redrawn and are marked; the text controls (ByteNo, MaskEdit1,
    // Adrs, the width and block fields) marked themselves when their text
    // changed. One pass paints them all and flushes once to the screen.
    for (QWidget *w : std::initializer_list<QWidget *>{e.ui.MemImg, e.ui.Img, e.ui.ImgReel})
        w->update();
    if (e.repaintHolds == 0)
        QCoreApplication::sendPostedEvents(e.ui.Form1, QEvent::UpdateRequest);
    notifyRefreshObservers(e);
}

RepaintHold::RepaintHold(Editor &editor) : editor_(editor) { ++editor_.repaintHolds; }

RepaintHold::~RepaintHold()
{
    if (--editor_.repaintHolds == 0)
        QCoreApplication::sendPostedEvents(editor_.ui.Form1, QEvent::UpdateRequest);
}

void notifyRefreshObservers(Editor &e)
{
    for (const auto &observer : e.refreshObservers)
        observer(e);
}

void fillRowOffsets(Editor &e)
{
    const EditorState &s = e.state;
    const int b = bytesPerRow(s);
    const QString filler = QStringLiteral("--  --  --  --");
    QStringList texts;
    // The other layouts: the byte of each shown row's first pixel, while the
    // grid keeps the 18-pixel pitch of this column (without widths, row r of
    // the column is beside pixel row r).
    const GlyphFormat f = glyphFormatOf(s);
    const GridGeometry g = gridGeometry(s);
    const bool aligned = g.pitch == RowOffsets::pitch;
    for (int r = 1; r <= 16; ++r) {
        const int pixelRow = r - 1 + g.shift;
        if (widthByteLayout(s))
            texts.append(r < s.charHeight ? hexText(int64_t{s.glyphOffset} + 1 + int64_t{r - 1} * b) : filler);
        else if (aligned && pixelRow < f.height)
            texts.append(hexText(int64_t{s.glyphOffset} + layoutOf(f.layout).place(f, 0, pixelRow, 0).byte));
        else
            texts.append(filler);
    }
    e.ui.ByteNo->setRowTexts(1, texts);
}

void setCaption(Editor &e, const std::string &fileName, int32_t size)
{
    e.ui.Form1->setWindowTitle(QStringLiteral("VELMORA CE  [%1]  %2")
                                   .arg(QString::fromStdString(fileName), hexText(size)));
}

} // namespace velmora
