#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The mounted volumes a user can browse besides the start-up disk: real disks only (block
// devices such as a second drive, a USB stick or a mounted disk image), never pseudo or
// in-memory file systems (proc, sysfs, tmpfs, cgroup, overlay, squashfs app images …), never
// the start-up disk itself ("/", or another mount of the same device) and never system
// partitions (/boot, /efi, /snap …; on macOS /System/Volumes). Read afresh on every call.
namespace MountedVolumes {

struct Volume {
    QString name; // the volume's label; the last component of its mount path when it has none
    QString path; // the mount path
    friend bool operator==(const Volume&, const Volume&) = default;
};

// One mounted file system as the system lists it.
struct Mount {
    QString rootPath; // where it is mounted
    QByteArray device; // "/dev/sdb1", "proc", "server:/share" …
    QByteArray fileSystemType; // "ext4", "tmpfs" …
    QString label; // the volume label, may be empty
    bool isReady = true;
    friend bool operator==(const Mount&, const Mount&) = default;
};

// The browsable volumes, in the system's order.
QList<Volume> list();

// Whether `mount` is offered, given the device of the start-up disk.
bool isBrowsable(const Mount& mount, const QByteArray& rootDevice);

// Whether the open folder `fd` lies on a pseudo or in-memory file system (proc, sysfs, devpts,
// tmpfs, cgroup …; on macOS devfs): such a mount holds no disk space, and a walk of the whole
// disk treats its mount point as a folder it cannot list.
bool isPseudoFileSystem(int fd);

// For tests: list `mounts` (the first one mounted at "/" names the start-up disk) instead of
// the system's; no value lists the system's again.
void setMountsForTesting(std::optional<QList<Mount>> mounts);

} // namespace MountedVolumes
