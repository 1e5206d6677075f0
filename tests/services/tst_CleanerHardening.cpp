// Clearing against a hostile home: links planted at and above cleared locations, a folder swapped
// for a link while it is being cleared, names that are not UTF-8, trees deeper than the open-file
// limit, hard links, another file system mounted inside, and a Trash that cannot be used.
#include "MountSpace.h"
#include "TestHome.h"
#include "platform/MountedVolumes.h"
#include "platform/Trash.h"
#include "services/Cleaner.h"
#include "services/Scanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <cstring>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

CleanupTarget pathsTarget(const QStringList& paths, bool builtIn = true)
{
    CleanupTarget t;
    t.id = builtIn ? QStringLiteral("t") : QStringLiteral("custom:t");
    t.name = QStringLiteral("T");
    t.kind = CleanupKinds::Paths{paths};
    t.isBuiltIn = builtIn;
    return t;
}

CleanOutcome run(const CleanupTarget& t, bool toTrash) { return Cleaner::clean(t, toTrash).result(); }

QByteArray readAll(const QString& path) { return TestHome::contents(path); }
QByteArray readRaw(const QByteArray& path) { return TestHome::contents(path); }
bool lexists(const QByteArray& path) { return TestHome::lexists(path); }
bool lexists(const QString& path) { return TestHome::lexists(path); }

bool writeRaw(const QByteArray& path, const QByteArray& content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return ok;
}

// Every file below `root` with its content, relative to `root`.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> out;
    QDir base(root);
    const QFileInfoList all =
        QDir(root).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& fi : all) {
        if (fi.isDir() && !fi.isSymLink()) {
            const auto inner = snapshot(fi.filePath());
            for (auto it = inner.begin(); it != inner.end(); ++it)
                out.insert(fi.fileName() + "/" + it.key(), it.value());
        } else {
            out.insert(fi.fileName(), fi.isSymLink() ? ("-> " + fi.symLinkTarget().toUtf8()) : readAll(fi.filePath()));
        }
    }
    return out;
}

// Gives every entry below `path` (and it) to `uid`, without following a link.
bool chownTree(const QByteArray& path, uid_t uid, gid_t gid)
{
    if (::lchown(path.constData(), uid, gid) != 0)
        return false;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return true;
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return false;
    bool ok = true;
    while (dirent* d = ::readdir(dir)) {
        if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
            ok = chownTree(path + "/" + d->d_name, uid, gid) && ok;
    }
    ::closedir(dir);
    return ok;
}

