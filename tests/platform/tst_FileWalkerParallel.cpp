#include "TestHome.h"
#include "platform/FileWalker.h"

#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <mutex>
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
        for (int threads : {1, 3, 8}) {
            std::mutex m;
            Seen parallel;
            size_t visits = 0;
            int ticks = 0;
            QThread* me = QThread::currentThread();
            bool tickOff = false;
            QVERIFY(FileWalker::walkParallel(
                home("t").toStdString() + "/", o, threads,
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
            QCOMPARE(parallel, sequential);
            QCOMPARE(visits, sequential.size());
            QVERIFY(!tickOff);
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
            home("s").toStdString(), {}, 4,
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
        QVERIFY(!FileWalker::walkParallel(home("missing").toStdString(), {}, 2,
                                          [](const FileWalker::Entry&) { return FileWalker::Visit::Descend; }, [] {}));
    }
};

QTEST_GUILESS_MAIN(tst_FileWalkerParallel)
#include "tst_FileWalkerParallel.moc"
