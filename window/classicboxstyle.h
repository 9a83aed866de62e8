#pragma once

#include <QProxyStyle>

// The platform's classic look for the boxes that show the question: a
// square, two-pixel sunken edge. Drawn here as filled strips, the same
// pixels the classic style strokes as lines at several times the cost, on
// every box that repaints for a new question.
class ClassicBoxStyle : public QProxyStyle
{
    Q_OBJECT

public:
    ClassicBoxStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
