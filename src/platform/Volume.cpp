#include "platform/Volume.h"

#include <QFile>

#include <limits>

#ifdef Q_OS_MACOS
#include <sys/mount.h>
#include <sys/param.h>
#endif
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
qint64 bytes(unsigned long long blocks, unsigned long long unit)
{
    unsigned long long product = 0;
    if (__builtin_mul_overflow(blocks, unit, &product)
        || product > (unsigned long long)std::numeric_limits<qint64>::max())
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

bool isCaseSensitive(const QString& path)
{
#if defined(Q_OS_MACOS) && defined(_PC_CASE_SENSITIVE)
    const long answer = ::pathconf(path.toLocal8Bit().constData(), _PC_CASE_SENSITIVE);
    // Unknown (-1) counts as case-insensitive: the safety rule then refuses more, never less.
    return answer == 1;
#else
    Q_UNUSED(path);
    return true;
#endif
}

QList<QByteArray> mountPointsBelow(const QByteArray& folder)
{
    QByteArray base = folder;
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    const QByteArray prefix = base == "/" ? base : base + '/';
    QList<QByteArray> points;
#ifdef Q_OS_MACOS
    struct statfs* mounts = nullptr;
    const int count = ::getmntinfo(&mounts, MNT_NOWAIT);
    for (int i = 0; i < count; ++i)
        points << QByteArray(mounts[i].f_mntonname);
#else
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    // Field 5 of each line is the mount point, with blanks and the like written as "\ooo".
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        const QByteArray& field = fields[4];
        QByteArray point;
        for (qsizetype i = 0; i < field.size(); ++i) {
            if (field[i] == '\\' && i + 3 < field.size()) {
                point.append(char(field.mid(i + 1, 3).toInt(nullptr, 8)));
                i += 3;
            } else {
                point.append(field[i]);
            }
        }
        points << point;
    }
#endif
    QList<QByteArray> below;
    for (const QByteArray& p : std::as_const(points)) {
        if (p.startsWith(prefix) && p.size() > prefix.size() && !below.contains(p))
            below << p;
    }
    return below;
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
