// A whole game on the window, with scripted boxes and scripted draws: what
// the pupil sees, in which order, and what ends up in the record files.

#include "backdrop.h"
#include "datetext.h"
#include "scripteddialogs.h"
#include "scriptedrandom.h"
#include "recordfiles.h"
#include "tavola.h"
#include "windowcontrols.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

enum Unit { mg = 1, cg, dg, g, dag, hg, Kg };

// What a screen reader is told the control is called, or what else it says of it.
QString spokenName(QWidget *widget, QAccessible::Text text = QAccessible::Name)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(text) : QStringLiteral("<not accessible>");
}

// The names of the widgets of one window that were painted.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }

    QStringList painted;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(object);
        if (event->type() == QEvent::Paint && widget && widget->window() == m_window)
            painted << widget->objectName();
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

class GameFlowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startOrder();
    void cancelledNameStillPlays();
    void answers_data();
    void answers();
    void enterTwicePosesNextQuestion();
    void questionScoresOnce_data();
    void questionScoresOnce();
    void nextDisabledWhileQuestionWaits();
    void firstFrameShowsQuestion();
    void newBackgroundSparesOpaqueControls();
    void rowsAfterEveryQuestion();
    void gradientBands();
    void newGameNo();
    void newGameYes();
    void timeRunsOutWhileNewGameAsked();
    void countdownRunsOut();
    void gameEndsBehindStartBox();
    void farewellShowsSecondsLeft();
    void record_data();
    void record();
    void failedSaveIsNotCalledSaved();
    void unreadableRecordStillPlays();
    void noDataFolderTold();
    void unreadRecordIsNotBeaten();
    void minimisedCaption();
    void closeBoxSaysNothing();
    void screenReaderHearsFeedback();

private:
    template<typename T = QWidget>
    T *control(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }
    QLineEdit *row(int k) const;
    QString label(const char *name) const { return control<QLabel>(name)->text(); }

    // Name prompt and greeting answered, the window up with its first question.
    void startGame(int source, int target, int quantity, const QString &name = QStringLiteral("Ada"));
    void answer(const QString &typed);
    QColor clientPixel(int x, int y) const;

    ScriptedDialogs m_dialogs;
    ScriptedRandom m_random;
    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<Tavola> m_window;
    std::unique_ptr<QSignalSpy> m_finished;
};

void GameFlowTest::initTestCase()
{
    // Italian pupils: a comma before the decimals, day first in dates.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
}

void GameFlowTest::init()
{
    m_dialogs = ScriptedDialogs();
    m_random = ScriptedRandom();
    m_dataDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dataDir->isValid());
    m_window = std::make_unique<Tavola>(m_dialogs, m_random, m_dataDir->path() + QLatin1Char('/'));
    m_finished = std::make_unique<QSignalSpy>(m_window.get(), &Tavola::finished);
}

void GameFlowTest::cleanup()
{
    m_finished.reset();
    m_window.reset();
    m_dataDir.reset();
}

QLineEdit *GameFlowTest::row(int k) const
{
    return ::control<QLineEdit>(*m_window, QStringLiteral("Text1"), k);
}

void GameFlowTest::startGame(int source, int target, int quantity, const QString &name)
{
    m_dialogs.textAnswers.push_back(name);
    m_random.queueQuestion(4, 2, source, target, quantity);
    const qint16 asked = m_window->state().questionsAsked;
    m_window->start();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTRY_COMPARE(m_window->state().questionsAsked, qint16(asked + 1));
}

void GameFlowTest::answer(const QString &typed)
{
    auto *box = control<QLineEdit>("txtAnswer");
    box->setFocus();
    box->setText(typed);
    QTest::keyClick(box, Qt::Key_Return);
}

QColor GameFlowTest::clientPixel(int x, int y) const
{
    QWidget *client = m_window->centralWidget();
    return client->grab().toImage().pixelColor(x, y);
}

