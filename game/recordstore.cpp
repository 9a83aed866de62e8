#include "recordstore.h"

#include "recordfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <array>
#include <cmath>
#include <system_error>
#include <string>
#include <utility>

#ifdef Q_OS_WIN
#    ifndef NOMINMAX
#        define NOMINMAX
#    endif
#    include <windows.h>
#endif

namespace {

// What the record files hold is one short line; anything past this is not ours
// and must not be allowed to fill memory.
constexpr qint64 maxReadBytes = 4096;

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined
// map to the C1 code point of the same value, as the usual converters do.
constexpr std::array<char16_t, 32> highTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A save waits this long for another game's save to finish; one takes milliseconds.
constexpr int lockWaitMs = 3000;
// A lock older than this is taken to be left by a game that hung; one whose
// game has ended is taken over at once.
constexpr int staleLockMs = 10000;

// The game's own working files beside the record, named so that no copy a
// person keeps ("tvk.txt.bak", "tvk.txt.old123") can be taken for one.
const QLatin1String stagedSuffix(".ponderine-new");
const QLatin1String commitMarkerName("tvk.txt.ponderine-commit");
// What Qt's lock leaves when a game is cut short as it clears a stale lock.
const QLatin1String lockLeftoverSuffix(".rmlock");

QString systemReason(std::errc code)
{
    return QString::fromStdString(std::make_error_code(code).message());
}

// The file a record path names: a link is followed, so that the file it
// points to gets the new content.
QString recordTarget(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

QString stagedPath(const QString &target)
{
    return target + stagedSuffix;
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

QByteArray readAtMost(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(maxReadBytes) : QByteArray();
}

} // namespace

QString systemDirFromBuffer(const QString &buffer, int count)
{
    qsizetype begin = 0;
    qsizetype end = buffer.size();
    while (begin < end && buffer.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && buffer.at(end - 1) == QLatin1Char(' '))
        --end;
    QString dir = buffer.mid(begin, qMin<qsizetype>(end - begin, qMax(count, 0)));
    if (!dir.endsWith(QLatin1Char('\\')))
        dir += QLatin1Char('\\');
    return dir;
}

#ifdef Q_OS_WIN
QString GetSystemDir()
{
    std::array<char, 128> buffer;
    buffer.fill(' ');
    const UINT count = GetWindowsDirectoryA(buffer.data(), UINT(buffer.size()));
    // A count as large as the buffer is the size it would have needed: nothing was written.
    if (count >= buffer.size())
        return systemDirFromBuffer(QString(), 0);
    return systemDirFromBuffer(QString::fromLocal8Bit(buffer.data(), qsizetype(buffer.size())), int(count));
}
#endif

QString defaultDataDir()
{
    return recordfs::dataFolder();
}

QString defaultCarryOverDir()
{
    return recordfs::carryOverFolder();
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

double storedScoreValue(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto at = [&](qsizetype k) { return k < n ? text.at(k) : QChar(); };

    while (at(i) == QLatin1Char(' ') || at(i) == QLatin1Char('\t'))
        ++i;

    // The prefix is collected as plain ASCII so that the conversion below sees
    // only what was accepted here (no "inf", hex or locale-dependent forms).
    std::string number;
    if (at(i) == QLatin1Char('-'))
        number += '-';
    if (at(i) == QLatin1Char('-') || at(i) == QLatin1Char('+'))
        ++i;

    bool anyDigit = false;
    for (; isAsciiDigit(at(i)); ++i, anyDigit = true)
        number += char(at(i).unicode());
    if (at(i) == QLatin1Char('.')) {
        number += '.';
        for (++i; isAsciiDigit(at(i)); ++i, anyDigit = true)
            number += char(at(i).unicode());
    }
    if (!anyDigit)
        return 0.0;

    if (at(i) == QLatin1Char('E') || at(i) == QLatin1Char('e')) {
        qsizetype k = i + 1;
        std::string exponent = "e";
        if (at(k) == QLatin1Char('-') || at(k) == QLatin1Char('+'))
            exponent += char(at(k++).unicode());
        if (isAsciiDigit(at(k))) {
            for (; isAsciiDigit(at(k)); ++k)
                exponent += char(at(k).unicode());
            number += exponent;
        }
    }

    // Qt's own conversion, in the C locale: the C++ library of the web build
    // (emscripten's libc++) has no std::from_chars for floating point.
    bool converted = false;
    const double value = QByteArray::fromStdString(number).toDouble(&converted);
    if (!converted || !std::isfinite(value))
        return 0.0;
    return value;
}

QByteArray toWindows1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    // By code point, so a character outside the basic plane becomes one "?", not two.
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes += char(c);
            continue;
        }
        char byte = '?';
        for (std::size_t k = 0; k < highTable.size(); ++k) {
            if (highTable[k] == c) {
                byte = char(0x80 + k);
                break;
            }
        }
        bytes += byte;
    }
    return bytes;
}

