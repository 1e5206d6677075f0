#pragma once
#include <QString>

// The absolute paths of the system tools the program runs. Kept in one place so that tests can
// point a tool at a fake (or at nothing) without touching the real one.
namespace ToolPaths {

enum class Tool { Zsh, Launchctl, Tmutil, Osascript };

// The path to run for `tool`: its override when one is set, otherwise the system's path.
QString path(Tool tool);

inline QString zsh() { return path(Tool::Zsh); }
inline QString launchctl() { return path(Tool::Launchctl); }
inline QString tmutil() { return path(Tool::Tmutil); }
inline QString osascript() { return path(Tool::Osascript); }

// The system's own path for `tool` ("/bin/zsh", "/bin/launchctl", "/usr/bin/tmutil",
// "/usr/bin/osascript").
QString systemPath(Tool tool);

// For tests only: runs `tool` from `path` instead; an empty path restores the system's path.
// Thread-safe.
void overrideForTesting(Tool tool, const QString& path);

} // namespace ToolPaths