// Name prompt, greeting, then the window and its question; the clock waits for the greeting.
void GameFlowTest::startOrder()
{
    QStringList seen;
    m_dialogs.whileOpen = [&](const ScriptedDialogs::Call &) {
        const QTimer *timer = control<QTimer>("Timer1");
        seen << QStringLiteral("timer %1, shown %2, asked %3")
                    .arg(timer && timer->isActive())
                    .arg(m_window->isVisible())
                    .arg(m_window->state().questionsAsked);
    };
    startGame(Kg, g, 2);

    QCOMPARE(m_dialogs.calls.size(), 2);
    QCOMPARE(m_dialogs.calls[0].kind, ScriptedDialogs::AskText);
    QCOMPARE(m_dialogs.calls[0].title, QStringLiteral("Ponderine"));
    QCOMPARE(m_dialogs.calls[0].text, QStringLiteral("Come ti chiami?"));
    QCOMPARE(m_dialogs.calls[1].kind, ScriptedDialogs::Inform);
    QCOMPARE(m_dialogs.calls[1].title, QStringLiteral("Ponderine"));
    QCOMPARE(m_dialogs.calls[1].text, QStringLiteral(" Ada vediamo se sei un vero campione  "));
    QCOMPARE(seen, QStringList({"timer 0, shown 0, asked 0", "timer 0, shown 0, asked 0"}));

    QVERIFY(control<QTimer>("Timer1")->isActive());
    QCOMPARE(label("lblconto"), QStringLiteral("00:15:00"));
    QCOMPARE(label("lblnome1"), QStringLiteral("Ada"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Giocare con le ponderine"));
    QCOMPARE(control<QLineEdit>("Text6")->text(), QStringLiteral("2"));
    QCOMPARE(control<QLineEdit>("Text3")->text(), QStringLiteral("Kg"));
    QCOMPARE(control<QPlainTextEdit>("Text4")->toPlainText(), QStringLiteral("g"));
    QCOMPARE(label("Label2"), QStringLiteral("2000"));
    QCOMPARE(QApplication::focusWidget(), control("txtAnswer"));
    // The record files exist from the first start, empty.
    QCOMPARE(readBytes(m_dataDir->filePath("tvk.txt")), QByteArray());
    QCOMPARE(readBytes(m_dataDir->filePath("ntvk.txt")), QByteArray());
}

// Cancel at the name prompt gives the empty name, and the game goes on.
void GameFlowTest::cancelledNameStillPlays()
{
    startGame(g, Kg, 5, QString());
    QCOMPARE(m_dialogs.calls[1].text, QStringLiteral("  vediamo se sei un vero campione  "));
    QCOMPARE(label("lblnome1"), QString());
    QCOMPARE(label("Label2"), QStringLiteral("0,005"));
}

void GameFlowTest::answers_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("counters"); // right, wrong, total

    const QString right = QStringLiteral("Esatto, è incredibile!!!");
    // clang-format off
    QTest::newRow("right")             << int(Kg) << int(g) << 2 << "2000" << right << QStringList{"1", "0", "1"};
    QTest::newRow("trailing blank")    << int(Kg) << int(g) << 2 << "2000 " << "Sbagliato!! 2000" << QStringList{"0", "1", "1"};
    QTest::newRow("empty")             << int(Kg) << int(g) << 2 << "" << "Sbagliato!! 2000" << QStringList{"0", "1", "1"};
    QTest::newRow("decimal comma")     << int(cg) << int(g) << 7 << "0,07" << right << QStringList{"1", "0", "1"};
    QTest::newRow("decimal point")     << int(cg) << int(g) << 7 << "0.07" << "Sbagliato!! 0,07" << QStringList{"0", "1", "1"};
    QTest::newRow("exponent expected") << int(mg) << int(Kg) << 1 << "0,000001" << "Sbagliato!! 1E-06" << QStringList{"0", "1", "1"};
    QTest::newRow("exponent typed")    << int(mg) << int(Kg) << 1 << "1E-06" << right << QStringList{"1", "0", "1"};
    // clang-format on
}

// The verdict, the feedback, the counters, and black after a wrong answer.
void GameFlowTest::answers()
{
    QFETCH(int, source);
    QFETCH(int, target);
    QFETCH(int, quantity);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QStringList, counters);

    startGame(source, target, quantity);
    QWidget *client = m_window->centralWidget();
    const QPoint free(client->width() - 2, client->height() - 2);
    QVERIFY(clientPixel(free.x(), free.y()) != QColor(Qt::black));

    answer(typed);
    QCOMPARE(label("lblMessage"), message);
    QCOMPARE(QStringList({label("lblScore"), label("lblScore1"), label("lblScore2")}), counters);
    const bool wrong = counters[1] == QLatin1String("1");
    QCOMPARE(clientPixel(free.x(), free.y()) == QColor(Qt::black), wrong);
    QCOMPARE(clientPixel(free.x(), 0) == QColor(Qt::black), wrong);
    // The typed text stays for the pupil to compare.
    QCOMPARE(control<QLineEdit>("txtAnswer")->text(), typed);
    QVERIFY(control("cmdNext")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), control("cmdNext"));
}

