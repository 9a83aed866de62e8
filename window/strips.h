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

// The edges of the classic two-pixel bevel, raised or sunken: outer
// top-left, outer bottom-right, inner top-left, inner bottom-right, as the
// platform's stroked panels draw them, pixel for pixel.
inline void fillBevelEdges(QPainter &painter, const QRect &r, const QColor &outerLight, const QColor &outerDark,
                           const QColor &innerLight, const QColor &innerDark)
{
    const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    if (w < 2 || h < 2)
        return;
    painter.fillRect(x, y, w - 1, 1, outerLight);
    painter.fillRect(x, y + 1, 1, h - 2, outerLight);
    painter.fillRect(x, y + h - 1, w, 1, outerDark);
    painter.fillRect(x + w - 1, y, 1, h - 1, outerDark);
    if (w <= 4 || h <= 4)
        return;
    painter.fillRect(x + 1, y + 1, w - 3, 1, innerLight);
    painter.fillRect(x + 1, y + 2, 1, h - 4, innerLight);
    painter.fillRect(x + 1, y + h - 2, w - 2, 1, innerDark);
    painter.fillRect(x + w - 2, y + 1, 1, h - 3, innerDark);
}

// The classic bevel of a button, with its face filled.
inline void fillBevel(QPainter &painter, const QRect &r, const QColor &outerLight, const QColor &outerDark,
                      const QColor &innerLight, const QColor &innerDark, const QColor &face)
{
    fillBevelEdges(painter, r, outerLight, outerDark, innerLight, innerDark);
    if (r.width() > 4 && r.height() > 4)
        painter.fillRect(r.adjusted(2, 2, -2, -2), face);
}
