#include "platform/NotificationCenter.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

DBusNotificationCenter::DBusNotificationCenter(const QDBusConnection& connection, QString appName, QObject* parent)
    : NotificationCenter(parent), m_bus(connection), m_appName(std::move(appName))
{
    // Any sender: the server may start (or restart) after us; ids are checked against our own.
    m_bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onNotificationClosed(uint, uint)));
}

void DBusNotificationCenter::setCategories(const QList<Category>& categories) { m_categories = categories; }

void DBusNotificationCenter::requestAuthorization()
{
    // The desktop asks no permission; learning what the server offers is all there is to do.
    queryCapabilities();
}

void DBusNotificationCenter::queryCapabilities()
{
    if (m_capabilitiesAsked)
        return;
    m_capabilitiesAsked = true;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<QStringList> reply = *w;
        m_capabilities = reply.isError() ? QStringList() : reply.value();
        sendQueued();
    });
}

void DBusNotificationCenter::add(const QString& requestIdentifier, const Content& content)
{
    if (!m_requests.contains(requestIdentifier))
        m_order.append(requestIdentifier);
    Request& request = m_requests[requestIdentifier];
    // Until the server's id for this request is known, a second post would show a second
    // notification instead of replacing the first: keep only the newest content and send it
    // once the reply is in.
    if (request.inFlight || !m_capabilities) {
        request.queued = content;
        queryCapabilities();
        return;
    }
    send(requestIdentifier, content);
}

void DBusNotificationCenter::sendQueued()
{
    if (!m_capabilities)
        return;
    for (const QString& id : std::as_const(m_order)) {
        Request& request = m_requests[id];
        if (request.inFlight || !request.queued)
            continue;
        const Content content = *request.queued;
        request.queued.reset();
        send(id, content);
    }
}

void DBusNotificationCenter::send(const QString& requestIdentifier, const Content& content)
{
    Request& request = m_requests[requestIdentifier];
    request.inFlight = true;

    QStringList actions;
    if (!content.categoryIdentifier.isEmpty() && m_capabilities->contains(QStringLiteral("actions"))) {
        for (const Category& category : m_categories) {
            if (category.identifier != content.categoryIdentifier)
                continue;
            actions << defaultActionIdentifier() << QString();
            for (const Action& action : category.actions)
                actions << action.identifier << action.title;
        }
    }
    QVariantMap hints;
    if (content.sound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    else
        hints.insert(QStringLiteral("suppress-sound"), true);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << m_appName << request.serverId << QString() << content.title << content.body << actions << hints
         << qint32(-1);
    const QString category = content.categoryIdentifier;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, requestIdentifier, category](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<uint> reply = *w;
        Request& r = m_requests[requestIdentifier];
        r.inFlight = false;
        if (!reply.isError()) {
            if (r.serverId != 0 && r.serverId != reply.value())
                m_byServerId.remove(r.serverId);
            r.serverId = reply.value();
            r.categoryIdentifier = category;
            m_byServerId.insert(r.serverId, requestIdentifier);
        }
        if (r.queued) {
            const Content next = *r.queued;
            r.queued.reset();
            send(requestIdentifier, next);
        }
    });
}

void DBusNotificationCenter::onActionInvoked(uint id, const QString& actionKey)
{
    const auto it = m_byServerId.constFind(id);
    if (it == m_byServerId.constEnd())
        return;
    // A copy, not a reference: a slot may drop the entry.
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
    const QString requestIdentifier = *it;
    Q_EMIT responded(m_requests.value(requestIdentifier).categoryIdentifier, actionKey, requestIdentifier);
}

void DBusNotificationCenter::onNotificationClosed(uint id, uint)
{
    const auto it = m_byServerId.find(id);
    if (it == m_byServerId.end())
        return;
    // Nothing is shown any more: the next post makes a new notification.
    auto request = m_requests.find(*it);
    if (request != m_requests.end() && request->serverId == id) {
        request->serverId = 0;
        request->categoryIdentifier.clear();
    }
    m_byServerId.erase(it);
}
