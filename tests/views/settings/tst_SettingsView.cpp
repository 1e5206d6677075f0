#include "ModelAndUpdater.h"
#include "TextContrast.h"
#include "models/CleanupCatalog.h"
#include "platform/AppEvents.h"
#include "platform/LoginItemService.h"
#include "platform/UserDefaults.h"
#include "platform/ui/Dialogs.h"
#include "services/AppLanguage.h"
#include "services/LoginItem.h"
#include "services/Updater.h"
#include "views/components/Stepper.h"
#include "views/components/ToggleSwitch.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingVisuals.h"
#include "views/settings/SettingsView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QToolButton>

#include <limits>

Q_DECLARE_METATYPE(HostPlatform)

namespace {

// A login item service that can refuse, and records what it was asked.
class FakeLoginItem : public LoginItemService {
public:
    bool enabled = false;
    std::optional<QString> refusal; // the error of every request while set
    QList<bool> requests;
    bool isEnabled() const override { return enabled; }
    std::optional<QString> setEnabled(bool on) override
    {
        requests << on;
        if (refusal)
            return refusal;
        enabled = on;
        return std::nullopt;
    }
};

bool isShown(QWidget* w) { return w && !w->isHidden() && (!w->parentWidget() || !w->parentWidget()->isHidden()); }

} // namespace

class tst_SettingsView : public QObject, public WithModelAndUpdater {
    Q_OBJECT

    AppEvents events;
    FakeLoginItem login;
    QStringList system{"en-US"};
    int relaunches = 0;
    std::optional<QString> pickAnswer;
    QList<Dialogs::PickRequest> picks;

    SettingsView::Environment environment()
    {
        SettingsView::Environment env;
        env.events = &events;
        env.bundleIdentifier = QStringLiteral("app.dustlet.test");
        env.offered = [](const QString&) { return true; };
        env.currentLanguage = [this] { return AppLanguage::current(fx->home.defaults(), system); };
        env.availableLanguages = [] { return AppLanguage::available({"de"}); };
        env.setLanguage = [this](const QString& code) { return AppLanguage::set(fx->home.defaults(), system, code); };
        env.relaunch = [this] { ++relaunches; };
        return env;
    }

    std::unique_ptr<SettingsView> makeView(SettingsView::Environment env)
    {
        auto view = std::make_unique<SettingsView>(model->settings(), *model, *updater, std::move(env));
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        return view;
    }
    std::unique_ptr<SettingsView> makeView() { return makeView(environment()); }

    QStringList ids() const { return targetIds(*model); }

private Q_SLOTS:
    void init()
    {
        renew();
        settle();
        login = FakeLoginItem();
        LoginItem::setServiceForTesting(&login);
        relaunches = 0;
        pickAnswer.reset();
        picks.clear();
        Dialogs::setPickHandlerForTesting([this](const Dialogs::PickRequest& r) {
            picks << r;
            return pickAnswer;
        });
    }

