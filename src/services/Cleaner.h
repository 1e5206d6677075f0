#pragma once
#include "models/CleanRecord.h"
#include "models/CleanupTarget.h"
#include "platform/HostPlatform.h"

#include <QFuture>
#include <QMutex>
#include <QMutexLocker>
#include <QList>
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

// The only place the cleanup core deletes anything, and the one safety rule for every deletion.
//
// Clearing opens each folder it empties once, one piece at a time from "/" without following a
// link, checks that it is the folder that passed the rule, and removes or moves every entry
// relative to that descriptor by its raw name, so that no swap of a path component can redirect
// it. To the Trash, nothing is ever deleted instead of moved (what the Trash refuses stays, with
// "Not moved to the Trash: <path>" as the error); the Trash's own folders are never cleared by a
// folder that holds them; another file system mounted inside is left alone. The Trash itself is
// emptied whole (see Trash::emptyPart): what stays there is named in "Couldn't remove <path>".
namespace Cleaner {

// Whether `path` (absolute, symbolic links already resolved) may be deleted or emptied.
// A pure string test; "." and ".." pieces and repeated "/" are cleaned away first; a path holding
// a NUL is refused.
bool isSafe(const QString& path);
// The rule of a given platform (the program uses its own): off macOS it also protects the
// desktop's user folders, configuration and data folders, keys, keyrings and browser and mail
// profiles.
bool isSafe(const QString& path, HostPlatform platform);

// Whether the rule compares paths without letter case, after Unicode normalisation: set once at
// start-up to whether the home volume is case-insensitive (the default on macOS); off on Linux.
void setCaseInsensitivePaths(bool caseInsensitive);

// Where a target's path really is: "~" expanded and links resolved. No value for a built-in
// target when a link lies on the way (its resolved path is not its own cleaned path, or a dangling
// link stands there): nobody chose that link, so the place is neither measured nor cleared. A
// custom folder's links are the user's own choice and are followed.
std::optional<QString> location(const QString& path, bool builtIn);

// The places a target's path stands for, "~" expanded: the path itself, or, for a built-in
// target whose path holds a "*" piece, each folder found at that place (not links, not hidden
// ones), in name order ("~/.cache/mozilla/firefox/*/cache2": every profile's cache). A custom
// folder's path is taken as it is, "*" included. For a built-in target, the "files" or "info"
// folder of the home Trash stands for itself and the same folder of the user's Trash on every
// other mounted volume.
QStringList places(const QString& path, bool builtIn);

// ---- Moving what the user picked in a tool

// The tool an item was picked in. What a tool may move goes a little beyond what the clearing
// empties, each in its own way (see mayTrashPicked).
enum class PickedIn { diskMap, fileFinder, projectCleanup, uninstaller };

// A scan's root as the tool was given it and where it really lay when the scan started: the
// tool lists its items below the root as given, and they are moved from below where it lay.
struct ScanRoot {
    QByteArray given;    // "~" expanded, as raw bytes
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
    QByteArray path;              // raw, absolute, below the scan root resolved when the scan started
    Kind kind = Kind::unknown;    // as listed (a link counts as no folder)
    quint64 device = 0, inode = 0; // as listed, when both are not 0
};

// How moving a picked item went.
struct PickedMove {
    enum class Result {
        moved,
        refused,  // the tool's rule does not let it go
        changed,  // a folder on the way is now a link (or gone), or the item is not the one listed
        failed,   // the Trash did not take it
    };
    Result result = Result::failed;
    std::optional<TrashedItem> item; // when moved: its original and its path in the Trash
};

// The one rule of what a tool may move to the Trash when the user picks it, a pure test on a
// path (absolute, links resolved) and whether the item there is a real folder: anything that
// passes isSafe; in the Disk Map and the large-files window also anything else below the home
// folder (never the home folder itself) but the places that keep keys and credentials, keyrings
// and browser and mail profiles; in the uninstaller also an application bundle (a real "….app"
// folder) in no protected place; project cleanup nothing more.
bool mayTrashPicked(const QString& path, PickedIn tool, bool isFolder);

// mayTrashPicked for the item at `path` as it stands now, to offer the move: judged where it
// lies (the links of its folders resolved) and, for a link, also where it leads. Touches the file
// system to resolve the links.
bool canTrashOnRequest(const QString& path, PickedIn tool);

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

// Whether `path` (absolute, links resolved) is one of the rule's protected paths or lies in one
// of its protected folders. Places outside the rule's allowed roots are not protected by this
// test alone; `isSafe` refuses them as well. A relative path counts as protected.
bool isProtected(const QString& path);
bool isProtected(const QString& path, HostPlatform platform);

// Checks a folder the user is adding as a custom target: no value when acceptable, otherwise
// the message to show.
std::optional<QString> validateCustom(const QString& path);

// Clears `target` on the utility pool, telling `log` (when given) what it moves and stopping at
// the next entry once the log is stopped.
QFuture<CleanOutcome> clean(const CleanupTarget& target, bool moveToTrash, ClearingLogPtr log = {});

} // namespace Cleaner