bool isEmptyFolder(const QString& path)
{
    return QFileInfo(path).isDir()
        && QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class tst_CleanerHardening : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_mounts = MountSpace::enter(); }

    // A link planted at a built-in location, or above it below home, is never followed: the
    // target measures nothing and clearing it is refused, in both modes.
    void plantedLinks_data()
    {
        QTest::addColumn<QString>("location"); // the target's path, below home
        QTest::addColumn<QString>("link"); // where the link is planted
        QTest::addColumn<QString>("leadsTo"); // what it leads to (made beforehand)
        QTest::addColumn<bool>("toTrash");
        for (bool toTrash : {false, true}) {
            const char* mode = toTrash ? ", to Trash" : ", for good";
            QTest::newRow(QByteArray("Chrome cache to ~/.ssh") + mode) << "Library/Caches/Google/Chrome"
                                                                       << "Library/Caches/Google/Chrome"
                                                                       << ".ssh" << toTrash;
            QTest::newRow(QByteArray("Firefox cache to a folder in Documents") + mode) << "Library/Caches/Firefox"
                                                                                       << "Library/Caches/Firefox"
                                                                                       << "Documents/deep" << toTrash;
            QTest::newRow(QByteArray("pip cache to a file in Documents") + mode) << "Library/Caches/pip"
                                                                                 << "Library/Caches/pip"
                                                                                 << "Documents/precious.txt" << toTrash;
            QTest::newRow(QByteArray("JetBrains cache to Application Support") + mode)
                << "Library/Caches/JetBrains"
                << "Library/Caches/JetBrains"
                << "Library/Application Support" << toTrash;
            QTest::newRow(QByteArray("a linked parent folder") + mode) << "Library/Caches/Google/Chrome"
                                                                       << "Library/Caches/Google"
                                                                       << "Documents/g" << toTrash;
            QTest::newRow(QByteArray("a dangling link") + mode) << "Library/Caches/Firefox"
                                                                << "Library/Caches/Firefox"
                                                                << "Documents/later" << toTrash;
        }
    }

    void plantedLinks()
    {
        QFETCH(QString, location);
        QFETCH(QString, link);
        QFETCH(QString, leadsTo);
        QFETCH(bool, toTrash);
        TestHome home;
        if (leadsTo.endsWith(".txt")) {
            home.writeText(leadsTo, "keep me");
        } else if (!leadsTo.endsWith("later")) {
            home.writeText(leadsTo + "/id_ed25519", "secret");
            home.writeFile(leadsTo + "/Chrome/Default/data", 50000);
            home.writeFile(leadsTo + "/sub/more.bin", 50000);
        }
        home.mkdir("Library/Caches");
        home.symlink(link, home(leadsTo));
        const QMap<QString, QByteArray> before = snapshot(home.path());

        const CleanupTarget target = pathsTarget({"~/" + location});
        QCOMPARE(Scanner::size(target).result(), std::optional<qint64>(0));
        const CleanOutcome o = run(target, toTrash);
        QCOMPARE(o.error, std::optional<QString>("Refused (link): " + home(location)));
        QCOMPARE(o.freed, 0);
        QVERIFY(o.trashed.isEmpty());
        QCOMPARE(snapshot(home.path()), before);
    }

    // A custom folder is the user's choice: a link there is followed, and where it leads is
    // tested again when clearing, so one retargeted at a protected place after it was added is
    // refused and loses nothing.
    void customFolderRetargeted()
    {
        TestHome home;
        home.writeFile("Library/Caches/tool/blob", 8192);
        home.symlink("mycache", home("Library/Caches/tool"));
        QCOMPARE(Cleaner::validateCustom("~/mycache"), std::nullopt);
        const CleanupTarget custom = pathsTarget({home("mycache")}, false);
        const CleanOutcome first = run(custom, false);
        QCOMPARE(first.error, std::nullopt);
        QVERIFY(isEmptyFolder(home("Library/Caches/tool")));

        home.writeText("Documents/letter.txt", "dear");
        home.writeText(".ssh/id_ed25519", "secret");
        for (const QString& to : {home("Documents"), home(".ssh")}) {
            QVERIFY(QFile::remove(home("mycache")));
            home.symlink("mycache", to);
            const QMap<QString, QByteArray> before = snapshot(home.path());
            for (bool toTrash : {true, false}) {
                const CleanOutcome o = run(custom, toTrash);
                QCOMPARE(o.error, std::optional<QString>("Refused (protected): " + to));
                QCOMPARE(snapshot(home.path()), before);
            }
        }
    }

    // A search root with a relative link out of it (as a cloned repository can carry), and a root
    // that is itself a link: nothing outside the roots is found or cleared.
    void searchRootsKeepToThemselves()
    {
        TestHome home;
        home.writeFile("src/app/node_modules/dep/index.js", 20000);
        home.writeFile("Documents/proj/node_modules/dep/index.js", 20000);
        home.symlink("src/evil/sub", "../../Documents");
        home.symlink("srclink", home("Documents"));
        CleanupTarget t;
        t.id = "node_modules";
        t.name = "node_modules folders";
        t.category = CleanupCategory::buildArtifacts;
        t.kind = CleanupKinds::Finder{{"~/src"}, {"node_modules"}, 5, {}, 0, {}};
        const CleanOutcome o = run(t, false);
        QCOMPARE(o.error, std::nullopt);
        QVERIFY(!lexists(home("src/app/node_modules")));
        QVERIFY(QFileInfo::exists(home("Documents/proj/node_modules/dep/index.js")));

        t.kind = CleanupKinds::Finder{{"~/srclink"}, {"node_modules"}, 5, {}, 0, {}};
        QCOMPARE(Scanner::size(t).result(), std::nullopt);
        const CleanOutcome refused = run(t, true);
        QCOMPARE(refused.error, std::optional<QString>("Refused (link): " + home("srclink")));
        QVERIFY(refused.trashed.isEmpty());
        QVERIFY(QFileInfo::exists(home("Documents/proj/node_modules/dep/index.js")));
    }

    // A name that is not UTF-8 next to a link named after its decoded form, which leads into a
    // pinned folder: the search and the clearing take the real folder, never the pinned one.
    void rawNameCannotReachThePinnedFolder()
    {
        TestHome home;
        const QByteArray root = QFile::encodeName(home.mkdir("src"));
        QVERIFY(::mkdir(root + "/x\xff", 0755) == 0);
        QVERIFY(::mkdir(root + "/x\xff/node_modules", 0755) == 0);
        QVERIFY(writeRaw(root + "/x\xff/node_modules/dep.js", "dep"));
        home.writeText("src/pinned/node_modules/keep.js", "pinned");
        home.symlink("src/x\uFFFD", home("src/pinned"));
        CleanupTarget t;
        t.id = "node_modules";
        t.kind = CleanupKinds::Finder{{"~/src"}, {"node_modules"}, 5, {"~/src/pinned"}, 0, {}};
        for (bool toTrash : {true, false}) {
            const CleanOutcome o = run(t, toTrash);
            QCOMPARE(o.error, std::nullopt);
            QVERIFY(!lexists(root + "/x\xff/node_modules"));
            QCOMPARE(readAll(home("src/pinned/node_modules/keep.js")), QByteArray("pinned"));
            QCOMPARE(o.trashed.size(), toTrash ? 1 : 0);
            if (toTrash) {
                QVERIFY(Trash::putBack(o.trashed[0].trashPath, o.trashed[0].original));
                QCOMPARE(readAll(QFile::decodeName(root + "/x\xff/node_modules/dep.js")), QByteArray());
                QVERIFY(lexists(root + "/x\xff/node_modules/dep.js"));
            }
        }
    }

    // Names that are not UTF-8 are cleared by their bytes (before, they could never be) and put
    // back under them; the decoded look-alike beside them is a separate item.
    void rawNamesClearedAndPutBack()
    {
        TestHome home;
        const QByteArray caches = QFile::encodeName(home.mkdir("Library/Caches"));
        QVERIFY(writeRaw(caches + "/x\xff", "raw file"));
        QVERIFY(::mkdir(caches + "/d\xfe", 0755) == 0);
        QVERIFY(writeRaw(caches + "/d\xfe/inner", "inner"));
        home.writeText("Library/Caches/x\uFFFD", "decoy");
        const CleanupTarget target = pathsTarget({"~/Library/Caches"});

        const CleanOutcome trashed = run(target, true);
        QCOMPARE(trashed.error, std::nullopt);
        QCOMPARE(trashed.trashed.size(), 3);
        QVERIFY(isEmptyFolder(home("Library/Caches")));
        for (const TrashedItem& item : trashed.trashed)
            QVERIFY2(Trash::putBack(item.trashPath, item.original), qPrintable(item.original));
        QCOMPARE(readRaw(caches + "/x\xff"), QByteArray("raw file"));
        QVERIFY(lexists(caches + "/d\xfe/inner"));
        QCOMPARE(readAll(home("Library/Caches/x\uFFFD")), QByteArray("decoy"));

        const CleanOutcome gone = run(target, false);
        QCOMPARE(gone.error, std::nullopt);
        QVERIFY(isEmptyFolder(home("Library/Caches")));
    }

    // A thread swaps the folder for a link to a Documents fixture (and back) over and over while
    // 3,000 entries are cleared: nothing outside the folder changes, and every Trash record
    // names the place its item really came from.
    void folderSwappedForALinkMeanwhile_data()
    {
        QTest::addColumn<bool>("toTrash");
        QTest::newRow("for good") << false;
        QTest::newRow("to Trash") << true;
    }

    void folderSwappedForALinkMeanwhile()
    {
        QFETCH(bool, toTrash);
        TestHome home;
        constexpr int kEntries = 3000;
        constexpr int kRounds = 3;
        const QString docs = home.mkdir("Documents/fixture");
        const QString cache = home.mkdir("Library/Caches/app");
        const QByteArray cacheBytes = QFile::encodeName(cache);
        const QByteArray movedBytes = cacheBytes + ".moved";
        const QByteArray docsBytes = QFile::encodeName(docs);
        const auto names = [] {
            QList<QByteArray> n;
            for (int i = 0; i < kEntries; ++i)
                n << "f" + QByteArray::number(i).rightJustified(4, '0');
            return n;
        }();
        for (const QByteArray& n : names)
            QVERIFY(writeRaw(docsBytes + "/" + n, "doc:" + n));
        const CleanupTarget target = pathsTarget({"~/Library/Caches/app"});

        for (int round = 0; round < kRounds; ++round) {
            for (const QByteArray& n : names)
                QVERIFY(writeRaw(cacheBytes + "/" + n, "cache:" + n));
            // The clearing takes the entries in listing order: once the first is gone, it holds
            // the folder, and the swapping begins (so that it races every removal after that).
            QByteArray first;
            if (DIR* dir = ::opendir(cacheBytes.constData())) {
                while (dirent* d = ::readdir(dir)) {
                    if (d->d_name[0] != '.') {
                        first = cacheBytes + "/" + d->d_name;
                        break;
                    }
                }
                ::closedir(dir);
            }
            QVERIFY(!first.isEmpty());
            std::atomic<bool> stop{false};
            std::thread swapper([&] {
                while (!stop.load() && lexists(first))
                    sched_yield();
                while (!stop.load()) {
                    if (::rename(cacheBytes.constData(), movedBytes.constData()) != 0)
                        continue;
                    ::symlink(docsBytes.constData(), cacheBytes.constData());
                    sched_yield();
                    ::unlink(cacheBytes.constData());
                    ::rename(movedBytes.constData(), cacheBytes.constData());
                    sched_yield();
                }
            });
            const CleanOutcome o = run(target, toTrash);
            stop = true;
            swapper.join();
            struct stat st {};
            if (::lstat(cacheBytes.constData(), &st) == 0 && S_ISLNK(st.st_mode))
                ::unlink(cacheBytes.constData());
            ::rename(movedBytes.constData(), cacheBytes.constData());

            // Documents is whole.
            const QStringList left = QDir(docs).entryList(QDir::Files);
            QCOMPARE(left.size(), kEntries);
            for (const QByteArray& n : names)
                QCOMPARE(readAll(docs + "/" + QString::fromLatin1(n)), "doc:" + n);
            // The folder that was opened was cleared whole, and every record names the cache
            // entry whose content it moved.
            QCOMPARE(o.error, std::nullopt);
            QVERIFY(isEmptyFolder(cache));
            QCOMPARE(o.trashed.size(), toTrash ? kEntries : 0);
            for (const TrashedItem& item : o.trashed) {
                QCOMPARE(QFileInfo(item.original).absolutePath(), cache);
                QCOMPARE(readAll(item.trashPath), "cache:" + QFileInfo(item.original).fileName().toLatin1());
            }
            QDir(home(".local/share/Trash")).removeRecursively();
        }
    }

    // Items the old path-based Trash refused, and which were then deleted for good, now go to the
    // Trash as themselves and come back from it; clearing them frees 0 bytes yet records them.
    void oddItemsToTheTrashAndBack()
    {
        TestHome home;
        const QString caches = home.mkdir("Library/Caches");
        home.symlink("Library/Caches/dangling", home("nowhere"));
        QCOMPARE(::mkfifo(QFile::encodeName(caches + "/pipe").constData(), 0600), 0);
        home.writeFile("Library/Caches/empty", 0);
        const CleanOutcome o = run(pathsTarget({"~/Library/Caches"}), true);
        QCOMPARE(o.error, std::nullopt);
        QCOMPARE(o.freed, 0);
        QCOMPARE(o.trashed.size(), 3);
        QVERIFY(isEmptyFolder(caches));
        for (const TrashedItem& item : o.trashed)
            QVERIFY(Trash::putBack(item.trashPath, item.original));
        QVERIFY(QFileInfo(caches + "/dangling").isSymLink());
        QVERIFY(QFileInfo(caches + "/pipe").exists());
        QVERIFY(QFileInfo(caches + "/empty").isFile());
    }

    // When the Trash cannot be used at all, clearing to the Trash deletes nothing and says so.
    void unusableTrashDeletesNothing()
    {
        TestHome home;
        home.writeFile("Library/Caches/a/blob", 8192);
        home.writeFile("Library/Caches/b", 8192);
        home.writeFile("blocker", 1);
        qputenv("XDG_DATA_HOME", QFile::encodeName(home("blocker/share")));
        const QMap<QString, QByteArray> before = snapshot(home("Library"));
        const CleanOutcome o = run(pathsTarget({"~/Library/Caches"}), true);
        QVERIFY(o.error);
        QVERIFY2(o.error->startsWith("Not moved to the Trash: " + home("Library/Caches/")), qPrintable(*o.error));
        QCOMPARE(o.freed, 0);
        QVERIFY(o.trashed.isEmpty());
        QCOMPARE(snapshot(home("Library")), before);
    }

    // The Trash's own contents survive the clearing of a folder that holds it, in both modes.
    void trashInsideAClearedFolderStays_data()
    {
        QTest::addColumn<bool>("toTrash");
        QTest::newRow("for good") << false;
        QTest::newRow("to Trash") << true;
    }

    void trashInsideAClearedFolderStays()
    {
        QFETCH(bool, toTrash);
        TestHome home;
        // The data folder itself (and ~/.local) is protected off macOS: the Trash lives in a data
        // folder deeper down, so that a cleared folder holds a folder holding it.
        qputenv("XDG_DATA_HOME", home("box/deep/share").toLocal8Bit());
        home.mkdir("box/deep/share");
        const auto earlier = Trash::moveToTrash(home.writeText("old.txt", "trashed before"));
        QVERIFY(earlier);
        QVERIFY(earlier->startsWith(home("box/deep/share/Trash/")));
        home.writeFile("box/bin/tool", 30000);
        home.writeFile("box/deep/app/data", 30000);
        const CleanOutcome o = run(pathsTarget({"~/box"}, false), toTrash);
        QCOMPARE(o.error, std::nullopt);
        QCOMPARE(readAll(*earlier), QByteArray("trashed before"));
        QVERIFY(QFileInfo::exists(infoOf(*earlier)));
        QVERIFY(!lexists(home("box/bin")));
        QVERIFY(!lexists(home("box/deep/app")));
        for (const TrashedItem& item : o.trashed)
            QVERIFY(Trash::putBack(item.trashPath, item.original));
        if (toTrash)
            QVERIFY(QFileInfo::exists(home("box/deep/app/data")));
    }

    // Resolution as the system does it: through a missing folder ".." leads nowhere; a NUL in a
    // path is refused by the rule, and never cut short on the way to the system.
    void missingPiecesAndNul()
    {
        TestHome home;
        const QString kept = home.writeFile("Library/Caches/keep.bin", 8192);
        const QString through = "~/Library/Caches/x/../../Caches";
        QCOMPARE(Cleaner::validateCustom(through), std::optional<QString>("Folder doesn't exist."));
        const CleanOutcome o = run(pathsTarget({through}, false), false);
        QCOMPARE(o.freed, 0);
        QVERIFY(QFileInfo::exists(kept));

        const QString nul = home("Library/Caches") + QChar(0) + "/gone";
        QVERIFY(!Cleaner::isSafe(nul));
        QCOMPARE(Cleaner::validateCustom(nul), std::optional<QString>("Folder doesn't exist."));
        const CleanOutcome refused = run(pathsTarget({nul}, false), false);
        QCOMPARE(refused.error, std::optional<QString>("Refused (protected): " + nul));
        QVERIFY(QFileInfo::exists(kept));
        QCOMPARE(Scanner::directorySize(nul), 0);
    }

    // A tree far deeper than the open-file limit, with the soft limit lowered to 256 as some
    // desktops start programs: measured whole and cleared whole.
    void deeperThanTheFileLimit()
    {
        TestHome home;
        const qint64 bytes = home.deepTree("Library/Logs/deep", 5000);
        QVERIFY(bytes > 0);
        struct Cleanup {
            QString path;
            ~Cleanup() { TestHome::removeDeepTree(path); }
        } cleanup{home("Library/Logs/deep")};
        SoftFileLimit limit(256);
        QVERIFY(limit.isValid());
        const CleanupTarget target = pathsTarget({"~/Library/Logs"});
        QCOMPARE(Scanner::directorySize(home("Library/Logs")), bytes);
        const CleanOutcome o = run(target, false);
        QCOMPARE(o.error, std::nullopt);
        QCOMPARE(o.freed, bytes);
        QVERIFY(isEmptyFolder(home("Library/Logs")));
    }

    // Freed bytes count what is really given back: a file with another hard link outside the
    // cleared folder frees nothing; two links both inside free the file once.
    void hardLinks_data()
    {
        QTest::addColumn<bool>("toTrash");
        QTest::newRow("for good") << false;
        QTest::newRow("to Trash") << true;
    }

    void hardLinks()
    {
        QFETCH(bool, toTrash);
        TestHome home;
        const QString outside = home.writeFile("keep/big.bin", 400000);
        QCOMPARE(::link(QFile::encodeName(outside).constData(),
                        QFile::encodeName(home.mkdir("Library/Caches/app") + "/big.bin").constData()),
                 0);
        const QString pairA = home.writeFile("Library/Caches/pair/a.bin", 100000);
        QCOMPARE(::link(QFile::encodeName(pairA).constData(),
                        QFile::encodeName(home("Library/Caches/pair/b.bin")).constData()),
                 0);
        const qint64 pairBytes = TestHome::allocated(pairA);
        const CleanOutcome o = run(pathsTarget({"~/Library/Caches"}), toTrash);
        QCOMPARE(o.error, std::nullopt);
        QCOMPARE(o.freed, pairBytes);
        QCOMPARE(QFileInfo(outside).size(), qint64(400000));
        QVERIFY(isEmptyFolder(home("Library/Caches")));
    }

    // One file system at a time: a volume mounted inside a cleared folder is left alone in both
    // modes, and measuring skips it.
    void otherFileSystemInside()
    {
        if (!m_mounts)
            QSKIP("no private mount namespace here");
        TestHome home;
        const QString mnt = home.mkdir("Library/Caches/mnt");
        const QString deeper = home.mkdir("Library/Caches/outer/share");
        QVERIFY(MountSpace::mountTmpfs(mnt));
        QVERIFY(MountSpace::mountTmpfs(deeper));
        home.writeText("Library/Caches/mnt/drive.txt", "on the drive");
        home.writeText("Library/Caches/outer/share/net.txt", "on the share");
        const qint64 own = TestHome::allocated(home.writeFile("Library/Caches/own.bin", 8192))
            + TestHome::allocated(home.writeFile("Library/Caches/outer/own.bin", 8192));
        QCOMPARE(Scanner::directorySize(home("Library/Caches")), own);
        for (bool toTrash : {true, false}) {
            const CleanOutcome o = run(pathsTarget({"~/Library/Caches"}), toTrash);
            QCOMPARE(readAll(home("Library/Caches/mnt/drive.txt")), QByteArray("on the drive"));
            QCOMPARE(readAll(home("Library/Caches/outer/share/net.txt")), QByteArray("on the share"));
            QVERIFY(!lexists(home("Library/Caches/own.bin")));
            // "outer" holds a mount: it is emptied around it, never moved or deleted whole.
            QVERIFY(!lexists(home("Library/Caches/outer/own.bin")));
            QCOMPARE(o.error, std::nullopt);
            for (const TrashedItem& item : o.trashed)
                QVERIFY(!item.original.startsWith(mnt) && !item.original.startsWith(deeper));
            home.writeFile("Library/Caches/own.bin", 8192);
            home.writeFile("Library/Caches/outer/own.bin", 8192);
        }
        QVERIFY(MountSpace::unmount(deeper));
        QVERIFY(MountSpace::unmount(mnt));
    }

    // A clearing for good that leaves entries behind says how many stayed where, rather than
    // passing for a success. Root is denied nothing by permissions: there the folder is a file
    // system made read-only once filled.
    void permanentClearingThatLeavesItemsSaysSo()
    {
        TestHome home;
        const QString logs = home.mkdir("Library/Logs");
        const bool asRoot = TestHome::isRoot();
        if (asRoot && !m_mounts)
            QSKIP("no private mount namespace here to make a read-only folder for root");
        if (asRoot)
            QVERIFY(MountSpace::mountTmpfs(logs));
        const auto unmount = qScopeGuard([&] {
            if (asRoot)
                MountSpace::unmount(logs);
            else
                ::chmod(QFile::encodeName(logs).constData(), 0755);
        });
        home.writeText("Library/Logs/a.log", "a");
        home.writeText("Library/Logs/old/b.log", "b");
        home.writeText("Library/Logs/old/c.log", "c");
        if (asRoot)
            QCOMPARE(::mount(nullptr, QFile::encodeName(logs).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                     0);
        else
            QCOMPARE(::chmod(QFile::encodeName(logs).constData(), 0555), 0);

        const CleanOutcome o = run(pathsTarget({"~/Library/Logs"}), false);
        QCOMPARE(o.error, std::optional<QString>(QStringLiteral("Couldn't remove 2 items in ~/Library/Logs")));
        QVERIFY(lexists(home("Library/Logs/a.log")));
        QCOMPARE(o.freed, qint64(0));
    }

    // Emptying the Trash as its user takes every item whole: a trashed tree with read-only folders
    // (a Go module cache) is made writable inside the Trash and removed, each record goes after its
    // item, an orphan record goes, and an item that cannot be removed stays with its record and is
    // named in the error. Run as a user who is not root, as root denies nothing: under root the
    // clearing runs in a child process as "nobody".
    void trashEmptiedWhole()
    {
        TestHome home;
        const QString files = home.mkdir(".local/share/Trash/files");
        const QString info = home.mkdir(".local/share/Trash/info");
        const auto record = [&](const QString& name) {
            home.writeText(".local/share/Trash/info/" + name + ".trashinfo",
                           "[Trash Info]\nPath=" + QFile::encodeName(home("go/pkg/" + name)) + "\n");
        };
        home.writeText(".local/share/Trash/files/mod/example.com/pkg@v1.2.0/a.go", "package a");
        home.writeText(".local/share/Trash/files/mod/example.com/pkg@v1.2.0/sub/b.go", "package b");
        home.writeText(".local/share/Trash/files/plain.txt", "plain");
        record("mod");
        record("plain.txt");
        record("orphan");
        const QStringList readOnly{"mod/example.com/pkg@v1.2.0/sub", "mod/example.com/pkg@v1.2.0", "mod/example.com",
                                   "mod"};
        for (const QString& f : QStringList{"mod/example.com/pkg@v1.2.0/a.go", "mod/example.com/pkg@v1.2.0/sub/b.go"})
            QCOMPARE(::chmod(QFile::encodeName(files + "/" + f).constData(), 0444), 0);
        for (const QString& folder : readOnly)
            QCOMPARE(::chmod(QFile::encodeName(files + "/" + folder).constData(), 0555), 0);

        const bool asRoot = TestHome::isRoot();
        if (asRoot) {
            // Everything the user's; an item that is someone else's ("stuck", root's) stays.
            const struct passwd* nobody = ::getpwnam("nobody");
            if (!nobody)
                QSKIP("no user \"nobody\" to run as");
            home.writeText(".local/share/Trash/files/stuck/inside.txt", "root's");
            record("stuck");
            QVERIFY(chownTree(QFile::encodeName(home.path()), nobody->pw_uid, nobody->pw_gid));
            QCOMPARE(::lchown(QFile::encodeName(files + "/stuck").constData(), 0, 0), 0);
            QCOMPARE(::lchown(QFile::encodeName(files + "/stuck/inside.txt").constData(), 0, 0), 0);
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
                ::setenv("DUSTLET_EMPTY_TRASH_CHILD", "1", 1);
                const QByteArray homePath = QFile::encodeName(home.path());
                // As "nobody", with the home and this program within reach (a temporary folder
                // below a private one is not): otherwise the test cannot be run here.
                if (::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0
                    && ::access(homePath.constData(), R_OK | W_OK | X_OK) == 0 && ::access(self.constData(), X_OK) == 0)
                    ::execl(self.constData(), self.constData(), "emptyTrashAsTheUser", "-silent", nullptr);
                ::_exit(3);
            }
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
                QSKIP("could not run as \"nobody\" here (no setuid, or the temporary folder is out of its reach)");
            QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the clearing as \"nobody\" failed");
        } else {
            emptyTrashAsTheUser();
        }
        const QByteArray error = readAll(home("outcome.txt"));
        QVERIFY(!lexists(files + "/mod"));
        QVERIFY(!lexists(files + "/plain.txt"));
        QVERIFY(!lexists(info + "/mod.trashinfo"));
        QVERIFY(!lexists(info + "/plain.txt.trashinfo"));
        QVERIFY(!lexists(info + "/orphan.trashinfo"));
        if (asRoot) {
            QCOMPARE(error, "Couldn't remove " + QFile::encodeName(files + "/stuck"));
            QCOMPARE(readAll(files + "/stuck/inside.txt"), QByteArray("root's"));
            QVERIFY(lexists(info + "/stuck.trashinfo"));
        } else {
            QCOMPARE(error, QByteArray("none"));
        }
    }

    // The clearing of trashEmptiedWhole, run in a process of its own as the user whose Trash it is
    // (the home comes from the environment); it writes the outcome's error to the home.
    void emptyTrashAsTheUser()
    {
        if (TestHome::isRoot() && qEnvironmentVariableIsEmpty("DUSTLET_EMPTY_TRASH_CHILD"))
            QSKIP("run by trashEmptiedWhole as another user");
        const CleanOutcome o =
            run(pathsTarget({"~/.Trash", "~/.local/share/Trash/files", "~/.local/share/Trash/info"}), true);
        QFile out(QDir::homePath() + "/outcome.txt");
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(o.error ? o.error->toUtf8() : QByteArray("none"));
    }

    // The Trash target also measures and empties the user's Trash on the other mounted volumes,
    // as the desktop's own "Empty Trash" does, whichever of the two kinds of Trash folder it is.
    void otherVolumesTrashEmptied_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::newRow("$topdir/.Trash-$uid") << false;
        QTest::newRow("$topdir/.Trash/$uid") << true;
    }

    void otherVolumesTrashEmptied()
    {
        QFETCH(bool, shared);
        if (!m_mounts)
            QSKIP("no private mount namespace here (mounting a second volume needs root)");
        TestHome home;
        const QString vol = home.mkdir("vol");
        QVERIFY(MountSpace::mountTmpfs(vol));
        const auto unmount = qScopeGuard([&] {
            MountedVolumes::setMountsForTesting(std::nullopt);
            MountSpace::unmount(vol);
        });
        MountedVolumes::setMountsForTesting(QList<MountedVolumes::Mount>{{"/", "/dev/root", "ext4", "", true},
                                                                         {vol, "/dev/sdz1", "ext4", "USB", true}});
        const QString uid = QString::number(::geteuid());
        if (shared) {
            QVERIFY(QDir().mkdir(vol + "/.Trash"));
            QCOMPARE(::chmod(QFile::encodeName(vol + "/.Trash").constData(), 01777), 0);
        }
        const QString trash = shared ? vol + "/.Trash/" + uid : vol + "/.Trash-" + uid;
        const QString item = home.writeFile("vol/photos/big.raw", 1 << 20);
        const auto where = Trash::moveToTrash(item);
        QVERIFY(where);
        QCOMPARE(*where, trash + "/files/big.raw");
        home.writeText("inhome.txt", "home");
        QVERIFY(Trash::moveToTrash(home("inhome.txt")));

        const CleanupTarget target =
            pathsTarget({"~/.Trash", "~/.local/share/Trash/files", "~/.local/share/Trash/info"});
        const Scanner::Measurement measured = Scanner::measure(target).result();
        QStringList places;
        for (const Scanner::MeasuredPlace& p : measured.places)
            places << p.path;
        QVERIFY2(places.contains(trash + "/files") && places.contains(trash + "/info"), qPrintable(places.join(", ")));
        QVERIFY(*measured.size >= (1 << 20));

        const CleanOutcome o = run(target, true);
        QCOMPARE(o.error, std::nullopt);
        QVERIFY(o.freed >= (1 << 20));
        QVERIFY(o.trashed.isEmpty());
        QVERIFY(QDir(trash + "/files").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        QVERIFY(QDir(trash + "/info").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        QVERIFY(QDir(home(".local/share/Trash/files")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    // The move of an item the user picked in a tool, after the tool listed it: a folder on the
    // way swapped for a link, or an item that is no longer the one listed, is not moved and
    // nothing else is touched; the tool's rule is applied where the move finds the item (and, for
    // a link, where it leads); the Trash itself never goes.
    void pickedItemMoves_data()
    {
        QTest::addColumn<QString>("listed"); // the item as the tool listed it, relative to home
        QTest::addColumn<QString>("change"); // what happens after the listing
        QTest::addColumn<int>("kind"); // PickedItem::Kind as listed
        QTest::addColumn<bool>("withIdentity"); // the listing kept device and inode
        QTest::addColumn<int>("result"); // PickedMove::Result
        using K = Cleaner::PickedItem::Kind;
        using R = Cleaner::PickedMove::Result;
        QTest::newRow("unchanged") << "work/app/data/report.pdf"
                                   << "" << int(K::notFolder) << true << int(R::moved);
        QTest::newRow("folder on the way now a link to Documents")
            << "work/app/data/report.pdf"
            << "data->Documents" << int(K::notFolder) << false << int(R::changed);
        QTest::newRow("folder on the way now a link to the keys")
            << "work/app/data/id_ed25519"
            << "data->.ssh" << int(K::notFolder) << true << int(R::changed);
        QTest::newRow("a folder named Documents, its folder now a link to home")
            << "work/app/data/Documents"
            << "app->home" << int(K::folder) << false << int(R::changed);
        QTest::newRow("item replaced by a folder") << "work/app/data/report.pdf"
                                                   << "item->folder" << int(K::notFolder) << false << int(R::changed);
        QTest::newRow("item replaced by another file") << "work/app/data/report.pdf"
                                                       << "item->file" << int(K::notFolder) << true << int(R::changed);
        QTest::newRow("item gone") << "work/app/data/report.pdf"
                                   << "item->gone" << int(K::unknown) << false << int(R::changed);
        QTest::newRow("item is a link to the home folder") << "work/app/data/homelink"
                                                           << "" << int(K::notFolder) << false << int(R::refused);
        QTest::newRow("item is a link to the keys") << "work/app/data/keylink"
                                                    << "" << int(K::notFolder) << false << int(R::refused);
        QTest::newRow("the home folder itself") << ""
                                                << "" << int(K::folder) << false << int(R::refused);
        QTest::newRow("the keys themselves") << ".ssh/id_ed25519"
                                             << "" << int(K::notFolder) << true << int(R::refused);
        QTest::newRow("the Trash") << ".local/share/Trash"
                                   << "" << int(K::folder) << false << int(R::failed);
        QTest::newRow("a link to a file goes as itself") << "work/app/data/alias"
                                                         << "" << int(K::notFolder) << false << int(R::moved);
    }

    void pickedItemMoves()
    {
        QFETCH(QString, listed);
        QFETCH(QString, change);
        QFETCH(int, kind);
        QFETCH(bool, withIdentity);
        QFETCH(int, result);
        TestHome home;
        home.writeText("work/app/data/report.pdf", "cache copy");
        home.writeText("work/app/data/id_ed25519", "not a key");
        home.mkdir("work/app/data/Documents");
        home.symlink("work/app/data/homelink", home.path());
        home.symlink("work/app/data/keylink", home(".ssh/id_ed25519"));
        home.symlink("work/app/data/alias", home("work/app/data/report.pdf"));
        home.writeText("Documents/report.pdf", "the user's report");
        home.writeText(".ssh/id_ed25519", "the key");
        home.mkdir(".local/share/Trash/files");
        const QMap<QString, QByteArray> precious{{"Documents/report.pdf", "the user's report"},
                                                 {".ssh/id_ed25519", "the key"}};

        Cleaner::PickedItem item;
        item.path = QFile::encodeName(home(listed));
        item.kind = Cleaner::PickedItem::Kind(kind);
        struct stat st {};
        if (withIdentity && ::lstat(item.path.constData(), &st) == 0) {
            item.device = quint64(st.st_dev);
            item.inode = quint64(st.st_ino);
        }
        // The change after the listing.
        if (change == "data->Documents")
            QVERIFY(home.swapForLink("work/app/data", home("Documents")));
        else if (change == "data->.ssh")
            QVERIFY(home.swapForLink("work/app/data", home(".ssh")));
        else if (change == "app->home")
            QVERIFY(home.swapForLink("work/app", home.path()));
        else if (change == "item->folder") {
            QVERIFY(QFile::remove(home(listed)));
            home.mkdir(listed);
        } else if (change == "item->file") {
            home.writeText(listed + ".new", "another file");
            QVERIFY(::rename(QFile::encodeName(home(listed + ".new")).constData(), item.path.constData()) == 0);
        } else if (change == "item->gone")
            QVERIFY(QFile::remove(home(listed)));

        const Cleaner::PickedMove moved = Cleaner::trashPicked(item, Cleaner::PickedIn::diskMap);
        QCOMPARE(int(moved.result), result);
        QCOMPARE(moved.item.has_value(), result == int(Cleaner::PickedMove::Result::moved));
        for (auto it = precious.begin(); it != precious.end(); ++it)
            QCOMPARE(readAll(home(it.key())), it.value());
        QVERIFY(QFileInfo(home("Documents")).isDir());
        QVERIFY(QFileInfo(home(".local/share/Trash")).isDir());
        if (moved.item) {
            QCOMPARE(moved.item->original, home(listed));
            QVERIFY(!lexists(home(listed)));
            QVERIFY(lexists(moved.item->trashPath));
            QVERIFY(Trash::putBack(moved.item->trashPath, moved.item->original));
        } else if (change.isEmpty() || (change.startsWith("item->") && change != "item->gone")) {
            QVERIFY(lexists(home(listed))); // what is there now stays
        }
    }

private:
    static QString infoOf(const QString& trashPath)
    {
        const QFileInfo f(trashPath);
        return QFileInfo(f.absolutePath()).absolutePath() + "/info/" + f.fileName() + ".trashinfo";
    }

    bool m_mounts = false;
};

QTEST_GUILESS_MAIN(tst_CleanerHardening)
#include "tst_CleanerHardening.moc"
