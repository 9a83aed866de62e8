#pragma once

// Makes the window's controls from the rows of its control table: where
// each sits, its font and its colours. Positions and sizes are in twips,
// 15 to a pixel.

#include <QPalette>
#include <QString>

#include <optional>
#include <vector>

class AutoSizeLabel;
class PictureButton;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

struct Twips
{
    int left;
    int top;
    int width;
    int height;
};

enum FontStyle { Regular = 0, Bold = 1, Italic = 2 };

// No family: the application's default font.
struct FontChoice
{
    FontChoice() = default;
    FontChoice(const char *family, qreal points, int style = Regular) : family(family), points(points), style(style) { }

    const char *family = nullptr;
    qreal points = 0;
    int style = Regular;
};

// How a control looks: its colours, packed 0x00BBGGRR (none given: the
// platform's), its border and where its text sits.
struct Appearance
{
    // clang-format off
    Appearance &text(quint32 bgr) { textColour = bgr; return *this; }
    Appearance &back(quint32 bgr) { backColour = bgr; return *this; }
    Appearance &border() { bordered = true; return *this; }
    Appearance &centred() { centredText = true; return *this; }
    // clang-format on

    std::optional<quint32> textColour;
    std::optional<quint32> backColour;
    bool bordered = false;
    bool centredText = false;
};

int pixelsFromTwips(int twips);

// Makes the controls as children of the client area, one call each.
class ControlMaker
{
public:
    explicit ControlMaker(QWidget *client) : m_client(client) { }

    QLineEdit *textBox(const char *name, Twips at, const QString &text, FontChoice font, Appearance look);
    QPlainTextEdit *multiLineBox(const char *name, Twips at, const QString &text, FontChoice font, Appearance look);
    QLabel *label(const char *name, Twips at, const QString &text, FontChoice font, Appearance look);
    AutoSizeLabel *autoSizeLabel(const char *name, Twips at, const QString &text, FontChoice font, Appearance look);
    QLabel *picture(const char *name, Twips at);
    QFrame *shape(const char *name, Twips at);
    PictureButton *pictureButton(const char *name, Twips at, const QString &caption, FontChoice font, quint32 back);
    QPushButton *button(const char *name, Twips at, const QString &caption);

    // Labels, pictures and the shape are drawn beneath the boxes and buttons,
    // whatever the order they were made in (the "=" overlaps its neighbours'
    // borders by a pixel), keeping that order among themselves.
    void sinkGraphicalControls();

private:
    template<typename Widget>
    Widget *place(Widget *widget, const char *name, Twips at, FontChoice font);
    template<typename Label>
    Label *styleLabel(Label *label, Appearance look);

    QWidget *m_client;
    std::vector<QWidget *> m_graphical;
};
