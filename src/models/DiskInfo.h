#pragma once
#include <QString>

// Capacity figures of the volume holding a path; a figure that cannot be read is 0.
struct DiskInfo {
    qint64 total = 0;
    qint64 availableImportant = 0;

    static DiskInfo current(const QString& path);

    friend bool operator==(const DiskInfo&, const DiskInfo&) = default;
};
