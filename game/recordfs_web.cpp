#include "recordfs.h"

#include <QFile>

#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

// In a browser the files live in memory, one copy per tab, and the site's
// IndexedDB keeps them (emscripten's IDBFS): read in before the program
// starts (recordfs_web.js), and written out after each file written or
// replaced, so that the browser holds what a desktop's disk would at each
// step. A write-out is one IndexedDB transaction: what it holds is stored
// whole or not at all.

namespace {

// clang-format off
EM_ASYNC_JS(int, writeOut, (), {
    try {
        return (await new Promise(done => FS.syncfs(false, done))) ? 0 : 1;
    } catch (error) {
        return 0;
    }
});

// The site's other tabs take turns through a Web Lock; a browser without
// Web Locks (or a page not served over HTTPS) goes without.
EM_ASYNC_JS(void, takeSaveTurn, (), {
    if (navigator.locks)
        await new Promise(granted => navigator.locks.request('ponderine-record', () => new Promise(release => {
            Module.ponderineEndSaveTurn = release;
            granted();
        })));
    try {
        await new Promise(done => FS.syncfs(true, done));
    } catch (error) {
    }
});

EM_JS(void, endSaveTurn, (), {
    const release = Module.ponderineEndSaveTurn;
    Module.ponderineEndSaveTurn = undefined;
    if (release)
        release();
});
// clang-format on

} // namespace

namespace recordfs {

bool replaceFile(const QString &from, const QString &to, QString *reason)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!writeOut()) {
        *reason = QString::fromLocal8Bit(std::strerror(EIO));
        return false;
    }
    return true;
}

bool syncToDisk(QFile &)
{
    return writeOut();
}

// Only this tab uses its copy of the files: the other tabs take their turns
// through SaveTurn, and the lock beside the record is always this game's.
Lock::Lock(QString path) : m_path(std::move(path))
{ }

Lock::~Lock() = default;

Lock::State Lock::tryOnce()
{
    m_handle = 0;
    return State::Held;
}

QString dataFolder()
{
    return QStringLiteral("/ponderine/");
}

QStringList carryOverFolders()
{
    return {};
}

SaveTurn::SaveTurn()
{
    takeSaveTurn();
}

SaveTurn::~SaveTurn()
{
    endSaveTurn();
}

} // namespace recordfs