// Enter checks, and Enter again on the focused button asks the next question.
void GameFlowTest::enterTwicePosesNextQuestion()
{
    startGame(Kg, g, 2);
    m_random.queueQuestion(1, 0, dag, mg, 20);
    QTest::keyClicks(control("txtAnswer"), QStringLiteral("2000"));
    QTest::keyClick(control("txtAnswer"), Qt::Key_Return);
    QCOMPARE(label("lblMessage"), QStringLiteral("Esatto, è incredibile!!!"));
    QCOMPARE(QApplication::focusWidget(), control("cmdNext"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(m_window->state().questionsAsked, qint16(2));
    QCOMPARE(label("Label2"), QStringLiteral("200000"));
    QCOMPARE(control<QLineEdit>("txtAnswer")->text(), QString());
    QCOMPARE(label("lblMessage"), QString());
    QCOMPARE(label("lblScore"), QStringLiteral("1"));
    QCOMPARE(QApplication::focusWidget(), control("txtAnswer"));
}

void GameFlowTest::questionScoresOnce_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("again"); // typed over the first, or nothing to send it as it is
    QTest::addColumn<QStringList>("counters");
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("right, Enter again") << "300" << "" << QStringList({"1", "0", "1"}) << "Esatto, è incredibile!!!";
    QTest::newRow("wrong, then the right one") << "3" << "300" << QStringList({"0", "1", "1"}) << "Sbagliato!! 300";
    QTest::newRow("right, then a wrong one") << "300" << "3" << QStringList({"1", "0", "1"}) << "Esatto, è incredibile!!!";
    // clang-format on
}

// An answer scores once: back in the box, Enter changes no counter and no
// message, and Enter, Enter still poses the next question.
void GameFlowTest::questionScoresOnce()
{
    QFETCH(QString, first);
    QFETCH(QString, again);
    QFETCH(QStringList, counters);
    QFETCH(QString, message);
    startGame(hg, g, 3);
    answer(first);
    auto *box = control<QLineEdit>("txtAnswer");
    for (int k = 0; k < 10; ++k) {
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), box);
        if (!again.isEmpty()) {
            box->clear();
            QTest::keyClicks(box, again);
        }
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(QStringList({label("lblScore"), label("lblScore1"), label("lblScore2")}), counters);
        QCOMPARE(label("lblMessage"), message);
        QCOMPARE(QApplication::focusWidget(), control("cmdNext"));
    }
    m_random.queueQuestion(1, 0, dag, mg, 20);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(m_window->state().questionsAsked, qint16(2));
    answer(QStringLiteral("200000"));
    QCOMPARE(label("lblScore2"), QStringLiteral("2"));
}

// A question cannot be skipped: the button wakes only after an answer.
void GameFlowTest::nextDisabledWhileQuestionWaits()
{
    startGame(Kg, g, 2);
    auto *next = control<QAbstractButton>("cmdNext");
    QVERIFY(!next->isEnabled());
    QTest::keyClick(m_window.get(), Qt::Key_N, Qt::AltModifier);
    QCOMPARE(m_window->state().questionsAsked, qint16(1));

    answer(QStringLiteral("1"));
    m_random.queueQuestion(9, 9, mg, cg, 1);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(m_window->state().questionsAsked, qint16(2));
    QVERIFY(!next->isEnabled());
}

