#pragma once

#include <QByteArray>
#include <QString>

// The best score and its holder, kept between runs in two one-line files of
// the data folder: tvk.txt (the score's digits, CR LF) and ntvk.txt (the
// holder's name, CR LF), single-byte Windows-1252 text.
//
// Nothing here ends the game: a folder or file that cannot be made, read or
// written comes back as an error naming the path and the system's reason.

struct RecordError
{
    QString path;   // empty when there is no error
    QString reason; // the system's reason, as it words it

    bool isError() const { return !path.isEmpty(); }
};

struct RecordTexts
{
    QString score; // the score file's whole content, line end included ("12\r\n")
    QString name;  // the name file's whole content, line end included
};

struct LoadResult
{
    RecordTexts texts; // empty texts when loading failed
    RecordError error;
};

enum class OfferOutcome {
    NotBeaten, // stored score >= player's score: nothing written
    Saved,     // both files rewritten
    Failed,    // a write failed, or another game held the files; see error. Never reported as saved.
    Unreadable // the score file is there but could not be read again: nothing written; see error
};

struct OfferResult
{
    OfferOutcome outcome = OfferOutcome::NotBeaten;
    RecordError error;
};

// The Windows directory's trimming rule: the first `count` characters of the
// buffer with blanks trimmed, "\" appended unless already there.
// C:\WINDOWS gives C:\WINDOWS\, C:\ stays C:\.
QString systemDirFromBuffer(const QString &buffer, int count);

#ifdef Q_OS_WIN
// The Windows directory, as the platform reports it, ending in "\".
QString GetSystemDir();
#endif

// Where the record files live: %APPDATA%\ponderine\ on Windows,
// $XDG_DATA_HOME/ponderine/ (~/.local/share/ponderine/) elsewhere. Ends in a separator.
QString defaultDataDir();

// Where a record may wait to be carried over into the data folder: the Windows
// directory on Windows, nowhere (empty) elsewhere.
QString defaultCarryOverDir();

// The file's content, at most the first 4 KiB of it, decoded from Windows-1252;
// an empty file gives the empty text. On failure returns the empty text and fills *error.
QString Leggifiletxt(const QString &nomefile, RecordError *error = nullptr);

// The leading number of a text, read the way a numeric prefix is parsed:
// leading blanks skipped, "." as the only decimal point, an optional exponent;
// 0 when there is no number or it is too large to hold ("1E999").
double storedScoreValue(const QString &text);

// Single-byte Windows-1252 text; a character it cannot hold becomes "?".
QByteArray toWindows1252(const QString &text);
QString fromWindows1252(const QByteArray &bytes);

// The name as it goes into the one-line name file: CR, LF and other control characters dropped.
QString nameForFile(const QString &name);

class RecordStore
{
public:
    // A record in `carryOverDir` (tvk.txt and ntvk.txt) is copied into
    // `dataDir` when that holds no record yet; `carryOverDir` is only read.
    explicit RecordStore(QString dataDir, QString carryOverDir = QString());

    QString dataDir() const { return m_dataDir; }
    QString scorePath() const; // dataDir + tvk.txt
    QString namePath() const;  // dataDir + ntvk.txt

    // Creates the data folder (with its parents) and each missing file, empty;
    // an existing file keeps its content. A save cut short is finished when
    // both new contents were complete ("tvk.txt.ponderine-commit" is there),
    // and undone otherwise, so the pair read back is one saved together; its
    // working files and a lock left by a game that no longer runs are removed.
    // Then a record waiting in the carry-over folder is copied in.
    RecordError ensureFilesExist() const;

    // Both files' contents as they are shown, line ends included (Leggifiletxt).
    LoadResult load() const;

    // At the end of a game: when the player's score beats (strictly) both the
    // stored score shown at the start and the one in the score file now, which
    // another game may have raised meanwhile, rewrites the score file, then
    // the name file. Both new contents are on disk ("tvk.txt.ponderine-new",
    // "ntvk.txt.ponderine-new") and marked complete before either replaces its
    // file, and each replacement is atomic (the old content or the new, never
    // a truncated file). The compare and the writes hold a lock beside the
    // files, so two games ending together keep the higher record.
    OfferResult offerRecord(const QString &storedScoreText, const QString &playerScoreText,
                            const QString &playerName) const;

    // The lock that offerRecord() holds.
    QString lockPath() const; // dataDir + tvk.txt.lock

    // Marks a save whose new contents are both complete, while it puts them in place.
    QString commitMarkerPath() const; // dataDir + tvk.txt.ponderine-commit

private:
    RecordError savePair(const QByteArray &score, const QByteArray &name) const;
    RecordError finishCutShortSave() const;
    RecordError carryOver() const;

    QString m_dataDir;
    QString m_carryOverDir;
};
