#pragma once
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include "support/window_fixture.h"
#include "views/canvas_widget.h"

namespace velmora::test {

// What a canvas widget shows, read the way a screen would: through grab().
inline QImage shot(Window &w, const char *name) { return w.find<QWidget>(name)->grab().toImage(); }

// Colours as "#rrggbb", so failed comparisons read well.
inline QString colourAt(const QImage &image, int x, int y) { return QColor(image.pixel(x, y)).name(); }
inline QString name(Colour c) { return QColor(toRgb(c)).name(); }

// A pointer movement with buttons held, delivered to the widget as Qt would.
inline void moveWith(QWidget *widget, Qt::MouseButtons buttons, QPoint position)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(position), widget->mapToGlobal(QPointF(position)), Qt::NoButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// One expected colour at one pixel.
struct Probe {
    int x;
    int y;
    QString colour;
};

// The probes whose pixel differs, described for the failure message.
inline QString mismatches(const QImage &image, std::initializer_list<Probe> probes)
{
    QStringList wrong;
    for (const Probe &p : probes)
        if (colourAt(image, p.x, p.y) != p.colour)
            wrong << QStringLiteral("(%1, %2) is %3, expected %4").arg(p.x).arg(p.y).arg(colourAt(image, p.x, p.y), p.colour);
    return wrong.join(QStringLiteral("; "));
}

} // namespace velmora::test
