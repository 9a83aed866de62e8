#include "outlineshape.h"

#include <QPaintEvent>
#include <QPainter>

OutlineShape::OutlineShape(QWidget *parent) : QFrame(parent) { }

void OutlineShape::paintEvent(QPaintEvent *event)
{
    if (frameShape() != QFrame::Box || frameShadow() != QFrame::Plain) {
        QFrame::paintEvent(event);
        return;
    }
    // The rows inside the outline cover their own rectangles, so what is left
    // to paint here is full of holes, and filling through such a clip costs
    // the painter one pass over every line of it. Each strip, clipped to
    // itself, is one plain rectangle.
    QPainter painter(this);
    const int width = lineWidth();
    const QColor ink = palette().color(QPalette::WindowText);
    const QRect r = rect();
    for (const QRect &strip : {QRect(r.left(), r.top(), r.width(), width),
                               QRect(r.left(), r.bottom() - width + 1, r.width(), width),
                               QRect(r.left(), r.top() + width, width, r.height() - 2 * width),
                               QRect(r.right() - width + 1, r.top() + width, width, r.height() - 2 * width)}) {
        if (!event->region().intersects(strip))
            continue;
        painter.setClipRect(strip);
        painter.fillRect(strip, ink);
    }
}
