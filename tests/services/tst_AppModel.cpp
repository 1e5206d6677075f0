#include "AppModelFakes.h"
#include "BadSettingsFile.h"

#include "models/CleanupCatalog.h"
#include "services/CleanHistoryStore.h"
#include "services/Notifier.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {
const QStringList kEveryday{"trash", "appcaches", "logs", "maildownloads", "chrome", "safari", "firefox"};
const QStringList kDeveloper{"derived",   "devicesupport", "sims",    "gradle", "npm", "yarn",  "pnpm",
                             "uv",        "pip",           "pods",    "pub",    "go",  "cargo", "docker",
                             "jetbrains", "brew",          "swiftpm", "ml"};
const QStringList kFinder{"node_modules", "next_build", "rust_target", "pycache", "venv"};

QStringList without(QStringList list, const QStringList& drop)
{
    for (const QString& d : drop)
        list.removeAll(d);
    return list;
}
} // namespace

class tst_AppModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void creationLoadsHistoryAndRegistersCategory();
    void targetList_data();
    void targetList();
    void customFolderTargets();
    void sizesSurviveRebuild();
    void finderAgeIsClamped_data();
    void finderAgeIsClamped();
    void sectionsAndSortBySize();
    void simpleGroupsAndTotals();
    void menuBarText_data();
    void menuBarText();
    void measurementProgressAndResult();
    void targetRemovedWhileMeasured();
    void scanAllStampsLastScanCachePassDoesNot();
    void lowSpaceLatch();
    void lowSpaceSkippedOnUnreadableDisk();
    void notificationsSilentWithoutBundleIdentifier();
    void autoCleanupNotificationTexts();
    void addAndRemoveCustomFolders();
    void unreadableSettingsAreKeptAside_data();
    void unreadableSettingsAreKeptAside();
};

