#include "services/Scanner.h"

#include "platform/Background.h"
#include "platform/FileWalker.h"
#include "platform/Logging.h"
#include "platform/Paths.h"
#include "platform/WalkPool.h"
#include "services/Finder.h"
#include "services/TargetLocations.h"

#include <QFile>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>

#include <sys/stat.h>

namespace {

constexpr qint64 progressEvery = 1500;

FileWalker::Options walkOptions()
{
    FileWalker::Options options;
    options.statFiles = true;
    options.oneFileSystem = true;
    return options;
}

using SizeWalk = FileWalker::FolderWalk<char>; // folders carry nothing of their own

// The running totals of one walk. Each folder adds its files at once; the totals at every 1,500th
// file wait in `due` until the walk's own thread reports them.
struct Totals {
    std::mutex lock;
    qint64 bytes = 0;
    qint64 files = 0;
    std::vector<qint64> due;

    // True when a report is due.
    bool add(qint64 folderFiles, qint64 folderBytes)
    {
        std::lock_guard g(lock);
        const qint64 before = files;
        files += folderFiles;
        bytes += folderBytes;
        for (qint64 step = before / progressEvery + 1; step * progressEvery <= files; ++step)
            due.push_back(bytes);
        return !due.empty();
    }
};

// Whether `name` in the root folder at `root` is an entry left to another target (raw absolute paths
// in `keep`).
bool isKept(std::string_view root, std::string_view name, const QList<QByteArray>* keep)
{
    if (!keep || keep->isEmpty())
        return false;
    const std::string path = FileWalker::detail::childPath(root, name);
    return std::any_of(keep->begin(), keep->end(),
                       [&](const QByteArray& k) { return std::string_view(k.constData(), size_t(k.size())) == path; });
}

// Walks the tree at `root` on the walking pool and adds up `bytesOf(stat)` over its regular files
// (any thread; links are not followed, the walk stays on the root's file system), leaving out the
// root's entries listed in `keep`. The calling thread reports the running total to `onProgress`
// once for every 1,500 files counted. False when the root cannot be listed.
template <typename BytesOf>
bool sumFiles(const std::string& root, BytesOf&& bytesOf, const Scanner::Progress& onProgress,
              const QList<QByteArray>* keep, qint64& result)
{
    Totals totals;
    SizeWalk walk(walkOptions(), &WalkPool::shared());
    auto eachFolder = [&](SizeWalk::Visit& folder) {
        if (!folder.listed)
            return;
        const FileWalker::Listing& listing = *folder.listing;
        const bool mayKeep = folder.depth == 0 && keep && !keep->isEmpty();
        qint64 folderBytes = 0;
        qint64 folderFiles = 0;
        for (size_t i = 0; i < listing.size(); ++i) {
            if (mayKeep && isKept(folder.path, listing.name(i), keep))
                continue;
            const unsigned char type = listing.type(i);
            if (type == DT_DIR) {
                folder.enter(i, 0);
                continue;
            }
            if (type != DT_REG && type != DT_UNKNOWN)
                continue;
            struct stat st {};
            if (::fstatat(folder.fd, listing.cName(i), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (S_ISREG(st.st_mode)) {
                ++folderFiles;
                folderBytes += bytesOf(st);
            } else if (S_ISDIR(st.st_mode)) {
                folder.enter(i, 0);
            }
        }
        if (folderFiles > 0 && totals.add(folderFiles, folderBytes) && onProgress)
            walk.wake();
    };
    std::vector<qint64> due;
    const auto report = [&] {
        {
            std::lock_guard g(totals.lock);
            due.swap(totals.due);
        }
        if (onProgress) {
            for (const qint64 bytes : due)
                onProgress(bytes);
        }
        due.clear();
    };
    if (!walk.run(root, 0, eachFolder, report))
        return false;
    report();
    result = totals.bytes;
    return true;
}

// Counts a regular file's blocks as given back only once the last of its links has been met.
struct FreeableLinks {
    std::mutex lock;
    std::map<std::pair<dev_t, ino_t>, nlink_t> linksSeen;

    qint64 bytesOf(const struct stat& st)
    {
        if (st.st_nlink > 1) {
            std::lock_guard g(lock);
            if (++linksSeen[{st.st_dev, st.st_ino}] != st.st_nlink)
                return 0;
        }
        return qint64(st.st_blocks) * 512;
    }
};

// The folders a search found, each once (a folder reached on two ways counts once) and without
// found links: only a link itself is ever removed, so what it leads to is not the target's.
QList<QByteArray> foundFolders(const CleanupTarget& target)
{
    QList<QByteArray> out;
    QSet<QByteArray> seen;
    for (const QByteArray& p : Finder::discoverPaths(target)) {
        struct stat st {};
        if (::lstat(p.constData(), &st) != 0 || S_ISLNK(st.st_mode))
            continue;
        const QByteArray resolved = Paths::realPath(p);
        if (resolved.isEmpty() || seen.contains(resolved))
            continue;
        seen.insert(resolved);
        out.append(resolved);
    }
    return out;
}

// The allocated size of the tree at `path` without the entries in `keep`.
qint64 treeSize(const QByteArray& path, const Scanner::Progress& onProgress, const QList<QByteArray>* keep)
{
    if (path.isEmpty() || path.contains('\0'))
        return 0;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return 0;
    std::string root = path.toStdString();
    if (S_ISLNK(st.st_mode)) {
        // The path itself names a link: measure what it leads to. Links met further down are
        // never followed.
        struct stat target {};
        if (::stat(path.constData(), &target) != 0)
            return 0; // a dangling link leads nowhere
        if (!S_ISDIR(target.st_mode))
            return qint64(target.st_blocks) * 512;
        const QByteArray resolved = Paths::realPath(path);
        if (resolved.isEmpty())
            return 0;
        root = resolved.toStdString();
    } else if (!S_ISDIR(st.st_mode)) {
        return qint64(st.st_blocks) * 512;
    }
    // A file with several links counts once, by the first of its links the walk meets.
    FileWalker::LinkSet links;
    qint64 bytes = 0;
    sumFiles(
        root, [&](const struct stat& file) { return links.firstSight(file) ? qint64(file.st_blocks) * 512 : 0; },
        onProgress, keep, bytes);
    return bytes;
}

} // namespace

namespace Scanner {

qint64 directorySize(const QByteArray& path, const Progress& onProgress) { return treeSize(path, onProgress, nullptr); }

qint64 directorySize(const QString& path, const Progress& onProgress)
{
    return directorySize(QFile::encodeName(Paths::expandTilde(path)), onProgress);
}

qint64 freeableSize(const QList<QByteArray>& paths, const QList<QByteArray>& keep)
{
    FreeableLinks links;
    const auto bytesOf = [&](const struct stat& st) { return links.bytesOf(st); };
    qint64 total = 0;
    for (const QByteArray& p : paths) {
        struct stat st {};
        if (p.contains('\0') || ::lstat(p.constData(), &st) != 0)
            continue;
        qint64 bytes = 0;
        if (S_ISDIR(st.st_mode))
            sumFiles(p.toStdString(), bytesOf, {}, &keep, bytes);
        else if (S_ISREG(st.st_mode))
            bytes = bytesOf(st);
        total += bytes;
    }
    return total;
}

QList<QByteArray> locations(const CleanupTarget& target)
{
    if (std::holds_alternative<CleanupKinds::Finder>(target.kind))
        return foundFolders(target);
    QStringList paths;
    if (const auto* p = std::get_if<CleanupKinds::Paths>(&target.kind))
        paths = p->paths;
    else if (const auto* c = std::get_if<CleanupKinds::Command>(&target.kind))
        paths = c->fallbackPaths;
    QList<QByteArray> out;
    for (const QString& pattern : std::as_const(paths)) {
        for (const QString& p : TargetLocations::places(pattern, target.isBuiltIn)) {
            if (const std::optional<QString> where = TargetLocations::location(p, target.isBuiltIn))
                out.append(QFile::encodeName(*where));
        }
    }
    return out;
}

QList<QByteArray> keptEntries(const CleanupTarget& target)
{
    QList<QByteArray> out;
    if (const auto* p = std::get_if<CleanupKinds::Paths>(&target.kind)) {
        for (const QString& k : p->keep)
            out.append(QFile::encodeName(Paths::clean(Paths::expandTilde(k))));
    }
    return out;
}

QFuture<Measurement> measure(const CleanupTarget& target, Progress onProgress)
{
    return QtConcurrent::run(&Background::utility(), [target, onProgress]() -> Measurement {
        const auto* command = std::get_if<CleanupKinds::Command>(&target.kind);
        const auto* listed = std::get_if<CleanupKinds::Paths>(&target.kind);
        if ((command && command->fallbackPaths.isEmpty()) || (listed && listed->paths.isEmpty()))
            return {};
        const QList<QByteArray> paths = locations(target); // a place refused for a link measures nothing
        // A search that finds nothing has no size (nothing is there to clear).
        if (paths.isEmpty() && std::holds_alternative<CleanupKinds::Finder>(target.kind))
            return {};
        const QList<QByteArray> keep = keptEntries(target);
        qint64 total = 0;
        QList<MeasuredPlace> places;
        for (const QByteArray& p : std::as_const(paths)) {
            Progress inner;
            if (onProgress)
                inner = [&total, &onProgress](qint64 counted) { onProgress(total + counted); };
            const qint64 bytes = treeSize(p, inner, keep.isEmpty() ? nullptr : &keep);
            places.append(MeasuredPlace{QFile::decodeName(p), bytes});
            total += bytes;
            if (onProgress)
                onProgress(total);
        }
        qCDebug(lcScan) << target.id << "measured" << total << "bytes in" << places.size() << "places";
        return Measurement{total, places};
    });
}

QFuture<std::optional<qint64>> size(const CleanupTarget& target, Progress onProgress)
{
    return measure(target, std::move(onProgress)).then([](const Measurement& m) { return m.size; });
}

} // namespace Scanner
