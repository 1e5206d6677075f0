#include "services/Finder.h"

#include "platform/Paths.h"
#include "services/Cleaner.h"

#include <QFile>
#include <QHash>
#include <QPair>
#include <QSet>

#include <algorithm>

#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// What a search looks for: folders named as one of the kinds' names, in a project folder no
// deeper than the kind allows, next to one of the kind's markers.
struct Kind {
    QString id;                 // the kind's id (the search by name has one kind without an id)
    int maxDepth = 0;
    QStringList markers;
    // Markers matched against the project folder's listing ("*.ext" patterns allowed) rather
    // than tested for existence.
    bool markersByListing = false;
};

struct Search {
    QHash<QString, qsizetype> names;   // folder name → its kind
    QList<Kind> kinds;
    int maxDepth = 0;           // the walk's bound: the deepest project folder any kind allows
    QStringList ignore;         // expanded entries, and their resolved forms
    bool hasCutoff = false;
    qint64 cutoffMs = 0;        // milliseconds since the epoch
    // Each folder is reported once per root, however many ways lead to it.
    bool oncePerRoot = false;
    QSet<QPair<quint64, quint64>> reported;   // (device, inode) of the folders reported in this root
    QStringList roots;          // the roots searched, resolved: links may lead only within them
    QList<Finder::TypedHit> found;
};

bool equalsOrBelow(const QString& path, const QString& folder)
{
    return path == folder || (path.size() > folder.size() && path.startsWith(folder) && path[folder.size()] == QLatin1Char('/'));
}

bool existsFollowing(const QString& path, struct stat* st = nullptr)
{
    struct stat s {};
    const bool ok = ::stat(QFile::encodeName(path).constData(), &s) == 0;
    if (ok && st)
        *st = s;
    return ok;
}

// The folder's entries, one level, "." and ".." left out, with the type the listing gives.
struct Listed {
    QString name;
    unsigned char type;
};

bool list(const QString& folder, std::vector<Listed>& out)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    while (dirent* d = ::readdir(dir)) {
        const char* n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        out.push_back(Listed{QFile::decodeName(n), d->d_type});
    }
    ::closedir(dir);
    return true;
}

// A pinned folder must not be reachable through a link either: both the path as walked and
// its resolved form are tested.
bool ignored(const Search& s, const QString& path, const QString& resolved)
{
    return Finder::isIgnored(path, s.ignore) || (resolved != path && Finder::isIgnored(resolved, s.ignore));
}

bool hasMarker(const Kind& kind, const QString& folder)
{
    if (kind.markers.isEmpty())
        return true;
    if (!kind.markersByListing) {
        for (const QString& marker : kind.markers) {
            if (existsFollowing(folder + QLatin1Char('/') + marker))
                return true;
        }
        return false;
    }
    // The project folder is listed anew for each candidate; one that can't be listed has no marker.
    std::vector<Listed> entries;
    list(folder, entries);
    for (const QString& marker : kind.markers) {
        for (const Listed& entry : entries) {
            if (BuildArtifactType::markerMatches(marker, entry.name))
                return true;
        }
    }
    return false;
}

// Whether the folder at `path` (followed, as it is reported) has not been reported in this root.
bool firstTime(Search& s, const QString& path)
{
    if (!s.oncePerRoot)
        return true;
    struct stat st {};
    if (!existsFollowing(path, &st))
        return true;
    const QPair<quint64, quint64> id{quint64(st.st_dev), quint64(st.st_ino)};
    if (s.reported.contains(id))
        return false;
    s.reported.insert(id);
    return true;
}

bool oldEnough(const Search& s, const QString& child)
{
    if (!s.hasCutoff)
        return true;
    struct stat st {};
    if (::lstat(QFile::encodeName(child).constData(), &st) != 0)
        return true; // an unreadable date counts as old enough
#ifdef __APPLE__
    const struct timespec& m = st.st_mtimespec;
#else
    const struct timespec& m = st.st_mtim;
#endif
    const qint64 mtimeMs = qint64(m.tv_sec) * 1000 + m.tv_nsec / 1000000;
    return mtimeMs < s.cutoffMs;
}

