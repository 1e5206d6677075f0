// The D-Bus notification centre against a notification server of our own, registered on a
// private session bus that this test starts.
#include "FakeNotificationServer.h"
#include "platform/NotificationCenter.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

class tst_NotificationCenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void postsTitleBodyAndActions();
    void sameRequestReplacesEvenWhenPostedBackToBack();
    void differentRequestsCoexist();
    void actionAndClickAreReportedWithCategory();
    void noActionsWhenServerOffersNone();
    void closedNotificationIsPostedAnew();

private:
    void emitFromServer(const QString& name, const QVariantList& args);
    QList<NotificationCenter::Category> categories() const;

    QProcess m_daemon;
    QString m_address;
    int m_connectionCount = 0;
    std::unique_ptr<FakeNotificationServer> m_server;
    QString m_serverName;
    QString m_clientName;
    std::unique_ptr<DBusNotificationCenter> m_center;
};

void tst_NotificationCenter::initTestCase()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed");
    m_daemon.start(daemon,
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    QVERIFY2(m_daemon.waitForStarted(5000), qPrintable(m_daemon.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), 5000);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
}

void tst_NotificationCenter::init()
{
    // A fresh server and client per test, each on its own connection to the private bus.
    ++m_connectionCount;
    m_serverName = QStringLiteral("server%1").arg(m_connectionCount);
    m_clientName = QStringLiteral("client%1").arg(m_connectionCount);
    QDBusConnection server = QDBusConnection::connectToBus(m_address, m_serverName);
    QVERIFY2(server.isConnected(), qPrintable(server.lastError().message()));
    m_server = std::make_unique<FakeNotificationServer>();
    QVERIFY(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), m_server.get(),
                                  QDBusConnection::ExportAllSlots));
    QVERIFY(server.registerService(QStringLiteral("org.freedesktop.Notifications")));

    QDBusConnection client = QDBusConnection::connectToBus(m_address, m_clientName);
    QVERIFY(client.isConnected());
    m_center = std::make_unique<DBusNotificationCenter>(client, QStringLiteral("Dustlet"));
    m_center->setCategories(categories());
}

void tst_NotificationCenter::cleanup()
{
    m_center.reset();
    QDBusConnection server(m_serverName);
    server.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    server.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(m_serverName);
    QDBusConnection::disconnectFromBus(m_clientName);
    m_server.reset();
}

void tst_NotificationCenter::cleanupTestCase()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(3000))
            m_daemon.kill();
    }
}

QList<NotificationCenter::Category> tst_NotificationCenter::categories() const
{
    return {{QStringLiteral("LOWSPACE"), {{QStringLiteral("CLEAN_NOW"), QStringLiteral("Clean Up Now"), true}}}};
}

void tst_NotificationCenter::emitFromServer(const QString& name, const QVariantList& args)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                     QStringLiteral("org.freedesktop.Notifications"), name);
    signal.setArguments(args);
    QVERIFY(QDBusConnection(m_serverName).send(signal));
}

void tst_NotificationCenter::postsTitleBodyAndActions()
{
    m_center->requestAuthorization();
    m_center->add(
        QStringLiteral("dustlet.lowspace"),
        {QStringLiteral("Low disk space"), QStringLiteral("Only 1 GB <b>left</b>"), true, QStringLiteral("LOWSPACE")});
    QTRY_COMPARE(m_server->calls.size(), 1);
    const auto& call = m_server->calls.first();
    QCOMPARE(call.appName, QStringLiteral("Dustlet"));
    QCOMPARE(call.replacesId, 0u);
    QCOMPARE(call.summary, QStringLiteral("Low disk space"));
    QCOMPARE(call.body, QStringLiteral("Only 1 GB <b>left</b>"));
    QCOMPARE(call.actions, (QStringList{"default", "", "CLEAN_NOW", "Clean Up Now"}));
    QCOMPARE(call.hints.value(QStringLiteral("sound-name")).toString(), QStringLiteral("message-new-instant"));
    QCOMPARE(m_server->capabilityQueries, 1);

    // No category: no actions; no sound asked for: sound suppressed.
    m_center->add(QStringLiteral("dustlet.autocleanup"),
                  {QStringLiteral("Dustlet cleaned up"), QStringLiteral("Freed 1 KB"), false, QString()});
    QTRY_COMPARE(m_server->calls.size(), 2);
    QVERIFY(m_server->calls[1].actions.isEmpty());
    QVERIFY(m_server->calls[1].hints.value(QStringLiteral("suppress-sound")).toBool());
}

