#include "picturebutton.h"

#include "strips.h"

#include <QEvent>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

PictureButton::PictureButton(QWidget *parent) : QPushButton(parent)
{
    // The face covers the whole button: nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureButton::setPictures(const QPixmap &normal, const QPixmap &pressed, const QPixmap &disabled)
{
    m_normal = normal;
    m_pressed = pressed;
    m_disabled = disabled;
    update();
}

bool PictureButton::event(QEvent *event)
{
    const bool handled = QPushButton::event(event);
    // Polishing a push button, when it is first shown or its style changes,
    // takes the mark off; without it a new background repaints the button too.
    if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange)
        setAttribute(Qt::WA_OpaquePaintEvent);
    return handled;
}

QPixmap PictureButton::picture() const
{
    if (!isEnabled())
        return m_disabled;
    return isDown() ? m_pressed : m_normal;
}

QRect PictureButton::pictureRect() const
{
    // Picture and caption together are centred in the button.
    const QSize picture = m_normal.deviceIndependentSize().toSize();
    const int blockHeight = picture.height() + spacing + fontMetrics().height();
    return QRect(QPoint((width() - picture.width()) / 2, (height() - blockHeight) / 2), picture);
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    // A flat face in exactly the back colour, with light and shadow edges
    // derived from it: styles that shade the face would change the colour.
    const QPalette face(palette().color(QPalette::Button));
    if (isDown())
        fillBevel(painter, rect(), face.color(QPalette::Shadow), face.color(QPalette::Light),
                  face.color(QPalette::Dark), face.color(QPalette::Button), face.color(QPalette::Button));
    else
        fillBevel(painter, rect(), face.color(QPalette::Light), face.color(QPalette::Shadow),
                  face.color(QPalette::Button), face.color(QPalette::Dark), face.color(QPalette::Button));

    // Pressed, the contents sink with the face.
    const QPoint shift = isDown() ? QPoint(1, 1) : QPoint();

    const QRect pictureArea = pictureRect().translated(shift);
    painter.drawPixmap(pictureArea, picture());

    const QRect captionArea(0, pictureArea.bottom() + 1 + spacing, width(), fontMetrics().height());
    painter.drawItemText(captionArea.translated(shift.x(), 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic,
                         palette(), isEnabled(), text(), QPalette::ButtonText);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