    void cleanup()
    {
        LoginItem::setServiceForTesting(nullptr);
        Dialogs::setPickHandlerForTesting({});
        drop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Each control writes its setting at once and sets off what the setting needs: the refresh
    // timer restarts, the targets are rebuilt and measured again, or nothing further happens.
    void controlWritesThrough_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("rebuilds");
        QTest::addColumn<bool>("rescans");
        QTest::newRow("refresh stepper") << "refresh"
                                         << "refreshInterval" << QVariant(6.0) << false << false;
        QTest::newRow("menu bar picker") << "menuBar"
                                         << "menuBarDisplay" << QVariant("free") << false << false;
        QTest::newRow("low-space switch") << "alerts"
                                          << "lowSpaceAlertsEnabled" << QVariant(false) << false << false;
        QTest::newRow("threshold stepper") << "threshold"
                                           << "lowSpaceThresholdGB" << QVariant(11.0) << false << false;
        QTest::newRow("move to Trash switch") << "moveToTrash"
                                              << "moveToTrash" << QVariant(false) << false << false;
        QTest::newRow("music cache switch") << "musiccache"
                                            << "cleanMusicCache" << QVariant(true) << true << true;
        QTest::newRow("saved state switch") << "savedstate"
                                            << "cleanSavedState" << QVariant(true) << true << true;
        QTest::newRow("Mail downloads switch") << "maildownloads"
                                               << "cleanMailDownloads" << QVariant(false) << true << true;
        QTest::newRow("developer switch") << "developer"
                                          << "developerMode" << QVariant(true) << true << true;
        QTest::newRow("sort switch") << "sort"
                                     << "sortBySize" << QVariant(true) << false << false;
        QTest::newRow("age stepper") << "age"
                                     << "finderMinAgeDays" << QVariant(1.0) << true << true;
    }
    void controlWritesThrough()
    {
        QFETCH(QString, control);
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(bool, rebuilds);
        QFETCH(bool, rescans);
        model->settings().setDeveloperMode(control == "sort" || control == "age");
        auto view = makeView();
        settle();
        fx->sizeCalls.clear();
        QSignalSpy rebuilt(model, &AppModel::targetsChanged);
        const auto timersBefore = fx->clock.runningIntervals();

        if (control == "refresh")
            view->refreshStepper()->upButton()->click();
        else if (control == "menuBar")
            view->menuBarPicker()->setCurrentIndex(1);
        else if (control == "alerts")
            view->lowSpaceSwitch()->click();
        else if (control == "threshold")
            view->thresholdStepper()->upButton()->click();
        else if (control == "moveToTrash")
            view->moveToTrashSwitch()->click();
        else if (control == "developer")
            view->developerSwitch()->click();
        else if (control == "sort")
            view->sortSwitch()->click();
        else if (control == "age")
            view->ageStepper()->upButton()->click();
        else
            view->extraCacheSwitch(control)->click();
        settle();

        QCOMPARE(fx->home.defaults().object(key), stored);
        QCOMPARE(!rebuilt.isEmpty(), rebuilds);
        QCOMPARE(!fx->sizeCalls.isEmpty(), rescans);
        if (control == "refresh") {
            // A new refresh timer at the new interval.
            QVERIFY(fx->clock.runningIntervals().contains(std::chrono::milliseconds(6000)));
            QVERIFY(!timersBefore.contains(std::chrono::milliseconds(6000)));
        } else {
            QCOMPARE(fx->clock.runningIntervals(), timersBefore);
        }
        if (control == "developer")
            QVERIFY(std::any_of(model->targets().cbegin(), model->targets().cend(),
                                [](const TargetState& t) { return t.target.category == CleanupCategory::developer; }));
    }

    // The steppers: their ends, their labels in whole units, and a stored fraction kept.
    void steppers()
    {
        auto view = makeView();
        Stepper* refresh = view->refreshStepper();
        QCOMPARE(refresh->labelText(), "5 s"); // the default of 5.0
        model->settings().setRefreshInterval(2.0);
        QVERIFY(!refresh->downButton()->isEnabled());
        refresh->stepDown();
        QCOMPARE(model->settings().refreshInterval(), 2.0);
        model->settings().setRefreshInterval(59.5);
        QCOMPARE(refresh->labelText(), "59 s");
        refresh->upButton()->click();
        QCOMPARE(model->settings().refreshInterval(), 60.0); // clamped to the end
        QVERIFY(!refresh->upButton()->isEnabled());
        model->settings().setRefreshInterval(5.5);
        refresh->upButton()->click();
        QCOMPARE(model->settings().refreshInterval(), 6.5); // the stored double steps by one

        Stepper* threshold = view->thresholdStepper();
        QCOMPARE(threshold->labelText(), "10 GB");
        model->settings().setLowSpaceThresholdGB(1.0);
        QVERIFY(!threshold->downButton()->isEnabled());
        model->settings().setLowSpaceThresholdGB(200.0);
        QVERIFY(!threshold->upButton()->isEnabled());
        QVERIFY(threshold->downButton()->isEnabled());
        // The threshold stays adjustable while alerts are off.
        model->settings().setLowSpaceAlertsEnabled(false);
        QVERIFY(threshold->isEnabled());

        model->settings().setDeveloperMode(true);
        Stepper* age = view->ageStepper();
        model->settings().setFinderMinAgeDays(365);
        QVERIFY(!age->upButton()->isEnabled());
        model->settings().setFinderMinAgeDays(0);
        QVERIFY(!age->downButton()->isEnabled());
        QCOMPARE(age->labelText(), "Any age");
    }

