// The window as it is before the game starts: controls, menu, focus order,
// pictures and pointers. The numbers are the layout's own (twips, colours
// packed 0x00BBGGRR), typed in here, not taken from the code.

#include "art.h"
#include "autosizelabel.h"
#include "scripteddialogs.h"
#include "scriptedrandom.h"
#include "fonts.h"
#include "picturebutton.h"
#include "tavola.h"
#include "windowcontrols.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QHelpEvent>
#include <QToolTip>
#include <QtTest>

#include <memory>

namespace {

enum LookFlag { Border = 1, Centred = 2, Hidden = 4 };
constexpr int none = -1; // the platform's colour

QColor bgr(int packed)
{
    return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

// A font as the layout writes it, "MS Sans Serif 24 bold italic", with the
// family this machine shows it in.
struct FontCell
{
    QString family;
    qreal points = 0;
    bool bold = false;
    bool italic = false;

    explicit FontCell(const QString &cell)
    {
        QStringList words = cell.split(u' ');
        italic = words.last() == u"italic";
        if (italic)
            words.removeLast();
        bold = words.last() == u"bold";
        if (bold)
            words.removeLast();
        points = words.takeLast().toDouble();
        family = installedFamily(words.join(u' '));
    }

    explicit FontCell(const QFont &font)
        : family(font.family()), points(font.pointSizeF()), bold(font.bold()), italic(font.italic())
    { }
};

QString textOf(const QWidget *widget)
{
    if (auto *box = qobject_cast<const QLineEdit *>(widget))
        return box->text();
    if (auto *box = qobject_cast<const QPlainTextEdit *>(widget))
        return box->toPlainText();
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    return {};
}

// The share of pixels in `area` of `image` that differ from `background`.
double coverage(const QImage &image, const QRect &area, QColor background)
{
    int differing = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != background)
                ++differing;
    return double(differing) / (area.width() * area.height());
}

double opaqueShare(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > 0)
                ++opaque;
    return image.isNull() ? 0.0 : double(opaque) / (image.width() * image.height());
}

} // namespace

class TavolaLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void initialState();
    void answerRefusesEleventhCharacter();
    void stacking_data();
    void stacking();
    void menu_data();
    void menu();
    void tabChain_data();
    void tabChain();
    void tabKeySkipsDisabledAndHidden();
    void selfSizing_data();
    void selfSizing();
    void emptyNameLeavesBareBox();
    void fontStandIns_data();
    void fontStandIns();
    void pictures_data();
    void pictures();
    void pointersAndIcon();
    void accessKeys();

private:
    QWidget *control(const QString &name, int index = -1) const;
    template<typename T>
    T *control(const QString &name, int index = -1) const
    {
        return qobject_cast<T *>(control(name, index));
    }
    void showActive();

    ScriptedDialogs m_dialogs;
    ScriptedRandom m_random;
    QTemporaryDir m_dataDir;
    std::unique_ptr<Tavola> m_window;
};

QWidget *TavolaLayoutTest::control(const QString &name, int index) const
{
    return ::control(*m_window, name, index);
}

