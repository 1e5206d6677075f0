#include "platform/Clock.h"

#include "platform/Numeric.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

std::chrono::milliseconds Clock::interval(double seconds, double minimum)
{
    if (std::isnan(seconds) || seconds < minimum)
        seconds = minimum;
    return std::chrono::milliseconds(saturatingCast<int>(seconds * 1000.0));
}

// ---- SystemClock

namespace {
class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(std::chrono::milliseconds interval, QObject* context, std::function<void()> tick)
        : m_interval(interval)
    {
        m_timer.setInterval(interval);
        m_timer.setSingleShot(false);
        QObject::connect(&m_timer, &QTimer::timeout, context, std::move(tick));
        m_timer.start();
    }
    std::chrono::milliseconds interval() const override { return m_interval; }

private:
    std::chrono::milliseconds m_interval;
    QTimer m_timer;
};
} // namespace

QDateTime SystemClock::now() const { return QDateTime::currentDateTimeUtc(); }

std::unique_ptr<RepeatingTimer> SystemClock::repeating(std::chrono::milliseconds interval, QObject* context,
                                                       std::function<void()> tick)
{
    return std::make_unique<QtRepeatingTimer>(interval, context, std::move(tick));
}

SystemClock& SystemClock::shared()
{
    static SystemClock clock;
    return clock;
}

// ---- ManualClock

struct ManualClock::Entry {
    std::chrono::milliseconds interval;
    QDateTime next;
    QPointer<QObject> context;
    std::function<void()> tick;
    quint64 order = 0;
};

class ManualTimer final : public RepeatingTimer {
public:
    ManualTimer(std::weak_ptr<QList<ManualClock::Entry*>> list, ManualClock::Entry* entry)
        : m_list(std::move(list)), m_entry(entry)
    {
    }
    ~ManualTimer() override
    {
        if (auto list = m_list.lock())
            list->removeOne(m_entry);
        delete m_entry;
    }
    std::chrono::milliseconds interval() const override { return m_entry->interval; }

private:
    std::weak_ptr<QList<ManualClock::Entry*>> m_list;
    ManualClock::Entry* m_entry;
};

ManualClock::ManualClock(QDateTime start) : m_now(std::move(start)), m_timers(std::make_shared<QList<Entry*>>()) {}

ManualClock::~ManualClock() = default;

std::unique_ptr<RepeatingTimer> ManualClock::repeating(std::chrono::milliseconds interval, QObject* context,
                                                       std::function<void()> tick)
{
    static quint64 counter = 0;
    // A zero interval would fire forever within one advance.
    interval = std::max(interval, std::chrono::milliseconds(1));
    auto* entry = new Entry{interval, m_now.addMSecs(interval.count()), context, std::move(tick), ++counter};
    m_timers->append(entry);
    return std::make_unique<ManualTimer>(m_timers, entry);
}

void ManualClock::advance(std::chrono::milliseconds by)
{
    const QDateTime target = m_now.addMSecs(by.count());
    for (;;) {
        Entry* due = nullptr;
        for (Entry* e : *m_timers) {
            if (e->next > target)
                continue;
            if (!due || e->next < due->next || (e->next == due->next && e->order < due->order))
                due = e;
        }
        if (!due)
            break;
        m_now = due->next;
        due->next = due->next.addMSecs(due->interval.count());
        if (due->context) {
            // The tick may destroy its own timer; copy what it needs first.
            auto tick = due->tick;
            tick();
        }
    }
    m_now = target;
}

QList<std::chrono::milliseconds> ManualClock::runningIntervals() const
{
    QList<std::chrono::milliseconds> out;
    for (const Entry* e : *m_timers)
        out.append(e->interval);
    return out;
}
