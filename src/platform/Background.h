#pragma once
#include <QThreadPool>

// The two pools background work runs on. "Utility" is for measuring, clearing and commands
// (low priority, enough threads that a long command cannot starve sizing); "user-initiated" is
// for scans a window is waiting on.
namespace Background {
QThreadPool& utility();
QThreadPool& userInitiated();
// Waits up to `milliseconds` for the work on both pools to end; whether it did. At quit the
// program waits no longer than this for a walk or a command that is still running.
bool waitForDone(int milliseconds);
} // namespace Background
