#include "tavola.h"

#include "accessibility.h"
#include "answercheck.h"
#include "art.h"
#include "autosizelabel.h"
#include "backdrop.h"
#include "colours.h"
#include "datetext.h"
#include "dialogs.h"
#include "picturebutton.h"
#include "question.h"
#include "recordstore.h"
#include "weightunit.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDate>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace {

// The title of the boxes that have none of their own.
const QString appTitle = QStringLiteral("Ponderine");

const QString playingCaption = QStringLiteral("Giocare con le ponderine");

constexpr quint32 rowPlain = 0x000000;
constexpr quint32 rowSource = 0x0000FF; // red
constexpr quint32 rowTarget = 0x00FF00; // green

// The label shows the file's line, line end included; CR LF would show a stray box.
QString shownLine(const QString &fileText)
{
    QString text = fileText;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// How long the name prompt has been up when the first game's controls are made.
constexpr int promptUpMs = 200;

// Why the record could not be kept, in the pupil's words where the system gives none.
QString recordReason(const RecordError &error)
{
    switch (error.kind) {
    case RecordError::Kind::NoFolder:
        return QStringLiteral("la cartella dei dati non è stata trovata");
    case RecordError::Kind::InUse:
        return QStringLiteral("il record è in uso da un'altra partita");
    default:
        return error.reason;
    }
}

} // namespace

Tavola::Tavola(Dialogs &dialogs, RandomSource &random, const QString &dataDir, const QStringList &carryOverDirs,
               QWidget *parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_random(random), m_records(dataDir, carryOverDirs)
{
    setWindowTitle(QStringLiteral("Gioca con le ponderine"));
    setWindowIcon(applicationIcon());
    setWindowState(Qt::WindowMaximized);

    // The countdown's tick lives as long as the window. It runs from the
    // window's making, like every control as the game knows it, until the
    // load step stops it first thing.
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, [this] {
        for (int due = m_pace.secondsDue(); due > 0 && playing(); --due)
            tick();
    });
    m_timer1->start();
}

void Tavola::build()
{
    if (!m_mnuNewGame) {
        buildMenu();
        connect(m_mnuNewGame, &QAction::triggered, this, &Tavola::newGame);
    }
    // The last game's controls go at once, not later: nothing of them may
    // answer or be found once the new ones are made.
    delete takeCentralWidget();
    buildControls();
    connect(m_txtAnswer, &QLineEdit::returnPressed, this, &Tavola::checkAnswer);
    connect(m_cmdNext, &QAbstractButton::clicked, this, &Tavola::newQuestion);
    connect(m_cmdExit1, &QAbstractButton::clicked, this, &Tavola::endGame);
}

void Tavola::start()
{
    load();
    if (m_phase == Phase::Over) // the time ran out behind a box of the load step
        return;
    // Posed while the window is still hidden, so that its first frame shows it.
    newQuestion();
    placeOnFreeArea();
    showMaximized();
}

void Tavola::load()
{
    m_state.rightCount = 0;
    m_state.wrongCount = 0;
    m_timer1->stop(); // no countdown during the name prompt

    buildSoon(promptUpMs);
    m_state.playerName = m_dialogs.askText(this, appTitle, QStringLiteral("Come ti chiami?"));
    buildSoon(0);
    m_dialogs.inform(this, appTitle,
                     QStringLiteral(" ") + m_state.playerName + QStringLiteral(" vediamo se sei un vero campione  "));
    if (!m_client) // boxes that return without running the event loop
        build();
    setLabelText(m_lblnome1, m_state.playerName);

    m_state.clock.StartCountdown();
    m_timer1->start();
    m_pace.restart();
    m_phase = Phase::Playing;
    setLabelText(m_lblconto, m_state.clock.displayText());

    loadRecord();
}

