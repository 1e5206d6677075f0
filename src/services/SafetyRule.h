#pragma once
#include "platform/HostPlatform.h"

#include <QString>

// The one safety rule for every deletion and every move to the Trash, and what a tool may move
// when the user picks an item. Part of the cleaner's namespace, declared on its own so that the
// scanner, the folder searches and the tools can apply the rule without the clearing itself.
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

// Whether `path` (absolute, links resolved) is one of the rule's protected paths or lies in one
// of its protected folders. Places outside the rule's allowed roots are not protected by this
// test alone; `isSafe` refuses them as well. A relative path counts as protected.
bool isProtected(const QString& path);
bool isProtected(const QString& path, HostPlatform platform);

// The tool an item was picked in. What a tool may move goes a little beyond what the clearing
// empties, each in its own way (see mayTrashPicked).
enum class PickedIn { diskMap, fileFinder, projectCleanup, uninstaller };

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

} // namespace Cleaner