void TavolaLayoutTest::showActive()
{
    // A game under way: prompt and greeting answered, the first question up.
    m_random.queueQuestion(5, 3, 7, 4, 2);
    m_window->start();
    m_dialogs.calls.clear();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TavolaLayoutTest::initTestCase()
{
    QVERIFY(m_dataDir.isValid());
}

void TavolaLayoutTest::init()
{
    m_window = std::make_unique<Tavola>(m_dialogs, m_random, m_dataDir.path());
    m_window->build();
}

void TavolaLayoutTest::cleanup()
{
    m_window.reset();
    QVERIFY(m_dialogs.calls.isEmpty());
}

void TavolaLayoutTest::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("font"); // family, points, then bold and italic; empty: the default font
    QTest::addColumn<int>("textColour");
    QTest::addColumn<int>("backColour");
    QTest::addColumn<int>("look");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("accessibleName");

    const char *text4 = "        \n        \n        \n        \n  \n";

    // clang-format off
    QTest::newRow("Text6")      << "Text6" << -1 << "QLineEdit" << QRect(120, 0, 2295, 1095) << "Text6" << "Arial 48" << none << 0xC0FFC0 << int(Border) << "" << "Quantità";
    QTest::newRow("Text4")      << "Text4" << -1 << "QPlainTextEdit" << QRect(8880, 0, 1575, 1095) << text4 << "Arial 36" << 0x00C000 << 0xFFFFC0 << int(Border) << "" << "Unità di arrivo";
    QTest::newRow("Text3")      << "Text3" << -1 << "QLineEdit" << QRect(2400, 0, 1575, 1095) << "Text3" << "Arial 36" << 0x0000FF << 0xC0FFC0 << int(Border) << "" << "Unità di partenza";
    QTest::newRow("Text2")      << "Text2" << -1 << "QLineEdit" << QRect(3000, 3000, 735, 285) << "Text2" << "" << none << none << (Border | Hidden) << "" << "";
    QTest::newRow("Text1(6)")   << "Text1" << 6 << "QLineEdit" << QRect(10680, 5520, 975, 615) << "mg" << "MS Sans Serif 18" << none << none << int(Centred) << "Milligrammo=0,001 grammi" << "Milligrammo";
    QTest::newRow("Text1(5)")   << "Text1" << 5 << "QLineEdit" << QRect(10680, 4560, 975, 735) << "cg" << "MS Sans Serif 18" << none << none << int(Centred) << "Centigrammo=0,01 grammi" << "Centigrammo";
    QTest::newRow("Text1(4)")   << "Text1" << 4 << "QLineEdit" << QRect(10680, 3720, 975, 735) << "dg" << "MS Sans Serif 18" << none << none << int(Centred) << "Decigrammo= 0,1 grammi" << "Decigrammo";
    QTest::newRow("Text1(3)")   << "Text1" << 3 << "QLineEdit" << QRect(10680, 2760, 975, 795) << "g" << "MS Sans Serif 24" << none << none << int(Centred) << "grammo" << "Grammo";
    QTest::newRow("Text1(2)")   << "Text1" << 2 << "QLineEdit" << QRect(10680, 1920, 975, 735) << "dag" << "MS Sans Serif 18" << none << none << int(Centred) << "Decagrammo=10 grammi" << "Decagrammo";
    QTest::newRow("Text1(1)")   << "Text1" << 1 << "QLineEdit" << QRect(10680, 960, 975, 855) << "hg" << "MS Sans Serif 18" << none << none << int(Centred) << "Ettogrammo=100 grammi" << "Ettogrammo";
    QTest::newRow("Text1(0)")   << "Text1" << 0 << "QLineEdit" << QRect(10680, 120, 975, 735) << "Kg" << "MS Sans Serif 18" << none << none << int(Centred) << "Chilogrammo=1000 grammi" << "Chilogrammo";
    QTest::newRow("txtAnswer")  << "txtAnswer" << -1 << "QLineEdit" << QRect(4560, 0, 4335, 1080) << "" << "Arial 36 bold" << none << 0xFFFFC0 << int(Border) << "Inserisci il risultato e  premi il tasto  Invio" << "Risposta";
    QTest::newRow("cmdNext")    << "cmdNext" << -1 << "PictureButton" << QRect(4200, 5280, 1815, 1095) << "&Nuovo calcolo" << "MS Sans Serif 8.25 bold" << none << 0xC0C000 << 0 << "Go" << "Nuovo calcolo";
    QTest::newRow("cmdExit1")   << "cmdExit1" << -1 << "PictureButton" << QRect(7680, 5280, 2055, 1095) << "E&xit" << "MS Sans Serif 8.25 bold" << none << 0xC000C0 << 0 << "Ti prego resta ancora, forse riuscirai a farmi uscire " << "Esci";
    QTest::newRow("Command1")   << "Command1" << -1 << "QPushButton" << QRect(4680, 5640, 855, 615) << "Command1" << "" << none << none << 0 << "" << "";
    QTest::newRow("Image5")     << "Image5" << -1 << "QLabel" << QRect(9720, 2040, 480, 480) << "" << "" << none << none << 0 << "" << "";
    QTest::newRow("Image4")     << "Image4" << -1 << "QLabel" << QRect(360, 4200, 480, 480) << "" << "" << none << none << 0 << "Un altro piccolo sforzo" << "";
    QTest::newRow("Image3")     << "Image3" << -1 << "QLabel" << QRect(6000, 4200, 480, 480) << "" << "" << none << none << 0 << "" << "";
    QTest::newRow("Image2")     << "Image2" << -1 << "QLabel" << QRect(3840, 1200, 1050, 870) << "" << "" << none << none << 0 << "" << "";
    QTest::newRow("Label2")     << "Label2" << -1 << "CaptionLabel" << QRect(1680, 2760, 975, 495) << "Label2" << "" << none << none << int(Hidden) << "" << "";
    QTest::newRow("Shape1(0)")  << "Shape1" << 0 << "OutlineShape" << QRect(10560, 0, 1215, 7335) << "" << "" << none << none << int(Border) << "" << "";
    QTest::newRow("lblpunti")   << "lblpunti" << -1 << "AutoSizeLabel" << QRect(9720, 7320, 270, 555) << "0" << "MS Sans Serif 24" << 0xC000C0 << none << 0 << "" << "Punti del record: 0";
    QTest::newRow("Label13")    << "Label13" << -1 << "AutoSizeLabel" << QRect(8160, 7440, 1455, 435) << "con punti" << "MS Sans Serif 18" << 0xC000C0 << none << 0 << "" << "";
    QTest::newRow("lblnome")    << "lblnome" << -1 << "AutoSizeLabel" << QRect(2640, 7560, 990, 435) << "nome" << "MS Sans Serif 18 bold" << 0xFF0000 << none << 0 << "" << "Nome del record: nome";
    QTest::newRow("Label12")    << "Label12" << -1 << "CaptionLabel" << QRect(360, 7560, 2295, 375) << "Il record  è di " << "MS Sans Serif 18" << 0xC000C0 << none << 0 << "" << "";
    QTest::newRow("lblnome1")   << "lblnome1" << -1 << "AutoSizeLabel" << QRect(360, 6720, 165, 420) << "" << "MS Sans Serif 13.5 bold" << 0x008000 << none << int(Border) << "" << "Sfidante";
    QTest::newRow("Label14")    << "Label14" << -1 << "AutoSizeLabel" << QRect(360, 6000, 1425, 420) << "Sfidante" << "MS Sans Serif 13.5" << 0x008000 << none << (Border | Centred) << "" << "";
    QTest::newRow("Label5")     << "Label5" << -1 << "CaptionLabel" << QRect(2160, 1680, 6615, 615) << "" << "MS Sans Serif 24 bold italic" << 0x0000FF << none << int(Centred) << "" << "";
    QTest::newRow("lblconto")   << "lblconto" << -1 << "CaptionLabel" << QRect(240, 2280, 1575, 495) << "00.00.00" << "Arial Black 12 bold" << 0x00FFFF << none << int(Border) << "" << "Tempo restante: 00.00.00";
    QTest::newRow("Label11")    << "Label11" << -1 << "CaptionLabel" << QRect(240, 1800, 1575, 375) << "Tempo restante" << "MS Sans Serif 9.75" << 0x00FFFF << none << 0 << "" << "";
    QTest::newRow("Label3")     << "Label3" << -1 << "AutoSizeLabel" << QRect(7440, 3360, 2340, 495) << "Risposte totali" << "MS Sans Serif 18" << 0xFF0000 << none << int(Border) << "" << "";
    QTest::newRow("Label1")     << "Label1" << -1 << "AutoSizeLabel" << QRect(3840, 3360, 2520, 495) << "Risposte errate" << "MS Sans Serif 18" << 0x0000FF << none << int(Border) << "" << "";
    QTest::newRow("lblScore2")  << "lblScore2" << -1 << "AutoSizeLabel" << QRect(8310, 4080, 555, 885) << "0" << "Times New Roman 36 bold" << 0xFF0000 << none << (Border | Centred) << "" << "Risposte totali: 0";
    QTest::newRow("lblScore1")  << "lblScore1" << -1 << "AutoSizeLabel" << QRect(4830, 4080, 540, 885) << "0" << "Times New Roman 36 bold" << 0x0000FF << none << (Border | Centred) << "" << "Risposte errate: 0";
    QTest::newRow("Image1")     << "Image1" << -1 << "QLabel" << QRect(2040, 1920, 480, 480) << "" << "" << none << none << 0 << "Clicca sotto di me per impostare il Timer" << "";
    QTest::newRow("Label4")     << "Label4" << -1 << "CaptionLabel" << QRect(3960, 0, 615, 1095) << "=" << "Arial 48 bold" << none << 0xFFFF80 << int(Centred) << "" << "";
    QTest::newRow("lblScore")   << "lblScore" << -1 << "AutoSizeLabel" << QRect(1080, 4080, 555, 885) << "0" << "Times New Roman 36 bold" << none << none << (Border | Centred) << "Questo è il tuo punteggio. Forza con il  record" << "Risposte esatte: 0";
    QTest::newRow("lblMessage") << "lblMessage" << -1 << "CaptionLabel" << QRect(1680, 2040, 6615, 615) << "" << "MS Sans Serif 24 bold italic" << 0x0000FF << none << int(Centred) << "" << "Messaggio";
    QTest::newRow("Label6")     << "Label6" << -1 << "AutoSizeLabel" << QRect(240, 3360, 2565, 495) << "Risposte esatte" << "MS Sans Serif 18" << 0x00C000 << none << (Border | Centred) << "" << "";
    // clang-format on
}

