#include "recorddisk.h"
#include "recordpair.h"

#include <QDir>
#include <QFile>

#include <string>
#include <utility>

#ifndef NOMINMAX
#    define NOMINMAX
#endif
#include <windows.h>
#include <io.h>
#include <shlobj.h>

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

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// A known folder of the pupil's, with "/" separators; empty when Windows cannot say.
QString knownFolder(REFKNOWNFOLDERID id)
{
    wchar_t *path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
}

// The Windows directory, ending in a backslash (C:\WINDOWS gives C:\WINDOWS\,
// C:\ stays as it is); empty when Windows cannot say.
QString GetSystemDir()
{
    const UINT size = GetWindowsDirectoryW(nullptr, 0);
    std::wstring buffer(size, L'\0');
    const UINT count = size ? GetWindowsDirectoryW(buffer.data(), size) : 0;
    if (count == 0 || count >= size)
        return {};
    QString dir = QString::fromWCharArray(buffer.data(), int(count));
    if (!dir.endsWith(QLatin1Char('\\')))
        dir += QLatin1Char('\\');
    return dir;
}

} // namespace

namespace recorddisk {

bool replaceFile(const QString &from, const QString &to, QString *reason)
{
    const std::wstring source = nativePath(from);
    const std::wstring target = nativePath(to);
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

bool syncFile(QFile &file)
{
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())));
}

// MoveFileEx's MOVEFILE_WRITE_THROUGH returns once the move is on the disk,
// and NTFS journals the files made and removed.
void syncFolder(const QString &)
{ }

Lock::Lock(QString path) : m_path(std::move(path))
{ }

Lock::~Lock()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

Lock::State Lock::tryOnce()
{
    // Opened without sharing, so nobody else opens it while it is held, and
    // deleted as it is closed, which Windows does for a program however it ends.
    const HANDLE file = CreateFileW(nativePath(m_path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        m_handle = reinterpret_cast<qintptr>(file);
        return State::Held;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? State::HeldElsewhere : State::Unavailable;
}

} // namespace recorddisk

QString recordpair::dataFolder()
{
    // The roaming folder follows the pupil from PC to PC in a school domain.
    const QString roaming = knownFolder(FOLDERID_RoamingAppData);
    return roaming.isEmpty() ? QString() : roaming + QStringLiteral("/ponderine/");
}

QStringList recordpair::carryOverFolders()
{
    // The record files were meant to live in the Windows directory, which a
    // pupil's account cannot write: Windows put what such a program wrote
    // there in the pupil's VirtualStore instead, so that copy is looked at
    // first. Either is read once, never written.
    QStringList folders;
    if (const QString local = knownFolder(FOLDERID_LocalAppData); !local.isEmpty())
        folders << QDir::toNativeSeparators(local) + QStringLiteral("\\VirtualStore\\Windows\\");
    if (const QString windows = GetSystemDir(); !windows.isEmpty())
        folders << windows;
    return folders;
}
