#include "platform/MountedVolumes.h"

#include "platform/Paths.h"

#include <QMutex>
#include <QStorageInfo>

#ifdef Q_OS_LINUX
#include <linux/magic.h>
#include <sys/vfs.h>
#else
#include <cstring>
#include <sys/mount.h>
#include <sys/param.h>
#endif

namespace {

// File systems that are not disks even when a device node backs them: read-only application
// images (snap packages) and layered container roots.
constexpr const char* kNotDisks[] = {"squashfs", "overlay", "tmpfs", "devtmpfs", "ramfs", "proc", "sysfs"};

// System partitions and mount trees a user does not browse, each with everything below it.
#ifdef Q_OS_MACOS
constexpr const char* kSystemMounts[] = {"/System/Volumes", "/private/var/vm", "/dev"};
#else
constexpr const char* kSystemMounts[] = {"/boot",           "/efi",  "/snap", "/var/snap", "/var/lib/snapd",
                                         "/var/lib/docker", "/proc", "/sys",  "/dev"};
#endif

#ifdef Q_OS_LINUX
// File systems that live in memory or describe the kernel: nothing on them is disk usage.
constexpr unsigned long kPseudoMagics[] = {
    PROC_SUPER_MAGIC,
    SYSFS_MAGIC,
    DEVPTS_SUPER_MAGIC,
    TMPFS_MAGIC,
    RAMFS_MAGIC,
    CGROUP_SUPER_MAGIC,
    CGROUP2_SUPER_MAGIC,
    SECURITYFS_MAGIC,
    DEBUGFS_MAGIC,
    TRACEFS_MAGIC,
    PSTOREFS_MAGIC,
    EFIVARFS_MAGIC,
    BPF_FS_MAGIC,
    BINFMTFS_MAGIC,
    HUGETLBFS_MAGIC,
    AUTOFS_SUPER_MAGIC,
    NSFS_MAGIC,
    SELINUX_MAGIC,
    0x62656570 /* configfs */,
    0x65735543 /* fusectl */,
    0x19800202 /* mqueue */,
    0x67596969 /* rpc_pipefs */,
};
#else
constexpr const char* kPseudoTypes[] = {"devfs", "autofs"};
#endif

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
        return false; // the start-up disk mounted again (a bind mount or a subvolume)
    for (const char* type : kNotDisks)
        if (mount.fileSystemType == type)
            return false;
    for (const char* system : kSystemMounts)
        if (Paths::equalsOrBelow(path, QString::fromLatin1(system)))
            return false;
    return true;
}

bool isPseudoFileSystem(int fd)
{
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return false;
#ifdef Q_OS_LINUX
    for (unsigned long magic : kPseudoMagics)
        if ((unsigned long)fs.f_type == magic)
            return true;
#else
    for (const char* type : kPseudoTypes)
        if (std::strncmp(fs.f_fstypename, type, sizeof fs.f_fstypename) == 0)
            return true;
#endif
    return false;
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
