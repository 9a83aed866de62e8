#pragma once

#include <QPixmap>
#include <QPushButton>

// A push button that shows a picture above its caption, with a picture of
// its own for each state: normal, pressed and disabled. The caption keeps
// its "&" access key.
class PictureButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PictureButton(QWidget *parent = nullptr);

    void setPictures(const QPixmap &normal, const QPixmap &pressed, const QPixmap &disabled);

    // The picture for the button's present state.
    QPixmap picture() const;

    // Where the picture is drawn while the button is not pressed.
    QRect pictureRect() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    static constexpr int spacing = 2; // between picture and caption

    QPixmap m_normal;
    QPixmap m_pressed;
    QPixmap m_disabled;
};
