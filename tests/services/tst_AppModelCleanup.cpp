#include "AppModelFakes.h"

#include "platform/ByteCountFormatter.h"
#include "platform/Trash.h"
#include "services/CleanHistoryStore.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

using namespace std::chrono_literals;

namespace {
const QStringList kEveryday{"trash", "appcaches", "logs", "maildownloads", "chrome", "safari", "firefox"};

QStringList calledIds(const QList<ModelFixture::CleanCall>& calls)
{
    QStringList ids;
    for (const auto& c : calls)
        ids.append(c.id);
    return ids;
}

QStringList labels(const PendingClean& p)
{
    QStringList out;
    for (const ConfirmItem& i : p.items)
        out.append(i.label);
    return out;
}

CleanOutcome freed(qint64 bytes, QList<TrashedItem> trashed = {}, std::optional<QString> error = {})
{
    return CleanOutcome{bytes, std::move(error), std::move(trashed)};
}
} // namespace

class tst_AppModelCleanup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void requestCleanAll();
    void requestCleanAllWithEverythingDisabled();
    void requestOneTarget();
    void confirmChoosesTrash_data();
    void confirmChoosesTrash();
    void oneTargetCleanRecordsAndReports();
    void cleanAllRecordsEachTargetAndTotals();
    void cleanAllWithNothingFreed();
    void cleanAllReportsFailures_data();
    void cleanAllReportsFailures();
    void targetRemovedWhileCleared();
    void historyStoreKeepsFiftyMemoryKeepsAll();
    void externalDeletion();
    void movesToTheTrashRemeasureIt_data();
    void movesToTheTrashRemeasureIt();
    void clearingIsRecordedWhileItRuns();
    void quitStopsClearingsAndSavesTheirRecords();
    void restorePutsItemsBack();
    void partialPutBackKeepsTheRest();
    void restoreIntoOccupiedPathMovesNothing();
    void restoreFloorsTotalAtZero();
    void restoreFollowsNoLinkOnTheWay();
    void restoreSkipsASlotRefilledSince();
    void startTwice();
    void refreshIntervalIsClamped_data();
    void refreshIntervalIsClamped();
    void refreshTimerAndCacheWatcherTick();
    void scheduleDue_data();
    void scheduleDue();
    void scheduleFirstSeenStampsOnly();
    void scheduledCleanupAlwaysTrashesEverydayCaches();
    void scheduledCleanupWithNothingToClean();
    void scheduledCleanupWaitsForCleanAll();
    void scheduledCleanupThatFailedIsNotStamped();
    void scheduledCleanupThatFailedInPartSaysSo();
    void confirmationDuringCleanAllIsRefused();
    void confirmationDuringScheduledCleanupIsRefused();
    void oneTargetThenCleanAllClearsItOnce();
    void cleanAllThenOneTargetClearsEachOnce();
    void oneTargetThenScheduledCleanupClearsItOnce();
    void targetBeingClearedIsNotConfirmedAgainAndKeepsItsFlag();
};

void tst_AppModelCleanup::requestCleanAll()
{
    ModelFixture f;
    // chrome and safari tie, logs and firefox unmeasured, appcaches disabled.
    f.sizes = {{"trash", 10}, {"appcaches", 99999}, {"maildownloads", 3'000'000}, {"chrome", 500}, {"safari", 500}};
    auto model = f.makeModel();
    QCoro::waitFor(model->scanAll());
    model->settings().setEnabled(false, QStringLiteral("appcaches"));

    model->requestCleanAll();
    QVERIFY(model->pendingClean());
    const PendingClean p = *model->pendingClean();
    QVERIFY(p.isAll());
    QCOMPARE(p.title, QStringLiteral("all enabled items"));
    QCOMPARE(p.sizeText, std::optional<QString>(formatBytes(3'001'010)));
    QCOMPARE(
        p.whySafe,
        std::optional<QString>(QStringLiteral(
            "Everything here is a cache, log or rebuildable file that comes back automatically when it's needed.")));
    QCOMPARE(labels(p),
             (QStringList{"Mail attachment previews", "Google Chrome cache", "Safari cache", "Trash",
                          "App & system logs", "Firefox cache"}));
    QCOMPARE(p.items[0].size, std::optional<qint64>(3'000'000));
    QCOMPARE(p.items[4].size, std::nullopt);
}

void tst_AppModelCleanup::requestCleanAllWithEverythingDisabled()
{
    ModelFixture f;
    auto model = f.makeModel();
    model->settings().setDisabledTargetIDs(QSet<QString>(kEveryday.begin(), kEveryday.end()));
    model->requestCleanAll();
    QVERIFY(model->pendingClean()->items.isEmpty());
    QCOMPARE(model->pendingClean()->sizeText, std::optional<QString>("Zero KB"));

    // Confirming clears nothing, records nothing and reports the zero total.
    model->confirmPending(false);
    QTRY_VERIFY(model->statusMessage());
    QCOMPARE(model->statusMessage(), std::optional<QString>("Freed Zero KB total"));
    QVERIFY(f.cleanCalls.isEmpty());
    QVERIFY(model->history().isEmpty());
    QVERIFY(!model->isCleaningAll());
}

void tst_AppModelCleanup::requestOneTarget()
{
    ModelFixture f;
    auto model = f.makeModel();
    model->requestClean(QStringLiteral("chrome"));
    PendingClean p = *model->pendingClean();
    QCOMPARE(p.kind, PendingClean::Kind(PendingClean::Single{"chrome"}));
    QCOMPARE(p.title, QStringLiteral("Google Chrome cache"));
    QCOMPARE(p.sizeText, std::nullopt); // not measured
    QCOMPARE(labels(p), findTarget(*model, "chrome")->target.displayPaths());
    QCOMPARE(p.items.size(), 3);
    for (const ConfirmItem& item : p.items)
        QCOMPARE(item.size, std::nullopt);
    QCOMPARE(p.whySafe, std::optional<QString>(findTarget(*model, "chrome")->target.whySafe()));

    f.sizes.insert("trash", 1'500'000);
    QCoro::waitFor(model->scan("trash"));
    model->requestClean(QStringLiteral("trash"));
    QCOMPARE(model->pendingClean()->sizeText, std::optional<QString>("1.5 MB"));
    QCOMPARE(model->pendingClean()->whySafe, std::optional<QString>("These are items you already moved to the Trash."));

    // An unknown id leaves the pending request as it was.
    const auto before = model->pendingClean();
    model->requestClean(QStringLiteral("nope"));
    QCOMPARE(model->pendingClean(), before);
}

void tst_AppModelCleanup::confirmChoosesTrash_data()
{
    QTest::addColumn<bool>("setting");
    QTest::addColumn<bool>("permanently");
    QTest::addColumn<bool>("all");
    QTest::addColumn<bool>("expected");
    QTest::newRow("one, setting on") << true << false << false << true;
    QTest::newRow("one, permanently") << true << true << false << false;
    QTest::newRow("one, setting off") << false << false << false << false;
    QTest::newRow("all, setting on") << true << false << true << true;
    QTest::newRow("all, permanently") << true << true << true << false;
    QTest::newRow("all, setting off, permanently") << false << true << true << false;
}

