#include "platform/Background.h"

#include <QDeadlineTimer>
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

bool waitForDone(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    return utility().waitForDone(int(deadline.remainingTime()))
        && userInitiated().waitForDone(int(deadline.remainingTime()));
}

} // namespace Background
