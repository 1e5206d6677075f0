#pragma once
#include "models/BuildArtifactType.h"
#include "models/CleanupTarget.h"

#include <QByteArray>
#include <QList>

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

// One folder found by the search by kind: its path as the walk reached it (raw bytes: root, then
// "/" and each name; links not resolved) and the id of its kind.
struct TypedHit {
    QByteArray path;
    QString typeID;
    friend bool operator==(const TypedHit&, const TypedHit&) = default;
};

// Searches every root for build folders of the given kinds: a folder named as a kind whose
// project folder (the folder holding it) lies no deeper than the kind's maxDepth, holds one of
// the kind's markers, and passes the age test, the ignore list and the safety rule. Hits come
// roots in order, each root in the pre-order of its walk; a build folder is never entered.
QList<TypedHit> discoverByType(const QStringList& roots, const QList<BuildArtifactType>& types,
                               const QStringList& ignore, int minAgeDays, const QDateTime& now);

// True when `path` equals an entry of `ignore` or lies below one (entries already expanded).
bool isIgnored(const QString& path, const QStringList& ignore);

} // namespace Finder
