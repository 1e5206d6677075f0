#pragma once
#include "platform/Volume.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

// One local Time Machine snapshot of the startup volume, as the listing shows it.
struct LocalSnapshot {
    QString name; // the whole listing line, trimmed
    QString timestamp; // the part behind "com.apple.TimeMachine.", without ".local"; never empty

    const QString& id() const { return name; }
    // The snapshot's time in the user's locale (medium date, short time), or the timestamp as
    // it is when it is not a "yyyy-MM-dd-HHmmss" time.
    QString displayDate() const;

    friend bool operator==(const LocalSnapshot&, const LocalSnapshot&) = default;
};

// Why a deletion did not happen.
struct SnapshotError {
    enum class Kind { failed, cancelled };
    Kind kind = Kind::failed;
    QString message; // for `failed`: what the administrator run reported

    static SnapshotError failed(const QString& message) { return {Kind::failed, message}; }
    static SnapshotError cancelled() { return {Kind::cancelled, {}}; }
    friend bool operator==(const SnapshotError&, const SnapshotError&) = default;
};

// Lists the local snapshots of the volume mounted at "/", reports its free and purgeable space,
// and deletes snapshots in one administrator run. Every function blocks its thread (the listing
// for up to 180 s, a deletion until the password prompt is answered): call them off the main
// thread.
namespace SnapshotManager {

inline constexpr double kListTimeoutSeconds = 180;

// The login-shell command that lists the snapshots.
QString listCommand();
// The snapshots in a listing's output, newest first; empty unless `status` is 0.
QList<LocalSnapshot> parseListing(int status, const QString& output);
QList<LocalSnapshot> list();

// Available capacity of the volume holding "/" (0 when unreadable).
qint64 freeBytes();
// What the system could free by itself (mostly snapshots), never negative (0 when unreadable).
qint64 purgeableBytes();

// Whether `timestamp` has the form the system gives its snapshots ("2024-05-01-093000"), the
// only form a deletion accepts.
bool isDeletableTimestamp(const QString& timestamp);
// The one script that deletes `snapshots` in the given order, or none when a timestamp is not
// of the deletable form.
std::optional<QString> deleteScript(const QList<LocalSnapshot>& snapshots);

// Deletes `snapshots` in one administrator run; the bytes freed as the volume reports them
// (never negative), or why nothing (or not all) could be done. An empty list runs nothing.
using DeleteResult = std::variant<qint64, SnapshotError>;
DeleteResult deleteSnapshots(const QList<LocalSnapshot>& snapshots);

// For tests: reads the free-space figures from `reader` instead of the volume; an empty reader
// restores the volume. Thread-safe.
using SpaceReader = std::function<std::optional<Volume::FreeSpace>()>;
void setSpaceReaderForTesting(SpaceReader reader);

} // namespace SnapshotManager
