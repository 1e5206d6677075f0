#include "platform/FolderEntry.h"

#include "platform/NoFollow.h"

#include <QFile>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool plainName(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

} // namespace

namespace FolderEntry {

std::optional<QByteArray> encodedName(const QString& name)
{
    if (name.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    const QByteArray raw = QFile::encodeName(name);
    if (!plainName(raw) || QFile::decodeName(raw) != name)
        return std::nullopt;
    return raw;
}

bool renameNoReplace(int fromFd, const char* from, int toFd, const char* to)
{
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#elif defined(__APPLE__)
    if (::renameatx_np(fromFd, from, toFd, to, RENAME_EXCL) == 0)
        return true;
    if (errno != ENOTSUP)
        return false;
#endif
    // The file system cannot refuse a replacement itself: test, then move.
    struct stat st {};
    if (::fstatat(toFd, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    if (errno != ENOENT)
        return false;
    return ::renameat(fromFd, from, toFd, to) == 0;
}

bool moveNoReplace(const QString& fromFolder, const QByteArray& name, const QString& toFolder)
{
    if (!plainName(name))
        return false;
    const NoFollow::Fd from = NoFollow::openFolder(QFile::encodeName(fromFolder));
    const NoFollow::Fd to = NoFollow::openFolder(QFile::encodeName(toFolder));
    if (!from || !to)
        return false;
    return renameNoReplace(from.get(), name.constData(), to.get(), name.constData());
}

} // namespace FolderEntry
