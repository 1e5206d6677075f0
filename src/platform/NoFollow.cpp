#include "platform/NoFollow.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace NoFollow {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Where the piece-by-piece open starts: the home folder's own path when `path` lies in it (opened
// as the system resolves it), else "/". `rest` gets what is left to open.
Fd start(const QByteArray& path, QByteArray* rest)
{
    for (const QString& home : {Paths::home(), QDir::homePath()}) {
        QByteArray h = QFile::encodeName(home);
        while (h.size() > 1 && h.endsWith('/'))
            h.chop(1);
        if (h.size() <= 1 || !isPlainAbsolute(h) || !Paths::equalsOrBelow(path, h))
            continue;
        Fd fd(::open(h.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd) {
            *rest = path.mid(h.size());
            return fd;
        }
    }
    *rest = path;
    return Fd(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

Fd walkDown(const QByteArray& path, bool make, mode_t mode)
{
    if (!isPlainAbsolute(path)) {
        errno = EINVAL;
        return {};
    }
    QByteArray rest;
    Fd fd = start(path, &rest);
    if (!fd)
        return {};
    for (const QByteArray& piece : rest.split('/')) {
        if (piece.isEmpty())
            continue;
        int next = ::openat(fd.get(), piece.constData(), kFolderFlags);
        if (next < 0 && errno == ENOENT && make) {
            if (::mkdirat(fd.get(), piece.constData(), mode) != 0 && errno != EEXIST)
                return {};
            next = ::openat(fd.get(), piece.constData(), kFolderFlags);
        }
        if (next < 0)
            return {};
        fd.reset(next);
    }
    return fd;
}

} // namespace

void Fd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool isPlainAbsolute(const QByteArray& path)
{
    if (!path.startsWith('/') || path.contains('\0'))
        return false;
    for (const QByteArray& piece : path.split('/')) {
        if (piece == "." || piece == "..")
            return false;
    }
    return true;
}

Fd openFolder(const QByteArray& path) { return walkDown(path, false, 0); }

Fd makeFolders(const QByteArray& path, mode_t mode) { return walkDown(path, true, mode); }

Fd openParent(const QByteArray& path, QByteArray* name)
{
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf('/');
    if (slash < 0 || p == "/" || !isPlainAbsolute(p)) {
        errno = EINVAL;
        return {};
    }
    if (name)
        *name = p.mid(slash + 1);
    return openFolder(slash == 0 ? QByteArray("/") : p.left(slash));
}

} // namespace NoFollow
