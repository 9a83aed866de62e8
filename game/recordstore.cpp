#include "recordstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryFile>
#include <QStandardPaths>

#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <string>
#include <utility>

#ifdef Q_OS_WIN
#    ifndef NOMINMAX
#        define NOMINMAX
#    endif
#    include <windows.h>
#else
#    include <unistd.h>
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

std::filesystem::path nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// The new content of a record file, written and flushed to disk beside it
// under a name of its own ("tvk.txt.Ab12Cd"), then put in the file's place
// by one rename: the old content or the new, never a truncated file. What is
// not put in place is removed again.
class StagedLine
{
public:
    explicit StagedLine(const QString &path)
        // A link is followed, so the file it points to gets the new content.
        : m_path(QFileInfo(path).isSymLink() ? QFileInfo(path).symLinkTarget() : path),
          m_file(m_path + QStringLiteral(".XXXXXX"))
    { }

    RecordError write(const QString &text)
    {
        // Found now, not when the first file has been replaced already.
        if (QFileInfo(m_path).isDir())
            return {m_path, QString::fromStdString(std::make_error_code(std::errc::is_a_directory).message())};
        if (!m_file.open())
            return {m_path, m_file.errorString()};
        // The new file keeps the old one's permissions, or gets the usual ones.
        const QFileInfo old(m_path);
        m_file.setPermissions(old.exists()
                                  ? old.permissions()
                                  : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray bytes = toWindows1252(text) + QByteArrayLiteral("\r\n");
        if (m_file.write(bytes) != bytes.size() || !m_file.flush() || !syncToDisk())
            return {m_path, m_file.errorString()};
        // Asking the name gives the file one where Qt made it without: done
        // here, so that nothing but the rename is left for replace().
        m_staged = nativePath(m_file.fileName());
        m_target = nativePath(m_path);
        m_file.close();
        return {};
    }

    RecordError replace()
    {
        std::error_code error;
        std::filesystem::rename(m_staged, m_target, error);
        if (error)
            return {m_path, QString::fromStdString(error.message())};
        m_file.setAutoRemove(false);
        return {};
    }

private:
    bool syncToDisk()
    {
#ifdef Q_OS_WIN
        return true; // the rename is what a crash can cut there
#else
        return ::fsync(m_file.handle()) == 0;
#endif
    }

    QString m_path;
    QTemporaryFile m_file;
    std::filesystem::path m_staged;
    std::filesystem::path m_target;
};

// A temporary file that a save of one of the record files left behind when
// it was cut short: the file's name, a dot and six letters or digits; or
// what the lock leaves when a game is cut short as it clears a stale lock.
bool isLeftoverOfSave(const QString &entry)
{
    if (entry.startsWith(QLatin1String("tvk.txt.lock.rmlock")))
        return true;
    for (const QLatin1String record : {QLatin1String("tvk.txt."), QLatin1String("ntvk.txt.")}) {
        if (!entry.startsWith(record) || entry.size() != record.size() + 6)
            continue;
        bool alnum = true;
        for (const QChar c : QStringView(entry).mid(record.size()))
            alnum = alnum && c.unicode() < 0x80 && c.isLetterOrNumber();
        if (alnum)
            return true;
    }
    return false;
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
#ifdef Q_OS_WIN
    return GetSystemDir();
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ponderine/");
#endif
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

    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
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

RecordStore::RecordStore(QString dataDir) : m_dataDir(std::move(dataDir))
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

RecordError RecordStore::ensureFilesExist() const
{
    // mkpath gives no reason when it fails; creating the files below then fails
    // too, and that error carries the system's wording.
    QDir().mkpath(m_dataDir);

    // Only while no other game is saving: its temporary files are in use.
    // Taking the lock writes it to disk, so it is taken only when there is
    // something to remove, not at every start.
    const QDir dir(m_dataDir);
    QStringList leftovers = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    leftovers.removeIf([](const QString &entry) { return !isLeftoverOfSave(entry); });
    if (!leftovers.isEmpty()) {
        QLockFile lock(lockPath());
        lock.setStaleLockTime(staleLockMs);
        if (lock.tryLock(0)) {
            for (const QString &entry : std::as_const(leftovers))
                QFile::remove(dir.filePath(entry));
        }
    }

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

    // Both new contents on disk first, then the two replacements back to
    // back, score first: all a crash can still cut between them is one rename.
    StagedLine score(scorePath());
    StagedLine name(namePath());
    if (RecordError error = score.write(playerScoreText); error.isError())
        return {OfferOutcome::Failed, error};
    if (RecordError error = name.write(nameForFile(playerName)); error.isError())
        return {OfferOutcome::Failed, error};
    if (RecordError error = score.replace(); error.isError())
        return {OfferOutcome::Failed, error};
    if (RecordError error = name.replace(); error.isError())
        return {OfferOutcome::Failed, error};
    return {OfferOutcome::Saved, {}};
}
