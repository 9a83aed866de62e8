#include "recordstore.h"

#include "recordpair.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

// What the record files hold is one short line; anything past this is not ours
// and must not be allowed to fill memory.
constexpr qint64 maxReadBytes = 4096;

const QByteArray lineEnd = QByteArrayLiteral("\r\n");

} // namespace

QString Leggifiletxt(const QString &nomefile, RecordError *error)
{
    QFile file(nomefile);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(maxReadBytes);
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        if (error)
            *error = {RecordError::Kind::System, nomefile, file.errorString()};
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

// With no folder the paths would name the current one, which is nobody's record.
RecordError RecordStore::noFolder() const
{
    return {RecordError::Kind::NoFolder, scorePath(), {}};
}

RecordError RecordStore::ensureFilesExist() const
{
    if (m_dataDir.isEmpty())
        return noFolder();
    // mkpath gives no reason when it fails; creating the files below then fails
    // too, and that error carries the system's wording.
    QDir().mkpath(m_dataDir);
    if (RecordError error = recordpair::recover(scorePath(), namePath()); error.isError())
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
            return {RecordError::Kind::System, path, file.errorString()};
    }
    return {};
}

RecordError RecordStore::carryOver() const
{
    if (m_carryOverDirs.isEmpty() || QFile(scorePath()).size() > 0)
        return {};
    for (const QString &dir : m_carryOverDirs) {
        const RecordStore from(dir);
        if (dir.isEmpty() || !QFile::exists(from.namePath()))
            continue;
        const QString score = Leggifiletxt(from.scorePath());
        if (score.isEmpty())
            continue;
        // Another game starting at the same moment may be carrying it over already.
        const OfferResult carried = recordpair::replace(
            scorePath(), namePath(), toWindows1252(score), toWindows1252(Leggifiletxt(from.namePath())),
            [this](RecordError *) { return QFile(scorePath()).size() == 0; });
        return carried.error.kind == RecordError::Kind::InUse ? RecordError() : carried.error;
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

OfferResult RecordStore::offerRecord(const QString &storedScoreText, int playerScore, const QString &playerName) const
{
    if (storedScoreValue(storedScoreText) >= playerScore)
        return {OfferOutcome::NotBeaten, {}};
    if (m_dataDir.isEmpty())
        return {OfferOutcome::Failed, noFolder()};
    // What is stored now, not only what was shown: another game may have
    // saved a higher record since, or the file could not be read at the start.
    // A file that is there but cannot be read is never overwritten. A folder
    // in its place is no record; replacing it fails.
    const auto stillLower = [&](RecordError *error) {
        const QFileInfo stored(scorePath());
        if (!stored.exists() || stored.isDir())
            return true;
        const QString now = Leggifiletxt(scorePath(), error);
        return !error->isError() && storedScoreValue(now) < playerScore;
    };
    return recordpair::replace(scorePath(), namePath(), toWindows1252(QString::number(playerScore)) + lineEnd,
                               toWindows1252(nameForFile(playerName)) + lineEnd, stillLower);
}
