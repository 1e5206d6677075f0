#include "platform/Volume.h"

#include <limits>

#include <sys/statvfs.h>

namespace {
qint64 bytes(unsigned long long blocks, unsigned long long unit)
{
    unsigned long long product = 0;
    if (__builtin_mul_overflow(blocks, unit, &product) || product > (unsigned long long)std::numeric_limits<qint64>::max())
        return std::numeric_limits<qint64>::max();
    return qint64(product);
}
} // namespace

namespace Volume {

Capacity capacity(const QString& path)
{
    if (path.isEmpty())
        return {};
    struct statvfs vfs {};
    if (::statvfs(path.toLocal8Bit().constData(), &vfs) != 0)
        return {};
    const unsigned long long unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    // f_bavail is what an unprivileged user may still write, the closest Linux figure to the
    // space available for important data.
    return Capacity{bytes(vfs.f_blocks, unit), bytes(vfs.f_bavail, unit)};
}

#ifndef __APPLE__
// On macOS: VolumeMac.mm reads the two figures from the volume's resource values.
std::optional<FreeSpace> freeSpace(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct statvfs vfs {};
    if (::statvfs(path.toLocal8Bit().constData(), &vfs) != 0)
        return std::nullopt;
    const qint64 available = bytes(vfs.f_bavail, vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize);
    return FreeSpace{available, available};
}
#endif

} // namespace Volume
