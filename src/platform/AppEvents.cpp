#include "platform/AppEvents.h"

#include <QMetaObject>

AppEvents::AppEvents(QObject* parent) : QObject(parent) {}

AppEvents& AppEvents::shared()
{
    static AppEvents* events = new AppEvents;
    return *events;
}

QString AppEvents::requestCleanAll() { return QStringLiteral("dustlet.requestCleanAll"); }
QString AppEvents::showOnboarding() { return QStringLiteral("dustlet.showOnboarding"); }

void AppEvents::post(const QString& name)
{
    QMetaObject::invokeMethod(
        this, [this, name] { Q_EMIT posted(name); }, Qt::QueuedConnection);
}
