#pragma once
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// Reads property lists (XML or binary) written by other programs. Such files are not under the
// program's control: only a regular file is read (a FIFO, a device or a folder named "x.plist"
// is refused without blocking), and only up to a size cap, so an odd file can neither hang a
// listing nor exhaust memory.
//
// Values come back as QVariant: dictionary → QVariantMap, array → QVariantList, string →
// QString, integer → qint64, real → double, boolean → bool, data → QByteArray, date →
// QDateTime (UTC).
namespace PlistReader {

inline constexpr qint64 kMaxBytes = 8 * 1024 * 1024;

// The bytes of the regular file at `path` (a link is followed to its target, which must be a
// regular file too); no value when it is something else, cannot be opened, or is larger than
// `maxBytes`.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes = kMaxBytes);

// Parses a property list in any of its formats; no value when the data is not one.
std::optional<QVariant> parse(const QByteArray& data);

// The top-level dictionary of the property-list file at `path`; no value when the file cannot
// be read as above, is malformed, or its top level is not a dictionary.
std::optional<QVariantMap> readDictionary(const QString& path, qint64 maxBytes = kMaxBytes);

} // namespace PlistReader
