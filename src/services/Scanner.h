#pragma once
#include "models/CleanupTarget.h"

#include <QFuture>
#include <QString>

#include <functional>
#include <optional>

// Measures allocated sizes of files, folders and cleanup targets.
namespace Scanner {

using Progress = std::function<void(qint64)>;

// Allocated size of the file or folder tree at `path` ("~" expanded). Synchronous, on the
// caller's thread; `onProgress` gets the running total once per 1,500 regular files.
qint64 directorySize(const QString& path, const Progress& onProgress = {});

// The size of the paths that stand for the target, or no value when there are none. Runs on the
// utility pool; `onProgress` is called from that background thread.
QFuture<std::optional<qint64>> size(const CleanupTarget& target, Progress onProgress = {});

} // namespace Scanner
