#pragma once
#include <QString>

// Capacity of the volume that holds a path.
namespace Volume {

struct Capacity {
    qint64 total = 0;      // bytes
    qint64 available = 0;  // bytes available to the user for important data
    friend bool operator==(const Capacity&, const Capacity&) = default;
};

// The figures of the volume holding `path`; 0 and 0 when no readable volume holds it.
Capacity capacity(const QString& path);

} // namespace Volume
