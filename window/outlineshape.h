#pragma once

#include <QFrame>

// A shape that is only its outline, like the box around the unit rows. The
// plain box is drawn as four strips, since it is repainted over every new
// background.
class OutlineShape : public QFrame
{
    Q_OBJECT

public:
    explicit OutlineShape(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
