#include "recordstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <array>
#include <charconv>
#include <cmath>
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

RecordError writeLine(const QString &path, const QString &text)
{
    // Written beside the old file and renamed over it, so a failure leaves the
    // old content; no fallback to writing in place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {path, file.errorString()};
    const QByteArray bytes = toWindows1252(text) + QByteArrayLiteral("\r\n");
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {path, reason};
    }
    if (!file.commit())
        return {path, file.errorString()};
    return {};
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
    return systemDirFromBuffer(QString::fromLocal8Bit(buffer.data(), qsizetype(buffer.size())),
                               int(count));
}
#endif

QString defaultDataDir()
{
#ifdef Q_OS_WIN
    return GetSystemDir();
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/ponderine/");
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

RecordStore::RecordStore(QString dataDir)
    : m_dataDir(std::move(dataDir))
{
}

QString RecordStore::scorePath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("tvk.txt"));
}

QString RecordStore::namePath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("ntvk.txt"));
}

RecordError RecordStore::ensureFilesExist() const
{
    // mkpath gives no reason when it fails; creating the files below then fails
    // too, and that error carries the system's wording.
    QDir().mkpath(m_dataDir);
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
    const double stored = storedScoreValue(storedScoreText);
    bool isNumber = false;
    const qlonglong player = playerScoreText.toLongLong(&isNumber, 10);
    // A score that is not a number cannot beat anything, and must not be written as one.
    if (!isNumber || stored >= double(player))
        return {OfferOutcome::NotBeaten, {}};

    if (RecordError error = writeLine(scorePath(), playerScoreText); error.isError())
        return {OfferOutcome::Failed, error};
    if (RecordError error = writeLine(namePath(), nameForFile(playerName)); error.isError())
        return {OfferOutcome::Failed, error};
    return {OfferOutcome::Saved, {}};
}
