#pragma once
#include <QByteArray>
#include <QString>

#include <optional>

// Moving one entry between two folders by its name, relative to the folders the call opens
// itself without following a link (see NoFollow): the entry is moved as it is (a link as the
// link), and never onto something that already has its name.
namespace FolderEntry {

// Moves the entry `name` (raw bytes, no "/") of `fromFolder` into `toFolder` under the same
// name. False when either folder cannot be opened that way (it is, or lies behind, a link), the
// name is not a plain entry name, nothing of that name is in `fromFolder`, or `toFolder` already
// holds that name.
bool moveNoReplace(const QString& fromFolder, const QByteArray& name, const QString& toFolder);

// renameat() from the folder open at `fromFd` to the one open at `toFd` that fails with EEXIST
// instead of replacing what is at `to`: in one step where the file system can refuse a
// replacement itself, else by looking first.
bool renameNoReplace(int fromFd, const char* from, int toFd, const char* to);

// The raw name of `name` as the file system spells it, or no value when the decoded text does
// not stand for exactly one name (it holds "/", is "." or "..", is empty, or carries the
// replacement character left by a name that was not valid in the file-name encoding).
std::optional<QByteArray> encodedName(const QString& name);

} // namespace FolderEntry
