// The road of a language change through the real program, in a temporary home: German chosen in
// the settings window, "Relaunch" starts the next instance and ends this one, and the next
// instance (a new program object over the same stored defaults) shows its panel and windows in
// German. A test binary of its own: the program's standard defaults store belongs to the first
// home a process uses.
#include "DustletApp.h"
#include "TestHome.h"
#include "services/AppLanguage.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuPanelView.h"
#include "views/settings/SettingsView.h"
#include "views/Windows.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

class tst_LanguageRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void germanAfterTheRelaunch()
    {
        TestHome home;
        QVERIFY(home.isValid());
        // No desktop bus: nothing may reach the real notification service.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/dustlet-test-bus");
        int launched = 0, quit = 0;
        AppLanguage::setRelaunchActionsForTesting([&] { ++launched; return true; }, [&] { ++quit; });
        // English chosen, whatever the system's language.
        AppLanguage::set("en");

        {
            DustletApp app;
            app.model().settings().setHasCompletedOnboarding(true);
            app.launch();
            auto* panel = app.menuBarExtra().panel()->findChild<MenuPanelView*>();
            QVERIFY(panel);
            QCOMPARE(panel->settingsButton()->text(), "Settings");
            QTest::mouseClick(panel->settingsButton(), Qt::LeftButton);
            auto* settings = app.windows().window("settings")->findChild<SettingsView*>();
            QVERIFY(settings);
            const int german = settings->languagePicker()->findData("de");
            QVERIFY(german > 0);
            settings->languagePicker()->setCurrentIndex(german);
            QVERIFY(settings->relaunchRow()->isVisibleTo(settings));
            settings->relaunchButton()->click();
            QCOMPARE(launched, 1);
            QTRY_COMPARE(quit, 1);   // on a later turn of the event loop
            // This instance stays as it started.
            QCOMPARE(panel->settingsButton()->text(), "Settings");
        }

        {
            DustletApp next;
            next.model().settings().setHasCompletedOnboarding(true);
            next.launch();
            auto* panel = next.menuBarExtra().panel()->findChild<MenuPanelView*>();
            QVERIFY(panel);
            QCOMPARE(panel->settingsButton()->text(), "Einstellungen");
            QCOMPARE(panel->aboutButton()->text(), "Über");
            QTest::mouseClick(panel->settingsButton(), Qt::LeftButton);
            QWidget* window = next.windows().window("settings");
            QVERIFY(window);
            QCOMPARE(window->windowTitle(), "Dustlet-Einstellungen");
            auto* settings = window->findChild<SettingsView*>();
            QVERIFY(settings);
            QCOMPARE(settings->languagePicker()->currentText(), "Deutsch");
            QVERIFY(!settings->relaunchRow()->isVisibleTo(settings));
        }

        // Back to the system's language for whatever runs after.
        QVERIFY(AppLanguage::set(""));
        AppLanguage::install();
        AppLanguage::setRelaunchActionsForTesting({}, {});
    }
};

QTEST_MAIN(tst_LanguageRoad)
#include "tst_LanguageRoad.moc"