// Making the controls is costly, most of it the layout's fonts
// (docs/performance.md): made before the prompt they hold it back,
// made after the greeting they hold back the first question. So the first
// game makes them while its boxes are up: a fifth of a second after the
// prompt is asked for (no pupil types a name sooner; made at once, they
// delayed the prompt), or, if the name came sooner, in the greeting's event
// loop. Once made, a timer left over does nothing.
void Tavola::buildSoon(int delayMs)
{
    if (m_client)
        return;
    QTimer::singleShot(delayMs, this, [this] {
        if (!m_client)
            build();
    });
}

void Tavola::placeOnFreeArea()
{
    // The native window was made early, as the prompt's parent, at a nominal
    // size. Qt gives a window first shown maximised the screen's free area;
    // so does this one, or its first frame would be drawn at the design size
    // and drawn again once the window manager has maximised it.
    if (m_placed)
        return;
    m_placed = true;
    if (const QScreen *shownOn = screen())
        setGeometry(shownOn->availableGeometry());
}

void Tavola::loadRecord()
{
    LoadResult loaded;
    if (const RecordError error = m_records.ensureFilesExist(); error.isError()) {
        loaded.error = error;
        m_dialogs.inform(
            this, appTitle,
            QStringLiteral("Impossibile creare il file del record %1: %2").arg(error.path, recordReason(error)));
    } else {
        loaded = m_records.load();
        if (loaded.error.isError())
            m_dialogs.inform(this, appTitle,
                             QStringLiteral("Impossibile leggere il record da %1: %2")
                                 .arg(loaded.error.path, recordReason(loaded.error)));
    }
    // After a failure both stay empty: no record, so any right answer beats it.
    m_state.recordScoreText = loaded.texts.score;
    m_state.recordNameText = loaded.texts.name;
    setLabelText(m_lblpunti, shownLine(m_state.recordScoreText));
    setLabelText(m_lblnome, shownLine(m_state.recordNameText));
}

void Tavola::newQuestion()
{
    if (!playing())
        return;
    m_txtAnswer->clear();
    setLabelText(m_lblMessage, QString());

    const Tint tint = drawTint(m_random);

    const QString separator = locale().decimalPoint();
    m_state.current =
        drawQuestion(m_random, m_state.questionsAsked, separator.isEmpty() ? QChar('.') : separator.at(0));
    m_label2->clear();
    m_text6->clear();
    m_text2->clear();
    for (int row = unitCount - 1; row >= 0; --row)
        styleRow(row, rowPlain, 18);

    m_label2->setText(m_state.current.answerText);
    m_text6->setText(QString::number(m_state.current.quantity));

    m_text3->setText(unitSymbol(m_state.current.source));
    styleRow(equivalenceRow(m_state.current.source), rowSource, 24);
    m_text4->setPlainText(unitSymbol(m_state.current.target));
    styleRow(equivalenceRow(m_state.current.target), rowTarget, 24);

    m_client->showGradient(tint);

    // Spoken as the focus lands in the answer box. The box cleared above is,
    // for a screen reader, the focus already (it follows the caret).
    accessibility::sayOnFocus(m_txtAnswer, spokenQuestion(m_state.current));
    m_txtAnswer->setFocus();
    m_cmdNext->setEnabled(false);
    m_txtAnswer->setFocus();
}

void Tavola::styleRow(int row, quint32 bgr, qreal points)
{
    QLineEdit *box = m_text1[row];
    // Most rows keep their style from one question to the next; restyled, a row repaints.
    if (box->palette().color(QPalette::Text) == fromBgr(bgr) && box->font().pointSizeF() == points)
        return;
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, fromBgr(bgr));
    box->setPalette(palette);
    QFont font = box->font();
    font.setPointSizeF(points);
    box->setFont(font);
}

void Tavola::checkAnswer()
{
    if (!playing())
        return;
    const CheckResult result = ::checkAnswer(m_state, m_txtAnswer->text(), m_label2->text());
    if (!result.counted) {
        // Judged already: Enter, Enter still poses the next question.
        m_cmdNext->setFocus();
        return;
    }
    setLabelText(m_lblMessage, result.message);
    if (result.blankBackground)
        m_client->blank();
    setLabelText(m_lblScore1, result.wrongText);
    setLabelText(m_lblScore, result.rightText);
    setLabelText(m_lblScore2, result.totalText);
    // Spoken as the focus moves to cmdNext; its tooltip stays "Go".
    accessibility::sayOnFocus(
        m_cmdNext,
        QStringLiteral("%1; risposte esatte %2, errate %3, totali %4")
            .arg(result.message.simplified(), result.rightText, result.wrongText, result.totalText));
    m_cmdNext->setEnabled(true);
    m_cmdNext->setFocus();
}

