#pragma once
// The threads every parallel folder walk of the program lists its folders on: one pool, shared by
// all walks at once. Thirty measurements started together thus use the machine fully without
// starting thirty sets of threads. Each walk keeps its own queue of items (a Batch), in its own
// order; the pool's threads take the queued items of the walks in turn.
//
// How many items run at once follows the disk, not only the cores: normally one per core (the
// pool's width), whoever runs it (the pool's threads, or the thread that waits for a walk, which
// runs items of its own walk while a slot is free, so a small walk needs no other thread). While
// the running items leave the processors idle because they wait for the disk (a first walk of a
// tree whose folders are not in memory), the pool lets more items run, up to a fixed cap and
// never more than the descriptor budget allows, so that the disk always has reads queued; once
// the processors are busy again it goes back to its width. A walk given a width of its own runs
// exactly that many items at once. An item must not wait for other items: items list a folder
// and queue what they find, nothing more. A walk is never started from an item.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class WalkPool {
public:
    // The program's pool: one item per core runs at once (at least 1), more while they wait.
    static WalkPool& shared();

    // `width` items run at once while none waits on the disk.
    explicit WalkPool(int width);
    ~WalkPool(); // every batch of the pool must be gone
    WalkPool(const WalkPool&) = delete;
    WalkPool& operator=(const WalkPool&) = delete;

    int width() const;
    // Items that may run at once now: the width, or more while items wait on the disk.
    int limit() const;
    // The most items that ever run at once (and so the most threads): a fixed cap, within half
    // the descriptor budget (each running item holds its folder open), never below the width.
    int maxInFlight() const;
    // Threads started so far (they stay, idle, once started).
    int threads() const;

    // Folder descriptors that the walks of the whole program may keep open at once so that the
    // folders below can be opened from them; a walk that gets none opens a folder from the
    // nearest folder above it that holds one. A small share of the open-file limit.
    static bool holdDescriptor();
    static void releaseDescriptor();
    static int heldDescriptors();
    static int descriptorBudget();
    // Reads the open-file limit again (each walk does as it starts).
    static void refreshDescriptorBudget();
    // Tests: a fixed budget (0: every folder is opened from the root down); no value: the usual.
    static void setDescriptorBudgetForTesting(std::optional<int> budget);

    // What the pool saw of its items over the last stretch of time, and the limit it sets from it.
    struct Sample {
        int width = 1;
        int cap = 1;
        int limit = 1; // the limit so far
        int running = 0; // items running at the end of the stretch
        bool queued = false; // items waiting for a slot
        double busyCores = 0; // processor time the process used over the stretch, per second
        // Bytes the process read from storage over the stretch (a walk of folders that are not in
        // memory reads their entries and their files' records); below 0 where the system does not
        // tell.
        long long diskReadBytes = -1;
        // The share of the time items ran that their threads spent off the processor (waiting
        // for the disk, a lock, or a processor); below 0 when unknown.
        double blockedShare = -1;
        // The share of the machine's processor time that went unused (idle, or idle waiting for
        // the disk) over the stretch; below 0 where the system does not tell.
        double idleShare = -1;
        long voluntarySwitches = 0; // threads that gave up the processor to wait (for the disk)
        long involuntarySwitches = 0; // threads that were made to give it up (a busy machine)
    };
    // More items when every slot is taken, work is queued, the process keeps fewer processors busy
    // than the width, it reads from the disk and the items' threads are off the processor for
    // much of the time (so they wait for the disk, not only for a lock or a processor; where the
    // system does not tell all that, when the machine's processors sit idle, or else when the
    // threads gave up the processor more often than they were made to):
    // as many as would keep `width` processors busy at the rate seen. Back towards the width once
    // the processors are busy, nothing is read from the disk or the items no longer wait, or
    // nothing waits for a slot. Pure; the pool applies it every few milliseconds while items run.
    static int nextLimit(const Sample& sample);

    class Batch;

private:
    friend class Batch;
    void work();
    // With m_lock held:
    void unready(Batch* batch); // takes it off m_ready
    bool mayTake(const Batch* batch) const; // a slot is free for it
    bool take(Batch* batch, std::function<void()>& out); // its next item, when a slot is free
    void finished(Batch* batch); // an item of it has run
    bool anyTakeable() const;
    void startThreads(); // threads for the slots that are free
    // Without m_lock: runs an item, noting how long it ran and how much of that its thread was off
    // the processor.
    void runItem(std::function<void()>& task);
    // Without m_lock: adjusts the limit when a stretch of time has passed since the last time.
    void govern();

    const int m_width;
    const int m_cap;
    std::atomic<int> m_limit;

    mutable std::mutex m_lock;
    std::condition_variable m_wakeWorkers;
    std::vector<Batch*> m_ready; // batches with queued items, served in turn
    size_t m_turn = 0;
    bool m_quit = false;
    size_t m_idle = 0; // threads waiting for work
    size_t m_running = 0; // items running, on the pool's threads and on waiting threads
    std::vector<std::thread> m_threads;

    std::mutex m_governLock; // one thread measures at a time
    std::atomic<long long> m_nextGovernNs{0}; // steady clock
    std::chrono::steady_clock::time_point m_lastGovern;
    double m_lastCpu = 0;
    std::atomic<long long> m_itemNs{0}; // items' running time so far
    std::atomic<long long> m_itemSleptNs{0}; // of it, off the processor
    long long m_lastItemNs = 0;
    long long m_lastItemSleptNs = 0;
    long long m_lastIdle = -1;
    long long m_lastRead = -1;
    long long m_lastTotal = -1;
    long m_lastVoluntary = 0;
    long m_lastInvoluntary = 0;
};

// The items of one walk. Items are taken lowest rank first and, within a rank, the last queued
// first (depth first, so that few folders are in flight at once).
class WalkPool::Batch {
public:
    using Task = std::function<void()>;

    // Items run on `pool`'s threads; with no pool, on the thread that calls wait(), one by one.
    // `width` above 0: at most that many items of this batch run at once (within the pool's cap),
    // whether they wait or not; 0: as the pool's limit says.
    explicit Batch(WalkPool* pool, int width = 0);
    ~Batch(); // drops what is still queued and waits for the items running
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Queues an item; any thread, also from a running item.
    void post(Task task, long long rank = 0);

    // Blocks until every item queued (and every item those queue) has run, running items itself
    // while the pool has a slot free. Meanwhile calls `tick` on this thread when an item has
    // called wake() and at least every `interval`; with no pool, after every item. Call it once.
    void wait(const std::function<void()>& tick, std::chrono::milliseconds interval);

    // Has the waiting thread call its tick soon (from a running item).
    void wake();

private:
    friend class WalkPool;
    std::mutex& lock() { return m_pool ? m_pool->m_lock : m_ownLock; }
    bool takeLocked(Task& out); // the next item; false when none is queued

    WalkPool* m_pool;
    int m_width;
    std::mutex m_ownLock;
    std::condition_variable m_changed;
    std::map<long long, std::vector<Task>> m_queue;
    size_t m_outstanding = 0; // queued and running
    size_t m_running = 0; // running
    bool m_inReady = false; // listed in the pool's m_ready
    bool m_woken = false;
    bool m_waiting = false; // a thread sleeps in wait()
};
