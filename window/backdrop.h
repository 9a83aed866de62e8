#pragma once

#include "question.h"

#include <QWidget>

// The window's client area: the surface behind every control. It shows the
// default window colour until the first question, then each question's
// gradient, or black after a wrong answer; what it shows lasts until changed.
class Backdrop : public QWidget
{
    Q_OBJECT

public:
    enum class Look { Plain, Gradient, Black };

    explicit Backdrop(QWidget *parent = nullptr);

    void showGradient(Tint tint);
    void blank();

    Look look() const { return m_look; }
    Tint tint() const { return m_tint; }

    // The colour of band 0..255, top to bottom.
    static QColor bandColour(Tint tint, int band);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Look m_look = Look::Plain;
    Tint m_tint;
};
