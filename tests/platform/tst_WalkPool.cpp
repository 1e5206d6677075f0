#include "platform/WalkPool.h"

#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Runs `count` items that each hold a slot for `each` without using the processor (as an item
// waiting for the disk does) and returns the most that ran at once.
int mostAtOnce(WalkPool& pool, int batchWidth, int count, std::chrono::milliseconds each)
{
    std::atomic<int> now{0}, most{0};
    WalkPool::Batch batch(&pool, batchWidth);
    for (int i = 0; i < count; ++i) {
        batch.post([&] {
            const int n = ++now;
            int m = most.load();
            while (n > m && !most.compare_exchange_weak(m, n)) {}
            std::this_thread::sleep_for(each);
            --now;
        });
    }
    batch.wait({}, std::chrono::milliseconds(5));
    return most.load();
}

} // namespace

class tst_WalkPool : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The rule the pool follows the disk by: more items only while every slot is taken, work
    // waits, the process keeps fewer processors busy than the width, reads from the disk and its
    // items' threads sleep (they wait for the disk, not for a processor or a lock); back towards
    // the width once the processors are busy, nothing is read or the items no longer sleep.
    // Where the items' sleep is unknown, the machine's idle share tells, and without that the
    // threads' switches.
    void nextLimit_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("running");
        QTest::addColumn<bool>("queued");
        QTest::addColumn<double>("busyCores");
        QTest::addColumn<double>("blockedShare");
        QTest::addColumn<double>("idleShare");
        QTest::addColumn<int>("voluntary");
        QTest::addColumn<int>("involuntary");
        QTest::addColumn<int>("cap");
        QTest::addColumn<int>("expected");
        QTest::addColumn<long long>("diskReads"); // below 0: not known
        // Width 8 throughout.
        QTest::newRow("warm: the processors are busy, no more")
            << 8 << 8 << true << 7.6 << -1.0 << 0.05 << 200 << 30 << 64 << 8 << -1LL;
        QTest::newRow("cold: one processor busy, eight times as many")
            << 8 << 8 << true << 1.0 << -1.0 << 0.85 << 900 << 10 << 64 << 64 << -1LL;
        QTest::newRow("half busy: twice as many")
            << 8 << 8 << true << 4.0 << -1.0 << 0.5 << 900 << 10 << 64 << 16 << -1LL;
        QTest::newRow("a little short: a few more")
            << 8 << 8 << true << 5.5 << -1.0 << 0.31 << 900 << 10 << 64 << 12 << -1LL;
        QTest::newRow("within the cap") << 8 << 8 << true << 1.0 << -1.0 << 0.85 << 900 << 10 << 20 << 20 << -1LL;
        QTest::newRow("slots free: no more") << 8 << 5 << true << 1.0 << -1.0 << 0.85 << 900 << 10 << 64 << 8 << -1LL;
        QTest::newRow("nothing queued: no more")
            << 8 << 8 << false << 1.0 << -1.0 << 0.85 << 900 << 10 << 64 << 8 << -1LL;
        QTest::newRow("other programs take the processors: no more")
            << 8 << 8 << true << 3.0 << -1.0 << 0.02 << 900 << 400 << 64 << 8 << -1LL;
        QTest::newRow("grown, still waiting: grows on")
            << 24 << 24 << true << 1.5 << -1.0 << 0.8 << 900 << 10 << 64 << 64 << -1LL;
        QTest::newRow("grown, now busy: halfway back")
            << 40 << 40 << true << 7.8 << -1.0 << 0.02 << 900 << 10 << 64 << 24 << -1LL;
        QTest::newRow("grown, the machine busy with others: halfway back")
            << 40 << 40 << true << 3.0 << -1.0 << 0.05 << 900 << 10 << 64 << 24 << -1LL;
        QTest::newRow("grown, nothing queued: halfway back")
            << 40 << 12 << false << 2.0 << -1.0 << 0.7 << 900 << 10 << 64 << 24 << -1LL;
        QTest::newRow("grown, busy, one over: back to the width")
            << 9 << 9 << true << 7.9 << -1.0 << 0.01 << 100 << 10 << 64 << 8 << -1LL;
        QTest::newRow("a smaller cap than the limit: within it")
            << 40 << 40 << true << 1.0 << -1.0 << 0.85 << 900 << 10 << 16 << 16 << -1LL;
        QTest::newRow("the items sleep, though others keep the machine busy: more")
            << 8 << 8 << true << 2.0 << 0.8 << 0.02 << 100 << 900 << 64 << 32 << -1LL;
        QTest::newRow("the items hardly sleep, the machine half idle: no more")
            << 8 << 8 << true << 5.0 << 0.05 << 0.5 << 900 << 10 << 64 << 8 << -1LL;
        QTest::newRow("grown, the items no longer sleep: halfway back")
            << 40 << 40 << true << 5.0 << 0.05 << 0.5 << 900 << 10 << 64 << 24 << -1LL;
        QTest::newRow("the items sleep, nothing read from the disk (locks, a busy machine): no more")
            << 8 << 8 << true << 2.0 << 0.8 << 0.02 << 100 << 900 << 64 << 8 << 0LL;
        QTest::newRow("the items sleep, reading from the disk: more")
            << 8 << 8 << true << 2.0 << 0.8 << 0.02 << 100 << 900 << 64 << 32 << 4096LL;
        QTest::newRow("grown, nothing read from the disk any more: halfway back")
            << 40 << 40 << true << 2.0 << 0.8 << 0.02 << 100 << 900 << 64 << 24 << 0LL;
        QTest::newRow("no idle figure, the threads wait: more")
            << 8 << 8 << true << 1.0 << -1.0 << -1.0 << 900 << 10 << 64 << 64 << -1LL;
        QTest::newRow("no idle figure, the threads are made to wait: no more")
            << 8 << 8 << true << 3.0 << -1.0 << -1.0 << 40 << 400 << 64 << 8 << -1LL;
    }
    void nextLimit()
    {
        QFETCH(int, limit);
        QFETCH(int, running);
        QFETCH(bool, queued);
        QFETCH(double, busyCores);
        QFETCH(double, blockedShare);
        QFETCH(double, idleShare);
        QFETCH(int, voluntary);
        QFETCH(int, involuntary);
        QFETCH(int, cap);
        QFETCH(int, expected);
        QFETCH(long long, diskReads);
        WalkPool::Sample s;
        s.diskReadBytes = diskReads;
        s.width = 8;
        s.cap = cap;
        s.limit = limit;
        s.running = running;
        s.queued = queued;
        s.busyCores = busyCores;
        s.blockedShare = blockedShare;
        s.idleShare = idleShare;
        s.voluntarySwitches = voluntary;
        s.involuntarySwitches = involuntary;
        QCOMPARE(WalkPool::nextLimit(s), expected);
    }

    // A walk given a width runs exactly that many items at once, waiting or not.
    void batchWidthIsKept()
    {
        WalkPool pool(8);
        QCOMPARE(mostAtOnce(pool, 3, 60, std::chrono::milliseconds(4)), 3);
        QCOMPARE(mostAtOnce(pool, 1, 10, std::chrono::milliseconds(2)), 1);
    }

    // The cap stays within half the descriptor budget (each running item holds its folder
    // open), but never below the width.
    void capFollowsTheDescriptorBudget()
    {
        WalkPool pool(4);
        WalkPool::setDescriptorBudgetForTesting(20);
        QCOMPARE(pool.maxInFlight(), 10);
        WalkPool::setDescriptorBudgetForTesting(2);
        QCOMPARE(pool.maxInFlight(), 4);
        WalkPool::setDescriptorBudgetForTesting(1000);
        QCOMPARE(pool.maxInFlight(), 64);
        WalkPool::setDescriptorBudgetForTesting(std::nullopt);
    }
};

QTEST_GUILESS_MAIN(tst_WalkPool)
#include "tst_WalkPool.moc"
