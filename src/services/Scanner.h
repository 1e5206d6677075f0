#pragma once
#include "models/CleanupTarget.h"

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// Measures allocated sizes of files, folders and cleanup targets. A walk stays on the file
// system it starts on (a volume mounted inside is not measured) and keeps a bounded number of
// folders open, whatever the depth.
namespace Scanner {

using Progress = std::function<void(qint64)>;

// One place that a target stands for, as measured: its path (absolute, links resolved) and size.
struct MeasuredPlace {
    QString path;
    qint64 bytes = 0;
    friend bool operator==(const MeasuredPlace&, const MeasuredPlace&) = default;
};

// A target's size and the places it is made of. A size without places says nothing about where
// its bytes lie.
struct Measurement {
    Measurement(std::optional<qint64> size = std::nullopt, QList<MeasuredPlace> places = {})
        : size(size), places(std::move(places))
    {
    }
    std::optional<qint64> size;
    QList<MeasuredPlace> places;
    friend bool operator==(const Measurement&, const Measurement&) = default;
};

// Allocated size of the file or folder tree at `path` ("~" expanded); a path that is itself a link
// is measured where it leads (links further down are not followed). A file with several hard links
// in the tree counts once. The folders are listed in parallel on the program's walking pool (every
// walk shares it); the call blocks until the walk is over and `onProgress` is called on the
// caller's thread, with the running total, once for every 1,500 regular files counted.
qint64 directorySize(const QString& path, const Progress& onProgress = {});
// The same for a path as raw bytes (names that are not UTF-8); no "~" expansion.
qint64 directorySize(const QByteArray& path, const Progress& onProgress = {});

// The bytes that deleting everything at `paths` (raw, absolute) would give back: the allocated
// size of the regular files in them, where a file with several hard links counts once, and only
// when all of its links lie in `paths` (a link kept elsewhere keeps its blocks in use). A path
// that is a link counts nothing. Entries of the folders that are listed in `keep` (raw absolute
// paths) are left out. Synchronous, walking on the walking pool like directorySize.
qint64 freeableSize(const QList<QByteArray>& paths, const QList<QByteArray>& keep = {});

// The places that stand for a target, resolved, as they are measured: its paths or fallback paths,
// where a built-in location with a link on the way is left out (see TargetLocations::location); or the
// folders its search finds, each once and without found links (only a link itself is removed).
// A path with a "*" piece stands for every folder found there (see TargetLocations::places).
QList<QByteArray> locations(const CleanupTarget& target);

// The entries of the target's places that it leaves to other targets (its kind's `keep`), as raw
// absolute paths: neither measured nor cleared with it.
QList<QByteArray> keptEntries(const CleanupTarget& target);

// The size of the paths that stand for the target, or no value when there are none. Runs on the
// utility pool; `onProgress` is called from that background thread.
QFuture<std::optional<qint64>> size(const CleanupTarget& target, Progress onProgress = {});
// The same, with the places measured, each with its own size.
QFuture<Measurement> measure(const CleanupTarget& target, Progress onProgress = {});

} // namespace Scanner
