#pragma once
// A notification server of the tests' own, for a private session bus the test starts: it
// records every notification posted to it and answers as the desktop's server would.
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        uint returnedId;
    };
    QStringList capabilities{QStringLiteral("body"), QStringLiteral("actions")};
    QList<Call> calls;
    QSet<uint> shown;
    uint nextId = 41;
    int capabilityQueries = 0;

public Q_SLOTS:
    QStringList GetCapabilities()
    {
        ++capabilityQueries;
        return capabilities;
    }
    uint Notify(const QString& appName, uint replacesId, const QString& /*icon*/, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int /*timeout*/)
    {
        const uint id = (replacesId != 0 && shown.contains(replacesId)) ? replacesId : ++nextId;
        shown.insert(id);
        calls.append({appName, replacesId, summary, body, actions, hints, id});
        return id;
    }
    void CloseNotification(uint id) { shown.remove(id); }
};
