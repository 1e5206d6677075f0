#pragma once
#include "models/CancelToken.h"
#include "models/DiskNode.h"

#include <QList>
#include <QString>

#include <functional>

// Walks a file or folder into a tree of DiskNode whose sizes are the allocated bytes below each
// folder. Each folder keeps its largest children and folds the rest into "(smaller items)".
namespace DiskMapScanner {

using Progress = std::function<void(qint64 bytesCounted)>;
using ChildDone = std::function<void(const DiskNode& child)>;

// Scans `root` (a path or a node's id, "~" expanded) and returns its tree; names are kept as the
// bytes on disk (see DiskNode). A root that is a link to a folder is followed; links below it are
// not (they count as files of their own size). `onChild` gets each top-level child of the
// root once it is complete, in listing order (the order the file system lists the root in), one
// at a time, the first ones while the rest of the root is still being read; `onProgress` gets
// the bytes counted so far as folders below the root are listed. Both are called on the calling
// thread only, never after the function returns, and not at all once the token is seen
// cancelled. Once cancelled, folders not yet listed stay empty (size 0), entries not yet reached
// are left out, and the scan returns quickly with a consistent tree of what was counted.
// Children of equal size keep listing order everywhere.
//
// A file with several hard links counts once, at the first of its links the walk meets (with
// folders listed in parallel, which one that is may vary). Folders are listed on the program's
// walking pool (platform/WalkPool.h), a large folder's entries statted in parts by several
// threads; `threads` above 1 makes that many list at once (else the pool decides, see WalkPool),
// and with `threads` 1 the whole walk runs depth-first on the calling thread instead.
DiskNode scanStreaming(const QString& root, const CancelToken& token, const Progress& onProgress = {},
                       const ChildDone& onChild = {}, int threads = 0);

// Folding of one folder's children, sorted largest first, whose sizes sum to `parentTotal`: the
// children kept (at most 60, each at least 0.4 % of the total), then one synthetic
// "(smaller items)" node holding the rest when they add up to at least 1 byte.
QList<DiskNode> prune(const QList<DiskNode>& sortedChildren, qint64 parentTotal);

} // namespace DiskMapScanner
