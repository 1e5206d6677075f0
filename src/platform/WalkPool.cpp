#include "platform/WalkPool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The most threads the pool starts, whatever the width: enough to keep a disk's queue full while
// nearly all of them wait for reads.
constexpr int kThreadCap = 64;
// How often the pool looks at what its items do (the system counts processor time in steps of
// 10 ms a processor).
constexpr std::chrono::milliseconds kGovernEvery{25};

std::atomic<int> g_held{0};
std::atomic<int> g_budgetForTesting{-1};
std::atomic<int> g_budget{-1};

// The machine's unused and total processor time so far, in the system's ticks; false where it
// does not tell.
bool machineTicks(long long& idle, long long& total)
{
#ifdef __linux__
    FILE* f = std::fopen("/proc/stat", "re");
    if (!f)
        return false;
    unsigned long long v[8] = {};
    const int n = std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2], &v[3], &v[4],
                              &v[5], &v[6], &v[7]);
    std::fclose(f);
    if (n < 5)
        return false;
    idle = (long long)(v[3] + v[4]); // idle, and idle waiting for the disk
    total = 0;
    for (int i = 0; i < n; ++i)
        total += (long long)v[i];
    return true;
#else
    (void)idle;
    (void)total;
    return false;
#endif
}

double processCpuSeconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// The processor time the calling thread has used, in ns.
long long threadCpuNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// Bytes this process has read from storage so far (/proc/self/io); false where there is none.
bool processDiskReads(long long& bytes)
{
#ifdef __linux__
    // Opened for each look (every few milliseconds): a descriptor kept open would count
    // against the open-file limit for good.
    const int fd = ::open("/proc/self/io", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[512];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0)
        return false;
    buf[n] = 0;
    const char* at = std::strstr(buf, "\nread_bytes: ");
    return at && std::sscanf(at + 13, "%lld", &bytes) == 1;
#else
    (void)bytes;
    return false;
#endif
}

long long steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

WalkPool& WalkPool::shared()
{
    // Never destroyed: its threads wait idle until the process ends.
    static WalkPool* pool =
        new WalkPool(int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(kThreadCap))));
    return *pool;
}

WalkPool::WalkPool(int width)
    : m_width(std::clamp(width, 1, kThreadCap)), m_cap(std::max(kThreadCap, m_width)), m_limit(m_width)
{
    m_threads.reserve(size_t(m_cap));
}

