#include "platform/Background.h"

#include <QThread>

namespace Background {

QThreadPool& utility()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(qMax(16, QThread::idealThreadCount() * 2));
        p->setThreadPriority(QThread::LowPriority);
        return p;
    }();
    return *pool;
}

QThreadPool& userInitiated()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(qMax(4, QThread::idealThreadCount()));
        return p;
    }();
    return *pool;
}

} // namespace Background
