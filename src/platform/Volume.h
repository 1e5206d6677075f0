#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Capacity of the volume that holds a path.
namespace Volume {

struct Capacity {
    qint64 total = 0; // bytes
    qint64 available = 0; // bytes available to the user for important data
    friend bool operator==(const Capacity&, const Capacity&) = default;
};

// The figures of the volume holding `path`; 0 and 0 when no readable volume holds it.
Capacity capacity(const QString& path);

// Whether names on the volume holding `path` differ by letter case (macOS volumes usually do not;
// read from the volume there, unknown counting as not). Always true off macOS, where names are
// compared exactly.
bool isCaseSensitive(const QString& path);

// The folders below `folder` (raw, absolute, resolved) where another file system is mounted, as
// raw paths; from the system's mount table. Empty when the table cannot be read.
QList<QByteArray> mountPointsBelow(const QByteArray& folder);

// The free space of the volume holding `path`, two ways: what is free right now, and what is
// available for important data (free space plus what the system could purge by itself, such
// as local snapshots). Off macOS nothing is purgeable and both are the same. None when no
// readable volume holds the path.
struct FreeSpace {
    qint64 available = 0;
    qint64 availableForImportantUsage = 0;
    friend bool operator==(const FreeSpace&, const FreeSpace&) = default;
};
std::optional<FreeSpace> freeSpace(const QString& path);

} // namespace Volume
