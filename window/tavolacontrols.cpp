// The window as it is before a game: its controls made from the control
// table, their styles, pictures and pointers, what a screen reader hears of
// them, the tab order, and the menu bar.

#include "tavola.h"

#include "accessibility.h"
#include "art.h"
#include "autosizelabel.h"
#include "backdrop.h"
#include "classicboxstyle.h"
#include "controlmaker.h"
#include "picturebutton.h"
#include "weightunit.h"

#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include <utility>

void Tavola::buildControls()
{
    makeControls();
    styleControls();
    showArtwork();
    describeControls();
    chainTabOrder();
}

void Tavola::makeControls()
{
    m_client = new Backdrop(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setMinimumSize(pixelsFromTwips(11880), pixelsFromTwips(8310));
    setCentralWidget(m_client);

    const QString text4Blank = QStringLiteral("        \n        \n        \n        \n  \n");
    const FontChoice sansRow {"MS Sans Serif", 18};

    // One control a line, in the order they are made: the layout table.
    // clang-format off
    ControlMaker at(m_client);
    m_text6 = at.textBox("Text6", {120, 0, 2295, 1095}, QStringLiteral("Text6"), {"Arial", 48}, Appearance().back(0xC0FFC0));
    m_text4 = at.multiLineBox("Text4", {8880, 0, 1575, 1095}, text4Blank, {"Arial", 36}, Appearance().text(0x00C000).back(0xFFFFC0));
    m_text3 = at.textBox("Text3", {2400, 0, 1575, 1095}, QStringLiteral("Text3"), {"Arial", 36}, Appearance().text(0x0000FF).back(0xC0FFC0));
    m_text2 = at.textBox("Text2", {3000, 3000, 735, 285}, QStringLiteral("Text2"), {}, Appearance());
    m_text1[6] = at.textBox("Text1", {10680, 5520, 975, 615}, unitSymbol(1), sansRow, Appearance().centred());
    m_text1[5] = at.textBox("Text1", {10680, 4560, 975, 735}, unitSymbol(2), sansRow, Appearance().centred());
    m_text1[4] = at.textBox("Text1", {10680, 3720, 975, 735}, unitSymbol(3), sansRow, Appearance().centred());
    m_text1[3] = at.textBox("Text1", {10680, 2760, 975, 795}, unitSymbol(4), {"MS Sans Serif", 24}, Appearance().centred());
    m_text1[2] = at.textBox("Text1", {10680, 1920, 975, 735}, unitSymbol(5), sansRow, Appearance().centred());
    m_text1[1] = at.textBox("Text1", {10680, 960, 975, 855}, unitSymbol(6), sansRow, Appearance().centred());
    m_text1[0] = at.textBox("Text1", {10680, 120, 975, 735}, unitSymbol(7), sansRow, Appearance().centred());
    m_txtAnswer = at.textBox("txtAnswer", {4560, 0, 4335, 1080}, QString(), {"Arial", 36, Bold}, Appearance().back(0xFFFFC0));
    m_cmdNext = at.pictureButton("cmdNext", {4200, 5280, 1815, 1095}, QStringLiteral("&Nuovo calcolo"), {"MS Sans Serif", 8.25, Bold}, 0xC0C000);
    m_cmdExit1 = at.pictureButton("cmdExit1", {7680, 5280, 2055, 1095}, QStringLiteral("E&xit"), {"MS Sans Serif", 8.25, Bold}, 0xC000C0);
    m_command1 = at.button("Command1", {4680, 5640, 855, 615}, QStringLiteral("Command1"));
    m_image5 = at.picture("Image5", {9720, 2040, 480, 480});
    m_image4 = at.picture("Image4", {360, 4200, 480, 480});
    m_image3 = at.picture("Image3", {6000, 4200, 480, 480});
    m_image2 = at.picture("Image2", {3840, 1200, 1050, 870});
    m_label2 = at.label("Label2", {1680, 2760, 975, 495}, QStringLiteral("Label2"), {}, Appearance());
    m_shape1 = at.shape("Shape1", {10560, 0, 1215, 7335});
    m_lblpunti = at.autoSizeLabel("lblpunti", {9720, 7320, 270, 555}, QStringLiteral("0"), {"MS Sans Serif", 24}, Appearance().text(0xC000C0));
    m_label13 = at.autoSizeLabel("Label13", {8160, 7440, 1455, 435}, QStringLiteral("con punti"), sansRow, Appearance().text(0xC000C0));
    m_lblnome = at.autoSizeLabel("lblnome", {2640, 7560, 990, 435}, QStringLiteral("nome"), {"MS Sans Serif", 18, Bold}, Appearance().text(0xFF0000));
    m_label12 = at.label("Label12", {360, 7560, 2295, 375}, QStringLiteral("Il record  è di "), sansRow, Appearance().text(0xC000C0));
    m_lblnome1 = at.autoSizeLabel("lblnome1", {360, 6720, 165, 420}, QString(), {"MS Sans Serif", 13.5, Bold}, Appearance().text(0x008000).border());
    m_label14 = at.autoSizeLabel("Label14", {360, 6000, 1425, 420}, QStringLiteral("Sfidante"), {"MS Sans Serif", 13.5}, Appearance().text(0x008000).border().centred());
    m_label5 = at.label("Label5", {2160, 1680, 6615, 615}, QString(), {"MS Sans Serif", 24, Bold | Italic}, Appearance().text(0x0000FF).centred());
    m_lblconto = at.label("lblconto", {240, 2280, 1575, 495}, QStringLiteral("00.00.00"), {"Arial Black", 12, Bold}, Appearance().text(0x00FFFF).border());
    m_label11 = at.label("Label11", {240, 1800, 1575, 375}, QStringLiteral("Tempo restante"), {"MS Sans Serif", 9.75}, Appearance().text(0x00FFFF));
    m_label3 = at.autoSizeLabel("Label3", {7440, 3360, 2340, 495}, QStringLiteral("Risposte totali"), sansRow, Appearance().text(0xFF0000).border());
    m_label1 = at.autoSizeLabel("Label1", {3840, 3360, 2520, 495}, QStringLiteral("Risposte errate"), sansRow, Appearance().text(0x0000FF).border());
    m_lblScore2 = at.autoSizeLabel("lblScore2", {8310, 4080, 555, 885}, QStringLiteral("0"), {"Times New Roman", 36, Bold}, Appearance().text(0xFF0000).border().centred());
    m_lblScore1 = at.autoSizeLabel("lblScore1", {4830, 4080, 540, 885}, QStringLiteral("0"), {"Times New Roman", 36, Bold}, Appearance().text(0x0000FF).border().centred());
    m_image1 = at.picture("Image1", {2040, 1920, 480, 480});
    m_label4 = at.label("Label4", {3960, 0, 615, 1095}, QStringLiteral("="), {"Arial", 48, Bold}, Appearance().back(0xFFFF80).centred());
    m_lblScore = at.autoSizeLabel("lblScore", {1080, 4080, 555, 885}, QStringLiteral("0"), {"Times New Roman", 36, Bold}, Appearance().border().centred());
    m_lblMessage = at.label("lblMessage", {1680, 2040, 6615, 615}, QString(), {"MS Sans Serif", 24, Bold | Italic}, Appearance().text(0x0000FF).centred());
    m_label6 = at.autoSizeLabel("Label6", {240, 3360, 2565, 495}, QStringLiteral("Risposte esatte"), sansRow, Appearance().text(0x00C000).border().centred());
    // clang-format on
    at.sinkGraphicalControls();
    // Command1 does nothing; beneath cmdNext it cannot swallow a click meant for it.
    m_command1->stackUnder(m_cmdNext);
}

void Tavola::styleControls()
{
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
}

void Tavola::showArtwork()
{
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
}

void Tavola::describeControls()
{
    accessibility::describe(m_text6, QStringLiteral("Quantità"));
    accessibility::describe(m_text3, QStringLiteral("Unità di partenza"));
    accessibility::describe(m_txtAnswer, QStringLiteral("Risposta"),
                            QStringLiteral("Inserisci il risultato e  premi il tasto  Invio"));
    accessibility::describe(m_text4, QStringLiteral("Unità di arrivo"));
    accessibility::describe(m_text1[6], QStringLiteral("Milligrammo"), QStringLiteral("Milligrammo=0,001 grammi"));
    accessibility::describe(m_text1[5], QStringLiteral("Centigrammo"), QStringLiteral("Centigrammo=0,01 grammi"));
    accessibility::describe(m_text1[4], QStringLiteral("Decigrammo"), QStringLiteral("Decigrammo= 0,1 grammi"));
    accessibility::describe(m_text1[3], QStringLiteral("Grammo"), QStringLiteral("grammo"));
    accessibility::describe(m_text1[2], QStringLiteral("Decagrammo"), QStringLiteral("Decagrammo=10 grammi"));
    accessibility::describe(m_text1[1], QStringLiteral("Ettogrammo"), QStringLiteral("Ettogrammo=100 grammi"));
    accessibility::describe(m_text1[0], QStringLiteral("Chilogrammo"), QStringLiteral("Chilogrammo=1000 grammi"));
    accessibility::describe(m_cmdNext, QStringLiteral("Nuovo calcolo"), QStringLiteral("Go"));
    accessibility::describe(m_cmdExit1, QStringLiteral("Esci"),
                            QStringLiteral("Ti prego resta ancora, forse riuscirai a farmi uscire "));
    accessibility::describe(m_image4, QString(), QStringLiteral("Un altro piccolo sforzo"));
    accessibility::describe(m_image1, QString(), QStringLiteral("Clicca sotto di me per impostare il Timer"));
    // Labels a screen reader follows: it hears what each is, then what it says.
    accessibility::follow(m_lblMessage, QStringLiteral("Messaggio"));
    accessibility::follow(m_lblScore, QStringLiteral("Risposte esatte"),
                          QStringLiteral("Questo è il tuo punteggio. Forza con il  record"));
    accessibility::follow(m_lblScore1, QStringLiteral("Risposte errate"));
    accessibility::follow(m_lblScore2, QStringLiteral("Risposte totali"));
    accessibility::follow(m_lblconto, QStringLiteral("Tempo restante"));
    accessibility::sayOnKey(m_lblconto, QKeySequence(Qt::ALT | Qt::Key_T));
    accessibility::follow(m_lblnome1, QStringLiteral("Sfidante"));
    accessibility::follow(m_lblnome, QStringLiteral("Nome del record"));
    accessibility::follow(m_lblpunti, QStringLiteral("Punti del record"));
    const std::pair<QWidget *, const char *> stills[] = {
        {m_command1, "Command1, non fa niente"}, {m_image1, "Disegno di un cronometro"},
        {m_image2, "Disegno di un manubrio"},    {m_image3, "Disegno di un coniglio"},
        {m_image4, "Disegno di un omino"},       {m_image5, "Disegno di una creatura"}};
    for (const auto &[widget, name] : stills)
        accessibility::makeStill(widget, QString::fromUtf8(name));
}

void Tavola::chainTabOrder()
{
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
    m_mnuTitle = item("INFOMAZIONI", QStringLiteral("Ponderine"));
    m_mnuLearnUnits = item("ic", QStringLiteral("Impara le unità di massa"));
    m_mnuBlank = item("g", QString());
    m_mnuUnitRange = item("Ciao", QStringLiteral("dal milligrammo al chilogrammo"));
    m_mnuFreeSoftware = item("ik", QStringLiteral("Software libero"));
    m_mnuFreeware = item("s", QStringLiteral("software freeware"));
    m_mnuNewGame = item("Next", QStringLiteral("NUOVO GIOCO"));
    // Each is element 1 of a menu array that has no element 0.
    m_mnuTitle->setProperty("index", 1);
    m_mnuUnitRange->setProperty("index", 1);
}
