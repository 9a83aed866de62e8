#pragma once

#include <QFont>
#include <QLabel>
#include <QStaticText>

// A label of plain text that lays its caption out once per change instead of
// on every repaint, and draws a plain box frame as four strips: every new
// question repaints the labels over a new background. One with no tooltip of
// its own lets the control beneath it show its tooltip.
class CaptionLabel : public QLabel
{
    Q_OBJECT

public:
    explicit CaptionLabel(const QString &text, QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QStaticText m_laidOut;
    QFont m_laidOutFont;
    qreal m_laidOutHeight = 0;
};