// The window is never drawn empty: the question is posed as it is shown,
// before any frame can be drawn.
void GameFlowTest::firstFrameShowsQuestion()
{
    // What the game had posed when the window was first shown.
    struct FirstShow : QObject
    {
        Tavola *window = nullptr;
        int asked = -1;
        QString expected;
        bool eventFilter(QObject *object, QEvent *event) override
        {
            if (object == window && event->type() == QEvent::Show && asked < 0) {
                asked = window->state().questionsAsked;
                expected = window->findChild<QLabel *>(QStringLiteral("Label2"))->text();
            }
            return false;
        }
    } seen;
    seen.window = m_window.get();
    m_window->installEventFilter(&seen);
    m_dialogs.textAnswers.push_back(QStringLiteral("Ada"));
    m_random.queueQuestion(4, 2, Kg, g, 2);
    m_window->start();
    QCOMPARE(seen.asked, 1);
    QCOMPARE(seen.expected, QStringLiteral("2000"));
}

// A new background repaints what it shows through, not the buttons that cover it.
void GameFlowTest::newBackgroundSparesOpaqueControls()
{
    PaintWatch watch(m_window.get());
    startGame(Kg, g, 2);
    // The first frame drawn, and nothing left waiting to be drawn.
    QTRY_VERIFY(watch.painted.contains(QStringLiteral("cmdNext")));
    QCoreApplication::sendPostedEvents();
    watch.painted.clear();
    m_random.queueQuestion(9, 9, mg, cg, 1);
    m_window->newQuestion();
    QTRY_VERIFY(watch.painted.contains(QStringLiteral("client")));
    for (const char *name : {"cmdNext", "cmdExit1", "Command1"})
        QVERIFY2(!watch.painted.contains(QLatin1String(name)), name);
}

// Whatever came before, exactly the source row is red and the target row green at 24 points.
void GameFlowTest::rowsAfterEveryQuestion()
{
    struct Step
    {
        int source, target, redRow, greenRow;
    };
    const Step steps[] = {{Kg, g, 0, 3}, {mg, cg, 6, 5}, {g, dag, 3, 2}, {cg, Kg, 5, 0}, {dag, hg, 2, 1}};

    startGame(steps[0].source, steps[0].target, 1);
    for (const Step &step : steps) {
        if (&step != &steps[0]) {
            answer(QString());
            m_random.queueQuestion(2, 2, step.source, step.target, 1);
            QTest::mouseClick(control("cmdNext"), Qt::LeftButton);
        }
        for (int k = 0; k < 7; ++k) {
            const QColor colour = row(k)->palette().color(QPalette::Text);
            const qreal points = row(k)->font().pointSizeF();
            if (k == step.redRow) {
                QCOMPARE(colour, QColor(255, 0, 0));
                QCOMPARE(points, 24.0);
            } else if (k == step.greenRow) {
                QCOMPARE(colour, QColor(0, 255, 0));
                QCOMPARE(points, 24.0);
            } else {
                QCOMPARE(colour, QColor(0, 0, 0));
                QCOMPARE(points, 18.0);
            }
        }
    }
}

// 256 bands: the tint's red and green times 20, blue 0 on top to 255 at the bottom.
void GameFlowTest::gradientBands()
{
    m_dialogs.textAnswers.push_back(QStringLiteral("Ada"));
    m_random.queueQuestion(3, 7, Kg, g, 1);
    m_window->build();
    QCOMPARE(clientPixel(0, 0), m_window->palette().color(QPalette::Window));
    m_window->start();
    QTRY_COMPARE(m_window->state().questionsAsked, qint16(1));

    QWidget *client = m_window->centralWidget();
    const int x = client->width() - 2; // right of every control
    QCOMPARE(clientPixel(x, 0), QColor(60, 140, 0));
    QCOMPARE(clientPixel(x, client->height() - 1), QColor(60, 140, 255));
    const QColor middle = clientPixel(x, client->height() / 2);
    QVERIFY2(qAbs(middle.blue() - 128) <= 1, qPrintable(QString::number(middle.blue())));
    // Nothing of the window's own colour is left showing.
    QVERIFY(clientPixel(x, client->height() / 4) != m_window->palette().color(QPalette::Window));
}

