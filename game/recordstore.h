#pragma once

#include "recorderror.h"
#include "storedscore.h"
#include "windows1252.h"

#include <QString>
#include <QStringList>

// The best score and its holder, kept between runs in two one-line files of
// the data folder: tvk.txt (the score's digits, CR LF) and ntvk.txt (the
// holder's name, CR LF), single-byte Windows-1252 text.
//
// Nothing here ends the game: a folder or file that cannot be made, read or
// written comes back as an error naming the path and the system's reason.

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

// Where the record files live: %APPDATA%\ponderine\ on Windows,
// $XDG_DATA_HOME/ponderine/ (~/.local/share/ponderine/) elsewhere. Ends in a
// separator; empty when the system cannot say, which the store reports as an error.
QString defaultDataDir();

// Where a record may wait to be carried over into the data folder, first
// first: the pupil's VirtualStore copy of the Windows directory, then the
// Windows directory itself, on Windows; none elsewhere.
QStringList defaultCarryOverDirs();

// The file's content, at most the first 4 KiB of it, decoded from Windows-1252;
// an empty file gives the empty text. On failure returns the empty text and fills *error.
QString Leggifiletxt(const QString &nomefile, RecordError *error = nullptr);

// The name as it goes into the one-line name file: CR, LF and other control characters dropped.
QString nameForFile(const QString &name);

class RecordStore
{
public:
    // The first folder of `carryOverDirs` that holds a record (tvk.txt and
    // ntvk.txt) gives it to `dataDir` when that holds no record yet; those
    // folders are only read.
    explicit RecordStore(QString dataDir, QStringList carryOverDirs = {});

    QString dataDir() const { return m_dataDir; }
    QString scorePath() const; // dataDir + tvk.txt
    QString namePath() const;  // dataDir + ntvk.txt

    // Creates the data folder (with its parents) and each missing file, empty;
    // an existing file keeps its content. A save cut short is finished when
    // both new contents were complete ("tvk.txt.ponderine-commit" is there),
    // and undone otherwise, so the pair read back is one saved together; its
    // working files and a lock left by a game that no longer runs are removed.
    // Then a record waiting in a carry-over folder is copied in.
    RecordError ensureFilesExist() const;

    // Both files' contents as they are shown, line ends included (Leggifiletxt).
    LoadResult load() const;

    // At the end of a game: when the player's score beats (strictly) both the
    // stored score shown at the start and the one in the score file now, which
    // another game may have raised meanwhile, rewrites the score file, then
    // the name file, as one (PairSave). The compare and the writes hold a lock
    // beside the files, so two games ending together keep the higher record.
    OfferResult offerRecord(const QString &storedScoreText, const QString &playerScoreText,
                            const QString &playerName) const;

    // The lock that offerRecord() holds (recordfs::Lock).
    QString lockPath() const; // dataDir + tvk.txt.lock

    // Marks a save whose new contents are both complete, while it puts them in place.
    QString commitMarkerPath() const; // dataDir + tvk.txt.ponderine-commit

private:
    RecordError noFolder() const;
    RecordError finishCutShortSave() const;
    RecordError carryOver() const;
    RecordError savePair(const QByteArray &score, const QByteArray &name) const;

    QString m_dataDir;
    QStringList m_carryOverDirs;
};
