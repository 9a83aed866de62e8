#include "games.h"

#include "dialogs.h"
#include "recordpair.h"
#include "tavola.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QTimer>

#include <emscripten.h>

namespace {

// clang-format off
EM_JS(void, tellPageNamePrompt, (int open), {
    if (typeof ponderineNamePrompt === 'function')
        ponderineNamePrompt(!!open);
});
// clang-format on

// Tells the page when the name prompt is open: between two pupils, the one
// time the page may take a new build of the site (web/page.js) without
// cutting a game short.
class PromptWatch : public Dialogs
{
public:
    explicit PromptWatch(Dialogs &boxes) : m_boxes(boxes) { }

    QString askText(QWidget *parent, const QString &title, const QString &prompt) override
    {
        tellPageNamePrompt(1);
        QString text = m_boxes.askText(parent, title, prompt);
        tellPageNamePrompt(0);
        return text;
    }
    void inform(QWidget *parent, const QString &title, const QString &text) override
    {
        m_boxes.inform(parent, title, text);
    }
    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override
    {
        return m_boxes.askYesNo(parent, title, text);
    }

private:
    Dialogs &m_boxes;
};

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
    static PromptWatch watched(dialogs);
    playGame(watched, random, recordpair::dataFolder());
    // In a page this hands the page back to the browser and never returns.
    return QApplication::exec();
}