void tst_NotificationCenter::sameRequestReplacesEvenWhenPostedBackToBack()
{
    // The server is known already; the posts go out before its first reply can have come back.
    m_center->requestAuthorization();
    QTRY_COMPARE(m_server->capabilityQueries, 1);
    QTest::qWait(20);
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("A"), QStringLiteral("1"), true, QStringLiteral("LOWSPACE")});
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("B"), QStringLiteral("2"), true, QStringLiteral("LOWSPACE")});
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("C"), QStringLiteral("3"), true, QStringLiteral("LOWSPACE")});
    QTRY_VERIFY(!m_server->calls.isEmpty() && m_server->calls.last().summary == QLatin1String("C"));
    QTest::qWait(50);
    QCOMPARE(m_server->shown.size(), 1);
    const uint first = m_server->calls.first().returnedId;
    for (int i = 1; i < m_server->calls.size(); ++i)
        QCOMPARE(m_server->calls[i].replacesId, first);

    // Later posts, one at a time, keep replacing.
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("D"), QStringLiteral("4"), true, QStringLiteral("LOWSPACE")});
    QTRY_COMPARE(m_server->calls.last().summary, QStringLiteral("D"));
    QCOMPARE(m_server->calls.last().replacesId, first);
    QCOMPARE(m_server->shown.size(), 1);
}

void tst_NotificationCenter::differentRequestsCoexist()
{
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("A"), QString(), true, QStringLiteral("LOWSPACE")});
    m_center->add(QStringLiteral("dustlet.autocleanup"), {QStringLiteral("B"), QString(), false, QString()});
    QTRY_COMPARE(m_server->calls.size(), 2);
    QCOMPARE(m_server->shown.size(), 2);
    QCOMPARE(m_server->calls[0].replacesId, 0u); // neither replaces the other
    QCOMPARE(m_server->calls[1].replacesId, 0u);
}

void tst_NotificationCenter::actionAndClickAreReportedWithCategory()
{
    QSignalSpy responses(m_center.get(), &NotificationCenter::responded);
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("Low"), QString(), true, QStringLiteral("LOWSPACE")});
    m_center->add(QStringLiteral("dustlet.autocleanup"), {QStringLiteral("Done"), QString(), false, QString()});
    QTRY_COMPARE(m_server->calls.size(), 2);
    QTest::qWait(20); // let the replies with the ids arrive
    const auto idOf = [this](const QString& summary) {
        for (const auto& c : std::as_const(m_server->calls))
            if (c.summary == summary)
                return c.returnedId;
        return 0u;
    };
    const uint lowId = idOf(QStringLiteral("Low"));
    const uint autoId = idOf(QStringLiteral("Done"));

    emitFromServer(QStringLiteral("ActionInvoked"), {lowId, QStringLiteral("CLEAN_NOW")});
    QTRY_COMPARE(responses.count(), 1);
    QCOMPARE(responses[0], (QVariantList{"LOWSPACE", "CLEAN_NOW", "dustlet.lowspace"}));

    emitFromServer(QStringLiteral("ActionInvoked"), {lowId, QStringLiteral("default")});
    QTRY_COMPARE(responses.count(), 2);
    QCOMPARE(responses[1], (QVariantList{"LOWSPACE", "default", "dustlet.lowspace"}));

    // A click on the other notification carries no category; someone else's id is ignored.
    emitFromServer(QStringLiteral("ActionInvoked"), {autoId, QStringLiteral("default")});
    emitFromServer(QStringLiteral("ActionInvoked"), {uint(9999), QStringLiteral("CLEAN_NOW")});
    QTRY_COMPARE(responses.count(), 3);
    QTest::qWait(50);
    QCOMPARE(responses.count(), 3);
    QCOMPARE(responses[2], (QVariantList{"", "default", "dustlet.autocleanup"}));
}

void tst_NotificationCenter::noActionsWhenServerOffersNone()
{
    m_server->capabilities = {QStringLiteral("body")};
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("Low"), QString(), true, QStringLiteral("LOWSPACE")});
    QTRY_COMPARE(m_server->calls.size(), 1);
    QVERIFY(m_server->calls[0].actions.isEmpty());
}

void tst_NotificationCenter::closedNotificationIsPostedAnew()
{
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("A"), QString(), true, QStringLiteral("LOWSPACE")});
    QTRY_COMPARE(m_server->calls.size(), 1);
    QTest::qWait(20);
    const uint id = m_server->calls[0].returnedId;
    m_server->shown.remove(id);
    emitFromServer(QStringLiteral("NotificationClosed"), {id, uint(2)});
    QTest::qWait(50);
    QSignalSpy responses(m_center.get(), &NotificationCenter::responded);
    emitFromServer(QStringLiteral("ActionInvoked"), {id, QStringLiteral("default")});
    m_center->add(QStringLiteral("dustlet.lowspace"),
                  {QStringLiteral("B"), QString(), true, QStringLiteral("LOWSPACE")});
    QTRY_COMPARE(m_server->calls.size(), 2);
    QCOMPARE(m_server->calls[1].replacesId, 0u);
    QCOMPARE(responses.count(), 0);
}

QTEST_GUILESS_MAIN(tst_NotificationCenter)
#include "tst_NotificationCenter.moc"
