#pragma once
#include "models/CleanupTarget.h"

#include <QFuture>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// Measures allocated sizes of files, folders and cleanup targets.
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
        : size(size), places(std::move(places)) {}
    std::optional<qint64> size;
    QList<MeasuredPlace> places;
    friend bool operator==(const Measurement&, const Measurement&) = default;
};

// Allocated size of the file or folder tree at `path` ("~" expanded). Synchronous, on the
// caller's thread; `onProgress` gets the running total once per 1,500 regular files.
qint64 directorySize(const QString& path, const Progress& onProgress = {});

// The size of the paths that stand for the target, or no value when there are none. Runs on the
// utility pool; `onProgress` is called from that background thread.
QFuture<std::optional<qint64>> size(const CleanupTarget& target, Progress onProgress = {});
// The same, with the places measured, each with its own size.
QFuture<Measurement> measure(const CleanupTarget& target, Progress onProgress = {});

} // namespace Scanner
