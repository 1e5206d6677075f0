#include "services/Cleaner.h"

#include "platform/Background.h"
#include "platform/FileWalker.h"
#include "platform/Logging.h"
#include "platform/NoFollow.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "platform/Trash.h"
#include "platform/Volume.h"
#include "services/Finder.h"
#include "services/Scanner.h"
#include "services/ShellRunner.h"
#include "services/TargetLocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using NoFollow::Fd;

namespace {

constexpr double commandTimeoutSeconds = 180;

QString refusedLink(const QString& path) { return QStringLiteral("Refused (link): ") + path; }
QString refusedProtected(const QString& path) { return QStringLiteral("Refused (protected): ") + path; }
QString notTrashed(const QString& path) { return QStringLiteral("Not moved to the Trash: ") + path; }
QString notRemoved(const QString& path) { return QStringLiteral("Couldn't remove ") + path; }
// A clearing for good that left `count` entries of `location` where they were.
QString notRemoved(qsizetype count, const QByteArray& location)
{
    const QString where = Paths::abbreviateHome(QFile::decodeName(location));
    return count == 1
        ? QCoreApplication::translate("Cleaner", "Couldn't remove 1 item in %1").arg(where)
        : QCoreApplication::translate("Cleaner", "Couldn't remove %1 items in %2").arg(QString::number(count), where);
}

QByteArray join(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool sameItem(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Empties a folder tree for good from its open descriptor, depth-first, by raw names relative to
// each folder's descriptor; never follows a link (a link is unlinked as itself) and never enters
// another file system (a volume mounted inside stays, with the folders leading to it).
struct Remover {
    std::string name;
    FileWalker::Visit operator()(const FileWalker::Entry& e)
    {
        if (e.kind == FileWalker::Kind::Folder)
            return FileWalker::Visit::Descend;
        name.assign(e.name);
        if (::unlinkat(e.parentFd, name.c_str(), 0) != 0 && errno != ENOENT)
            qCInfo(lcClean).noquote() << Logging::callFailed("unlinkat", QByteArray::fromStdString(name));
        return FileWalker::Visit::Skip;
    }
    void leave(const FileWalker::Entry& folder)
    {
        name.assign(folder.name);
        if (::unlinkat(folder.parentFd, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT)
            qCInfo(lcClean).noquote() << Logging::callFailed("unlinkat(AT_REMOVEDIR)", QByteArray::fromStdString(name));
    }
};

// One clearing, to the Trash or for good. Every removal and move happens relative to a folder
// descriptor that was opened without following a link and checked to be the folder that passed
// the rule; names are raw bytes throughout. The first error is kept for the caller.
class Clearing {
public:
    // `left`: entries of the emptied folders that belong to other targets and stay.
    Clearing(bool toTrash, QList<TrashedItem>& trashed, ClearingLog* log, QList<QByteArray> left = {})
        : m_toTrash(toTrash), m_trashed(trashed), m_log(log), m_left(std::move(left))
    {
    }

    bool stopped() const { return m_log && m_log->isStopped(); }

    std::optional<QString> error;

    // Empties the folder at `location` (resolved, passed the rule), or removes it when it is no
    // folder. `builtIn`: the place was not chosen by the user, so a link found there is refused.
    void emptyLocation(const QString& location, bool builtIn)
    {
        const QByteArray path = QFile::encodeName(location);
        if (!NoFollow::isPlainAbsolute(path))
            return; // a path through a missing folder ("x/../..") names nothing
        keepAround(path, Trash::foldersNear(path));
        QByteArray name;
        errno = 0;
        const Fd parent = NoFollow::openParent(path, &name);
        if (!parent) {
            if (errno == ELOOP || errno == ENOTDIR)
                fail(refusedLink(location)); // a piece on the way was swapped for a link
            return;
        }
        struct stat st {};
        if (::fstatat(parent.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return; // nothing there
        if (S_ISLNK(st.st_mode)) {
            struct stat target {};
            // A dangling link at a custom folder is a folder that does not exist; any other link
            // here was not chosen by anyone.
            if (builtIn || ::stat(path.constData(), &target) == 0)
                fail(refusedLink(location));
            return;
        }
        m_notRemoved = 0;
        if (!S_ISDIR(st.st_mode)) {
            removeEntry(parent.get(), parentPathOf(path), name);
            reportNotRemoved(parentPathOf(path));
            return;
        }
        const Fd folder(::openat(parent.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened {};
        if (!folder || ::fstat(folder.get(), &opened) != 0 || !sameItem(opened, st))
            return; // not the folder that was looked at: leave it
        emptyFolder(folder.get(), path, opened.st_dev);
        reportNotRemoved(path);
    }

    // Removes the one item `name` of the folder open at `dirFd` (whose path is `dirPath`): moved
    // to the Trash, or deleted for good when it lies in the Trash already or the clearing is
    // permanent. `keep` lists Trash folders to leave alone.
    void removeItem(int dirFd, const QByteArray& dirPath, const QByteArray& name, const QList<QByteArray>& trash)
    {
        keepAround(dirPath, trash);
        const QByteArray entry = join(dirPath, name);
        for (const QByteArray& k : std::as_const(m_keep)) {
            if (Paths::equalsOrBelow(k, entry))
                return; // it is, or holds, the Trash or another volume: not the search's to take
        }
        m_notRemoved = 0;
        removeEntry(dirFd, dirPath, name);
        reportNotRemoved(dirPath);
    }

private:
    static QByteArray parentPathOf(const QByteArray& path)
    {
        const qsizetype slash = path.lastIndexOf('/');
        return slash <= 0 ? QByteArray("/") : path.left(slash);
    }

    void fail(const QString& message)
    {
        qCInfo(lcClean).noquote() << message;
        if (!error)
            error = message;
    }
    // Entries that a clearing for good left in `location` are a failure, not a success.
    void reportNotRemoved(const QByteArray& location)
    {
        if (m_notRemoved > 0)
            fail(notRemoved(m_notRemoved, location));
    }

    // What a clearing below `folder` leaves alone: the Trash folders, and the volumes mounted
    // inside (one file system at a time). Moving a folder that holds one would carry it along.
    void keepAround(const QByteArray& folder, const QList<QByteArray>& trash)
    {
        m_trash = trash;
        m_keep = trash + Volume::mountPointsBelow(folder) + m_left;
    }
    bool isKept(const QByteArray& path) const { return m_keep.contains(path); }
    bool holdsKept(const QByteArray& path) const
    {
        for (const QByteArray& k : m_keep) {
            if (Paths::isBelow(k, path))
                return true;
        }
        return false;
    }
    bool inTrash(const QByteArray& path) const
    {
        for (const QByteArray& t : m_trash) {
            if (Paths::isBelow(path, t))
                return true;
        }
        return false;
    }

    // The entries of the folder open at `fd`, each removed; a Trash folder or a mounted volume
    // stays, a folder holding one is emptied around it, and protected places inside stay.
    void emptyFolder(int fd, const QByteArray& path, dev_t dev)
    {
        FileWalker::Listing listing;
        if (!listing.readAt(fd, false))
            return;
        for (size_t i = 0; i < listing.size() && !stopped(); ++i) {
            const QByteArray name(listing.cName(i), qsizetype(listing.name(i).size()));
            const QByteArray entry = join(path, name);
            if (isKept(entry))
                continue; // only the Trash target empties the Trash; another volume is not ours
            // A folder that may be emptied can still hold places that must stay (a cache folder
            // holding a protected subtree): those entries are left alone.
            if (!Cleaner::isSafe(QFile::decodeName(entry)))
                continue;
            if (holdsKept(entry)) {
                struct stat st {};
                const Fd child(::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
                if (child && ::fstat(child.get(), &st) == 0 && st.st_dev == dev)
                    emptyFolder(child.get(), entry, dev);
                continue;
            }
            removeEntry(fd, path, name, dev);
        }
    }

    void removeEntry(int dirFd, const QByteArray& dirPath, const QByteArray& name, dev_t dirDev = 0)
    {
        struct stat st {};
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return; // gone meanwhile
        if (dirDev == 0) {
            struct stat dir {};
            if (::fstat(dirFd, &dir) != 0)
                return;
            dirDev = dir.st_dev;
        }
        if (S_ISDIR(st.st_mode) && st.st_dev != dirDev)
            return; // a volume mounted here is not the cleared folder's to clear
        const QByteArray entry = join(dirPath, name);
        if (!m_toTrash || inTrash(entry)) {
            // Moving what is in the Trash already to the Trash would free nothing.
            deleteEntry(dirFd, name, st);
            return;
        }
        const QString original = QFile::decodeName(entry);
        // The owner hears of the item before it moves, so that no crash leaves it in the Trash
        // without a record of where it came from.
        const auto announce = [this, &original](const QString& where) {
            return !m_log || m_log->announce(TrashedItem{original, where});
        };
        if (const std::optional<QString> where = Trash::moveToTrashAt(dirFd, dirPath, name, announce)) {
            m_trashed.append(TrashedItem{original, *where});
            if (m_log)
                m_log->moved(m_trashed.last());
        } else {
            fail(notTrashed(original)); // it stays: nothing is deleted instead
        }
    }

    // Deletes `name` of the folder open at `dirFd` for good; `st` is its lstat. One that stays
    // (in part) is counted.
    void deleteEntry(int dirFd, const QByteArray& name, const struct stat& st)
    {
        if (!S_ISDIR(st.st_mode)) {
            if (::unlinkat(dirFd, name.constData(), 0) != 0 && errno != ENOENT) {
                qCInfo(lcClean).noquote() << Logging::callFailed("unlinkat", name);
                ++m_notRemoved;
            }
            return;
        }
        const Fd folder(::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened {};
        if (!folder || ::fstat(folder.get(), &opened) != 0) {
            if (errno != ENOENT)
                ++m_notRemoved;
            return;
        }
        if (!sameItem(opened, st))
            return; // not the folder that was looked at: leave it
        FileWalker::Options options;
        options.statFiles = false;
        options.oneFileSystem = true;
        Remover remover;
        FileWalker::walkAt(folder.get(), name.toStdString(), options, remover);
        if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            qCInfo(lcClean).noquote() << Logging::callFailed("unlinkat(AT_REMOVEDIR)", name);
            ++m_notRemoved;
        }
    }

    bool m_toTrash;
    QList<TrashedItem>& m_trashed;
    ClearingLog* m_log;
    qsizetype m_notRemoved = 0; // entries of the location being cleared that stayed
    QList<QByteArray> m_trash;
    QList<QByteArray> m_keep;
    QList<QByteArray> m_left;
};

// Clears the locations of a `paths` or `command` target, leaving the entries in `left` alone;
// returns the first error.
std::optional<QString> clearLocations(const QStringList& paths, const QList<QByteArray>& left, bool builtIn,
                                      bool moveToTrash, QList<TrashedItem>& trashed, ClearingLog* log)
{
    std::optional<QString> first;
    for (const QString& pattern : paths) {
        for (const QString& p : TargetLocations::places(pattern, builtIn)) {
            if (log && log->isStopped())
                return first;
            const std::optional<QString> where = TargetLocations::location(p, builtIn);
            std::optional<QString> error;
            if (!where) {
                error = refusedLink(Paths::clean(Paths::expandTilde(p)));
                qCInfo(lcClean).noquote() << *error;
            } else if (const QByteArray raw = QFile::encodeName(*where); Trash::partOf(raw) != Trash::Part::none) {
                // The Trash is emptied by its own rules, whole items and their records together;
                // what stays is named.
                const QList<QByteArray> stayed = Trash::emptyPart(raw);
                if (!stayed.isEmpty()) {
                    error = notRemoved(QFile::decodeName(stayed.first()));
                    qCInfo(lcClean).noquote() << *error;
                }
            } else if (!Cleaner::isSafe(*where)) {
                error = refusedProtected(*where);
                qCInfo(lcClean).noquote() << *error;
            } else {
                Clearing clearing(moveToTrash, trashed, log, left);
                clearing.emptyLocation(*where, builtIn);
                error = clearing.error;
            }
            if (error && !first)
                first = error;
        }
    }
    return first;
}

CleanOutcome cleanPaths(const CleanupTarget& target, const CleanupKinds::Paths& kind, bool moveToTrash,
                        ClearingLog* log)
{
    CleanOutcome outcome;
    const QList<QByteArray> measured = Scanner::locations(target);
    const QList<QByteArray> left = Scanner::keptEntries(target);
    const qint64 before = Scanner::freeableSize(measured, left);
    outcome.error = clearLocations(kind.paths, left, target.isBuiltIn, moveToTrash, outcome.trashed, log);
    outcome.freed = qMax<qint64>(0, before - Scanner::freeableSize(measured, left));
    return outcome;
}

CleanOutcome cleanCommand(const CleanupTarget& target, const CleanupKinds::Command& kind, bool moveToTrash,
                          ClearingLog* log)
{
    CleanOutcome outcome;
    const QList<QByteArray> measured = Scanner::locations(target);
    const qint64 before = Scanner::freeableSize(measured);
    const ShellResult result = ShellRunner::runLogin(kind.shell, commandTimeoutSeconds);
    if (result.status != 0) {
        const std::optional<QString> fallbackError =
            clearLocations(kind.fallbackPaths, {}, target.isBuiltIn, moveToTrash, outcome.trashed, log);
        if (result.status != 127) {
            const QString text = result.output.trimmed();
            outcome.error =
                text.isEmpty() ? QStringLiteral("Command exited with status ") + QString::number(result.status) : text;
        } else if (fallbackError && fallbackError->startsWith(notTrashed({}))) {
            // The command is missing, so the fallback is all there is: say what it could not move.
            outcome.error = fallbackError;
        }
    }
    outcome.freed = qMax<qint64>(0, before - Scanner::freeableSize(measured));
    return outcome;
}

// The roots of a search, resolved, and the first refusal of one that lies behind a link.
QList<QByteArray> searchRoots(const CleanupKinds::Finder& kind, std::optional<QString>* refusal)
{
    QList<QByteArray> roots;
    for (const QString& root : kind.roots) {
        if (const std::optional<QString> where = Finder::rootLocation(root)) {
            roots.append(QFile::encodeName(*where));
            continue;
        }
        // A missing root says nothing; one behind a link is refused.
        const QString cleaned = Paths::clean(Paths::expandTilde(root));
        if (Paths::resolveSymlinks(cleaned) != cleaned && !*refusal) {
            *refusal = refusedLink(cleaned);
            qCInfo(lcClean).noquote() << **refusal;
        }
    }
    return roots;
}

CleanOutcome cleanFinder(const CleanupTarget& target, const CleanupKinds::Finder& kind, bool moveToTrash,
                         ClearingLog* log)
{
    CleanOutcome outcome;
    std::optional<QString> refusal;
    const QList<QByteArray> roots = searchRoots(kind, &refusal);
    const qint64 before = Scanner::freeableSize(Scanner::locations(target));
    Clearing clearing(moveToTrash, outcome.trashed, log);
    const auto insideRoots = [&roots](const QByteArray& p) {
        for (const QByteArray& r : roots) {
            if (Paths::equalsOrBelow(p, r))
                return true;
        }
        return false;
    };
    for (const QByteArray& found : Finder::discoverPaths(target)) {
        if (clearing.stopped())
            break;
        // Only a found folder itself is taken; when it is a link, the link goes, not what it
        // leads to. Both where it is and where it leads must lie inside the roots and pass the rule.
        const qsizetype slash = found.lastIndexOf('/');
        if (slash <= 0)
            continue;
        const QByteArray parent = Paths::realPath(found.left(slash));
        const QByteArray name = found.mid(slash + 1);
        const QByteArray leadsTo = Paths::realPath(found);
        if (parent.isEmpty() || leadsTo.isEmpty())
            continue;
        const QByteArray item = join(parent, name);
        if (!insideRoots(item) || !insideRoots(leadsTo) || !Cleaner::isSafe(QFile::decodeName(item))
            || !Cleaner::isSafe(QFile::decodeName(leadsTo)))
            continue;
        const Fd parentFd = NoFollow::openFolder(parent);
        if (!parentFd)
            continue;
        clearing.removeItem(parentFd.get(), parent, name, Trash::foldersNear(parent));
    }
    outcome.error = refusal ? refusal : clearing.error;
    outcome.freed = qMax<qint64>(0, before - Scanner::freeableSize(Scanner::locations(target)));
    return outcome;
}

} // namespace

namespace Cleaner {

std::optional<QString> validateCustom(const QString& path)
{
    const QString resolved = Paths::resolveSymlinks(Paths::expandTilde(path));
    struct stat st {};
    // A NUL would cut the path short on its way to the system: such a path names nothing.
    if (resolved.contains(QChar(0)) || ::stat(QFile::encodeName(resolved).constData(), &st) != 0)
        return QStringLiteral("Folder doesn't exist.");
    if (isSafe(resolved))
        return std::nullopt;
    return QStringLiteral("That location is protected and can't be cleaned.");
}

ScanRoot ScanRoot::at(const QString& root)
{
    ScanRoot r;
    r.given = RawPath::fromKey(Paths::expandTilde(root));
    r.resolved = Paths::realPath(r.given);
    return r;
}

QByteArray ScanRoot::locate(const QByteArray& listed) const
{
    if (resolved.isEmpty() || !Paths::equalsOrBelow(listed, given))
        return listed;
    QByteArray rest = listed.mid(given.size());
    while (rest.startsWith('/'))
        rest.remove(0, 1);
    return rest.isEmpty() ? resolved : join(resolved, rest);
}

PickedMove trashPicked(const PickedItem& picked, PickedIn tool)
{
    using Result = PickedMove::Result;
    const auto ended = [](Result result) { return PickedMove{result, std::nullopt}; };
    // The path as the listing spelled it, without repeated or trailing "/"; the home folder in
    // the form the rule knows it (the system may report it through a link).
    QByteArray path;
    for (const QByteArray& piece : picked.path.split('/')) {
        if (!piece.isEmpty())
            path += '/' + piece;
    }
    if (!picked.path.startsWith('/') || path.isEmpty() || !NoFollow::isPlainAbsolute(path))
        return ended(Result::refused);
    const QByteArray reported = QFile::encodeName(QDir::homePath());
    const QByteArray home = QFile::encodeName(Paths::home());
    if (reported != home && Paths::isBelow(path, reported))
        path = home + path.mid(reported.size());

    QByteArray name;
    errno = 0;
    const Fd parent = NoFollow::openParent(path, &name);
    if (!parent)
        return ended(errno == ELOOP || errno == ENOTDIR || errno == ENOENT ? Result::changed : Result::failed);
    const auto isTheListedItem = [&](struct stat* out) {
        struct stat st {};
        if (::fstatat(parent.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (out)
            *out = st;
        if (picked.kind != PickedItem::Kind::unknown
            && S_ISDIR(st.st_mode) != (picked.kind == PickedItem::Kind::folder))
            return false;
        return picked.device == 0 || picked.inode == 0
            || (quint64(st.st_dev) == picked.device && quint64(st.st_ino) == picked.inode);
    };
    struct stat st {};
    if (!isTheListedItem(&st))
        return ended(Result::changed);
    const QString reached = QFile::decodeName(path);
    if (!mayTrashPicked(reached, tool, S_ISDIR(st.st_mode)))
        return ended(Result::refused);
    if (S_ISLNK(st.st_mode)) {
        // The link goes as itself, but what it leads to must be allowed too.
        const QByteArray leadsTo = Paths::realPath(path);
        struct stat target {};
        if (!leadsTo.isEmpty() && ::stat(leadsTo.constData(), &target) == 0
            && !mayTrashPicked(QFile::decodeName(leadsTo), tool, S_ISDIR(target.st_mode)))
            return ended(Result::refused);
    }
    const QByteArray parentPath = path.left(std::max<qsizetype>(1, path.size() - name.size() - 1));
    // Checked once more right before the move, from the folder held open all along.
    const std::optional<QString> where =
        Trash::moveToTrashAt(parent.get(), parentPath, name, [&](const QString&) { return isTheListedItem(nullptr); });
    if (!where)
        return ended(isTheListedItem(nullptr) ? Result::failed : Result::changed);
    return PickedMove{Result::moved, TrashedItem{reached, *where}};
}

QString changedSinceScan(const QString& path)
{
    return QCoreApplication::translate("Cleaner", "Not moved: %1 changed since the scan")
        .arg(Paths::abbreviateHome(path));
}

QFuture<CleanOutcome> clean(const CleanupTarget& target, bool moveToTrash, ClearingLogPtr log)
{
    return QtConcurrent::run(&Background::utility(), [target, moveToTrash, log = std::move(log)]() -> CleanOutcome {
        if (const auto* p = std::get_if<CleanupKinds::Paths>(&target.kind))
            return cleanPaths(target, *p, moveToTrash, log.get());
        if (const auto* c = std::get_if<CleanupKinds::Command>(&target.kind))
            return cleanCommand(target, *c, moveToTrash, log.get());
        return cleanFinder(target, std::get<CleanupKinds::Finder>(target.kind), moveToTrash, log.get());
    });
}

} // namespace Cleaner
