// The welcome flow against a real application model with scripted measurements: the order of
// its finish, its pages and keys, its switches, the sizing and reveal of the last page, and its
// motion with and without "reduce motion".
#include "../../services/AppModelFakes.h"
#include "platform/AccessibilityPrefs.h"
#include "platform/ByteCountFormatter.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingVisuals.h"
#include "views/components/ToggleSwitch.h"

#include <QAbstractAnimation>
#include <QAbstractButton>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

const QStringList kEveryday{"trash", "appcaches", "logs", "maildownloads", "chrome", "safari", "firefox"};

// One showing of the flow over a fixture's model, with a log of what it does to the model, the
// settings and its host, in order.
struct Flow {
    ModelFixture f;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<OnboardingView> view;
    int finished = 0;
    QStringList log;

    explicit Flow(bool startModelFirst = false, bool holdSizes = true)
    {
        f.holdSizes = holdSizes;
        model = f.makeModel();
        if (startModelFirst) {
            // As at a launch that starts the model: everything listed is measured already.
            model->start();
            settle();
            f.finishAllSizes(1'000'000);
            settle();
            f.sizeCalls.clear();
        }
    }

    OnboardingView& make(bool offerAll = false)
    {
        view = std::make_unique<OnboardingView>(*model, model->settings(), [this] {
            ++finished;
            log << "finish";
        });
        if (offerAll)
            view->setOffered([](const QString&) { return true; });
        view->setGrainSeed(1);
        view->resize(900, 800);
        QObject::connect(&model->settings(), &AppSettings::hasCompletedOnboardingChanged, view.get(),
                         [this] { note("completed"); });
        QObject::connect(model.get(), &AppModel::targetsChanged, view.get(),
                         [this] { note(model->isScanning() ? "scan" : "targets"); });
        QObject::connect(model.get(), &AppModel::diskChanged, view.get(), [this] { note("start"); });
        return *view;
    }

    void note(const QString& entry)
    {
        if (log.isEmpty() || log.last() != entry)
            log << entry;
    }

    // Shown and active, so that its keys reach it.
    void show()
    {
        view->show();
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
    }

    void goTo(int step)
    {
        while (view->step() < step)
            view->advance();
    }
};

int runningAnimations(QObject* root)
{
    int running = 0;
    for (QAbstractAnimation* a : root->findChildren<QAbstractAnimation*>())
        if (a->state() == QAbstractAnimation::Running && !a->group())
            ++running;
    return running;
}

} // namespace

class tst_Onboarding : public QObject {
    Q_OBJECT

    void reduceMotion(bool on) { AccessibilityPrefs::overrideForTesting(AccessibilityPrefs::Prefs{on, false, false}); }

private Q_SLOTS:
    void init() { reduceMotion(true); }
    void cleanupTestCase() { AccessibilityPrefs::overrideForTesting(std::nullopt); }

    // Leaving from any page: completed, targets rebuilt, the host told, the model started — in
    // this order. A model that had started before measures what the rebuild added before the
    // host is told.
    void finishOrder_data()
    {
        QTest::addColumn<bool>("startedFirst");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("developer");   // switched on in the flow
        QTest::addColumn<QStringList>("expected");
        const QStringList fresh{"completed", "targets", "finish", "start", "scan"};
        QTest::newRow("skip on page 1") << false << 0 << false << fresh;
        QTest::newRow("skip on page 2") << false << 1 << false << fresh;
        QTest::newRow("skip on page 3") << false << 2 << true << fresh;
        QTest::newRow("get started, sized") << false << 3 << false << QStringList{"completed", "targets", "finish", "start"};
        QTest::newRow("started model, skip on page 3 after a change")
            << true << 2 << true << QStringList{"completed", "targets", "scan", "finish", "start"};
        QTest::newRow("started model, skip on page 1") << true << 0 << false << QStringList{"completed", "targets", "finish", "start"};
    }

