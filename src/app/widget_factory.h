#pragma once
#include <QColor>
#include <QKeySequence>
#include <QRect>
#include <QString>

class QAction;
class QFrame;
class QLabel;
class QObject;
class QPushButton;
class QWidget;

namespace velmora {

// Small builders for the window's named controls.

// A panel coloured through its palette (no style sheet: it would slow the
// painting of every control inside it).
QFrame *panel(const QString &name, QWidget *parent, QRect place, const QColor &colour = {});
QLabel *label(const QString &name, const QString &text, QWidget *parent, QRect place);
// A push button that takes no keyboard focus, so keys stay with the window.
QPushButton *button(const QString &name, const QString &caption, const QString &hint, QWidget *parent, QRect place);
// An action whose shortcut works in every window of the application.
QAction *action(QObject *parent, const QString &name, const QString &text, const QString &hint = {},
                const QKeySequence &shortcut = {});
// Colours a label through its palette: cheaper to repaint than a style sheet.
void colourLabel(QLabel *label, const QColor &background, const QColor &text, bool bold);

// The range label's colour 0x807060 (0x00BBGGRR).
inline const QColor rangeBackground{0x60, 0x70, 0x80};

} // namespace velmora
