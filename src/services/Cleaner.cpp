#include "services/Cleaner.h"

#include "platform/Background.h"
#include "platform/FileWalker.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "services/Finder.h"
#include "services/Scanner.h"
#include "services/ShellRunner.h"

#include <QFile>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr double commandTimeoutSeconds = 180;

// Deletes the item at `path` for good, never following a link: a link (or any non-folder) is
// unlinked as itself; a folder is emptied depth-first and then removed. Errors are passed over
// so that as much as possible goes.
void deleteItem(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(p.constData());
        return;
    }
    struct Remover {
        std::string name;
        FileWalker::Visit operator()(const FileWalker::Entry& e)
        {
            if (e.kind == FileWalker::Kind::Folder)
                return FileWalker::Visit::Descend;
            name.assign(e.name);
            ::unlinkat(e.parentFd, name.c_str(), 0);
            return FileWalker::Visit::Skip;
        }
        void leave(const FileWalker::Entry& folder)
        {
            name.assign(folder.name);
            ::unlinkat(folder.parentFd, name.c_str(), AT_REMOVEDIR);
        }
    } remover;
    FileWalker::Options options;
    options.statFiles = false;
    FileWalker::walk(p.toStdString(), options, remover);
    ::rmdir(p.constData());
}

bool existsAt(const QString& path, bool* isFolder = nullptr)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    if (isFolder)
        *isFolder = S_ISDIR(st.st_mode);
    return true;
}

// `path` with the links of the folders leading to it resolved, the last piece kept as it is: the
// item itself is what gets removed, even when it is a link.
QString resolvedParent(const QString& path)
{
    const QString cleaned = Paths::clean(path);
    const qsizetype slash = cleaned.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return cleaned;
    return Paths::clean(Paths::resolveSymlinks(cleaned.left(slash)) + cleaned.mid(slash));
}

// Whether a Trash folder is `path` itself or lies below it.
bool holdsTrash(const QString& path)
{
    const QString cleaned = Paths::clean(path);
    for (const QString& folder : Trash::folders()) {
        for (const QString& f : {Paths::clean(folder), Paths::resolveSymlinks(folder)}) {
            if (f == cleaned || (f.size() > cleaned.size() && f.startsWith(cleaned) && f[cleaned.size()] == QLatin1Char('/')))
                return true;
        }
    }
    return false;
}

std::optional<TrashedItem> remove(const QString& path, bool moveToTrash)
{
    if (moveToTrash) {
        // Moving something that is already in the Trash to the Trash frees nothing.
        if (Trash::isInTrash(path)) {
            deleteItem(path);
            return std::nullopt;
        }
        // A folder holding the Trash cannot be moved into it, and deleting it instead would
        // destroy everything in the Trash, this clearing's own items included: it stays.
        if (holdsTrash(path))
            return std::nullopt;
        if (const auto where = Trash::moveToTrash(path))
            return TrashedItem{path, *where};
        deleteItem(path);
        return std::nullopt;
    }
    deleteItem(path);
    return std::nullopt;
}

std::optional<QString> removeContents(const QString& expandedPath, bool moveToTrash, QList<TrashedItem>& trashed)
{
    const QString resolved = Paths::resolveSymlinks(expandedPath);
    if (!Cleaner::isSafe(resolved))
        return QStringLiteral("Refused (protected): ") + resolved;
    bool isFolder = false;
    if (!existsAt(resolved, &isFolder))
        return std::nullopt;
    if (!isFolder) {
        if (auto item = remove(resolved, moveToTrash))
            trashed.append(*item);
        return std::nullopt;
    }
    QStringList names;
    if (DIR* dir = ::opendir(QFile::encodeName(resolved).constData())) {
        while (dirent* d = ::readdir(dir)) {
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            names.append(QFile::decodeName(n));
        }
        ::closedir(dir);
    }
    for (const QString& name : names) {
        const QString entry = resolved + QLatin1Char('/') + name;
        // A folder that may be emptied can still hold places that must stay (a cache folder
        // holding a protected subtree): those entries are left alone.
        if (!Cleaner::isSafe(entry))
            continue;
        if (auto item = remove(entry, moveToTrash))
            trashed.append(*item);
    }
    return std::nullopt;
}

