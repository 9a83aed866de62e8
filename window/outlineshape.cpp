#include "outlineshape.h"

#include "strips.h"

#include <QPaintEvent>

OutlineShape::OutlineShape(QWidget *parent) : QFrame(parent)
{ }

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
    const QColor ink = palette().color(QPalette::WindowText);
    for (const QRect &strip : plainBoxStrips(rect(), lineWidth())) {
        if (!event->region().intersects(strip))
            continue;
        painter.setClipRect(strip);
        painter.fillRect(strip, ink);
    }
}
