#pragma once
#include <QString>

// The system's byte-count formatter in file style: decimal units, "Zero KB", "1 byte",
// "999 bytes", "1 KB", "1.5 MB", "1.23 GB". The one way sizes are shown. The words follow the
// interface language and the decimal separator its locale (QLocale()): "Null KB", "1,5 MB".
QString formatBytes(qint64 bytes);

// The same style limited to megabytes, gigabytes and terabytes, with zero as a number
// ("0 MB", "0.5 MB", "120 GB"): the free space beside the tray icon.
QString formatBytesMegabytesUp(qint64 bytes);
