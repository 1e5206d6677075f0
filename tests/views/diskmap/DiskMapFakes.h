#pragma once
// A Disk Map scan that the test drives step by step, and small hand-made trees.
#include "models/DiskNode.h"
#include "platform/Paths.h"
#include "views/diskmap/DiskMapModel.h"

#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

inline DiskNode fileNode(const QString& path, qint64 size, FileCategory category = FileCategory::other,
                         std::optional<QDateTime> modified = std::nullopt)
{
    return DiskNode(path, Paths::lastComponent(path), size, false, category, modified);
}

inline DiskNode folderNode(const QString& path, const QList<DiskNode>& children,
                           FileCategory category = FileCategory::other)
{
    qint64 sum = 0;
    for (const DiskNode& c : children)
        sum += c.size();
    return DiskNode(path, Paths::lastComponent(path), sum, true, category, std::nullopt, false, children);
}

inline DiskNode syntheticNode(const QString& firstSiblingId, const QList<DiskNode>& children)
{
    qint64 sum = 0;
    for (const DiskNode& c : children)
        sum += c.size();
    return DiskNode(firstSiblingId + QStringLiteral("#other"), QStringLiteral("(smaller items)"), sum, true,
                    FileCategory::other, std::nullopt, true, children);
}

inline QStringList idsOf(const QList<DiskNode>& nodes)
{
    QStringList out;
    for (const DiskNode& n : nodes)
        out << n.id();
    return out;
}

// Each scan started by the model waits on its thread for the steps the test gives it: children
// and progress reports (delivered from the scan thread, as the real scanner does) and the end.
class ScriptedScans {
public:
    struct Call {
        QString root;
        const CancelToken* token = nullptr;
        std::deque<std::function<bool(Call&)>> steps;   // false: the scan returns
        DiskNode result;
        DiskMapScanner::Progress progress;
        DiskMapScanner::ChildDone child;
        bool returned = false;
    };

    ScriptedScans() { m_pool.setMaxThreadCount(8); }
    ~ScriptedScans()
    {
        {
            std::lock_guard g(m_lock);
            m_closing = true;   // a scan still to come returns at once
            m_cv.notify_all();
        }
        m_pool.waitForDone();
    }

    DiskMapEnvironment environment(UserDefaults* defaults)
    {
        DiskMapEnvironment env;
        env.defaults = defaults;
        env.pool = &m_pool;
        env.scan = [this](const QString& root, const CancelToken& token, const DiskMapScanner::Progress& progress,
                          const DiskMapScanner::ChildDone& child) { return run(root, token, progress, child); };
        env.trashPicked = [this](const Cleaner::PickedItem& item) {
            const QString path = QString::fromUtf8(item.path);
            trashed.append(path);
            if (!trashSucceeds)
                return Cleaner::PickedMove{};
            return Cleaner::PickedMove{Cleaner::PickedMove::Result::moved,
                                       TrashedItem{path, QStringLiteral("/trash/files/") + Paths::lastComponent(path)}};
        };
        return env;
    }

    // Waits until the model has started scan number `index` (0 first); its root path.
    QString waitForCall(int index)
    {
        std::unique_lock g(m_lock);
        m_cv.wait_for(g, std::chrono::seconds(10), [&] { return int(m_calls.size()) > index; });
        return int(m_calls.size()) > index ? m_calls[size_t(index)]->root : QString();
    }
    int callCount()
    {
        std::lock_guard g(m_lock);
        return int(m_calls.size());
    }
    bool isCancelled(int index)
    {
        std::lock_guard g(m_lock);
        return m_calls[size_t(index)]->token->isCancelled();
    }

    // Delivers children, one onChild call each (ignoring the token, as a late delivery would).
    void children(int index, const QList<DiskNode>& nodes)
    {
        step(index, [nodes](Call& c) {
            for (const DiskNode& n : nodes)
                c.child(n);
            return true;
        });
    }
    void progress(int index, qint64 bytes)
    {
        step(index, [bytes](Call& c) {
            c.progress(bytes);
            return true;
        });
    }
    void finish(int index, const DiskNode& tree)
    {
        step(index, [tree](Call& c) {
            c.result = tree;
            return false;
        });
    }
    // Waits until every step given to scan `index` has run on its thread.
    void drain(int index)
    {
        std::unique_lock g(m_lock);
        m_cv.wait_for(g, std::chrono::seconds(10), [&] { return m_calls[size_t(index)]->steps.empty(); });
    }

    QStringList trashed;
    bool trashSucceeds = true;

private:
    DiskNode run(const QString& root, const CancelToken& token, const DiskMapScanner::Progress& progress,
                 const DiskMapScanner::ChildDone& child)
    {
        auto call = std::make_shared<Call>();
        call->root = root;
        call->token = &token;
        call->progress = progress;
        call->child = child;
        std::unique_lock g(m_lock);
        m_calls.push_back(call);
        m_cv.notify_all();
        for (;;) {
            m_cv.wait(g, [&] { return !call->steps.empty() || m_closing; });
            if (call->steps.empty())
                break;
            std::function<bool(Call&)> s = call->steps.front();
            g.unlock();
            const bool goOn = s(*call);
            g.lock();
            call->steps.pop_front();
            m_cv.notify_all();
            if (!goOn)
                break;
        }
        call->returned = true;
        return call->result;
    }

    void step(int index, std::function<bool(Call&)> s)
    {
        std::lock_guard g(m_lock);
        m_calls[size_t(index)]->steps.push_back(std::move(s));
        m_cv.notify_all();
    }

    std::mutex m_lock;
    std::condition_variable m_cv;
    std::vector<std::shared_ptr<Call>> m_calls;
    bool m_closing = false;
    QThreadPool m_pool;
};
