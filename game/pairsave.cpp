#include "pairsave.h"

#include "recordfs.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <system_error>
#include <utility>

namespace {

// The game's own working files beside the record, named so that no copy a
// person keeps ("tvk.txt.bak", "tvk.txt.old123") can be taken for one.
QString stagedPath(const QString &target)
{
    return target + QLatin1String(".ponderine-new");
}

// The file a record path names: a link is followed, so that the file it
// points to gets the new content.
QString recordTarget(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

// Writes one file whole and flushes it to disk.
RecordError writeFileToDisk(const QString &path, const QByteArray &bytes, QFile::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {path, file.errorString()};
    file.setPermissions(permissions);
    if (file.write(bytes) != bytes.size() || !file.flush() || !recordfs::syncToDisk(file))
        return {path, file.errorString()};
    return {};
}

} // namespace

PairSave::PairSave(QString scorePath, QString namePath, QString markerPath)
    : m_scorePath(std::move(scorePath)), m_namePath(std::move(namePath)), m_markerPath(std::move(markerPath))
{ }

RecordError PairSave::save(const QByteArray &score, const QByteArray &name) const
{
    const std::array<QString, 2> targets = {recordTarget(m_scorePath), recordTarget(m_namePath)};
    const std::array<QByteArray, 2> contents = {score, name};
    // Found now, not when the first file has been replaced already.
    for (const QString &target : targets) {
        if (QFileInfo(target).isDir())
            return {target, QString::fromStdString(std::make_error_code(std::errc::is_a_directory).message())};
    }
    const auto undo = [&] {
        for (const QString &target : targets)
            QFile::remove(stagedPath(target));
        QFile::remove(m_markerPath);
    };
    for (std::size_t k = 0; k < targets.size(); ++k) {
        // The new file keeps the old one's permissions, or gets the usual ones.
        const QFileInfo old(targets[k]);
        const QFile::Permissions permissions = old.exists()
            ? old.permissions()
            : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (RecordError error = writeFileToDisk(stagedPath(targets[k]), contents[k], permissions); error.isError()) {
            undo();
            return {targets[k], error.reason};
        }
    }
    if (RecordError error = writeFileToDisk(m_markerPath, {}, QFile::ReadOwner | QFile::WriteOwner); error.isError()) {
        undo();
        return {targets[0], error.reason};
    }
    for (std::size_t k = 0; k < targets.size(); ++k) {
        QString reason;
        if (!recordfs::replaceFile(stagedPath(targets[k]), targets[k], &reason)) {
            // Nothing replaced yet: the old pair stands. Otherwise the mark
            // stays, so the next start puts the name in place too.
            if (k == 0)
                undo();
            return {targets[k], reason};
        }
    }
    QFile::remove(m_markerPath);
    return {};
}

bool PairSave::cutShort() const
{
    return QFileInfo::exists(m_markerPath) || QFileInfo::exists(stagedPath(recordTarget(m_scorePath)))
        || QFileInfo::exists(stagedPath(recordTarget(m_namePath)));
}

RecordError PairSave::finish() const
{
    const std::array<QString, 2> targets = {recordTarget(m_scorePath), recordTarget(m_namePath)};
    if (QFileInfo::exists(m_markerPath)) {
        for (const QString &target : targets) {
            QString reason;
            if (QFileInfo::exists(stagedPath(target)) && !recordfs::replaceFile(stagedPath(target), target, &reason))
                return {target, reason};
        }
    }
    for (const QString &target : targets)
        QFile::remove(stagedPath(target));
    QFile::remove(m_markerPath);
    return {};
}
