#pragma once
#include "models/BuildArtifactType.h"
#include "models/CleanupTarget.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QStringList>

#include <optional>

// Folder searches under project roots (build folders): by name, and by build-folder kind.
//
// A root is searched only where it really is: one that is a link, or lies behind one, gives
// nothing (see rootLocation). Within the roots the search follows a link only
// when it leads to a folder inside one of the roots (never out of them, and never round in a
// circle); every folder is listed from its parent's descriptor by its raw byte name.
namespace Finder {

// The found folders as raw paths (root + "/" + the names on the way down, as bytes): what
// measuring and clearing use, since a name that is not UTF-8 does not survive decoding.
QList<QByteArray> discoverPaths(const QStringList& roots, const QSet<QString>& names, int maxDepth,
                                const QStringList& ignore, int minAgeDays, const QStringList& requireMarker,
                                const QDateTime& now);
QList<QByteArray> discoverPaths(const CleanupTarget& target);

// The same, decoded for display.
QStringList discover(const QStringList& roots, const QSet<QString>& names, int maxDepth, const QStringList& ignore,
                     int minAgeDays, const QStringList& requireMarker, const QDateTime& now);

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
// roots in order, each root in the pre-order of its walk; a build folder is never entered. A
// folder reached in several ways is listed once per root, under its most direct path, and a
// link to a folder that is listed as itself (in any root) is left out.
QList<TypedHit> discoverByType(const QStringList& roots, const QList<BuildArtifactType>& types,
                               const QStringList& ignore, int minAgeDays, const QDateTime& now);

// A search root ("~" expanded, cleaned) when it is a folder whose resolved path is its own path;
// no value when it is missing, no folder, or a link lies on the way to it.
std::optional<QString> rootLocation(const QString& root);

// A search root the user chose (in the settings or a folder picker), as a search takes it: "~"
// expanded, cleaned, and with its links resolved once, so that a root that is a link (~/code
// leading to ~/src) is searched where it leads; unchanged but for the expansion when no folder
// is there.
QString chosenRoot(const QString& root);
// Whether a chosen root names no folder (it is missing, or a file).
bool isMissingRoot(const QString& root);

// True when `path` equals an entry of `ignore` or lies below one (entries already expanded).
bool isIgnored(const QString& path, const QStringList& ignore);

} // namespace Finder