void tst_AppModel::creationLoadsHistoryAndRegistersCategory()
{
    ModelFixture f;
    CleanRecord stored;
    stored.targetName = QStringLiteral("Old");
    stored.freed = 42;
    stored.date = QDateTime::currentDateTimeUtc();
    CleanHistoryStore::save(f.home.defaults(), {stored}, 5'000'000'000);
    f.disk = {1000, 400};

    auto model = f.makeModel();
    QCOMPARE(model->disk(), (DiskInfo{1000, 400}));
    QCOMPARE(model->history().size(), 1);
    QCOMPARE(model->history().first().targetName, QStringLiteral("Old"));
    QCOMPARE(model->totalFreedAllTime(), qint64(5'000'000'000));
    QVERIFY(!model->pendingClean());
    QVERIFY(!model->lastScan());
    QVERIFY(!model->statusMessage());

    QCOMPARE(f.center.authorizations, 1);
    QCOMPARE(f.center.categories.size(), 1);
    const NotificationCenter::Category& category = f.center.categories.first();
    QCOMPARE(category.identifier, QStringLiteral("LOWSPACE"));
    QCOMPARE(category.actions.size(), 1);
    QCOMPARE(category.actions.first().identifier, QStringLiteral("CLEAN_NOW"));
    QCOMPARE(category.actions.first().title, QStringLiteral("Clean Up Now"));
    QVERIFY(category.actions.first().foreground);

    // Nothing runs before start().
    QVERIFY(f.sizeCalls.isEmpty());
    QVERIFY(f.clock.runningIntervals().isEmpty());
}

void tst_AppModel::targetList_data()
{
    QTest::addColumn<bool>("developer");
    QTest::addColumn<bool>("savedState");
    QTest::addColumn<bool>("music");
    QTest::addColumn<bool>("mail");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("defaults") << false << false << false << true << kEveryday;
    QTest::newRow("saved state and music on")
        << false << true << true << true
        << QStringList{"trash",         "appcaches", "logs",   "savedstate", "musiccache",
                       "maildownloads", "chrome",    "safari", "firefox"};
    QTest::newRow("mail off") << false << false << false << false << without(kEveryday, {"maildownloads"});
    QTest::newRow("developer") << true << false << false << true << kEveryday + kDeveloper + kFinder;
    QTest::newRow("developer, switches apply")
        << true << true << false << false
        << QStringList{"trash", "appcaches", "logs", "savedstate", "chrome", "safari", "firefox"} + kDeveloper
            + kFinder;
}

void tst_AppModel::targetList()
{
    QFETCH(bool, developer);
    QFETCH(bool, savedState);
    QFETCH(bool, music);
    QFETCH(bool, mail);
    QFETCH(QStringList, expected);

    ModelFixture f;
    auto model = f.makeModel();
    AppSettings& s = model->settings();
    s.setDeveloperMode(developer);
    s.setCleanSavedState(savedState);
    s.setCleanMusicCache(music);
    s.setCleanMailDownloads(mail);
    // A disabled target is still listed.
    s.setEnabled(false, QStringLiteral("appcaches"));
    QSignalSpy changed(model.get(), &AppModel::targetsChanged);
    model->rebuildTargets();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(targetIds(*model), expected);

    // Folder searches carry the project settings.
    if (developer) {
        const TargetState* nm = findTarget(*model, QStringLiteral("node_modules"));
        QVERIFY(nm);
        const auto& kind = std::get<CleanupKinds::Finder>(nm->target.kind);
        QCOMPARE(kind.roots, s.projectRoots());
    }
}

void tst_AppModel::customFolderTargets()
{
    ModelFixture f;
    // Written by hand: one path twice, one with a trailing slash, the root.
    f.home.defaults().setStringArray(QStringLiteral("customFolders"),
                                     {f.home("a/Builds"), f.home("b/Out/"), f.home("a/Builds"), QStringLiteral("/")});
    auto model = f.makeModel();
    QStringList ids = targetIds(*model);
    QCOMPARE(ids.mid(0, kEveryday.size()), kEveryday);
    QCOMPARE(ids.mid(kEveryday.size()),
             (QStringList{"custom:" + f.home("a/Builds"), "custom:" + f.home("b/Out/"), "custom:/"}));

    const TargetState* builds = findTarget(*model, "custom:" + f.home("a/Builds"));
    QCOMPARE(builds->target.name, QStringLiteral("Builds"));
    QCOMPARE(builds->target.symbol, QStringLiteral("folder.fill"));
    QCOMPARE(builds->target.detail, f.home("a/Builds"));
    QCOMPARE(builds->target.category, CleanupCategory::custom);
    QVERIFY(!builds->target.isBuiltIn);
    QCOMPARE(builds->target.kind, CleanupKind(CleanupKinds::Paths{{f.home("a/Builds")}}));
    QCOMPARE(findTarget(*model, "custom:" + f.home("b/Out/"))->target.name, QStringLiteral("Out"));
    QCOMPARE(findTarget(*model, QStringLiteral("custom:/"))->target.name, QStringLiteral("/"));

    // Developer mode puts custom folders after the folder searches.
    model->settings().setDeveloperMode(true);
    model->rebuildTargets();
    ids = targetIds(*model);
    QCOMPARE(ids.mid(ids.size() - 3 - kFinder.size(), kFinder.size()), kFinder);
}

void tst_AppModel::sizesSurviveRebuild()
{
    ModelFixture f;
    f.sizes = {{"trash", 100}, {"logs", 5}, {"chrome", 7}};
    auto model = f.makeModel();
    QCoro::waitFor(model->scanAll());
    QCOMPARE(findTarget(*model, "trash")->size, std::optional<qint64>(100));

    // Flags are reset by a rebuild, sizes kept by id.
    QList<TargetState> list = model->targets();
    list[0].isScanning = true;
    list[0].isCleaning = true;
    model->setTargets(list);
    model->settings().setCleanSavedState(true);
    model->rebuildTargets();
    const TargetState* trash = findTarget(*model, "trash");
    QCOMPARE(trash->size, std::optional<qint64>(100));
    QVERIFY(!trash->isScanning);
    QVERIFY(!trash->isCleaning);
    QCOMPARE(findTarget(*model, "savedstate")->size, std::nullopt);

    // Dropped and listed again: starts unmeasured.
    model->settings().setCleanMailDownloads(false);
    model->rebuildTargets();
    QVERIFY(!findTarget(*model, "maildownloads"));
    model->settings().setCleanMailDownloads(true);
    f.sizes.insert("maildownloads", 9);
    QCoro::waitFor(model->scan("maildownloads"));
    model->settings().setCleanMailDownloads(false);
    model->rebuildTargets();
    model->settings().setCleanMailDownloads(true);
    model->rebuildTargets();
    QCOMPARE(findTarget(*model, "maildownloads")->size, std::nullopt);
}

void tst_AppModel::finderAgeIsClamped_data()
{
    QTest::addColumn<double>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("fraction dropped") << 12.9 << 12;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
    QTest::newRow("infinite reads as the default") << std::numeric_limits<double>::infinity() << 0;
    QTest::newRow("minus infinite") << -std::numeric_limits<double>::infinity() << 0;
    QTest::newRow("negative") << -5.0 << 0;
    QTest::newRow("huge") << 1e300 << 36500;
    QTest::newRow("above an int") << 3e9 << 36500;
}

void tst_AppModel::finderAgeIsClamped()
{
    QFETCH(double, stored);
    QFETCH(int, expected);
    ModelFixture f;
    f.home.defaults().setBool(QStringLiteral("developerMode"), true);
    f.home.defaults().setDouble(QStringLiteral("finderMinAgeDays"), stored);
    auto model = f.makeModel();
    int checked = 0;
    for (const TargetState& t : model->targets()) {
        if (const auto* finder = std::get_if<CleanupKinds::Finder>(&t.target.kind)) {
            QCOMPARE(finder->minAgeDays, expected);
            ++checked;
        }
    }
    QCOMPARE(checked, 5);
}

void tst_AppModel::sectionsAndSortBySize()
{
    ModelFixture f;
    f.home.defaults().setBool(QStringLiteral("developerMode"), true);
    f.home.defaults().setStringArray(QStringLiteral("customFolders"), {f.home("mine")});
    // logs unmeasured, appcaches 0, trash and maildownloads equal.
    f.sizes = {{"trash", 50}, {"appcaches", 0}, {"maildownloads", 50}, {"chrome", 10}, {"firefox", 30}};
    auto model = f.makeModel();
    QCoro::waitFor(model->scanAll());

    QList<AppModel::Section> sections = model->groupedTargets();
    QList<CleanupCategory> categories;
    for (const auto& s : sections)
        categories.append(s.category);
    QCOMPARE(categories, allCleanupCategories());
    const auto ids = [](const AppModel::Section& s) {
        QStringList out;
        for (const TargetState& t : s.items)
            out.append(t.target.id);
        return out;
    };
    QCOMPARE(ids(sections[0]), (QStringList{"trash", "appcaches", "logs", "maildownloads"}));

    model->settings().setSortBySize(true);
    sections = model->groupedTargets();
    // Stable: equal sizes keep list order, unmeasured counts as 0 beside the zero-sized one.
    QCOMPARE(ids(sections[0]), (QStringList{"trash", "maildownloads", "appcaches", "logs"}));
    QCOMPARE(ids(sections[1]), (QStringList{"firefox", "chrome", "safari"}));

    // Without developer mode and custom folders only the two everyday sections remain.
    model->settings().setDeveloperMode(false);
    model->settings().setCustomFolders({});
    model->rebuildTargets();
    QCOMPARE(model->groupedTargets().size(), 2);
}

void tst_AppModel::simpleGroupsAndTotals()
{
    ModelFixture f;
    f.sizes = {{"trash", 1000}, {"appcaches", 200}, {"logs", 30}, {"chrome", 4}};
    auto model = f.makeModel();
    QCoro::waitFor(model->scanAll());

    QList<AppModel::SimpleGroup> groups = model->simpleGroups();
    QCOMPARE(groups.size(), 3);
    QCOMPARE(groups[0].id, QStringLiteral("syscache"));
    QCOMPARE(groups[0].title, QStringLiteral("System & app caches"));
    QCOMPARE(groups[0].symbol, QStringLiteral("shippingbox.fill"));
    QCOMPARE(groups[0].targetIDs, (QStringList{"appcaches", "logs", "maildownloads"}));
    QCOMPARE(groups[0].size, qint64(230));
    QCOMPARE(groups[1].id, QStringLiteral("browsers"));
    QCOMPARE(groups[1].targetIDs, (QStringList{"chrome", "safari", "firefox"}));
    QCOMPARE(groups[1].size, qint64(4));
    QCOMPARE(groups[2].id, QStringLiteral("trash"));
    QCOMPARE(groups[2].symbol, QStringLiteral("trash.fill"));
    QCOMPARE(groups[2].targetIDs, QStringList{"trash"});
    QCOMPARE(model->totalReclaimable(), qint64(1234));

    // Switching a group writes each member once and announces the change.
    QSignalSpy writes(&model->settings(), &AppSettings::disabledTargetIDsChanged);
    QSignalSpy announced(model.get(), &AppModel::changed);
    QVERIFY(model->isGroupEnabled(groups[0]));
    model->setGroupEnabled(false, groups[0]);
    QCOMPARE(writes.count(), 3);
    QCOMPARE(announced.count(), 1);
    QVERIFY(!model->isGroupEnabled(groups[0]));
    QCOMPARE(model->totalReclaimable(), qint64(1004));

    // One disabled member disables the group; disabled members still count in its size.
    model->setGroupEnabled(true, groups[0]);
    model->settings().setEnabled(false, QStringLiteral("logs"));
    groups = model->simpleGroups();
    QVERIFY(!model->isGroupEnabled(groups[0]));
    QCOMPARE(groups[0].size, qint64(230));
    // A disabled Trash still forms its group.
    model->settings().setEnabled(false, QStringLiteral("trash"));
    groups = model->simpleGroups();
    QCOMPARE(groups.last().id, QStringLiteral("trash"));
    QCOMPARE(model->totalReclaimable(), qint64(204));
    // A group with no members counts as enabled.
    QVERIFY(model->isGroupEnabled(AppModel::SimpleGroup{}));

    // isScanning follows the members.
    f.holdSizes = true;
    auto pending = model->scan(QStringLiteral("chrome"));
    groups = model->simpleGroups();
    QVERIFY(!groups[0].isScanning);
    QVERIFY(groups[1].isScanning);
    QVERIFY(model->isScanning());
    f.finishSize("chrome", 4);
    QCoro::waitFor(pending);
    QVERIFY(!model->isScanning());
}

void tst_AppModel::menuBarText_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("available");
    QTest::addColumn<QString>("expected"); // "-" for no text

    QTest::newRow("percent") << "percent" << qint64(1000) << qint64(250) << "75%";
    QTest::newRow("percent half rounds up") << "percent" << qint64(1000) << qint64(375) << "63%";
    QTest::newRow("percent unknown total") << "percent" << qint64(0) << qint64(0) << "0%";
    QTest::newRow("percent available above total") << "percent" << qint64(100) << qint64(200) << "0%";
    QTest::newRow("free zero") << "free" << qint64(1000) << qint64(0) << "0 MB";
    QTest::newRow("free below a megabyte") << "free" << qint64(1000) << qint64(500'000) << "0.5 MB";
    QTest::newRow("free megabytes") << "free" << qint64(1e12) << qint64(12'300'000) << "12.3 MB";
    QTest::newRow("free rounds up to GB") << "free" << qint64(1e12) << qint64(999'960'000) << "1 GB";
    QTest::newRow("free gigabytes") << "free" << qint64(1e12) << qint64(123'456'000'000) << "123.46 GB";
    QTest::newRow("free whole gigabytes") << "free" << qint64(1e12) << qint64(50'000'000'000) << "50 GB";
    QTest::newRow("free terabytes") << "free" << qint64(4e12) << qint64(2'500'000'000'000) << "2.5 TB";
    QTest::newRow("icon") << "icon" << qint64(1000) << qint64(250) << "-";
}

void tst_AppModel::menuBarText()
{
    QFETCH(QString, mode);
    QFETCH(qint64, total);
    QFETCH(qint64, available);
    QFETCH(QString, expected);
    ModelFixture f;
    f.disk = {total, available};
    auto model = f.makeModel();
    model->settings().setMenuBarDisplay(*MenuBarDisplayFromRaw(mode));
    const std::optional<QString> text = model->menuBarText();
    if (expected == QLatin1String("-"))
        QVERIFY(!text);
    else
        QCOMPARE(text.value_or(QStringLiteral("<none>")), expected);
}

void tst_AppModel::measurementProgressAndResult()
{
    ModelFixture f;
    f.sizes.insert("logs", 7);
    auto model = f.makeModel();
    QCoro::waitFor(model->scan("logs"));
    QCOMPARE(findTarget(*model, "logs")->size, std::optional<qint64>(7));

    f.holdSizes = true;
    auto task = model->scan("logs");
    QVERIFY(findTarget(*model, "logs")->isScanning);
    QCOMPARE(findTarget(*model, "logs")->size, std::nullopt);

    // Progress from the worker lands on the main thread, after the event loop turns.
    f.progressFromWorker("logs", 1500);
    QCOMPARE(findTarget(*model, "logs")->size, std::nullopt);
    settle();
    QCOMPARE(findTarget(*model, "logs")->size, std::optional<qint64>(1500));
    f.progressFromWorker("logs", 3000);
    settle();
    QCOMPARE(findTarget(*model, "logs")->size, std::optional<qint64>(3000));

    // A count that arrives after the final result changes nothing.
    auto* gate = f.sizeGate("logs");
    const Scanner::Progress late = gate->progress;
    f.finishSize("logs", 4096);
    QCoro::waitFor(task);
    QCOMPARE(findTarget(*model, "logs")->size, std::optional<qint64>(4096));
    QVERIFY(!findTarget(*model, "logs")->isScanning);
    std::thread([late] { late(9999); }).join();
    settle();
    QCOMPARE(findTarget(*model, "logs")->size, std::optional<qint64>(4096));

    // An absent result leaves the size absent; an unknown id does nothing.
    auto again = model->scan("logs");
    f.finishSize("logs", std::nullopt);
    QCoro::waitFor(again);
    QCOMPARE(findTarget(*model, "logs")->size, std::nullopt);
    const QList<TargetState> before = model->targets();
    QCoro::waitFor(model->scan("nope"));
    QCOMPARE(model->targets(), before);

    // Progress reported after the model is gone is dropped where it arises: no call reaches the
    // main thread. The measurement then ends without calling any service.
    auto last = model->scan("chrome");
    const Scanner::Progress orphan = f.sizeGate("chrome")->progress;
    const int reads = f.diskReads;
    const QStringList measured = f.sizeCalls;
    model.reset();
    QueuedCallCounter calls;
    std::thread([orphan] { orphan(1); }).join();
    settle();
    QCOMPARE(calls.count, 0);
    QVERIFY(!last.isReady());
    f.finishSize("chrome", 1);
    settle();
    QVERIFY(last.isReady());
    QCOMPARE(f.sizeCalls, measured);
    QCOMPARE(f.diskReads, reads);
    QVERIFY(f.center.posts.isEmpty());

    // The same report to a model that lives does arrive, as one queued call.
    auto other = f.makeModel();
    auto live = other->scan("chrome");
    calls.count = 0;
    f.progressFromWorker("chrome", 2);
    settle();
    QCOMPARE(calls.count, 1);
    QCOMPARE(findTarget(*other, "chrome")->size, std::optional<qint64>(2));
    f.finishSize("chrome", 3);
    QCoro::waitFor(live);
}

void tst_AppModel::targetRemovedWhileMeasured()
{
    ModelFixture f;
    const QString folder = f.home.mkdir(QStringLiteral("Builds"));
    f.home.defaults().setStringArray(QStringLiteral("customFolders"), {folder});
    auto model = f.makeModel();
    f.holdSizes = true;
    const QString id = "custom:" + folder;
    auto removed = model->scan(id);
    auto kept = model->scan("logs");

    model->removeCustomFolder(folder);
    QVERIFY(!findTarget(*model, id));
    // The rebuild cleared the flag: progress for the kept target is ignored from now on ...
    f.progressFromWorker("logs", 10);
    settle();
    QCOMPARE(findTarget(*model, "logs")->size, std::nullopt);
    const QList<TargetState> before = model->targets();
    f.finishSize(id, 12345);
    QCoro::waitFor(removed);
    QCOMPARE(model->targets(), before);
    // ... but its final result lands on the new entry.
    f.finishSize("logs", 77);
    QCoro::waitFor(kept);
    QCOMPARE(findTarget(*model, "logs")->size, std::optional<qint64>(77));
}

void tst_AppModel::scanAllStampsLastScanCachePassDoesNot()
{
    ModelFixture f;
    f.home.defaults().setBool(QStringLiteral("developerMode"), true);
    f.home.defaults().setStringArray(QStringLiteral("customFolders"), {f.home("mine")});
    auto model = f.makeModel();
    f.holdSizes = true;

    auto all = model->scanAll();
    // Every target is measured at once.
    QCOMPARE(f.sizeGates.size(), size_t(model->targets().size()));
    QVERIFY(model->isScanning());
    f.clock.advance(std::chrono::seconds(3));
    f.finishAllSizes(1);
    QCoro::waitFor(all);
    QCOMPARE(model->lastScan(), std::optional<QDateTime>(f.clock.now()));
    QVERIFY(!model->isScanning());

    // The cache pass measures only everyday path targets and leaves the stamp.
    f.sizeCalls.clear();
    f.clock.advance(std::chrono::seconds(60));
    auto cache = model->refreshCacheSizes();
    f.finishAllSizes(2);
    QCoro::waitFor(cache);
    QCOMPARE(f.sizeCalls, kEveryday);
    QCOMPARE(model->lastScan(), std::optional<QDateTime>(f.clock.now().addSecs(-60)));

    // A single scan does not stamp either.
    auto one = model->scan("npm");
    f.finishAllSizes(3);
    QCoro::waitFor(one);
    QCOMPARE(model->lastScan(), std::optional<QDateTime>(f.clock.now().addSecs(-60)));
}

void tst_AppModel::lowSpaceLatch()
{
    ModelFixture f;
    f.disk = {500'000'000'000, 9'900'000'000};
    auto model = f.makeModel();
    const auto lowSpacePosts = [&] { return f.center.postsFor(QStringLiteral("dustlet.lowspace")).size(); };
    const auto check = [&](qint64 available) {
        model->setDisk({500'000'000'000, available});
        model->checkLowSpace();
    };

    check(9'900'000'000);
    QCOMPARE(lowSpacePosts(), 1);
    const NotificationCenter::Content content = f.center.posts.last().content;
    QCOMPARE(content.title, QStringLiteral("Low disk space"));
    QCOMPARE(content.body, QStringLiteral("Only 9.9 GB available. Tap \u201cClean Up Now\u201d to free up space."));
    QCOMPARE(content.categoryIdentifier, QStringLiteral("LOWSPACE"));
    QVERIFY(content.sound);

    check(9'000'000'000);
    check(1);
    QCOMPARE(lowSpacePosts(), 1); // one per dip
    check(10'000'000'000); // exactly at the threshold is not low
    QCOMPARE(lowSpacePosts(), 1);
    check(9'999'999'999);
    QCOMPARE(lowSpacePosts(), 2); // a new dip after the recovery

    // Alerts off: silent, and the latch re-arms.
    model->settings().setLowSpaceAlertsEnabled(false);
    check(5);
    check(5);
    QCOMPARE(lowSpacePosts(), 2);
    model->settings().setLowSpaceAlertsEnabled(true);
    check(5);
    QCOMPARE(lowSpacePosts(), 3);
    check(5);
    QCOMPARE(lowSpacePosts(), 3);

    // The threshold is the user's.
    model->settings().setLowSpaceThresholdGB(1.0);
    check(999'999'999);
    QCOMPARE(lowSpacePosts(), 3); // still the same dip
    check(1'000'000'000);
    check(999'999'999);
    QCOMPARE(lowSpacePosts(), 4);
}

void tst_AppModel::lowSpaceSkippedOnUnreadableDisk()
{
    ModelFixture f;
    f.disk = {0, 0};
    auto model = f.makeModel();
    model->start();
    model->checkLowSpace();
    QCOMPARE(f.center.postsFor(QStringLiteral("dustlet.lowspace")).size(), 0);
    // Readable again and low: the warning comes.
    f.disk = {100'000'000'000, 1'000'000};
    model->start();
    QCOMPARE(f.center.postsFor(QStringLiteral("dustlet.lowspace")).size(), 1);
    f.finishAllSizes();
}

void tst_AppModel::notificationsSilentWithoutBundleIdentifier()
{
    ModelFixture f;
    f.bundleIdentifier.clear();
    f.disk = {100'000'000'000, 1};
    auto model = f.makeModel();
    model->checkLowSpace();
    QCOMPARE(f.center.authorizations, 0);
    QVERIFY(f.center.categories.isEmpty());
    Notifier::notifyAutoCleanup(f.center, 10, QString());
    QVERIFY(f.center.posts.isEmpty());
}

void tst_AppModel::autoCleanupNotificationTexts()
{
    FakeNotificationCenter center;
    Notifier::notifyAutoCleanup(center, 0, QStringLiteral("x"));
    Notifier::notifyAutoCleanup(center, 1, QStringLiteral("x"));
    Notifier::notifyAutoCleanup(center, 1'500'000, QStringLiteral("x"));
    QCOMPARE(center.posts.size(), 3);
    for (const auto& p : center.posts) {
        QCOMPARE(p.request, QStringLiteral("dustlet.autocleanup"));
        QCOMPARE(p.content.title, QStringLiteral("Dustlet cleaned up"));
        QVERIFY(!p.content.sound);
        QVERIFY(p.content.categoryIdentifier.isEmpty());
    }
    QCOMPARE(center.posts[0].content.body, QStringLiteral("Nothing to clean \u2014 you're already tidy."));
    QCOMPARE(center.posts[1].content.body, QStringLiteral("Freed 1 byte automatically. Items are in the Trash."));
    QCOMPARE(center.posts[2].content.body, QStringLiteral("Freed 1.5 MB automatically. Items are in the Trash."));
}

void tst_AppModel::addAndRemoveCustomFolders()
{
    ModelFixture f;
    f.home.mkdir(QStringLiteral("Downloads"));
    const QString builds = f.home.mkdir(QStringLiteral("Projects/Builds"));
    f.sizes.insert("custom:" + builds, 4096);
    auto model = f.makeModel();

    QCOMPARE(model->addCustomFolder(QStringLiteral("~/Nope")), std::optional<QString>("Folder doesn't exist."));
    QCOMPARE(model->addCustomFolder(QStringLiteral("~/Downloads")),
             std::optional<QString>("That location is protected and can't be cleaned."));
    QVERIFY(model->settings().customFolders().isEmpty());

    QCOMPARE(model->addCustomFolder(QStringLiteral("~/Projects/Builds")), std::nullopt);
    QCOMPARE(model->settings().customFolders(), QStringList{builds});
    QCOMPARE(f.home.defaults().stringArray(QStringLiteral("customFolders")),
             std::optional<QStringList>(QStringList{builds}));
    QCOMPARE(targetIds(*model).last(), "custom:" + builds);
    QCOMPARE(model->groupedTargets().last().category, CleanupCategory::custom);
    // Measured on the next turn of the event loop, not inside the call.
    QCOMPARE(findTarget(*model, "custom:" + builds)->size, std::nullopt);
    settle();
    QCOMPARE(findTarget(*model, "custom:" + builds)->size, std::optional<qint64>(4096));

    QCOMPARE(model->addCustomFolder(builds), std::optional<QString>("Already added."));
    QCOMPARE(model->settings().customFolders().size(), 1);

    // Removal compares the stored text exactly: the "~" form removes nothing.
    const int measured = f.sizeCalls.size();
    model->removeCustomFolder(QStringLiteral("~/Projects/Builds"));
    QCOMPARE(model->settings().customFolders(), QStringList{builds});
    model->removeCustomFolder(builds);
    QVERIFY(model->settings().customFolders().isEmpty());
    QVERIFY(!findTarget(*model, "custom:" + builds));
    settle();
    QCOMPARE(f.sizeCalls.size(), measured); // removal starts no sizing
}

QTEST_GUILESS_MAIN(tst_AppModel)
#include "tst_AppModel.moc"

// A settings file that can't be read: the model starts (without blocking or crashing), the file
// is kept beside the new one, and the status line says where, as a failure.
void tst_AppModel::unreadableSettingsAreKeptAside_data()
{
    QTest::addColumn<QByteArray>("kind");
    for (const char* kind : BadSettingsFile::kinds())
        QTest::newRow(kind) << QByteArray(kind);
}

void tst_AppModel::unreadableSettingsAreKeptAside()
{
    QFETCH(QByteArray, kind);
    if (BadSettingsFile::needsNonRoot(kind) && TestHome::isRoot())
        QSKIP("root reads a file whatever its mode");
    ModelFixture f;
    const QString path = f.home.defaultsPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QVERIFY(BadSettingsFile::make(kind, path));
    std::unique_ptr<AppModel> model;
    {
        const BadSettingsFile::FifoWatchdog watchdog(path, std::chrono::seconds(3));
        QElapsedTimer timer;
        timer.start();
        model = f.makeModel();
        QVERIFY2(timer.elapsed() < 3000, "reading the settings blocked");
    }
    const QStringList kept = QDir(QFileInfo(path).absolutePath())
                                 .entryList({"defaults.plist.unreadable-*"}, QDir::System | QDir::Files | QDir::Hidden);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(
        model->statusMessage(),
        std::optional<QString>("The settings file couldn't be read; it was kept as ~/.config/dustlet/" + kept.first()));
    QVERIFY(model->statusIsFailure());
    QVERIFY(model->history().isEmpty());

    model->recordExternalDeletion(QStringLiteral("X"), 5000, {});
    QVERIFY(TestHome::contents(path).contains("<key>totalFreedAllTime</key>"));
    QCOMPARE(QDir(QFileInfo(path).absolutePath())
                 .entryList({"defaults.plist.unreadable-*"}, QDir::System | QDir::Files | QDir::Hidden),
             kept);
}