    // A value outside the range (NaN among them, which the store never reads back but a caller
    // may still set) leaves the button that leads back into the range usable, and a step lands
    // inside the range.
    void stepperButtonsJudgeTheClampedValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("up");
        QTest::addColumn<double>("afterStep"); // after a press of the usable button
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false << true << 3.0;
        QTest::newRow("+inf") << std::numeric_limits<double>::infinity() << true << false << 59.0;
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << false << true << 3.0;
        QTest::newRow("above") << 500.0 << true << false << 59.0;
        QTest::newRow("below") << -4.0 << false << true << 3.0;
    }
    void stepperButtonsJudgeTheClampedValue()
    {
        QFETCH(double, value);
        QFETCH(bool, down);
        QFETCH(bool, up);
        QFETCH(double, afterStep);
        auto view = makeView();
        Stepper* refresh = view->refreshStepper();
        model->settings().setRefreshInterval(value);
        QCOMPARE(refresh->downButton()->isEnabled(), down);
        QCOMPARE(refresh->upButton()->isEnabled(), up);
        (up ? refresh->upButton() : refresh->downButton())->click();
        QCOMPARE(model->settings().refreshInterval(), afterStep);
    }

    // The age label decides on the whole number of days, as the folder search does.
    void ageLabel_data()
    {
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("label");
        QTest::newRow("0") << 0.0 << "Any age";
        QTest::newRow("a fraction of a day is any age") << 0.5 << "Any age";
        QTest::newRow("1") << 1.0 << "1 day";
        QTest::newRow("1.5 reads one day") << 1.5 << "1 day";
        QTest::newRow("2") << 2.0 << "2 days";
        QTest::newRow("365") << 365.0 << "365 days";
    }
    void ageLabel()
    {
        QFETCH(double, days);
        QFETCH(QString, label);
        QCOMPARE(SettingsView::ageText(days), label);
        model->settings().setFinderMinAgeDays(days);
        QCOMPARE(model->settings().finderMinAgeDaysClamped(), int(days));
    }

    // Every schedule chosen stamps the time of the last automatic cleanup, "Off" included, and
    // the caption follows the schedule.
    void scheduleStampsLastAutoCleanup()
    {
        const QDateTime old(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
        model->settings().setCleanupSchedule(CleanupSchedule::daily);
        auto view = makeView();
        QCOMPARE(view->scheduleCaption()->text(),
                 "Quietly clears recoverable caches & logs to the Trash, then "
                 "notifies you. Never empties the Trash or touches build folders.");
        const QList<QPair<int, CleanupSchedule>> choices = {
            {0, CleanupSchedule::off}, {2, CleanupSchedule::weekly}, {1, CleanupSchedule::daily}};
        for (const auto& [index, schedule] : choices) {
            model->settings().setLastAutoCleanup(old);
            const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
            view->schedulePicker()->setCurrentIndex(index);
            const QDateTime after = QDateTime::currentDateTimeUtc().addMSecs(1);
            QCOMPARE(model->settings().cleanupSchedule(), schedule);
            const std::optional<QDateTime> stamped = model->settings().lastAutoCleanup();
            QVERIFY(stamped);
            QVERIFY2(*stamped >= before && *stamped <= after, qPrintable(stamped->toString(Qt::ISODateWithMs)));
            QCOMPARE(view->scheduleCaption()->text() == "Dustlet only cleans when you ask.",
                     schedule == CleanupSchedule::off);
        }
    }

    // The caption under the Trash switch follows it.
    void trashCaptionFollowsTheSwitch()
    {
        auto view = makeView();
        QVERIFY(view->trashCaption()->text().startsWith("Recoverable"));
        view->moveToTrashSwitch()->click();
        QCOMPARE(view->trashCaption()->text(), "Permanent — items are deleted immediately.");
    }

    // Custom folders go through the model; its message shows in red until the next add.
    void customFolders()
    {
        auto view = makeView();
        QVERIFY(isShown(view->emptyCaption(SettingsView::FolderList::custom)));
        const QString scratch = fx->home.mkdir("scratch");

        pickAnswer = scratch;
        view->addFolderButton()->click();
        QCOMPARE(picks.last().acceptLabel, "Add");
        QCOMPARE(model->settings().customFolders(), QStringList{scratch});
        QCOMPARE(view->shownFolders(SettingsView::FolderList::custom), QStringList{scratch});
        QVERIFY(!isShown(view->emptyCaption(SettingsView::FolderList::custom)));
        QVERIFY(ids().contains("custom:" + scratch));
        QCOMPARE(view->folderError(), std::optional<QString>());

        view->addFolderButton()->click(); // the same folder again
        QCOMPARE(view->folderError(), std::optional<QString>("Already added."));
        QCOMPARE(view->folderErrorLabel()->text(), "Already added.");
        QVERIFY(isShown(view->folderErrorLabel()));
        QCOMPARE(view->folderErrorLabel()->textFormat(), Qt::PlainText);

        pickAnswer.reset(); // cancelled: the message stays
        view->addFolderButton()->click();
        QCOMPARE(view->folderError(), std::optional<QString>("Already added."));

        const QString other = fx->home.mkdir("other");
        pickAnswer = other;
        view->addFolderButton()->click();
        QCOMPARE(view->folderError(), std::optional<QString>());
        QVERIFY(!isShown(view->folderErrorLabel()));

        view->removeButton(SettingsView::FolderList::custom, scratch)->click();
        settle();
        QCOMPARE(model->settings().customFolders(), QStringList{other});
        QCOMPARE(view->shownFolders(SettingsView::FolderList::custom), QStringList{other});
        QVERIFY(!ids().contains("custom:" + scratch));
    }

    // Pinning a pinned folder changes nothing; unpinning drops every copy and rescans.
    void pinnedFolders()
    {
        model->settings().setDeveloperMode(true);
        const QString a = fx->home.mkdir("src/a"), b = fx->home.mkdir("src/b");
        model->settings().setIgnoredFinderPaths({a, b, a});
        auto view = makeView();
        QCOMPARE(view->shownFolders(SettingsView::FolderList::pinned), (QStringList{a, b, a}));

        fx->sizeCalls.clear();
        QSignalSpy written(&model->settings(), &AppSettings::ignoredFinderPathsChanged);
        pickAnswer = b;
        view->pinFolderButton()->click();
        QCOMPARE(written.count(), 0);
        QVERIFY(fx->sizeCalls.isEmpty());

        view->removeButton(SettingsView::FolderList::pinned, a)->click();
        settle();
        QCOMPARE(model->settings().ignoredFinderPaths(), QStringList{b});
        QVERIFY(!fx->sizeCalls.isEmpty());

        fx->sizeCalls.clear();
        pickAnswer = a;
        view->pinFolderButton()->click();
        settle();
        QCOMPARE(model->settings().ignoredFinderPaths(), (QStringList{b, a}));
        QVERIFY(!fx->sizeCalls.isEmpty());
        // The panel returns the path without a trailing separator.
        pickAnswer = b + "/";
        view->pinFolderButton()->click();
        QCOMPARE(model->settings().ignoredFinderPaths(), (QStringList{b, a}));
    }

    // Project folders rebuild the targets without measuring anything.
    void projectFolders()
    {
        model->settings().setDeveloperMode(true);
        const QString src = fx->home.mkdir("src"), work = fx->home.mkdir("work");
        model->settings().setProjectRoots({src});
        auto view = makeView();
        settle();
        fx->sizeCalls.clear();

        QSignalSpy rebuilt(model, &AppModel::targetsChanged);
        pickAnswer = src; // already listed
        view->addProjectButton()->click();
        QCOMPARE(model->settings().projectRoots(), QStringList{src});
        QCOMPARE(rebuilt.count(), 0);

        pickAnswer = work;
        view->addProjectButton()->click();
        QCOMPARE(model->settings().projectRoots(), (QStringList{src, work}));
        QVERIFY(rebuilt.count() > 0);
        QCOMPARE(fx->home.defaults().stringArray("projectRoots"), std::optional<QStringList>(QStringList{src, work}));

        rebuilt.clear();
        view->removeButton(SettingsView::FolderList::projects, src)->click();
        settle();
        QCOMPARE(model->settings().projectRoots(), QStringList{work});
        QVERIFY(rebuilt.count() > 0);
        QVERIFY(fx->sizeCalls.isEmpty());
        QCOMPARE(view->shownFolders(SettingsView::FolderList::projects), QStringList{work});
    }

    // A project folder that is not there (the default ~/dev on a fresh home) is marked as such.
    void missingProjectFoldersAreMarked()
    {
        model->settings().setDeveloperMode(true);
        const QString src = fx->home.mkdir("src"), dev = fx->home("dev");
        model->settings().setProjectRoots({src, dev});
        auto view = makeView();
        settle();
        const auto marked = [&view](const QString& path) {
            QWidget* row = view->removeButton(SettingsView::FolderList::projects, path)->parentWidget();
            QLabel* mark = row->findChild<QLabel*>(QStringLiteral("missingFolder"));
            return mark && !mark->isHidden() && mark->text() == QStringLiteral("Doesn't exist");
        };
        QVERIFY(!marked(src));
        QVERIFY(marked(dev));
        // Once it is there, the mark goes when the list is shown again.
        fx->home.mkdir("dev");
        model->settings().setProjectRoots({src, dev});
        settle();
        QVERIFY(!marked(dev));
    }

    // The developer sections and the sort switch show only in developer mode; their values stay.
    void developerSectionsShowAndHide()
    {
        auto view = makeView();
        const QStringList developerOnly{"Build-folder cleanup", "Never touch these (pinned)",
                                        "Project folders to scan"};
        for (const QString& s : developerOnly)
            QVERIFY2(!view->isSectionShown(s), qPrintable(s));
        QVERIFY(!isShown(view->sortSwitch()));
        QCOMPARE(view->sectionTitles().size(), 9);

        view->developerSwitch()->click();
        for (const QString& s : developerOnly)
            QVERIFY2(view->isSectionShown(s), qPrintable(s));
        QVERIFY(isShown(view->sortSwitch()));
        view->sortSwitch()->click();

        view->developerSwitch()->click();
        QVERIFY(!view->isSectionShown("Build-folder cleanup"));
        QVERIFY(model->settings().sortBySize());
    }

    // Only the caches this platform offers get a switch; with none, the section is hidden.
    void extraCachesFollowThePlatform()
    {
        SettingsView::Environment env = environment();
        env.offered = [](const QString& id) {
            return id != "musiccache" && id != "savedstate" && id != "maildownloads";
        };
        auto none = makeView(env);
        QVERIFY(!none->isSectionShown("Extra system caches"));
        QVERIFY(!none->extraCacheSwitch("maildownloads"));

        env.offered = [](const QString& id) { return id == "maildownloads"; };
        auto one = makeView(env);
        QVERIFY(one->isSectionShown("Extra system caches"));
        QVERIFY(one->extraCacheSwitch("maildownloads"));
        QVERIFY(!one->extraCacheSwitch("musiccache"));
        QVERIFY(one->extraCacheSwitch("maildownloads")->isChecked()); // the default is on
    }

    // The developer-mode caption here and the developer card of the welcome flow name the
    // developer caches the platform offers: Xcode only where there is an Xcode target.
    void developerTextsNameWhatThePlatformOffers_data()
    {
        QTest::addColumn<HostPlatform>("platform");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("card");
        QTest::newRow("Linux") << HostPlatform::other << "en"
                               << "Reveals npm, Gradle, Docker and other dev caches, plus node_modules and build "
                                  "folders in your projects."
                               << "Also npm, Gradle, Docker & node_modules.";
        QTest::newRow("Linux, German")
            << HostPlatform::other << "de"
            << "Zeigt Caches von npm, Gradle, Docker und anderen Entwicklerwerkzeugen, dazu node_modules- und "
               "Build-Ordner in deinen Projekten."
            << "Auch npm, Gradle, Docker & node_modules.";
        QTest::newRow("macOS") << HostPlatform::macOS << "en"
                               << "Reveals Xcode, npm, Docker and other dev caches, plus node_modules and build "
                                  "folders in your projects."
                               << "Also Xcode, npm, Docker & node_modules.";
        QTest::newRow("macOS, German")
            << HostPlatform::macOS << "de"
            << "Zeigt Caches von Xcode, npm, Docker und anderen Entwicklerwerkzeugen, dazu node_modules- und "
               "Build-Ordner in deinen Projekten."
            << "Auch Xcode, npm, Docker & node_modules.";
    }
    void developerTextsNameWhatThePlatformOffers()
    {
        QFETCH(HostPlatform, platform);
        QFETCH(QString, language);
        QFETCH(QString, caption);
        QFETCH(QString, card);
        struct LanguageGuard {
            UserDefaults& defaults;
            ~LanguageGuard()
            {
                defaults.remove(AppLanguage::key());
                AppLanguage::install(defaults, {"en-US"});
            }
        } guard{fx->home.defaults()};
        fx->home.defaults().setStringArray(AppLanguage::key(), {language});
        QCOMPARE(AppLanguage::install(fx->home.defaults(), {"en-US"}), language);
        const auto offered = [platform](const QString& id) { return CleanupCatalog::isOffered(id, platform); };

        SettingsView::Environment env = environment();
        env.offered = offered;
        auto view = makeView(env);
        QVERIFY(view->developerCaption());
        QCOMPARE(view->developerCaption()->text(), caption);

        OnboardingView welcome(*model, model->settings(), [] {});
        welcome.setOffered(offered);
        while (welcome.step() < 2)
            welcome.advance();
        QCOMPARE(welcome.choiceCards().size(), 2);
        QCOMPARE(welcome.choiceCards().at(1)->subtitle(), card);
    }

    // The update section: the automatic flag, the manual check and the development-build mark.
    void updates()
    {
        controller->automatic = true;
        {
            auto view = makeView();
            QVERIFY(view->automaticUpdatesSwitch()->isChecked());
            view->automaticUpdatesSwitch()->click();
            QVERIFY(!controller->automatic);
            QVERIFY(!view->devBuildLabel()); // configured
            view->checkForUpdatesButton()->click();
            QCOMPARE(controller->checks, 1);
            controller->move(false);
            QTRY_VERIFY(!view->checkForUpdatesButton()->isEnabled());
            controller->move(true);
            QTRY_VERIFY(view->checkForUpdatesButton()->isEnabled());
        }
        replaceUpdater(true, false);
        auto view = makeView();
        QVERIFY(view->devBuildLabel());
        QCOMPARE(view->devBuildLabel()->text(), "Dev build");
        QVERIFY(!view->checkForUpdatesButton()->isEnabled()); // nothing reported yet
        QTRY_VERIFY(view->checkForUpdatesButton()->isEnabled());
    }

    // A refused registration leaves the switch at the real state and its error on screen: putting
    // the switch back does not ask again (which would replace the error with a success).
    void failedLoginRegistrationKeepsItsError()
    {
        login.refusal = QStringLiteral("Operation not permitted");
        auto view = makeView();
        QVERIFY(!view->loginSwitch()->isChecked());
        view->loginSwitch()->click();
        QCOMPARE(login.requests, QList<bool>{true});
        QVERIFY(!view->loginSwitch()->isChecked());
        QCOMPARE(view->loginError(), std::optional<QString>("Operation not permitted"));
        QVERIFY(isShown(view->loginErrorLabel()));
        QCOMPARE(view->loginErrorLabel()->textFormat(), Qt::PlainText);

        login.refusal.reset();
        view->loginSwitch()->click();
        QCOMPARE(login.requests, (QList<bool>{true, true}));
        QVERIFY(login.enabled);
        QCOMPARE(view->loginError(), std::optional<QString>());
        QVERIFY(!isShown(view->loginErrorLabel()));
        view->loginSwitch()->click();
        QVERIFY(!login.enabled);
    }

    // The same with the real autostart entry: a config folder that cannot hold it.
    void failedAutostartEntryShowsTheError()
    {
        LoginItem::setServiceForTesting(nullptr);
        fx->home.writeText(".config/autostart", "not a folder");
        auto view = makeView();
        view->loginSwitch()->click();
        QVERIFY(!view->loginSwitch()->isChecked());
        QVERIFY(view->loginError().has_value());
        QVERIFY2(view->loginError()->contains(".config/autostart/"), qPrintable(*view->loginError()));
    }

    // The switch starts from the registration as it is, and is unavailable without an identifier.
    void loginSwitchStartsFromTheRealState()
    {
        login.enabled = true;
        {
            auto view = makeView();
            QVERIFY(view->loginSwitch()->isChecked());
            QVERIFY(view->loginSwitch()->isEnabled());
            QVERIFY(!view->loginUnavailableLabel());
            QVERIFY(login.requests.isEmpty());
        }
        SettingsView::Environment env = environment();
        env.bundleIdentifier = QString();
        auto view = makeView(env);
        QVERIFY(!view->loginSwitch()->isEnabled());
        QVERIFY(view->loginUnavailableLabel());
        QCOMPARE(view->loginUnavailableLabel()->text(), "Available once running as the built Dustlet.app");
    }

    // The language picker: "System default" and each offered language in its own name; a choice
    // that changes what is stored shows the relaunch note, one that does not hides it.
    void languageChoice()
    {
        auto view = makeView();
        QComboBox* picker = view->languagePicker();
        QCOMPARE(picker->count(), 3);
        QCOMPARE(picker->itemText(0), "System default");
        QCOMPARE(picker->itemText(1), "English");
        QCOMPARE(picker->itemText(2), "Deutsch");
        // The system's "en-US" is not offered as such: the system default is at work.
        QCOMPARE(picker->currentIndex(), 0);
        QVERIFY(!isShown(view->relaunchRow()));

        picker->setCurrentIndex(2);
        QVERIFY(view->languageChanged());
        QVERIFY(isShown(view->relaunchRow()));
        QCOMPARE(fx->home.defaults().stringArray(AppLanguage::key()), std::optional<QStringList>(QStringList{"de"}));
        view->relaunchButton()->click();
        QCOMPARE(relaunches, 1);

        // A new window shows the stored choice.
        auto again = makeView();
        QCOMPARE(again->languagePicker()->currentIndex(), 2);
        // English differs from the stored German: the note stays.
        again->languagePicker()->setCurrentIndex(1);
        QVERIFY(again->languageChanged());
        // Back to the system default: the key goes.
        again->languagePicker()->setCurrentIndex(0);
        QVERIFY(again->languageChanged());
        QVERIFY(!fx->home.defaults().contains(AppLanguage::key()));

        // Without languages from the system, the system default is what is in force: choosing
        // it stores nothing new and hides the note.
        system.clear();
        again->languagePicker()->setCurrentIndex(1);
        QVERIFY(again->languageChanged());
        fx->home.defaults().remove(AppLanguage::key());
        again->languagePicker()->setCurrentIndex(0);
        QVERIFY(!again->languageChanged());
        QVERIFY(!isShown(again->relaunchRow()));
        system = {"en-US"};
    }

    // Choosing German and starting again shows the program in German: the choice is read from
    // the stored defaults at the next start, which loads the shipped translation.
    void germanAfterARestart()
    {
        QCOMPARE(AppLanguage::available(), (QStringList{"en", "de"})); // the embedded translation
        SettingsView::Environment env = environment();
        env.availableLanguages = [] { return AppLanguage::available(); };
        {
            auto view = makeView(env);
            QCOMPARE(view->welcomeButton()->text(), "Show welcome screen…");
            const int german = view->languagePicker()->findData("de");
            QCOMPARE(view->languagePicker()->itemText(german), "Deutsch");
            view->languagePicker()->setCurrentIndex(german);
            QVERIFY(isShown(view->relaunchRow()));
        }
        // The next start reads the defaults from their file.
        UserDefaults nextStart(fx->home.defaultsPath());
        QCOMPARE(AppLanguage::install(nextStart, {"en-US"}), "de");
        {
            auto view = makeView(env);
            QCOMPARE(view->welcomeButton()->text(), "Willkommensbildschirm zeigen …");
            QCOMPARE(view->languagePicker()->currentText(), "Deutsch");
            QCOMPARE(SettingsView::ageText(2), "2 Tage");
            QCOMPARE(SettingsView::ageText(1), "1 Tag");
        }
        // Back to the system's language: English again.
        nextStart.remove(AppLanguage::key());
        QCOMPARE(AppLanguage::install(nextStart, {"en-US"}), "en");
        auto view = makeView(env);
        QCOMPARE(view->welcomeButton()->text(), "Show welcome screen…");
    }

    // "Show welcome screen…" asks for the welcome flow; the window stays.
    void welcomeButtonPostsTheRequest()
    {
        auto view = makeView();
        QSignalSpy posted(&events, &AppEvents::posted);
        view->welcomeButton()->click();
        QVERIFY(posted.wait(1000));
        QCOMPARE(posted.first().first().toString(), AppEvents::showOnboarding());
        QVERIFY(view->isVisible());
    }

    // A change made elsewhere while the window is open shows in it, without reacting again.
    void followsChangesFromElsewhere()
    {
        auto view = makeView();
        settle();
        fx->sizeCalls.clear();
        model->settings().setMenuBarDisplay(MenuBarDisplay::icon);
        model->settings().setCleanMailDownloads(false);
        model->settings().setCustomFolders({fx->home.mkdir("x")});
        settle();
        QCOMPARE(view->menuBarPicker()->currentIndex(), 2);
        QVERIFY(!view->extraCacheSwitch("maildownloads")->isChecked());
        QCOMPARE(view->shownFolders(SettingsView::FolderList::custom), QStringList{fx->home("x")});
        QVERIFY(fx->sizeCalls.isEmpty());
        QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>());
    }

    // Every text of the whole form reads at 4.5:1 in a light and a dark palette.
    void contrast()
    {
        model->settings().setDeveloperMode(true);
        model->settings().setCustomFolders({fx->home("a")});
        model->settings().setProjectRoots({fx->home("src")});
        const QList<TextContrast::Text> texts = TextContrast::measureLightAndDark([this] {
            auto* view = new SettingsView(model->settings(), *model, *updater, environment());
            view->setFixedHeight(Style::metric(3000)); // the whole form at once
            view->languagePicker()->setCurrentIndex(2); // the relaunch note
            return view;
        });
        QVERIFY2(texts.size() > 80, qPrintable(QString::number(texts.size())));
        const QString failed = TextContrast::failures(texts);
        QVERIFY2(failed.isEmpty(), qPrintable(QLatin1Char('\n') + failed));
    }

    // Paths are shown as stored, as plain text.
    void pathsShownAsStored()
    {
        model->settings().setCustomFolders({"~/odd <b>name</b>"});
        auto view = makeView();
        QCOMPARE(view->shownFolders(SettingsView::FolderList::custom), QStringList{"~/odd <b>name</b>"});
    }
};

QTEST_MAIN(tst_SettingsView)
#include "tst_SettingsView.moc"
