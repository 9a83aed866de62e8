#pragma once

#include <QString>

class QFile;

// The few file operations whose meaning differs between POSIX and Windows,
// kept here so that the record store reads the same on both.
namespace recordfs {

// Puts `from` in the place of `to` in one step: `to` holds its old content or
// the new, never neither. Fills *reason with the system's wording on failure.
bool replaceFile(const QString &from, const QString &to, QString *reason);

// Asks the system to put what was written to `file` on the disk before returning.
bool syncToDisk(QFile &file);

// Removes a lock file that no running program holds, such as one left empty
// by a game ended between making it and writing it; a held one is kept.
void removeUnheldLock(const QString &path);

// The folder the record lives in on this platform, ending in a separator.
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

// A folder an older release kept the record in, read once when the data
// folder holds no record yet; empty where there is none.
QString carryOverFolder();

} // namespace recordfs
