#pragma once
#include <QString>
#include <QStringList>

#include <optional>

// The user's Trash: move an item there, put it back, and tell whether a path already lies in it.
namespace Trash {

// Moves the file, folder or link at `path` (a link is moved as itself) to the Trash and returns
// the absolute path it got there; no value when it could not be moved.
std::optional<QString> moveToTrash(const QString& path);

// Moves the item at `trashPath` back to `original`, creating the folders that lead to it. Never
// replaces anything at `original`. On success the item's Trash record is removed as well.
bool putBack(const QString& trashPath, const QString& original);

// The Trash folders of the user: the desktop's Trash ($XDG_DATA_HOME/Trash, or
// ~/.local/share/Trash) and ~/.Trash.
QStringList folders();

// Whether `path` lies inside one of the user's Trash folders (the folders themselves are not
// inside). Compares both the path as given and with the links of its parent folders resolved.
bool isInTrash(const QString& path);

// What the "Trash" cleanup target empties, "~"-relative where possible: "~/.Trash" and, off
// macOS, the desktop Trash's "files" and "info" folders (the items and their records).
QStringList targetPaths();

} // namespace Trash
