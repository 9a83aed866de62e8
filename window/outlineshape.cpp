#include "outlineshape.h"

#include "strips.h"

OutlineShape::OutlineShape(QWidget *parent) : QFrame(parent) { }

void OutlineShape::paintEvent(QPaintEvent *event)
{
    if (frameShape() != QFrame::Box || frameShadow() != QFrame::Plain) {
        QFrame::paintEvent(event);
        return;
    }
    QPainter painter(this);
    fillPlainBox(painter, rect(), lineWidth(), palette().color(QPalette::WindowText));
}
