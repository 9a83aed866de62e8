// The window as it is before the game starts: where each control sits, what
// it shows and how it looks. Positions and sizes are in twips, 15 to a pixel.

#include "tavola.h"

#include "art.h"
#include "autosizelabel.h"
#include "backdrop.h"
#include "captionlabel.h"
#include "classicboxstyle.h"
#include "colours.h"
#include "fonts.h"
#include "outlineshape.h"
#include "picturebutton.h"
#include "weightunit.h"

#include <QAccessibleWidget>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr int twipsPerPixel = 15;

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

// Colours packed 0x00BBGGRR; none given means the platform's.
struct Look
{
    // clang-format off
    Look &text(quint32 bgr) { textColour = bgr; return *this; }
    Look &back(quint32 bgr) { backColour = bgr; return *this; }
    Look &border() { bordered = true; return *this; }
    Look &centred() { centredText = true; return *this; }
    // clang-format on

    std::optional<quint32> textColour;
    std::optional<quint32> backColour;
    bool bordered = false;
    bool centredText = false;
};

int pixels(int twips)
{
    Q_ASSERT(twips % twipsPerPixel == 0);
    return twips / twipsPerPixel;
}

void setColour(QWidget *widget, QPalette::ColorRole role, std::optional<quint32> bgr)
{
    if (!bgr)
        return;
    QPalette palette = widget->palette();
    palette.setColor(role, fromBgr(*bgr));
    widget->setPalette(palette);
}

// Makes the controls as children of the client area, one call each.
class Layout
{
public:
    explicit Layout(QWidget *client) : m_client(client) { }

    QLineEdit *textBox(const char *name, Twips at, const QString &text, FontChoice font, Look look)
    {
        auto *box = place(new QLineEdit(text, m_client), name, at, font);
        box->setCursorPosition(0); // show a text too long for the box from its start
        setColour(box, QPalette::Text, look.textColour);
        setColour(box, QPalette::Base, look.backColour);
        if (look.centredText)
            box->setAlignment(Qt::AlignCenter);
        return box;
    }

    QPlainTextEdit *multiLineBox(const char *name, Twips at, const QString &text, FontChoice font, Look look)
    {
        auto *box = place(new QPlainTextEdit(text, m_client), name, at, font);
        setColour(box, QPalette::Text, look.textColour);
        setColour(box, QPalette::Base, look.backColour);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setTabChangesFocus(true);
        return box;
    }

    QLabel *label(const char *name, Twips at, const QString &text, FontChoice font, Look look)
    {
        return styleLabel(place(new CaptionLabel(text, m_client), name, at, font), look);
    }

    AutoSizeLabel *autoSizeLabel(const char *name, Twips at, const QString &text, FontChoice font, Look look)
    {
        // Sized by the table, until a new caption is fitted.
        return styleLabel(place(new AutoSizeLabel(text, m_client), name, at, font), look);
    }

    QLabel *picture(const char *name, Twips at)
    {
        auto *picture = place(new QLabel(m_client), name, at, {});
        picture->setTextFormat(Qt::PlainText);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_graphical.push_back(picture);
        return picture;
    }

    QFrame *shape(const char *name, Twips at)
    {
        auto *shape = place(new OutlineShape(m_client), name, at, {});
        shape->setFrameStyle(QFrame::Box | QFrame::Plain);
        shape->setLineWidth(1);
        m_graphical.push_back(shape);
        return shape;
    }

    PictureButton *pictureButton(const char *name, Twips at, const QString &caption, FontChoice font, quint32 back)
    {
        auto *button = place(new PictureButton(m_client), name, at, font);
        button->setText(caption);
        setColour(button, QPalette::Button, back);
        // Enter presses the focused button, as the game expects after an answer.
        button->setAutoDefault(true);
        return button;
    }

    QPushButton *button(const char *name, Twips at, const QString &caption)
    {
        return place(new QPushButton(caption, m_client), name, at, {});
    }

