#include "backdrop.h"

#include <QPaintEvent>
#include <QPainter>

Backdrop::Backdrop(QWidget *parent) : QWidget(parent)
{
    // Every look covers every pixel, so the window need not paint beneath it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Backdrop::showGradient(Tint tint)
{
    m_tint = tint;
    m_look = Look::Gradient;
    // Qt leaves out of the repaint the controls that paint every pixel of
    // their own (opaque paint events, or an opaque filled background): a new
    // look repaints only what shows of it, and what lies over that.
    update();
}

void Backdrop::blank()
{
    m_look = Look::Black;
    update();
}

QColor Backdrop::bandColour(Tint tint, int band)
{
    return QColor(tint.redFactor * 20, tint.greenFactor * 20, band);
}

void Backdrop::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    switch (m_look) {
    case Look::Plain:
        painter.fillRect(rect(), palette().window());
        break;
    case Look::Black:
        painter.fillRect(rect(), Qt::black);
        break;
    case Look::Gradient: {
        // 256 bands of equal height over the whole client area, blue 0 at the top to 255 at the bottom.
        // Only the bands under the damaged area: a tick redraws a strip behind the clock, not the window.
        const int h = height();
        const QRect damaged = event->rect();
        for (int band = 0; band < 256; ++band) {
            const int top = band * h / 256;
            const int bottom = (band + 1) * h / 256;
            if (bottom > top && bottom > damaged.top() && top <= damaged.bottom())
                painter.fillRect(0, top, width(), bottom - top, bandColour(m_tint, band));
        }
        break;
    }
    }
}
