#pragma once
#include <QString>

// The only place the cleanup core deletes anything, and the one safety rule for every deletion.
namespace Cleaner {

// Whether `path` (absolute, symbolic links already resolved) may be deleted or emptied.
// A pure string test; "." and ".." pieces and repeated "/" are cleaned away first.
bool isSafe(const QString& path);

} // namespace Cleaner