void TavolaLayoutTest::controls()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, type);
    QFETCH(QRect, twips);
    QFETCH(QString, text);
    QFETCH(QString, font);
    QFETCH(int, textColour);
    QFETCH(int, backColour);
    QFETCH(int, look);
    QFETCH(QString, toolTip);
    QFETCH(QString, accessibleName);

    QWidget *widget = control(name, index);
    QVERIFY(widget);
    QCOMPARE(widget->metaObject()->className(), type);
    QCOMPARE(widget->parentWidget(), m_window->centralWidget());
    QCOMPARE(widget->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QCOMPARE(textOf(widget), text);

    const FontCell expectedFont = font.isEmpty() ? FontCell(QApplication::font(widget)) : FontCell(font);
    QCOMPARE(widget->font().family(), expectedFont.family);
    QCOMPARE(widget->font().pointSizeF(), expectedFont.points);
    QCOMPARE(widget->font().bold(), expectedFont.bold);
    QCOMPARE(widget->font().italic(), expectedFont.italic);

    QPalette::ColorRole textRole = QPalette::WindowText;
    QPalette::ColorRole backRole = QPalette::Window;
    if (qobject_cast<QLineEdit *>(widget) || qobject_cast<QPlainTextEdit *>(widget)) {
        textRole = QPalette::Text;
        backRole = QPalette::Base;
    } else if (qobject_cast<QAbstractButton *>(widget)) {
        textRole = QPalette::ButtonText;
        backRole = QPalette::Button;
    }
    const QPalette platform = QApplication::palette(widget);
    const auto colour = [](const QPalette &palette, QPalette::ColorRole role) {
        return palette.color(QPalette::Active, role);
    };
    QCOMPARE(colour(widget->palette(), textRole), textColour == none ? colour(platform, textRole) : bgr(textColour));
    QCOMPARE(colour(widget->palette(), backRole), backColour == none ? colour(platform, backRole) : bgr(backColour));
    if (qobject_cast<QFrame *>(widget) && !qobject_cast<QPlainTextEdit *>(widget))
        QCOMPARE(widget->autoFillBackground(), backColour != none); // transparent unless opaque

    const bool border = look & Border;
    if (auto *box = qobject_cast<QLineEdit *>(widget)) {
        QCOMPARE(box->hasFrame(), border);
    } else if (auto *frame = qobject_cast<QFrame *>(widget)) {
        QCOMPARE(frame->frameShape() != QFrame::NoFrame, border);
        if (border && !qobject_cast<QPlainTextEdit *>(widget)) {
            QCOMPARE(frame->frameShape(), QFrame::Box);
            QCOMPARE(frame->frameShadow(), QFrame::Plain);
            QCOMPARE(frame->lineWidth(), 1);
        }
    }

    const bool centred = look & Centred;
    if (auto *box = qobject_cast<QLineEdit *>(widget))
        QCOMPARE(bool(box->alignment() & Qt::AlignHCenter), centred);
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(bool(label->alignment() & Qt::AlignHCenter), centred);
        // Names typed by a pupil or read from the record file are never taken as markup.
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }

    QCOMPARE(widget->isHidden(), bool(look & Hidden));
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->accessibleName(), accessibleName);
    QCOMPARE(widget->accessibleDescription(), toolTip);
}

