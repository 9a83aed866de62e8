// The real boxes the game puts up (QtDialogs), driven as a pupil would.

#include "dialogs.h"
#include "scriptedrandom.h"
#include "tavola.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void realNewGameBoxDefaultsToNo();
    void realBoxShowsTitleAndPlainText();
};

// Opens a real box with `open`, hands it to `look` once it is up, then
// presses Enter on it. Any other box is rejected, and a box still open after
// five seconds is closed, so a fault fails instead of hanging.
static void driveRealBox(const std::function<void()> &open, const std::function<void(QMessageBox *)> &look)
{
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                dialog->reject();
            return;
        }
        look(box);
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->done(QMessageBox::Cancel);
    });
    driver.start();
    watchdog.start(5000);
    open();
}

// The real box: Yes and No with the question mark, and Enter picks No.
void DialogsTest::realNewGameBoxDefaultsToNo()
{
    QtDialogs real;
    ScriptedRandom random;
    QTemporaryDir dataDir;
    QVERIFY(dataDir.isValid());
    auto window = std::make_unique<Tavola>(real, random, dataDir.path() + QLatin1Char('/'));
    window->build();

    QString seen;
    driveRealBox(
        [&] { window->newGame(); },
        [&](QMessageBox *box) {
            seen = box->windowTitle() + QLatin1Char('|') + box->text() + QLatin1Char('|') + QString::number(box->icon())
                + QLatin1Char('|') + QString::number(box->standardButtons().toInt(), 16) + QLatin1Char('|')
                + (box->defaultButton() == box->button(QMessageBox::No) ? QStringLiteral("No") : QStringLiteral("?"));
        });

    const int yesNo = int(QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(seen,
             QStringLiteral("INIZIARE NUOVA GARA|INIZIAMO UNA NUOVA GARA  ?|%1|%2|No")
                 .arg(int(QMessageBox::Question))
                 .arg(yesNo, 0, 16));
    // No: nothing was asked after it, the window was not restarted.
    QVERIFY(!window->isVisible());
    QCOMPARE(window->state().playerName, QString());
}

// The real box shows a typed name as typed, and is wide enough for its whole
// title beside a title bar's icon and three buttons (about 24 pixels each).
void DialogsTest::realBoxShowsTitleAndPlainText()
{
    QtDialogs real;
    const QString title = QStringLiteral("Data 08/12/2026");
    const QString text = QStringLiteral("<i>x");
    QString shown;
    int width = 0;
    driveRealBox([&] { real.inform(nullptr, title, text); },
                 [&](QMessageBox *box) {
                     width = box->width();
                     for (const QLabel *label : box->findChildren<QLabel *>())
                         if (label->text() == text)
                             shown = label->textFormat() == Qt::PlainText ? QStringLiteral("plain")
                                                                          : QStringLiteral("markup");
                 });
    QCOMPARE(shown, QStringLiteral("plain"));
#ifdef Q_OS_WIN
    // Under Wine the window manager of the X server draws the caption, in a
    // font of its own: the title font Wine reports is not the one drawn.
    QSKIP("the title bar's font is Windows' own; not measurable under Wine");
#endif
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    QVERIFY2(width >= QFontMetrics(titleFont).horizontalAdvance(title) + 4 * 24, qPrintable(QString::number(width)));
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
