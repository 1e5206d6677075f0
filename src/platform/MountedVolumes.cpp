#include "platform/MountedVolumes.h"

#include "platform/Paths.h"

#include <QMutex>
#include <QStorageInfo>

namespace {

// File systems that are not disks even when a device node backs them: read-only application
// images (snap packages) and layered container roots.
constexpr const char* kNotDisks[] = {"squashfs", "overlay", "tmpfs", "devtmpfs", "ramfs", "proc", "sysfs"};

// System partitions and mount trees a user does not browse, each with everything below it.
#ifdef Q_OS_MACOS
constexpr const char* kSystemMounts[] = {"/System/Volumes", "/private/var/vm", "/dev"};
#else
constexpr const char* kSystemMounts[] = {"/boot", "/efi", "/snap", "/var/snap", "/var/lib/snapd", "/var/lib/docker",
                                         "/proc", "/sys", "/dev"};
#endif

bool equalsOrBelow(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

QMutex g_mutex;
std::optional<QList<MountedVolumes::Mount>> g_fake;

QList<MountedVolumes::Mount> systemMounts()
{
    QList<MountedVolumes::Mount> out;
    const QList<QStorageInfo> all = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& s : all) {
        if (!s.isValid())
            continue;
        out.append({s.rootPath(), s.device(), s.fileSystemType(), s.name(), s.isReady()});
    }
    return out;
}

} // namespace

namespace MountedVolumes {

bool isBrowsable(const Mount& mount, const QByteArray& rootDevice)
{
    const QString path = Paths::clean(mount.rootPath);
    if (!mount.isReady || !path.startsWith(QLatin1Char('/')) || path == QLatin1String("/"))
        return false;
    // A real disk is a block device; everything else (proc, tmpfs, "server:/share", fuse
    // portals …) names no device node.
    if (!mount.device.startsWith("/dev/"))
        return false;
    if (!rootDevice.isEmpty() && mount.device == rootDevice)
        return false;   // the start-up disk mounted again (a bind mount or a subvolume)
    for (const char* type : kNotDisks)
        if (mount.fileSystemType == type)
            return false;
    for (const char* system : kSystemMounts)
        if (equalsOrBelow(path, QLatin1String(system)))
            return false;
    return true;
}

QList<Volume> list()
{
    std::optional<QList<Mount>> fake;
    {
        QMutexLocker lock(&g_mutex);
        fake = g_fake;
    }
    const QList<Mount> mounts = fake ? *fake : systemMounts();
    QByteArray rootDevice;
    for (const Mount& m : mounts) {
        if (Paths::clean(m.rootPath) == QLatin1String("/")) {
            rootDevice = m.device;
            break;
        }
    }
    QList<Volume> out;
    for (const Mount& m : mounts) {
        if (!isBrowsable(m, rootDevice))
            continue;
        const QString path = Paths::clean(m.rootPath);
        const QString name = m.label.isEmpty() ? Paths::lastComponent(path) : m.label;
        out.append({name, path});
    }
    return out;
}

void setMountsForTesting(std::optional<QList<Mount>> mounts)
{
    QMutexLocker lock(&g_mutex);
    g_fake = std::move(mounts);
}

} // namespace MountedVolumes
