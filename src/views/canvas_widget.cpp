#include "views/canvas_widget.h"

#include <QMouseEvent>
#include <QPainter>

namespace velmora {

CanvasWidget::CanvasWidget(const QString &name, QSize size, QWidget *parent)
    : QWidget(parent), canvas_(size, QImage::Format_RGB32)
{
    setObjectName(name);
    setFixedSize(size);
    canvas_.fill(toRgb(colours::silver));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, canvas_);
}

void CanvasWidget::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button(), event->position().toPoint());
}

void CanvasWidget::mouseMoveEvent(QMouseEvent *event)
{
    emit moved(event->buttons(), event->position().toPoint());
}

void CanvasWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent *event)
{
    emit released(event->button(), event->position().toPoint(), event->buttons());
}

} // namespace velmora
