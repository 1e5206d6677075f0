#pragma once
// The shared machinery of the scripted scans the model tests drive step by step: each scan a
// model starts registers itself with what it was started with, then waits on its background
// thread for the test to hand it steps (carried out whether or not its token is cancelled, as a
// report already on its way would arrive) and ends at an End step. A scan whose token is
// cancelled ends by itself once nothing is left to hand over, unless `holdCancelled` keeps it
// waiting for its steps and its end. What the scans share lives apart from the script, so that a
// scan whose job starts only after the test has ended finds the script closed and ends at once.
#include "models/CancelToken.h"

#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

#include <atomic>

#include <deque>
#include <functional>
#include <memory>
#include <variant>
#include <vector>

template <typename Start, typename... Payloads>
class StepScript {
public:
    struct End {};
    using Step = std::variant<Payloads..., End>;

    struct Run {
        Start start;
        const CancelToken* token = nullptr;
        std::deque<Step> steps;
        bool ended = false;
    };

protected:
    struct State {
        QMutex mutex;
        QWaitCondition changed;
        std::vector<std::shared_ptr<Run>> runs;
        bool closing = false;
        std::atomic<bool> holdCancelled{false};
    };

private:
    std::shared_ptr<State> m_state = std::make_shared<State>();

public:
    // Set before the first scan starts.
    std::atomic<bool>& holdCancelled = m_state->holdCancelled;

    StepScript() = default;
    StepScript(const StepScript&) = delete;
    StepScript& operator=(const StepScript&) = delete;
    ~StepScript() { endAll(); }

    // The number of scans started so far.
    int count()
    {
        QMutexLocker lock(&m_state->mutex);
        return int(m_state->runs.size());
    }
    // What scan `index` was started with.
    Start started(int index)
    {
        QMutexLocker lock(&m_state->mutex);
        return m_state->runs.at(size_t(index))->start;
    }
    // Hands a step to scan `index` (-1: the latest).
    void push(Step step, int index = -1)
    {
        QMutexLocker lock(&m_state->mutex);
        const size_t i = index < 0 ? m_state->runs.size() - 1 : size_t(index);
        m_state->runs.at(i)->steps.push_back(std::move(step));
        m_state->changed.wakeAll();
    }
    void end(int index = -1) { push(End{}, index); }
    // Whether scan `index` has been told to stop (only while it has not ended).
    bool isCancelled(int index)
    {
        QMutexLocker lock(&m_state->mutex);
        const auto& run = m_state->runs.at(size_t(index));
        return !run->ended && run->token->isCancelled();
    }
    bool hasEnded(int index)
    {
        QMutexLocker lock(&m_state->mutex);
        return m_state->runs.at(size_t(index))->ended;
    }

    // Lets every scan return (and waits until they have), so no thread outlives the test.
    void endAll()
    {
        State& s = *m_state;
        QMutexLocker lock(&s.mutex);
        s.closing = true;
        s.changed.wakeAll();
        for (;;) {
            bool all = true;
            for (const auto& run : s.runs)
                all = all && run->ended;
            if (all)
                return;
            s.changed.wait(&s.mutex, 5);
        }
    }

protected:
    const std::shared_ptr<State>& state() const { return m_state; }

    // One scan, on its background thread: registers it, then hands each step but the end to
    // `apply` until the scan ends.
    static void run(const std::shared_ptr<State>& state, Start start, const CancelToken& token,
                    const std::function<void(const Step&)>& apply)
    {
        State& s = *state;
        auto run = std::make_shared<Run>();
        run->start = std::move(start);
        run->token = &token;
        {
            QMutexLocker lock(&s.mutex);
            s.runs.push_back(run);
            s.changed.wakeAll();
        }
        for (;;) {
            Step step;
            {
                QMutexLocker lock(&s.mutex);
                while (run->steps.empty() && !s.closing && (s.holdCancelled || !token.isCancelled()))
                    s.changed.wait(&s.mutex, 5);
                if (run->steps.empty() || std::holds_alternative<End>(run->steps.front())) {
                    run->ended = true;
                    s.changed.wakeAll();
                    return;
                }
                step = run->steps.front();
                run->steps.pop_front();
            }
            apply(step);
        }
    }
};
