// The model of the Project Cleanup window, driven by a scripted scan (and once by the real one):
// what a scan is started with, replaced and stopped scans, the derived list (kinds, filter, order,
// groups, selected figures), selection, trashing with its history entry, and pinning.
#include "../../services/AppModelFakes.h"
#include "ProjectScanScript.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "platform/ui/Dialogs.h"
#include "views/projectcleanup/ProjectCleanupModel.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

QStringList pathsOf(const QList<ProjectDir>& dirs)
{
    QStringList out;
    for (const ProjectDir& d : dirs)
        out.append(d.path);
    return out;
}

QSet<QString> set(const QStringList& l) { return QSet<QString>(l.begin(), l.end()); }

const QDateTime kDay = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);

// Runs a scan of `model` that hands over `dirs` and ends; waits until the model has them all.
void scanWith(ProjectCleanupModel& model, ProjectScanScript& scans, const QList<ProjectDir>& dirs)
{
    model.scan();
    QTRY_COMPARE(scans.count() > 0, true);
    int n = 0;
    for (const ProjectDir& d : dirs)
        scans.found(++n, d);
    scans.end();
    QTRY_VERIFY(model.hasScanned());
    QCOMPARE(model.dirs().size(), dirs.size());
}

// A model with a scripted scan and an application model of its own, as the window sets it up.
struct Tool {
    ModelFixture f;
    std::unique_ptr<AppModel> app = f.makeModel();
    ProjectScanScript scans;
    ProjectCleanupModel model{scans.function()};
    Tool() { model.setAppModel(app.get()); }
};

} // namespace

