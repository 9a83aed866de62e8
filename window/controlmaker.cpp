#include "controlmaker.h"

#include "autosizelabel.h"
#include "captionlabel.h"
#include "colours.h"
#include "fonts.h"
#include "outlineshape.h"
#include "picturebutton.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int twipsPerPixel = 15;

void setColour(QWidget *widget, QPalette::ColorRole role, std::optional<quint32> bgr)
{
    if (!bgr)
        return;
    QPalette palette = widget->palette();
    palette.setColor(role, fromBgr(*bgr));
    widget->setPalette(palette);
}

} // namespace

int pixelsFromTwips(int twips)
{
    Q_ASSERT(twips % twipsPerPixel == 0);
    return twips / twipsPerPixel;
}

QLineEdit *ControlMaker::textBox(const char *name, Twips at, const QString &text, FontChoice font, Appearance look)
{
    auto *box = place(new QLineEdit(text, m_client), name, at, font);
    box->setCursorPosition(0); // show a text too long for the box from its start
    setColour(box, QPalette::Text, look.textColour);
    setColour(box, QPalette::Base, look.backColour);
    if (look.centredText)
        box->setAlignment(Qt::AlignCenter);
    return box;
}

QPlainTextEdit *ControlMaker::multiLineBox(const char *name, Twips at, const QString &text, FontChoice font,
                                           Appearance look)
{
    auto *box = place(new QPlainTextEdit(text, m_client), name, at, font);
    setColour(box, QPalette::Text, look.textColour);
    setColour(box, QPalette::Base, look.backColour);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setTabChangesFocus(true);
    return box;
}

QLabel *ControlMaker::label(const char *name, Twips at, const QString &text, FontChoice font, Appearance look)
{
    return styleLabel(place(new CaptionLabel(text, m_client), name, at, font), look);
}

AutoSizeLabel *ControlMaker::autoSizeLabel(const char *name, Twips at, const QString &text, FontChoice font,
                                           Appearance look)
{
    // Sized by the table, until a new caption is fitted.
    return styleLabel(place(new AutoSizeLabel(text, m_client), name, at, font), look);
}

QLabel *ControlMaker::picture(const char *name, Twips at)
{
    auto *picture = place(new QLabel(m_client), name, at, {});
    picture->setTextFormat(Qt::PlainText);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_graphical.push_back(picture);
    return picture;
}

QFrame *ControlMaker::shape(const char *name, Twips at)
{
    auto *shape = place(new OutlineShape(m_client), name, at, {});
    shape->setFrameStyle(QFrame::Box | QFrame::Plain);
    shape->setLineWidth(1);
    m_graphical.push_back(shape);
    return shape;
}

PictureButton *ControlMaker::pictureButton(const char *name, Twips at, const QString &caption, FontChoice font,
                                           quint32 back)
{
    auto *button = place(new PictureButton(m_client), name, at, font);
    button->setText(caption);
    setColour(button, QPalette::Button, back);
    // Enter presses the focused button, as the game expects after an answer.
    button->setAutoDefault(true);
    return button;
}

QPushButton *ControlMaker::button(const char *name, Twips at, const QString &caption)
{
    return place(new QPushButton(caption, m_client), name, at, {});
}

void ControlMaker::sinkGraphicalControls()
{
    for (auto it = m_graphical.rbegin(); it != m_graphical.rend(); ++it)
        (*it)->lower();
}

template<typename Widget>
Widget *ControlMaker::place(Widget *widget, const char *name, Twips at, FontChoice font)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(pixelsFromTwips(at.left), pixelsFromTwips(at.top), pixelsFromTwips(at.width),
                        pixelsFromTwips(at.height));
    if (font.family) {
        QFont f(installedFamily(QString::fromLatin1(font.family)));
        f.setPointSizeF(font.points);
        f.setBold(font.style & Bold);
        f.setItalic(font.style & Italic);
        widget->setFont(f);
    }
    return widget;
}

template<typename Label>
Label *ControlMaker::styleLabel(Label *label, Appearance look)
{
    setColour(label, QPalette::WindowText, look.textColour);
    if (look.backColour) {
        setColour(label, QPalette::Window, look.backColour);
        label->setAutoFillBackground(true);
    }
    if (look.bordered) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
    }
    label->setAlignment(look.centredText ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    m_graphical.push_back(label);
    return label;
}
