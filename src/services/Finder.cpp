#include "services/Finder.h"

#include "platform/Paths.h"
#include "services/Cleaner.h"

#include <QFile>

#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace {

struct Search {
    QSet<QString> names;
    int maxDepth = 0;
    QStringList ignore;         // expanded entries, and their resolved forms
    QStringList requireMarker;
    bool hasCutoff = false;
    qint64 cutoffMs = 0;        // milliseconds since the epoch
    QStringList found;
};

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

bool hasMarker(const Search& s, const QString& folder)
{
    if (s.requireMarker.isEmpty())
        return true;
    for (const QString& marker : s.requireMarker) {
        if (existsFollowing(folder + QLatin1Char('/') + marker))
            return true;
    }
    return false;
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
        const bool isMatch = s.names.contains(entry.name);
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
        }
        if (ignored(s, child, childResolved))
            continue;
        if (isMatch) {
            if (hasMarker(s, folder) && oldEnough(s, child) && Cleaner::isSafe(childResolved))
                s.found.append(child);
            continue;
        }
        walk(s, child, childResolved, depth + 1);
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
    s.names = names;
    s.maxDepth = maxDepth;
    s.requireMarker = requireMarker;
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
    for (const QString& root : roots) {
        const QString expanded = Paths::expandTilde(root);
        if (!existsFollowing(expanded))
            continue;
        const QString resolved = expanded.startsWith(QLatin1Char('/')) ? Paths::resolveSymlinks(expanded) : expanded;
        if (ignored(s, expanded, resolved))
            continue;
        walk(s, expanded, resolved, 0);
    }
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
