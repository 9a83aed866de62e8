#include "captionlabel.h"

#include "strips.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QtMath>
#include <QStyle>

CaptionLabel::CaptionLabel(const QString &text, QWidget *parent) : QLabel(parent)
{
    // Names come from the pupil and from the record file: "<b>Ada</b>" is shown as typed.
    setTextFormat(Qt::PlainText);
    setText(text);
}

bool CaptionLabel::event(QEvent *event)
{
    // A caption laid over a picture would otherwise hide the picture's tooltip.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && parentWidget()) {
        const auto *help = static_cast<QHelpEvent *>(event);
        // Looked for as if this label were not there, until the event is
        // handled, so that a second such label beneath cannot hand it back.
        // Only for that while: the label keeps its own mouse pointer.
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        QWidget *beneath = parentWidget()->childAt(mapToParent(help->pos()));
        if (beneath) {
            QHelpEvent forwarded(QEvent::ToolTip, beneath->mapFromGlobal(help->globalPos()), help->globalPos());
            QCoreApplication::sendEvent(beneath, &forwarded);
        }
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
        if (beneath)
            return true;
    }
    return QLabel::event(event);
}

void CaptionLabel::paintEvent(QPaintEvent *event)
{
    if (!pixmap().isNull() || textFormat() == Qt::RichText || wordWrap()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    if (frameShape() == QFrame::Box && frameShadow() == QFrame::Plain) {
        fillPlainBox(painter, rect(), lineWidth(), palette().color(QPalette::WindowText));
    } else {
        drawFrame(&painter);
    }
    if (text().isEmpty())
        return;
    if (m_laidOut.text() != text() || m_laidOutFont != font()) {
        m_laidOut.setTextFormat(Qt::PlainText);
        m_laidOut.setText(text());
        m_laidOut.prepare(QTransform(), font());
        m_laidOutFont = font();
        // As high as QPainter::drawText makes a block of lines: a leading
        // apart, each starting on a whole pixel.
        const QFontMetricsF metrics(font());
        const int lineCount = int(text().count(QLatin1Char('\n'))) + 1;
        qreal height = -metrics.leading();
        for (int i = 0; i < lineCount; ++i)
            height = qCeil(height + metrics.leading()) + metrics.ascent() + metrics.descent();
        m_laidOutHeight = height;
    }

    // Where QLabel puts it: inside the margin, and a framed label keeps half
    // an "x" from the edges it is aligned to unless told otherwise; then
    // aligned to the fraction of a pixel, not rounded first.
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int gap = indent();
    if (gap < 0 && frameWidth() > 0)
        gap = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin();
    if (gap > 0) {
        if (align & Qt::AlignLeft)
            area.setLeft(area.left() + gap);
        if (align & Qt::AlignRight)
            area.setRight(area.right() - gap);
        if (align & Qt::AlignTop)
            area.setTop(area.top() + gap);
        if (align & Qt::AlignBottom)
            area.setBottom(area.bottom() - gap);
    }
    const qreal width = m_laidOut.size().width();
    QPointF at(area.topLeft());
    if (align & Qt::AlignRight)
        at.rx() += area.width() - width;
    else if (align & Qt::AlignHCenter)
        at.rx() += (area.width() - width) / 2;
    if (align & Qt::AlignBottom)
        at.ry() += area.height() - m_laidOutHeight;
    else if (align & Qt::AlignVCenter)
        at.ry() += (area.height() - m_laidOutHeight) / 2;
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawStaticText(at, m_laidOut);
}