void tst_AppModelCleanup::confirmChoosesTrash()
{
    QFETCH(bool, setting);
    QFETCH(bool, permanently);
    QFETCH(bool, all);
    QFETCH(bool, expected);
    ModelFixture f;
    f.outcomes.insert("logs", freed(2000, {{"/a", "/t/a"}}));
    auto model = f.makeModel();
    model->settings().setMoveToTrash(setting);
    if (all)
        model->requestCleanAll();
    else
        model->requestClean(QStringLiteral("logs"));

    model->confirmPending(permanently);
    QVERIFY(!model->pendingClean());
    QVERIFY(f.cleanCalls.isEmpty()); // started on the next turn, the call returns at once
    QTRY_VERIFY(model->statusMessage());
    QCOMPARE(f.cleanCalls.size(), all ? kEveryday.size() : 1);
    for (const auto& call : std::as_const(f.cleanCalls))
        QCOMPARE(call.moveToTrash, expected);
    QCOMPARE(model->history().size(), 1);
    QCOMPARE(model->history().first().trashed, expected);

    // Nothing pending: nothing happens.
    const int calls = f.cleanCalls.size();
    model->confirmPending(false);
    settle();
    QCOMPARE(f.cleanCalls.size(), calls);
}

void tst_AppModelCleanup::oneTargetCleanRecordsAndReports()
{
    ModelFixture f;
    f.home.defaults().setBool(QStringLiteral("developerMode"), true);
    f.outcomes.insert("appcaches", freed(1000, {{"/x", "/t/x"}}));
    f.outcomes.insert("npm", freed(5000));
    f.outcomes.insert("logs", freed(0, {}, QStringLiteral("Refused (protected): /x")));
    f.outcomes.insert("pip", freed(300, {}, QStringLiteral("Permission denied")));
    f.sizes.insert("appcaches", 12);
    auto model = f.makeModel();

    f.holdCleans = true;
    auto task = model->clean(QStringLiteral("appcaches"));
    QVERIFY(findTarget(*model, "appcaches")->isCleaning);
    QVERIFY(!model->isCleaningAll());
    f.disk = {500'000'000'000, 1};
    f.finishClean(freed(1000, {{"/x", "/t/x"}}));
    QCoro::waitFor(task);
    f.holdCleans = false;
    const TargetState* caches = findTarget(*model, "appcaches");
    QVERIFY(!caches->isCleaning);
    QCOMPARE(caches->size, std::optional<qint64>(12)); // measured again
    QCOMPARE(model->disk(), f.disk); // figures refreshed
    QCOMPARE(f.center.postsFor("dustlet.lowspace").size(), 1);
    QCOMPARE(model->statusMessage(), std::optional<QString>("Freed 1 KB from App cache files"));
    QCOMPARE(model->history().size(), 1);
    const CleanRecord r = model->history().first();
    QCOMPARE(r.targetName, QStringLiteral("App cache files"));
    QCOMPARE(r.freed, qint64(1000));
    QCOMPARE(r.date, f.clock.now());
    QVERIFY(r.trashed); // the setting's default
    QCOMPARE(r.items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{{"/x", "/t/x"}}));
    QVERIFY(!r.restored);
    QCOMPARE(model->totalFreedAllTime(), qint64(1000));

    // A command target is never recorded as trashed, and without items there are none.
    QCoro::waitFor(model->clean(QStringLiteral("npm"), true));
    QVERIFY(!model->history().first().trashed);
    QCOMPARE(model->history().first().items, std::nullopt);

    // An error is the status; nothing freed records nothing; what was freed is still recorded.
    QCoro::waitFor(model->clean(QStringLiteral("logs")));
    QCOMPARE(model->statusMessage(), std::optional<QString>("App & system logs: Refused (protected): /x"));
    QCOMPARE(model->history().size(), 2);
    // Nothing freed but something moved to the Trash (a link, an empty file): recorded with its
    // items, so that it can be put back.
    f.outcomes.insert("logs", freed(0, {{"/l", "/t/l"}}));
    QCoro::waitFor(model->clean(QStringLiteral("logs")));
    QCOMPARE(model->history().size(), 3);
    QCOMPARE(model->history().first().freed, qint64(0));
    QCOMPARE(model->history().first().items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{{"/l", "/t/l"}}));
    QCOMPARE(model->statusMessage(), std::optional<QString>("Freed Zero KB from App & system logs"));
    QCoro::waitFor(model->clean(QStringLiteral("pip"), false));
    QCOMPARE(model->statusMessage(), std::optional<QString>("pip cache: Permission denied"));
    QCOMPARE(model->history().size(), 4);
    QVERIFY(!model->history().first().trashed);
    QCOMPARE(model->totalFreedAllTime(), qint64(6300));

    // Stored too.
    const auto stored = CleanHistoryStore::load(f.home.defaults());
    QCOMPARE(stored.history, model->history());
    QCOMPARE(stored.total, qint64(6300));

    // Unknown id: nothing.
    const int calls = f.cleanCalls.size();
    QCoro::waitFor(model->clean(QStringLiteral("nope")));
    QCOMPARE(f.cleanCalls.size(), calls);
}

