#include "app/shortcut_filter.h"

#include <QAction>
#include <QKeyEvent>
#include <QWidget>

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
    if (!widget || !windows_.contains(widget->window()))
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const QKeySequence pressed(QKeyCombination(modifiers, static_cast<Qt::Key>(key->key())));
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
