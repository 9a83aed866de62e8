#include "recorddisk.h"
#include "recordpair.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace recorddisk {

bool replaceFile(const QString &from, const QString &to, QString *reason)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool syncFile(QFile &file)
{
    return ::fsync(file.handle()) == 0;
}

void syncFolder(const QString &folder)
{
    // A folder that cannot be opened cannot be saved in either: the writes say why.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

Lock::Lock(QString path) : m_path(std::move(path))
{ }

Lock::~Lock()
{
    if (m_handle < 0)
        return;
    // Removed while still held, so a game that opened it meanwhile finds its
    // file gone from the folder once it gets the lock, and tries again.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(int(m_handle));
}

Lock::State Lock::tryOnce()
{
    const QByteArray name = QFile::encodeName(m_path);
    for (;;) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return State::Unavailable;
        // An flock belongs to the open file, and goes when the last descriptor
        // of it closes: at the latest when its program ends.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
        }
        struct stat held = {};
        struct stat named = {};
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_dev == named.st_dev
            && held.st_ino == named.st_ino) {
            m_handle = fd;
            return State::Held;
        }
        ::close(fd);
    }
}

} // namespace recorddisk

QString recordpair::dataFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/ponderine/");
}

QStringList recordpair::carryOverFolders()
{
    return {};
}