void tst_AppModelCleanup::cleanAllRecordsEachTargetAndTotals()
{
    ModelFixture f;
    f.home.defaults().setBool(QStringLiteral("developerMode"), true);
    auto model = f.makeModel();
    model->settings().setDisabledTargetIDs({});
    const QStringList ids = targetIds(*model);
    // Everything but two targets disabled; one of them a command.
    QSet<QString> disabled(ids.begin(), ids.end());
    disabled.remove("logs");
    disabled.remove("docker");
    model->settings().setDisabledTargetIDs(disabled);

    f.holdCleans = true;
    QSignalSpy cleaningAll(model.get(), &AppModel::isCleaningAllChanged);
    auto task = model->cleanAll(false);
    QVERIFY(model->isCleaningAll());
    QCOMPARE(calledIds(f.cleanCalls), QStringList{"logs"});
    // Flags of single targets are left alone.
    QVERIFY(!findTarget(*model, "logs")->isCleaning);
    f.finishClean(freed(2'000'000, {{"/l", "/t/l"}}));
    settle();
    QCOMPARE(calledIds(f.cleanCalls), (QStringList{"logs", "docker"}));
    QCOMPARE(model->history().size(), 1);
    QVERIFY(model->isCleaningAll());
    f.finishClean(freed(500'000));
    QCoro::waitFor(task);

    QVERIFY(!model->isCleaningAll());
    QCOMPARE(cleaningAll.count(), 2);
    QCOMPARE(model->statusMessage(), std::optional<QString>("Freed 2.5 MB total"));
    QCOMPARE(model->history().size(), 2);
    QCOMPARE(model->history()[0].targetName, QStringLiteral("Docker prune"));
    QVERIFY(!model->history()[0].trashed);
    QCOMPARE(model->history()[1].targetName, QStringLiteral("App & system logs"));
    QVERIFY(!model->history()[1].trashed); // cleanAll(false)
    QCOMPARE(model->totalFreedAllTime(), qint64(2'500'000));
    // Each measured again, then the Trash, which holds what was moved there.
    QCOMPARE(f.sizeCalls, (QStringList{"logs", "docker", "trash"}));
}

// A run over every target says what failed: as a failure when nothing went at all (a read-only
// home), beside the total when some targets were cleared.
void tst_AppModelCleanup::cleanAllReportsFailures_data()
{
    QTest::addColumn<QStringList>("failing");
    QTest::addColumn<qint64>("freedEach");
    QTest::addColumn<QString>("status");
    QTest::newRow("every target failed") << kEveryday << qint64(0)
                                         << "Couldn't clean up: Trash: Couldn't remove /x/trash (and 6 more)";
    QTest::newRow("one failed, nothing freed")
        << QStringList{"logs"} << qint64(0) << "Couldn't clean up: App & system logs: Couldn't remove /x/logs";
    QTest::newRow("one failed, others freed")
        << QStringList{"logs"} << qint64(1000)
        << "Freed 6 KB total; couldn't clean up: App & system logs: Couldn't remove /x/logs";
}

void tst_AppModelCleanup::cleanAllReportsFailures()
{
    QFETCH(QStringList, failing);
    QFETCH(qint64, freedEach);
    QFETCH(QString, status);
    ModelFixture f;
    for (const QString& id : kEveryday)
        f.outcomes.insert(id, failing.contains(id) ? freed(0, {}, "Couldn't remove /x/" + id) : freed(freedEach));
    auto model = f.makeModel();
    QCoro::waitFor(model->cleanAll(false));
    QCOMPARE(model->statusMessage(), std::optional<QString>(status));
    QVERIFY(model->statusIsFailure());
}

void tst_AppModelCleanup::cleanAllWithNothingFreed()
{
    ModelFixture f;
    auto model = f.makeModel();
    QCoro::waitFor(model->cleanAll());
    QCOMPARE(calledIds(f.cleanCalls), kEveryday);
    for (const auto& c : std::as_const(f.cleanCalls))
        QVERIFY(c.moveToTrash); // the setting
    QVERIFY(model->history().isEmpty());
    QCOMPARE(model->statusMessage(), std::optional<QString>("Freed Zero KB total"));
}

void tst_AppModelCleanup::targetRemovedWhileCleared()
{
    ModelFixture f;
    const QString folder = f.home.mkdir(QStringLiteral("Out"));
    f.home.defaults().setStringArray(QStringLiteral("customFolders"), {folder});
    f.sizes.insert("custom:" + folder, 777);
    auto model = f.makeModel();
    f.holdCleans = true;
    auto task = model->clean("custom:" + folder);
    model->removeCustomFolder(folder);
    const QList<TargetState> before = model->targets();
    f.finishClean(freed(4096));
    QCoro::waitFor(task);
    QCOMPARE(model->targets(), before);
    QCOMPARE(model->history().size(), 1);
    QCOMPARE(model->history().first().targetName, QStringLiteral("Out"));
}

void tst_AppModelCleanup::historyStoreKeepsFiftyMemoryKeepsAll()
{
    ModelFixture f;
    auto model = f.makeModel();
    for (int i = 0; i < 53; ++i)
        model->recordExternalDeletion(QStringLiteral("Item %1").arg(i), 10, {});
    QCOMPARE(model->history().size(), 53);
    QCOMPARE(model->history().first().targetName, QStringLiteral("Item 52"));
    const auto stored = CleanHistoryStore::load(f.home.defaults());
    QCOMPARE(stored.history.size(), 50);
    QCOMPARE(stored.history.first().targetName, QStringLiteral("Item 52"));
    QCOMPARE(stored.total, qint64(530));
    QCOMPARE(model->totalFreedAllTime(), qint64(530));
}

void tst_AppModelCleanup::externalDeletion()
{
    ModelFixture f;
    auto model = f.makeModel();
    model->recordExternalDeletion(QStringLiteral("Nothing"), 0, {});
    QVERIFY(model->history().isEmpty());

    f.disk = {500'000'000'000, 5};
    model->recordExternalDeletion(QStringLiteral("3 project folders"), 9000, {{"/a", "/t/a"}});
    model->recordExternalDeletion(QStringLiteral("Uninstalled Foo"), 1, {});
    // Moved to the Trash but 0 bytes (an empty file): still recorded, so it can be put back.
    model->recordExternalDeletion(QStringLiteral("empty.txt"), 0, {{"/e", "/t/e"}});
    QCOMPARE(model->history().size(), 3);
    QCOMPARE(model->history()[2].targetName, QStringLiteral("3 project folders"));
    QVERIFY(model->history()[2].trashed);
    QCOMPARE(model->history()[2].items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{{"/a", "/t/a"}}));
    QCOMPARE(model->history()[1].items, std::nullopt);
    QCOMPARE(model->history()[0].freed, qint64(0));
    QCOMPARE(model->history()[0].items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{{"/e", "/t/e"}}));
    QCOMPARE(model->totalFreedAllTime(), qint64(9001));
    QCOMPARE(model->disk(), f.disk);
    QCOMPARE(f.center.postsFor("dustlet.lowspace").size(), 1);
}

// Every move into the Trash measures the Trash again (its row would otherwise keep its old size
// until the next full scan), and the status line tells of the latest operation.
void tst_AppModelCleanup::movesToTheTrashRemeasureIt_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("remeasured");
    QTest::addColumn<QString>("status");
    QTest::newRow("one target to the Trash") << "clean appcaches" << true << "Freed 1 KB from App cache files";
    QTest::newRow("one target for good") << "clean appcaches permanently" << false << "Freed 1 KB from App cache files";
    QTest::newRow("a tool's move") << "external 2 project folders" << true << "2 project folders: freed 5 KB";
    QTest::newRow("a tool's move of empty items") << "external empty.txt" << true << "empty.txt: moved to the Trash";
}

void tst_AppModelCleanup::movesToTheTrashRemeasureIt()
{
    QFETCH(QString, operation);
    QFETCH(bool, remeasured);
    QFETCH(QString, status);
    ModelFixture f;
    f.sizes = {{"trash", 18'700'000}};
    f.outcomes.insert("appcaches", freed(1000, {{"/x", "/t/x"}}));
    auto model = f.makeModel();
    QCoro::waitFor(model->scanAll());
    // An earlier operation's message, which the new one replaces.
    model->setStatusMessage(QStringLiteral("Restored App cache files"));
    QCOMPARE(findTarget(*model, "trash")->size, std::optional<qint64>(18'700'000));
    f.sizes.insert("trash", 255'000'000);
    f.sizeCalls.clear();

    if (operation == "clean appcaches")
        QCoro::waitFor(model->clean(QStringLiteral("appcaches"), true));
    else if (operation == "clean appcaches permanently")
        QCoro::waitFor(model->clean(QStringLiteral("appcaches"), false));
    else if (operation == "external 2 project folders")
        model->recordExternalDeletion(QStringLiteral("2 project folders"), 5000, {{"/a", "/t/a"}, {"/b", "/t/b"}});
    else
        model->recordExternalDeletion(QStringLiteral("empty.txt"), 0, {{"/e", "/t/e"}});

    QTRY_COMPARE(f.sizeCalls.contains("trash"), remeasured);
    settle();
    QCOMPARE(findTarget(*model, "trash")->size, std::optional<qint64>(remeasured ? 255'000'000 : 18'700'000));
    QCOMPARE(model->statusMessage(), std::optional<QString>(status));
}

