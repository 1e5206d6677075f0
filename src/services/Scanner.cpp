#include "services/Scanner.h"

#include "platform/Background.h"
#include "platform/FileWalker.h"
#include "platform/Paths.h"
#include "services/Finder.h"

#include <QFile>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <climits>
#include <cstdlib>

#include <sys/stat.h>

namespace {

constexpr qint64 progressEvery = 1500;

struct SizeVisitor {
    const Scanner::Progress& onProgress;
    qint64 bytes = 0;
    qint64 files = 0;

    FileWalker::Visit operator()(const FileWalker::Entry& e)
    {
        if (e.kind == FileWalker::Kind::File) {
            bytes += e.allocated();
            if (++files % progressEvery == 0 && onProgress)
                onProgress(bytes);
        }
        return FileWalker::Visit::Descend;
    }
};

QStringList pathsOf(const CleanupTarget& target)
{
    if (const auto* p = std::get_if<CleanupKinds::Paths>(&target.kind))
        return p->paths;
    if (const auto* c = std::get_if<CleanupKinds::Command>(&target.kind))
        return c->fallbackPaths;
    return Finder::discover(target);
}

} // namespace

namespace Scanner {

qint64 directorySize(const QString& path, const Progress& onProgress)
{
    const QByteArray expanded = QFile::encodeName(Paths::expandTilde(path));
    if (expanded.isEmpty())
        return 0;
    struct stat st {};
    if (::lstat(expanded.constData(), &st) != 0)
        return 0;
    std::string root = expanded.toStdString();
    if (S_ISLNK(st.st_mode)) {
        // The path itself names a link: measure what it leads to, as the cleaner empties that.
        // Links met further down are never followed.
        struct stat target {};
        if (::stat(expanded.constData(), &target) != 0)
            return 0; // a dangling link leads nowhere
        if (!S_ISDIR(target.st_mode))
            return qint64(target.st_blocks) * 512;
        char buf[PATH_MAX];
        if (!::realpath(expanded.constData(), buf))
            return 0;
        root = buf;
    } else if (!S_ISDIR(st.st_mode)) {
        return qint64(st.st_blocks) * 512;
    }
    SizeVisitor visitor{onProgress};
    FileWalker::Options options;
    options.statFiles = true;
    if (!FileWalker::walk(root, options, visitor))
        return 0;
    return visitor.bytes;
}

QFuture<Measurement> measure(const CleanupTarget& target, Progress onProgress)
{
    return QtConcurrent::run(&Background::utility(), [target, onProgress]() -> Measurement {
        const QStringList paths = pathsOf(target);
        if (paths.isEmpty())
            return {};
        // A found build folder that is a link is cleared as the link alone: what it leads to
        // is not the target's to free. A folder the search reached on two ways counts once.
        const bool found = std::holds_alternative<CleanupKinds::Finder>(target.kind);
        QSet<QString> seen;
        qint64 total = 0;
        QList<MeasuredPlace> places;
        for (const QString& p : paths) {
            if (found) {
                struct stat st {};
                if (::lstat(QFile::encodeName(p).constData(), &st) == 0 && S_ISLNK(st.st_mode))
                    continue;
                const QString resolved = Paths::resolveSymlinks(p);
                if (seen.contains(resolved))
                    continue;
                seen.insert(resolved);
            }
            Progress inner;
            if (onProgress)
                inner = [&total, &onProgress](qint64 counted) { onProgress(total + counted); };
            const qint64 bytes = directorySize(p, inner);
            places.append(MeasuredPlace{Paths::resolveSymlinks(Paths::expandTilde(p)), bytes});
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
