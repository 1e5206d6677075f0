#include "TestHome.h"
#include "models/DiskInfo.h"
#include "services/Scanner.h"

#include <QFile>
#include <QMutex>
#include <QTest>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace {

CleanupTarget target(const QString& id, CleanupKind kind)
{
    CleanupTarget t;
    t.id = id;
    t.name = id;
    t.kind = std::move(kind);
    return t;
}

// Records progress calls from any thread.
struct ProgressLog {
    QMutex lock;
    QList<qint64> calls;
    Scanner::Progress callback()
    {
        return [this](qint64 bytes) {
            QMutexLocker g(&lock);
            calls.append(bytes);
        };
    }
};

} // namespace

class tst_Scanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void directorySize_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::newRow("missing path") << "missing";
        QTest::newRow("single file") << "file";
        QTest::newRow("folder with links inside") << "folder";
        QTest::newRow("sparse file") << "sparse";
        QTest::newRow("link to a folder as the path") << "rootlink";
    }

    void directorySize()
    {
        QFETCH(QString, layout);
        TestHome home;
        QVERIFY(home.isValid());
        QString path;
        qint64 expected = 0;
        if (layout == "missing") {
            path = home("nothing/here");
        } else if (layout == "file") {
            path = home.writeFile("one.bin", 10000);
            expected = TestHome::allocated(path);
        } else if (layout == "folder" || layout == "rootlink") {
            const QString a = home.writeFile("tree/a.bin", 5000);
            const QString b = home.writeFile("tree/sub/deeper/b.bin", 70000);
            const QString hidden = home.writeFile("tree/.hidden", 4096);
            home.writeFile("outside/huge.bin", 1 << 20);
            home.symlink("tree/sub/link-to-outside", home("outside"));
            home.symlink("tree/link-to-file", home("outside/huge.bin"));
            expected = TestHome::allocated(a) + TestHome::allocated(b) + TestHome::allocated(hidden);
            path = home("tree");
            if (layout == "rootlink")
                path = home.symlink("treelink", home("tree"));
        } else if (layout == "sparse") {
            path = home("sparse.bin");
            const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::ftruncate(fd, 64 << 20), 0);
            QCOMPARE(::pwrite(fd, "x", 1, 1 << 20), ssize_t(1));
            ::close(fd);
            expected = TestHome::allocated(path);
            QVERIFY(expected < (64 << 20));
        }
        QCOMPARE(Scanner::directorySize(path), expected);
        // The tilde form measures the same.
        if (path.startsWith(home.path()))
            QCOMPARE(Scanner::directorySize("~" + path.mid(home.path().size())), expected);
    }

    void progressCadence_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("calls");
        QTest::newRow("1,499 files") << 1499 << 0;
        QTest::newRow("3,000 files") << 3000 << 2;
    }

    void progressCadence()
    {
        QFETCH(int, files);
        QFETCH(int, calls);
        TestHome home;
        const QString root = home.mkdir("many");
        for (int i = 0; i < files; ++i) {
            QFile f(QString("%1/d%2/f%3").arg(root).arg(i % 7).arg(i));
            if (i < 7)
                home.mkdir(QString("many/d%1").arg(i));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        QList<qint64> seen;
        QThread* me = QThread::currentThread();
        bool offThread = false;
        const qint64 total = Scanner::directorySize(root, [&](qint64 b) {
            offThread |= QThread::currentThread() != me;
            seen.append(b);
        });
        QCOMPARE(seen.size(), calls);
        QVERIFY(!offThread);
        if (calls == 2) {
            QVERIFY(seen[0] > 0 && seen[0] < seen[1]);
            QCOMPARE(seen[1], total); // the 3,000th file is the last one
        }
    }

    // A file with several links in the tree counts once; one whose other link lies outside the
    // tree counts in full (its blocks are in the tree as much as anywhere).
    void hardLinksCountOnce()
    {
        TestHome home;
        const QString a = home.writeFile("t/a.bin", 40960);
        const QString solo = home.writeFile("t/solo.bin", 8192);
        const QString shared = home.writeFile("elsewhere/shared.bin", 12288);
        home.mkdir("t/sub/deeper");
        for (const auto& [from, to] : {std::pair{a, home("t/sub/a-again")}, std::pair{a, home("t/sub/deeper/a-third")},
                                       std::pair{shared, home("t/shared-link")}})
            QCOMPARE(::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
        const qint64 expected = TestHome::allocated(a) + TestHome::allocated(solo) + TestHome::allocated(shared);
        QCOMPARE(Scanner::directorySize(home("t")), expected);
        // Each walk counts afresh.
        QCOMPARE(Scanner::directorySize(home("t/sub")), TestHome::allocated(a));
    }

    // Thirty measurements at once, as the panel starts them, share the one walking pool and each
    // gets its own tree's size.
    void concurrentMeasurements()
    {
        TestHome home;
        QList<qint64> expected;
        for (int t = 0; t < 30; ++t) {
            qint64 sum = 0;
            for (int i = 0; i <= t * 3; ++i)
                sum +=
                    TestHome::allocated(home.writeFile(QString("m%1/d%2/f%3").arg(t).arg(i % 4).arg(i), 512 * (i + t)));
            expected << sum;
        }
        QList<QFuture<qint64>> running;
        for (int t = 0; t < 30; ++t)
            running << QtConcurrent::run([path = home(QString("m%1").arg(t))] { return Scanner::directorySize(path); });
        for (int t = 0; t < 30; ++t)
            QCOMPARE(running[t].result(), expected[t]);
    }

    void sizeOfTarget()
    {
        TestHome home;
        const QString a = home.writeFile("cache/a/one.bin", 20000);
        const QString b = home.writeFile("cache/b/two.bin", 9000);
        const qint64 sizeA = TestHome::allocated(a), sizeB = TestHome::allocated(b);

        // No paths at all: unknown, not zero.
        QCOMPARE(Scanner::size(target("sims", CleanupKinds::Command{"xcrun simctl delete unavailable", {}})).result(),
                 std::nullopt);
        QCOMPARE(
            Scanner::size(target("nm", CleanupKinds::Finder{{"~/nowhere"}, {"node_modules"}, 5, {}, 0, {}})).result(),
            std::nullopt);
        // A missing fallback folder measures 0, which is a value.
        QCOMPARE(Scanner::size(target("npm", CleanupKinds::Command{"npm cache clean --force", {"~/.npm/_cacache"}}))
                     .result(),
                 std::optional<qint64>(0));
        // Folders the search finds are measured.
        home.writeFile("src/web/node_modules/dep.js", 3000);
        QCOMPARE(Scanner::size(target("nm", CleanupKinds::Finder{{"~/src"}, {"node_modules"}, 5, {}, 0, {}})).result(),
                 std::optional<qint64>(TestHome::allocated(home("src/web/node_modules/dep.js"))));
        // A found link is cleared as itself, so what it leads to is not counted.
        home.writeFile("shared/mods/lib.js", 40000);
        home.symlink("src/linked/node_modules", home("shared/mods"));
        QCOMPARE(Scanner::size(target("nm", CleanupKinds::Finder{{"~/src"}, {"node_modules"}, 5, {}, 0, {}})).result(),
                 std::optional<qint64>(TestHome::allocated(home("src/web/node_modules/dep.js"))));
        // A folder found twice, through a link to its project, counts once.
        home.symlink("src/alias", home("src/web"));
        QCOMPARE(Scanner::size(target("nm", CleanupKinds::Finder{{"~/src"}, {"node_modules"}, 5, {}, 0, {}})).result(),
                 std::optional<qint64>(TestHome::allocated(home("src/web/node_modules/dep.js"))));

        // Two paths: a cumulative report after each.
        ProgressLog log;
        const auto total =
            Scanner::size(target("two", CleanupKinds::Paths{{"~/cache/a", home("cache/b")}}), log.callback()).result();
        QCOMPARE(total, std::optional<qint64>(sizeA + sizeB));
        QVERIFY(log.calls.size() >= 2);
        QVERIFY(log.calls.contains(sizeA));
        QCOMPARE(log.calls.last(), sizeA + sizeB);
    }

    void diskInfo()
    {
        TestHome home;
        const DiskInfo here = DiskInfo::current(home.path());
        QVERIFY(here.total > 0);
        QVERIFY(here.availableImportant >= 0 && here.availableImportant <= here.total);
        QCOMPARE(DiskInfo::current(home("no/such/folder")), DiskInfo{});
        QCOMPARE(DiskInfo::current(QString()), DiskInfo{});
    }
};

QTEST_GUILESS_MAIN(tst_Scanner)
#include "tst_Scanner.moc"