// A clearing to the Trash has its record in the store before its first move, with a journal
// beside the settings; the items it moves are saved with it every second; the finished record
// takes its place under the same id, and the journal goes. The published history shows the record
// only once the clearing is over.
void tst_AppModelCleanup::clearingIsRecordedWhileItRuns()
{
    ModelFixture f;
    auto model = f.makeModel();
    f.holdCleans = true;
    auto task = model->clean(QStringLiteral("appcaches"), true);
    const auto stored = [&] { return CleanHistoryStore::load(f.home.defaults()).history; };
    const QString folder = f.home(".config/dustlet");
    QCOMPARE(stored().size(), 1);
    const CleanRecord running = stored().first();
    QCOMPARE(running.targetName, QStringLiteral("App cache files"));
    QVERIFY(running.trashed);
    QCOMPARE(running.items, std::nullopt);
    QVERIFY(model->history().isEmpty());
    const QStringList journals = QDir(folder).entryList({"*.journal"}, QDir::Files);
    QCOMPARE(journals, QStringList{"clearing-" + running.id.toString(QUuid::WithoutBraces).toUpper() + ".journal"});

    // The clearing announces each item before it moves it (to the journal), then reports it.
    const ClearingLogPtr log = f.cleanLogs.last();
    QVERIFY(log);
    const TrashedItem a{"/c/a", "/t/a"}, b{"/c/b", "/t/b"};
    QVERIFY(log->announce(a));
    QVERIFY(TestHome::contents(QDir(folder).filePath(journals.first())).contains("\"trashPath\":\"/t/a\""));
    log->moved(a);
    f.clock.advance(1000ms);
    QCOMPARE(stored().first().items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{a}));
    log->announce(b);
    log->moved(b);
    f.clock.advance(1000ms);
    QCOMPARE(stored().first().items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{a, b}));

    f.finishClean(freed(2000, {a, b}));
    QCoro::waitFor(task);
    QCOMPARE(stored().size(), 1);
    QCOMPARE(stored().first().id, running.id);
    QCOMPARE(stored().first().freed, qint64(2000));
    QCOMPARE(model->history().first().id, running.id);
    QVERIFY(QDir(folder).entryList({"*.journal"}, QDir::Files).isEmpty());
    QCOMPARE(f.clock.runningIntervals().size(), 0); // the saver stopped with it

    // A permanent clearing has nothing to put back: no record before it ends, no journal.
    auto permanent = model->clean(QStringLiteral("logs"), false);
    QCOMPARE(stored().size(), 1);
    QVERIFY(QDir(folder).entryList({"*.journal"}, QDir::Files).isEmpty());
    f.finishClean(freed(0));
    QCoro::waitFor(permanent);
}

// "Quit" while everything is being cleared: the clearing is told to stop at its next entry, its
// record is saved with what it moved, and no further target is started. One that does not stop in
// time is saved as it stands, and its journal stays for the next start.
void tst_AppModelCleanup::quitStopsClearingsAndSavesTheirRecords()
{
    ModelFixture f;
    auto model = f.makeModel();
    f.holdCleans = true;
    auto all = model->cleanAll(true);
    QCOMPARE(f.cleanCalls.size(), 1);
    const ClearingLogPtr log = f.cleanLogs.last();
    const TrashedItem a{"/c/a", "/t/a"};
    log->announce(a);
    log->moved(a);
    QTimer::singleShot(50, [&] {
        QVERIFY(log->isStopped());
        f.finishClean(freed(100, {a}));
    });
    model->finishClearings(1000ms);
    QVERIFY(!model->isClearing());
    QCOMPARE(f.cleanCalls.size(), 1);
    const QList<CleanRecord> stored = CleanHistoryStore::load(f.home.defaults()).history;
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{a}));
    QCOMPARE(stored.first().freed, qint64(100));
    QVERIFY(QDir(f.home(".config/dustlet")).entryList({"*.journal"}, QDir::Files).isEmpty());

    ModelFixture g;
    auto stuck = g.makeModel();
    g.holdCleans = true;
    auto one = stuck->clean(QStringLiteral("appcaches"), true);
    g.cleanLogs.last()->moved(a);
    QElapsedTimer clock;
    clock.start();
    stuck->finishClearings(200ms);
    QVERIFY(clock.elapsed() >= 200);
    QVERIFY(stuck->isClearing());
    QCOMPARE(CleanHistoryStore::load(g.home.defaults()).history.first().items,
             std::optional<QList<TrashedItem>>(QList<TrashedItem>{a}));
    QCOMPARE(QDir(g.home(".config/dustlet")).entryList({"*.journal"}, QDir::Files).size(), 1);
    g.finishClean(freed(0));
    QCoro::waitFor(one);
}

