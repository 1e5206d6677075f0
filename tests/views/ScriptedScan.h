#pragma once
// A stand-in for the duplicate scan that a test drives step by step: each scan the model starts
// waits on its background thread for the test to hand it a progress report, a result or the
// end. The steps are carried out whether or not the scan's token is cancelled, as a report that
// is already on its way would arrive. A scan ends by itself once its token is cancelled and
// nothing is left to hand over, unless `holdCancelled` keeps it waiting for its steps.
// A scan that reaches the script only after the test has ended returns at once (see function()).
#include "views/FileFinderModel.h"

#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

#include <deque>
#include <memory>
#include <variant>
#include <vector>

class ScriptedScan {
public:
    struct End {};
    using Step = std::variant<int, FileScanResult, End>;

    // Set before function() is called.
    bool holdCancelled = false;

    struct Run {
        QString root;
        const CancelToken* token = nullptr;
        std::deque<Step> steps;
        bool ended = false;
    };

    ScriptedScan() : m_state(std::make_shared<State>()) {}
    ~ScriptedScan() { endAll(); }
    ScriptedScan(const ScriptedScan&) = delete;
    ScriptedScan& operator=(const ScriptedScan&) = delete;

    // The scan function for the model. It holds the scripted state, not this object: the model
    // starts each scan on a pool thread, and a scan started just before the test ends may only
    // get going once this object is gone. Such a scan finds the script closed and returns at
    // once, without reporting anything.
    FileFinderModel::ScanFunction function()
    {
        const std::shared_ptr<State> state = m_state;
        const bool hold = holdCancelled;
        return [state, hold](const QString& root, const CancelToken& token, const DuplicateScanner::Progress& onProgress,
                             const DuplicateScanner::ResultHandler& onResult) {
            auto run = std::make_shared<Run>();
            run->root = root;
            run->token = &token;
            {
                QMutexLocker lock(&state->mutex);
                if (state->closing)
                    return;
                state->runs.push_back(run);
                state->changed.wakeAll();
            }
            for (;;) {
                Step step;
                {
                    QMutexLocker lock(&state->mutex);
                    while (run->steps.empty() && !state->closing && (hold || !token.isCancelled()))
                        state->changed.wait(&state->mutex, 5);
                    if (run->steps.empty()) {
                        run->ended = true;
                        state->changed.wakeAll();
                        return;
                    }
                    step = run->steps.front();
                    run->steps.pop_front();
                }
                if (const int* count = std::get_if<int>(&step))
                    onProgress(*count);
                else if (const FileScanResult* result = std::get_if<FileScanResult>(&step))
                    onResult(*result);
                else {
                    QMutexLocker lock(&state->mutex);
                    run->ended = true;
                    state->changed.wakeAll();
                    return;
                }
            }
        };
    }

    // The number of scans started so far.
    int count()
    {
        QMutexLocker lock(&m_state->mutex);
        return int(m_state->runs.size());
    }
    QString root(int index)
    {
        QMutexLocker lock(&m_state->mutex);
        return m_state->runs.at(size_t(index))->root;
    }
    // Hands a step to scan `index` (-1: the latest).
    void push(Step step, int index = -1)
    {
        QMutexLocker lock(&m_state->mutex);
        const size_t i = index < 0 ? m_state->runs.size() - 1 : size_t(index);
        m_state->runs.at(i)->steps.push_back(std::move(step));
        m_state->changed.wakeAll();
    }
    void progress(int count, int index = -1) { push(count, index); }
    void deliver(const FileScanResult& result, int index = -1) { push(result, index); }
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

    // Closes the script: every scan returns (this waits until the started ones have), and a scan
    // that starts later returns at once.
    void endAll()
    {
        QMutexLocker lock(&m_state->mutex);
        m_state->closing = true;
        m_state->changed.wakeAll();
        for (;;) {
            bool all = true;
            for (const auto& run : m_state->runs)
                all = all && run->ended;
            if (all)
                return;
            m_state->changed.wait(&m_state->mutex, 5);
        }
    }

private:
    struct State {
        QMutex mutex;
        QWaitCondition changed;
        std::vector<std::shared_ptr<Run>> runs;
        bool closing = false;
    };
    std::shared_ptr<State> m_state;
};

// Results built by hand.
inline ScannedFile file(const QString& path, qint64 size) { return ScannedFile{path.toUtf8(), size}; }
inline DuplicateGroup group(const QString& id, qint64 size, const QList<ScannedFile>& files)
{
    return DuplicateGroup{id, size, files};
}
