#include "recordfs.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace recordfs {

bool replaceFile(const QString &from, const QString &to, QString *reason)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool syncToDisk(QFile &file)
{
    return ::fsync(file.handle()) == 0;
}

void removeUnheldLock(const QString &path)
{
    // A game holding its lock keeps an flock on it, as Qt's lock file does.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::unlink(name.constData());
    ::close(fd);
}

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ponderine/");
}

QString carryOverFolder()
{
    return {};
}

SaveTurn::SaveTurn() = default;
SaveTurn::~SaveTurn() = default;

} // namespace recordfs
