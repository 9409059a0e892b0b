#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include <QObject>
#include <QUndoStack>

class QAction;

namespace velmora {

struct Editor;
class TForm1;

// The window side of the edit history: a QUndoStack mirroring the model's
// EditHistory (src/model/edit_history.h), whose commands undo and redo the
// model's steps and show them where they were made. Edit handlers run
// through step() or gridEvent(), which record each user action as one step.
class UndoLayer : public QObject {
    Q_OBJECT
public:
    explicit UndoLayer(TForm1 &form);

    QUndoStack &stack() { return stack_; }
    // Runs handler as one step named name.
    void step(const std::string &name, const std::function<void(Editor &)> &handler);
    // Runs a mouse handler of the edit grid. Events with a button held form
    // one step from the first of them to the release of the last button;
    // an event with no button held is a step of its own.
    void gridEvent(const std::function<void(Editor &)> &handler, bool buttonsHeld);
    void undo();
    void redo();
    // Brings the stack in line with the model after a handler changed it
    // (a new step, or steps dropped or cleared). Runs after every handler.
    void sync();
    // Keeps action's text ("Undo Write") and enabled state in line with the stack.
    void followUndo(QAction *action);
    void followRedo(QAction *action);

private:
    class Command;
    void closeOpenStep();
    void rebuild();
    void apply(bool redo);

    TForm1 &form_;
    QUndoStack stack_;
    uint64_t generation_ = 0;
    bool replaying_ = false; // commands pushed or moved without running
    bool applying_ = false;
};

// Draws the editor after an undo or redo: the step's format, flags and
// place, then every view.
void showRestoredStep(Editor &editor);

} // namespace velmora
