#include "services/Scanner.h"

#include "platform/Background.h"
#include "platform/FileWalker.h"
#include "platform/Paths.h"
#include "services/Cleaner.h"
#include "services/Finder.h"

#include <QFile>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <string_view>
#include <utility>

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

// Whether the walk has reached an entry of the folder it measures that is left to another target.
bool isKept(const FileWalker::Entry& e, const QList<QByteArray>* keep)
{
    if (!keep || e.depth != 1)
        return false;
    return std::any_of(keep->begin(), keep->end(),
                       [&](const QByteArray& k) { return std::string_view(k.constData(), size_t(k.size())) == e.path; });
}

struct SizeVisitor {
    const Scanner::Progress& onProgress;
    const QList<QByteArray>* keep = nullptr;
    qint64 bytes = 0;
    qint64 files = 0;

    FileWalker::Visit operator()(const FileWalker::Entry& e)
    {
        if (isKept(e, keep))
            return FileWalker::Visit::Skip;
        if (e.kind == FileWalker::Kind::File) {
            bytes += e.allocated();
            if (++files % progressEvery == 0 && onProgress)
                onProgress(bytes);
        }
        return FileWalker::Visit::Descend;
    }
};

// Counts a regular file's blocks as given back only once the last of its links has been met.
struct FreeableCounter {
    const QList<QByteArray>* keep = nullptr;
    qint64 bytes = 0;
    std::map<std::pair<dev_t, ino_t>, nlink_t> linksSeen;

    void count(const struct stat& st)
    {
        if (!S_ISREG(st.st_mode))
            return;
        if (st.st_nlink > 1 && ++linksSeen[{st.st_dev, st.st_ino}] != st.st_nlink)
            return;
        bytes += qint64(st.st_blocks) * 512;
    }
    FileWalker::Visit operator()(const FileWalker::Entry& e)
    {
        if (isKept(e, keep))
            return FileWalker::Visit::Skip;
        if (e.kind == FileWalker::Kind::File && e.hasStat)
            count(e.st);
        return FileWalker::Visit::Descend;
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
    SizeVisitor visitor{onProgress, keep};
    if (!FileWalker::walk(root, walkOptions(), visitor))
        return 0;
    return visitor.bytes;
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
    FreeableCounter counter;
    counter.keep = &keep;
    for (const QByteArray& p : paths) {
        struct stat st {};
        if (p.contains('\0') || ::lstat(p.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            FileWalker::walk(p.toStdString(), walkOptions(), counter);
        else
            counter.count(st);
    }
    return counter.bytes;
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
        for (const QString& p : Cleaner::places(pattern, target.isBuiltIn)) {
            if (const std::optional<QString> where = Cleaner::location(p, target.isBuiltIn))
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
        QList<QByteArray> paths;
        if (std::holds_alternative<CleanupKinds::Finder>(target.kind)) {
            paths = foundFolders(target);
            if (paths.isEmpty())
                return {};
        } else {
            const auto* c = std::get_if<CleanupKinds::Command>(&target.kind);
            const auto* p = std::get_if<CleanupKinds::Paths>(&target.kind);
            if ((c && c->fallbackPaths.isEmpty()) || (p && p->paths.isEmpty()))
                return {};
            paths = locations(target); // a place refused for a link measures nothing
        }
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
        return Measurement{total, places};
    });
}

QFuture<std::optional<qint64>> size(const CleanupTarget& target, Progress onProgress)
{
    return measure(target, std::move(onProgress)).then([](const Measurement& m) { return m.size; });
}

} // namespace Scanner
