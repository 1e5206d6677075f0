#pragma once
#include "models/CancelToken.h"
#include "models/ProjectDir.h"

#include <QStringList>

#include <functional>

// The project folder scan: finds the build folders of every kind under the roots, then dates and
// measures each one, one after another, and hands it over.
namespace ProjectScanner {

using Progress = std::function<void(int count)>;
using Found = std::function<void(const ProjectDir&)>;

// Runs the search by kind over BuildArtifactType::all() to its end, then, for each folder found
// and until `token` is cancelled, reads its date, measures it, calls `onProgress` with the number
// of folders reported so far and then `onFound`. A folder found as a link counts 0 bytes: moving
// it moves only the link. Synchronous; both callbacks run on the calling thread.
void scan(const QStringList& roots, const QStringList& ignore, int minAgeDays, const CancelToken& token,
          const Progress& onProgress, const Found& onFound);

} // namespace ProjectScanner