WalkPool::~WalkPool()
{
    {
        std::lock_guard g(m_lock);
        m_quit = true;
    }
    m_wakeWorkers.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

int WalkPool::width() const { return m_width; }

int WalkPool::limit() const { return m_limit.load(std::memory_order_relaxed); }

int WalkPool::threads() const
{
    std::lock_guard g(m_lock);
    return int(m_threads.size());
}

int WalkPool::maxInFlight() const { return std::max(m_width, std::min(m_cap, descriptorBudget() / 2)); }

// An eighth of the open-file limit (read again as each walk starts, it may change), so that a
// desktop with a limit of 256 keeps plenty for everything else.
int WalkPool::descriptorBudget()
{
    const int forTesting = g_budgetForTesting.load(std::memory_order_relaxed);
    if (forTesting >= 0)
        return forTesting;
    int budget = g_budget.load(std::memory_order_relaxed);
    if (budget < 0) {
        refreshDescriptorBudget();
        budget = g_budget.load(std::memory_order_relaxed);
    }
    return budget;
}

void WalkPool::refreshDescriptorBudget()
{
    rlimit limit{};
    rlim_t soft = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        soft = limit.rlim_cur;
    g_budget.store(int(std::clamp<rlim_t>(soft / 8, 4, 128)), std::memory_order_relaxed);
}

bool WalkPool::holdDescriptor()
{
    const int budget = descriptorBudget();
    int now = g_held.load(std::memory_order_relaxed);
    while (now < budget) {
        if (g_held.compare_exchange_weak(now, now + 1, std::memory_order_relaxed))
            return true;
    }
    return false;
}

void WalkPool::releaseDescriptor() { g_held.fetch_sub(1, std::memory_order_relaxed); }

int WalkPool::heldDescriptors() { return g_held.load(std::memory_order_relaxed); }

void WalkPool::setDescriptorBudgetForTesting(std::optional<int> budget)
{
    g_budgetForTesting.store(budget.value_or(-1), std::memory_order_relaxed);
}

int WalkPool::nextLimit(const Sample& s)
{
    const int floor = std::max(1, s.width);
    const int cap = std::max(s.cap, floor);
    const int limit = std::clamp(s.limit, floor, cap);
    const bool full = s.running >= limit;
    const bool sleeps = s.blockedShare >= 0 ? s.blockedShare > 0.3
        : s.idleShare >= 0                  ? s.idleShare > 0.3
                                            : s.voluntarySwitches > s.involuntarySwitches;
    const bool waiting = sleeps && s.diskReadBytes != 0;
    if (full && s.queued && waiting && s.busyCores < 0.75 * floor) {
        // Each running item kept this share of a processor busy; `width` processors take this many.
        const double perItem = std::max(s.busyCores, 0.02 * s.running) / std::max(1, s.running);
        const double wanted = std::ceil(double(floor) / perItem);
        return std::clamp(std::max(limit + 1, int(std::min(wanted, double(cap)))), floor, cap);
    }
    const bool noWait =
        s.diskReadBytes == 0 || (s.blockedShare >= 0 ? s.blockedShare < 0.1 : s.idleShare >= 0 && s.idleShare < 0.1);
    if (limit > floor && (s.busyCores >= 0.9 * floor || !s.queued || noWait))
        return std::max(floor, (limit + floor) / 2);
    return limit;
}

void WalkPool::govern()
{
    const auto now = std::chrono::steady_clock::now();
    const long long nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
    if (nowNs < m_nextGovernNs.load(std::memory_order_relaxed))
        return;
    std::unique_lock g(m_governLock, std::try_to_lock);
    if (!g.owns_lock() || now - m_lastGovern < kGovernEvery)
        return;
    m_nextGovernNs.store(nowNs + std::chrono::duration_cast<std::chrono::nanoseconds>(kGovernEvery).count(),
                         std::memory_order_relaxed);
    const double cpu = processCpuSeconds();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double seconds = std::chrono::duration<double>(now - m_lastGovern).count();
    const bool first = m_lastGovern == std::chrono::steady_clock::time_point{} || seconds > 1.0;
    Sample s;
    s.width = m_width;
    s.cap = maxInFlight();
    s.busyCores = first ? 0 : (cpu - m_lastCpu) / seconds;
    long long read = 0;
    if (processDiskReads(read)) {
        if (!first && m_lastRead >= 0)
            s.diskReadBytes = read - m_lastRead;
        m_lastRead = read;
    }
    long long idle = 0, total = 0;
    if (machineTicks(idle, total)) {
        if (!first && m_lastTotal >= 0 && total > m_lastTotal)
            s.idleShare = double(idle - m_lastIdle) / double(total - m_lastTotal);
        m_lastIdle = idle;
        m_lastTotal = total;
    }
    const long long itemNs = m_itemNs.load(std::memory_order_relaxed);
    const long long sleptNs = m_itemSleptNs.load(std::memory_order_relaxed);
    if (!first && itemNs > m_lastItemNs)
        s.blockedShare = double(sleptNs - m_lastItemSleptNs) / double(itemNs - m_lastItemNs);
    m_lastItemNs = itemNs;
    m_lastItemSleptNs = sleptNs;
    s.voluntarySwitches = usage.ru_nvcsw - m_lastVoluntary;
    s.involuntarySwitches = usage.ru_nivcsw - m_lastInvoluntary;
    m_lastGovern = now;
    m_lastCpu = cpu;
    m_lastVoluntary = usage.ru_nvcsw;
    m_lastInvoluntary = usage.ru_nivcsw;
    std::lock_guard lk(m_lock);
    s.limit = m_limit.load(std::memory_order_relaxed);
    s.running = int(m_running);
    s.queued = false;
    for (const Batch* b : m_ready)
        s.queued |= b->m_width == 0 && !b->m_queue.empty();
    // A first look only sets the baseline; after a long pause (nothing ran) the pool starts afresh
    // at its width.
    const int next = first ? m_width : nextLimit(s);
    if (next == s.limit)
        return;
    m_limit.store(next, std::memory_order_relaxed);
    if (next > s.limit)
        startThreads();
}

void WalkPool::unready(Batch* batch)
{
    const auto at = std::find(m_ready.begin(), m_ready.end(), batch);
    if (at == m_ready.end())
        return;
    if (size_t(at - m_ready.begin()) < m_turn)
        --m_turn;
    m_ready.erase(at);
    batch->m_inReady = false;
}

bool WalkPool::mayTake(const Batch* batch) const
{
    if (batch->m_queue.empty())
        return false;
    if (batch->m_width > 0)
        return batch->m_running < size_t(batch->m_width);
    return m_running < size_t(m_limit.load(std::memory_order_relaxed));
}

bool WalkPool::anyTakeable() const
{
    for (const Batch* b : m_ready)
        if (mayTake(b))
            return true;
    return false;
}

bool WalkPool::take(Batch* batch, Batch::Task& out)
{
    if (!mayTake(batch) || !batch->takeLocked(out))
        return false;
    if (batch->m_queue.empty())
        unready(batch);
    ++m_running;
    ++batch->m_running;
    return true;
}

void WalkPool::finished(Batch* batch)
{
    --m_running;
    --batch->m_running;
    // The slot just freed goes to the thread that ran the item, which takes the next one at once
    // (see work() and Batch::wait()): nobody else needs waking for it, so a walk of many small
    // folders does not wake a sleeping thread per folder.
    if (batch->m_outstanding == 0)
        batch->m_changed.notify_all();
}

void WalkPool::startThreads()
{
    // Free slots that queued items could fill, less the threads already asleep to take them.
    size_t queued = 0;
    size_t slots = 0;
    const size_t limit = size_t(m_limit.load(std::memory_order_relaxed));
    for (const Batch* b : m_ready) {
        const size_t waiting = b->m_outstanding - b->m_running;
        queued += waiting;
        if (b->m_width > 0)
            slots += std::min(waiting, size_t(b->m_width) - std::min(size_t(b->m_width), b->m_running));
    }
    slots += limit > m_running ? std::min(queued, limit - m_running) : 0;
    slots = std::min(slots, queued);
    if (m_idle > 0)
        m_wakeWorkers.notify_all();
    size_t more = slots > m_idle ? slots - m_idle : 0;
    while (more-- > 0 && m_threads.size() < std::min(limit, size_t(m_cap)))
        m_threads.emplace_back([this] { work(); });
}

void WalkPool::runItem(std::function<void()>& task)
{
    const long long cpu = threadCpuNs();
    const long long start = steadyNs();
    task();
    task = nullptr; // what the item holds goes before the batch may end
    const long long ran = steadyNs() - start;
    m_itemNs.fetch_add(ran, std::memory_order_relaxed);
    m_itemSleptNs.fetch_add(std::max(0LL, ran - (threadCpuNs() - cpu)), std::memory_order_relaxed);
    govern();
}

void WalkPool::work()
{
    std::unique_lock lk(m_lock);
    for (;;) {
        ++m_idle;
        m_wakeWorkers.wait(lk, [&] { return m_quit || anyTakeable(); });
        --m_idle;
        if (m_quit)
            return; // every batch is gone by now
        Batch* batch = nullptr;
        for (size_t k = 0; k < m_ready.size() && !batch; ++k) {
            if (m_turn >= m_ready.size())
                m_turn = 0;
            Batch* b = m_ready[m_turn++];
            if (mayTake(b))
                batch = b;
        }
        Batch::Task task;
        if (!batch || !take(batch, task))
            continue;
        lk.unlock();
        runItem(task);
        lk.lock();
        --batch->m_outstanding;
        finished(batch);
    }
}

WalkPool::Batch::Batch(WalkPool* pool, int width)
    : m_pool(pool), m_width(pool && width > 0 ? std::min(width, pool->m_cap) : 0)
{
    refreshDescriptorBudget();
}

WalkPool::Batch::~Batch()
{
    std::unique_lock lk(lock());
    size_t dropped = 0;
    for (auto& [rank, tasks] : m_queue)
        dropped += tasks.size();
    m_queue.clear();
    m_outstanding -= dropped;
    if (m_pool)
        m_pool->unready(this);
    m_changed.wait(lk, [&] { return m_outstanding == 0; });
}

bool WalkPool::Batch::takeLocked(Task& out)
{
    if (m_queue.empty())
        return false;
    auto first = m_queue.begin();
    out = std::move(first->second.back());
    first->second.pop_back();
    if (first->second.empty())
        m_queue.erase(first);
    return true;
}

void WalkPool::Batch::post(Task task, long long rank)
{
    std::lock_guard g(lock());
    m_queue[rank].push_back(std::move(task));
    ++m_outstanding;
    if (!m_pool)
        return;
    if (!m_inReady) {
        m_pool->m_ready.push_back(this);
        m_inReady = true;
    }
    if (!m_pool->mayTake(this))
        return; // every slot is taken: the thread that frees one takes the next item
    // A thread asleep takes it; else a new one starts (threads start as work arrives, so a
    // program that walks little starts few of them), but never more than can run at once: one
    // that has just been woken and not yet taken its item is not idle, yet needs no successor.
    const size_t slots = size_t(m_width > 0 ? m_width : m_pool->m_limit.load(std::memory_order_relaxed));
    if (m_pool->m_idle > 0)
        m_pool->m_wakeWorkers.notify_one();
    else if (m_pool->m_threads.size() < std::min(slots, size_t(m_pool->m_cap)))
        m_pool->m_threads.emplace_back([pool = m_pool] { pool->work(); });
}

void WalkPool::Batch::wake()
{
    {
        std::lock_guard g(lock());
        m_woken = true;
        if (!m_waiting)
            return;
    }
    m_changed.notify_all();
}

void WalkPool::Batch::wait(const std::function<void()>& tick, std::chrono::milliseconds interval)
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock lk(lock());
    auto nextTick = Clock::now() + interval;
    while (m_outstanding > 0) {
        // Run an item of this walk here when a slot is free: a small walk then needs no other
        // thread at all, and a loaded machine cannot leave the walk waiting for a worker.
        Task task;
        const bool took = m_pool ? m_pool->take(this, task) : takeLocked(task);
        if (took) {
            lk.unlock();
            if (m_pool) {
                m_pool->runItem(task);
            } else {
                task();
                task = nullptr;
            }
            lk.lock();
            --m_outstanding;
            if (m_pool) {
                m_pool->finished(this);
                // With nothing more of its own to run, this thread hands the slot to a worker.
                if (m_queue.empty() && m_pool->m_idle > 0 && m_pool->anyTakeable())
                    m_pool->m_wakeWorkers.notify_one();
            }
        } else {
            // Asleep until woken, the walk is over, a slot frees up for this walk, or it is time
            // to tick (and to look at what the items do, so the pool follows the disk).
            const auto until = m_pool ? std::min(nextTick, Clock::now() + kGovernEvery) : nextTick;
            m_waiting = true;
            m_changed.wait_until(lk, until,
                                 [&] { return m_outstanding == 0 || m_woken || (m_pool && m_pool->mayTake(this)); });
            m_waiting = false;
            if (m_pool && m_outstanding > 0) {
                lk.unlock();
                m_pool->govern();
                lk.lock();
            }
        }
        // Without a pool the tick follows every item.
        if (m_woken || !m_pool || Clock::now() >= nextTick || m_outstanding == 0) {
            m_woken = false;
            nextTick = Clock::now() + interval;
            lk.unlock();
            if (tick)
                tick();
            lk.lock();
        }
    }
}