// No to the new-game question: the game goes on as it was.
void GameFlowTest::newGameNo()
{
    startGame(Kg, g, 2);
    answer(QStringLiteral("2000"));
    m_window->tick();
    m_dialogs.yesNoAnswers.push_back(false);
    m_window->findChild<QAction *>(QStringLiteral("Next"))->trigger();

    QCOMPARE(m_dialogs.calls.size(), 3);
    QCOMPARE(m_dialogs.calls[2].kind, ScriptedDialogs::AskYesNo);
    QCOMPARE(m_dialogs.calls[2].title, QStringLiteral("INIZIARE NUOVA GARA"));
    QCOMPARE(m_dialogs.calls[2].text, QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"));
    QCOMPARE(label("lblScore"), QStringLiteral("1"));
    QCOMPARE(label("lblconto"), QStringLiteral("00:14:59"));
    QVERIFY(control<QTimer>("Timer1")->isActive());
    QCOMPARE(m_window->state().questionsAsked, qint16(1));
    QCOMPARE(label("lblMessage"), QStringLiteral("Esatto, è incredibile!!!"));
}

// Yes: the score is dropped unsaved, a fresh name and clock, the record reread, a first question.
void GameFlowTest::newGameYes()
{
    startGame(Kg, g, 2);
    answer(QStringLiteral("2000"));
    answer(QStringLiteral("2000"));
    m_window->tick();
    QVERIFY(writeBytes(m_dataDir->filePath("tvk.txt"), "1\r\n"));
    QVERIFY(writeBytes(m_dataDir->filePath("ntvk.txt"), "Carla\r\n"));
    m_dialogs.yesNoAnswers.push_back(true);
    m_dialogs.textAnswers.push_back(QStringLiteral("Bea"));
    m_random.queueQuestion(5, 5, mg, g, 4);
    // The old game's clock is stopped while the new name is asked and greeted.
    QStringList clockWhileOpen;
    m_dialogs.whileOpen = [&](const ScriptedDialogs::Call &call) {
        if (call.kind != ScriptedDialogs::AskYesNo)
            clockWhileOpen << QStringLiteral("timer %1").arg(control<QTimer>("Timer1")->isActive());
    };
    m_window->findChild<QAction *>(QStringLiteral("Next"))->trigger();
    QTRY_COMPARE(m_window->state().questionsAsked, qint16(2));
    QCOMPARE(clockWhileOpen, QStringList({"timer 0", "timer 0"}));

    QCOMPARE(m_dialogs.calls.size(), 5);
    QCOMPARE(m_dialogs.calls[3].text, QStringLiteral("Come ti chiami?"));
    QCOMPARE(m_dialogs.calls[4].text, QStringLiteral(" Bea vediamo se sei un vero campione  "));
    QCOMPARE(m_finished->size(), 0);
    QCOMPARE(readBytes(m_dataDir->filePath("tvk.txt")), QByteArray("1\r\n"));

    QCOMPARE(label("lblnome1"), QStringLiteral("Bea"));
    QCOMPARE(label("lblconto"), QStringLiteral("00:15:00"));
    QCOMPARE(QStringList({label("lblScore"), label("lblScore1"), label("lblScore2")}), QStringList({"0", "0", "0"}));
    QCOMPARE(label("lblMessage"), QString());
    QCOMPARE(label("lblpunti"), QStringLiteral("1\n"));
    QCOMPARE(label("lblnome"), QStringLiteral("Carla\n"));
    QCOMPARE(label("Label2"), QStringLiteral("0,004"));
    QVERIFY(m_window->isVisible());
    QVERIFY(!control("cmdNext")->isEnabled());
    QCOMPARE(control("cmdNext")->accessibleDescription(), QStringLiteral("Go")); // no verdict of the last game
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Giocare con le ponderine"));
}

// The time runs out while the new-game question waits: the game ends, and a late Yes starts nothing.
void GameFlowTest::timeRunsOutWhileNewGameAsked()
{
    startGame(Kg, g, 2);
    m_dialogs.yesNoAnswers.push_back(true);
    m_dialogs.whileOpen = [this](const ScriptedDialogs::Call &call) {
        if (call.kind == ScriptedDialogs::AskYesNo)
            for (int i = 0; i < 901; ++i)
                m_window->tick();
    };
    m_window->newGame();

    QStringList texts;
    for (const auto &call : std::as_const(m_dialogs.calls).mid(2))
        texts << call.text;
    QCOMPARE(texts, QStringList({"INIZIAMO UNA NUOVA GARA  ?", "Ciao a presto. Ore 0"}));
    QCOMPARE(m_finished->size(), 1);
    QCOMPARE(m_window->state().questionsAsked, qint16(1));
}

// 900 ticks reach 00:00:00; the 901st says goodbye with no seconds left, once.
void GameFlowTest::countdownRunsOut()
{
    startGame(Kg, g, 2);
    for (int i = 0; i < 900; ++i)
        m_window->tick();
    QCOMPARE(label("lblconto"), QStringLiteral("00:00:00"));
    QCOMPARE(m_dialogs.calls.size(), 2);

    m_window->tick();
    QCOMPARE(m_dialogs.calls.size(), 3);
    QCOMPARE(m_dialogs.calls[2].title, QStringLiteral("Data ") + shortDateText(QDate::currentDate(), QLocale()));
    QCOMPARE(m_dialogs.calls[2].text, QStringLiteral("Ciao a presto. Ore 0"));
    QCOMPARE(m_finished->size(), 1);
    QVERIFY(!control<QTimer>("Timer1")->isActive());

    // Over means over: nothing runs a second time.
    m_window->tick();
    m_window->endGame();
    QCOMPARE(m_dialogs.calls.size(), 3);
    QCOMPARE(m_finished->size(), 1);
}

// The time runs out behind a box of the start (a record error here): the
// game still ends the program's event loop, and with it the process.
void GameFlowTest::gameEndsBehindStartBox()
{
    QVERIFY(QDir().mkpath(m_dataDir->filePath("ntvk.txt")));
    m_dialogs.textAnswers.push_back(QStringLiteral("Ada"));
    m_random.queueQuestion(4, 2, Kg, g, 2);
    m_dialogs.whileOpen = [this](const ScriptedDialogs::Call &call) {
        if (call.text.startsWith(QStringLiteral("Impossibile ")))
            for (int i = 0; i < 901; ++i)
                m_window->tick();
    };
    // Should the loop not hear the end, this ends it with another code.
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(99); });

    QCOMPARE(runGame(*m_window), 0);
    QCOMPARE(m_finished->size(), 1);
    QCOMPARE(m_dialogs.calls.size(), 4);
    QCOMPARE(m_dialogs.calls[3].text, QStringLiteral("Ciao a presto. Ore 0"));
}

