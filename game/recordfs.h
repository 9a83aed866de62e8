#pragma once

#include <QString>
#include <QStringList>

class QFile;

// What the record's files and folders mean on each platform
// (recordfs_posix.cpp, recordfs_win.cpp), so that the record store reads the
// same everywhere.
namespace recordfs {

// Puts `from` in the place of `to` in one step: `to` holds its old content or
// the new, never neither. Fills *reason with the system's wording on failure.
bool replaceFile(const QString &from, const QString &to, QString *reason);

// Asks the system to put what was written to `file` on the disk before returning.
bool syncToDisk(QFile &file);

// A lock on a file beside the record that the system holds for the game that
// took it and lets go of when that game ends, however it ends: a game that is
// gone never holds it. Two locks on one file exclude each other, within one
// program too. The file is removed as the lock is let go of, or by the next
// game to take it.
class Lock
{
public:
    enum class State {
        Held,          // by this one
        HeldElsewhere, // by another game
        Unavailable    // the file cannot be made (no folder, no right to write there)
    };

    explicit Lock(QString path);
    ~Lock();
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

    // Waits up to `waitMs` while another game holds it.
    State tryLock(int waitMs);

private:
    State tryOnce();

    QString m_path;
    qintptr m_handle = -1;
};

// The folder the record lives in on this platform, ending in a separator;
// empty when the system cannot say where that is.
QString dataFolder();

// Held by a save from its compare to its last write. Where each running
// game works on a copy of the record's files of its own (a browser tab), it
// waits for the other games' saves, then brings in what they saved; where
// the files themselves are shared (the desktop), the lock file beside them
// serves, and it does nothing.
class SaveTurn
{
public:
    SaveTurn();
    ~SaveTurn();
    SaveTurn(const SaveTurn &) = delete;
    SaveTurn &operator=(const SaveTurn &) = delete;
};

// Where an older release may have left a record, in the order they are
// looked in: read once when the data folder holds no record yet, never written.
QStringList carryOverFolders();

} // namespace recordfs
