#pragma once
#include "models/CleanRecord.h"
#include "models/CleanupTarget.h"

#include <QFuture>
#include <QList>
#include <QString>

#include <optional>

// What one clearing did: bytes freed (never negative), the first error for the user, and the
// items moved to the Trash in the order they were moved.
struct CleanOutcome {
    qint64 freed = 0;
    std::optional<QString> error;
    QList<TrashedItem> trashed;
    friend bool operator==(const CleanOutcome&, const CleanOutcome&) = default;
};

// The only place the cleanup core deletes anything, and the one safety rule for every deletion.
namespace Cleaner {

// Whether `path` (absolute, symbolic links already resolved) may be deleted or emptied.
// A pure string test; "." and ".." pieces and repeated "/" are cleaned away first.
bool isSafe(const QString& path);

// Whether a tool window may move the item at `path` to the Trash when the user picks it: with its
// symbolic links resolved, it passes isSafe or lies below the home folder (never the home folder
// itself). Touches the file system to resolve the links.
bool canTrashOnRequest(const QString& path);

// Whether `path` (absolute, links resolved) is one of the rule's protected paths or lies in one
// of its protected folders. Places outside the rule's allowed roots are not protected by this
// test alone; `isSafe` refuses them as well. A relative path counts as protected.
bool isProtected(const QString& path);

// Checks a folder the user is adding as a custom target: no value when acceptable, otherwise
// the message to show.
std::optional<QString> validateCustom(const QString& path);

// Clears `target` on the utility pool.
QFuture<CleanOutcome> clean(const CleanupTarget& target, bool moveToTrash);

} // namespace Cleaner
