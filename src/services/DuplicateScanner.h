#pragma once
#include "models/CancelToken.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// One regular file found by the walk: its path below the root, kept as the bytes on disk, and its
// allocated size in bytes. A name that is not well-formed UTF-8 is shown with U+FFFD in place of its
// bad bytes (path()), which may read like another file's path; the file is still told apart by its
// id, and rawPath() is what reaches it. Path-taking actions (move to the Trash, reveal, open) are
// offered only when pathRoundTrips() is true.
struct ScannedFile {
    QByteArray rawPath;
    qint64 size = 0;
    // The file's device and inode as the walk met it, so that a move later can tell it is still
    // this file; 0 when unknown. Not part of the value: two equal files may differ here.
    quint64 device = 0;
    quint64 inode = 0;

    // Unique and reversible key of the file: its path when that round-trips, otherwise
    // RawPath::key of the raw path (RawPath::fromKey gives the bytes back). Not for showing.
    QString id() const;
    // The path to show (bad bytes as U+FFFD).
    QString path() const;
    // True when path() names exactly this file (its bytes are well-formed UTF-8).
    bool pathRoundTrips() const;
    friend bool operator==(const ScannedFile& a, const ScannedFile& b)
    {
        return a.rawPath == b.rawPath && a.size == b.size;
    }
};
size_t qHash(const ScannedFile& file, size_t seed = 0);

// Files with identical contents: `id` is the SHA-256 of the contents in lowercase hex, `size` the
// allocated size of the first file, `files` at least two, in walk order. Copies allocate alike as a
// rule, but not always (a sparse copy allocates less than a dense one): each file keeps its own.
struct DuplicateGroup {
    QString id;
    qint64 size = 0;
    QList<ScannedFile> files;
    friend bool operator==(const DuplicateGroup&, const DuplicateGroup&) = default;
};
// What deleting every copy but the first would free: the allocated sizes of the others.
qint64 reclaimableBytes(const DuplicateGroup& group);

// One delivery: the whole largest list (at most 100, largest first) and every group so far, most
// reclaimable first.
struct FileScanResult {
    QList<ScannedFile> largest;
    QList<DuplicateGroup> duplicates;
    friend bool operator==(const FileScanResult&, const FileScanResult&) = default;
};

namespace DuplicateScanner {

constexpr int kProgressStep = 500;
constexpr int kLargestCount = 100;
constexpr qint64 kMinimumDuplicateSize = 1'000'000; // bytes of content
constexpr size_t kReadChunk = 1'048'576;

using Progress = std::function<void(int filesCollected)>;
using ResultHandler = std::function<void(const FileScanResult&)>;

// Walks the regular files below `root` (a path or a RawPath key, "~" expanded, followed when it
// is a link to a folder; hidden items skipped, links below it not followed), delivers the 100
// largest, then the groups of byte-identical files of at least 1,000,000 bytes, largest sizes
// first, after each size that found some and once more at the end. Files are taken in the order
// of a depth-first walk with each folder's entries in byte order of names, although the folders
// are listed in parallel on the walking pool. Files are compared only with files of the same
// length; one file reached under several paths (hard links) counts once, by its first path. Files
// are hashed through their raw paths. Blocks the calling thread (hashing spreads over `threads`
// helper threads, 0: one per core, at most 8); the callbacks are called on it, never after return,
// and not at all once the token is seen cancelled. A root that cannot be listed gives no callback.
void scan(const QString& root, const CancelToken& token, const Progress& onProgress, const ResultHandler& onResult,
          int threads = 0);

} // namespace DuplicateScanner