    void finishOrder()
    {
        QFETCH(bool, startedFirst);
        QFETCH(int, page);
        QFETCH(bool, developer);
        QFETCH(QStringList, expected);
        Flow flow(startedFirst);
        OnboardingView& view = flow.make();
        flow.goTo(page);
        if (developer)
            flow.model->settings().setDeveloperMode(true);
        if (page == OnboardingView::kLastStep) {
            settle();
            flow.f.finishAllSizes(1'000'000);
            settle();
        }
        flow.log.clear();

        QAbstractButton* leave = page == OnboardingView::kLastStep ? view.getStartedButton() : view.skipButton();
        QVERIFY(!leave->isHidden());
        leave->click();
        QCOMPARE(flow.log, expected);
        QCOMPARE(flow.finished, 1);
        QVERIFY(flow.model->settings().hasCompletedOnboarding());
        QCOMPARE(flow.f.home.defaults().strictBool("hasCompletedOnboarding"), std::optional<bool>(true));
        QVERIFY(flow.model->hasStarted());
        if (developer) {
            // The developer targets are listed and measured.
            settle();
            QVERIFY(targetIds(*flow.model).contains("npm"));
            QVERIFY2(flow.f.sizeCalls.contains("npm"), qPrintable(flow.f.sizeCalls.join(',')));
        }
        // Leaving twice (a second key press before the window is gone) does nothing more.
        view.finish();
        QCOMPARE(flow.finished, 1);
    }

    void backBoundsAndNoBackOnTheFirstPage()
    {
        Flow flow;
        OnboardingView& view = flow.make();
        flow.show();
        QCOMPARE(view.step(), 0);
        QVERIFY(view.backButton()->isHidden());
        QCOMPARE(view.stepDots()->accessibleName(), QStringLiteral("Step 1 of 4"));
        view.back();
        QCOMPARE(view.step(), 0);
        QCOMPARE(view.heroPulse(), 0);   // no change of step, no pulse

        view.continueButton()->click();
        QCOMPARE(view.step(), 1);
        QVERIFY(view.backButton()->isVisible());
        QCOMPARE(view.backButton()->accessibleName(), QStringLiteral("Back"));
        QCOMPARE(view.backButton()->toolTip(), QStringLiteral("Back"));
        QCOMPARE(view.stepDots()->accessibleName(), QStringLiteral("Step 2 of 4"));
        view.backButton()->click();
        QCOMPARE(view.step(), 0);
        QCOMPARE(view.heroPulse(), 2);

        flow.goTo(3);
        QVERIFY(view.getStartedButton()->isVisible());
        QVERIFY(view.continueButton()->isHidden());
        QVERIFY(view.skipButton()->isHidden());
        view.advance();   // there is no page after the last
        QCOMPARE(view.step(), 3);
        QCOMPARE(view.stepDots()->accessibleName(), QStringLiteral("Step 4 of 4"));
        flow.f.finishAllSizes();
    }

    // The last page rebuilds and starts once; sizing shows at once; the total is revealed when
    // sizing ends; coming back reveals again without a new rebuild or sizing.
    void lastPageSizesOnceAndReveals()
    {
        Flow flow;
        OnboardingView& view = flow.make();
        flow.show();
        flow.goTo(2);
        QVERIFY(!view.didKickScan());
        QVERIFY(!flow.model->hasStarted());
        view.advance();
        QVERIFY(view.didKickScan());
        QVERIFY(flow.model->hasStarted());
        // Sizing counts from the moment it is asked for: no total of 0 before the spinner.
        QVERIFY(flow.model->isScanning());
        QVERIFY(view.isShowingSizing());
        QVERIFY(view.revealText().isEmpty());

        settle();
        QCOMPARE(flow.f.sizeCalls, kEveryday);
        qint64 expected = 0;
        for (int i = 0; i < kEveryday.size(); ++i) {
            QVERIFY(view.isShowingSizing());
            flow.f.finishSize(kEveryday[i], (i + 1) * 1'000'000);
            expected += (i + 1) * 1'000'000;
            settle();
        }
        QVERIFY(!view.isShowingSizing());
        QCOMPARE(view.revealValue(), expected);
        QCOMPARE(view.revealText(), formatBytes(expected));

        // Back and forward again: the page is new, the sizing is not.
        QSignalSpy targets(flow.model.get(), &AppModel::targetsChanged);
        view.back();
        QList<TargetState> list = flow.model->targets();
        list[0].size = 50'000'000;   // a size that moved meanwhile
        flow.model->setTargets(list);
        targets.clear();
        view.advance();
        QCOMPARE(targets.count(), 0);   // no rebuild
        QCOMPARE(flow.f.sizeCalls, kEveryday);
        QCOMPARE(view.revealValue(), flow.model->totalReclaimable());
        QCOMPARE(view.revealText(), formatBytes(flow.model->totalReclaimable()));
    }

