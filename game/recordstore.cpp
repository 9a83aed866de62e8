#include "recordstore.h"

#include "pairsave.h"
#include "recordfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

// What the record files hold is one short line; anything past this is not ours
// and must not be allowed to fill memory.
constexpr qint64 maxReadBytes = 4096;

// A save waits this long for another game's save to finish; one takes milliseconds.
constexpr int lockWaitMs = 3000;

QByteArray readAtMost(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(maxReadBytes) : QByteArray();
}

} // namespace

QString defaultDataDir()
{
    return recordfs::dataFolder();
}

QStringList defaultCarryOverDirs()
{
    return recordfs::carryOverFolders();
}

QString Leggifiletxt(const QString &nomefile, RecordError *error)
{
    QFile file(nomefile);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(maxReadBytes);
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        if (error)
            *error = {nomefile, file.errorString()};
        return {};
    }
    return fromWindows1252(bytes);
}

QString nameForFile(const QString &name)
{
    QString kept;
    kept.reserve(name.size());
    for (const QChar c : name) {
        if (c.category() != QChar::Other_Control)
            kept += c;
    }
    return kept;
}

RecordStore::RecordStore(QString dataDir, QStringList carryOverDirs)
    : m_dataDir(std::move(dataDir)), m_carryOverDirs(std::move(carryOverDirs))
{ }

QString RecordStore::scorePath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("tvk.txt"));
}

QString RecordStore::namePath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("ntvk.txt"));
}

QString RecordStore::lockPath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("tvk.txt.lock"));
}

QString RecordStore::commitMarkerPath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("tvk.txt.ponderine-commit"));
}

// With no folder the paths would name the current one, which is nobody's record.
RecordError RecordStore::noFolder() const
{
    return {scorePath(), QStringLiteral("la cartella dei dati non è stata trovata")};
}

RecordError RecordStore::ensureFilesExist() const
{
    if (m_dataDir.isEmpty())
        return noFolder();
    // mkpath gives no reason when it fails; creating the files below then fails
    // too, and that error carries the system's wording.
    QDir().mkpath(m_dataDir);

    if (RecordError error = finishCutShortSave(); error.isError())
        return error;
    if (RecordError error = carryOver(); error.isError())
        return error;

    for (const QString &path : {scorePath(), namePath()}) {
        // An existing file is not opened at all: in a system folder it may be
        // read-only, and reading it is all a game needs until a record is beaten.
        const QFileInfo info(path);
        if (info.exists() && !info.isDir())
            continue;
        QFile file(path);
        if (!file.open(QIODevice::Append))
            return {path, file.errorString()};
    }
    return {};
}

RecordError RecordStore::finishCutShortSave() const
{
    const PairSave pair(scorePath(), namePath(), commitMarkerPath());
    const QString lockFile = lockPath();
    // What earlier releases' lock could leave when cut short as it cleared a stale lock.
    const QString oldLockLeftover = lockFile + QLatin1String(".rmlock");
    // Taking the lock makes its file, so it is taken only when a save was cut
    // short (its lock file, of a game gone, may be all that is left), not at every start.
    if (!pair.cutShort() && !QFileInfo::exists(lockFile) && !QFileInfo::exists(oldLockLeftover))
        return {};
    // A game saving now keeps its working files. A game that is gone holds no lock.
    recordfs::Lock lock(lockFile);
    if (lock.tryLock(0) != recordfs::Lock::State::Held)
        return {};
    QFile::remove(oldLockLeftover);
    return pair.finish();
}

RecordError RecordStore::carryOver() const
{
    if (m_carryOverDirs.isEmpty() || QFileInfo(scorePath()).size() > 0)
        return {};
    for (const QString &dir : m_carryOverDirs) {
        const RecordStore from(dir);
        if (dir.isEmpty() || !QFileInfo::exists(from.namePath()))
            continue;
        const QByteArray score = readAtMost(from.scorePath());
        if (score.isEmpty())
            continue;
        recordfs::Lock lock(lockPath());
        // Another game starting at the same moment is carrying it over already.
        if (lock.tryLock(lockWaitMs) != recordfs::Lock::State::Held || QFileInfo(scorePath()).size() > 0)
            return {};
        return savePair(score, readAtMost(from.namePath()));
    }
    return {};
}

LoadResult RecordStore::load() const
{
    LoadResult result;
    if (m_dataDir.isEmpty()) {
        result.error = noFolder();
        return result;
    }
    const QString score = Leggifiletxt(scorePath(), &result.error);
    if (result.error.isError())
        return result;
    const QString name = Leggifiletxt(namePath(), &result.error);
    if (result.error.isError())
        return result;
    result.texts = {score, name};
    return result;
}

OfferResult RecordStore::offerRecord(const QString &storedScoreText, const QString &playerScoreText,
                                     const QString &playerName) const
{
    bool isNumber = false;
    const qlonglong player = playerScoreText.toLongLong(&isNumber, 10);
    // A score that is not a number cannot beat anything, and must not be written as one.
    if (!isNumber || storedScoreValue(storedScoreText) >= double(player))
        return {OfferOutcome::NotBeaten, {}};
    if (m_dataDir.isEmpty())
        return {OfferOutcome::Failed, noFolder()};

    const recordfs::SaveTurn turn;
    // A lock that cannot even be made (no such folder, no right to write
    // there) is no other game's: the writes below fail then, for the
    // system's own reason.
    recordfs::Lock lock(lockPath());
    if (lock.tryLock(lockWaitMs) == recordfs::Lock::State::HeldElsewhere)
        return {OfferOutcome::Failed, {scorePath(), QStringLiteral("il record è in uso da un'altra partita")}};

    // What is stored now, not only what was shown: another game may have
    // saved a higher record since, or the file could not be read at the start.
    // A file that is there but cannot be read is never overwritten. A folder
    // in its place is no record; replacing it fails below.
    const QFileInfo stored(scorePath());
    if (stored.exists() && !stored.isDir()) {
        RecordError error;
        const QString storedNow = Leggifiletxt(scorePath(), &error);
        if (error.isError())
            return {OfferOutcome::Unreadable, error};
        if (storedScoreValue(storedNow) >= double(player))
            return {OfferOutcome::NotBeaten, {}};
    }

    const QByteArray lineEnd = QByteArrayLiteral("\r\n");
    if (RecordError error =
            savePair(toWindows1252(playerScoreText) + lineEnd, toWindows1252(nameForFile(playerName)) + lineEnd);
        error.isError())
        return {OfferOutcome::Failed, error};
    return {OfferOutcome::Saved, {}};
}

RecordError RecordStore::savePair(const QByteArray &score, const QByteArray &name) const
{
    return PairSave(scorePath(), namePath(), commitMarkerPath()).save(score, name);
}
