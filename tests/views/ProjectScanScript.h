#pragma once
// A stand-in for the project scan that a test drives step by step: each scan the model starts
// waits on its background thread for the test to hand it a count, a folder or the end, and carries
// each out whether or not its token is cancelled (as a report already on its way would arrive).
// A scan whose token is cancelled ends by itself once nothing is left to hand over, unless
// `holdCancelled` keeps it waiting for its steps and its end.
#include "views/ProjectCleanupModel.h"

#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

#include <deque>
#include <memory>
#include <variant>
#include <vector>

class ProjectScanScript {
public:
    struct End {};
    using Step = std::variant<int, ProjectDir, End>;

    struct Run {
        QStringList roots;
        QStringList ignore;
        int minAgeDays = 0;
        const CancelToken* token = nullptr;
        std::deque<Step> steps;
        bool ended = false;
    };

    // Set before the first scan starts.
    bool holdCancelled = false;

    ~ProjectScanScript() { endAll(); }

    ProjectCleanupModel::ScanFunction function()
    {
        return [this](const QStringList& roots, const QStringList& ignore, int minAgeDays, const CancelToken& token,
                      const ProjectScanner::Progress& onProgress, const ProjectScanner::Found& onFound) {
            auto run = std::make_shared<Run>();
            run->roots = roots;
            run->ignore = ignore;
            run->minAgeDays = minAgeDays;
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
                    if (run->steps.empty() || std::holds_alternative<End>(run->steps.front())) {
                        run->ended = true;
                        m_changed.wakeAll();
                        return;
                    }
                    step = run->steps.front();
                    run->steps.pop_front();
                }
                if (const int* count = std::get_if<int>(&step))
                    onProgress(*count);
                else
                    onFound(std::get<ProjectDir>(step));
            }
        };
    }

    int count()
    {
        QMutexLocker lock(&m_mutex);
        return int(m_runs.size());
    }
    // What scan `index` was started with.
    Run started(int index)
    {
        QMutexLocker lock(&m_mutex);
        Run copy = *m_runs.at(size_t(index));
        copy.token = nullptr;
        return copy;
    }
    // Hands steps to scan `index` (-1: the latest).
    void push(const QList<Step>& steps, int index = -1)
    {
        QMutexLocker lock(&m_mutex);
        const size_t i = index < 0 ? m_runs.size() - 1 : size_t(index);
        for (const Step& s : steps)
            m_runs.at(i)->steps.push_back(s);
        m_changed.wakeAll();
    }
    // A count and a folder, as the real scan reports each folder.
    void found(int count, const ProjectDir& dir, int index = -1) { push({count, dir}, index); }
    void end(int index = -1) { push({End{}}, index); }
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

// A folder built by hand.
inline ProjectDir projectDir(const QString& path, const QString& kind, qint64 size,
                             std::optional<QDateTime> modified = std::nullopt)
{
    return ProjectDir{path, kind, kind, QStringLiteral("shippingbox.fill"), size, modified};
}
