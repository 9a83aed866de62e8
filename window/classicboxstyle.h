#pragma once

#include <QProxyStyle>

// The platform's classic look for the boxes that show the question: a
// square, two-pixel sunken edge. Drawn here as filled strips: the same
// pixels the classic style strokes as lines, at less cost on every box that
// repaints for a new question (docs/performance.md).
class ClassicBoxStyle : public QProxyStyle
{
    Q_OBJECT

public:
    ClassicBoxStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
