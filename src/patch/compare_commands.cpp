#include "patch/compare_commands.h"

#include <memory>

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>

#include "model/format.h"
#include "patch/byte_runs.h"
#include "storage/file_access.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/editor.h"
#include "views/file_folders.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

namespace velmora {

namespace {

constexpr const char *compareActions[] = {"CompareOff1", "NextChange1", "PrevChange1"};

QFileDialog &compareDialog(Editor &e)
{
    QWidget *owner = e.ui.Form1;
    auto *dialog = owner ? owner->findChild<QFileDialog *>(QStringLiteral("CompareDialog")) : nullptr;
    if (!dialog) {
        dialog = new QFileDialog(owner, QStringLiteral("Compare with"));
        dialog->setObjectName(QStringLiteral("CompareDialog"));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setNameFilter(QStringLiteral("binary files (*.bin);;all files (*)"));
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    return *dialog;
}

int64_t floorDivide(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Selects the character at c: on the current page as a left click on its
// cell would, else on a page starting at c, moved back by whole characters
// while it would run past the image end (as a right click never does).
void selectCharacter(Editor &e, int64_t c)
{
    EditorState &s = e.state;
    const int step = charStep(s);
    int64_t view = s.viewOffset;
    int64_t cell = floorDivide(c - view, step);
    if (cell < 0 || cell >= 32) {
        view = c;
        cell = 0;
        while (cell < 31 && view + pageStep(s) > s.imageLength() && view - step >= 0) {
            view -= step;
            ++cell;
        }
    }
    s.viewOffset = static_cast<int32_t>(view);
    s.glyphOffset = static_cast<int32_t>(c);
    drawOverviewLattice(e.ui.MemImg->canvas(), static_cast<int>(cell));
    drawGridFrame(e);
    readAtOffset(e);
}

void goToChange(Editor &e, bool forward)
{
    EditorState &s = e.state;
    if (!s.reference.bytes || !isValidFormat(s.charWidth, s.charHeight))
        return;
    const std::span<const uint8_t> image = s.image.bytes();
    const std::span<const uint8_t> reference = *s.reference.bytes;
    const int step = charStep(s);
    auto characterOf = [&](int64_t o) { return s.viewOffset + floorDivide(o - s.viewOffset, step) * step; };
    const int64_t current = characterOf(s.glyphOffset);
    const int64_t found = forward ? patch::nextDifference(image, reference, current + step)
                                  : patch::previousDifference(image, reference, current);
    if (found < 0) {
        sayInCompareStatus(e, forward ? QStringLiteral("No further change") : QStringLiteral("No earlier change"));
        return;
    }
    int64_t c = characterOf(found);
    // Before the first whole character of the grid no offset is valid: its
    // first character is the nearest.
    if (c < 0)
        c += step;
    if (c > INT32_MAX)
        return;
    selectCharacter(e, c);
}

QString countText(size_t count, const char *one, const char *many)
{
    return QStringLiteral("%L1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

void Compare1Click(Editor &e)
{
    QFileDialog &dialog = compareDialog(e);
    if (!runFileDialogFor(e, dialog, "reference"))
        return;
    const QString path = dialog.selectedFiles().value(0);
    auto bytes = std::make_shared<const std::vector<uint8_t>>(readWholeFile(path));
    e.state.reference = {std::move(bytes), QFileInfo(path).fileName().toStdString()};
    redrawAll(e);
}

void CompareOff1Click(Editor &e)
{
    e.state.reference = {};
    redrawAll(e);
}

void NextChange1Click(Editor &e) { goToChange(e, true); }

void PrevChange1Click(Editor &e) { goToChange(e, false); }

void sayInCompareStatus(Editor &e, const QString &text)
{
    if (QLabel *label = e.ui.CompareStatus) {
        label->setText(text);
        label->show();
    }
}

void showCompareStatus(Editor &e)
{
    QLabel *label = e.ui.CompareStatus;
    if (!label)
        return;
    ReferenceImage &r = e.state.reference;
    const bool comparing = r.bytes != nullptr;
    if (label->isHidden() == comparing) {
        label->setVisible(comparing);
        for (const char *name : compareActions)
            if (auto *action = e.ui.Form1->findChild<QAction *>(QLatin1String(name)))
                action->setEnabled(comparing);
    }
    if (!comparing)
        return;
    if (r.countedAt != e.state.image.generation()) {
        const patch::DifferenceCount count = patch::countDifferences(e.state.image.bytes(), *r.bytes);
        r.differingBytes = count.bytes;
        r.differingRuns = count.runs;
        r.countedAt = e.state.image.generation();
    }
    const QString name = QString::fromStdString(r.name);
    const QString text = r.differingBytes == 0
        ? QStringLiteral("Same as %1").arg(name)
        : QStringLiteral("%1 %2 from %3, in %4")
              .arg(countText(r.differingBytes, "byte", "bytes"), QLatin1String(r.differingBytes == 1 ? "differs" : "differ"),
                   name, countText(r.differingRuns, "run", "runs"));
    if (label->text() != text)
        label->setText(text);
}

} // namespace velmora