    void revealsAtOnceWhenNothingIsSizing()
    {
        Flow flow(false, false);
        flow.f.sizes.insert("appcaches", 7'000'000);
        OnboardingView& view = flow.make();
        flow.goTo(3);
        // The measurements answer as soon as they are asked.
        QTRY_VERIFY(!flow.model->isScanning());
        QCOMPARE(view.revealValue(), qint64(7'000'000));
        QVERIFY(!view.isShowingSizing());
    }

    // The choices made in the flow are measured even when the model had started before it
    // (at launch, or when the flow is shown again from the settings).
    void targetsSwitchedOnInTheFlowAreMeasured()
    {
        Flow flow(true);
        OnboardingView& view = flow.make();
        flow.goTo(2);
        const QList<ChoiceCard*> cards = view.choiceCards();
        QCOMPARE(cards.size(), 2);
        QTest::mouseClick(cards[1], Qt::LeftButton);
        QVERIFY(flow.model->settings().developerMode());
        QVERIFY(!targetIds(*flow.model).contains("npm"));   // nothing rebuilt yet
        QVERIFY(flow.f.sizeCalls.isEmpty());

        view.advance();
        QVERIFY(view.isShowingSizing());
        settle();
        QVERIFY(flow.f.sizeCalls.contains("npm"));
        QVERIFY(flow.f.sizeCalls.contains("node_modules"));
        flow.f.finishAllSizes(2'000'000);
        settle();
        QVERIFY(!view.isShowingSizing());
        QCOMPARE(view.revealValue(), qint64(2'000'000) * flow.model->targets().size());
        QCOMPARE(view.revealValue(), flow.model->totalReclaimable());
    }

    void getStartedDuringSizingStillFinishes()
    {
        Flow flow;
        OnboardingView& view = flow.make();
        flow.goTo(3);
        settle();
        QVERIFY(view.isShowingSizing());
        view.getStartedButton()->click();
        QCOMPARE(flow.finished, 1);
        QVERIFY(flow.model->settings().hasCompletedOnboarding());
        flow.f.finishAllSizes(3'000'000);
        settle();
        QVERIFY(!flow.model->isScanning());
        QCOMPARE(view.revealValue(), qint64(0));   // never revealed in this showing
    }

