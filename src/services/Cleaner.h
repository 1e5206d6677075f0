#pragma once
#include "models/CleanRecord.h"
#include "models/CleanupTarget.h"
#include "services/SafetyRule.h"

#include <QFuture>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// What one clearing did: bytes freed (never negative), the first error for the user, and the
// items moved to the Trash in the order they were moved.
struct CleanOutcome {
    qint64 freed = 0;
    std::optional<QString> error;
    QList<TrashedItem> trashed;
    friend bool operator==(const CleanOutcome&, const CleanOutcome&) = default;
};

// What a clearing tells its owner while it runs, and how the owner stops it. Shared by the two:
// the clearing calls announce() and moved() from its own thread, the owner reads moved() and may
// stop() it from any thread.
class ClearingLog {
public:
    // Told, before an item moves to the Trash, where it will lie there (its record in the Trash is
    // in place by then); answering false keeps the item where it is.
    using Announce = std::function<bool(const TrashedItem& item)>;
    explicit ClearingLog(Announce announce = {}) : m_announce(std::move(announce)) {}

    bool announce(const TrashedItem& item) const { return !m_announce || m_announce(item); }
    void moved(const TrashedItem& item)
    {
        QMutexLocker lock(&m_mutex);
        m_moved.append(item);
    }
    // The items moved so far, in order.
    QList<TrashedItem> moved() const
    {
        QMutexLocker lock(&m_mutex);
        return m_moved;
    }
    // The clearing ends at its next entry (what it moved stays moved and is reported).
    void stop() { m_stopped.store(true, std::memory_order_release); }
    bool isStopped() const { return m_stopped.load(std::memory_order_acquire); }

private:
    Announce m_announce;
    mutable QMutex m_mutex;
    QList<TrashedItem> m_moved;
    std::atomic<bool> m_stopped{false};
};
using ClearingLogPtr = std::shared_ptr<ClearingLog>;

// The only place the cleanup core deletes anything; every path it empties or removes passes the
// safety rule (SafetyRule.h), which belongs to this namespace.
//
// Clearing opens each folder it empties once, one piece at a time from "/" without following a
// link, checks that it is the folder that passed the rule, and removes or moves every entry
// relative to that descriptor by its raw name, so that no swap of a path component can redirect
// it. To the Trash, nothing is ever deleted instead of moved (what the Trash refuses stays, with
// "Not moved to the Trash: <path>" as the error); the Trash's own folders are never cleared by a
// folder that holds them; another file system mounted inside is left alone. The Trash itself is
// emptied whole (see Trash::emptyPart): what stays there is named in "Couldn't remove <path>".
namespace Cleaner {

// ---- Moving what the user picked in a tool

// A scan's root as the tool was given it and where it really lay when the scan started: the
// tool lists its items below the root as given, and they are moved from below where it lay.
struct ScanRoot {
    QByteArray given; // "~" expanded, as raw bytes
    QByteArray resolved; // with every link followed; empty when it did not resolve
    // `root` is a path or a RawPath key.
    static ScanRoot at(const QString& root);
    // Where an item listed at `listed` lies: below `resolved` when it was listed below `given`,
    // otherwise `listed` as it is.
    QByteArray locate(const QByteArray& listed) const;
};

// One item the user picked, as the tool's listing saw it.
struct PickedItem {
    enum class Kind { unknown, folder, notFolder };
    QByteArray path; // raw, absolute, below the scan root resolved when the scan started
    Kind kind = Kind::unknown; // as listed (a link counts as no folder)
    quint64 device = 0, inode = 0; // as listed, when both are not 0
};

// How moving a picked item went.
struct PickedMove {
    enum class Result {
        moved,
        refused, // the tool's rule does not let it go
        changed, // a folder on the way is now a link (or gone), or the item is not the one listed
        failed, // the Trash did not take it
    };
    Result result = Result::failed;
    std::optional<TrashedItem> item; // when moved: its original and its path in the Trash
};

// Moves a picked item to the Trash: every folder on the way is opened from "/" without following
// a link (the home folder's own path as the system resolves it), the item found there must still
// be the one listed (its kind, and its device and inode when the listing kept them, checked
// again right before the move), the tool's rule must let it go where it lies and, for a link,
// where it leads; then it is moved relative to that folder (a link as itself). Nothing else is
// touched; an item that is not moved is not recorded.
PickedMove trashPicked(const PickedItem& item, PickedIn tool);

// The message of a picked item that was not moved because it changed since the tool listed it:
// "Not moved: <path> changed since the scan" (the home folder shown as "~"), looked up for
// translation.
QString changedSinceScan(const QString& path);

// Checks a folder the user is adding as a custom target: no value when acceptable, otherwise
// the message to show.
std::optional<QString> validateCustom(const QString& path);

// Clears `target` on the utility pool, telling `log` (when given) what it moves and stopping at
// the next entry once the log is stopped.
QFuture<CleanOutcome> clean(const CleanupTarget& target, bool moveToTrash, ClearingLogPtr log = {});

} // namespace Cleaner