void tst_AppModelCleanup::restorePutsItemsBack()
{
    ModelFixture f;
    const QString original = f.home("Library/Caches/app/data.bin");
    const QString trashed = f.home.writeFile(QStringLiteral(".local/share/Trash/files/data.bin"), 4096);
    auto model = f.makeModel();
    model->setTotalFreedAllTime(100'000);
    model->recordExternalDeletion(QStringLiteral("App cache files"), 4096, {{original, trashed}});
    const CleanRecord record = model->history().first();

    model->restore(record);
    // Parent folders recreated, the item put back, the record restored and its bytes given up.
    QVERIFY(QFileInfo(original).isFile());
    QVERIFY(!QFileInfo::exists(trashed));
    QCOMPARE(model->history().first().restored, std::optional<bool>(true));
    QCOMPARE(model->totalFreedAllTime(), qint64(100'000));
    QCOMPARE(model->statusMessage(), std::optional<QString>("Restored App cache files"));
    const auto stored = CleanHistoryStore::load(f.home.defaults());
    QCOMPARE(stored.history.first().restored, std::optional<bool>(true));
    QCOMPARE(stored.total, qint64(100'000));
    // Everything is measured again afterwards.
    QVERIFY(!model->lastScan());
    settle();
    QVERIFY(model->lastScan());

    // Twice: nothing more, also with the caller's stale copy; a record marked restored is skipped.
    model->setStatusMessage(std::nullopt);
    f.home.writeFile(QStringLiteral(".local/share/Trash/files/data.bin"), 4096);
    QFile::remove(original);
    model->restore(record);
    model->restore(model->history().first());
    QVERIFY(!QFileInfo::exists(original));
    QCOMPARE(model->totalFreedAllTime(), qint64(100'000));
    QVERIFY(!model->statusMessage());

    // No items: nothing.
    model->recordExternalDeletion(QStringLiteral("No items"), 10, {});
    model->restore(model->history().first());
    QVERIFY(!model->history().first().restored);
}

// A put-back that leaves items in the Trash (a new file stands at one's place, another is gone
// from the Trash) keeps them in the record, with its Put Back, and takes off the total only what
// went back; once the place is free, a second put-back brings that item back too and takes off
// the rest, and only then is the record restored.
void tst_AppModelCleanup::partialPutBackKeepsTheRest()
{
    ModelFixture f;
    const QString a = f.home("Library/Caches/app/a");
    const QString b = f.home("Library/Caches/app/b");
    const QString c = f.home("Library/Caches/app/c");
    const QString ta = f.home.writeFile(QStringLiteral(".local/share/Trash/files/a"), 4096);
    const QString tb = f.home.writeFile(QStringLiteral(".local/share/Trash/files/b"), 8192);
    const QString tc = f.home.writeFile(QStringLiteral(".local/share/Trash/files/c"), 16384);
    const QString gone = f.home(".local/share/Trash/files/gone");
    const qint64 sizeA = TestHome::allocated(ta), sizeB = TestHome::allocated(tb), sizeC = TestHome::allocated(tc);
    const qint64 freed = sizeA + sizeB + sizeC;
    f.home.writeText(QStringLiteral("Library/Caches/app/b"), "a new file where b was");
    auto model = f.makeModel();
    model->setTotalFreedAllTime(1'000'000);
    model->recordExternalDeletion(QStringLiteral("App cache files"), freed,
                                  {{a, ta}, {b, tb}, {c, tc}, {f.home("Library/Caches/app/gone"), gone}});
    const qint64 before = model->totalFreedAllTime();
    QCOMPARE(before, 1'000'000 + freed);

    model->restore(model->history().first());
    QVERIFY(QFileInfo(a).isFile() && QFileInfo(c).isFile());
    QCOMPARE(TestHome::contents(b), QByteArray("a new file where b was"));
    QVERIFY(QFileInfo(tb).isFile());
    QCOMPARE(model->statusMessage(),
             std::optional<QString>("2 of 4 items stayed in the Trash: ~/Library/Caches/app/b already exists"));
    QVERIFY(model->statusIsFailure());
    const auto check = [&](const CleanRecord& r, qint64 total, bool restored, const QList<TrashedItem>& left) {
        QCOMPARE(r.restored.value_or(false), restored);
        QCOMPARE(r.items.value_or(QList<TrashedItem>()), left);
        QCOMPARE(model->totalFreedAllTime(), total);
        const auto stored = CleanHistoryStore::load(f.home.defaults());
        QCOMPARE(stored.history.first(), r);
        QCOMPARE(stored.total, total);
    };
    const QList<TrashedItem> left{{b, tb}, {f.home("Library/Caches/app/gone"), gone}};
    check(model->history().first(), before - sizeA - sizeC, false, left);
    QCOMPARE(model->history().first().freed, sizeB);

    // The place is free again: b goes back; the item that is gone from the Trash still stays.
    QVERIFY(QFile::remove(b));
    model->restore(model->history().first());
    QVERIFY(QFileInfo(b).isFile() && !QFileInfo::exists(tb));
    check(model->history().first(), before - sizeA - sizeC - sizeB, false, {{f.home("Library/Caches/app/gone"), gone}});
    QCOMPARE(model->history().first().freed, qint64(0));

    // Once the last item is back, the record is restored and the total is where it began.
    f.home.writeFile(QStringLiteral(".local/share/Trash/files/gone"), 4096);
    model->restore(model->history().first());
    check(model->history().first(), 1'000'000, true, {{f.home("Library/Caches/app/gone"), gone}});
    QCOMPARE(model->statusMessage(), std::optional<QString>("Restored App cache files"));
}

void tst_AppModelCleanup::restoreIntoOccupiedPathMovesNothing()
{
    ModelFixture f;
    const QString original = f.home("Library/Caches/Foo");
    const QString trashed = f.home.mkdir(QStringLiteral(".local/share/Trash/files/Foo"));
    f.home.writeFile(QStringLiteral(".local/share/Trash/files/Foo/old.txt"), 10);
    f.home.mkdir(QStringLiteral("Library/Caches/Foo")); // a new, empty folder of the same name
    auto model = f.makeModel();
    model->recordExternalDeletion(QStringLiteral("Foo"), 4096, {{original, trashed}});
    const qint64 total = model->totalFreedAllTime();

    model->restore(model->history().first());
    QVERIFY(QFileInfo::exists(trashed + "/old.txt"));
    QVERIFY(!QFileInfo::exists(original + "/old.txt"));
    QVERIFY(!model->history().first().restored);
    QCOMPARE(model->totalFreedAllTime(), total);
    // Nothing went back, and the status line says so.
    QCOMPARE(model->statusMessage(),
             std::optional<QString>("Couldn't put back Foo: ~/Library/Caches/Foo already exists"));
}

void tst_AppModelCleanup::restoreFloorsTotalAtZero()
{
    ModelFixture f;
    const QString trashed = f.home.writeFile(QStringLiteral("T/x"), 10);
    auto model = f.makeModel();
    model->recordExternalDeletion(QStringLiteral("X"), 5000, {{f.home("x"), trashed}});
    model->setTotalFreedAllTime(1000); // e.g. history cleared elsewhere
    model->restore(model->history().first());
    QCOMPARE(model->totalFreedAllTime(), qint64(0));
    QCOMPARE(CleanHistoryStore::load(f.home.defaults()).total, qint64(0));
}

// The folders leading to an item's original place are made by the put-back alone, which follows
// no link: a folder on the way that was replaced by a link to elsewhere gets nothing made behind it.
void tst_AppModelCleanup::restoreFollowsNoLinkOnTheWay()
{
    ModelFixture f;
    const QString trashed = f.home.writeFile(QStringLiteral(".local/share/Trash/files/data.bin"), 4096);
    const QString original = f.home("Library/Caches/app/sub/data.bin");
    f.home.writeText(QStringLiteral(".local/share/Trash/info/data.bin.trashinfo"),
                     "[Trash Info]\nPath=" + QFile::encodeName(original).toPercentEncoding("/") + "\n");
    f.home.mkdir(QStringLiteral("elsewhere"));
    f.home.symlink(QStringLiteral("Library/Caches/app"), f.home("elsewhere"));
    AppModelEnvironment env = f.environment();
    env.putBack = [](const QString& from, const QString& to) { return Trash::putBack(from, to); };
    AppModel model(env);
    model.recordExternalDeletion(QStringLiteral("App cache files"), 4096, {{original, trashed}});

    model.restore(model.history().first());
    QVERIFY(!TestHome::lexists(f.home("elsewhere/sub")));
    QVERIFY(QFileInfo(trashed).isFile());
    QVERIFY(!model.history().first().restored);
    // The system's refusal is the reason given.
    QCOMPARE(model.statusMessage(),
             std::optional<QString>("Couldn't put back App cache files: ~/Library/Caches/app/sub/data.bin: "
                                    + QString::fromLocal8Bit(std::strerror(ENOTDIR))));
}

// A record whose Trash slot was emptied and given to another item by another client: that item
// stays where it is, and the record's other item still goes back.
void tst_AppModelCleanup::restoreSkipsASlotRefilledSince()
{
    ModelFixture f;
    const QString cacheFile = f.home.writeText(QStringLiteral(".cache/y/report.pdf"), "cache copy");
    const QString other = f.home.writeText(QStringLiteral(".cache/y/other.bin"), "other");
    const auto first = Trash::moveToTrash(cacheFile);
    const auto second = Trash::moveToTrash(other);
    QVERIFY(first && second);
    // Emptied elsewhere; then the user's own report is trashed into the same slot.
    QVERIFY(QFile::remove(*first));
    QVERIFY(QFile::remove(f.home(".local/share/Trash/info/report.pdf.trashinfo")));
    const QString report = f.home.writeText(QStringLiteral("Documents/report.pdf"), "the user's report");
    const auto reportSlot = Trash::moveToTrash(report);
    QCOMPARE(reportSlot, first);
    AppModelEnvironment env = f.environment();
    env.putBack = [](const QString& from, const QString& to) { return Trash::putBack(from, to); };
    AppModel model(env);
    model.recordExternalDeletion(QStringLiteral("Cache"), 8192, {{cacheFile, *first}, {other, *second}});

    model.restore(model.history().first());
    QCOMPARE(TestHome::contents(*first), QByteArray("the user's report"));
    QVERIFY(!QFileInfo::exists(cacheFile));
    QVERIFY(QFileInfo::exists(f.home(".local/share/Trash/info/report.pdf.trashinfo")));
    QCOMPARE(TestHome::contents(other), QByteArray("other"));
    // The item whose slot was taken stays in the record; the other is out of it.
    QVERIFY(!model.history().first().restored);
    QCOMPARE(model.history().first().items, std::optional<QList<TrashedItem>>({{cacheFile, *first}}));
}

void tst_AppModelCleanup::startTwice()
{
    ModelFixture f;
    auto model = f.makeModel();
    QSignalSpy targets(model.get(), &AppModel::targetsChanged);
    model->start();
    QCOMPARE(f.clock.runningIntervals(), (QList<std::chrono::milliseconds>{5000ms, 180'000ms}));
    QVERIFY(f.sizeCalls.isEmpty()); // sizing is queued
    // ... but counts as running from the start, so that nothing reads a finished total of 0.
    QVERIFY(model->isScanning());
    QCOMPARE(targets.count(), 1);
    settle();
    QCOMPARE(f.sizeCalls, kEveryday);
    QVERIFY(model->lastScan());
    QVERIFY(!model->isScanning());

    f.disk = {500'000'000'000, 1};
    model->start();
    settle();
    QCOMPARE(model->disk(), f.disk);
    QCOMPARE(f.center.postsFor("dustlet.lowspace").size(), 1);
    QCOMPARE(f.sizeCalls, kEveryday); // no second full scan
    QCOMPARE(f.clock.runningIntervals().size(), 2);
}

void tst_AppModelCleanup::refreshIntervalIsClamped_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<qint64>("expectedMs");
    QTest::newRow("below two") << 0.5 << qint64(2000);
    QTest::newRow("negative") << -10.0 << qint64(2000);
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << qint64(2000);
    QTest::newRow("fraction") << 2.5 << qint64(2500);
    QTest::newRow("huge") << 1e300 << qint64(std::numeric_limits<int>::max());
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << qint64(std::numeric_limits<int>::max());
}

void tst_AppModelCleanup::refreshIntervalIsClamped()
{
    QFETCH(double, seconds);
    QFETCH(qint64, expectedMs);
    ModelFixture f;
    auto model = f.makeModel();
    model->start();
    model->settings().setRefreshInterval(seconds);
    model->restartTimer();
    const auto intervals = f.clock.runningIntervals();
    QCOMPARE(intervals.size(), 2); // replaced, not added
    QCOMPARE(qint64(intervals.last().count()), expectedMs);
    f.finishAllSizes();
}

void tst_AppModelCleanup::refreshTimerAndCacheWatcherTick()
{
    ModelFixture f;
    f.home.defaults().setBool(QStringLiteral("developerMode"), true);
    auto model = f.makeModel();
    model->start();
    settle();
    const QDateTime scanned = *model->lastScan();

    f.disk = {500'000'000'000, 2};
    f.clock.advance(4999ms);
    QCOMPARE(model->disk().availableImportant, qint64(200'000'000'000));
    f.clock.advance(1ms);
    QCOMPARE(model->disk(), f.disk);
    QCOMPARE(f.center.postsFor("dustlet.lowspace").size(), 1);

    // A new interval applies from the call on.
    model->settings().setRefreshInterval(60);
    model->restartTimer();
    f.disk = {500'000'000'000, 3};
    f.clock.advance(59s);
    QCOMPARE(model->disk().availableImportant, qint64(2));
    f.clock.advance(1s);
    QCOMPARE(model->disk(), f.disk);

    // The cache watcher re-measures the everyday path targets every three minutes.
    f.sizeCalls.clear();
    f.clock.advance(120s); // 180 s since start
    settle();
    QCOMPARE(f.sizeCalls, kEveryday);
    QCOMPARE(model->lastScan(), std::optional<QDateTime>(scanned));

    // A model that is gone leaves no timer running: later ticks read nothing and measure nothing.
    QCOMPARE(f.clock.runningIntervals().size(), 2);
    model.reset();
    QVERIFY(f.clock.runningIntervals().isEmpty());
    const int reads = f.diskReads;
    f.sizeCalls.clear();
    f.disk = {500'000'000'000, 1};
    const int notices = f.center.posts.size();
    f.clock.advance(600s);
    settle();
    QCOMPARE(f.diskReads, reads);
    QVERIFY(f.sizeCalls.isEmpty());
    QCOMPARE(f.center.posts.size(), notices);
}

void tst_AppModelCleanup::scheduleDue_data()
{
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<qint64>("secondsSinceLast");
    QTest::addColumn<bool>("due");
    QTest::newRow("daily, one second short") << "daily" << qint64(86'399) << false;
    QTest::newRow("daily, exactly one period") << "daily" << qint64(86'400) << true;
    QTest::newRow("weekly, one day") << "weekly" << qint64(86'400) << false;
    QTest::newRow("weekly, exactly one period") << "weekly" << qint64(604'800) << true;
    QTest::newRow("future stamp") << "daily" << qint64(-3600) << false;
    QTest::newRow("off") << "off" << qint64(10'000'000) << false;
}

void tst_AppModelCleanup::scheduleDue()
{
    QFETCH(QString, schedule);
    QFETCH(qint64, secondsSinceLast);
    QFETCH(bool, due);
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), schedule);
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), f.clock.now().addSecs(-secondsSinceLast));
    auto model = f.makeModel();
    model->runScheduledCleanupIfDue();
    settle();
    QCOMPARE(!f.cleanCalls.isEmpty(), due);
    if (due)
        QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(f.clock.now()));
}

void tst_AppModelCleanup::scheduleFirstSeenStampsOnly()
{
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("daily"));
    auto model = f.makeModel();
    model->start();
    settle();
    const QDateTime stamped = f.clock.now();
    QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(stamped));
    QCOMPARE(f.home.defaults().date(QStringLiteral("lastAutoCleanup")), std::optional<QDateTime>(stamped));
    QVERIFY(f.cleanCalls.isEmpty());

    // The refresh ticks find it due once a full day has passed.
    f.clock.advance(std::chrono::seconds(86'395));
    settle();
    QVERIFY(f.cleanCalls.isEmpty());
    f.clock.advance(5s);
    settle();
    QVERIFY(!f.cleanCalls.isEmpty());

    // A clock set back: not due until it passes the stamp by a full period.
    const QDateTime last = *model->settings().lastAutoCleanup();
    f.cleanCalls.clear();
    f.clock.set(last.addSecs(-3600));
    model->runScheduledCleanupIfDue();
    f.clock.set(last.addSecs(86'399));
    model->runScheduledCleanupIfDue();
    settle();
    QVERIFY(f.cleanCalls.isEmpty());
    f.clock.set(last.addSecs(86'400));
    model->runScheduledCleanupIfDue();
    settle();
    QVERIFY(!f.cleanCalls.isEmpty());
}

void tst_AppModelCleanup::scheduledCleanupAlwaysTrashesEverydayCaches()
{
    ModelFixture f;
    f.home.defaults().setBool(QStringLiteral("developerMode"), true);
    f.home.defaults().setBool(QStringLiteral("moveToTrash"), false);
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("weekly"));
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), f.clock.now().addSecs(-700'000));
    f.home.defaults().setStringArray(QStringLiteral("customFolders"), {f.home.mkdir("Mine")});
    f.home.defaults().setStringArray(QStringLiteral("disabledTargetIDs"), {"safari"});
    f.outcomes.insert("appcaches", freed(1'000'000, {{"/c", "/t/c"}}));
    f.outcomes.insert("chrome", freed(500'000, {{"/g", "/t/g"}}));
    f.sizes.insert("appcaches", 5);
    auto model = f.makeModel();

    f.holdCleans = true;
    const QDateTime before = *model->settings().lastAutoCleanup();
    model->runScheduledCleanupIfDue();
    QVERIFY(model->isCleaningAll());
    QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(before)); // stamped once it is done
    while (!f.cleanGates.empty() && !f.cleanGates.back()->promise.future().isFinished()) {
        const QString id = f.cleanGates.back()->id;
        f.finishClean(f.outcomes.value(id));
        settle();
    }
    QVERIFY(!model->isCleaningAll());
    QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(f.clock.now()));
    // Everyday path caches only: not the Trash, not disabled, no developer, finder or custom targets.
    QCOMPARE(calledIds(f.cleanCalls), (QStringList{"appcaches", "logs", "maildownloads", "chrome", "firefox"}));
    for (const auto& c : std::as_const(f.cleanCalls))
        QVERIFY(c.moveToTrash);
    QCOMPARE(model->history().size(), 2);
    for (const CleanRecord& r : model->history()) {
        QVERIFY(r.trashed);
        QVERIFY(r.items && !r.items->isEmpty());
    }
    QCOMPARE(findTarget(*model, "appcaches")->size, std::optional<qint64>(5));
    QCOMPARE(model->statusMessage(), std::optional<QString>("Auto-cleanup freed 1.5 MB"));
    const auto posts = f.center.postsFor("dustlet.autocleanup");
    QCOMPARE(posts.size(), 1);
    QCOMPARE(posts.first().content.body, QStringLiteral("Freed 1.5 MB automatically. Items are in the Trash."));
}

void tst_AppModelCleanup::scheduledCleanupWithNothingToClean()
{
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("daily"));
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), f.clock.now().addDays(-2));
    auto model = f.makeModel();
    model->setStatusMessage(QStringLiteral("earlier"));

    // Candidates that free nothing.
    model->runScheduledCleanupIfDue();
    settle();
    QCOMPARE(f.cleanCalls.size(), 6);
    QVERIFY(model->history().isEmpty());
    QCOMPARE(model->statusMessage(), std::optional<QString>("earlier"));
    QCOMPARE(f.center.postsFor("dustlet.autocleanup").last().content.body,
             QStringLiteral("Nothing to clean \u2014 you're already tidy."));

    // No candidate at all: stamped, notified, nothing cleared.
    f.cleanCalls.clear();
    model->settings().setDisabledTargetIDs(QSet<QString>(kEveryday.begin(), kEveryday.end()));
    f.clock.advance(std::chrono::hours(25));
    model->runScheduledCleanupIfDue();
    QVERIFY(!model->isCleaningAll());
    QVERIFY(f.cleanCalls.isEmpty());
    QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(f.clock.now()));
    QCOMPARE(f.center.postsFor("dustlet.autocleanup").size(), 2);
    QCOMPARE(f.center.postsFor("dustlet.autocleanup").last().content.body,
             QStringLiteral("Nothing to clean \u2014 you're already tidy."));
    QCOMPARE(model->statusMessage(), std::optional<QString>("earlier"));
}

// A scheduled cleanup whose every clearing failed (an unusable Trash) says what failed, in the
// notification and the status line, and is not stamped: it is tried again an hour later rather
// than a day, and stamped once it runs through.
void tst_AppModelCleanup::scheduledCleanupThatFailedIsNotStamped()
{
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("daily"));
    const QDateTime last = f.clock.now().addDays(-2);
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), last);
    for (const QString& id : kEveryday)
        f.outcomes.insert(id, freed(0, {}, QStringLiteral("Not moved to the Trash: /x/") + id));
    auto model = f.makeModel();
    model->runScheduledCleanupIfDue();
    settle();
    QCOMPARE(f.cleanCalls.size(), 6);
    QVERIFY(!model->isCleaningAll());
    QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(last));
    const QString what = QStringLiteral("App cache files: Not moved to the Trash: /x/appcaches (and 5 more)");
    const auto posts = f.center.postsFor("dustlet.autocleanup");
    QCOMPARE(posts.size(), 1);
    QCOMPARE(posts.first().content.title, QStringLiteral("Dustlet couldn't clean up"));
    QCOMPARE(posts.first().content.body, "Couldn't clean up: " + what);
    QCOMPARE(model->statusMessage(), std::optional<QString>("Couldn't clean up: " + what));
    QVERIFY(model->statusIsFailure());

    // Not again at the next tick, but an hour on; once everything goes, it is stamped.
    f.clock.advance(std::chrono::minutes(59));
    model->runScheduledCleanupIfDue();
    settle();
    QCOMPARE(f.cleanCalls.size(), 6);
    f.clock.advance(std::chrono::minutes(1));
    f.outcomes.clear();
    f.outcomes.insert(QStringLiteral("logs"), freed(2000, {{"/l", "/t/l"}}));
    model->runScheduledCleanupIfDue();
    settle();
    QCOMPARE(f.cleanCalls.size(), 12);
    QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(f.clock.now()));
    QCOMPARE(f.center.postsFor("dustlet.autocleanup").last().content.body,
             QStringLiteral("Freed 2 KB automatically. Items are in the Trash."));
    QVERIFY(!model->statusIsFailure());
}

// A scheduled cleanup that cleared some of its targets but could not move one entry (a folder of
// another user's in the cache) says so as the manual run does, in the notification and the status
// line, as a failure; what it cleared is recorded, and the run is stamped.
void tst_AppModelCleanup::scheduledCleanupThatFailedInPartSaysSo()
{
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("daily"));
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), f.clock.now().addDays(-2));
    const QString left = QStringLiteral("Not moved to the Trash: ") + f.home("Library/Caches/rootdir");
    f.outcomes.insert("appcaches", freed(512'000, {{f.home("Library/Caches/a"), "/t/a"}}, left));
    auto model = f.makeModel();
    model->runScheduledCleanupIfDue();
    settle();
    QVERIFY(!model->isCleaningAll());
    QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(f.clock.now()));
    const QString what = QStringLiteral("Freed 512 KB automatically; couldn't clean up: App cache files: ") + left;
    const auto posts = f.center.postsFor("dustlet.autocleanup");
    QCOMPARE(posts.size(), 1);
    QCOMPARE(posts.first().content.title, QStringLiteral("Dustlet couldn't clean up everything"));
    QCOMPARE(posts.first().content.body, what);
    QCOMPARE(model->statusMessage(), std::optional<QString>(what));
    QVERIFY(model->statusIsFailure());
    QCOMPARE(model->history().size(), 1);
    QCOMPARE(model->history().first().freed, qint64(512'000));
    QCOMPARE(model->totalFreedAllTime(), qint64(512'000));

    // Stamped: not again until a full period has passed.
    f.clock.advance(std::chrono::hours(2));
    model->runScheduledCleanupIfDue();
    settle();
    QCOMPARE(f.cleanCalls.size(), 6);
}

void tst_AppModelCleanup::scheduledCleanupWaitsForCleanAll()
{
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("daily"));
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), f.clock.now().addDays(-2));
    auto model = f.makeModel();
    f.holdCleans = true;
    auto all = model->cleanAll();
    model->runScheduledCleanupIfDue();
    QCOMPARE(f.cleanCalls.size(), 1);
    QCOMPARE(model->settings().lastAutoCleanup(), std::optional<QDateTime>(f.clock.now().addDays(-2)));
    while (!all.isReady()) {
        f.finishClean(freed(0));
        settle();
    }
    QCOMPARE(f.cleanCalls.size(), kEveryday.size());
    model->runScheduledCleanupIfDue();
    QVERIFY(model->isCleaningAll());
    QCOMPARE(f.cleanCalls.size(), kEveryday.size() + 1);
    while (model->isCleaningAll()) {
        f.finishClean(freed(0));
        settle();
    }
}

void tst_AppModelCleanup::confirmationDuringCleanAllIsRefused()
{
    ModelFixture f;
    auto model = f.makeModel();
    f.holdCleans = true;
    model->requestCleanAll();
    model->confirmPending(false);
    QVERIFY(model->isCleaningAll());

    // A second "clean everything" confirmed before and after the run has begun.
    model->requestCleanAll();
    model->confirmPending(false);
    settle();
    QCOMPARE(f.cleanCalls.size(), 1);
    QVERIFY(model->pendingClean()); // the window keeps it; nothing started
    model->confirmPending(true);
    settle();
    QCOMPARE(f.cleanCalls.size(), 1);

    qint64 handed = 0;
    while (model->isCleaningAll()) {
        f.finishClean(freed(1000));
        handed += 1000;
        settle();
    }
    QCOMPARE(f.cleanCalls.size(), kEveryday.size());
    QCOMPARE(handed, qint64(1000 * kEveryday.size()));
    QCOMPARE(model->totalFreedAllTime(), handed);
    QCOMPARE(model->history().size(), kEveryday.size());
    QCOMPARE(model->statusMessage(), std::optional<QString>(formatBytes(handed).prepend("Freed ").append(" total")));

    // Once it is over, the waiting request can be confirmed.
    f.holdCleans = false;
    model->confirmPending(false);
    QTRY_COMPARE(f.cleanCalls.size(), 2 * kEveryday.size());
}

void tst_AppModelCleanup::confirmationDuringScheduledCleanupIsRefused()
{
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("daily"));
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), f.clock.now().addDays(-2));
    auto model = f.makeModel();
    f.holdCleans = true;
    model->runScheduledCleanupIfDue();
    QVERIFY(model->isCleaningAll());
    model->requestClean(QStringLiteral("trash"));
    model->confirmPending(false);
    settle();
    QCOMPARE(calledIds(f.cleanCalls), QStringList{"appcaches"});
    while (model->isCleaningAll()) {
        f.finishClean(freed(0));
        settle();
    }
    QVERIFY(!calledIds(f.cleanCalls).contains("trash"));
}

// A one-target cleanup runs; "Clean up" is confirmed meanwhile. The run of all targets leaves the
// target to the cleanup that clears it: one clearing, one record, its bytes counted once.
void tst_AppModelCleanup::oneTargetThenCleanAllClearsItOnce()
{
    ModelFixture f;
    auto model = f.makeModel();
    f.holdCleans = true;
    auto single = model->clean(QStringLiteral("logs"));
    model->requestCleanAll();
    model->confirmPending(false);
    settle();
    QVERIFY(model->isCleaningAll());
    QCOMPARE(calledIds(f.cleanCalls), (QStringList{"logs", "trash"}));

    for (int guard = 0; model->isCleaningAll() && guard < 20; ++guard) {
        f.finishClean(f.cleanCalls.last().id, freed(1000));
        settle();
    }
    QVERIFY(!model->isCleaningAll());
    QVERIFY(f.isClearing("logs")); // still the one-target cleanup's
    f.finishClean("logs", freed(5000));
    QCoro::waitFor(single);

    QCOMPARE(calledIds(f.cleanCalls).count("logs"), 1);
    QCOMPARE(f.cleanCalls.size(), kEveryday.size());
    QCOMPARE(model->history().size(), kEveryday.size());
    QCOMPARE(model->totalFreedAllTime(), qint64(1000 * (kEveryday.size() - 1) + 5000));
    QCOMPARE(model->statusMessage(), std::optional<QString>("Freed 5 KB from App & system logs"));
    QCOMPARE(CleanHistoryStore::load(f.home.defaults()).total, model->totalFreedAllTime());
}

// The other order: a run of all targets is under way when a one-target cleanup is started for
// the target it is clearing (refused) and for one it has yet to reach (which the run then skips).
void tst_AppModelCleanup::cleanAllThenOneTargetClearsEachOnce()
{
    ModelFixture f;
    auto model = f.makeModel();
    f.holdCleans = true;
    auto all = model->cleanAll(false);
    QCOMPARE(calledIds(f.cleanCalls), QStringList{"trash"});

    auto refused = model->clean(QStringLiteral("trash"));
    QVERIFY(refused.isReady()); // returned at once
    QCOMPARE(calledIds(f.cleanCalls), QStringList{"trash"});
    QVERIFY(!findTarget(*model, "trash")->isCleaning);
    auto single = model->clean(QStringLiteral("logs"));
    QCOMPARE(calledIds(f.cleanCalls), (QStringList{"trash", "logs"}));

    f.finishClean("trash", freed(1000));
    settle();
    f.finishClean("appcaches", freed(1000));
    settle();
    QCOMPARE(f.cleanCalls.last().id, QStringLiteral("maildownloads")); // "logs" left to its own cleanup
    f.finishClean("logs", freed(7000));
    QCoro::waitFor(single);
    for (int guard = 0; !all.isReady() && guard < 20; ++guard) {
        f.finishClean(f.cleanCalls.last().id, freed(1000));
        settle();
    }
    QVERIFY(all.isReady());

    QCOMPARE(calledIds(f.cleanCalls).count("logs"), 1);
    QCOMPARE(calledIds(f.cleanCalls).count("trash"), 1);
    QCOMPARE(model->history().size(), kEveryday.size());
    QCOMPARE(model->totalFreedAllTime(), qint64(1000 * (kEveryday.size() - 1) + 7000));
    QCOMPARE(model->statusMessage(),
             std::optional<QString>("Freed " + formatBytes(1000 * (kEveryday.size() - 1)) + " total"));
}

// A scheduled cleanup that falls due while a one-target cleanup runs leaves that target to it.
void tst_AppModelCleanup::oneTargetThenScheduledCleanupClearsItOnce()
{
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("daily"));
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), f.clock.now().addDays(-2));
    auto model = f.makeModel();
    f.holdCleans = true;
    auto single = model->clean(QStringLiteral("appcaches"));
    model->runScheduledCleanupIfDue();
    QVERIFY(model->isCleaningAll());
    QCOMPARE(calledIds(f.cleanCalls), (QStringList{"appcaches", "logs"}));
    for (int guard = 0; model->isCleaningAll() && guard < 20; ++guard) {
        f.finishClean(f.cleanCalls.last().id, freed(1000, {{"/x", "/t/x"}}));
        settle();
    }
    QVERIFY(!model->isCleaningAll());
    f.finishClean("appcaches", freed(3000, {{"/c", "/t/c"}}));
    QCoro::waitFor(single);

    QCOMPARE(calledIds(f.cleanCalls),
             (QStringList{"appcaches", "logs", "maildownloads", "chrome", "safari", "firefox"}));
    QCOMPARE(model->history().size(), 6);
    QCOMPARE(model->totalFreedAllTime(), qint64(5 * 1000 + 3000));
    QCOMPARE(f.center.postsFor("dustlet.autocleanup").last().content.body,
             QStringLiteral("Freed 5 KB automatically. Items are in the Trash."));
}

// While a target is cleared alone, a confirmation to clear it again is refused (the window keeps
// the request), and a rebuild of the list keeps its cleaning flag, so its clean button stays off.
void tst_AppModelCleanup::targetBeingClearedIsNotConfirmedAgainAndKeepsItsFlag()
{
    ModelFixture f;
    auto model = f.makeModel();
    f.holdCleans = true;
    auto single = model->clean(QStringLiteral("logs"));
    QVERIFY(findTarget(*model, "logs")->isCleaning);

    model->requestClean(QStringLiteral("logs"));
    model->confirmPending(false);
    settle();
    QCOMPARE(calledIds(f.cleanCalls), QStringList{"logs"});
    QVERIFY(model->pendingClean());

    model->settings().setCleanSavedState(true);
    model->rebuildTargets();
    QVERIFY(findTarget(*model, "savedstate"));
    QVERIFY(findTarget(*model, "logs")->isCleaning);
    QVERIFY(!findTarget(*model, "trash")->isCleaning);

    f.finishClean("logs", freed(2000));
    QCoro::waitFor(single);
    QVERIFY(!findTarget(*model, "logs")->isCleaning);
    QCOMPARE(model->history().size(), 1);

    // Once it is over, the kept request can be confirmed.
    f.holdCleans = false;
    model->confirmPending(false);
    QTRY_COMPARE(f.cleanCalls.size(), 2);
    model->rebuildTargets();
    QVERIFY(!findTarget(*model, "logs")->isCleaning);
}

QTEST_GUILESS_MAIN(tst_AppModelCleanup)
#include "tst_AppModelCleanup.moc"