    void keysPerPage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("stepAfter");
        QTest::addColumn<bool>("finishes");
        for (int page = 0; page < OnboardingView::kLastStep; ++page) {
            QTest::addRow("return on page %d", page + 1) << page << int(Qt::Key_Return) << page + 1 << false;
            QTest::addRow("enter on page %d", page + 1) << page << int(Qt::Key_Enter) << page + 1 << false;
            QTest::addRow("escape on page %d", page + 1) << page << int(Qt::Key_Escape) << page << true;
        }
        QTest::newRow("return on page 4") << 3 << int(Qt::Key_Return) << 3 << true;
        QTest::newRow("escape on page 4") << 3 << int(Qt::Key_Escape) << 3 << false;
    }

    void keysPerPage()
    {
        QFETCH(int, page);
        QFETCH(int, key);
        QFETCH(int, stepAfter);
        QFETCH(bool, finishes);
        Flow flow;
        OnboardingView& view = flow.make();
        flow.show();
        flow.goTo(page);
        QTest::keyClick(&view, Qt::Key(key));
        QCOMPARE(view.step(), stepAfter);
        QCOMPARE(flow.finished, finishes ? 1 : 0);
        flow.f.finishAllSizes();
    }

    // Every switch writes its setting the moment it changes, and the flow neither rebuilds nor
    // measures because of it; leaving keeps what was switched.
    void switchesWriteAtOnce()
    {
        Flow flow;
        OnboardingView& view = flow.make(true);
        flow.show();
        QSignalSpy targets(flow.model.get(), &AppModel::targetsChanged);

        view.advance();
        ToggleSwitch* trash = view.trashSwitch();
        QVERIFY(trash);
        QCOMPARE(trash->accessibleName(), QStringLiteral("Move cleaned items to the Trash"));
        QVERIFY(trash->isChecked());
        QTest::mouseClick(trash, Qt::LeftButton);
        QVERIFY(!flow.model->settings().moveToTrash());
        QCOMPARE(flow.f.home.defaults().strictBool("moveToTrash"), std::optional<bool>(false));
        // Both ways: a change made elsewhere shows on the switch.
        flow.model->settings().setMoveToTrash(true);
        QVERIFY(trash->isChecked());
        flow.model->settings().setMoveToTrash(false);

        view.advance();
        const QList<ToggleSwitch*> extras = view.extraSwitches();
        QStringList names;
        for (ToggleSwitch* s : extras)
            names << s->accessibleName();
        QCOMPARE(names, (QStringList{"Apple Music cache", "Saved application state", "Mail attachment previews"}));
        QCOMPARE(extras[2]->isChecked(), true);   // the defaults
        QCOMPARE(extras[0]->isChecked(), false);
        for (ToggleSwitch* s : extras)
            QTest::mouseClick(s, Qt::LeftButton);
        const AppSettings& s = flow.model->settings();
        QVERIFY(s.cleanMusicCache());
        QVERIFY(s.cleanSavedState());
        QVERIFY(!s.cleanMailDownloads());
        QCOMPARE(flow.f.home.defaults().strictBool("cleanMusicCache"), std::optional<bool>(true));
        QCOMPARE(flow.f.home.defaults().strictBool("cleanMailDownloads"), std::optional<bool>(false));

        // The choice cards: the current mode is selected; choosing the selected one changes nothing.
        const QList<ChoiceCard*> cards = view.choiceCards();
        QVERIFY(cards[0]->isSelected() && !cards[1]->isSelected());
        QTest::mouseClick(cards[0], Qt::LeftButton);
        QVERIFY(!s.developerMode());
        QVERIFY(cards[0]->isSelected() && cards[0]->isChecked());
        QTest::mouseClick(cards[1], Qt::LeftButton);
        QVERIFY(s.developerMode());
        QVERIFY(cards[1]->isSelected() && !cards[0]->isSelected());
        QCOMPARE(flow.f.home.defaults().strictBool("developerMode"), std::optional<bool>(true));

        QCOMPARE(targets.count(), 0);
        QVERIFY(flow.f.sizeCalls.isEmpty());

        view.skipButton()->click();
        flow.f.home.restartDefaults();
        AppSettings stored(flow.f.home.defaults());
        QVERIFY(!stored.moveToTrash());
        QVERIFY(stored.cleanMusicCache() && stored.cleanSavedState() && !stored.cleanMailDownloads());
        QVERIFY(stored.developerMode());
        QVERIFY(stored.hasCompletedOnboarding());
        settle();
        flow.f.finishAllSizes();
    }

    // Only the optional caches the platform offers get a row; with none the section is left out.
    void optionalRowsFollowThePlatform()
    {
        Flow flow;
        OnboardingView& view = flow.make();
        view.setOffered([](const QString& id) { return id == QLatin1String("maildownloads"); });
        flow.goTo(2);
        QCOMPARE(view.extraSwitches().size(), 1);
        QCOMPARE(view.extraSwitches().first()->accessibleName(), QStringLiteral("Mail attachment previews"));

        view.setOffered([](const QString&) { return false; });
        QVERIFY(view.extraSwitches().isEmpty());
        bool header = false;
        for (QLabel* l : view.page()->findChildren<QLabel*>())
            header = header || l->text().startsWith("RECLAIM");
        QVERIFY(!header);
    }

    void reduceMotionShowsTheFinalStateAtOnce()
    {
        Flow flow;
        OnboardingView& view = flow.make();
        QVERIFY(view.reduceMotion());
        flow.show();
        QVERIFY(view.cardShown());
        QVERIFY(!view.card()->graphicsEffect());
        QCOMPARE(view.aurora()->stage(), 0);   // the aurora never shows
        QCOMPARE(view.aurora()->frame().opacity, 0.0);
        QVERIFY(!view.page()->graphicsEffect());
        for (QWidget* w : view.page()->findChildren<QWidget*>())
            QVERIFY(!w->graphicsEffect());
        QCOMPARE(runningAnimations(&view), 0);

        view.advance();   // no cross-fade, no staggered rows; only the dots keep their spring
        for (QWidget* w : view.findChildren<QWidget*>())
            QVERIFY2(!w->graphicsEffect(), w->metaObject()->className());
        QVERIFY(view.stepDots()->isAnimating());
        QCOMPARE(runningAnimations(&view), 1);

        flow.goTo(3);
        for (GlowHero* hero : view.findChildren<GlowHero*>())
            QVERIFY(!hero->isBouncing());
        settle();
        flow.f.finishAllSizes(4'000'000);
        settle();
        QCOMPARE(view.revealValue(), qint64(4'000'000) * kEveryday.size());   // at once, not counted up
    }

    void motionRunsAndSettles()
    {
        reduceMotion(false);
        Flow flow;
        OnboardingView& view = flow.make();
        QVERIFY(!view.reduceMotion());
        flow.show();
        // The card waits hidden while the aurora blooms; the page rises into place.
        QVERIFY(!view.cardShown());
        auto* entrance = qobject_cast<MotionEffect*>(view.card()->graphicsEffect());
        QVERIFY(entrance);
        QCOMPARE(entrance->opacity(), 0.0);
        QVERIFY(view.aurora()->isAnimating());
        QVERIFY(view.page()->graphicsEffect());

        QTRY_VERIFY_WITH_TIMEOUT(view.cardShown(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(!view.card()->graphicsEffect(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(!view.aurora()->isAnimating(), 3000);
        QCOMPARE(view.aurora()->stage(), 2);
        QCOMPARE(view.aurora()->frame(), AuroraBackground::frameFor(2));
        QTRY_VERIFY(!view.page()->graphicsEffect());

        // A page change cross-fades; the hero of the new page bounces.
        flow.goTo(3);
        QVERIFY(view.page()->graphicsEffect());
        QList<GlowHero*> heroes = view.page()->findChildren<GlowHero*>();
        QCOMPARE(heroes.size(), 1);
        QVERIFY(heroes.first()->isBouncing());

        // The total counts up from 0.
        settle();
        flow.f.finishAllSizes(5'000'000);
        settle();
        const qint64 total = qint64(5'000'000) * kEveryday.size();
        QVERIFY(view.revealValue() < total);
        QTRY_COMPARE_WITH_TIMEOUT(view.revealValue(), total, 3000);
        QCOMPARE(view.revealText(), formatBytes(total));
        QTRY_COMPARE_WITH_TIMEOUT(runningAnimations(&view), 0, 3000);
    }
};

QTEST_MAIN(tst_Onboarding)
#include "tst_Onboarding.moc"
