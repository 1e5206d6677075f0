#pragma once
#include <QString>

#include <optional>

// The desktop's well-known user folders (freedesktop "user-dirs"): read from
// $XDG_CONFIG_HOME/user-dirs.dirs, so localised names such as "~/Bilder" count, with the English
// defaults ("~/Desktop", "~/Documents", …) for a missing file or a missing entry. Read afresh on
// every call (tests point HOME and XDG_CONFIG_HOME elsewhere).
namespace UserDirs {

enum class Dir { Desktop, Documents, Download, Music, Pictures, PublicShare, Templates, Videos };

// The folder's absolute path (not resolved); no value when the desktop has it switched off
// (an entry that names the home folder itself).
std::optional<QString> path(Dir dir);

// The XDG base folders: the variable's value when it is an
// absolute path, else the default below the home folder ("~/.cache", "~/.local/share",
// "~/.config"). Cleaned, not resolved.
QString cacheHome();
QString dataHome();
QString configHome();

} // namespace UserDirs