void Tavola::tick()
{
    if (!playing())
        return;
    if (m_state.clock.tick() == CountdownClock::Tick::TimeOver) {
        endGame();
        return;
    }
    setLabelText(m_lblconto, m_state.clock.displayText());
    if (isMinimized())
        updateCaption();
}

void Tavola::endGame()
{
    if (!playing())
        return;
    // Stopped first, and marked over, so a tick that comes while the farewell
    // is open cannot run this a second time.
    m_phase = Phase::Over;
    m_timer1->stop();

    m_dialogs.inform(this, QStringLiteral("Data ") + shortDateText(QDate::currentDate(), locale()),
                     QStringLiteral("Ciao a presto. Ore ") + QString::number(m_state.clock.secondsLeft()));

    const OfferResult offer = m_records.offerRecord(m_state.recordScoreText, m_state.rightCount, m_state.playerName);
    switch (offer.outcome) {
    case OfferOutcome::Saved:
        m_dialogs.inform(this, appTitle, QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E\""));
        break;
    case OfferOutcome::Failed:
        m_dialogs.inform(
            this, appTitle,
            QStringLiteral("Impossibile salvare il record in %1: %2").arg(offer.error.path, recordReason(offer.error)));
        break;
    case OfferOutcome::Unreadable:
        m_dialogs.inform(this, appTitle,
                         QStringLiteral("Impossibile leggere il record da %1: %2. Il punteggio non è stato salvato.")
                             .arg(offer.error.path, recordReason(offer.error)));
        break;
    case OfferOutcome::NotBeaten:
        break;
    }
    emit finished();
}

void Tavola::newGame()
{
    if (m_phase == Phase::Over)
        return;
    if (!m_dialogs.askYesNo(this, QStringLiteral("INIZIARE NUOVA GARA"), QStringLiteral("INIZIAMO UNA NUOVA GARA  ?")))
        return;
    // The time may have run out while the question was open.
    if (m_phase == Phase::Over)
        return;
    // Unloaded and shown again: the running game dropped unsaved, the
    // controls made anew, then a whole new start.
    m_phase = Phase::NotStarted;
    hide();
    build();
    start();
}

int runGame(Tavola &window)
{
    // exit(), not quit(): the game is over, so no close events and no last words.
    const QMetaObject::Connection ends =
        QObject::connect(&window, &Tavola::finished, qApp, [] { QCoreApplication::exit(0); });
    QTimer::singleShot(0, &window, &Tavola::start);
    const int code = QCoreApplication::exec();
    QObject::disconnect(ends);
    return code;
}

void Tavola::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    updateCaption();
    // Shown by the program, not restored by the desktop: a screen reader
    // that met the controls while the window was hidden keeps them as not
    // visible, and its review of the window skips them.
    if (!event->spontaneous() && QAccessible::isActive() && m_client) {
        for (QWidget *widget : m_client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            accessibility::presentAnew(widget);
    }
}

void Tavola::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    updateCaption();
}

void Tavola::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        updateCaption();
}

void Tavola::updateCaption()
{
    // Until it is first shown the window keeps the caption it was built with.
    if (!isVisible())
        return;
    // Minimised, the taskbar entry is all the pupil sees: it shows the time left.
    setWindowTitle(isMinimized() ? m_state.clock.displayText() : playingCaption);
}

void Tavola::setLabelText(QLabel *label, const QString &text)
{
    label->setText(text);
    if (auto *fitting = qobject_cast<AutoSizeLabel *>(label))
        fitting->fitToText();
    accessibility::textChanged(label);
}
