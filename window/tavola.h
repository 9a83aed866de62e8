#pragma once

#include "countdownpace.h"
#include "gamestate.h"
#include "recordstore.h"

#include <QMainWindow>

#include <array>

class AutoSizeLabel;
class Backdrop;
class Dialogs;
class PictureButton;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class RandomSource;

// The game's one window. Every control keeps the name the game knows it by,
// as its objectName and as the member below.
class Tavola : public QMainWindow
{
    Q_OBJECT

public:
    // The record lives in `dataDir`; one found in `carryOverDirs` (the first that holds one) is copied there first.
    Tavola(Dialogs &dialogs, RandomSource &random, const QString &dataDir, const QStringList &carryOverDirs = {},
           QWidget *parent = nullptr);

    // Makes the controls as they are before a game, and the menu the first
    // time. A new game calls it again: the last game's controls are dropped
    // and made anew, so this is the one description of the window's
    // starting look. start() calls it behind the name prompt when nothing
    // was made yet.
    void build();

    // Starts a game: the load step (name prompt, greeting, countdown, record),
    // the first question, then the window shown maximised.
    void start();

    const GameState &state() const { return m_state; }

public slots:
    void newQuestion();
    void checkAnswer(); // Enter in the answer box
    void tick();        // one second of the countdown
    void endGame();     // farewell, record offer, then finished()
    void newGame();     // asks first; Yes drops the running game

signals:
    // The game is over and the process is to end at once: no close events,
    // nothing saved on the way out.
    void finished();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Where the game is. The slots ask first: answers, ticks and Exit count
    // only while a game is under way; "NUOVO GIOCO" until it is over.
    enum class Phase {
        NotStarted, // before the countdown starts, or between games
        Playing,
        Over, // said goodbye: nothing more may run
    };
    bool playing() const { return m_phase == Phase::Playing; }

    void load();
    void buildSoon(int delayMs);
    void placeOnFreeArea();
    void updateCaption();
    void loadRecord();

    // A label's new text; a self-sizing one fits it, and a screen reader
    // hears it if the label is one it follows.
    static void setLabelText(QLabel *label, const QString &text);

    void styleRow(int row, quint32 bgr, qreal points);

    Dialogs &m_dialogs;
    RandomSource &m_random;
    const RecordStore m_records;
    GameState m_state;
    Phase m_phase = Phase::NotStarted;
    bool m_placed = false; // given the screen's free area before it was first shown

    // Controls and menu bar as they are before the game starts (tavolacontrols.cpp).
    void buildControls();
    void makeControls(); // from the control table
    void styleControls();
    void showArtwork();      // pictures and pointers
    void describeControls(); // for screen readers
    void chainTabOrder();
    void buildMenu();

    // The client area: every control is its direct child.
    Backdrop *m_client = nullptr;

    // The question line across the top.
    QLineEdit *m_text6 = nullptr;      // quantity
    QLineEdit *m_text3 = nullptr;      // source unit
    QLabel *m_label4 = nullptr;        // "="
    QLineEdit *m_txtAnswer = nullptr;  // the player's answer
    QPlainTextEdit *m_text4 = nullptr; // target unit

    QLineEdit *m_text2 = nullptr; // hidden scratch box
    QLabel *m_label2 = nullptr;   // hidden: the current question's answer text
    QTimer *m_timer1 = nullptr;   // the countdown's one-second tick
    CountdownPace m_pace;         // the seconds each of its ticks counts

    // The unit rows, element k for unit 7 - k: Kg on top, mg at the bottom.
    std::array<QLineEdit *, 7> m_text1 {};
    QFrame *m_shape1 = nullptr; // the outline around them

    PictureButton *m_cmdNext = nullptr;
    PictureButton *m_cmdExit1 = nullptr;
    QPushButton *m_command1 = nullptr;

    QLabel *m_image1 = nullptr; // stopwatch
    QLabel *m_image2 = nullptr; // dumbbell
    QLabel *m_image3 = nullptr; // rabbit
    QLabel *m_image4 = nullptr; // figure
    QLabel *m_image5 = nullptr; // creature

    QLabel *m_label11 = nullptr; // "Tempo restante"
    QLabel *m_lblconto = nullptr;
    QLabel *m_label5 = nullptr;
    QLabel *m_lblMessage = nullptr;

    AutoSizeLabel *m_label6 = nullptr; // "Risposte esatte"
    AutoSizeLabel *m_label1 = nullptr; // "Risposte errate"
    AutoSizeLabel *m_label3 = nullptr; // "Risposte totali"
    AutoSizeLabel *m_lblScore = nullptr;
    AutoSizeLabel *m_lblScore1 = nullptr;
    AutoSizeLabel *m_lblScore2 = nullptr;

    AutoSizeLabel *m_label14 = nullptr; // "Sfidante"
    AutoSizeLabel *m_lblnome1 = nullptr;
    QLabel *m_label12 = nullptr; // "Il record  è di "
    AutoSizeLabel *m_lblnome = nullptr;
    AutoSizeLabel *m_label13 = nullptr; // "con punti"
    AutoSizeLabel *m_lblpunti = nullptr;

    // The menu bar's items, by what they show; their objectNames are the
    // game's own: INFOMAZIONI, ic, g, Ciao, ik, s, Next.
    QAction *m_mnuTitle = nullptr;
    QAction *m_mnuLearnUnits = nullptr;
    QAction *m_mnuBlank = nullptr;
    QAction *m_mnuUnitRange = nullptr;
    QAction *m_mnuFreeSoftware = nullptr;
    QAction *m_mnuFreeware = nullptr;
    QAction *m_mnuNewGame = nullptr; // "NUOVO GIOCO"
};

// Plays one game in the application's event loop and returns its exit code.
// The game starts inside the loop, not before it: a game that ends while a
// box of its start is still open (the time may run out behind a record
// error) then ends the loop and the process, instead of asking a loop that
// has not started yet to stop, which it would never hear.
int runGame(Tavola &window);
