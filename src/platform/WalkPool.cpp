#include "platform/WalkPool.h"

#include <algorithm>
#include <atomic>

#include <sys/resource.h>

namespace {

std::atomic<int> g_held{0};
std::atomic<int> g_budgetForTesting{-1};

// An eighth of the open-file limit (read afresh, it may change), so that a desktop with a limit of
// 256 keeps plenty for everything else.
int descriptorBudget()
{
    const int forTesting = g_budgetForTesting.load(std::memory_order_relaxed);
    if (forTesting >= 0)
        return forTesting;
    rlimit limit{};
    rlim_t soft = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        soft = limit.rlim_cur;
    return int(std::clamp<rlim_t>(soft / 8, 4, 128));
}

} // namespace

WalkPool& WalkPool::shared()
{
    // Never destroyed: its threads wait idle until the process ends.
    static WalkPool* pool = new WalkPool(int(std::clamp(std::thread::hardware_concurrency(), 1u, 16u)));
    return *pool;
}

WalkPool::WalkPool(int threads) : m_maxThreads(size_t(std::max(1, threads)))
{
    m_threads.reserve(m_maxThreads);
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

void WalkPool::releaseDescriptor()
{
    g_held.fetch_sub(1, std::memory_order_relaxed);
}

int WalkPool::heldDescriptors()
{
    return g_held.load(std::memory_order_relaxed);
}

void WalkPool::setDescriptorBudgetForTesting(std::optional<int> budget)
{
    g_budgetForTesting.store(budget.value_or(-1), std::memory_order_relaxed);
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

bool WalkPool::take(Batch* batch, Batch::Task& out)
{
    if (m_running >= m_maxThreads || !batch->takeLocked(out))
        return false;
    if (batch->m_queue.empty())
        unready(batch);
    ++m_running;
    return true;
}

void WalkPool::finished(Batch* batch)
{
    --m_running;
    // The slot just freed goes to the thread that ran the item, which takes the next one at once
    // (see work() and Batch::wait()): nobody else needs waking for it, so a walk of many small
    // folders does not wake a sleeping thread per folder.
    if (batch->m_outstanding == 0)
        batch->m_changed.notify_all();
}

void WalkPool::work()
{
    std::unique_lock lk(m_lock);
    for (;;) {
        ++m_idle;
        m_wakeWorkers.wait(lk, [&] { return m_quit || (!m_ready.empty() && m_running < m_maxThreads); });
        --m_idle;
        if (m_quit)
            return; // every batch is gone by now
        if (m_turn >= m_ready.size())
            m_turn = 0;
        Batch* batch = m_ready[m_turn++];
        Batch::Task task;
        if (!take(batch, task))
            continue;
        lk.unlock();
        task();
        task = nullptr; // what the item holds goes before the batch may end
        lk.lock();
        --batch->m_outstanding;
        finished(batch);
    }
}

WalkPool::Batch::Batch(WalkPool* pool) : m_pool(pool) {}

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
    if (m_pool) {
        if (!m_inReady) {
            m_pool->m_ready.push_back(this);
            m_inReady = true;
        }
        // Threads start as work arrives: a program that walks little starts few of them. With
        // every slot taken, the thread that frees one takes the next item.
        if (m_pool->m_idle == 0 && m_pool->m_threads.size() < m_pool->m_maxThreads)
            m_pool->m_threads.emplace_back([pool = m_pool] { pool->work(); });
        else if (m_pool->m_running < m_pool->m_maxThreads)
            m_pool->m_wakeWorkers.notify_one();
    }
}

void WalkPool::Batch::wake()
{
    {
        std::lock_guard g(lock());
        m_woken = true;
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
            task();
            task = nullptr;
            lk.lock();
            --m_outstanding;
            if (m_pool) {
                m_pool->finished(this);
                // With nothing more of its own to run, this thread hands the slot to a worker.
                if (m_queue.empty() && !m_pool->m_ready.empty())
                    m_pool->m_wakeWorkers.notify_one();
            }
        } else {
            m_changed.wait_until(lk, nextTick, [&] {
                return m_outstanding == 0 || m_woken
                    || (m_pool && !m_queue.empty() && m_pool->m_running < m_pool->m_maxThreads);
            });
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
