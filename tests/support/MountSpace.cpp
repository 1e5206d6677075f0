#include "MountSpace.h"

#include <QFile>

#ifdef __linux__
#include <sched.h>
#include <sys/mount.h>
#endif

namespace MountSpace {

bool enter()
{
#ifdef __linux__
    static const bool entered = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return false;
        // Mounts made here must not travel back to the machine's namespace.
        return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }();
    return entered;
#else
    return false;
#endif
}

bool mountTmpfs(const QString& path, bool readOnly)
{
#ifdef __linux__
    if (!enter())
        return false;
    const unsigned long flags = readOnly ? MS_RDONLY : 0;
    return ::mount("dustlet-test", QFile::encodeName(path).constData(), "tmpfs", flags, "size=16m,mode=0755") == 0;
#else
    Q_UNUSED(path);
    Q_UNUSED(readOnly);
    return false;
#endif
}

bool unmount(const QString& path)
{
#ifdef __linux__
    return ::umount2(QFile::encodeName(path).constData(), MNT_DETACH) == 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace MountSpace
