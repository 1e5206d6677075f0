#pragma once
#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// The desktop's user notifications: categories with actions, permission, posting by request
// identifier (a new post replaces the shown one with the same identifier) and the user's
// responses.
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    struct Action {
        QString identifier;
        QString title;
        bool foreground = false; // brings the application to the front
        friend bool operator==(const Action&, const Action&) = default;
    };
    struct Category {
        QString identifier;
        QList<Action> actions;
        friend bool operator==(const Category&, const Category&) = default;
    };
    struct Content {
        QString title;
        QString body;
        bool sound = false; // the default sound
        QString categoryIdentifier; // empty: no category
        friend bool operator==(const Content&, const Content&) = default;
    };

    // The action identifier of a plain click on a notification.
    static QString defaultActionIdentifier() { return QStringLiteral("default"); }

    using QObject::QObject;

    // The application's categories; replaces any earlier set.
    virtual void setCategories(const QList<Category>& categories) = 0;
    // Asks to show alerts and play sounds; the answer is not reported.
    virtual void requestAuthorization() = 0;
    // Shows a notification at once under `requestIdentifier`.
    virtual void add(const QString& requestIdentifier, const Content& content) = 0;

Q_SIGNALS:
    // The user clicked a notification or chose one of its actions.
    void responded(const QString& categoryIdentifier, const QString& actionIdentifier,
                   const QString& requestIdentifier);
};

// org.freedesktop.Notifications over D-Bus. A request identifier is mapped to the server's id,
// which is passed as replaces_id on the next post; actions are offered only when the server
// advertises "actions". Every call is asynchronous.
class DBusNotificationCenter final : public NotificationCenter {
    Q_OBJECT
public:
    explicit DBusNotificationCenter(const QDBusConnection& connection, QString appName, QObject* parent = nullptr);

    void setCategories(const QList<Category>& categories) override;
    void requestAuthorization() override;
    void add(const QString& requestIdentifier, const Content& content) override;

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    struct Request {
        uint serverId = 0; // 0: nothing shown (yet)
        bool inFlight = false; // a Notify call awaits its reply
        std::optional<Content> queued; // the newest content posted meanwhile
        QString categoryIdentifier; // of the shown notification
    };
    void queryCapabilities();
    void send(const QString& requestIdentifier, const Content& content);
    void sendQueued();

    QDBusConnection m_bus;
    QString m_appName;
    QList<Category> m_categories;
    std::optional<QStringList> m_capabilities; // absent until the server answered
    bool m_capabilitiesAsked = false;
    QHash<QString, Request> m_requests;
    QStringList m_order; // request identifiers in the order first posted
    QHash<uint, QString> m_byServerId;
};
