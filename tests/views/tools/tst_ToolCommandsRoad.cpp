// The road through the real program's pieces, in a temporary home with fake tmutil, osascript
// and brew: the panel's "More" menu opens the snapshots window, which lists and removes the older
// snapshots, and the updates window, which lists what Homebrew reports and upgrades one package.
#include "AppModel.h"
#include "DustletApp.h"
#include "FakeTools.h"
#include "TestHome.h"
#include "platform/Background.h"
#include "services/SnapshotManager.h"
#include "views/tools/AppUpdatesModel.h"
#include "views/tools/AppUpdatesView.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuPanelView.h"
#include "views/tools/SnapshotsModel.h"
#include "views/tools/SnapshotsView.h"
#include "views/Windows.h"
#include "views/components/CleanActionButton.h"

#include <QFile>
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

QAction* toolAction(MenuPanelView& panel, const QString& id)
{
    for (QAction* a : panel.toolMenu()->actions())
        if (a->data().toString() == id)
            return a;
    return nullptr;
}

} // namespace

class tst_ToolCommandsRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { FakeTools::reset(); }

    void snapshotsAndUpdatesFromThePanel()
    {
        TestHome home;
        QVERIFY(home.isValid());
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/dustlet-test-bus");
        FakeTools::installSnapshotTools(home, "Snapshots for disk /:\n"
                                              "com.apple.TimeMachine.2024-05-01-090000.local\n"
                                              "com.apple.TimeMachine.2024-05-02-090000.local\n");
        FakeTools::installBrew(home, R"({"formulae":[{"name":"wget","installed_versions":["1.21"],"current_version":"1.24"}]})");

        DustletApp app;
        app.model().settings().setHasCompletedOnboarding(true);
        app.model().settings().setDeveloperMode(true);
        app.launch();
        QWidget* panelWindow = app.menuBarExtra().panel();
        QVERIFY(panelWindow);
        auto* panel = panelWindow->findChild<MenuPanelView*>();
        QVERIFY(panel);
        QTRY_VERIFY(toolAction(*panel, "appupdates"));

        toolAction(*panel, "snapshots")->trigger();
        QWidget* snapshotsWindow = app.windows().window("snapshots");
        QVERIFY(snapshotsWindow);
        QCOMPARE(snapshotsWindow->windowTitle(), QString("Free Up Snapshot Space"));
        auto* snapshots = snapshotsWindow->findChild<SnapshotsView*>();
        QVERIFY(snapshots);
        QTRY_COMPARE_WITH_TIMEOUT(snapshots->rows().size(), 2, 20000);
        QCOMPARE(snapshots->actionButton()->title(), QString("Free Up Space (1)"));
        QTest::mouseClick(snapshots->actionButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!snapshots->model().isWorking(), 20000);
        QCOMPARE(snapshots->model().snapshots().size(), 1);
        QCOMPARE(snapshots->model().snapshots().first().timestamp, QString("2024-05-02-090000"));
        QVERIFY(snapshots->model().statusMessage().has_value());

        toolAction(*panel, "appupdates")->trigger();
        QWidget* updatesWindow = app.windows().window("appupdates");
        QVERIFY(updatesWindow);
        QCOMPARE(updatesWindow->windowTitle(), QString("App & Tool Updates"));
        auto* updates = updatesWindow->findChild<AppUpdatesView*>();
        QVERIFY(updates);
        QTRY_COMPARE_WITH_TIMEOUT(updates->rows().size(), 1, 20000);
        FakeTools::setBrew(home, R"({"formulae":[]})");
        QTest::mouseClick(updates->rows().first()->updateButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!updates->model().busy(), 20000);
        QCOMPARE(updates->statusText(), QString("Updated wget."));
        QCOMPARE(updates->content(), AppUpdatesView::Content::upToDate);

        // A window closed while its command runs lets the command end on its own.
        home.writeText("brew-hold", "");
        updates->recheckButton()->click();
        app.windows().close("appupdates");
        QTRY_VERIFY(!app.windows().isOpen("appupdates"));
        QVERIFY(Background::utility().activeThreadCount() > 0);
        QVERIFY(QFile::remove(home("brew-hold")));
        QTRY_COMPARE_WITH_TIMEOUT(Background::utility().activeThreadCount(), 0, 20000);
        app.windows().close("snapshots");
    }
};

QTEST_MAIN(tst_ToolCommandsRoad)
#include "tst_ToolCommandsRoad.moc"
