#pragma once
#include <QList>
#include <QObject>

class QAction;
class QWidget;

namespace velmora {

// Makes the window's shortcuts win over a focused line edit or spin box,
// which would otherwise claim plain letters and navigation keys for typing.
// Installed on the application, it declines the focused widget's claim
// (ShortcutOverride) for every key bound to an enabled action, in the
// windows it watches only: other windows (file dialogs) type as usual.
// Widgets of any window marked with markAsTextField() are text fields:
// there plain keys type, and only modified shortcuts run.
class ShortcutFilter : public QObject {
    Q_OBJECT
public:
    explicit ShortcutFilter(QList<QAction *> actions, QObject *parent = nullptr);
    void watchWindow(QWidget *window) { windows_.append(window); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QAction *> actions_;
    QList<QWidget *> windows_;
};

} // namespace velmora