void TavolaLayoutTest::initialState()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Gioca con le ponderine"));
    QVERIFY(m_window->windowState() & Qt::WindowMaximized);
    QCOMPARE(m_window->centralWidget()->objectName(), QStringLiteral("client"));
    QCOMPARE(m_window->centralWidget()->minimumSize(), QSize(792, 554));

    QVERIFY(!control("cmdNext")->isEnabled());
    QVERIFY(control("cmdExit1")->isEnabled());
    QVERIFY(control("Command1")->isEnabled());
    QCOMPARE(control<QLineEdit>("txtAnswer")->maxLength(), 10);
    QCOMPARE(m_window->findChildren<QWidget *>("Text1").size(), 7);

    auto *timer = m_window->findChild<QTimer *>("Timer1");
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
}

void TavolaLayoutTest::answerRefusesEleventhCharacter()
{
    auto *answer = control<QLineEdit>("txtAnswer");
    QTest::keyClicks(answer, "1,234567890");
    QCOMPARE(answer->text(), QStringLiteral("1,23456789"));
    QTest::keyClicks(answer, "5");
    QCOMPARE(answer->text(), QStringLiteral("1,23456789"));
}

void TavolaLayoutTest::stacking_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("toolTip"); // shown when the mouse rests there

    const QString stopwatch = QStringLiteral("Clicca sotto di me per impostare il Timer");
    // Where two controls overlap, the one on top; a caption with no tooltip
    // of its own lets the tooltip of what lies beneath show.
    // clang-format off
    QTest::newRow("Text3 over =") << QPoint(264, 36) << "Text3" << -1 << "";
    QTest::newRow("txtAnswer over =") << QPoint(304, 36) << "txtAnswer" << -1 << "Inserisci il risultato e  premi il tasto  Invio";
    QTest::newRow("cmdNext over Command1") << QPoint(340, 400) << "cmdNext" << -1 << "Go";
    QTest::newRow("Kg row inside Shape1") << QPoint(740, 30) << "Text1" << 0 << "Chilogrammo=1000 grammi";
    QTest::newRow("Shape1 edge") << QPoint(704, 200) << "Shape1" << 0 << "";
    QTest::newRow("lblMessage over Image1") << QPoint(152, 144) << "lblMessage" << -1 << stopwatch;
    QTest::newRow("Image1's corner") << QPoint(137, 129) << "Image1" << -1 << stopwatch;
    // clang-format on
}