// Exit shows the seconds left; a tick while the farewell is open does not run it again.
void GameFlowTest::farewellShowsSecondsLeft()
{
    startGame(Kg, g, 2);
    for (int i = 0; i < 146; ++i)
        m_window->tick();
    m_dialogs.whileOpen = [this](const ScriptedDialogs::Call &) { m_window->tick(); };
    QTest::mouseClick(control("cmdExit1"), Qt::LeftButton);
    QCOMPARE(m_dialogs.calls.size(), 3);
    QCOMPARE(m_dialogs.calls[2].text, QStringLiteral("Ciao a presto. Ore 754"));
    QCOMPARE(m_finished->size(), 1);
}

void GameFlowTest::record_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("rightAnswers");
    QTest::addColumn<bool>("saved");

    // clang-format off
    QTest::newRow("first ever, none right") << QByteArray() << 0 << false;
    QTest::newRow("first ever, one right")  << QByteArray() << 1 << true;
    QTest::newRow("tied")                   << QByteArray("3\r\n") << 3 << false;
    QTest::newRow("beaten")                 << QByteArray("3\r\n") << 4 << true;
    // clang-format on
}

// Only a better score is written, with the player's name, and confirmed.
void GameFlowTest::record()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, rightAnswers);
    QFETCH(bool, saved);

    QDir().mkpath(m_dataDir->path());
    QVERIFY(writeBytes(m_dataDir->filePath("tvk.txt"), stored));
    QVERIFY(writeBytes(m_dataDir->filePath("ntvk.txt"), stored.isEmpty() ? QByteArray() : QByteArray("Dario\r\n")));
    startGame(Kg, g, 2, QStringLiteral("Zoë"));
    // Each question scores once: one question per answer.
    for (int i = 0; i <= rightAnswers; ++i) {
        if (i > 0) {
            m_random.queueQuestion(1, 0, Kg, g, 2);
            m_window->newQuestion();
        }
        answer(i < rightAnswers ? QStringLiteral("2000") : QStringLiteral("0"));
    }
    m_window->endGame();

    QStringList texts;
    for (const auto &call : std::as_const(m_dialogs.calls).mid(2))
        texts << call.text;
    QStringList expected = {QStringLiteral("Ciao a presto. Ore 900")};
    if (saved)
        expected << QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E\"");
    QCOMPARE(texts, expected);
    if (saved)
        QCOMPARE(m_dialogs.calls.last().title, QStringLiteral("Ponderine"));
    QCOMPARE(readBytes(m_dataDir->filePath("tvk.txt")), saved ? QByteArray::number(rightAnswers) + "\r\n" : stored);
    QCOMPARE(readBytes(m_dataDir->filePath("ntvk.txt")),
             saved ? QByteArray("Zo\xEB\r\n") : (stored.isEmpty() ? QByteArray() : QByteArray("Dario\r\n")));
    QCOMPARE(m_finished->size(), 1);
}