    // Labels, pictures and the shape are drawn beneath the boxes and buttons,
    // whatever the order they were made in (the "=" overlaps its neighbours'
    // borders by a pixel), keeping that order among themselves.
    void sinkGraphicalControls()
    {
        for (auto it = m_graphical.rbegin(); it != m_graphical.rend(); ++it)
            (*it)->lower();
    }

private:
    template<typename Widget>
    Widget *place(Widget *widget, const char *name, Twips at, FontChoice font)
    {
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(pixels(at.left), pixels(at.top), pixels(at.width), pixels(at.height));
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
    Label *styleLabel(Label *label, Look look)
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

    QWidget *m_client;
    std::vector<QWidget *> m_graphical;
};

// Shown on hover and read out by screen readers.
void describe(QWidget *widget, const QString &accessibleName, const QString &toolTip = {})
{
    widget->setAccessibleName(accessibleName);
    if (!toolTip.isEmpty()) {
        widget->setToolTip(toolTip);
        widget->setAccessibleDescription(toolTip);
    }
}

// Command1 and the pictures do nothing when pressed or clicked. A screen
// reader is told what they are, the name in this property, as a still text
// or picture, with no role or hint (Image1's tooltip says to click) that
// invites a press; what a sighted pupil sees stays.
constexpr char stillName[] = "stillName";

class StillAccessible : public QAccessibleWidget
{
public:
    explicit StillAccessible(QWidget *widget)
        : QAccessibleWidget(widget, qobject_cast<QLabel *>(widget) ? QAccessible::Graphic : QAccessible::StaticText)
    { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->property(stillName).toString();
        if (t == QAccessible::Description)
            return QString();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *stillAccessible(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->property(stillName).isValid())
        return new StillAccessible(widget);
    return nullptr;
}

} // namespace

void Tavola::buildControls()
{
    static const bool stillInstalled = (QAccessible::installFactory(stillAccessible), true);
    Q_UNUSED(stillInstalled);
    m_client = new Backdrop(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setMinimumSize(pixels(11880), pixels(8310));
    setCentralWidget(m_client);

    const QString text4Blank = QStringLiteral("        \n        \n        \n        \n  \n");
    const FontChoice sansRow {"MS Sans Serif", 18};

    // One control a line, in the order they are made: the layout table.
    // clang-format off
    Layout at(m_client);
    m_text6 = at.textBox("Text6", {120, 0, 2295, 1095}, QStringLiteral("Text6"), {"Arial", 48}, Look().back(0xC0FFC0));
    m_text4 = at.multiLineBox("Text4", {8880, 0, 1575, 1095}, text4Blank, {"Arial", 36}, Look().text(0x00C000).back(0xFFFFC0));
    m_text3 = at.textBox("Text3", {2400, 0, 1575, 1095}, QStringLiteral("Text3"), {"Arial", 36}, Look().text(0x0000FF).back(0xC0FFC0));
    m_text2 = at.textBox("Text2", {3000, 3000, 735, 285}, QStringLiteral("Text2"), {}, Look());
    m_text1[6] = at.textBox("Text1", {10680, 5520, 975, 615}, unitSymbol(1), sansRow, Look().centred());
    m_text1[5] = at.textBox("Text1", {10680, 4560, 975, 735}, unitSymbol(2), sansRow, Look().centred());
    m_text1[4] = at.textBox("Text1", {10680, 3720, 975, 735}, unitSymbol(3), sansRow, Look().centred());
    m_text1[3] = at.textBox("Text1", {10680, 2760, 975, 795}, unitSymbol(4), {"MS Sans Serif", 24}, Look().centred());
    m_text1[2] = at.textBox("Text1", {10680, 1920, 975, 735}, unitSymbol(5), sansRow, Look().centred());
    m_text1[1] = at.textBox("Text1", {10680, 960, 975, 855}, unitSymbol(6), sansRow, Look().centred());
    m_text1[0] = at.textBox("Text1", {10680, 120, 975, 735}, unitSymbol(7), sansRow, Look().centred());
    m_txtAnswer = at.textBox("txtAnswer", {4560, 0, 4335, 1080}, QString(), {"Arial", 36, Bold}, Look().back(0xFFFFC0));
    m_cmdNext = at.pictureButton("cmdNext", {4200, 5280, 1815, 1095}, QStringLiteral("&Nuovo calcolo"), {"MS Sans Serif", 8.25, Bold}, 0xC0C000);
    m_cmdExit1 = at.pictureButton("cmdExit1", {7680, 5280, 2055, 1095}, QStringLiteral("E&xit"), {"MS Sans Serif", 8.25, Bold}, 0xC000C0);
    m_command1 = at.button("Command1", {4680, 5640, 855, 615}, QStringLiteral("Command1"));
    m_image5 = at.picture("Image5", {9720, 2040, 480, 480});
    m_image4 = at.picture("Image4", {360, 4200, 480, 480});
    m_image3 = at.picture("Image3", {6000, 4200, 480, 480});
    m_image2 = at.picture("Image2", {3840, 1200, 1050, 870});
    m_label2 = at.label("Label2", {1680, 2760, 975, 495}, QStringLiteral("Label2"), {}, Look());
    m_shape1 = at.shape("Shape1", {10560, 0, 1215, 7335});
    m_lblpunti = at.autoSizeLabel("lblpunti", {9720, 7320, 270, 555}, QStringLiteral("0"), {"MS Sans Serif", 24}, Look().text(0xC000C0));
    m_label13 = at.autoSizeLabel("Label13", {8160, 7440, 1455, 435}, QStringLiteral("con punti"), sansRow, Look().text(0xC000C0));
    m_lblnome = at.autoSizeLabel("lblnome", {2640, 7560, 990, 435}, QStringLiteral("nome"), {"MS Sans Serif", 18, Bold}, Look().text(0xFF0000));
    m_label12 = at.label("Label12", {360, 7560, 2295, 375}, QStringLiteral("Il record  è di "), sansRow, Look().text(0xC000C0));
    m_lblnome1 = at.autoSizeLabel("lblnome1", {360, 6720, 165, 420}, QString(), {"MS Sans Serif", 13.5, Bold}, Look().text(0x008000).border());
    m_label14 = at.autoSizeLabel("Label14", {360, 6000, 1425, 420}, QStringLiteral("Sfidante"), {"MS Sans Serif", 13.5}, Look().text(0x008000).border().centred());
    m_label5 = at.label("Label5", {2160, 1680, 6615, 615}, QString(), {"MS Sans Serif", 24, Bold | Italic}, Look().text(0x0000FF).centred());
    m_lblconto = at.label("lblconto", {240, 2280, 1575, 495}, QStringLiteral("00.00.00"), {"Arial Black", 12, Bold}, Look().text(0x00FFFF).border());
    m_label11 = at.label("Label11", {240, 1800, 1575, 375}, QStringLiteral("Tempo restante"), {"MS Sans Serif", 9.75}, Look().text(0x00FFFF));
    m_label3 = at.autoSizeLabel("Label3", {7440, 3360, 2340, 495}, QStringLiteral("Risposte totali"), sansRow, Look().text(0xFF0000).border());
    m_label1 = at.autoSizeLabel("Label1", {3840, 3360, 2520, 495}, QStringLiteral("Risposte errate"), sansRow, Look().text(0x0000FF).border());
    m_lblScore2 = at.autoSizeLabel("lblScore2", {8310, 4080, 555, 885}, QStringLiteral("0"), {"Times New Roman", 36, Bold}, Look().text(0xFF0000).border().centred());
    m_lblScore1 = at.autoSizeLabel("lblScore1", {4830, 4080, 540, 885}, QStringLiteral("0"), {"Times New Roman", 36, Bold}, Look().text(0x0000FF).border().centred());
    m_image1 = at.picture("Image1", {2040, 1920, 480, 480});
    m_label4 = at.label("Label4", {3960, 0, 615, 1095}, QStringLiteral("="), {"Arial", 48, Bold}, Look().back(0xFFFF80).centred());
    m_lblScore = at.autoSizeLabel("lblScore", {1080, 4080, 555, 885}, QStringLiteral("0"), {"Times New Roman", 36, Bold}, Look().border().centred());
    m_lblMessage = at.label("lblMessage", {1680, 2040, 6615, 615}, QString(), {"MS Sans Serif", 24, Bold | Italic}, Look().text(0x0000FF).centred());
    m_label6 = at.autoSizeLabel("Label6", {240, 3360, 2565, 495}, QStringLiteral("Risposte esatte"), sansRow, Look().text(0x00C000).border().centred());
    // clang-format on
    at.sinkGraphicalControls();
    // Command1 does nothing; beneath cmdNext it cannot swallow a click meant for it.
    m_command1->stackUnder(m_cmdNext);

    // The boxes that take and show the question have the platform's classic
    // sunken edge: square and drawn in plain lines, so they fill their whole
    // rectangle and a new background leaves them alone.
    auto *classic = new ClassicBoxStyle;
    classic->setParent(m_client);
    for (QWidget *box : std::initializer_list<QWidget *> {m_text6, m_text3, m_txtAnswer, m_text4, m_text2}) {
        box->setStyle(classic);
        QPalette palette = box->palette();
        palette.setBrush(QPalette::Window, palette.base());
        box->setPalette(palette);
        box->setAutoFillBackground(true);
    }

    for (int k = 0; k < int(m_text1.size()); ++k) {
        m_text1[k]->setProperty("index", k);
        // The unit rows are read, not typed in: no border, like lines of a chart.
        m_text1[k]->setFrame(false);
        // Filled to the edge in their own white, so a new background does
        // not have to repaint them.
        QPalette palette = m_text1[k]->palette();
        palette.setBrush(QPalette::Window, palette.base());
        m_text1[k]->setPalette(palette);
        m_text1[k]->setAutoFillBackground(true);
    }
    m_shape1->setProperty("index", 0);

    m_text2->hide();
    m_label2->hide();
    m_txtAnswer->setMaxLength(10);
    m_cmdNext->setEnabled(false);

    const qreal dpr = devicePixelRatioF();
    const auto art = [dpr](const char *name) { return artPixmap(QString::fromLatin1(name), dpr); };
    m_image1->setPixmap(art("stopwatch.svg"));
    m_image2->setPixmap(art("dumbbell.svg"));
    m_image3->setPixmap(art("rabbit.svg"));
    m_image4->setPixmap(art("figure.svg"));
    m_image5->setPixmap(art("creature.svg"));
    m_cmdNext->setPictures(art("face-smile.svg"), art("face-grin.svg"), art("face-straight.svg"));
    m_cmdExit1->setPictures(art("noentry.svg"), art("noentry.svg"), art("noentry.svg"));

    setCursor(duckCursor(dpr));
    const QCursor pointer = iconPointer(dpr);
    m_cmdNext->setCursor(pointer);
    m_label5->setCursor(pointer);
    m_lblMessage->setCursor(pointer);

    describe(m_text6, QStringLiteral("Quantità"));
    describe(m_text3, QStringLiteral("Unità di partenza"));
    describe(m_txtAnswer, QStringLiteral("Risposta"),
             QStringLiteral("Inserisci il risultato e  premi il tasto  Invio"));
    describe(m_text4, QStringLiteral("Unità di arrivo"));
    describe(m_text1[6], QStringLiteral("Milligrammo"), QStringLiteral("Milligrammo=0,001 grammi"));
    describe(m_text1[5], QStringLiteral("Centigrammo"), QStringLiteral("Centigrammo=0,01 grammi"));
    describe(m_text1[4], QStringLiteral("Decigrammo"), QStringLiteral("Decigrammo= 0,1 grammi"));
    describe(m_text1[3], QStringLiteral("Grammo"), QStringLiteral("grammo"));
    describe(m_text1[2], QStringLiteral("Decagrammo"), QStringLiteral("Decagrammo=10 grammi"));
    describe(m_text1[1], QStringLiteral("Ettogrammo"), QStringLiteral("Ettogrammo=100 grammi"));
    describe(m_text1[0], QStringLiteral("Chilogrammo"), QStringLiteral("Chilogrammo=1000 grammi"));
    describe(m_cmdNext, QStringLiteral("Nuovo calcolo"), QStringLiteral("Go"));
    describe(m_cmdExit1, QStringLiteral("Esci"),
             QStringLiteral("Ti prego resta ancora, forse riuscirai a farmi uscire "));
    describe(m_image4, QString(), QStringLiteral("Un altro piccolo sforzo"));
    describe(m_image1, QString(), QStringLiteral("Clicca sotto di me per impostare il Timer"));
    describe(m_lblScore, QStringLiteral("Risposte esatte"),
             QStringLiteral("Questo è il tuo punteggio. Forza con il  record"));
    describe(m_lblScore1, QStringLiteral("Risposte errate"));
    describe(m_lblScore2, QStringLiteral("Risposte totali"));
    describe(m_lblMessage, QStringLiteral("Messaggio"));
    describe(m_lblconto, QStringLiteral("Tempo restante"));
    describe(m_lblnome1, QStringLiteral("Sfidante"));
    describe(m_lblnome, QStringLiteral("Nome del record"));
    describe(m_lblpunti, QStringLiteral("Punti del record"));
    // Labels a screen reader follows: it hears what each is, then what it says.
    for (QLabel *label : std::initializer_list<QLabel *> {m_lblMessage, m_lblScore, m_lblScore1, m_lblScore2,
                                                          m_lblconto, m_lblnome1, m_lblnome, m_lblpunti}) {
        label->setProperty("spokenRole", label->accessibleName());
        announce(label);
    }
    const std::pair<QWidget *, const char *> stills[] = {
        {m_command1, "Command1, non fa niente"}, {m_image1, "Disegno di un cronometro"},
        {m_image2, "Disegno di un manubrio"},    {m_image3, "Disegno di un coniglio"},
        {m_image4, "Disegno di un omino"},       {m_image5, "Disegno di una creatura"}};
    for (const auto &[widget, name] : stills) {
        widget->setProperty(stillName, QString::fromUtf8(name));
        presentAnew(widget); // met by now (a caption, a tooltip), as what it was made as
    }

    // clang-format off
    QWidget *const tabOrder[] = {m_cmdExit1, m_cmdNext, m_txtAnswer, m_command1,
                                 m_text1[0], m_text1[1], m_text1[2], m_text1[3], m_text1[4], m_text1[5], m_text1[6],
                                 m_text2, m_text3, m_text4, m_text6};
    // clang-format on
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The window opens with the focus on the first of them, wherever the
    // chain happens to start.
    m_cmdExit1->setFocus();
}

void Tavola::buildMenu()
{
    // The items are actions of the bar itself, with no menu under them. A
    // desktop that takes menu bars out of their windows shows only menus,
    // so there "NUOVO GIOCO" could not be reached at all.
    menuBar()->setNativeMenuBar(false);
    const auto item = [this](const char *name, const QString &caption) {
        QAction *action = menuBar()->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    m_mnuInfomazioni = item("INFOMAZIONI", QStringLiteral("Ponderine"));
    m_mnuIc = item("ic", QStringLiteral("Impara le unità di massa"));
    m_mnuG = item("g", QString());
    m_mnuCiao = item("Ciao", QStringLiteral("dal milligrammo al chilogrammo"));
    m_mnuIk = item("ik", QStringLiteral("Software libero"));
    m_mnuS = item("s", QStringLiteral("software freeware"));
    m_mnuNext = item("Next", QStringLiteral("NUOVO GIOCO"));
    // Each is element 1 of a menu array that has no element 0.
    m_mnuInfomazioni->setProperty("index", 1);
    m_mnuCiao->setProperty("index", 1);
}