void TavolaLayoutTest::stacking()
{
    QFETCH(QPoint, pixel);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, toolTip);

    showActive();
    QWidget *client = m_window->centralWidget();
    QWidget *top = client->childAt(pixel);
    QCOMPARE(top, control(name, index));

    QToolTip::hideText();
    QHelpEvent rest(QEvent::ToolTip, top->mapFrom(client, pixel), client->mapToGlobal(pixel));
    QApplication::sendEvent(top, &rest);
    QCOMPARE(QToolTip::text(), toolTip);
    QToolTip::hideText();
}

void TavolaLayoutTest::menu_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // empty with `credit`: any credit line
    QTest::addColumn<bool>("credit");
    QTest::addColumn<QVariant>("index");

    // clang-format off
    QTest::newRow("INFOMAZIONI") << 0 << "INFOMAZIONI" << "" << true << QVariant(1);
    QTest::newRow("ic") << 1 << "ic" << "" << true << QVariant();
    QTest::newRow("g") << 2 << "g" << "" << false << QVariant();
    QTest::newRow("Ciao") << 3 << "Ciao" << "" << true << QVariant(1);
    QTest::newRow("ik") << 4 << "ik" << "" << true << QVariant();
    QTest::newRow("s") << 5 << "s" << "software freeware" << false << QVariant();
    QTest::newRow("Next") << 6 << "Next" << "NUOVO GIOCO" << false << QVariant();
    // clang-format on
}

void TavolaLayoutTest::menu()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, credit);
    QFETCH(QVariant, index);

    const QList<QAction *> items = m_window->menuBar()->actions();
    QCOMPARE(items.size(), 7);
    QAction *item = items.at(position);
    QCOMPARE(item->objectName(), name);
    QCOMPARE(item->property("index"), index);
    QVERIFY(item->isEnabled());
    QVERIFY(item->isVisible());
    if (credit) {
        QVERIFY(!item->text().isEmpty());
        // About the game itself: no addresses.
        for (const char *address : {"@", "http", "www", ".it", ".com", ".org"})
            QVERIFY2(!item->text().contains(QLatin1String(address)), qPrintable(item->text()));
    } else {
        QCOMPARE(item->text(), caption);
    }
}