QString fromWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        if (byte >= 0x80 && byte <= 0x9F)
            text += QChar(highTable[byte - 0x80]);
        else
            text += QChar(byte);
    }
    return text;
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

RecordStore::RecordStore(QString dataDir, QString carryOverDir)
    : m_dataDir(std::move(dataDir)), m_carryOverDir(std::move(carryOverDir))
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
    return QDir(m_dataDir).filePath(commitMarkerName);
}

RecordError RecordStore::ensureFilesExist() const
{
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
    const QString marker = commitMarkerPath();
    const QString lock = lockPath();
    const std::array<QString, 2> targets = {recordTarget(scorePath()), recordTarget(namePath())};
    const bool cutShort = QFileInfo::exists(marker) || QFileInfo::exists(stagedPath(targets[0]))
        || QFileInfo::exists(stagedPath(targets[1])) || QFileInfo::exists(lock)
        || QFileInfo::exists(lock + lockLeftoverSuffix);
    // Taking the lock writes it to disk, so it is taken only when a save was
    // cut short, not at every start.
    if (!cutShort)
        return {};

    // A game ended between making its lock and writing it leaves it empty,
    // and Qt takes an empty lock for a live one until it is old.
    if (QFileInfo(lock).size() == 0)
        recordfs::removeUnheldLock(lock);
    // Only while no other game is saving: its working files are in use. A
    // lock whose game no longer runs is taken over, and removed on unlock.
    QLockFile guard(lock);
    guard.setStaleLockTime(staleLockMs);
    if (!guard.tryLock(0))
        return {};

    // The marker is made only once both new contents are complete: with it,
    // what is still staged goes in place; without it, the old pair stands.
    if (QFileInfo::exists(marker)) {
        for (const QString &target : targets) {
            QString reason;
            if (QFileInfo::exists(stagedPath(target)) && !recordfs::replaceFile(stagedPath(target), target, &reason))
                return {target, reason};
        }
    }
    for (const QString &target : targets)
        QFile::remove(stagedPath(target));
    QFile::remove(marker);
    QFile::remove(lock + lockLeftoverSuffix);
    return {};
}

RecordError RecordStore::carryOver() const
{
    if (m_carryOverDir.isEmpty() || QFileInfo(scorePath()).size() > 0)
        return {};
    const RecordStore from(m_carryOverDir);
    if (!QFileInfo::exists(from.namePath()))
        return {};
    const QByteArray score = readAtMost(from.scorePath());
    if (score.isEmpty())
        return {};
    QLockFile guard(lockPath());
    guard.setStaleLockTime(staleLockMs);
    // Another game starting at the same moment is carrying it over already.
    if (!guard.tryLock(lockWaitMs))
        return {};
    if (QFileInfo(scorePath()).size() > 0)
        return {};
    return savePair(score, readAtMost(from.namePath()));
}

LoadResult RecordStore::load() const
{
    LoadResult result;
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

    const recordfs::SaveTurn turn;
    // A lock that cannot even be made (no such folder, no right to write
    // there) is no other game's: the writes below fail then, for the
    // system's own reason.
    QLockFile lock(lockPath());
    lock.setStaleLockTime(staleLockMs);
    if (!lock.tryLock(lockWaitMs) && lock.error() == QLockFile::LockFailedError)
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

// Both new contents on disk first, then the marker that says so, then the two
// replacements back to back, score first. A save cut short before the marker
// leaves the old pair; one cut short after it is finished at the next start.
RecordError RecordStore::savePair(const QByteArray &score, const QByteArray &name) const
{
    const std::array<QString, 2> targets = {recordTarget(scorePath()), recordTarget(namePath())};
    const std::array<QByteArray, 2> contents = {score, name};
    // Found now, not when the first file has been replaced already.
    for (const QString &target : targets) {
        if (QFileInfo(target).isDir())
            return {target, systemReason(std::errc::is_a_directory)};
    }
    const auto undo = [&targets] {
        for (const QString &target : targets)
            QFile::remove(stagedPath(target));
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
    if (RecordError error = writeFileToDisk(commitMarkerPath(), {}, QFile::ReadOwner | QFile::WriteOwner);
        error.isError()) {
        undo();
        QFile::remove(commitMarkerPath());
        return {targets[0], error.reason};
    }
    for (std::size_t k = 0; k < targets.size(); ++k) {
        QString reason;
        if (!recordfs::replaceFile(stagedPath(targets[k]), targets[k], &reason)) {
            // Nothing replaced yet: the old pair stands. Otherwise the marker
            // stays, so the next start puts the name in place too.
            if (k == 0) {
                undo();
                QFile::remove(commitMarkerPath());
            }
            return {targets[k], reason};
        }
    }
    QFile::remove(commitMarkerPath());
    return {};
}
