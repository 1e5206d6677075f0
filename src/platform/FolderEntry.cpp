#include "platform/FolderEntry.h"

#include <QFile>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int openFolder(const QString& folder)
{
    return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

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

bool moveNoReplace(const QString& fromFolder, const QByteArray& name, const QString& toFolder)
{
    if (!plainName(name))
        return false;
    const Fd from(openFolder(fromFolder));
    const Fd to(openFolder(toFolder));
    if (from.get() < 0 || to.get() < 0)
        return false;
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(from.get(), name.constData(), to.get(), name.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#elif defined(__APPLE__)
    if (::renameatx_np(from.get(), name.constData(), to.get(), name.constData(), RENAME_EXCL) == 0)
        return true;
    if (errno != ENOTSUP)
        return false;
#endif
    // The file system cannot refuse a replacement itself: test, then move.
    struct stat st {};
    if (::fstatat(to.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return false;
    return ::renameat(from.get(), name.constData(), to.get(), name.constData()) == 0;
}

} // namespace FolderEntry
