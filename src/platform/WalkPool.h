#pragma once
// The threads every parallel folder walk of the program lists its folders on: one pool, one thread
// per core, shared by all walks at once. Thirty measurements started together thus use the machine
// fully without starting thirty sets of threads. Each walk keeps its own queue of items (a Batch),
// in its own order; the pool's threads take the queued items of the walks in turn.
//
// At most one item per core runs at a time, whoever runs it: the pool's threads, or the thread that
// waits for a walk, which runs items of its own walk while a slot is free (so a small walk needs no
// other thread, and a walk never waits for a busy pool to get to it). An item must not wait for
// other items: items list a folder and queue what they find, nothing more. A walk is never
// started from an item.

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
    // The program's pool: up to one thread per core (at most 16).
    static WalkPool& shared();

    explicit WalkPool(int threads);
    ~WalkPool(); // every batch of the pool must be gone
    WalkPool(const WalkPool&) = delete;
    WalkPool& operator=(const WalkPool&) = delete;

    // Threads start as work arrives, up to this many.
    int maxThreads() const { return int(m_maxThreads); }

    // Folder descriptors that the walks of the whole program may keep open at once so that the
    // folders below can be opened from them; a walk that gets none opens a folder from the
    // nearest folder above it that holds one. A small share of the open-file limit.
    static bool holdDescriptor();
    static void releaseDescriptor();
    static int heldDescriptors();
    // Tests: a fixed budget (0: every folder is opened from the root down); no value: the usual.
    static void setDescriptorBudgetForTesting(std::optional<int> budget);

    class Batch;

private:
    friend class Batch;
    void work();
    // With m_lock held:
    void unready(Batch* batch);                    // takes it off m_ready
    bool take(Batch* batch, std::function<void()>& out); // its next item, when a slot is free
    void finished(Batch* batch);                   // an item of it has run

    std::mutex m_lock;
    std::condition_variable m_wakeWorkers;
    std::vector<Batch*> m_ready; // batches with queued items, served in turn
    size_t m_turn = 0;
    bool m_quit = false;
    size_t m_idle = 0;    // threads waiting for work
    size_t m_running = 0; // items running, on the pool's threads and on waiting threads
    size_t m_maxThreads;  // also the most items that run at once
    std::vector<std::thread> m_threads;
};

// The items of one walk. Items are taken lowest rank first and, within a rank, the last queued
// first (depth first, so that few folders are in flight at once).
class WalkPool::Batch {
public:
    using Task = std::function<void()>;

    // Items run on `pool`'s threads; with no pool, on the thread that calls wait(), one by one.
    explicit Batch(WalkPool* pool);
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
    std::mutex m_ownLock;
    std::condition_variable m_changed;
    std::map<long long, std::vector<Task>> m_queue;
    size_t m_outstanding = 0; // queued and running
    bool m_inReady = false;   // listed in the pool's m_ready
    bool m_woken = false;
};
