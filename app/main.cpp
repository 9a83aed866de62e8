#include "art.h"
#include "dialogs.h"
#include "randomsource.h"
#include "recordstore.h"
#include "tavola.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ponderine"));
    // Lets desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ponderine.ponderine"));
    QApplication::setWindowIcon(applicationIcon());
    // A steady text cursor: a blinking one repaints the answer box twice a
    // second and wakes the program while the pupil thinks.
    QApplication::setCursorFlashTime(0);

    // The boxes' own buttons in the pupil's language: "Annulla", "Sì".
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    QtDialogs dialogs;
    ClockRandomSource random;
    Tavola window(dialogs, random, defaultDataDir(), defaultCarryOverDirs());
    return runGame(window);
}
