#pragma once
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>

#include <functional>
#include <memory>

// Carries calls from worker threads to an object on its own thread, and drops them once the
// object is gone. The object makes one with `create(this)`, hands the shared pointer to its
// workers, and calls `detach()` in its destructor; a call posted after that is dropped, and one
// already queued is dropped with the object's events.
template <typename T>
class MainThreadRelay {
public:
    static std::shared_ptr<MainThreadRelay> create(T* target)
    {
        auto relay = std::make_shared<MainThreadRelay>();
        relay->m_target = target;
        return relay;
    }

    void post(std::function<void(T&)> call)
    {
        QMutexLocker lock(&m_mutex);
        if (!m_target)
            return;
        QMetaObject::invokeMethod(
            m_target, [t = m_target, call = std::move(call)] { call(*t); }, Qt::QueuedConnection);
    }

    void detach()
    {
        QMutexLocker lock(&m_mutex);
        m_target = nullptr;
    }

private:
    QMutex m_mutex;
    T* m_target = nullptr;
};
