#include "app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora {

namespace {

void page(QPainter &p, QRect r)
{
    p.setBrush(Qt::white);
    p.drawRect(r);
}

void arrow(QPainter &p, QPoint from, QPoint to)
{
    p.drawLine(from, to);
    const int dy = to.y() > from.y() ? -3 : 3;
    p.drawLine(to, to + QPoint(-3, dy));
    p.drawLine(to, to + QPoint(3, dy));
}

// A half-circle arrow turning back to the left (undo) or, mirrored, to the right (redo).
void turnArrow(QPainter &p, bool mirrored)
{
    if (mirrored) {
        p.translate(18, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(QColor(30, 70, 150), 2));
    QPainterPath path;
    path.moveTo(4, 7);
    path.arcTo(QRectF(4, 3, 11, 10), 180, -180);
    path.arcTo(QRectF(6, 3, 9, 12), 0, -90);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.drawLine(4, 8, 1, 5);
    p.drawLine(4, 8, 7, 5);
}

void glyphGrid(QPainter &p)
{
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(2, 10, 13, 6);
    p.fillRect(5, 12, 2, 2, Qt::black);
    p.fillRect(10, 12, 2, 2, Qt::black);
}

} // namespace

QIcon toolBarIcon(int index)
{
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1));
    switch (index) {
    case 0: // new
        page(p, QRect(4, 1, 10, 15));
        break;
    case 1: // open
        p.setBrush(QColor(230, 200, 90));
        p.drawRect(1, 5, 15, 10);
        p.drawRect(1, 3, 6, 2);
        break;
    case 2: // merge
        page(p, QRect(1, 1, 9, 12));
        page(p, QRect(7, 5, 9, 12));
        p.drawLine(9, 11, 14, 11);
        p.drawLine(11, 8, 11, 14);
        break;
    case 3: // save
        p.setBrush(QColor(60, 90, 160));
        p.drawRect(1, 1, 15, 15);
        p.fillRect(4, 2, 10, 5, Qt::white);
        p.fillRect(5, 10, 8, 6, QColor(200, 200, 200));
        break;
    case 4: // clear
        p.setPen(QPen(QColor(180, 0, 0), 2));
        p.drawLine(3, 3, 14, 14);
        p.drawLine(14, 3, 3, 14);
        break;
    case 5: // copy
        page(p, QRect(1, 1, 10, 12));
        page(p, QRect(6, 5, 10, 12));
        break;
    case 6: { // paste
        p.setBrush(QColor(170, 120, 60));
        p.drawRect(2, 2, 13, 15);
        page(p, QRect(6, 6, 10, 11));
        p.fillRect(6, 1, 5, 3, Qt::gray);
        break;
    }
    case 7: // read: from memory into the glyph
        glyphGrid(p);
        arrow(p, QPoint(8, 1), QPoint(8, 8));
        break;
    case 9: // undo
        turnArrow(p, false);
        break;
    case 10: // redo
        turnArrow(p, true);
        break;
    default: // write: from the glyph into memory
        glyphGrid(p);
        arrow(p, QPoint(8, 8), QPoint(8, 1));
        break;
    }
    return QIcon(pixmap);
}

} // namespace velmora
