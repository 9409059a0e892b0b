#include "app/shortcut_filter.h"

#include <QAction>
#include <QKeyEvent>
#include <QWidget>

#include "views/text_field.h"

namespace velmora {

ShortcutFilter::ShortcutFilter(QList<QAction *> actions, QObject *parent)
    : QObject(parent), actions_(std::move(actions))
{
}

bool ShortcutFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const QKeySequence pressed(QKeyCombination(modifiers, static_cast<Qt::Key>(key->key())));
    if (widget->property(textFieldProperty).toBool()) {
        // A text field of another window: letters and navigation keys are
        // typing there, while Ctrl and Alt shortcuts and function keys still run.
        const bool typing = !(modifiers & (Qt::ControlModifier | Qt::AltModifier))
                            && (key->key() < Qt::Key_F1 || key->key() > Qt::Key_F35);
        if (typing) {
            event->accept();
            return true;
        }
    } else if (!windows_.contains(widget->window())) {
        return QObject::eventFilter(watched, event);
    }
    for (QAction *action : actions_) {
        if (action->isEnabled() && action->shortcuts().contains(pressed)) {
            // Leave the event unaccepted: the shortcut then fires instead of typing.
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velmora
