#pragma once
#include "models/CleanupTarget.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>

// Folder search by name under project roots (build folders).
namespace Finder {

QStringList discover(const QStringList& roots, const QSet<QString>& names, int maxDepth,
                     const QStringList& ignore, int minAgeDays, const QStringList& requireMarker,
                     const QDateTime& now);

// For a folder-search target: the search with its own parameters and the current time; any
// other kind gives an empty list. Synchronous.
QStringList discover(const CleanupTarget& target);

// True when `path` equals an entry of `ignore` or lies below one (entries already expanded).
bool isIgnored(const QString& path, const QStringList& ignore);

} // namespace Finder
