// The first launch through the real program's pieces, in a temporary home: the welcome flow
// opens, the user chooses developer mode, sees what can be freed and finishes; the window closes,
// the first-run hint shows and the model runs with the developer targets. "Show welcome screen…"
// shows a fresh flow again.
#include "AppDelegate.h"
#include "AppModel.h"
#include "DustletApp.h"
#include "TestHome.h"
#include "platform/AccessibilityPrefs.h"
#include "platform/AppEvents.h"
#include "platform/HostPlatform.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingVisuals.h"

#include <QAbstractButton>
#include <QPointer>
#include <QTest>

class tst_WelcomeRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstLaunch()
    {
        TestHome home;
        QVERIFY(home.isValid());
        // No desktop bus: nothing may reach the real notification service.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/dustlet-test-bus");
        AccessibilityPrefs::overrideForTesting(AccessibilityPrefs::Prefs{true, false, false});
        // The app caches: the system's folder on macOS, the desktop's cache folder elsewhere.
        home.writeFile(QString(hostPlatform() == HostPlatform::macOS ? "Library/Caches" : ".cache")
                           + "/app.example.cache/blob.bin",
                       4 * 1024 * 1024);

        DustletApp app;
        QVERIFY(!app.model().settings().hasCompletedOnboarding());
        app.launch();
        QWidget* window = app.delegate().onboardingWindow();
        QVERIFY(window);
        auto* flow = window->findChild<OnboardingView*>();
        QVERIFY(flow);
        QCOMPARE(flow->step(), 0);

        flow->continueButton()->click();
        flow->continueButton()->click();
        const QList<ChoiceCard*> cards = flow->choiceCards();
        QCOMPARE(cards.size(), 2);
        cards[1]->click();
        QVERIFY(app.model().settings().developerMode());
        flow->continueButton()->click();
        QCOMPARE(flow->step(), OnboardingView::kLastStep);
        QTRY_VERIFY_WITH_TIMEOUT(!flow->isShowingSizing(), 20000);
        QVERIFY(flow->revealValue() >= 4 * 1024 * 1024);
        QCOMPARE(flow->revealValue(), app.model().totalReclaimable());

        QPointer<QWidget> closing(window);
        flow->getStartedButton()->click();
        QVERIFY(!app.delegate().onboardingWindow());
        QTRY_VERIFY(closing.isNull());
        QVERIFY(app.delegate().coachMarkWindow());
        QVERIFY(app.model().settings().hasCompletedOnboarding());
        QVERIFY(app.model().hasStarted());
        bool developerTargets = false;
        for (const TargetState& t : app.model().targets())
            developerTargets = developerTargets || t.target.id == QLatin1String("npm");
        QVERIFY(developerTargets);

        // Shown again on request: a new flow from the first page.
        AppEvents::shared().post(AppEvents::showOnboarding());
        QTRY_VERIFY(app.delegate().onboardingWindow());
        auto* again = app.delegate().onboardingWindow()->findChild<OnboardingView*>();
        QVERIFY(again);
        QCOMPARE(again->step(), 0);
        QVERIFY(!again->didKickScan());
        again->skipButton()->click();
        QVERIFY(!app.delegate().onboardingWindow());
        QTRY_VERIFY_WITH_TIMEOUT(!app.model().isScanning(), 20000);
        AccessibilityPrefs::overrideForTesting(std::nullopt);
    }
};

QTEST_MAIN(tst_WelcomeRoad)
#include "tst_WelcomeRoad.moc"
