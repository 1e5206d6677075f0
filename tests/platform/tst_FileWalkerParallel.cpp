#include "TestHome.h"
#include "platform/FileWalker.h"

#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <QFile>

#include <atomic>
#include <mutex>
#include <optional>
#include <set>

namespace {

using Seen = std::set<std::string>; // "path kind allocated depth"

std::string describe(const FileWalker::Entry& e)
{
    return std::string(e.path) + " " + std::to_string(int(e.kind)) + " " + std::to_string(e.allocated()) + " "
        + std::to_string(e.depth);
}

} // namespace

class tst_FileWalkerParallel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every entry the sequential walk visits, the parallel one visits once, with the same facts.
    void sameEntriesAsSequential()
    {
        TestHome home;
        QRandomGenerator rng(77);
        QStringList folders{"t"};
        for (int i = 0; i < 80; ++i) {
            folders << folders[int(rng.bounded(qsizetype(folders.size())))] + QString("/d%1").arg(i);
            home.mkdir(folders.last());
        }
        for (int i = 0; i < 700; ++i)
            home.writeFile(folders[int(rng.bounded(qsizetype(folders.size())))] + QString("/f%1").arg(i),
                           rng.bounded(20'000));
        home.symlink("t/up", home("t"));
        home.symlink("t/d0link", home("t/d0"));

        FileWalker::Options o;
        Seen sequential;
        QVERIFY(FileWalker::walk(home("t").toStdString(), o, [&](const FileWalker::Entry& e) {
            sequential.insert(describe(e));
            return FileWalker::Visit::Descend;
        }));
        WalkPool three(3);
        struct Way {
            WalkPool* pool;
            std::optional<int> budget; // descriptors to keep; 0: every folder opened from the root down
        };
        for (const Way way : {Way{nullptr, {}}, Way{&three, {}}, Way{&WalkPool::shared(), {}},
                              Way{&WalkPool::shared(), 0}, Way{&three, 1}}) {
            WalkPool::setDescriptorBudgetForTesting(way.budget);
            WalkPool* pool = way.pool;
            std::mutex m;
            Seen parallel;
            size_t visits = 0;
            int ticks = 0;
            QThread* me = QThread::currentThread();
            bool tickOff = false;
            QVERIFY(FileWalker::walkParallel(
                home("t").toStdString() + "/", o, pool,
                [&](const FileWalker::Entry& e) {
                std::lock_guard g(m);
                parallel.insert(describe(e));
                ++visits;
                return FileWalker::Visit::Descend;
                },
                [&] {
                ++ticks;
                tickOff |= QThread::currentThread() != me;
            },
                    std::chrono::milliseconds(1)));
            WalkPool::setDescriptorBudgetForTesting(std::nullopt);
            QCOMPARE(parallel, sequential);
            QCOMPARE(visits, sequential.size());
            QVERIFY(!tickOff);
            QCOMPARE(WalkPool::heldDescriptors(), 0);
        }
    }

    void skipAndStop()
    {
        TestHome home;
        for (int i = 0; i < 20; ++i)
            for (int j = 0; j < 20; ++j)
                home.writeFile(QString("s/d%1/f%2").arg(i).arg(j), 1);
        home.writeFile("s/skip/inner", 1);
        std::atomic<int> visits{0};
        std::atomic<bool> enteredSkipped{false};
        FileWalker::walkParallel(
            home("s").toStdString(), {}, &WalkPool::shared(),
            [&](const FileWalker::Entry& e) {
            if (e.name == "inner")
                enteredSkipped = true;
            if (e.name == "skip")
                return FileWalker::Visit::Skip;
            return ++visits >= 30 ? FileWalker::Visit::Stop : FileWalker::Visit::Descend;
            },
            [] {});
        QVERIFY(!enteredSkipped);
        QVERIFY(visits < 421);
        QVERIFY(!FileWalker::walkParallel(
            home("missing").toStdString(), {}, &WalkPool::shared(),
            [](const FileWalker::Entry&) { return FileWalker::Visit::Descend; }, [] {}));
    }

    // A tree far deeper than the open-file limit allows descriptors, walked whole, leaving no
    // descriptor open.
    void deeperThanTheFileLimit()
    {
        TestHome home;
        const int levels = 1200;
        const qint64 bytes = home.deepTree("deep", levels);
        QVERIFY(bytes > 0);
        SoftFileLimit limit(256);
        QVERIFY(limit.isValid());
        const int before = TestHome::openDescriptors();
        std::atomic<qint64> counted{0};
        std::atomic<int> files{0}, deepest{0};
        QVERIFY(FileWalker::walkParallel(
            home("deep").toStdString(), {}, &WalkPool::shared(),
            [&](const FileWalker::Entry& e) {
            int d = deepest.load();
            while (e.depth > d && !deepest.compare_exchange_weak(d, e.depth)) {}
            if (e.kind == FileWalker::Kind::File) {
                ++files;
                counted += e.allocated();
            }
            return FileWalker::Visit::Descend;
            },
            [] {}));
        QCOMPARE(files.load(), levels / 100 + 1);
        QCOMPARE(counted.load(), bytes);
        QCOMPARE(deepest.load(), levels);
        QCOMPARE(TestHome::openDescriptors(), before);
        QVERIFY(TestHome::removeDeepTree(home("deep")));
    }

    // A wide tree under a low open-file limit: folders wait in the queue by the thousand, yet the
    // descriptors held for them stay within the budget and every file is counted.
    void wideTreeWithinTheBudget()
    {
        TestHome home;
        for (int i = 0; i < 600; ++i)
            home.writeFile(QString("w/a%1/b/c/f").arg(i), 1);
        SoftFileLimit limit(64);
        QVERIFY(limit.isValid());
        const int before = TestHome::openDescriptors();
        std::atomic<int> files{0}, mostOpen{0};
        QVERIFY(FileWalker::walkParallel(
            home("w").toStdString(), {}, &WalkPool::shared(),
            [&](const FileWalker::Entry& e) {
            int held = WalkPool::heldDescriptors(), most = mostOpen.load();
            while (held > most && !mostOpen.compare_exchange_weak(most, held)) {}
            if (e.kind == FileWalker::Kind::File)
                ++files;
            return FileWalker::Visit::Descend;
            },
            [] {}));
        QCOMPARE(files.load(), 600);
        QVERIFY2(mostOpen.load() <= 64 / 8, qPrintable(QString::number(mostOpen.load())));
        QCOMPARE(TestHome::openDescriptors(), before);
    }

    // A folder swapped for a link after its parent was listed is not entered: neither when it is
    // opened from its parent nor when it is reached name by name from the root; nor is a folder
    // below one that was swapped.
    void swappedFolderIsNotFollowed_data()
    {
        QTest::addColumn<int>("budget");
        QTest::newRow("opened from the parent") << -1;
        QTest::newRow("opened from the root down") << 0;
    }
    void swappedFolderIsNotFollowed()
    {
        QFETCH(int, budget);
        TestHome home;
        home.writeFile("s/x/a/f", 10);
        home.writeFile("s/y/p/q/f", 10);
        home.writeFile("outside/secret", 10);
        home.writeFile("outside/p/q/secret", 10);
        home.writeFile("outside/q/secret", 10);
        const QByteArray s = QFile::encodeName(home("s")), outside = QFile::encodeName(home("outside"));
        WalkPool::setDescriptorBudgetForTesting(budget < 0 ? std::nullopt : std::optional<int>(budget));
        std::mutex m;
        std::vector<std::string> seen;
        FileWalker::walkParallel(
            s.toStdString(), {}, &WalkPool::shared(),
            [&](const FileWalker::Entry& e) {
            std::lock_guard g(m);
            seen.emplace_back(e.path);
            if (e.path == s.toStdString() + "/x/a") { // listed, not yet opened: swapped for a link
                ::rename(s + "/x/a", s + "/x/a-moved");
                ::symlink(outside.constData(), s + "/x/a");
            }
            if (e.path == s.toStdString() + "/y/p/q") { // the folder above swapped meanwhile
                ::rename(s + "/y/p", s + "/y/p-moved");
                ::symlink(outside + "/p", s + "/y/p");
            }
            return FileWalker::Visit::Descend;
            },
            [] {});
        WalkPool::setDescriptorBudgetForTesting(std::nullopt);
        for (const std::string& p : seen)
            QVERIFY2(p.find("secret") == std::string::npos, p.c_str());
        // Reached from its parent's descriptor, the folder below the swap is still the real one.
        if (budget < 0)
            QVERIFY(std::find(seen.begin(), seen.end(), s.toStdString() + "/y/p/q/f") != seen.end());
    }
};

QTEST_GUILESS_MAIN(tst_FileWalkerParallel)
#include "tst_FileWalkerParallel.moc"
