#pragma once
#include <QImage>
#include <QWidget>

#include "model/colours.h"

namespace velmora {

// Converts a 0x00BBGGRR colour to Qt's 0xAARRGGBB.
inline QRgb toRgb(Colour c)
{
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// An image control: a persistent canvas that drawing operations paint on and
// that the widget shows 1:1 at its top-left. Mouse events are passed on with
// positions in canvas coordinates (negative left of and above the widget).
class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    CanvasWidget(const QString &name, QSize size, QWidget *parent = nullptr);

    QImage &canvas() { return canvas_; }
    const QImage &canvas() const { return canvas_; }

signals:
    void pressed(Qt::MouseButton button, QPoint position);
    void moved(Qt::MouseButtons buttons, QPoint position);
    // held: the buttons still down after this release.
    void released(Qt::MouseButton button, QPoint position, Qt::MouseButtons held);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Qt follows the second press of a double click with a double-click event;
    // that press has been reported already, so the event is dropped.
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage canvas_;
};

} // namespace velmora
