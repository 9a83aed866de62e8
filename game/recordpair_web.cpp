#include "recordpair.h"

#include <QFile>
#include <QScopeGuard>

#include <emscripten.h>

#include <cerrno>
#include <cstring>
#include <utility>

// In a browser the files live in memory, one copy per tab, and the site's
// IndexedDB keeps them (emscripten's IDBFS), read in before the program
// starts (recordpair_web.js). A save is the tabs' turn through a Web Lock:
// it reads in what IndexedDB holds now, compares, writes both files in
// memory and writes them out in one IndexedDB transaction, which the
// browser stores whole or not at all: there is nothing to stage, and
// nothing but the two files is ever written out.

namespace {

// clang-format off
// A browser without Web Locks (or a page not served over HTTPS) goes without.
EM_ASYNC_JS(void, takeTurn, (), {
    if (navigator.locks)
        await new Promise(granted => navigator.locks.request('ponderine-record', () => new Promise(release => {
            Module.ponderineEndTurn = release;
            granted();
        })));
});

EM_JS(void, endTurn, (), {
    const release = Module.ponderineEndTurn;
    Module.ponderineEndTurn = undefined;
    if (release)
        release();
});

// What the site's IndexedDB holds now, read into memory.
EM_ASYNC_JS(void, readIn, (), {
    try {
        await new Promise(done => FS.syncfs(true, done));
    } catch (error) {
    }
});

// Both files, and nothing else, in one transaction: any failure in it
// aborts it whole, and IndexedDB keeps the pair it held.
EM_ASYNC_JS(int, writeOut, (const char *scorePath, const char *namePath), {
    const paths = [UTF8ToString(scorePath), UTF8ToString(namePath)];
    try {
        const entries = await Promise.all(paths.map(path => new Promise((done, fail) => IDBFS.loadLocalEntry(
            path, (error, entry) => error ? fail(error) : done(entry)))));
        const db = await new Promise((done, fail) => IDBFS.getDB(paths[0].substring(0, paths[0].lastIndexOf("/")),
            (error, opened) => error ? fail(error) : done(opened)));
        return await new Promise(done => {
            const transaction = db.transaction([IDBFS.DB_STORE_NAME], "readwrite");
            transaction.oncomplete = () => done(1);
            transaction.onabort = () => done(0);
            try {
                const files = transaction.objectStore(IDBFS.DB_STORE_NAME);
                files.clear();
                paths.forEach((path, k) => files.put(entries[k], path));
            } catch (error) {
                transaction.abort();
            }
        });
    } catch (error) {
        return 0;
    }
});
// clang-format on

} // namespace

QString recordpair::dataFolder()
{
    return QStringLiteral("/ponderine/");
}

QStringList recordpair::carryOverFolders()
{
    return {};
}

// Nothing is staged: there is nothing to finish.
RecordError recordpair::recover(const QString &, const QString &)
{
    return {};
}

OfferResult recordpair::replace(const QString &scorePath, const QString &namePath, const QByteArray &score,
                                const QByteArray &name, const StillLower &stillLower)
{
    takeTurn();
    const auto turnEnds = qScopeGuard([] { endTurn(); });
    // What another tab saved, or nothing new when storage is refused.
    readIn();
    if (RecordError error; !stillLower(&error))
        return {error.isError() ? OfferOutcome::Unreadable : OfferOutcome::NotBeaten, error};
    RecordError error;
    for (const auto &[path, bytes] : {std::pair(scorePath, score), std::pair(namePath, name)}) {
        QFile file(path);
        if (!error.isError() && (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()))
            error = {RecordError::Kind::System, path, file.errorString()};
    }
    if (!error.isError()
        && !writeOut(QFile::encodeName(scorePath).constData(), QFile::encodeName(namePath).constData()))
        error = {RecordError::Kind::System, scorePath, QString::fromLocal8Bit(std::strerror(EIO))};
    if (!error.isError())
        return {OfferOutcome::Saved, {}};
    // This tab shows what the browser kept, not what it refused.
    readIn();
    return {OfferOutcome::Failed, error};
}
