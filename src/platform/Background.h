#pragma once
#include <QThreadPool>

// The two pools background work runs on. "Utility" is for measuring, clearing and commands
// (low priority, enough threads that a long command cannot starve sizing); "user-initiated" is
// for scans a window is waiting on.
namespace Background {
QThreadPool& utility();
QThreadPool& userInitiated();
} // namespace Background
