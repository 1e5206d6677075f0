// The main road through the real program's pieces, in a temporary home: the panel opens and
// measures, "Clean up" asks for confirmation, Return confirms, the caches go to the (test
// home's) Trash and the panel reports what was freed.
#include "AppModel.h"
#include "DustletApp.h"
#include "RoadKit.h"
#include "TestHome.h"
#include "platform/HostPlatform.h"
#include "views/panel/ConfirmWindowView.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuPanelView.h"
#include "views/Windows.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

class tst_PanelRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanUpFromThePanel()
    {
        TestHome home;
        QVERIFY(home.isValid());
        // No desktop bus: nothing may reach the real notification service.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/dustlet-test-bus");
        // The app caches: the system's folder on macOS, the desktop's cache folder elsewhere.
        const QString caches = hostPlatform() == HostPlatform::macOS ? "Library/Caches" : ".cache";
        const QString cache = home.writeFile(caches + "/app.example.cache/blob.bin", 4 * 1024 * 1024);

        DustletApp app;
        MenuPanelView* panel = launchToPanel(app);
        QVERIFY(panel);
        QVERIFY(app.windows().isRegistered("confirm"));

        QTRY_VERIFY_WITH_TIMEOUT(app.model().lastScan().has_value(), 20000);
        QTRY_VERIFY(panel->cleanUpButton()->isEnabled());
        QVERIFY(app.model().totalReclaimable() >= 4 * 1024 * 1024);

        QTest::mouseClick(panel->cleanUpButton(), Qt::LeftButton);
        QWidget* confirm = app.windows().window("confirm");
        QVERIFY(confirm);
        auto* view = confirm->findChild<ConfirmWindowView*>();
        QVERIFY(view && view->sheet());
        QVERIFY(view->sheet()->questionText().contains("all enabled items"));
        // The window comes forward for the keyboard.
        QVERIFY(QTest::qWaitForWindowActive(confirm));
        QTest::keyClick(view->sheet(), Qt::Key_Return);
        QTRY_VERIFY(!app.windows().isOpen("confirm"));

        QTRY_VERIFY_WITH_TIMEOUT(!app.model().isCleaningAll() && panel->statusText().has_value(), 20000);
        const QString status = *panel->statusText();
        QVERIFY2(status.startsWith("Freed ") && status.endsWith(" total") && status != "Freed Zero KB total",
                 qPrintable(status));
        QVERIFY(!QFileInfo::exists(cache));
        QVERIFY(QDir(home(caches)).exists());   // the folder stays, its contents go
        QVERIFY(!app.model().history().isEmpty());
        QVERIFY(app.model().history().first().trashed);
    }
};

QTEST_MAIN(tst_PanelRoad)
#include "tst_PanelRoad.moc"
