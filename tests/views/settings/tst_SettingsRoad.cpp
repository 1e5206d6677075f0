// The road through the real program's settings and about windows, in a temporary home: the
// panel opens Settings, developer mode brings the developer targets in; the panel opens About,
// which lists a cleanup to the Trash and puts its item back where it was.
#include "AppModel.h"
#include "DustletApp.h"
#include "TestHome.h"
#include "platform/Trash.h"
#include "views/about/AboutView.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuPanelView.h"
#include "views/settings/SettingsView.h"
#include "views/Windows.h"
#include "views/components/LinkButton.h"
#include "views/components/ToggleSwitch.h"

#include <QFileInfo>
#include <QTest>
#include <QToolButton>

class tst_SettingsRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void settingsAndPutBackFromThePanel()
    {
        TestHome home;
        QVERIFY(home.isValid());
        // No desktop bus: nothing may reach the real notification service.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/dustlet-test-bus");

        DustletApp app;
        app.model().settings().setHasCompletedOnboarding(true);
        app.launch();
        auto* panel = app.menuBarExtra().panel()->findChild<MenuPanelView*>();
        QVERIFY(panel);

        // Settings: developer mode brings the developer targets into the list at once.
        QTest::mouseClick(panel->settingsButton(), Qt::LeftButton);
        QWidget* settingsWindow = app.windows().window("settings");
        QVERIFY(settingsWindow);
        QCOMPARE(settingsWindow->windowTitle(), "Dustlet Settings");
        auto* settings = settingsWindow->findChild<SettingsView*>();
        QVERIFY(settings);
        QVERIFY(!app.model().settings().developerMode());
        settings->developerSwitch()->click();
        QVERIFY(app.model().settings().developerMode());
        QVERIFY(std::any_of(app.model().targets().cbegin(), app.model().targets().cend(), [](const TargetState& t) {
            return t.target.category == CleanupCategory::developer;
        }));

        // About: a cleanup to the Trash, put back from its row.
        const QString file = home.writeFile("Documents/notes/draft.txt", 8192);
        const std::optional<QString> inTrash = Trash::moveToTrash(file);
        QVERIFY(inTrash);
        app.model().recordExternalDeletion("Old drafts", 8192, {{file, *inTrash}});
        QTest::mouseClick(panel->aboutButton(), Qt::LeftButton);
        QWidget* aboutWindow = app.windows().window("about");
        QVERIFY(aboutWindow);
        auto* about = aboutWindow->findChild<AboutView*>();
        QVERIFY(about);
        QCOMPARE(about->rows().size(), 1);
        QVERIFY(about->rows().first()->putBackButton());
        about->rows().first()->putBackButton()->click();
        QTRY_VERIFY(QFileInfo::exists(file));
        QVERIFY(!QFileInfo::exists(*inTrash));
        QCOMPARE(int(about->rows().first()->mark()), int(AboutHistoryRow::Mark::restored));
        QCOMPARE(app.model().totalFreedAllTime(), 0);
    }
};

QTEST_MAIN(tst_SettingsRoad)
#include "tst_SettingsRoad.moc"