class tst_ProjectCleanupModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Dialogs::setPickHandlerForTesting({}); }

    void startsUnscannedWithTheConfiguredRoots()
    {
        ModelFixture f;
        auto app = f.makeModel();
        ProjectCleanupModel model;
        QVERIFY(!model.isScanning());
        QVERIFY(!model.hasScanned());
        QVERIFY(model.dirs().isEmpty());
        QCOMPARE(model.foundCount(), 0);
        QVERIFY(!model.token());
        // Without the application model: the home folder alone.
        QCOMPARE(model.effectiveRoots(), QStringList{f.home.path()});
        QCOMPARE(model.rootsLabel(), QStringLiteral("~"));
        model.setAppModel(app.get());
        QCOMPARE(model.effectiveRoots(), (QStringList{f.home("src"), f.home("dev")}));
        QCOMPARE(model.rootsLabel(), QStringLiteral("~/src, ~/dev"));
        // An empty list of roots falls back on the home folder as well.
        app->settings().setProjectRoots({});
        QCOMPARE(model.effectiveRoots(), QStringList{f.home.path()});
    }

    // The home folder becomes "~" only where it leads a root and ends a piece.
    void rootsLabelShortensOnlyALeadingHome()
    {
        ModelFixture f;
        auto app = f.makeModel();
        ProjectCleanupModel model;
        model.setAppModel(app.get());
        const QString home = f.home.path();
        app->settings().setProjectRoots({home + "/code", home + "er/x", "/srv" + home + "/y", "~/raw", home});
        QCOMPARE(model.rootsLabel(), "~/code, " + home + "er/x, /srv" + home + "/y, ~/raw, ~");
    }

    // The scan is started with the roots, the pinned folders and the whole days of the minimum
    // age; a stored age that is no usable number is clamped.
    void scanTakesItsInputsFromTheSettings_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("days");
        QTest::newRow("whole part") << 30.9 << 30;
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("negative") << -5.0 << 0;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 36'500;
        QTest::newRow("huge") << 1e300 << 36'500;
    }
    void scanTakesItsInputsFromTheSettings()
    {
        QFETCH(double, stored);
        QFETCH(int, days);
        ModelFixture f;
        auto app = f.makeModel();
        app->settings().setIgnoredFinderPaths({"~/src/keep"});
        app->settings().setFinderMinAgeDays(stored);
        ProjectScanScript scans;
        ProjectCleanupModel model(scans.function());
        model.setAppModel(app.get());
        model.scan();
        QTRY_COMPARE(scans.count(), 1);
        const ProjectScanStart run = scans.started(0);
        QCOMPARE(run.roots, (QStringList{f.home("src"), f.home("dev")}));
        QCOMPARE(run.ignore, QStringList{"~/src/keep"});
        QCOMPARE(run.minAgeDays, days);
    }

    void scanWithoutTheApplicationModelSearchesHomeWithNoLimits()
    {
        ModelFixture f;
        ProjectScanScript scans;
        ProjectCleanupModel model(scans.function());
        model.scan();
        QTRY_COMPARE(scans.count(), 1);
        const ProjectScanStart run = scans.started(0);
        QCOMPARE(run.roots, QStringList{f.home.path()});
        QVERIFY(run.ignore.isEmpty());
        QCOMPARE(run.minAgeDays, 0);
    }

    // A scan started while one runs: the list and selection empty at once, the old scan's late
    // counts, folders and end change nothing, and only the new scan fills the list.
    void replacedScanChangesNothing()
    {
        ModelFixture f;
        ProjectScanScript scans;
        scans.holdCancelled = true;
        ProjectCleanupModel model(scans.function());
        model.scan();
        QTRY_COMPARE(scans.count(), 1);
        scans.found(1, projectDir(f.home("a/node_modules"), "node_modules", 100));
        QTRY_COMPARE(model.dirs().size(), 1);
        model.toggle(f.home("a/node_modules"));
        const CancelTokenPtr first = model.token();

        model.scan();
        QVERIFY(first->isCancelled());
        QVERIFY(model.token() != first && !model.token()->isCancelled());
        QVERIFY(model.dirs().isEmpty());
        QVERIFY(model.selected().isEmpty());
        QCOMPARE(model.foundCount(), 0);
        QVERIFY(model.isScanning());
        QVERIFY(!model.hasScanned());
        QTRY_COMPARE(scans.count(), 2);

        scans.found(7, projectDir(f.home("late/target"), "target", 5), 0);
        scans.end(0);
        QTRY_VERIFY(scans.hasEnded(0));
        QCoreApplication::processEvents();   // what the old scan posted has come back
        QVERIFY(model.dirs().isEmpty());
        QCOMPARE(model.foundCount(), 0);
        QVERIFY(model.isScanning());

        scans.found(1, projectDir(f.home("b/.venv"), "venv", 10), 1);
        scans.end(1);
        QTRY_VERIFY(model.hasScanned());
        QVERIFY(!model.isScanning());
        QCOMPARE(pathsOf(model.dirs()), QStringList{f.home("b/.venv")});
        QCOMPARE(model.foundCount(), 1);
    }

    void cancelKeepsWhatWasFound()
    {
        ModelFixture f;
        ProjectScanScript scans;
        scans.holdCancelled = true;
        ProjectCleanupModel model(scans.function());
        model.scan();
        QTRY_COMPARE(scans.count(), 1);
        scans.found(1, projectDir(f.home("a/node_modules"), "node_modules", 100));
        QTRY_COMPARE(model.dirs().size(), 1);
        model.cancel();
        QVERIFY(model.token()->isCancelled());
        QVERIFY(!model.isScanning());
        QVERIFY(model.hasScanned());
        scans.found(2, projectDir(f.home("b/node_modules"), "node_modules", 100));
        scans.end();
        QTRY_VERIFY(scans.hasEnded(0));
        QCoreApplication::processEvents();
        QCOMPARE(pathsOf(model.dirs()), QStringList{f.home("a/node_modules")});
        QCOMPARE(model.foundCount(), 1);
        QVERIFY(model.hasScanned());
    }

    // Folders of equal size keep their arrival order; oldest first puts undated ones last (in
    // arrival order); groups follow the same rules.
    void orderIsStable()
    {
        ModelFixture f;
        ProjectScanScript scans;
        ProjectCleanupModel model(scans.function());
        const QList<ProjectDir> dirs = {
            projectDir("/p/one/node_modules", "node_modules", 500),
            projectDir("/p/two/target", "target", 900, kDay.addDays(-3)),
            projectDir("/p/one/dist", "js_dist", 500, kDay.addDays(-10)),
            projectDir("/p/three/build", "build", 500),
            projectDir("/p/two/.gradle", "gradle_cache", 100, kDay.addDays(-30)),
        };
        scanWith(model, scans, dirs);
        QCOMPARE(pathsOf(model.sortedDirs()), (QStringList{"/p/two/target", "/p/one/node_modules", "/p/one/dist",
                                                             "/p/three/build", "/p/two/.gradle"}));
        QList<ProjectGroup> groups = model.projectGroups();
        QCOMPARE(groups.size(), 3);
        // Formed in the order of the sorted list; equal totals (1000 bytes each) keep that order.
        QCOMPARE(groups[0].path, "/p/two");
        QCOMPARE(groups[1].path, "/p/one");
        QCOMPARE(groups[2].path, "/p/three");
        QCOMPARE(pathsOf(groups[1].dirs), (QStringList{"/p/one/node_modules", "/p/one/dist"}));

        model.setSortByAge(true);
        QCOMPARE(pathsOf(model.sortedDirs()), (QStringList{"/p/two/.gradle", "/p/one/dist", "/p/two/target",
                                                             "/p/one/node_modules", "/p/three/build"}));
        groups = model.projectGroups();
        QCOMPARE(groups[0].path, "/p/two");
        QCOMPARE(groups[0].oldest(), std::optional<QDateTime>(kDay.addDays(-30)));
        QCOMPARE(groups[1].path, "/p/one");
        QCOMPARE(groups[2].path, "/p/three");
        QCOMPARE(groups[2].oldest(), std::nullopt);
    }

    // The kinds in the order first found, counted over every folder; a filter narrows the list,
    // the groups and the selected figures, never the kinds.
    void kindsAndFilter()
    {
        ModelFixture f;
        ProjectScanScript scans;
        ProjectCleanupModel model(scans.function());
        scanWith(model, scans,
                 {projectDir("/p/a/target", "target", 300), projectDir("/p/a/node_modules", "node_modules", 200),
                  projectDir("/p/b/target", "target", 100)});
        QCOMPARE(model.kindFacets(), (QList<KindFacet>{{"target", "target", 2}, {"node_modules", "node_modules", 1}}));

        model.selectAll(true);
        QCOMPARE(model.visibleSelectedCount(), 3);
        QCOMPARE(model.selectedSize(), 600);
        model.setActiveKinds({"node_modules"});
        QCOMPARE(pathsOf(model.sortedDirs()), QStringList{"/p/a/node_modules"});
        QCOMPARE(model.projectGroups().size(), 1);
        QCOMPARE(model.visibleSelectedCount(), 1);
        QCOMPARE(model.selectedSize(), 200);
        QCOMPARE(model.kindFacets().size(), 2);

        // Deselecting what is visible leaves the hidden ones selected, uncounted.
        model.selectAll(false);
        QCOMPARE(model.selected(), set({"/p/a/target", "/p/b/target"}));
        QCOMPARE(model.visibleSelectedCount(), 0);
        QCOMPARE(model.selectedSize(), 0);
        model.setActiveKinds({});
        QCOMPARE(model.visibleSelectedCount(), 2);
        QCOMPARE(model.selectedSize(), 400);
    }

    void toggleGroupSelectsTheRestOrNone()
    {
        ModelFixture f;
        ProjectScanScript scans;
        ProjectCleanupModel model(scans.function());
        scanWith(model, scans,
                 {projectDir("/p/a/target", "target", 300), projectDir("/p/a/node_modules", "node_modules", 200),
                  projectDir("/p/b/target", "target", 100)});
        model.toggle("/p/a/target");
        model.toggle("/p/a/target");
        QVERIFY(model.selected().isEmpty());
        model.toggle("/p/a/node_modules");
        const ProjectGroup a = model.projectGroups().first();
        QCOMPARE(a.path, "/p/a");
        model.toggleGroup(a);
        QCOMPARE(model.selected(), set({"/p/a/target", "/p/a/node_modules"}));
        model.toggleGroup(a);
        QVERIFY(model.selected().isEmpty());
        QSignalSpy changed(&model, &ProjectCleanupModel::selectedChanged);
        model.toggleGroup(ProjectGroup{"/p/none", {}});
        QCOMPARE(changed.count(), 0);
    }

    // Of two selected folders the Trash takes one: both leave the list, the history entry counts
    // the one that moved, with its size from the scan and its place in the Trash.
    void trashingRecordsWhatMoved()
    {
        Tool t;
        auto& [f, app, scans, model] = t;
        const QString a = f.home.mkdir("src/a/node_modules"), b = f.home.mkdir("src/b/target");
        const QString c = f.home.mkdir("src/c/build");
        scanWith(model, scans,
                 {projectDir(a, "node_modules", 4'000), projectDir(b, "target", 9'000), projectDir(c, "build", 1'000)});
        QStringList asked;
        model.setTrashFunction([&](const Cleaner::PickedItem& item) {
            const QString path = QString::fromUtf8(item.path);
            asked.append(path);
            if (path == a)
                return Cleaner::PickedMove{};
            return Cleaner::PickedMove{Cleaner::PickedMove::Result::moved,
                                       TrashedItem{path, f.home(".local/share/Trash/files/target")}};
        });
        model.toggle(a);
        model.toggle(b);
        model.trashSelected();
        QCOMPARE(asked, (QStringList{b, a}));   // the visible order: largest first
        QCOMPARE(pathsOf(model.dirs()), QStringList{c});
        QVERIFY(model.selected().isEmpty());
        QCOMPARE(app->history().size(), 1);
        const CleanRecord& record = app->history().first();
        QCOMPARE(record.targetName, QStringLiteral("1 project folder"));
        QCOMPARE(record.freed, 9'000);
        QVERIFY(record.trashed);
        QCOMPARE(record.items.value(), (QList<TrashedItem>{{b, f.home(".local/share/Trash/files/target")}}));
        QCOMPARE(app->totalFreedAllTime(), 9'000);
    }

    void historyNameCountsFolders_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("name");
        QTest::newRow("none") << 0 << "0 project folders";
        QTest::newRow("one") << 1 << "1 project folder";
        QTest::newRow("two") << 2 << "2 project folders";
    }
    void historyNameCountsFolders()
    {
        QFETCH(int, count);
        QFETCH(QString, name);
        QCOMPARE(ProjectCleanupModel::historyName(count), name);
    }

    // Only the visible selection is moved; with none, nothing is asked and nothing recorded.
    void trashingMovesOnlyTheVisibleSelection()
    {
        Tool t;
        auto& [f, app, scans, model] = t;
        const QString a = f.home.mkdir("src/a/node_modules"), b = f.home.mkdir("src/b/target");
        scanWith(model, scans, {projectDir(a, "node_modules", 4'000), projectDir(b, "target", 9'000)});
        int asked = 0;
        model.setTrashFunction([&](const Cleaner::PickedItem&) {
            ++asked;
            return Cleaner::PickedMove{};
        });
        model.toggle(b);
        model.setActiveKinds({"node_modules"});
        QSignalSpy dirsChanged(&model, &ProjectCleanupModel::dirsChanged);
        model.trashSelected();
        QCOMPARE(asked, 0);
        QCOMPARE(model.dirs().size(), 2);
        QCOMPARE(model.selected(), set({b}));
        QVERIFY(app->history().isEmpty());
    }

    // A folder whose real place the safety rule refuses is never moved (the move applies the
    // rule where it finds the folder), but it leaves the list like any folder that did not move.
    void trashingRefusesProtectedPlaces()
    {
        Tool t;
        auto& [f, app, scans, model] = t;
        // A link in the project that leads into a protected folder, and a folder outside home.
        f.home.mkdir("Music/node_modules");
        const QString link = f.home.symlink("src/app/node_modules", f.home("Music/node_modules"));
        const QString outside = QDir::tempPath() + "/elsewhere/target";
        QVERIFY(QDir().mkpath(outside));
        scanWith(model, scans, {projectDir(link, "node_modules", 0), projectDir(outside, "target", 10)});
        model.selectAll(true);
        model.trashSelected();
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo(outside).isDir());
        QDir(QDir::tempPath() + "/elsewhere").removeRecursively();
        QVERIFY(model.dirs().isEmpty());
        QVERIFY(app->history().isEmpty());
        QVERIFY(QFileInfo(f.home("Music/node_modules")).isDir());
    }

    // The real search and the real move: after the scan the project folder is swapped for a link
    // to a project in Documents, outside the search root, with a build folder of the same name;
    // then the move. Nothing outside the pick moves, the window says so, nothing is recorded;
    // unswapped, the folder goes and is recorded.
    void projectSwappedAfterTheScan_data()
    {
        QTest::addColumn<bool>("swap");
        QTest::newRow("unswapped") << false;
        QTest::newRow("project folder, to Documents") << true;
    }

    void projectSwappedAfterTheScan()
    {
        QFETCH(bool, swap);
        ModelFixture f;
        auto app = f.makeModel();
        ProjectCleanupModel model;   // the real search and the real move
        model.setAppModel(app.get());
        f.home.writeText("src/webapp/package.json", "{}");
        f.home.writeFile("src/webapp/node_modules/dep/index.js", 8192);
        f.home.writeText("Documents/webapp/package.json", "{}");
        f.home.writeText("Documents/webapp/node_modules/dep/index.js", "the user's own");
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest&) { return std::optional(f.home("src")); });
        model.pickFolderAndScan();
        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 10000);
        const QString folder = f.home("src/webapp/node_modules");
        QCOMPARE(pathsOf(model.dirs()), QStringList{folder});
        model.toggle(folder);
        if (swap)
            QVERIFY(f.home.swapForLink("src/webapp", f.home("Documents/webapp")));

        model.trashSelected();
        QCOMPARE(TestHome::contents(f.home("Documents/webapp/node_modules/dep/index.js")), QByteArray("the user's own"));
        if (swap) {
            QVERIFY(app->history().isEmpty());
            QCOMPARE(model.message(), std::optional<QString>("Not moved: ~/src/webapp/node_modules changed since the scan"));
            QVERIFY(QDir(f.home(".local/share/Trash/files")).isEmpty());
        } else {
            QCOMPARE(app->history().size(), 1);
            QCOMPARE(app->history().first().items->first().original, folder);
            QVERIFY(!TestHome::lexists(folder));
            QVERIFY(!model.message());
        }
    }

    // The real Trash: the folder goes there, the history can put it back.
    void trashedFolderCanBePutBack()
    {
        Tool t;
        auto& [f, app, scans, model] = t;
        const QString folder = f.home.mkdir("src/app/node_modules");
        f.home.writeFile("src/app/node_modules/dep/index.js", 8192);
        scanWith(model, scans, {projectDir(folder, "node_modules", 8192)});
        model.toggle(folder);
        model.trashSelected();
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(app->history().size(), 1);
        const CleanRecord record = app->history().first();
        const QList<TrashedItem> items = record.items.value_or(QList<TrashedItem>{});
        QCOMPARE(items.size(), 1);
        QVERIFY(Trash::isInTrash(items.first().trashPath));
        app->restore(record);
        QVERIFY(QFileInfo(f.home("src/app/node_modules/dep/index.js")).isFile());
        QCOMPARE(app->history().first().restored, std::optional<bool>(true));
    }

    // A build folder found as a link: the link goes to the Trash, what it leads to stays, and
    // nothing counts as freed (the scan measured it as 0 bytes); the entry still puts it back.
    void trashingALinkMovesOnlyTheLink()
    {
        Tool t;
        auto& [f, app, scans, model] = t;
        f.home.writeFile("src/store/deps/lib.js", 8192);
        const QString link = f.home.symlink("src/app/node_modules", f.home("src/store/deps"));
        scanWith(model, scans, {projectDir(link, "node_modules", 0)});
        model.toggle(link);
        model.trashSelected();
        QVERIFY(!QFileInfo(link).isSymLink() && !QFileInfo::exists(link));
        QVERIFY(QFileInfo(f.home("src/store/deps/lib.js")).isFile());
        QVERIFY(model.dirs().isEmpty());
        QCOMPARE(app->history().size(), 1);
        QCOMPARE(app->history().first().freed, 0);
        QCOMPARE(app->history().first().targetName, QStringLiteral("1 project folder"));
        QCOMPARE(app->totalFreedAllTime(), 0);
        app->restore(app->history().first());
        QVERIFY(QFileInfo(link).isSymLink());
    }

    void withoutTheApplicationModelTrashAndPinDoNothing()
    {
        ModelFixture f;
        ProjectScanScript scans;
        ProjectCleanupModel model(scans.function());
        const QString a = f.home.mkdir("src/a/node_modules");
        scanWith(model, scans, {projectDir(a, "node_modules", 4'000)});
        model.toggle(a);
        model.trashSelected();
        model.pin(model.dirs().first());
        QCOMPARE(model.dirs().size(), 1);
        QVERIFY(QFileInfo(a).isDir());
    }

    // Pinning stores the path as found, once, drops the folder and rebuilds the panel's
    // build-folder targets with the new entry.
    void pinningTwiceStoresOneEntry()
    {
        ModelFixture f;
        auto app = f.makeModel();
        app->settings().setDeveloperMode(true);
        app->rebuildTargets();
        ProjectScanScript scans;
        ProjectCleanupModel model(scans.function());
        model.setAppModel(app.get());
        const ProjectDir a = projectDir(f.home("src/a/node_modules"), "node_modules", 4'000);
        const ProjectDir b = projectDir(f.home("src/b/node_modules"), "node_modules", 4'000);
        scanWith(model, scans, {a, b});
        model.toggle(a.path);
        model.toggle(b.path);
        model.pin(a);
        model.pin(a);
        QCOMPARE(app->settings().ignoredFinderPaths(), QStringList{a.path});
        QCOMPARE(pathsOf(model.dirs()), QStringList{b.path});
        QCOMPARE(model.selected(), set({b.path}));
        bool seen = false;
        for (const TargetState& t : app->targets()) {
            if (const auto* finder = std::get_if<CleanupKinds::Finder>(&t.target.kind)) {
                QCOMPARE(finder->ignore, QStringList{a.path});
                seen = true;
            }
        }
        QVERIFY(seen);
    }

    // The picked folder is searched from then on, also by later scans; cancelling changes nothing.
    void pickedFolderReplacesTheRoots()
    {
        Tool t;
        auto& [f, app, scans, model] = t;
        std::optional<Dialogs::PickRequest> asked;
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest& r) -> std::optional<QString> {
            asked = r;
            return std::nullopt;
        });
        // The first root does not exist yet: the picker opens at home.
        model.pickFolderAndScan();
        QVERIFY(asked);
        QCOMPARE(asked->startPath, f.home.path());
        f.home.mkdir("src");
        model.pickFolderAndScan();
        QCOMPARE(asked->acceptLabel, QStringLiteral("Scan"));
        QCOMPARE(asked->startPath, f.home("src"));
        QCOMPARE(asked->kind, Dialogs::PickKind::Folder);
        QCOMPARE(scans.count(), 0);
        QVERIFY(!model.overrideRoot());

        const QString picked = f.home.mkdir("work/client");
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest&) { return std::optional<QString>(picked); });
        model.pickFolderAndScan();
        QCOMPARE(model.overrideRoot(), std::optional<QString>(picked));
        QCOMPARE(model.rootsLabel(), QStringLiteral("~/work/client"));
        QTRY_COMPARE(scans.count(), 1);
        QCOMPARE(scans.started(0).roots, QStringList{picked});
        scans.end();
        QTRY_VERIFY(model.hasScanned());
        model.scan();
        QTRY_COMPARE(scans.count(), 2);
        QCOMPARE(scans.started(1).roots, QStringList{picked});
    }

    // A model that goes while its scan runs: the scan goes on to its end and nothing reaches
    // the model that is gone.
    void modelGoneWhileScanning()
    {
        ModelFixture f;
        ProjectScanScript scans;
        auto* model = new ProjectCleanupModel(scans.function());
        model->scan();
        QTRY_COMPARE(scans.count(), 1);
        const CancelTokenPtr token = model->token();
        delete model;
        QVERIFY(!token->isCancelled());
        scans.found(1, projectDir(f.home("a/node_modules"), "node_modules", 1));
        scans.end();
        QTRY_VERIFY(scans.hasEnded(0));
        QCoreApplication::processEvents();
    }

    // Roots the user chose are searched where their links lead, taken when the scan starts; a
    // missing one is noted. The real scan then finds the build folders under the resolved root.
    void linkedAndMissingRoots()
    {
        ModelFixture f;
        auto app = f.makeModel();
        f.home.writeText("src/web/package.json", "{}");
        f.home.writeFile("src/web/node_modules/left-pad/index.js", 16384);
        f.home.symlink("code", f.home("src"));
        app->settings().setProjectRoots({f.home("code"), f.home("dev")});
        ProjectCleanupModel model;
        model.setAppModel(app.get());
        model.scan();
        QCOMPARE(model.missingRoots(), QStringList{"~/dev"});
        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 20000);
        QCOMPARE(pathsOf(model.dirs()), QStringList{f.home("src/web/node_modules")});
        QCOMPARE(model.rootsLabel(), QStringLiteral("~/code, ~/dev"));   // as the user chose them

        // What is searched is what the links lead to at the start of each scan.
        Tool t;
        t.app->settings().setProjectRoots({t.f.home("code"), "~/dev"});
        t.f.home.mkdir("elsewhere");
        t.f.home.symlink("code", t.f.home("elsewhere"));
        t.model.scan();
        QTRY_COMPARE(t.scans.count(), 1);
        QCOMPARE(t.scans.started(0).roots, (QStringList{t.f.home("elsewhere"), t.f.home("dev")}));
        QCOMPARE(t.model.missingRoots(), QStringList{"~/dev"});
        t.scans.end();
        t.f.home.mkdir("dev");
        t.model.scan();
        QTRY_COMPARE(t.scans.count(), 2);
        QCOMPARE(t.model.missingRoots(), QStringList{});
        t.scans.end();
    }

    // The real scan over a small tree, end to end.
    void realScanFindsAndMeasures()
    {
        ModelFixture f;
        auto app = f.makeModel();
        app->settings().setProjectRoots({f.home("src")});
        f.home.writeText("src/web/package.json", "{}");
        f.home.writeFile("src/web/node_modules/left-pad/index.js", 16384);
        f.home.writeText("src/tool/Cargo.toml", "[package]");
        f.home.writeFile("src/tool/target/debug/tool", 8192);
        ProjectCleanupModel model;
        model.setAppModel(app.get());
        model.scan();
        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 20000);
        QCOMPARE(set(pathsOf(model.dirs())), set({f.home("src/web/node_modules"), f.home("src/tool/target")}));
        QCOMPARE(model.foundCount(), 2);
        for (const ProjectDir& d : model.dirs()) {
            QVERIFY(d.size >= (d.kindID == "target" ? 8192 : 16384));
            QVERIFY(d.modified.has_value());
            QCOMPARE(d.symbol, QStringLiteral("shippingbox.fill"));
        }
    }
};

QTEST_MAIN(tst_ProjectCleanupModel)
#include "tst_ProjectCleanupModel.moc"