qint64 sizeOf(const QStringList& paths)
{
    qint64 total = 0;
    for (const QString& p : paths)
        total += Scanner::directorySize(p);
    return total;
}

CleanOutcome cleanPaths(const CleanupKinds::Paths& kind, bool moveToTrash)
{
    CleanOutcome outcome;
    const qint64 before = sizeOf(kind.paths);
    for (const QString& p : kind.paths) {
        const auto error = removeContents(Paths::expandTilde(p), moveToTrash, outcome.trashed);
        if (error && !outcome.error)
            outcome.error = error;
    }
    outcome.freed = qMax<qint64>(0, before - sizeOf(kind.paths));
    return outcome;
}

CleanOutcome cleanCommand(const CleanupKinds::Command& kind, bool moveToTrash)
{
    CleanOutcome outcome;
    const qint64 before = sizeOf(kind.fallbackPaths);
    const ShellResult result = ShellRunner::runLogin(kind.shell, commandTimeoutSeconds);
    if (result.status != 0) {
        for (const QString& p : kind.fallbackPaths)
            removeContents(Paths::expandTilde(p), moveToTrash, outcome.trashed);
        if (result.status != 127) {
            const QString text = result.output.trimmed();
            outcome.error = text.isEmpty() ? QStringLiteral("Command exited with status ") + QString::number(result.status)
                                           : text;
        }
    }
    outcome.freed = qMax<qint64>(0, before - sizeOf(kind.fallbackPaths));
    return outcome;
}

// The size of found folders, counting a found link as nothing (only the link itself is ever
// removed, so what it leads to is not freed) and a folder reached on two ways once.
qint64 sizeOfFound(const QStringList& folders)
{
    qint64 total = 0;
    QSet<QString> counted;
    for (const QString& p : folders) {
        struct stat st {};
        if (::lstat(QFile::encodeName(p).constData(), &st) == 0 && S_ISLNK(st.st_mode))
            continue;
        const QString resolved = Paths::resolveSymlinks(p);
        if (counted.contains(resolved))
            continue;
        counted.insert(resolved);
        total += Scanner::directorySize(p);
    }
    return total;
}

CleanOutcome cleanFinder(const CleanupTarget& target, bool moveToTrash)
{
    CleanOutcome outcome;
    const QStringList folders = Finder::discover(target);
    const qint64 before = sizeOfFound(folders);
    for (const QString& found : folders) {
        // Only a found folder itself is taken; when it is a link, the link goes, not what it
        // leads to. The rule is tested on where it leads as well.
        const QString item = resolvedParent(found);
        if (!Cleaner::isSafe(Paths::resolveSymlinks(found)) || !Cleaner::isSafe(item))
            continue;
        if (auto trashedItem = remove(item, moveToTrash))
            outcome.trashed.append(*trashedItem);
    }
    outcome.freed = qMax<qint64>(0, before - sizeOfFound(Finder::discover(target)));
    return outcome;
}

} // namespace

namespace Cleaner {

std::optional<QString> validateCustom(const QString& path)
{
    const QString resolved = Paths::resolveSymlinks(Paths::expandTilde(path));
    if (!existsAt(resolved))
        return QStringLiteral("Folder doesn't exist.");
    if (isSafe(resolved))
        return std::nullopt;
    return QStringLiteral("That location is protected and can't be cleaned.");
}

QFuture<CleanOutcome> clean(const CleanupTarget& target, bool moveToTrash)
{
    return QtConcurrent::run(&Background::utility(), [target, moveToTrash]() -> CleanOutcome {
        if (const auto* p = std::get_if<CleanupKinds::Paths>(&target.kind))
            return cleanPaths(*p, moveToTrash);
        if (const auto* c = std::get_if<CleanupKinds::Command>(&target.kind))
            return cleanCommand(*c, moveToTrash);
        return cleanFinder(target, moveToTrash);
    });
}

} // namespace Cleaner
