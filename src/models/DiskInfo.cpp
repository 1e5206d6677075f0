#include "models/DiskInfo.h"

#include "platform/Volume.h"

DiskInfo DiskInfo::current(const QString& path)
{
    const Volume::Capacity c = Volume::capacity(path);
    return DiskInfo{c.total, c.available};
}
