#pragma once

#include <QString>

class QFile;

// The calls a desktop's disk offers the record's save (recordpair_disk.cpp),
// as POSIX (recorddisk_posix.cpp) and Windows (recorddisk_win.cpp) make them.
namespace recorddisk {

// Puts `from` in the place of `to` in one step: `to` holds its old content or
// the new, never neither. Fills *reason with the system's wording on failure.
bool replaceFile(const QString &from, const QString &to, QString *reason);

// Returns once what was written to `file` is on the disk.
bool syncFile(QFile &file);

// Returns once the folder's entries (files made, renamed, removed) are on
// the disk; Windows writes them through with each step already.
void syncFolder(const QString &folder);

// A lock on a file beside the record that the system holds for the game that
// took it and lets go of when that game ends, however it ends. Two locks on
// one file exclude each other, within one program too. The file is removed
// as the lock is let go of, or by the next game to take it.
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

} // namespace recorddisk