void TavolaLayoutTest::tabChain_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("fromIndex");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("toIndex");

    QTest::newRow("cmdExit1 0 -> cmdNext 2") << "cmdExit1" << -1 << "cmdNext" << -1;
    QTest::newRow("cmdNext 2 -> txtAnswer 6") << "cmdNext" << -1 << "txtAnswer" << -1;
    QTest::newRow("txtAnswer 6 -> Command1 11") << "txtAnswer" << -1 << "Command1" << -1;
    QTest::newRow("Command1 11 -> Text1(0) 21") << "Command1" << -1 << "Text1" << 0;
    for (int k = 0; k < 6; ++k)
        QTest::addRow("Text1(%d) -> Text1(%d)", k, k + 1) << "Text1" << k << "Text1" << k + 1;
    QTest::newRow("Text1(6) 27 -> Text2 28") << "Text1" << 6 << "Text2" << -1;
    QTest::newRow("Text2 28 -> Text3 29") << "Text2" << -1 << "Text3" << -1;
    QTest::newRow("Text3 29 -> Text4 30") << "Text3" << -1 << "Text4" << -1;
    QTest::newRow("Text4 30 -> Text6 31") << "Text4" << -1 << "Text6" << -1;
    QTest::newRow("Text6 31 -> cmdExit1 0") << "Text6" << -1 << "cmdExit1" << -1;
}

void TavolaLayoutTest::tabChain()
{
    QFETCH(QString, from);
    QFETCH(int, fromIndex);
    QFETCH(QString, to);
    QFETCH(int, toIndex);

    QWidget *start = control(from, fromIndex);
    QVERIFY(start);
    QWidget *next = start->nextInFocusChain();
    while (next != start && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    QCOMPARE(next, control(to, toIndex));
}

void TavolaLayoutTest::tabKeySkipsDisabledAndHidden()
{
    showActive();
    // The first question puts the focus in the answer box.
    QTRY_COMPARE(QApplication::focusWidget(), control("txtAnswer"));

    // cmdNext is disabled and Text2 hidden; the multi-line Text4 passes Tab on.
    const QStringList expected = {"Command1", "Text1", "Text1", "Text1", "Text1",    "Text1",    "Text1",
                                  "Text1",    "Text3", "Text4", "Text6", "cmdExit1", "txtAnswer"};
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void TavolaLayoutTest::selfSizing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("sizesItself");

    for (const char *name : {"lblpunti", "Label13", "lblnome", "lblnome1", "Label14", "Label3", "Label1", "lblScore2",
                             "lblScore1", "lblScore", "Label6"})
        QTest::newRow(name) << name << true;
    for (const char *name : {"Label12", "Label5", "lblconto", "Label11", "Label4", "lblMessage", "Label2"})
        QTest::newRow(name) << name << false;
}

void TavolaLayoutTest::selfSizing()
{
    QFETCH(QString, name);
    QFETCH(bool, sizesItself);

    auto *label = control<QLabel>(name);
    QVERIFY(label);
    const QRect before = label->geometry();
    const QString longText = QStringLiteral("Giovanni Battista Maria Bianchi Rossi");
    label->setText(longText);
    if (auto *autoSize = qobject_cast<AutoSizeLabel *>(label))
        autoSize->fitToText();

    if (!sizesItself) {
        QCOMPARE(label->geometry(), before);
        return;
    }
    const QFontMetrics metrics(label->font());
    const int edges = 2 * label->frameWidth();
    QCOMPARE(label->pos(), before.topLeft());
    QVERIFY(label->width() > before.width());
    // The whole caption fits, with no more than a little slack.
    QVERIFY(label->width() >= metrics.horizontalAdvance(longText) + edges);
    QVERIFY(label->width() <= metrics.horizontalAdvance(longText) + edges + 4);
    QVERIFY(label->height() >= metrics.height() + edges);

    // And it shrinks back.
    label->setText(QStringLiteral("0"));
    qobject_cast<AutoSizeLabel *>(label)->fitToText();
    QVERIFY(label->width() < metrics.horizontalAdvance(longText));
}

void TavolaLayoutTest::emptyNameLeavesBareBox()
{
    auto *name = control<AutoSizeLabel>("lblnome1");
    QVERIFY(name);
    name->setText(QStringLiteral("Alessandra"));
    name->fitToText();
    name->setText(QString());
    name->fitToText();
    QCOMPARE(name->width(), 2); // the border, left and right
    QCOMPARE(name->height(), QFontMetrics(name->font()).height() + 2);
    QCOMPARE(name->frameShape(), QFrame::Box);
}

void TavolaLayoutTest::fontStandIns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("installed");

    // clang-format off
    QTest::newRow("Arial") << "Text6" << "Liberation Sans";
    QTest::newRow("Times New Roman") << "lblScore" << "Liberation Serif";
    QTest::newRow("Arial Black") << "lblconto" << "DejaVu Sans";
    QTest::newRow("MS Sans Serif") << "Label6" << "Liberation Sans";
    // clang-format on
}

