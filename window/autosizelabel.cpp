#include "autosizelabel.h"

#include <QPainter>
#include <QStyle>

AutoSizeLabel::AutoSizeLabel(QWidget *parent) : QLabel(parent)
{
    // A framed QLabel otherwise indents its text by half an "x", which the
    // fitted width would cut off.
    setIndent(0);
}

void AutoSizeLabel::setText(const QString &text)
{
    QLabel::setText(text);
    resize(fittingSize());
}

QSize AutoSizeLabel::fittingSize() const
{
    const QFontMetrics metrics(font());
    const int edges = 2 * (frameWidth() + margin());
    // Line breaks count: the record labels show their file's line, line end included.
    const QStringList lines = text().split(QLatin1Char('\n'));
    int width = 0;
    for (const QString &line : lines)
        width = qMax(width, metrics.horizontalAdvance(line));
    const int height = metrics.height() + int(lines.size() - 1) * metrics.lineSpacing();
    return {width + edges, height + edges};
}

void AutoSizeLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (frameShape() == QFrame::Box && frameShadow() == QFrame::Plain) {
        // The plain box as four filled strips, a fraction of the cost of the
        // generic frame, which strokes it.
        const QRect r = rect();
        const int w = lineWidth();
        const QColor ink = palette().color(QPalette::WindowText);
        painter.fillRect(r.left(), r.top(), r.width(), w, ink);
        painter.fillRect(r.left(), r.bottom() - w + 1, r.width(), w, ink);
        painter.fillRect(r.left(), r.top() + w, w, r.height() - 2 * w, ink);
        painter.fillRect(r.right() - w + 1, r.top() + w, w, r.height() - 2 * w, ink);
    } else {
        drawFrame(&painter);
    }
    if (m_laidOut.text() != text() || m_laidOutFont != font()) {
        m_laidOut.setTextFormat(Qt::PlainText);
        m_laidOut.setText(text());
        m_laidOut.prepare(QTransform(), font());
        m_laidOutFont = font();
    }
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QRect at = QStyle::alignedRect(layoutDirection(), alignment(), m_laidOut.size().toSize(), area);
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawStaticText(at.topLeft(), m_laidOut);
}
