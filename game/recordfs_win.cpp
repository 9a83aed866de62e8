#include "recordfs.h"

#include "recordstore.h"

#include <QDir>
#include <QFile>

#ifndef NOMINMAX
#    define NOMINMAX
#endif
#include <windows.h>
#include <io.h>
#include <shlobj.h>

namespace recordfs {

namespace {

QString systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD size =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = size ? QString::fromWCharArray(text, int(size)).trimmed() : QStringLiteral("errore %1").arg(code);
    LocalFree(text);
    return message;
}

} // namespace

bool replaceFile(const QString &from, const QString &to, QString *reason)
{
    const std::wstring source = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring target = QDir::toNativeSeparators(to).toStdWString();
    // A file open elsewhere without delete sharing (another game reading the
    // record, a virus scanner looking at the new file) cannot be replaced
    // until it is closed: such a refusal is tried again for a while.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == 100) {
            *reason = systemMessage(error);
            return false;
        }
        Sleep(20);
    }
}

bool syncToDisk(QFile &file)
{
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())));
}

void removeUnheldLock(const QString &path)
{
    // A game holding its lock keeps the file open without delete sharing, so
    // only a lock that nobody holds can be removed.
    QFile::remove(path);
}

QString dataFolder()
{
    // The roaming folder follows the pupil from PC to PC in a school domain.
    wchar_t *roaming = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(roaming));
    CoTaskMemFree(roaming);
    return folder + QStringLiteral("/ponderine/");
}

QString carryOverFolder()
{
    // The record files were meant to live in the Windows directory, which a
    // pupil's account cannot write: a record found there is read once, never written.
    return GetSystemDir();
}

SaveTurn::SaveTurn() = default;
SaveTurn::~SaveTurn() = default;

} // namespace recordfs
