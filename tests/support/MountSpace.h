#pragma once
#include <QString>

// A private mount namespace for the test process, so that a test can mount a small file system
// inside its own temporary home (a "second volume") without touching the machine's mounts. It
// needs the right to make one (root, as in CI); where that is missing the test skips.
namespace MountSpace {

// Moves this process into a mount namespace of its own (once; later calls only report). Call it
// before any other thread is started, as threads made earlier keep the machine's namespace.
bool enter();

// Mounts a fresh, empty tmpfs at `path` (an existing folder); `readOnly` mounts it read-only.
bool mountTmpfs(const QString& path, bool readOnly = false);

bool unmount(const QString& path);

} // namespace MountSpace