// A save that fails says so, naming the file, and is never confirmed.
void GameFlowTest::failedSaveIsNotCalledSaved()
{
    startGame(Kg, g, 2);
    answer(QStringLiteral("2000"));
    // A folder in the score file's place cannot be replaced, not even by root.
    const QString score = m_dataDir->filePath("tvk.txt");
    QVERIFY(QFile::remove(score));
    QVERIFY(QDir().mkpath(score + QStringLiteral("/inside")));
    m_window->endGame();

    QCOMPARE(m_dialogs.calls.size(), 4);
    const QString message = m_dialogs.calls[3].text;
    QVERIFY2(message.startsWith(QStringLiteral("Impossibile salvare il record in ") + score + QStringLiteral(": ")),
             qPrintable(message));
    QVERIFY(message.size() > QStringLiteral("Impossibile salvare il record in : ").size() + score.size());
    QCOMPARE(m_finished->size(), 1);
}

// A data folder that cannot be made is reported once, and the game is played anyway.
void GameFlowTest::unreadableRecordStillPlays()
{
    const QString blocker = m_dataDir->filePath("file");
    QVERIFY(writeBytes(blocker, "not a folder"));
    m_window = std::make_unique<Tavola>(m_dialogs, m_random, blocker + QStringLiteral("/ponderine/"));
    startGame(Kg, g, 2);

    QCOMPARE(m_dialogs.calls.size(), 3);
    QVERIFY2(m_dialogs.calls[2].text.startsWith(QStringLiteral("Impossibile ")), qPrintable(m_dialogs.calls[2].text));
    QVERIFY(m_dialogs.calls[2].text.contains(blocker));
    QCOMPARE(label("lblpunti"), QString());
    answer(QStringLiteral("2000"));
    QCOMPARE(label("lblScore"), QStringLiteral("1"));
}

// A system that cannot say where the data folder is: told at the start and at the end, in the game's words.
void GameFlowTest::noDataFolderTold()
{
    m_window = std::make_unique<Tavola>(m_dialogs, m_random, QString());
    startGame(Kg, g, 2);
    answer(QStringLiteral("2000"));
    m_window->endGame();

    const QString score = RecordStore(QString()).scorePath();
    const QString reason = QStringLiteral(": la cartella dei dati non è stata trovata");
    QCOMPARE(m_dialogs.calls.size(), 5);
    QCOMPARE(m_dialogs.calls[2].text, QStringLiteral("Impossibile creare il file del record ") + score + reason);
    QCOMPARE(m_dialogs.calls[4].text, QStringLiteral("Impossibile salvare il record in ") + score + reason);
}

