#pragma once
// A stand-in for the duplicate scan that a test drives step by step: each scan the model starts
// waits on its background thread for the test to hand it a progress report, a result or the
// end. The steps are carried out whether or not the scan's token is cancelled, as a report that
// is already on its way would arrive. A scan ends by itself once its token is cancelled and
// nothing is left to hand over, unless `holdCancelled` keeps it waiting for its steps.
// A test that starts a scan (also a rescan after trashing) must see it arrive (count()) before
// the script goes away: one still on its way to the script would find it gone.
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

    // Set before the first scan starts.
    bool holdCancelled = false;

    struct Run {
        QString root;
        const CancelToken* token = nullptr;
        std::deque<Step> steps;
        bool ended = false;
    };

    ~ScriptedScan() { endAll(); }

    FileFinderModel::ScanFunction function()
    {
        return [this](const QString& root, const CancelToken& token, const DuplicateScanner::Progress& onProgress,
                      const DuplicateScanner::ResultHandler& onResult) {
            auto run = std::make_shared<Run>();
            run->root = root;
            run->token = &token;
            {
                QMutexLocker lock(&m_mutex);
                m_runs.push_back(run);
                m_changed.wakeAll();
            }
            for (;;) {
                Step step;
                {
                    QMutexLocker lock(&m_mutex);
                    while (run->steps.empty() && !m_closing && (holdCancelled || !token.isCancelled()))
                        m_changed.wait(&m_mutex, 5);
                    if (run->steps.empty()) {
                        run->ended = true;
                        m_changed.wakeAll();
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
                    QMutexLocker lock(&m_mutex);
                    run->ended = true;
                    m_changed.wakeAll();
                    return;
                }
            }
        };
    }

    // The number of scans started so far.
    int count()
    {
        QMutexLocker lock(&m_mutex);
        return int(m_runs.size());
    }
    QString root(int index)
    {
        QMutexLocker lock(&m_mutex);
        return m_runs.at(size_t(index))->root;
    }
    // Hands a step to scan `index` (-1: the latest).
    void push(Step step, int index = -1)
    {
        QMutexLocker lock(&m_mutex);
        const size_t i = index < 0 ? m_runs.size() - 1 : size_t(index);
        m_runs.at(i)->steps.push_back(std::move(step));
        m_changed.wakeAll();
    }
    void progress(int count, int index = -1) { push(count, index); }
    void deliver(const FileScanResult& result, int index = -1) { push(result, index); }
    void end(int index = -1) { push(End{}, index); }
    // Whether scan `index` has been told to stop (only while it has not ended).
    bool isCancelled(int index)
    {
        QMutexLocker lock(&m_mutex);
        const auto& run = m_runs.at(size_t(index));
        return !run->ended && run->token->isCancelled();
    }
    bool hasEnded(int index)
    {
        QMutexLocker lock(&m_mutex);
        return m_runs.at(size_t(index))->ended;
    }

    // Lets every scan return (and waits until they have), so no thread outlives the test.
    void endAll()
    {
        QMutexLocker lock(&m_mutex);
        m_closing = true;
        m_changed.wakeAll();
        for (;;) {
            bool all = true;
            for (const auto& run : m_runs)
                all = all && run->ended;
            if (all)
                return;
            m_changed.wait(&m_mutex, 5);
        }
    }

private:
    QMutex m_mutex;
    QWaitCondition m_changed;
    std::vector<std::shared_ptr<Run>> m_runs;
    bool m_closing = false;
};

// Results built by hand.
inline ScannedFile file(const QString& path, qint64 size) { return ScannedFile{path.toUtf8(), size}; }
inline DuplicateGroup group(const QString& id, qint64 size, const QList<ScannedFile>& files)
{
    return DuplicateGroup{id, size, files};
}
