// The real program's pieces from launch, in a temporary home, on a desktop with a tray, with a
// notification server of the test's own on a private session bus: the icon is never clicked,
// yet the model runs — it measures, keeps its figure current and warns of low space.
#include "AppModel.h"
#include "DustletApp.h"
#include "FakeNotificationServer.h"
#include "TestHome.h"
#include "platform/ui/StatusItem.h"
#include "services/AppSettings.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuBarLabel.h"
#include "views/components/AppIcon.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

class tst_LaunchRoad : public QObject {
    Q_OBJECT

    QProcess m_daemon;
    FakeNotificationServer m_server;

private Q_SLOTS:
    void initTestCase()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY(m_daemon.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), 5000);
        const QByteArray address = m_daemon.readLine().trimmed();
        // The program's own connection goes to this bus, never the desktop's.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection server = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("server"));
        QVERIFY(server.isConnected());
        QVERIFY(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_server,
                                      QDBusConnection::ExportAllSlots));
        QVERIFY(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("server"));
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(3000))
                m_daemon.kill();
        }
    }

    void neverClickedItStillRuns()
    {
        TestHome home;
        QVERIFY(home.isValid());
        home.writeFile("Library/Caches/app.example.cache/blob.bin", 1024 * 1024);

        DustletApp app;
        AppSettings& settings = app.model().settings();
        settings.setHasCompletedOnboarding(true);
        settings.setRefreshInterval(2);
        settings.setLowSpaceThresholdGB(1e9);   // any disk is low on space against this
        app.menuBarExtra().setTrayAvailable([] { return true; });
        app.launch();

        // Nothing was clicked: no panel, yet the model has started and sizing runs at once.
        QVERIFY(!app.menuBarExtra().panel());
        QVERIFY(app.model().hasStarted());
        QVERIFY(app.model().isScanning());

        // The low-space warning comes without the panel ever being shown.
        QTRY_VERIFY_WITH_TIMEOUT(!m_server.calls.isEmpty(), 10000);
        QCOMPARE(app.menuBarLabel().iconName(), MenuBarLabel::warningIconName());
        QVERIFY2(app.menuBarExtra().statusItem().toolTip().startsWith(QStringLiteral("Dustlet \u2014 ")),
                 qPrintable(app.menuBarExtra().statusItem().toolTip()));

        // Every target is measured, and the refresh timer keeps the figure current.
        QTRY_VERIFY_WITH_TIMEOUT(app.model().lastScan().has_value(), 20000);
        QSignalSpy refreshed(&app.model(), &AppModel::diskChanged);
        QVERIFY(refreshed.wait(5000));
        QVERIFY(!app.menuBarExtra().panel());

        // The program shows its own icon, and the desktop can match its windows to its
        // launcher, which names the same icon.
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("dustlet"));
        QVERIFY(!QApplication::windowIcon().isNull());
        const QImage drawn = AppIcon::pixmap(48).toImage();
        QVERIFY(!drawn.isNull());
        QVERIFY(drawn.pixelColor(24, 4).blue() > 150);   // the tile
        QFile launcher(QStringLiteral(DUSTLET_SOURCE_DIR "/resources/dustlet.desktop"));
        QVERIFY(launcher.open(QIODevice::ReadOnly));
        const QByteArray entry = launcher.readAll();
        QVERIFY(entry.contains("\nIcon=dustlet\n"));
        QVERIFY(entry.contains("\nExec=dustlet"));
        QVERIFY(QFileInfo::exists(QStringLiteral(DUSTLET_SOURCE_DIR "/resources/dustlet.svg")));
    }
};

QTEST_MAIN(tst_LaunchRoad)
#include "tst_LaunchRoad.moc"
