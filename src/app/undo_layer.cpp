#include "app/undo_layer.h"

#include <QAction>

#include "app/main_window.h"
#include "model/format.h"
#include "presets/format_controls.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

namespace velmora {

// One model step on the stack. The work is the model's: the command only
// asks the layer to undo or redo the step it stands for.
class UndoLayer::Command : public QUndoCommand {
public:
    Command(UndoLayer &layer, const std::string &name) : layer_(layer)
    {
        setText(QString::fromStdString(name));
    }
    void undo() override { layer_.apply(false); }
    void redo() override { layer_.apply(true); }

private:
    UndoLayer &layer_;
};

UndoLayer::UndoLayer(TForm1 &form) : QObject(&form), form_(form)
{
}

void UndoLayer::step(const std::string &name, const std::function<void(Editor &)> &handler)
{
    Editor &e = form_.editor();
    closeOpenStep();
    e.history.begin(e.state, name);
    form_.run(handler);
    e.history.end(e.state);
    sync();
}

void UndoLayer::gridEvent(const std::function<void(Editor &)> &handler, bool buttonsHeld)
{
    Editor &e = form_.editor();
    if (!e.history.isOpen())
        e.history.begin(e.state, "Draw");
    form_.run(handler);
    if (!buttonsHeld) {
        e.history.end(e.state);
        sync();
    }
}

void UndoLayer::closeOpenStep()
{
    Editor &e = form_.editor();
    if (e.history.isOpen()) {
        e.history.end(e.state);
        sync();
    }
}

void UndoLayer::undo()
{
    closeOpenStep(); // a stroke still held is the step to undo
    stack_.undo();
}

void UndoLayer::redo()
{
    closeOpenStep();
    stack_.redo();
}

void UndoLayer::apply(bool redo)
{
    if (replaying_)
        return;
    // The stack is inside its own undo() or redo() here: no sync until it is done.
    applying_ = true;
    form_.run([redo](Editor &e) {
        if (redo ? e.history.redo(e.state) : e.history.undo(e.state))
            showRestoredStep(e);
    });
    applying_ = false;
}

void UndoLayer::sync()
{
    if (applying_)
        return;
    const EditHistory &history = form_.editor().history;
    if (history.generation() == generation_ && stack_.count() == static_cast<int>(history.count())
        && stack_.index() == static_cast<int>(history.undoCount()))
        return;
    // The common case: one new step on top, which push() also puts above the undone ones.
    if (history.generation() == generation_ && history.undoCount() == history.count()
        && stack_.index() + 1 == static_cast<int>(history.undoCount())) {
        replaying_ = true;
        stack_.push(new Command(*this, history.step(history.count() - 1).name));
        replaying_ = false;
        return;
    }
    rebuild();
}

void UndoLayer::rebuild()
{
    const EditHistory &history = form_.editor().history;
    replaying_ = true;
    stack_.clear();
    for (size_t i = 0; i < history.count(); ++i)
        stack_.push(new Command(*this, history.step(i).name));
    for (size_t i = history.undoCount(); i < history.count(); ++i)
        stack_.undo();
    replaying_ = false;
    generation_ = history.generation();
}

void UndoLayer::followUndo(QAction *action)
{
    const auto show = [this, action] {
        const QString step = stack_.undoText();
        action->setText(step.isEmpty() ? tr("Undo") : tr("Undo %1").arg(step));
        action->setEnabled(stack_.canUndo());
    };
    connect(&stack_, &QUndoStack::indexChanged, action, show);
    connect(&stack_, &QUndoStack::undoTextChanged, action, show);
    connect(&stack_, &QUndoStack::canUndoChanged, action, show);
    show();
}

void UndoLayer::followRedo(QAction *action)
{
    const auto show = [this, action] {
        const QString step = stack_.redoText();
        action->setText(step.isEmpty() ? tr("Redo") : tr("Redo %1").arg(step));
        action->setEnabled(stack_.canRedo());
    };
    connect(&stack_, &QUndoStack::indexChanged, action, show);
    connect(&stack_, &QUndoStack::redoTextChanged, action, show);
    connect(&stack_, &QUndoStack::canRedoChanged, action, show);
    show();
}

void showRestoredStep(Editor &e)
{
    const EditorState &s = e.state;
    showFormat(e);
    showFlags(e);
    // Frame G's cell when G is one of the page's characters, else the first.
    const int64_t distance = int64_t{s.glyphOffset} - s.viewOffset;
    const int step = charStep(s);
    const int cell = distance >= 0 && distance % step == 0 && distance / step < 32 ? static_cast<int>(distance / step) : 0;
    e.ui.MemImg->canvas().fill(toRgb(colours::silver));
    drawOverviewLattice(e.ui.MemImg->canvas(), cell);
    drawGridFrame(e);
    showOffsets(e);
    redrawAll(e);
}

} // namespace velmora
