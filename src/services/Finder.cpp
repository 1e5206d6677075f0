#include "services/Finder.h"

#include "platform/FileWalker.h"
#include "platform/NoFollow.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "services/SafetyRule.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using NoFollow::Fd;

namespace {

// What a search looks for: folders named as one of the kinds' names, in a project folder no
// deeper than the kind allows, next to one of the kind's markers.
struct Kind {
    QString id; // the kind's id (the search by name has one kind without an id)
    int maxDepth = 0;
    QList<QByteArray> markers;
    // Markers matched against the names the project folder lists ("*.ext" patterns allowed),
    // rather than tested for existence.
    bool markersByListing = false;
};

struct Hit {
    QByteArray path;
    qsizetype kind = 0;
    std::pair<dev_t, ino_t> folder; // the folder it is (a link: the folder it leads to)
    // How directly the path reaches the folder: 0 with no link on the way, 1 through a linked
    // folder above it, 2 as a link itself.
    int indirection = 0;
    int root = 0; // the index of the root it was found in
};

struct Search {
    QHash<QByteArray, qsizetype> names; // folder name → its kind
    QList<Kind> kinds;
    int maxDepth = 0; // the walk's bound: the deepest project folder any kind allows
    QList<QByteArray> ignore; // expanded entries, and their resolved forms
    bool hasCutoff = false;
    qint64 cutoffMs = 0; // milliseconds since the epoch
    QList<QByteArray> roots; // the roots being searched, resolved: links may lead within them
    std::vector<std::pair<dev_t, ino_t>> onTheWay; // the folders being walked, root first
    int root = 0; // the index of the root being walked
    QList<Hit> found;
};

bool ignored(const Search& s, const QByteArray& path)
{
    for (const QByteArray& entry : s.ignore) {
        if (Paths::equalsOrBelow(path, entry))
            return true;
    }
    return false;
}

bool insideRoots(const Search& s, const QByteArray& resolved)
{
    for (const QByteArray& root : s.roots) {
        if (Paths::equalsOrBelow(resolved, root))
            return true;
    }
    return false;
}

bool hasMarker(const Kind& kind, int folderFd)
{
    if (kind.markers.isEmpty())
        return true;
    if (!kind.markersByListing) {
        for (const QByteArray& marker : kind.markers) {
            struct stat st {};
            if (::fstatat(folderFd, marker.constData(), &st, 0) == 0)
                return true;
        }
        return false;
    }
    // The project folder is listed anew for each candidate; one that can't be listed has no marker.
    FileWalker::Listing listing;
    listing.readAt(folderFd, false);
    for (const QByteArray& marker : kind.markers) {
        const bool pattern = marker.startsWith("*.");
        const std::string_view wanted(marker.constData() + (pattern ? 1 : 0),
                                      size_t(marker.size() - (pattern ? 1 : 0)));
        for (size_t i = 0; i < listing.size(); ++i) {
            const std::string_view name = listing.name(i);
            if (pattern ? name.ends_with(wanted) : name == wanted)
                return true;
        }
    }
    return false;
}

bool oldEnough(const Search& s, const struct stat& own)
{
    if (!s.hasCutoff)
        return true;
    return FileWalker::modifiedMs(own) < s.cutoffMs;
}

bool isOnTheWay(const Search& s, const struct stat& st)
{
    for (const auto& [dev, ino] : s.onTheWay) {
        if (dev == st.st_dev && ino == st.st_ino)
            return true;
    }
    return false;
}

// Walks the folder open at `fd`, whose path as walked is `path` and whose real place is
// `resolved`. Every name is used as raw bytes; entries are reached from `fd`, never by a path,
// except a link, which is followed only when it leads to a folder inside one of the roots.
void walk(Search& s, int fd, const QByteArray& path, const QByteArray& resolved, int depth)
{
    if (depth > s.maxDepth)
        return;
    FileWalker::Listing listing;
    if (!listing.readAt(fd, false))
        return;
    for (size_t i = 0; i < listing.size(); ++i) {
        const QByteArray name(listing.cName(i), qsizetype(listing.name(i).size()));
        const auto kindAt = s.names.constFind(name);
        const bool isMatch = kindAt != s.names.constEnd();
        if (name.startsWith('.') && !isMatch)
            continue;
        struct stat own {};
        if (::fstatat(fd, name.constData(), &own, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const QByteArray child = path + '/' + name;
        QByteArray childResolved = resolved + '/' + name;
        Fd childFd;
        struct stat target = own; // where the entry leads
        if (S_ISLNK(own.st_mode)) {
            // Only a link that leads to a folder inside the search's roots is taken.
            childResolved = Paths::realPath(child);
            if (childResolved.isEmpty() || !insideRoots(s, childResolved)
                || ::stat(childResolved.constData(), &target) != 0 || !S_ISDIR(target.st_mode))
                continue;
            if (!isMatch) {
                childFd = NoFollow::openFolder(childResolved);
                struct stat opened {};
                if (!childFd || ::fstat(childFd.get(), &opened) != 0 || opened.st_dev != target.st_dev
                    || opened.st_ino != target.st_ino)
                    continue;
            }
        } else if (!S_ISDIR(own.st_mode)) {
            continue; // files are never opened
        }
        if (ignored(s, child) || ignored(s, childResolved))
            continue;
        if (isMatch) {
            const Kind& kind = s.kinds[*kindAt];
            if (kind.maxDepth >= depth && hasMarker(kind, fd) && oldEnough(s, own)
                && Cleaner::isSafe(QFile::decodeName(childResolved))) {
                const int indirection = S_ISLNK(own.st_mode) ? 2 : child == childResolved ? 0 : 1;
                s.found.append(Hit{child, *kindAt, {target.st_dev, target.st_ino}, indirection, s.root});
            }
            continue;
        }
        if (!childFd)
            childFd = Fd(::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat here {};
        if (!childFd || ::fstat(childFd.get(), &here) != 0 || isOnTheWay(s, here))
            continue; // a link back up the way would go round in circles
        s.onTheWay.emplace_back(here.st_dev, here.st_ino);
        walk(s, childFd.get(), child, childResolved, depth + 1);
        s.onTheWay.pop_back();
    }
}

// Searches `roots` for what `s` describes (its kinds, names and bound already set).
void search(Search& s, const QStringList& roots, const QStringList& ignore, int minAgeDays, const QDateTime& now)
{
    for (const QString& entry : ignore) {
        const QString expanded = Paths::expandTilde(entry);
        // An entry is a path as the search reports it: a name that is not UTF-8 is kept as its key.
        s.ignore.append(RawPath::fromKey(expanded));
        // A pinned folder reached through a link of its own path is still the pinned folder.
        if (expanded.startsWith(QLatin1Char('/'))) {
            const QString resolved = Paths::resolveSymlinks(expanded);
            if (resolved != expanded)
                s.ignore.append(RawPath::fromKey(resolved));
        }
    }
    if (minAgeDays >= 1) {
        s.hasCutoff = true;
        s.cutoffMs = now.toMSecsSinceEpoch() - qint64(minAgeDays) * 86400 * 1000;
    }
    // A root is searched only where it really is: one reached through a link is no root of ours.
    QList<QByteArray> usable;
    for (const QString& root : roots) {
        const std::optional<QString> location = Finder::rootLocation(root);
        usable.append(location ? QFile::encodeName(*location) : QByteArray());
        if (location)
            s.roots.append(usable.last());
    }
    for (qsizetype i = 0; i < usable.size(); ++i) {
        const QByteArray& root = usable[i];
        s.root = int(i);
        if (root.isEmpty() || ignored(s, root))
            continue;
        Fd fd = NoFollow::openFolder(root);
        struct stat st {};
        if (!fd || ::fstat(fd.get(), &st) != 0)
            continue;
        s.onTheWay.assign(1, {st.st_dev, st.st_ino});
        walk(s, fd.get(), root, root, 0);
    }
}

// The search by name: one kind without an id.
QList<QByteArray> searchByName(const QStringList& roots, const QSet<QString>& names, int maxDepth,
                               const QStringList& ignore, int minAgeDays, const QStringList& requireMarker,
                               const QDateTime& now)
{
    Search s;
    Kind kind;
    kind.maxDepth = maxDepth;
    for (const QString& m : requireMarker)
        kind.markers.append(QFile::encodeName(m));
    s.kinds.append(kind);
    for (const QString& n : names)
        s.names.insert(QFile::encodeName(n), 0);
    s.maxDepth = maxDepth;
    search(s, roots, ignore, minAgeDays, now);
    QList<QByteArray> found;
    for (const Hit& hit : std::as_const(s.found))
        found.append(hit.path);
    return found;
}

// Each build folder once, however many ways lead to it, in the order found: within a root the
// most direct of its paths (one without a link on the way before one through a linked folder,
// the folder itself before a link to it); a link is kept only when the folder it leads to is
// listed nowhere as itself, since moving the link frees nothing of it. Roots that overlap each
// list the folders they share.
QList<Hit> onceEach(const QList<Hit>& found)
{
    std::map<std::pair<int, std::pair<dev_t, ino_t>>, qsizetype> best; // (root, folder) → hit
    std::set<std::pair<dev_t, ino_t>> listedAsItself;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const Hit& hit = found[i];
        if (hit.indirection < 2)
            listedAsItself.insert(hit.folder);
        const auto [at, added] = best.try_emplace({hit.root, hit.folder}, i);
        if (!added && hit.indirection < found[at->second].indirection)
            at->second = i;
    }
    std::vector<qsizetype> chosen;
    chosen.reserve(best.size());
    for (const auto& [key, i] : best)
        chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    QList<Hit> out;
    std::set<std::pair<dev_t, ino_t>> linksKept;
    for (const qsizetype i : chosen) {
        const Hit& hit = found[i];
        if (hit.indirection == 2 && (listedAsItself.count(hit.folder) || !linksKept.insert(hit.folder).second))
            continue;
        out.append(hit);
    }
    return out;
}

} // namespace

namespace Finder {

bool isIgnored(const QString& path, const QStringList& ignore)
{
    for (const QString& entry : ignore) {
        if (Paths::equalsOrBelow(path, entry))
            return true;
    }
    return false;
}

QString chosenRoot(const QString& root)
{
    const QString expanded = Paths::expandTilde(root);
    if (!expanded.startsWith(QLatin1Char('/')))
        return expanded;
    const QString resolved = Paths::resolveSymlinks(Paths::clean(expanded));
    struct stat st {};
    if (::stat(QFile::encodeName(resolved).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Paths::clean(expanded);
    return resolved;
}

bool isMissingRoot(const QString& root)
{
    struct stat st {};
    return ::stat(QFile::encodeName(Paths::expandTilde(root)).constData(), &st) != 0 || !S_ISDIR(st.st_mode);
}

std::optional<QString> rootLocation(const QString& root)
{
    const QString expanded = Paths::expandTilde(root);
    if (!expanded.startsWith(QLatin1Char('/')))
        return std::nullopt;
    const QString cleaned = Paths::clean(expanded);
    struct stat st {};
    if (::lstat(QFile::encodeName(cleaned).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    if (Paths::resolveSymlinks(expanded) != cleaned)
        return std::nullopt;
    return cleaned;
}

QList<QByteArray> discoverPaths(const QStringList& roots, const QSet<QString>& names, int maxDepth,
                                const QStringList& ignore, int minAgeDays, const QStringList& requireMarker,
                                const QDateTime& now)
{
    return searchByName(roots, names, maxDepth, ignore, minAgeDays, requireMarker, now);
}

QList<QByteArray> discoverPaths(const CleanupTarget& target)
{
    const auto* f = std::get_if<CleanupKinds::Finder>(&target.kind);
    if (!f)
        return {};
    return searchByName(f->roots, QSet<QString>(f->names.begin(), f->names.end()), f->maxDepth, f->ignore,
                        f->minAgeDays, f->requireMarker, QDateTime::currentDateTimeUtc());
}

QStringList discover(const QStringList& roots, const QSet<QString>& names, int maxDepth, const QStringList& ignore,
                     int minAgeDays, const QStringList& requireMarker, const QDateTime& now)
{
    QStringList out;
    for (const QByteArray& p : searchByName(roots, names, maxDepth, ignore, minAgeDays, requireMarker, now))
        out.append(QFile::decodeName(p));
    return out;
}

QList<TypedHit> discoverByType(const QStringList& roots, const QList<BuildArtifactType>& types,
                               const QStringList& ignore, int minAgeDays, const QDateTime& now)
{
    if (types.isEmpty())
        return {};
    Search s;
    for (const BuildArtifactType& type : types) {
        Kind kind{type.id, type.maxDepth, {}, true};
        for (const QString& m : type.markers)
            kind.markers.append(QFile::encodeName(m));
        // A name two kinds share belongs to the later one.
        for (const QString& name : type.names)
            s.names.insert(QFile::encodeName(name), s.kinds.size());
        s.kinds.append(kind);
        s.maxDepth = std::max(s.maxDepth, type.maxDepth);
    }
    search(s, roots, ignore, minAgeDays, now);
    QList<TypedHit> hits;
    for (const Hit& hit : onceEach(s.found))
        hits.append(TypedHit{hit.path, s.kinds[hit.kind].id});
    return hits;
}

QStringList discover(const CleanupTarget& target)
{
    QStringList out;
    for (const QByteArray& p : discoverPaths(target))
        out.append(QFile::decodeName(p));
    return out;
}

} // namespace Finder