void TavolaLayoutTest::fontStandIns()
{
    QFETCH(QString, name);
    QFETCH(QString, installed);
#ifdef Q_OS_WIN
    QSKIP("Windows has the faces themselves; under Wine the minimal platform resolves no family at all");
#endif
    QCOMPARE(QFontInfo(control(name)->font()).family(), installed);
}

void TavolaLayoutTest::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");

    QTest::newRow("Image1") << "Image1" << QSize(32, 32);
    QTest::newRow("Image2") << "Image2" << QSize(70, 58);
    QTest::newRow("Image3") << "Image3" << QSize(32, 32);
    QTest::newRow("Image4") << "Image4" << QSize(32, 32);
    QTest::newRow("Image5") << "Image5" << QSize(32, 32);
}

void TavolaLayoutTest::pictures()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    auto *picture = control<QLabel>(name);
    QVERIFY(picture);
    const QPixmap pixmap = picture->pixmap();
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.deviceIndependentSize().toSize(), size);
    QCOMPARE(picture->size(), size);
    QVERIFY(opaqueShare(pixmap) > 0.1);

    // Drawn in the window, over the plain background.
    const QImage shot = m_window->grab().toImage();
    const qreal dpr = shot.devicePixelRatio();
    const QRect inWindow(picture->mapTo(m_window.get(), QPoint(0, 0)) * dpr, size * dpr);
    const QColor background = m_window->palette().color(QPalette::Window);
    QVERIFY2(coverage(shot, inWindow, background) > 0.1, qPrintable(name));
}

void TavolaLayoutTest::pointersAndIcon()
{
    const QIcon icon = m_window->windowIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(opaqueShare(icon.pixmap(48, 48)) > 0.1);

    const QCursor duck = m_window->cursor();
    QCOMPARE(duck.shape(), Qt::BitmapCursor);
    QCOMPARE(duck.pixmap().deviceIndependentSize().toSize(), QSize(48, 48));
    QVERIFY(opaqueShare(duck.pixmap()) > 0.1);
    QCOMPARE(duck.hotSpot(), QPoint(2, 2));
    // Inherited by controls that have no pointer of their own.
    QCOMPARE(control("Label6")->cursor().pixmap().cacheKey(), duck.pixmap().cacheKey());

    for (const char *name : {"cmdNext", "Label5", "lblMessage"}) {
        const QCursor pointer = control(name)->cursor();
        QCOMPARE(pointer.shape(), Qt::BitmapCursor);
        QCOMPARE(pointer.pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
        QVERIFY(opaqueShare(pointer.pixmap()) > 0.05);
        QCOMPARE(pointer.hotSpot(), QPoint(16, 16));
    }
}

void TavolaLayoutTest::accessKeys()
{
    showActive();
    auto *next = control<QAbstractButton>("cmdNext");
    auto *exit = control<QAbstractButton>("cmdExit1");
    QSignalSpy nextClicks(next, &QAbstractButton::clicked);
    QSignalSpy exitClicks(exit, &QAbstractButton::clicked);

    QTest::keyClick(m_window.get(), Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(m_window.get(), Qt::Key_X, Qt::AltModifier);
    // An access key clicks after the same short delay for every button, so
    // Alt+N, pressed first, would have clicked before Exit's click came.
    QTRY_COMPARE(exitClicks.size(), 1);
    QCOMPARE(nextClicks.size(), 0);
    // Exit said goodbye; the game is over, the buttons still click.
    QCOMPARE(m_dialogs.calls.size(), 1);
    m_dialogs.calls.clear();

    next->setEnabled(true);
    QTest::keyClick(m_window.get(), Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(nextClicks.size(), 1);
    QCOMPARE(exitClicks.size(), 1);
}

QTEST_MAIN(TavolaLayoutTest)
#include "tst_tavola_layout.moc"