// A record that could not be read at the start is still the record: a lower score leaves it.
void GameFlowTest::unreadRecordIsNotBeaten()
{
    QVERIFY(writeBytes(m_dataDir->filePath("tvk.txt"), "12\r\n"));
    QVERIFY(QDir().mkpath(m_dataDir->filePath("ntvk.txt")));
    startGame(Kg, g, 2);
    answer(QStringLiteral("2000"));
    m_window->endGame();

    QCOMPARE(m_dialogs.calls.size(), 4);
    QVERIFY2(m_dialogs.calls[2].text.startsWith(QStringLiteral("Impossibile creare il file del record ")),
             qPrintable(m_dialogs.calls[2].text));
    QCOMPARE(m_dialogs.calls[3].text, QStringLiteral("Ciao a presto. Ore 900"));
    QCOMPARE(readBytes(m_dataDir->filePath("tvk.txt")), QByteArray("12\r\n"));
}

// Minimised, the caption is the time left and follows the clock; restored, the game's name.
void GameFlowTest::minimisedCaption()
{
    startGame(Kg, g, 2);
    m_window->showMinimized();
    QTRY_VERIFY(m_window->isMinimized());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("00:15:00"));
    m_window->tick();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("00:14:59"));

    m_window->showMaximized();
    QTRY_VERIFY(!m_window->isMinimized());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Giocare con le ponderine"));
    // Coming back, and active again, poses no new question.
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->state().questionsAsked, qint16(1));
}

// The close box has no farewell and offers no record.
void GameFlowTest::closeBoxSaysNothing()
{
    startGame(Kg, g, 2);
    answer(QStringLiteral("2000"));
    QVERIFY(m_window->close());
    QCOMPARE(m_dialogs.calls.size(), 2);
    QCOMPARE(m_finished->size(), 0);
    QCOMPARE(readBytes(m_dataDir->filePath("tvk.txt")), QByteArray());
}

// A pupil who cannot see the screen hears the question, the verdict and the
// counters, and no invitation to press what does nothing.
void GameFlowTest::screenReaderHearsFeedback()
{
    startGame(cg, g, 7);
    QCOMPARE(spokenName(control("txtAnswer"), QAccessible::Description),
             QStringLiteral("7 centigrammi, quanti grammi?"));
    QCOMPARE(spokenName(control("lblMessage")), QStringLiteral("Messaggio"));
    answer(QStringLiteral("0.07"));
    QCOMPARE(spokenName(control("cmdNext"), QAccessible::Description),
             QStringLiteral("Sbagliato!! 0,07; risposte esatte 0, errate 1, totali 1"));
    QCOMPARE(control("cmdNext")->toolTip(), QStringLiteral("Go"));
    QCOMPARE(spokenName(control("lblMessage")), QStringLiteral("Messaggio: Sbagliato!! 0,07"));
    QCOMPARE(spokenName(control("lblScore")), QStringLiteral("Risposte esatte: 0"));
    QCOMPARE(spokenName(control("lblScore1")), QStringLiteral("Risposte errate: 1"));
    QCOMPARE(spokenName(control("lblScore2")), QStringLiteral("Risposte totali: 1"));
    QCOMPARE(spokenName(control("lblconto")), QStringLiteral("Tempo restante: 00:15:00"));
    QAccessibleInterface *command1 = QAccessible::queryAccessibleInterface(control("Command1"));
    QCOMPARE(command1->role(), QAccessible::StaticText);
    QCOMPARE(command1->text(QAccessible::Name), QStringLiteral("Command1, non fa niente"));
    QAccessibleInterface *stopwatch = QAccessible::queryAccessibleInterface(control("Image1"));
    QCOMPARE(stopwatch->role(), QAccessible::Graphic);
    QCOMPARE(stopwatch->text(QAccessible::Description), QString()); // not its tooltip's "Clicca"
}

QTEST_MAIN(GameFlowTest)
#include "tst_gameflow.moc"
