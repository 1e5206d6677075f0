#import <Foundation/Foundation.h>

#include "platform/Volume.h"

namespace Volume {

std::optional<FreeSpace> freeSpace(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    @autoreleasepool {
        NSURL* url = [NSURL fileURLWithPath:path.toNSString()];
        NSError* error = nil;
        NSDictionary<NSURLResourceKey, id>* values = [url
            resourceValuesForKeys:@[ NSURLVolumeAvailableCapacityKey, NSURLVolumeAvailableCapacityForImportantUsageKey ]
                            error:&error];
        if (!values)
            return std::nullopt;
        NSNumber* available = values[NSURLVolumeAvailableCapacityKey];
        NSNumber* important = values[NSURLVolumeAvailableCapacityForImportantUsageKey];
        return FreeSpace{available ? qint64(available.longLongValue) : 0,
                         important ? qint64(important.longLongValue) : 0};
    }
}

} // namespace Volume
