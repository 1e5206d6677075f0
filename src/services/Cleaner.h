#pragma once
#include "models/CleanRecord.h"
#include "models/CleanupTarget.h"
#include "platform/HostPlatform.h"

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

// Moves one item the user picked in a tool to the Trash, safely: the folders leading to it are
// resolved, the item itself is taken as it is (a link goes as a link); both it and what it leads
// to must pass isSafe, it must not be or hold a Trash folder nor lie in one, and the move is done
// relative to its folder opened without following a link. The item with its original (resolved
// folders) and its path in the Trash, or no value when nothing was moved.
std::optional<TrashedItem> moveItemToTrash(const QString& path);
std::optional<TrashedItem> moveItemToTrash(const QByteArray& path);

// Whether a tool window may move the item at `path` to the Trash when the user picks it: with its
// symbolic links resolved, it passes isSafe or lies below the home folder (never the home folder
// itself). Touches the file system to resolve the links.
bool canTrashOnRequest(const QString& path);

// Whether `path` (absolute, links resolved) is one of the rule's protected paths or lies in one
// of its protected folders. Places outside the rule's allowed roots are not protected by this
// test alone; `isSafe` refuses them as well. A relative path counts as protected.
bool isProtected(const QString& path);
bool isProtected(const QString& path, HostPlatform platform);

// Checks a folder the user is adding as a custom target: no value when acceptable, otherwise
// the message to show.
std::optional<QString> validateCustom(const QString& path);

// Clears `target` on the utility pool.
QFuture<CleanOutcome> clean(const CleanupTarget& target, bool moveToTrash);

} // namespace Cleaner
