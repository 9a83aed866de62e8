#pragma once

#include "recorderror.h"
#include "storedscore.h"
#include "windows1252.h"

#include <QString>
#include <QStringList>

// The best score and its holder, kept between runs in two one-line files of
// the data folder: tvk.txt (the score's digits, CR LF) and ntvk.txt (the
// holder's name, CR LF), single-byte Windows-1252 text. How a platform keeps
// the pair is recordpair's; the rules are here.
//
// Nothing here ends the game: a folder or file that cannot be made, read or
// written comes back as an error naming the path, for the window to word.

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
    // an existing file keeps its content, and a save cut short is finished or
    // undone (recordpair::recover). Then a record waiting in a carry-over
    // folder is copied in.
    RecordError ensureFilesExist() const;

    // Both files' contents as they are shown, line ends included (Leggifiletxt).
    LoadResult load() const;

    // At the end of a game: when the player's score beats (strictly) both the
    // stored score shown at the start and the one stored now, which another
    // game may have raised meanwhile, replaces the pair. A tie keeps the
    // holder; 0 never makes a record.
    OfferResult offerRecord(const QString &storedScoreText, int playerScore, const QString &playerName) const;

private:
    RecordError noFolder() const;
    RecordError carryOver() const;

    QString m_dataDir;
    QStringList m_carryOverDirs;
};
