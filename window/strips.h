#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

#include <array>

// One-pixel edges as filled strips. The generic frame and bevel helpers
// stroke their lines, which costs many times more on every repaint of a
// new background.

// The strips of a plain box of the given width just inside `r`: top,
// bottom, left, right.
inline std::array<QRect, 4> plainBoxStrips(const QRect &r, int width)
{
    return {QRect(r.left(), r.top(), r.width(), width), QRect(r.left(), r.bottom() - width + 1, r.width(), width),
            QRect(r.left(), r.top() + width, width, r.height() - 2 * width),
            QRect(r.right() - width + 1, r.top() + width, width, r.height() - 2 * width)};
}

// A plain box of the given width just inside `r`.
inline void fillPlainBox(QPainter &painter, const QRect &r, int width, const QColor &ink)
{
    for (const QRect &strip : plainBoxStrips(r, width))
        painter.fillRect(strip, ink);
}

// The edges of the classic two-pixel bevel, raised or sunken, pixel for
// pixel as the platform's stroked panels draw them. The colours go by
// place: a raised edge is light on the top-left and dark on the
// bottom-right, a sunken one the other way round.
inline void fillBevelEdges(QPainter &painter, const QRect &r, const QColor &outerTopLeft,
                           const QColor &outerBottomRight, const QColor &innerTopLeft, const QColor &innerBottomRight)
{
    const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    if (w < 2 || h < 2)
        return;
    painter.fillRect(x, y, w - 1, 1, outerTopLeft);
    painter.fillRect(x, y + 1, 1, h - 2, outerTopLeft);
    painter.fillRect(x, y + h - 1, w, 1, outerBottomRight);
    painter.fillRect(x + w - 1, y, 1, h - 1, outerBottomRight);
    if (w <= 4 || h <= 4)
        return;
    painter.fillRect(x + 1, y + 1, w - 3, 1, innerTopLeft);
    painter.fillRect(x + 1, y + 2, 1, h - 4, innerTopLeft);
    painter.fillRect(x + 1, y + h - 2, w - 2, 1, innerBottomRight);
    painter.fillRect(x + w - 2, y + 1, 1, h - 3, innerBottomRight);
}

// The classic bevel of a button, with its face filled.
inline void fillBevel(QPainter &painter, const QRect &r, const QColor &outerTopLeft, const QColor &outerBottomRight,
                      const QColor &innerTopLeft, const QColor &innerBottomRight, const QColor &face)
{
    fillBevelEdges(painter, r, outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight);
    if (r.width() > 4 && r.height() > 4)
        painter.fillRect(r.adjusted(2, 2, -2, -2), face);
}
