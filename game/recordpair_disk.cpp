#include "recorddisk.h"
#include "recordpair.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include <array>
#include <utility>
#include <system_error>

// A desktop replaces the pair with files beside it. Both new contents are
// written and synced as "tvk.txt.ponderine-new" and "ntvk.txt.ponderine-new",
// then marked complete ("tvk.txt.ponderine-commit"), then put in place score
// first, each file replaced in one step, then the mark goes. A save cut short
// before the mark leaves the old pair; one cut short after it is finished by
// the next start. The folder is synced before each step that relies on the
// one before being on the disk (docs/architecture.md). All of it, and the
// finishing, hold a lock beside the files, which the system lets go of when
// its game ends: two games never save at once, and a game gone never holds it.

namespace {

// A save waits this long for another game's save to finish; one takes milliseconds.
constexpr int lockWaitMs = 3000;

// The game's own files beside the record, named so that no copy a person
// keeps ("tvk.txt.bak", "tvk.txt.old123") can be taken for one.
QString staged(const QString &target)
{
    return target + QLatin1String(".ponderine-new");
}
QString marker(const QString &scorePath)
{
    return scorePath + QLatin1String(".ponderine-commit");
}
QString lockFile(const QString &scorePath)
{
    return scorePath + QLatin1String(".lock");
}

// The files a record's paths name: a link is followed, so that the file it
// points to gets the new content.
std::array<QString, 2> targets(const QString &scorePath, const QString &namePath)
{
    const auto target = [](const QString &path) {
        const QFileInfo info(path);
        return info.isSymLink() ? info.symLinkTarget() : path;
    };
    return {target(scorePath), target(namePath)};
}

// Where the working files and the files they replace are entered: one
// folder, unless a record file is a link to another.
void syncFolders(const std::array<QString, 2> &pair, const QString &scorePath)
{
    QStringList folders;
    for (const QString &path : {scorePath, pair[0], pair[1]})
        folders << QFileInfo(path).absolutePath();
    folders.removeDuplicates();
    for (const QString &folder : std::as_const(folders))
        recorddisk::syncFolder(folder);
}

RecordError systemError(const QString &path, const QString &reason)
{
    return {RecordError::Kind::System, path, reason};
}

// Writes one file whole and syncs it to the disk.
RecordError writeToDisk(const QString &path, const QByteArray &bytes, QFile::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return systemError(path, file.errorString());
    file.setPermissions(permissions);
    if (file.write(bytes) != bytes.size() || !file.flush() || !recorddisk::syncFile(file))
        return systemError(path, file.errorString());
    return {};
}

void removeWorkingFiles(const std::array<QString, 2> &pair, const QString &markerPath)
{
    for (const QString &target : pair)
        QFile::remove(staged(target));
    QFile::remove(markerPath);
}

// Puts what is staged in place, once marked; the caller holds the lock.
RecordError putInPlace(const std::array<QString, 2> &pair, const QString &scorePath)
{
    for (const QString &target : pair) {
        QString reason;
        if (QFileInfo::exists(staged(target)) && !recorddisk::replaceFile(staged(target), target, &reason))
            return systemError(target, reason);
    }
    // Both in place on the disk before the mark goes: otherwise a power cut
    // could keep the removal and lose a rename, and split the pair.
    syncFolders(pair, scorePath);
    return {};
}

} // namespace

RecordError recordpair::recover(const QString &scorePath, const QString &namePath)
{
    const auto pair = targets(scorePath, namePath);
    const bool marked = QFileInfo::exists(marker(scorePath));
    // Taking the lock makes its file, so it is taken only when a save was cut
    // short (its lock file, of a game gone, may be all that is left), not at every start.
    if (!marked && !QFileInfo::exists(staged(pair[0])) && !QFileInfo::exists(staged(pair[1]))
        && !QFileInfo::exists(lockFile(scorePath)))
        return {};
    // A game saving now keeps its working files. A game that is gone holds no lock.
    recorddisk::Lock lock(lockFile(scorePath));
    if (lock.tryLock(0) != recorddisk::Lock::State::Held)
        return {};
    if (marked) {
        if (RecordError error = putInPlace(pair, scorePath); error.isError())
            return error;
    }
    removeWorkingFiles(pair, marker(scorePath));
    return {};
}

namespace recorddisk {

Lock::State Lock::tryLock(int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        const State state = tryOnce();
        if (state != State::HeldElsewhere || deadline.hasExpired())
            return state;
        QThread::msleep(5);
    }
}

} // namespace recorddisk

OfferResult recordpair::replace(const QString &scorePath, const QString &namePath, const QByteArray &score,
                                const QByteArray &name, const StillLower &stillLower)
{
    // A lock that cannot even be made (no such folder, no right to write
    // there) is no other game's: the writes below fail then, for the
    // system's own reason.
    recorddisk::Lock lock(lockFile(scorePath));
    if (lock.tryLock(lockWaitMs) == recorddisk::Lock::State::HeldElsewhere)
        return {OfferOutcome::Failed, {RecordError::Kind::InUse, scorePath, {}}};
    if (RecordError error; !stillLower(&error))
        return {error.isError() ? OfferOutcome::Unreadable : OfferOutcome::NotBeaten, error};

    const auto pair = targets(scorePath, namePath);
    const std::array<QByteArray, 2> contents = {score, name};
    // Found now, not when the first file has been replaced already.
    for (const QString &target : pair) {
        if (QFileInfo(target).isDir())
            return {
                OfferOutcome::Failed,
                systemError(target, QString::fromStdString(std::make_error_code(std::errc::is_a_directory).message()))};
    }
    const auto failed = [&](const QString &path, const QString &reason) {
        removeWorkingFiles(pair, marker(scorePath));
        return OfferResult {OfferOutcome::Failed, systemError(path, reason)};
    };
    for (std::size_t k = 0; k < pair.size(); ++k) {
        // The new file keeps the old one's permissions, or gets the usual ones.
        const QFileInfo old(pair[k]);
        const QFile::Permissions permissions = old.exists()
            ? old.permissions()
            : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (RecordError error = writeToDisk(staged(pair[k]), contents[k], permissions); error.isError())
            return failed(pair[k], error.reason);
    }
    // Both staged files on the disk before the mark that says they are
    // complete, and the mark before the first rename.
    syncFolders(pair, scorePath);
    if (RecordError error = writeToDisk(marker(scorePath), {}, QFile::ReadOwner | QFile::WriteOwner); error.isError())
        return failed(pair[0], error.reason);
    syncFolders(pair, scorePath);
    if (RecordError error = putInPlace(pair, scorePath); error.isError()) {
        // Nothing replaced yet: the old pair stands. Otherwise the mark
        // stays, so the next start puts the name in place too.
        if (error.path == pair[0])
            return failed(error.path, error.reason);
        return {OfferOutcome::Failed, error};
    }
    QFile::remove(marker(scorePath));
    return {OfferOutcome::Saved, {}};
}
