#include "platform/Trash.h"

#include "platform/FileWalker.h"
#include "platform/FolderEntry.h"
#include "platform/Logging.h"
#include "platform/MountedVolumes.h"
#include "platform/NoFollow.h"
#include "platform/Paths.h"
#include "platform/UserDirs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using NoFollow::Fd;

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool existsAt(int dirFd, const char* name)
{
    struct stat st {};
    return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// The path without its last `count` pieces ("/a/b/c", 2 → "/a").
QByteArray dropPieces(const QByteArray& path, int count)
{
    QByteArray p = path;
    for (int i = 0; i < count; ++i) {
        const qsizetype slash = p.lastIndexOf('/');
        if (slash < 0)
            return {};
        p.truncate(slash);
    }
    return p.isEmpty() ? QByteArray("/") : p;
}

QByteArray join(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

#ifndef Q_OS_MACOS

// A Trash folder ready to take items: its "files" and "info" folders held open.
struct TrashFolder {
    QByteArray path; // resolved
    QByteArray topdir; // a volume's Trash: the volume's top folder; empty for the home Trash
    Fd files;
    Fd info;
};

// Opens (making them when missing, with mode 0700) the "files" and "info" folders of the Trash
// folder open at `trashFd`.
bool openParts(int trashFd, TrashFolder& t)
{
    for (const char* part : {"files", "info"}) {
        if (::mkdirat(trashFd, part, 0700) != 0 && errno != EEXIST)
            return false;
        Fd fd(::openat(trashFd, part, kFolderFlags));
        if (!fd)
            return false;
        (part[0] == 'f' ? t.files : t.info) = std::move(fd);
    }
    return true;
}

// The folder at `name` in `parentFd`, made with mode 0700 when missing; it must be a real folder
// (no link) owned by the user.
Fd ownFolder(int parentFd, const char* name)
{
    if (::mkdirat(parentFd, name, 0700) != 0 && errno != EEXIST)
        return {};
    Fd fd(::openat(parentFd, name, kFolderFlags));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || st.st_uid != ::geteuid())
        return {};
    return fd;
}

// The user's own Trash ($XDG_DATA_HOME/Trash); its data folder is made when missing. Without
// that folder nothing can be trashed (rather than into some other place).
std::optional<TrashFolder> homeTrash()
{
    const QString data = UserDirs::dataHome();
    if (!QDir().mkpath(data))
        return std::nullopt;
    const QByteArray resolvedData = Paths::realPath(QFile::encodeName(data));
    if (resolvedData.isEmpty())
        return std::nullopt;
    // The data folder is the desktop's setting and may lie behind a link; below it, nothing is.
    Fd dataFd(::open(resolvedData.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dataFd)
        return std::nullopt;
    Fd trashFd = ownFolder(dataFd.get(), "Trash");
    if (!trashFd)
        return std::nullopt;
    TrashFolder t;
    t.path = join(resolvedData, "Trash");
    if (!openParts(trashFd.get(), t))
        return std::nullopt;
    return t;
}

// The top folder of the volume holding the folder open at `dirFd` (climbing ".." while the
// device stays the same), and how many pieces above the folder it lies.
Fd volumeTop(int dirFd, int* levelsUp)
{
    Fd here(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!here || ::fstat(here.get(), &st) != 0)
        return {};
    *levelsUp = 0;
    for (int guard = 0; guard < 4096; ++guard) {
        Fd up(::openat(here.get(), "..", kFolderFlags));
        struct stat ust {};
        if (!up || ::fstat(up.get(), &ust) != 0)
            return {};
        if (ust.st_dev != st.st_dev || (ust.st_ino == st.st_ino && ust.st_dev == st.st_dev))
            return here; // the next step leaves the volume, or this is "/"
        here = std::move(up);
        st = ust;
        ++*levelsUp;
    }
    return {};
}

// The Trash of another volume, as the freedesktop.org Trash layout orders it: "$topdir/.Trash/$uid" when
// "$topdir/.Trash" is a real folder with the sticky bit, else "$topdir/.Trash-$uid".
std::optional<TrashFolder> volumeTrash(int parentFd, const QByteArray& parentPath)
{
    int levelsUp = 0;
    Fd top = volumeTop(parentFd, &levelsUp);
    if (!top)
        return std::nullopt;
    const QByteArray topPath = dropPieces(parentPath, levelsUp);
    if (topPath.isEmpty())
        return std::nullopt;
    const QByteArray uid = QByteArray::number(uint(::geteuid()));
    TrashFolder t;
    Fd shared(::openat(top.get(), ".Trash", kFolderFlags));
    struct stat st {};
    if (shared && ::fstat(shared.get(), &st) == 0 && (st.st_mode & S_ISVTX)) {
        if (Fd mine = ownFolder(shared.get(), uid.constData()); mine && openParts(mine.get(), t)) {
            t.path = join(join(topPath, ".Trash"), uid);
            t.topdir = topPath;
            return t;
        }
    }
    const QByteArray own = ".Trash-" + uid;
    Fd mine = ownFolder(top.get(), own.constData());
    if (!mine || !openParts(mine.get(), t))
        return std::nullopt;
    t.path = join(topPath, own);
    t.topdir = topPath;
    return t;
}

// A name for the item in "files" that is valid UTF-8 (so the path handed back round-trips through
// text) and leaves room for the ".trashinfo" suffix and a counter.
QByteArray baseName(const QByteArray& name)
{
    QByteArray base = QString::fromUtf8(name).toUtf8();
    constexpr qsizetype kMax = NAME_MAX - 10 - 8;
    if (base.size() > kMax) {
        qsizetype cut = kMax;
        while (cut > 0 && (uchar(base[cut]) & 0xC0) == 0x80)
            --cut; // never in the middle of a character
        base.truncate(cut);
    }
    return base;
}

// The place a record names for `original`: in a volume's Trash relative to the volume's top
// folder (so that the record still holds when the volume is mounted elsewhere), as the
// freedesktop.org Trash layout recommends; otherwise absolute.
QByteArray recordedPath(const TrashFolder& t, const QByteArray& original)
{
    if (t.topdir.isEmpty() || !Paths::isBelow(original, t.topdir))
        return original;
    return original.mid(t.topdir.endsWith('/') ? t.topdir.size() : t.topdir.size() + 1);
}

QByteArray infoText(const QByteArray& original)
{
    return "[Trash Info]\nPath=" + original.toPercentEncoding("/") + "\nDeletionDate="
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + "\n";
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The temporary names of records being written: ".dustlet-<pid>-<n>.part" (no ".trashinfo"
// suffix, so nobody reads one as a record). The temporary name stays linked to the record until
// the item has moved, so one left behind by a writer that died names the record it was writing.
const QByteArray kPartPrefix = QByteArrayLiteral(".dustlet-");
const QByteArray kPartSuffix = QByteArrayLiteral(".part");
const QByteArray kInfoSuffix = QByteArrayLiteral(".trashinfo");

bool isPartName(const QByteArray& name) { return name.startsWith(kPartPrefix) && name.endsWith(kPartSuffix); }

// Whether the writer of the temporary record `name` (its lstat in `st`) is gone: its process has
// ended, or it is older than any writer keeps one (a record takes a moment to write and the item
// a moment to move; a process id may have been given to another process since).
bool writerIsGone(const QByteArray& name, const struct stat& st)
{
    constexpr qint64 kLongestWrite = 3600;
    bool ok = false;
    const qint64 pid = name.mid(kPartPrefix.size()).split('-').value(0).toLongLong(&ok);
    if (!ok || pid <= 0)
        return false; // not of our naming
    if (pid == ::getpid())
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    return QDateTime::currentSecsSinceEpoch() - qint64(st.st_mtime) > kLongestWrite;
}

// Removes what writers of this program that died left in the "info" folder open at `infoFd`:
// their temporary records and, where one was linked to its record already, that record too when
// its item never reached "files" (nobody else writes under our temporary names, and a record is
// linked to one only while its item is on its way). Records of other programs stay.
void removeDeadParts(int infoFd)
{
    FileWalker::Listing listing;
    if (!listing.readAt(infoFd, false))
        return;
    QList<QByteArray> names;
    names.reserve(qsizetype(listing.size()));
    for (size_t i = 0; i < listing.size(); ++i)
        names.append(QByteArray(listing.cName(i), qsizetype(listing.name(i).size())));
    const Fd files(::openat(infoFd, "../files", kFolderFlags));
    for (const QByteArray& name : std::as_const(names)) {
        struct stat part {};
        if (!isPartName(name) || ::fstatat(infoFd, name.constData(), &part, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(part.st_mode) || !writerIsGone(name, part))
            continue;
        if (part.st_nlink > 1 && files) {
            for (const QByteArray& record : std::as_const(names)) {
                struct stat st {};
                if (!record.endsWith(kInfoSuffix)
                    || ::fstatat(infoFd, record.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_ino != part.st_ino
                    || st.st_dev != part.st_dev)
                    continue;
                if (!existsAt(files.get(), record.chopped(kInfoSuffix.size()).constData()))
                    ::unlinkat(infoFd, record.constData(), 0);
                break;
            }
        }
        ::unlinkat(infoFd, name.constData(), 0);
    }
}

// removeDeadParts once per folder and process.
void sweepDeadParts(int infoFd, const QByteArray& trashPath)
{
    struct stat st {};
    if (::fstat(infoFd, &st) != 0)
        return;
    static QMutex mutex;
    static QSet<QByteArray> swept;
    {
        const QByteArray key =
            trashPath + '\0' + QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
        QMutexLocker lock(&mutex);
        if (swept.contains(key))
            return;
        swept.insert(key);
    }
    removeDeadParts(infoFd);
}

// A record written to the "info" folder open at `infoFd`: complete under its final name, and
// linked to a temporary name of this process until settle() (or drop()) is called.
class PublishedRecord {
public:
    PublishedRecord(int infoFd, QByteArray infoName, QByteArray part)
        : m_infoFd(infoFd), m_infoName(std::move(infoName)), m_part(std::move(part))
    {
    }
    PublishedRecord(const PublishedRecord&) = delete;
    PublishedRecord& operator=(const PublishedRecord&) = delete;
    ~PublishedRecord() { settle(); }
    // The item moved: only the record stays.
    void settle()
    {
        if (!m_part.isEmpty())
            ::unlinkat(m_infoFd, m_part.constData(), 0);
        m_part.clear();
    }
    // The item did not move: the record goes.
    void drop()
    {
        ::unlinkat(m_infoFd, m_infoName.constData(), 0);
        settle();
    }

private:
    int m_infoFd;
    QByteArray m_infoName;
    QByteArray m_part; // empty once settled, or when the record was renamed into place
};

// Writes `text` as the record `infoName` in the "info" folder open at `infoFd` so that the record
// is only ever seen complete: it is written under a temporary name and linked to its final name
// (which fails with EEXIST when the name is taken); the temporary name goes once the item has
// moved (see PublishedRecord). A crash leaves at most a temporary name beside a complete record,
// never an empty or partial one. Where the file system has no hard links, the temporary record is
// renamed to its final name without replacing anything.
std::optional<PublishedRecord> publishRecord(int infoFd, const QByteArray& infoName, const QByteArray& text)
{
    static std::atomic<quint64> counter{0};
    const QByteArray part = kPartPrefix + QByteArray::number(qint64(::getpid())) + '-'
        + QByteArray::number(counter.fetch_add(1)) + kPartSuffix;
    const int fd = ::openat(infoFd, part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::nullopt;
    const bool written = writeAll(fd, text);
    ::close(fd);
    if (!written) {
        ::unlinkat(infoFd, part.constData(), 0);
        errno = EIO;
        return std::nullopt;
    }
    if (::linkat(infoFd, part.constData(), infoFd, infoName.constData(), 0) == 0)
        return std::optional<PublishedRecord>(std::in_place, infoFd, infoName, part);
    const int err = errno;
    if (err == EPERM || err == EOPNOTSUPP || err == ENOSYS) {
        // No hard links here (FAT): the rename makes it visible in one step as well.
        if (FolderEntry::renameNoReplace(infoFd, part.constData(), infoFd, infoName.constData()))
            return std::optional<PublishedRecord>(std::in_place, infoFd, infoName, QByteArray());
    }
    const int failure = errno;
    ::unlinkat(infoFd, part.constData(), 0);
    errno = err == EPERM || err == EOPNOTSUPP || err == ENOSYS ? failure : err;
    return std::nullopt;
}

std::optional<QString> moveInto(TrashFolder& t, int parentFd, const QByteArray& original, const QByteArray& name,
                                const Trash::BeforeMove& beforeMove)
{
    sweepDeadParts(t.info.get(), t.path);
    const QByteArray base = baseName(name);
    const QByteArray text = infoText(recordedPath(t, original));
    for (int n = 1; n < 100000; ++n) {
        const QByteArray candidate = n == 1 ? base : base + '.' + QByteArray::number(n);
        const QByteArray infoName = candidate + kInfoSuffix;
        // The record first, complete: it reserves the name.
        std::optional<PublishedRecord> record = publishRecord(t.info.get(), infoName, text);
        if (!record) {
            if (errno == EEXIST)
                continue;
            qCInfo(lcTrash).noquote() << Logging::callFailed("write record", join(join(t.path, "info"), infoName));
            return std::nullopt;
        }
        const QString where = QFile::decodeName(join(join(t.path, "files"), candidate));
        if (existsAt(t.files.get(), candidate.constData())) {
            // An item without a record holds this name: try the next one.
            record->drop();
            continue;
        }
        if (beforeMove && !beforeMove(where)) {
            record->drop();
            return std::nullopt;
        }
        if (FolderEntry::renameNoReplace(parentFd, name.constData(), t.files.get(), candidate.constData()))
            return where;
        // Not under the name announced: the item stays rather than going in under another one.
        qCInfo(lcTrash).noquote() << Logging::callFailed("renameat2", original);
        record->drop();
        return std::nullopt;
    }
    return std::nullopt;
}

#endif

// The folder a record's relative Path starts from, for the Trash item at `trashPath` (raw,
// cleaned, in a Trash folder's "files"): the top of the volume for "$topdir/.Trash-$uid" and
// "$topdir/.Trash/$uid", else the folder the Trash folder lies in ($XDG_DATA_HOME).
QByteArray relativeBase(const QByteArray& trashPath)
{
    const QByteArray trash = dropPieces(trashPath, 2);
    const QByteArray above = dropPieces(trash, 1);
    const QByteArray uid = QByteArray::number(uint(::geteuid()));
    if (trash.endsWith("/.Trash-" + uid) || !above.endsWith("/.Trash") || !trash.endsWith('/' + uid))
        return above;
    return dropPieces(above, 1);
}

// The original place that the record `infoName` in the folder open at `infoFd` gives, as raw
// bytes: its Path, absolute or relative to `base`. No value when there is no readable record, or
// its Path is missing or names no plain absolute place (a relative one never climbs with "..").
std::optional<QByteArray> recordedOriginal(int infoFd, const QByteArray& infoName, const QByteArray& base)
{
    constexpr qint64 kMaxRecord = 64 * 1024;
    const int fd = ::openat(infoFd, infoName.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    QFile f;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxRecord
        || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    bool inGroup = false;
    for (QByteArray line : f.read(kMaxRecord).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (!inGroup || !line.startsWith("Path="))
            continue;
        const QByteArray raw = QByteArray::fromPercentEncoding(line.mid(5));
        if (raw.isEmpty())
            return std::nullopt;
        const QByteArray place = raw.startsWith('/') ? raw : join(base, raw);
        if (!NoFollow::isPlainAbsolute(place))
            return std::nullopt;
        return place;
    }
    return std::nullopt;
}

// Whether the record's place is the original a caller remembers: the same bytes, or, for a
// remembered text that carries the replacement character of a name that was not UTF-8, the
// bytes that decode to exactly that text.
bool isRemembered(const QByteArray& recorded, const QString& original)
{
    if (recorded == QFile::encodeName(original))
        return true;
    return original.contains(QChar::ReplacementCharacter) && QFile::decodeName(recorded) == original;
}

} // namespace

namespace Trash {

namespace {

// Whether the item `name` of the folder at `parentPath` lies in a Trash folder, is one or holds
// one: moved to the Trash it would free nothing, or take a Trash apart with the records of what
// it holds. The folder is taken as given and with its links resolved.
bool touchesTrash(const QByteArray& parentPath, const QByteArray& name)
{
    QList<QByteArray> parents{parentPath};
    const QByteArray resolved = Paths::realPath(parentPath);
    if (!resolved.isEmpty() && resolved != parentPath)
        parents << resolved;
    for (const QByteArray& parent : std::as_const(parents)) {
        const QByteArray item = join(parent, name);
        for (const QByteArray& trash : foldersNear(parent)) {
            if (Paths::equalsOrBelow(item, trash) || Paths::isBelow(trash, item))
                return true;
        }
    }
    return false;
}

} // namespace

std::optional<QString> moveToTrashAt(int parentFd, const QByteArray& parentPath, const QByteArray& name,
                                     const BeforeMove& beforeMove)
{
    if (parentFd < 0 || name.isEmpty() || name == "." || name == ".." || name.contains('/') || name.contains('\0'))
        return std::nullopt;
    struct stat item {};
    if (::fstatat(parentFd, name.constData(), &item, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (touchesTrash(parentPath, name))
        return std::nullopt;
    const QByteArray original = join(parentPath, name);
#ifdef Q_OS_MACOS
    // The system's Trash takes a path: it must still name the item in the folder held open.
    struct stat again {};
    if (::lstat(original.constData(), &again) != 0 || again.st_dev != item.st_dev || again.st_ino != item.st_ino)
        return std::nullopt;
    QString where;
    if (!QFile::moveToTrash(QFile::decodeName(original), &where) || !where.startsWith(QLatin1Char('/')))
        return std::nullopt;
    if (beforeMove)
        beforeMove(where); // the system picks the place while it moves: told right after
    return where;
#else
    struct stat parent {};
    if (::fstat(parentFd, &parent) != 0)
        return std::nullopt;
    // Without the user's own Trash nothing is trashed at all, not even into a volume's.
    std::optional<TrashFolder> home = homeTrash();
    struct stat homeSt {};
    if (!home || ::fstat(home->files.get(), &homeSt) != 0)
        return std::nullopt;
    if (homeSt.st_dev == parent.st_dev)
        return moveInto(*home, parentFd, original, name, beforeMove);
    // Another volume: its own Trash folder, or not at all (never copied over and deleted).
    std::optional<TrashFolder> volume = volumeTrash(parentFd, parentPath);
    struct stat volumeSt {};
    if (!volume || ::fstat(volume->files.get(), &volumeSt) != 0 || volumeSt.st_dev != parent.st_dev)
        return std::nullopt;
    return moveInto(*volume, parentFd, original, name, beforeMove);
#endif
}

std::optional<QString> moveToTrash(const QByteArray& path)
{
    QByteArray name;
    const Fd parent = NoFollow::openParent(path, &name);
    if (!parent)
        return std::nullopt;
    QByteArray parentPath = path;
    while (parentPath.size() > 1 && parentPath.endsWith('/'))
        parentPath.chop(1);
    parentPath = dropPieces(parentPath, 1);
    return moveToTrashAt(parent.get(), parentPath, name);
}

std::optional<QString> moveToTrash(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return moveToTrash(QFile::encodeName(path));
}

PutBackResult putBack(const QString& trashPath, const QString& original)
{
    using Outcome = PutBackResult::Outcome;
    const auto failed = [](Outcome outcome, int error = 0) { return PutBackResult{outcome, error}; };
    if (trashPath.isEmpty() || original.isEmpty())
        return failed(Outcome::failed, EINVAL);
    QByteArray name;
    const QByteArray slot = QFile::encodeName(Paths::clean(trashPath));
    const Fd files = NoFollow::openParent(slot, &name);
    if (!files || !existsAt(files.get(), name.constData()))
        return errno == ENOENT || files ? failed(Outcome::notInTrash) : failed(Outcome::failed, errno);
#ifdef Q_OS_MACOS
    // The system's Trash keeps no record of its own: the remembered place is all there is.
    const Fd info;
    const QByteArray infoName;
    const QByteArray to = QFile::encodeName(original);
#else
    // The desktop Trash keeps one record per item in "info", named after the item in "files".
    // Only an item whose record names the remembered original is the one that was trashed: the
    // Trash may have been emptied and the same name given to something else since, which then
    // counts as the item being gone from the Trash.
    if (!slot.chopped(name.size() + 1).endsWith("/files"))
        return failed(Outcome::notInTrash);
    const Fd info(::openat(files.get(), "../info", kFolderFlags));
    const QByteArray infoName = name + ".trashinfo";
    const std::optional<QByteArray> recorded =
        info ? recordedOriginal(info.get(), infoName, relativeBase(slot)) : std::nullopt;
    if (!recorded || !isRemembered(*recorded, original))
        return failed(Outcome::notInTrash);
    const QByteArray& to = *recorded;
#endif
    QByteArray last;
    const Fd destination = [&] {
        QByteArray parentOfOriginal = to;
        while (parentOfOriginal.size() > 1 && parentOfOriginal.endsWith('/'))
            parentOfOriginal.chop(1);
        const qsizetype slash = parentOfOriginal.lastIndexOf('/');
        if (slash < 0) {
            errno = EINVAL;
            return Fd();
        }
        last = parentOfOriginal.mid(slash + 1);
        return NoFollow::makeFolders(slash == 0 ? QByteArray("/") : parentOfOriginal.left(slash));
    }();
    if (!destination)
        return failed(Outcome::failed, errno);
    if (last.isEmpty() || last == "." || last == "..")
        return failed(Outcome::failed, EINVAL);
    if (!FolderEntry::renameNoReplace(files.get(), name.constData(), destination.get(), last.constData()))
        return errno == EEXIST ? failed(Outcome::occupied) : failed(Outcome::failed, errno);
    if (info)
        ::unlinkat(info.get(), infoName.constData(), 0);
    return PutBackResult{Outcome::restored, 0};
}

QStringList folders()
{
    return {UserDirs::dataHome() + QStringLiteral("/Trash"), Paths::home() + QStringLiteral("/.Trash")};
}

QList<QByteArray> foldersNear(const QByteArray& path)
{
    QList<QByteArray> out;
    for (const QString& folder : folders()) {
        const QByteArray raw = QFile::encodeName(folder);
        out << raw;
        const QByteArray resolved = QFile::encodeName(Paths::resolveSymlinks(folder));
        if (resolved != raw)
            out << resolved;
    }
    // The top of the volume holding `path`: the highest folder on the way with the same device.
    struct stat st {};
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    if (!p.startsWith('/') || ::stat(p.constData(), &st) != 0)
        return out;
    QByteArray top = p;
    while (top != "/") {
        const QByteArray up = dropPieces(top, 1);
        struct stat ust {};
        if (up.isEmpty() || ::stat(up.constData(), &ust) != 0 || ust.st_dev != st.st_dev)
            break;
        top = up;
    }
#ifdef Q_OS_MACOS
    out << join(top, ".Trashes");
#else
    const QByteArray uid = QByteArray::number(uint(::geteuid()));
    out << join(top, ".Trash-" + uid) << join(join(top, ".Trash"), uid);
#endif
    return out;
}

bool isInTrash(const QByteArray& path)
{
    if (!path.startsWith('/'))
        return false;
    const QByteArray cleaned = QFile::encodeName(Paths::clean(QFile::decodeName(path)));
    const QByteArray exact = path.contains("/.") || path.contains("//") ? cleaned : path;
    // The item itself is what would be moved, so only the folders leading to it are resolved.
    const qsizetype slash = exact.lastIndexOf('/');
    const QByteArray parent = slash > 0 ? exact.left(slash) : QByteArray("/");
    QByteArray resolvedParent = Paths::realPath(parent);
    if (resolvedParent.isEmpty())
        resolvedParent = QFile::encodeName(Paths::resolveSymlinks(QFile::decodeName(parent)));
    const QByteArray resolved = join(resolvedParent, exact.mid(slash + 1));
    for (const QByteArray& folder : foldersNear(resolvedParent)) {
        if (Paths::isBelow(exact, folder) || Paths::isBelow(resolved, folder))
            return true;
    }
    return false;
}

bool isInTrash(const QString& path) { return isInTrash(QFile::encodeName(path)); }

// ---- Emptying

namespace {

#ifndef Q_OS_MACOS

// The Trash folders of the desktop's kind that could hold `path`: the home Trash (as given and
// resolved) and the volume's.
QList<QByteArray> desktopFoldersNear(const QByteArray& path)
{
    QList<QByteArray> out = foldersNear(path);
    const QByteArray dotTrash = QFile::encodeName(Paths::home() + QStringLiteral("/.Trash"));
    out.removeAll(dotTrash);
    out.removeAll(QFile::encodeName(Paths::resolveSymlinks(QFile::decodeName(dotTrash))));
    return out;
}

// Makes the folder `name` of the folder open at `dirFd` (its lstat in `st`) writable and listable
// for its owner, when it is this user's and is not; never through a link.
void makeOwnerWritable(int dirFd, const char* name, const struct stat& st)
{
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & S_IRWXU) == S_IRWXU)
        return;
    ::fchmodat(dirFd, name, (st.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW);
}

// Deletes a folder's tree for good, depth first by raw names relative to each folder's descriptor;
// every folder on the way is made writable for its owner before it is entered. Never follows a
// link, never enters another file system.
struct WholeRemover {
    std::string name;
    FileWalker::Visit operator()(const FileWalker::Entry& e)
    {
        name.assign(e.name);
        if (e.kind == FileWalker::Kind::Folder) {
            if (e.hasStat)
                makeOwnerWritable(e.parentFd, name.c_str(), e.st);
            return FileWalker::Visit::Descend;
        }
        ::unlinkat(e.parentFd, name.c_str(), 0);
        return FileWalker::Visit::Skip;
    }
    void leave(const FileWalker::Entry& folder)
    {
        name.assign(folder.name);
        ::unlinkat(folder.parentFd, name.c_str(), AT_REMOVEDIR);
    }
};

// Removes the entry `name` of the folder open at `dirFd` whole: a folder with everything in it
// (on `dev` only), anything else as itself.
void removeWhole(int dirFd, const QByteArray& name, dev_t dev)
{
    struct stat st {};
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlinkat(dirFd, name.constData(), 0);
        return;
    }
    if (st.st_dev != dev)
        return; // a volume mounted here is not the Trash's
    makeOwnerWritable(dirFd, name.constData(), st);
    const Fd folder(::openat(dirFd, name.constData(), kFolderFlags));
    struct stat opened {};
    if (!folder || ::fstat(folder.get(), &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino)
        return;
    FileWalker::Options options;
    options.statFiles = false;
    options.statAll = true;
    options.oneFileSystem = true;
    WholeRemover remover;
    FileWalker::walkAt(folder.get(), name.toStdString(), options, remover);
    ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
}

// The entries of the folder open at `fd`, as raw names; none when it cannot be listed.
QList<QByteArray> entriesOf(int fd)
{
    QList<QByteArray> out;
    FileWalker::Listing listing;
    if (!listing.readAt(fd, false))
        return out;
    for (size_t i = 0; i < listing.size(); ++i)
        out.append(QByteArray(listing.cName(i), qsizetype(listing.name(i).size())));
    return out;
}

#endif

} // namespace

Part partOf(const QByteArray& path)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(path);
    return Part::none;
#else
    const Part part = path.endsWith("/files") ? Part::files : path.endsWith("/info") ? Part::info : Part::none;
    if (part == Part::none || !NoFollow::isPlainAbsolute(path))
        return Part::none;
    const QByteArray folder = dropPieces(path, 1);
    return desktopFoldersNear(folder).contains(folder) ? part : Part::none;
#endif
}

QList<QByteArray> otherVolumeParts(Part part)
{
    QList<QByteArray> out;
#ifdef Q_OS_MACOS
    Q_UNUSED(part);
#else
    if (part == Part::none)
        return out;
    const QByteArray uid = QByteArray::number(uint(::geteuid()));
    const QByteArray partName = part == Part::files ? "files" : "info";
    for (const MountedVolumes::Volume& volume : MountedVolumes::list()) {
        const QByteArray top = QFile::encodeName(volume.path);
        for (const QByteArray& folder : {join(join(top, ".Trash"), uid), join(top, ".Trash-" + uid)}) {
            const Fd fd = NoFollow::openFolder(folder);
            struct stat st {};
            if (fd && ::fstat(fd.get(), &st) == 0 && st.st_uid == ::geteuid())
                out.append(join(folder, partName));
        }
    }
#endif
    return out;
}

QList<QByteArray> emptyPart(const QByteArray& path)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(path);
    return {};
#else
    const Part part = partOf(path);
    if (part == Part::none)
        return {path};
    // The Trash folder, its owner's, held open with both parts: nothing below it is reached by a
    // path string again.
    const Fd trash = NoFollow::openFolder(dropPieces(path, 1));
    struct stat trashSt {};
    if (!trash)
        return errno == ENOENT ? QList<QByteArray>{} : QList<QByteArray>{path};
    if (::fstat(trash.get(), &trashSt) != 0 || trashSt.st_uid != ::geteuid())
        return {path};
    const Fd files(::openat(trash.get(), "files", kFolderFlags));
    const Fd info(::openat(trash.get(), "info", kFolderFlags));
    QList<QByteArray> stayed;
    if (part == Part::files) {
        struct stat filesSt {};
        if (!files)
            return errno == ENOENT ? stayed : QList<QByteArray>{path};
        if (::fstat(files.get(), &filesSt) != 0)
            return {path};
        for (const QByteArray& name : entriesOf(files.get())) {
            removeWhole(files.get(), name, filesSt.st_dev);
            if (existsAt(files.get(), name.constData())) {
                stayed.append(join(path, name)); // its record stays with it
                continue;
            }
            if (info)
                ::unlinkat(info.get(), (name + ".trashinfo").constData(), 0);
        }
        return stayed;
    }
    if (!info)
        return errno == ENOENT ? stayed : QList<QByteArray>{path};
    for (const QByteArray& name : entriesOf(info.get())) {
        // A record being written right now (see publishRecord) is not one yet.
        if (isPartName(name))
            continue;
        if (name.endsWith(kInfoSuffix) && files && existsAt(files.get(), name.chopped(kInfoSuffix.size()).constData()))
            continue; // its item is still in the Trash
        removeWhole(info.get(), name, trashSt.st_dev);
        if (existsAt(info.get(), name.constData()))
            stayed.append(join(path, name));
    }
    return stayed;
#endif
}

// ---- Leftovers

void removeLeftovers()
{
#ifndef Q_OS_MACOS
    // Nothing is made here: a Trash that does not exist holds nothing of ours. (A volume's Trash
    // is swept at the first move into it.)
    const QByteArray data = Paths::realPath(QFile::encodeName(UserDirs::dataHome()));
    if (data.isEmpty())
        return;
    const QByteArray trash = join(data, "Trash");
    const Fd info = NoFollow::openFolder(join(trash, "info"));
    struct stat st {};
    if (info && ::fstat(info.get(), &st) == 0 && st.st_uid == ::geteuid())
        sweepDeadParts(info.get(), trash);
#endif
}

bool forgetUnfilledRecord(const QString& trashPath, const QString& original)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(trashPath);
    Q_UNUSED(original);
    return false;
#else
    const QByteArray slot = QFile::encodeName(Paths::clean(trashPath));
    if (trashPath.isEmpty() || partOf(dropPieces(slot, 1)) != Part::files)
        return false;
    QByteArray name;
    const Fd files = NoFollow::openParent(slot, &name);
    if (!files || name.isEmpty() || existsAt(files.get(), name.constData()))
        return false;
    const Fd info(::openat(files.get(), "../info", kFolderFlags));
    const QByteArray infoName = name + kInfoSuffix;
    const std::optional<QByteArray> recorded =
        info ? recordedOriginal(info.get(), infoName, relativeBase(slot)) : std::nullopt;
    if (!recorded || !isRemembered(*recorded, original))
        return false; // no record, or another item's
    return ::unlinkat(info.get(), infoName.constData(), 0) == 0;
#endif
}

} // namespace Trash
