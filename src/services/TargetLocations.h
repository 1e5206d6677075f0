#pragma once
#include <QString>
#include <QStringList>

#include <optional>

// Where a cleanup target's paths lie on disk: shared by measuring and clearing, so that both
// reach exactly the same places.
namespace TargetLocations {

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

} // namespace TargetLocations
