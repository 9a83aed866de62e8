// What a screen reader is told at each step of a whole game with the real
// boxes, read from the accessibility events Qt raises, as a screen reader
// gets them: every focus event, with the name and description of the
// control it lands on then, and the question's boxes' values, which UI
// Automation under Wine cannot read (tests/uia).

// The listener below is a plugin compiled into this program.
#ifndef QT_STATICPLUGIN
#    define QT_STATICPLUGIN
#endif

#include "dialogs.h"
#include "scriptedrandom.h"
#include "tavola.h"

#include <QAccessible>
#include <QAccessibleBridge>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaEnum>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtPlugin>
#include <QtTest>

namespace {

QStringList heard;

// Fed every accessibility event by Qt, as a platform's screen reader bridge is.
class Listener : public QAccessibleBridge
{
public:
    void setRootObject(QAccessibleInterface *) override { }
    void notifyAccessibilityUpdate(QAccessibleEvent *event) override
    {
        QAccessibleInterface *focused = event->accessibleInterface();
        if (event->type() != QAccessible::Focus || !focused)
            return;
        heard << QStringLiteral("%1 %2 | %3")
                     .arg(QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(focused->role())),
                          focused->text(QAccessible::Name), focused->text(QAccessible::Description));
    }
};

} // namespace

class ListenerPlugin : public QAccessibleBridgePlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QAccessibleBridgeFactoryInterface_iid FILE "tst_heard.json")

public:
    QAccessibleBridge *create(const QString &) override { return new Listener; }
};

Q_IMPORT_PLUGIN(ListenerPlugin)

class HeardTest : public QObject
{
    Q_OBJECT

private slots:
    void wholeGame();
};

// What the question's boxes hold, as a screen reader reads their values.
static QString values(const Tavola &window)
{
    QStringList held;
    for (const char *name : {"Text6", "Text3", "Text4"})
        held << QAccessible::queryAccessibleInterface(window.findChild<QWidget *>(QLatin1String(name)))
                    ->text(QAccessible::Value)
                    .trimmed();
    return QStringLiteral("values ") + held.join(QLatin1Char(' '));
}

// A pupil types, then presses Enter where the focus is.
static void enter(const QString &typed = QString())
{
    QWidget *focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClicks(focused, typed);
    QTest::keyClick(focused, Qt::Key_Return);
}

void HeardTest::wholeGame()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QtDialogs real;
    ScriptedRandom random;
    random.queueQuestion(4, 2, 2, 4, 7); // 7 cg in g
    random.queueQuestion(4, 2, 7, 4, 2); // 2 Kg in g
    QTemporaryDir dataDir;               // no record yet: one right answer is one
    QVERIFY(dataDir.isValid());
    Tavola window(real, random, dataDir.path() + QLatin1Char('/'));
    QSignalSpy finished(&window, &Tavola::finished);

    // The pupil at the boxes: a name, then Enter on each.
    QTimer pupil;
    pupil.setInterval(50);
    connect(&pupil, &QTimer::timeout, [] {
        QWidget *box = QApplication::activeModalWidget();
        if (qobject_cast<QInputDialog *>(box) && QApplication::focusWidget())
            enter(QStringLiteral("Bea"));
        else if (qobject_cast<QMessageBox *>(box) && QApplication::focusWidget())
            enter();
    });
    pupil.start();

    // Windows' screen readers read a box's text from its buttons (boxspeech_windows.cpp).
#ifdef Q_OS_WIN
    const bool buttonsSayBox = true;
#else
    const bool buttonsSayBox = false;
#endif
    const auto box = [&](const QString &said) {
        return QStringLiteral("Button OK \\| ") + (buttonsSayBox ? said : QString());
    };
    // clang-format off
    const QStringList expected = {
        QStringLiteral("EditableText Come ti chiami\\? \\| "),
        box(QStringLiteral(" Bea vediamo se sei un vero campione  ")),
        QStringLiteral("EditableText Risposta \\| 7 centigrammi, quanti grammi\\?"),
        QStringLiteral("values 7 cg g"),
        QStringLiteral("Button Nuovo calcolo \\| Sbagliato!! 0,07; risposte esatte 0, errate 1, totali 1"),
        QStringLiteral("EditableText Risposta \\| 2 chilogrammi, quanti grammi\\?"),
        QStringLiteral("values 2 Kg g"),
        QStringLiteral("Button Nuovo calcolo \\| Esatto, è incredibile!!!; risposte esatte 1, errate 1, totali 2"),
        box(QStringLiteral("Ciao a presto\\. Ore \\d+")),
        box(QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E\"")),
    };
    // clang-format on
    // The first `count` lines expected, in this order, with other events
    // between (the focus going back to the window after a box).
    const auto heardInOrder = [&](qsizetype count) {
        qsizetype at = 0;
        for (const QString &line : expected.first(count)) {
            const QRegularExpression pattern(QRegularExpression::anchoredPattern(line));
            while (at < heard.size() && !pattern.match(heard[at]).hasMatch())
                ++at;
            if (at == heard.size()) {
                qWarning("not heard: %s\nheard:\n  %s", qPrintable(line), qPrintable(heard.join("\n  ")));
                return false;
            }
            ++at;
        }
        return true;
    };

    heard.clear();
    window.start();
#ifdef Q_OS_WIN
    // Qt's minimal platform, which the tests under Wine use, activates a
    // window only as it makes it, and on Windows hands Qt such news only as
    // a window is shown: the game's window, made before the boxes of the
    // start, stays inactive once they close, so it is made active here, as
    // Windows makes a window it shows. (Windows' Qt only: the call is
    // deprecated from Qt 6.5.)
    if (QGuiApplication::platformName() == QLatin1String("minimal"))
        QApplication::setActiveWindow(&window);
#endif
    QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow(), 30000);
    heard << values(window);
    enter(QStringLiteral("0.07"));
    enter();
    heard << values(window);
    enter(QStringLiteral("2000"));
    QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);

    QVERIFY(heardInOrder(expected.size()));
}

QTEST_MAIN(HeardTest)
#include "tst_heard.moc"
