#include "services/Finder.h"

#include "platform/FileWalker.h"
#include "platform/NoFollow.h"
#include "platform/Paths.h"
#include "services/Cleaner.h"

#include <QFile>

#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using NoFollow::Fd;

namespace {

struct Search {
    QSet<QByteArray> names;
    int maxDepth = 0;
    QList<QByteArray> ignore;   // expanded entries, and their resolved forms
    QList<QByteArray> markers;
    bool hasCutoff = false;
    qint64 cutoffMs = 0;        // milliseconds since the epoch
    QList<QByteArray> roots;    // the roots being searched, resolved: links may lead within them
    std::vector<std::pair<dev_t, ino_t>> onTheWay; // the folders being walked, root first
    QList<QByteArray> found;
};

bool equalsOrBelow(const QByteArray& path, const QByteArray& folder)
{
    return path == folder || (path.size() > folder.size() && path.startsWith(folder) && path[folder.size()] == '/');
}

bool ignored(const Search& s, const QByteArray& path)
{
    for (const QByteArray& entry : s.ignore) {
        if (!entry.isEmpty() && equalsOrBelow(path, entry))
            return true;
    }
    return false;
}

bool insideRoots(const Search& s, const QByteArray& resolved)
{
    for (const QByteArray& root : s.roots) {
        if (equalsOrBelow(resolved, root))
            return true;
    }
    return false;
}

bool hasMarker(const Search& s, int folderFd)
{
    if (s.markers.isEmpty())
        return true;
    for (const QByteArray& marker : s.markers) {
        struct stat st {};
        if (::fstatat(folderFd, marker.constData(), &st, 0) == 0)
            return true;
    }
    return false;
}

bool oldEnough(const Search& s, const struct stat& own)
{
    if (!s.hasCutoff)
        return true;
#ifdef __APPLE__
    const struct timespec& m = own.st_mtimespec;
#else
    const struct timespec& m = own.st_mtim;
#endif
    const qint64 mtimeMs = qint64(m.tv_sec) * 1000 + m.tv_nsec / 1000000;
    return mtimeMs < s.cutoffMs;
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
        const bool isMatch = s.names.contains(name);
        if (name.startsWith('.') && !isMatch)
            continue;
        struct stat own {};
        if (::fstatat(fd, name.constData(), &own, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const QByteArray child = path + '/' + name;
        QByteArray childResolved = resolved + '/' + name;
        Fd childFd;
        if (S_ISLNK(own.st_mode)) {
            // Only a link that leads to a folder inside the search's roots is taken.
            childResolved = Paths::realPath(child);
            struct stat target {};
            if (childResolved.isEmpty() || !insideRoots(s, childResolved) || ::stat(childResolved.constData(), &target) != 0
                || !S_ISDIR(target.st_mode))
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
            if (hasMarker(s, fd) && oldEnough(s, own) && Cleaner::isSafe(QFile::decodeName(childResolved)))
                s.found.append(child);
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

QList<QByteArray> search(const QStringList& roots, const QSet<QString>& names, int maxDepth,
                         const QStringList& ignore, int minAgeDays, const QStringList& requireMarker,
                         const QDateTime& now)
{
    Search s;
    for (const QString& n : names)
        s.names.insert(QFile::encodeName(n));
    s.maxDepth = maxDepth;
    for (const QString& m : requireMarker)
        s.markers.append(QFile::encodeName(m));
    for (const QString& entry : ignore) {
        const QString expanded = Paths::expandTilde(entry);
        s.ignore.append(QFile::encodeName(expanded));
        // A pinned folder reached through a link of its own path is still the pinned folder.
        if (expanded.startsWith(QLatin1Char('/'))) {
            const QString resolved = Paths::resolveSymlinks(expanded);
            if (resolved != expanded)
                s.ignore.append(QFile::encodeName(resolved));
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
    for (const QByteArray& root : std::as_const(usable)) {
        if (root.isEmpty() || ignored(s, root))
            continue;
        Fd fd = NoFollow::openFolder(root);
        struct stat st {};
        if (!fd || ::fstat(fd.get(), &st) != 0)
            continue;
        s.onTheWay.assign(1, {st.st_dev, st.st_ino});
        walk(s, fd.get(), root, root, 0);
    }
    return s.found;
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
    return search(roots, names, maxDepth, ignore, minAgeDays, requireMarker, now);
}

QList<QByteArray> discoverPaths(const CleanupTarget& target)
{
    const auto* f = std::get_if<CleanupKinds::Finder>(&target.kind);
    if (!f)
        return {};
    return search(f->roots, QSet<QString>(f->names.begin(), f->names.end()), f->maxDepth, f->ignore, f->minAgeDays,
                  f->requireMarker, QDateTime::currentDateTimeUtc());
}

QStringList discover(const QStringList& roots, const QSet<QString>& names, int maxDepth,
                     const QStringList& ignore, int minAgeDays, const QStringList& requireMarker,
                     const QDateTime& now)
{
    QStringList out;
    for (const QByteArray& p : search(roots, names, maxDepth, ignore, minAgeDays, requireMarker, now))
        out.append(QFile::decodeName(p));
    return out;
}

QStringList discover(const CleanupTarget& target)
{
    QStringList out;
    for (const QByteArray& p : discoverPaths(target))
        out.append(QFile::decodeName(p));
    return out;
}

} // namespace Finder
