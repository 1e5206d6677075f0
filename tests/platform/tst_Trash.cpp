#include "MountSpace.h"
#include "TestHome.h"
#include "platform/Trash.h"
#include "platform/Volume.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path) { return TestHome::contents(path); }
bool lexists(const QByteArray& path) { return TestHome::lexists(path); }

mode_t typeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

QString infoOf(const QString& trashPath)
{
    const QFileInfo f(trashPath);
    return QFileInfo(f.absolutePath()).absolutePath() + "/info/" + f.fileName() + ".trashinfo";
}

} // namespace

class tst_Trash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_mounts = MountSpace::enter(); }

    void moveAndPutBack()
    {
        TestHome home;
        const QString file = home.writeFile("work/notes/a.txt", 100);
        home.writeFile("work/folder/inner.bin", 5000);
        const QString link = home.symlink("work/link", home("work/folder"));

        const auto trashedFile = Trash::moveToTrash(file);
        QVERIFY(trashedFile);
        QVERIFY(trashedFile->startsWith(home(".local/share/Trash/files/")));
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(QFileInfo::exists(*trashedFile));
        const QString info = home(".local/share/Trash/info/") + QFileInfo(*trashedFile).fileName() + ".trashinfo";
        QVERIFY(QFileInfo::exists(info));

        // A link goes as itself; its folder stays.
        const auto trashedLink = Trash::moveToTrash(link);
        QVERIFY(trashedLink);
        QVERIFY(QFileInfo(*trashedLink).isSymLink());
        QVERIFY(QFileInfo::exists(home("work/folder/inner.bin")));

        // Put back into a folder that is gone meanwhile: it is made again.
        QVERIFY(QDir(home("work/notes")).removeRecursively());
        QVERIFY(Trash::putBack(*trashedFile, file));
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(!QFileInfo::exists(*trashedFile));
        QVERIFY(!QFileInfo::exists(info));

        // Never over something that is already back at the original place.
        home.writeFile("work/link", 7);
        QVERIFY(!Trash::putBack(*trashedLink, link));
        QVERIFY(QFileInfo(*trashedLink).isSymLink());
        QCOMPARE(QFileInfo(link).size(), 7);
        QVERIFY(!Trash::putBack(home(".local/share/Trash/files/nothing"), home("work/nothing")));
        QVERIFY(!Trash::moveToTrash(home("work/missing")));
    }

    void missingDataFolderIsMadeFirst()
    {
        TestHome home;
        QVERIFY(QDir(home(".local")).removeRecursively());
        const QString work = home.mkdir("cwd");
        const QString old = QDir::currentPath();
        QDir::setCurrent(work);
        const QString file = home.writeFile("x.bin", 10);
        const auto where = Trash::moveToTrash(file);
        QDir::setCurrent(old);
        QVERIFY(where);
        QVERIFY(where->startsWith(home(".local/share/Trash/files/")));
        QVERIFY(!QFileInfo::exists(work + "/files"));
    }

    // When the data folder cannot be made, nothing moves (rather than into "./files" here).
    void unmakeableDataFolderMovesNothing()
    {
        TestHome home;
        home.writeFile("blocker", 1);
        qputenv("XDG_DATA_HOME", home("blocker/share").toLocal8Bit());
        const QString work = home.mkdir("cwd");
        const QString old = QDir::currentPath();
        QDir::setCurrent(work);
        const QString file = home.writeFile("y.bin", 10);
        const auto where = Trash::moveToTrash(file);
        QDir::setCurrent(old);
        QCOMPARE(where, std::nullopt);
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(!QFileInfo::exists(work + "/files"));
    }

    void isInTrash_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("inside");
        QTest::newRow("item in the desktop Trash") << ".local/share/Trash/files/old.txt" << true;
        QTest::newRow("item in ~/.Trash") << ".Trash/old.txt" << true;
        QTest::newRow("deep in ~/.Trash") << ".Trash/a/b" << true;
        QTest::newRow("the Trash folder itself") << ".Trash" << false;
        QTest::newRow("look-alike folder") << ".Trashcan/x" << false;
        QTest::newRow("elsewhere") << "Library/Caches/x" << false;
        QTest::newRow("through a linked folder") << "trashlink/old.txt" << true;
    }

    void isInTrash()
    {
        QFETCH(QString, relative);
        QFETCH(bool, inside);
        TestHome home;
        home.mkdir(".Trash");
        home.symlink("trashlink", home(".Trash"));
        QCOMPARE(Trash::isInTrash(home(relative)), inside);
        QVERIFY(!Trash::isInTrash(".Trash/x"));
    }

    // What lies in a Trash already, a Trash folder and what holds one never go (again): that would
    // free nothing, or move the Trash's records out of its "info" folder. Nothing is moved and
    // no record is added or lost.
    void trashFoldersAndTheirItemsStay_data()
    {
        QTest::addColumn<QString>("relative"); // "@" stands for the item trashed first
        QTest::newRow("an item in the Trash") << "@";
        QTest::newRow("a file inside a trashed folder") << "@/inner.bin";
        QTest::newRow("the records folder") << ".local/share/Trash/info";
        QTest::newRow("the items folder") << ".local/share/Trash/files";
        QTest::newRow("the Trash folder itself") << ".local/share/Trash";
        QTest::newRow("the folder holding the Trash") << ".local/share";
        QTest::newRow("an item in ~/.Trash") << ".Trash/old.txt";
    }

    void trashFoldersAndTheirItemsStay()
    {
        QFETCH(QString, relative);
        TestHome home;
        home.writeFile("old/inner.bin", 4096);
        const auto first = Trash::moveToTrash(home("old"));
        QVERIFY(first);
        home.writeText(".Trash/old.txt", "kept");
        const QString path = relative.startsWith('@') ? *first + relative.mid(1) : home(relative);
        QVERIFY(QFileInfo::exists(path));
        const QString trash = home(".local/share/Trash");
        const QStringList files = QDir(trash + "/files").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const QStringList records = QDir(trash + "/info").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        QCOMPARE(Trash::moveToTrash(path), std::nullopt);
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QDir(trash + "/files").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), files);
        QCOMPARE(QDir(trash + "/info").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), records);
        QVERIFY(Trash::putBack(*first, home("old")));
        QVERIFY(QFileInfo::exists(home("old/inner.bin")));
    }

    // Things the old path-based Trash refused (and the cleaner then deleted for good) go in as
    // themselves and come back as themselves.
    void danglingLinkAndFifoRoundTrip()
    {
        TestHome home;
        const QString link = home.symlink("odd/dangling", home("nowhere/at/all"));
        const QString fifo = home("odd/pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString empty = home.writeFile("odd/empty", 0);
        for (const QString& item : {link, fifo, empty}) {
            const mode_t type = typeOf(item);
            const auto where = Trash::moveToTrash(item);
            QVERIFY2(where, qPrintable(item));
            QCOMPARE(typeOf(*where), type);
            QCOMPARE(typeOf(item), mode_t(0));
            QVERIFY(QFileInfo::exists(infoOf(*where)));
            QVERIFY(Trash::putBack(*where, item));
            QCOMPARE(typeOf(item), type);
            QVERIFY(!QFileInfo::exists(infoOf(*where)));
        }
        QCOMPARE(QFileInfo(link).symLinkTarget(), home("nowhere/at/all"));
    }

    // The record names the original as percent-encoded raw bytes with the deletion date; a second
    // item of the same name gets a name of its own, and each comes back to its own place.
    void recordsAndSameNames()
    {
        TestHome home;
        const QString a = home.writeText("one/same name%.txt", "first");
        const QString b = home.writeText("two/same name%.txt", "second");
        const auto ta = Trash::moveToTrash(a);
        const auto tb = Trash::moveToTrash(b);
        QVERIFY(ta && tb);
        QVERIFY(*ta != *tb);
        const QByteArray info = readAll(infoOf(*ta));
        QVERIFY2(info.startsWith("[Trash Info]\nPath=" + QFile::encodeName(home.path()).toPercentEncoding("/")
                                 + "/one/same%20name%25.txt\nDeletionDate="),
                 info.constData());
        QVERIFY(QDateTime::fromString(QString::fromLatin1(info.split('=').last().trimmed()), "yyyy-MM-ddTHH:mm:ss")
                    .isValid());
        QVERIFY(Trash::putBack(*tb, b));
        QVERIFY(Trash::putBack(*ta, a));
        QCOMPARE(readAll(a), QByteArray("first"));
        QCOMPARE(readAll(b), QByteArray("second"));
    }

    // Put back moves only the item that was trashed: the Trash is emptied by another client and its
    // slot refilled (the item and its record written as such a client writes them); the remembered
    // original must be the record's Path, byte for byte, or nothing moves and nothing is deleted.
    void putBackOnlyTheItemItsRecordNames_data()
    {
        QTest::addColumn<QByteArray>("record"); // "@" stands for the path written percent-encoded
        QTest::addColumn<QString>("refilledFrom"); // the other client's item, relative to home; "" none
        QTest::addColumn<bool>("goesBack");
        QTest::newRow("refilled with another item")
            << QByteArray("[Trash Info]\nPath=@\nDeletionDate=2024-05-01T10:00:00\n") << "Documents/report.pdf"
            << false;
        QTest::newRow("own record, as another client writes it")
            << QByteArray("[Trash Info]\r\nDeletionDate=2024-05-01T10:00:00\r\nPath=@\r\n") << "" << true;
        QTest::newRow("Path outside the group")
            << QByteArray("Path=@\n[Trash Info]\nDeletionDate=2024-05-01T10:00:00\n") << "" << false;
        QTest::newRow("record missing") << QByteArray() << "" << false;
        QTest::newRow("relative Path in the home Trash climbing out")
            << QByteArray("[Trash Info]\nPath=../../.cache/y/report.pdf\n") << "" << false;
    }

    void putBackOnlyTheItemItsRecordNames()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, refilledFrom);
        QFETCH(bool, goesBack);
        TestHome home;
        const QString original = home.writeText(".cache/y/report.pdf", "cache copy");
        const auto where = Trash::moveToTrash(original);
        QVERIFY(where);
        const QString info = infoOf(*where);
        // Another client empties the Trash and trashes an item of the same name into the free slot.
        QString itemPath = original;
        QVERIFY(QFile::remove(*where) && QFile::remove(info));
        if (!refilledFrom.isEmpty()) {
            itemPath = home(refilledFrom);
            home.writeText(refilledFrom, "the user's report");
            QCOMPARE(::rename(QFile::encodeName(itemPath).constData(), QFile::encodeName(*where).constData()), 0);
        } else {
            home.writeText(".local/share/Trash/files/report.pdf", "cache copy");
        }
        if (!record.isEmpty())
            home.writeText(".local/share/Trash/info/report.pdf.trashinfo",
                           record.replace("@", QFile::encodeName(itemPath).toPercentEncoding("/")));

        const Trash::PutBackResult result = Trash::putBack(*where, original);
        QCOMPARE(bool(result), goesBack);
        if (!goesBack) // as if the item were gone from the Trash
            QCOMPARE(result.outcome, Trash::PutBackResult::Outcome::notInTrash);
        QCOMPARE(QFileInfo::exists(original), goesBack);
        QCOMPARE(QFileInfo::exists(*where), !goesBack);
        QCOMPARE(QFileInfo::exists(info), !goesBack && !record.isEmpty());
        if (!refilledFrom.isEmpty()) {
            QCOMPARE(readAll(*where), QByteArray("the user's report"));
            QVERIFY(!QFileInfo::exists(itemPath)); // nor was it put back to its own place
        }
    }

    // A name that is not UTF-8 is moved by its bytes, not through its decoded look-alike that
    // sits beside it, and comes back under its own bytes.
    void rawNames()
    {
        TestHome home;
        const QByteArray folder = QFile::encodeName(home.mkdir("raw"));
        const QByteArray real = folder + "/x\xff";
        const QString decoy = home.writeText("raw/x\uFFFD", "decoy");
        QFile f(QFile::decodeName(real));
        {
            const int fd = ::open(real.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, "real", 4), ssize_t(4));
            ::close(fd);
        }
        const auto where = Trash::moveToTrash(real);
        QVERIFY(where);
        QVERIFY(!lexists(real));
        QCOMPARE(readAll(decoy), QByteArray("decoy"));
        QCOMPARE(QFile::decodeName(QFile::encodeName(*where)), *where); // the path handed back is text
        QCOMPARE(readAll(*where), QByteArray("real"));
        QVERIFY(readAll(infoOf(*where)).contains("/raw/x%FF\n"));
        // The history keeps the decoded original; the record's bytes put it back where it was.
        QVERIFY(Trash::putBack(*where, QFile::decodeName(real)));
        QVERIFY(lexists(real));
        QCOMPARE(readAll(decoy), QByteArray("decoy"));
    }

    // Paths the move refuses: a link on the way (one not in the home folder's own path), a NUL,
    // dots, a relative path; the item stays. A link in the home path itself is followed.
    void refusedPaths()
    {
        TestHome home;
        const QString item = home.writeFile("real/item", 10);
        home.symlink("via", home("real"));
        QCOMPARE(Trash::moveToTrash(home("via/item")), std::nullopt);
        QCOMPARE(Trash::moveToTrash(QFile::encodeName(home("real/item")) + QByteArray("\0x", 2)), std::nullopt);
        QCOMPARE(Trash::moveToTrash(home("real/../real/item")), std::nullopt);
        QCOMPARE(Trash::moveToTrash(QStringLiteral("real/item")), std::nullopt);
        QVERIFY(QFileInfo::exists(item));

        const QString homeLink =
            QDir::cleanPath(home.symlink("../home-link-" + QFileInfo(home.path()).fileName(), home.path()));
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(homeLink));
        const auto where = Trash::moveToTrash(homeLink + "/real/item");
        qputenv("HOME", oldHome);
        QFile::remove(homeLink);
        QVERIFY(where);
        QVERIFY(!QFileInfo::exists(item));
    }

    // An item on another volume goes to that volume's own Trash folder (never copied and deleted),
    // and comes back from there; where no Trash folder can be had there, it is not moved.
    void otherVolume()
    {
        if (!m_mounts)
            QSKIP("no private mount namespace here");
        TestHome home;
        const QString vol = home.mkdir("vol");
        QVERIFY(MountSpace::mountTmpfs(vol));
        const QString uid = QString::number(::geteuid());
        const QString item = home.writeText("vol/data/item.bin", "on the volume");
        const auto where = Trash::moveToTrash(item);
        QVERIFY(where);
        QCOMPARE(*where, vol + "/.Trash-" + uid + "/files/item.bin");
        // The record names the item relative to the volume's top, as the freedesktop.org Trash layout
        // recommends for a volume's Trash.
        QVERIFY(readAll(infoOf(*where)).contains("\nPath=data/item.bin\n"));
        QVERIFY(Trash::isInTrash(*where));
        QCOMPARE(Trash::moveToTrash(*where), std::nullopt); // in that Trash already
        QVERIFY(Trash::putBack(*where, item));
        QCOMPARE(readAll(item), QByteArray("on the volume"));
        // An absolute Path, as other clients write it there, is read as well.
        const auto again = Trash::moveToTrash(item);
        QVERIFY(again);
        home.writeText(infoOf(*again).mid(home.path().size() + 1),
                       "[Trash Info]\nPath=" + QFile::encodeName(item).toPercentEncoding("/") + "\n");
        QVERIFY(Trash::putBack(*again, item));
        QCOMPARE(readAll(item), QByteArray("on the volume"));

        // A shared ".Trash" with the sticky bit takes precedence.
        QVERIFY(QDir().mkdir(vol + "/.Trash"));
        QCOMPARE(::chmod(QFile::encodeName(vol + "/.Trash").constData(), 01777), 0);
        const auto shared = Trash::moveToTrash(item);
        QVERIFY(shared);
        QCOMPARE(*shared, vol + "/.Trash/" + uid + "/files/item.bin");
        QVERIFY(readAll(infoOf(*shared)).contains("\nPath=data/item.bin\n"));
        QVERIFY(Trash::putBack(*shared, item));
        QVERIFY(QDir(vol + "/.Trash").removeRecursively());

        // No Trash folder to be had there: the item stays.
        QVERIFY(QDir(vol + "/.Trash-" + uid).removeRecursively());
        home.writeText("vol/.Trash-" + uid, "in the way");
        QCOMPARE(Trash::moveToTrash(item), std::nullopt);
        QCOMPARE(readAll(item), QByteArray("on the volume"));
        QVERIFY(MountSpace::unmount(vol));
    }

    // A record is only ever seen complete: it is written under a temporary name and linked to its
    // own, so the "info" folder never holds a name being written. The one asking is told the
    // item's place in the Trash before the item moves, and can stop the move; temporary records
    // of a process that died while writing one are swept away, a living process's stay.
    void recordsAppearComplete()
    {
        TestHome home;
        const QString info = home(".local/share/Trash/info");
        QVERIFY(QDir().mkpath(info));
        QVERIFY(QDir().mkpath(home(".local/share/Trash/files")));
        const pid_t dead = ::fork();
        if (dead == 0)
            ::_exit(0);
        QVERIFY(dead > 0);
        QCOMPARE(::waitpid(dead, nullptr, 0), dead);
        const QString deadPart = info + "/.dustlet-" + QString::number(dead) + "-7.part";
        const QString livePart = info + "/.dustlet-1-7.part";
        home.writeText(".local/share/Trash/info/" + QFileInfo(deadPart).fileName(), "[Trash Info]\nPa");
        home.writeText(".local/share/Trash/info/" + QFileInfo(livePart).fileName(), "[Trash Info]\nPa");

        const QString item = home.writeText("work/item.txt", "x");
        const QByteArray folder = QFile::encodeName(home("work"));
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QStringList told;
        QStringList recordsWhenTold;
        const auto where = Trash::moveToTrashAt(fd, folder, "item.txt", [&](const QString& path) {
            told << path;
            recordsWhenTold = QDir(info).entryList(QDir::Files | QDir::Hidden);
            return QFileInfo::exists(item); // still in its place
        });
        QVERIFY(where);
        QCOMPARE(told, QStringList{*where});
        QVERIFY(recordsWhenTold.contains("item.txt.trashinfo"));
        QVERIFY(readAll(infoOf(*where)).startsWith("[Trash Info]\nPath="));
        QVERIFY(!QFileInfo::exists(deadPart));
        QVERIFY(QFileInfo::exists(livePart));
        QCOMPARE(QDir(info).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QFileInfo(livePart).fileName(), "item.txt.trashinfo"}));

        // Told "no": the item stays and leaves no record.
        const QString second = home.writeText("work/second.txt", "y");
        QCOMPARE(Trash::moveToTrashAt(fd, folder, "second.txt", [](const QString&) { return false; }), std::nullopt);
        ::close(fd);
        QVERIFY(QFileInfo::exists(second));
        QVERIFY(!QFileInfo::exists(info + "/second.txt.trashinfo"));
    }

    // What a process that died while moving an item left in "info" goes at the next start: its
    // temporary records, and the record one was linked to when that record's item never arrived.
    // A writer that still runs keeps its own (unless it is older than any writer keeps one), and
    // what other programs keep there stays.
    void leftoversOfAMoveThatDied()
    {
        TestHome home;
        const QString info = home.mkdir(".local/share/Trash/info");
        const QString files = home.mkdir(".local/share/Trash/files");
        const pid_t dead = ::fork();
        if (dead == 0)
            ::_exit(0);
        QVERIFY(dead > 0);
        QCOMPARE(::waitpid(dead, nullptr, 0), dead);
        const QString d = ".dustlet-" + QString::number(dead) + "-";
        const auto record = [&](const QString& name) {
            return home.writeText(".local/share/Trash/info/" + name, "[Trash Info]\nPath=/w/x\nDeletionDate=x\n");
        };
        const auto linked = [&](const QString& part, const QString& name) {
            const QString path = record(name);
            QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(info + "/" + part).constData()), 0);
        };
        linked(d + "1.part", "ghost.trashinfo"); // died before its item moved
        linked(d + "2.part", "moved.trashinfo"); // died right after
        home.writeText(".local/share/Trash/files/moved", "x");
        home.writeText(".local/share/Trash/info/" + d + "3.part", ""); // died while writing
        linked(".dustlet-1-4.part", "writing.trashinfo"); // a writer that runs
        home.writeText(".local/share/Trash/info/.dustlet-1-5.part", "[Trash");
        QVERIFY(TestHome::setAge(info + "/.dustlet-1-5.part", QDateTime::currentDateTime().addSecs(-7200)));
        record("orphan.trashinfo"); // another program's, without its item
        home.writeText(".local/share/Trash/info/other.part", "x");

        Trash::removeLeftovers();
        QCOMPARE(QDir(info).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{".dustlet-1-4.part", "moved.trashinfo", "orphan.trashinfo", "other.part",
                              "writing.trashinfo"}));
        QCOMPARE(QDir(files).entryList(QDir::Files | QDir::Hidden), QStringList{"moved"});
    }

    // The record of an item that was announced but never moved goes, when it still names the
    // item's place; one naming another place, one whose item is there, and anything outside a
    // Trash stay.
    void recordOfAnItemThatNeverArrived()
    {
        TestHome home;
        const QString files = home.mkdir(".local/share/Trash/files");
        const auto record = [&](const QString& name, const QString& original) {
            return home.writeText(".local/share/Trash/info/" + name + ".trashinfo",
                                  "[Trash Info]\nPath=" + QFile::encodeName(original).toPercentEncoding("/")
                                      + "\nDeletionDate=2026-01-01T00:00:00\n");
        };
        const QString original = home("work/f1");
        const QString ghost = record("f1", original);
        const QString other = record("f2", home("work/elsewhere"));
        const QString filled = record("f3", home("work/f3"));
        home.writeText(".local/share/Trash/files/f3", "x");
        home.writeText("work/files/f4", "x");

        QVERIFY(!Trash::forgetUnfilledRecord(files + "/f2", home("work/f2")));
        QVERIFY(!Trash::forgetUnfilledRecord(files + "/f3", home("work/f3")));
        QVERIFY(!Trash::forgetUnfilledRecord(home("work/files/f4"), home("work/f4")));
        QVERIFY(QFileInfo::exists(other) && QFileInfo::exists(filled));
        QVERIFY(Trash::forgetUnfilledRecord(files + "/f1", original));
        QVERIFY(!QFileInfo::exists(ghost));
        QVERIFY(QFileInfo::exists(files + "/f3"));
    }

    // Why a put-back did not happen: something is at the original place, or nothing is left in
    // the Trash.
    void putBackSaysWhy()
    {
        TestHome home;
        const QString item = home.writeText("work/item.txt", "x");
        const auto where = Trash::moveToTrash(item);
        QVERIFY(where);
        home.writeText("work/item.txt", "new");
        QCOMPARE(Trash::putBack(*where, item).outcome, Trash::PutBackResult::Outcome::occupied);
        QCOMPARE(Trash::putBack(home(".local/share/Trash/files/none"), item).outcome,
                 Trash::PutBackResult::Outcome::notInTrash);
        QCOMPARE(Trash::putBack(home("nowhere/files/none"), item).outcome, Trash::PutBackResult::Outcome::notInTrash);
        QFile::remove(item);
        QCOMPARE(Trash::putBack(*where, item).outcome, Trash::PutBackResult::Outcome::restored);
    }

    void volumeCapacity()
    {
        TestHome home;
        const Volume::Capacity c = Volume::capacity(home.path());
        QVERIFY(c.total > 0);
        QVERIFY(c.available >= 0 && c.available <= c.total);
        QCOMPARE(Volume::capacity(home("no/such/place")), Volume::Capacity{});
    }

private:
    bool m_mounts = false;
};

QTEST_GUILESS_MAIN(tst_Trash)
#include "tst_Trash.moc"
