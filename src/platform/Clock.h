#pragma once
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QTimeZone>

#include <chrono>
#include <functional>
#include <memory>

// A repeating timer handed out by a Clock; destroying the handle stops it.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
    virtual std::chrono::milliseconds interval() const = 0;
};

// The time of day and repeating timers, so that code that depends on time can be driven by a
// manual clock in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // A timer whose first tick comes one interval from now and then every interval; `tick` runs
    // on the thread of `context` and never after `context` is gone.
    virtual std::unique_ptr<RepeatingTimer> repeating(std::chrono::milliseconds interval, QObject* context,
                                                      std::function<void()> tick) = 0;

    // Seconds to a timer interval: at least `minimum`, NaN taken as `minimum`, saturated to the
    // largest interval a timer accepts.
    static std::chrono::milliseconds interval(double seconds, double minimum);
};

// The wall clock and QTimers on the event loop.
class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    std::unique_ptr<RepeatingTimer> repeating(std::chrono::milliseconds interval, QObject* context,
                                              std::function<void()> tick) override;
    static SystemClock& shared();
};

// A clock that only moves when told to; advancing it fires the timers that fell due, in time order.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC));
    ~ManualClock() override;

    QDateTime now() const override { return m_now; }
    std::unique_ptr<RepeatingTimer> repeating(std::chrono::milliseconds interval, QObject* context,
                                              std::function<void()> tick) override;

    // Jumps to a time without firing anything (a clock set back or forward by the user).
    void set(const QDateTime& when) { m_now = when; }
    // Moves forward, firing each due tick with the clock standing at that tick's time.
    void advance(std::chrono::milliseconds by);

    // Intervals of the timers that are running now, in creation order.
    QList<std::chrono::milliseconds> runningIntervals() const;

    struct Entry;

private:
    friend class ManualTimer;
    QDateTime m_now;
    std::shared_ptr<QList<Entry*>> m_timers;
};