// `resolved` is `folder` with its links resolved, carried down so that only links met on the
// way cost a lookup.
void walk(Search& s, const QString& folder, const QString& resolved, int depth)
{
    if (depth > s.maxDepth)
        return;
    std::vector<Listed> entries;
    if (!list(folder, entries))
        return;
    for (const Listed& entry : entries) {
        const auto kindAt = s.names.constFind(entry.name);
        const bool isMatch = kindAt != s.names.constEnd();
        if (entry.name.startsWith(QLatin1Char('.')) && !isMatch)
            continue;
        const QString child = folder + QLatin1Char('/') + entry.name;
        QString childResolved = resolved + QLatin1Char('/') + entry.name;
        if (entry.type != DT_DIR) {
            // Files are never opened; links and unknown entries are looked at through the link.
            if (entry.type != DT_LNK && entry.type != DT_UNKNOWN)
                continue;
            struct stat st {};
            if (!existsFollowing(child, &st) || !S_ISDIR(st.st_mode))
                continue;
            childResolved = Paths::resolveSymlinks(child);
            // A link is taken only when it leads inside one of the roots.
            if (std::none_of(s.roots.cbegin(), s.roots.cend(),
                             [&](const QString& root) { return equalsOrBelow(childResolved, root); }))
                continue;
        }
        if (ignored(s, child, childResolved))
            continue;
        if (isMatch) {
            const Kind& kind = s.kinds[*kindAt];
            if (kind.maxDepth >= depth && hasMarker(kind, folder) && oldEnough(s, child)
                && Cleaner::isSafe(childResolved) && firstTime(s, child))
                s.found.append(Finder::TypedHit{QFile::encodeName(child), kind.id});
            continue;
        }
        // A folder already on the way down (a link back up) would go round in circles.
        if (equalsOrBelow(resolved, childResolved))
            continue;
        walk(s, child, childResolved, depth + 1);
    }
}

void prepare(Search& s, const QStringList& ignore, int minAgeDays, const QDateTime& now)
{
    for (const QString& entry : ignore) {
        const QString expanded = Paths::expandTilde(entry);
        s.ignore.append(expanded);
        // A pinned folder reached through a link of its own path is still the pinned folder.
        if (expanded.startsWith(QLatin1Char('/'))) {
            const QString resolved = Paths::resolveSymlinks(expanded);
            if (resolved != expanded)
                s.ignore.append(resolved);
        }
    }
    if (minAgeDays >= 1) {
        s.hasCutoff = true;
        s.cutoffMs = now.toMSecsSinceEpoch() - qint64(minAgeDays) * 86400 * 1000;
    }
}

void run(Search& s, const QStringList& roots)
{
    QStringList expandedRoots;
    for (const QString& root : roots) {
        const QString expanded = Paths::expandTilde(root);
        expandedRoots.append(expanded);
        if (expanded.startsWith(QLatin1Char('/')))
            s.roots.append(Paths::resolveSymlinks(expanded));
    }
    for (const QString& expanded : std::as_const(expandedRoots)) {
        if (!existsFollowing(expanded))
            continue;
        const QString resolved = expanded.startsWith(QLatin1Char('/')) ? Paths::resolveSymlinks(expanded) : expanded;
        if (ignored(s, expanded, resolved))
            continue;
        s.reported.clear();
        walk(s, expanded, resolved, 0);
    }
}

} // namespace

namespace Finder {

bool isIgnored(const QString& path, const QStringList& ignore)
{
    for (const QString& entry : ignore) {
        if (entry.isEmpty())
            continue;
        if (path == entry)
            return true;
        if (path.size() > entry.size() && path.startsWith(entry) && path[entry.size()] == QLatin1Char('/'))
            return true;
    }
    return false;
}

QStringList discover(const QStringList& roots, const QSet<QString>& names, int maxDepth,
                     const QStringList& ignore, int minAgeDays, const QStringList& requireMarker,
                     const QDateTime& now)
{
    Search s;
    s.kinds.append(Kind{QString(), maxDepth, requireMarker, false});
    for (const QString& name : names)
        s.names.insert(name, 0);
    s.maxDepth = maxDepth;
    prepare(s, ignore, minAgeDays, now);
    run(s, roots);
    QStringList found;
    for (const TypedHit& hit : std::as_const(s.found))
        found.append(QFile::decodeName(hit.path));
    return found;
}

QList<TypedHit> discoverByType(const QStringList& roots, const QList<BuildArtifactType>& types,
                               const QStringList& ignore, int minAgeDays, const QDateTime& now)
{
    Search s;
    s.oncePerRoot = true;
    for (const BuildArtifactType& type : types) {
        // A name two kinds share belongs to the later one.
        for (const QString& name : type.names)
            s.names.insert(name, s.kinds.size());
        s.kinds.append(Kind{type.id, type.maxDepth, type.markers, true});
        s.maxDepth = std::max(s.maxDepth, type.maxDepth);
    }
    if (types.isEmpty())
        return {};
    prepare(s, ignore, minAgeDays, now);
    run(s, roots);
    return s.found;
}

QStringList discover(const CleanupTarget& target)
{
    const auto* f = std::get_if<CleanupKinds::Finder>(&target.kind);
    if (!f)
        return {};
    return discover(f->roots, QSet<QString>(f->names.begin(), f->names.end()), f->maxDepth, f->ignore,
                    f->minAgeDays, f->requireMarker, QDateTime::currentDateTimeUtc());
}

} // namespace Finder
