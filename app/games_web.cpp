#include "games.h"

#include "recordpair.h"
#include "tavola.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QTimer>

namespace {

// The browser offers the page none of the desktop's faces: the ones the
// control table asks for are compiled in (":/fonts", cut to the Latin
// letters by scripts/web/build.sh), and the rest falls back to Qt's own.
void addFonts()
{
    const QDir fonts(QStringLiteral(":/fonts"));
    for (const QString &name : fonts.entryList(QDir::Files))
        QFontDatabase::addApplicationFont(fonts.filePath(name));
}

void playGame(Dialogs &dialogs, RandomSource &random, const QString &dataDir)
{
    auto *window = new Tavola(dialogs, random, dataDir, recordpair::carryOverFolders());
    QObject::connect(window, &Tavola::finished, window, [window, &dialogs, &random, dataDir] {
        window->hide();
        window->deleteLater();
        QTimer::singleShot(0, qApp, [&dialogs, &random, dataDir] { playGame(dialogs, random, dataDir); });
    });
    QTimer::singleShot(0, window, &Tavola::start);
}

} // namespace

int playGames(Dialogs &dialogs, RandomSource &random)
{
    addFonts();
    playGame(dialogs, random, recordpair::dataFolder());
    // In a page this hands the page back to the browser and never returns.
    return QApplication::exec();
}
