#include "app/widget_factory.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace velmora {

QFrame *panel(const QString &name, QWidget *parent, QRect place, const QColor &colour)
{
    auto *w = new QFrame(parent);
    w->setObjectName(name);
    w->setGeometry(place);
    if (colour.isValid()) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, colour);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
    return w;
}

QLabel *label(const QString &name, const QString &text, QWidget *parent, QRect place)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(place);
    return l;
}

QPushButton *button(const QString &name, const QString &caption, const QString &hint, QWidget *parent, QRect place)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setGeometry(place);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QAction *action(QObject *parent, const QString &name, const QString &text, const QString &hint,
                const QKeySequence &shortcut)
{
    auto *a = new QAction(text, parent);
    a->setObjectName(name);
    if (!hint.isEmpty())
        a->setToolTip(hint);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    return a;
}


void colourLabel(QLabel *l, const QColor &background, const QColor &text, bool bold)
{
    QPalette p = l->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    l->setPalette(p);
    l->setAutoFillBackground(true);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
}

} // namespace velmora
