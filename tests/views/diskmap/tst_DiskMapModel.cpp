#include "../../services/AppModelFakes.h"
#include "DiskMapFakes.h"
#include "platform/Background.h"
#include "platform/RawPath.h"
#include "platform/UserDefaults.h"
#include "platform/ui/Dialogs.h"
#include "views/components/Style.h"
#include "views/diskmap/DiskMapModel.h"

#include "services/DiskMapScanner.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>

namespace {

struct Fixture {
    ModelFixture app; // owns the test home
    ScriptedScans scans;
    std::unique_ptr<AppModel> appModel = app.makeModel();
    std::unique_ptr<DiskMapModel> model;

    Fixture() { model = std::make_unique<DiskMapModel>(scans.environment(&app.home.defaults())); }
    ~Fixture() { model.reset(); }
    QString home(const QString& rel = {}) const { return rel.isEmpty() ? app.home.path() : app.home(rel); }
};

QList<DiskNode> kidsOf(const std::optional<DiskNode>& n) { return n ? n->children() : QList<DiskNode>{}; }

// The node of a tree with the path `path`, searched depth first.
std::optional<DiskNode> findNode(const DiskNode& tree, const QString& path)
{
    if (tree.path() == path)
        return tree;
    for (const DiskNode& child : tree.children()) {
        if (const std::optional<DiskNode> found = findNode(child, path))
            return found;
    }
    return std::nullopt;
}

} // namespace

class tst_DiskMapModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rootPathIsStoredAndReadBack()
    {
        Fixture f;
        QCOMPARE(f.model->rootPath(), f.home()); // nothing stored: the home folder
        f.model->scan(f.home("Projects"));
        QCOMPARE(f.app.home.defaults().string(DiskMapModel::kRootKey), std::optional<QString>(f.home("Projects")));
        f.scans.waitForCall(0);
        f.model->stop();
        // A new window's model starts from the stored folder, also after a stopped scan, and a
        // rescan without a path uses it.
        DiskMapModel second(f.scans.environment(&f.app.home.defaults()));
        QCOMPARE(second.rootPath(), f.home("Projects"));
        QVERIFY(!second.root() && !second.isScanning());
        second.scan();
        QCOMPARE(f.scans.waitForCall(1), f.home("Projects"));
        second.stop();
    }

    void liveRootGrowsLargestFirstThenTheResultReplacesIt()
    {
        Fixture f;
        const QString r = f.home("data");
        QSignalSpy scanning(f.model.get(), &DiskMapModel::isScanningChanged);
        f.model->scan(r);
        QVERIFY(f.model->isScanning());
        QVERIFY(!f.model->root());
        QCOMPARE(f.scans.waitForCall(0), r);

        f.scans.children(0, {fileNode(r + "/a", 100), fileNode(r + "/b", 300)});
        f.scans.progress(0, 400);
        QTRY_COMPARE(kidsOf(f.model->root()).size(), 2);
        f.scans.children(0, {fileNode(r + "/c", 100), folderNode(r + "/d", {fileNode(r + "/d/x", 50)})});
        QTRY_COMPARE(kidsOf(f.model->root()).size(), 4);
        QTRY_COMPARE(f.model->scannedBytes(), qint64(400));
        const DiskNode live = *f.model->root();
        QCOMPARE(live.id(), r);
        QCOMPARE(live.name(), QStringLiteral("data"));
        QCOMPARE(live.size(), qint64(550));
        QVERIFY(live.isDirectory() && !live.isSynthetic() && !live.modified());
        QCOMPARE(live.category(), FileCategory::other);
        // Largest first; equal sizes keep their arrival order.
        QCOMPARE(idsOf(live.children()), (QStringList{r + "/b", r + "/a", r + "/c", r + "/d"}));

        const DiskNode tree = folderNode(r, {fileNode(r + "/b", 300), fileNode(r + "/a", 100)});
        f.scans.finish(0, tree);
        QTRY_VERIFY(!f.model->isScanning());
        QCOMPARE(*f.model->root(), tree);
        QCOMPARE(f.model->scannedBytes(), qint64(400));
    }

    // A flat folder filling in through the real scanner, its children handed over in many small
    // slices: every live root on the way is sorted largest first and as large as its children,
    // and once all are in, the live root holds each of the folder's entries once, in the
    // engine's own order (equal sizes in listing order), and its size is the engine's.
    void liveFlatFolderMatchesTheEngine()
    {
        ModelFixture app;
        const QString r = app.home("flat");
        QVERIFY(QDir().mkpath(r));
        constexpr int kFiles = 3000;
        for (int i = 0; i < kFiles; ++i) {
            QFile file(r + "/f" + QString::number(i));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray((i * 7919) % 20000, 'x')); // many equal allocated sizes
        }
        // Shared with the scan's thread, which may outlive a failed test.
        struct Shared {
            QMutex lock;
            std::optional<DiskNode> engine;
            std::atomic<bool> release{false};
        };
        const auto shared = std::make_shared<Shared>();
        const auto releaseOnExit = qScopeGuard([shared] { shared->release = true; });
        DiskMapEnvironment env;
        env.defaults = &app.home.defaults();
        env.scan = [shared](const QString& root, const CancelToken& token, const DiskMapScanner::Progress&,
                            const DiskMapScanner::ChildDone& child) {
            std::vector<DiskNode> handed;
            const DiskNode tree =
                DiskMapScanner::scanStreaming(root, token, {}, [&](const DiskNode& n) { handed.push_back(n); });
            {
                QMutexLocker g(&shared->lock);
                shared->engine = tree;
            }
            for (size_t i = 0; i < handed.size(); ++i) {
                child(handed[i]);
                if (i % 97 == 96)
                    QThread::msleep(6); // the model applies what it has meanwhile
            }
            while (!shared->release && !token.isCancelled())
                QThread::msleep(1);
            return tree;
        };
        DiskMapModel model(env);
        int liveRoots = 0;
        QString fault;
        connect(&model, &DiskMapModel::rootChanged, this, [&] {
            if (!model.root() || !model.isScanning())
                return;
            ++liveRoots;
            const NodeList kids = model.root()->childList();
            qint64 sum = 0;
            for (qsizetype i = 0; i < kids.size(); ++i) {
                sum += kids.sizeAt(i);
                if (i > 0 && kids.sizeAt(i) > kids.sizeAt(i - 1))
                    fault = QStringLiteral("child %1 is larger than the one before it").arg(i);
            }
            if (sum != model.root()->size())
                fault = QStringLiteral("the live root's size is not its children's");
        });
        model.scan(r);
        QTRY_COMPARE_WITH_TIMEOUT(model.root() ? model.root()->childCount() : 0, qsizetype(kFiles), 20000);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY2(liveRoots > 3, qPrintable(QString::number(liveRoots))); // filled in slice by slice

        QMutexLocker g(&shared->lock);
        const std::optional<DiskNode> engine = shared->engine;
        g.unlock();
        QVERIFY(engine);
        // The engine's children in order: those it keeps, then those it folds.
        QStringList expected;
        for (const DiskNode& c : engine->children()) {
            if (!c.isSynthetic())
                expected << c.id();
            else
                expected += idsOf(c.childList().toList());
        }
        QCOMPARE(expected.size(), kFiles);
        QCOMPARE(idsOf(model.root()->childList().toList()), expected);
        QCOMPARE(model.root()->size(), engine->size());
        shared->release = true;
        QTRY_VERIFY(!model.isScanning());
        QCOMPARE(*model.root(), *engine);
    }

    // Many children arriving at once are applied in a few batches, not one update each.
    void arrivalsAreBatched()
    {
        Fixture f;
        const QString r = f.home("many");
        f.model->scan(r);
        f.scans.waitForCall(0);
        QSignalSpy roots(f.model.get(), &DiskMapModel::rootChanged);
        QList<DiskNode> nodes;
        for (int i = 0; i < 20000; ++i)
            nodes.append(fileNode(r + "/f" + QString::number(i), 4096 * (1 + (i * 7919) % 13)));
        f.scans.children(0, nodes);
        f.scans.drain(0);
        QTRY_COMPARE(kidsOf(f.model->root()).size(), 20000);
        QVERIFY2(roots.count() < 50, qPrintable(QString::number(roots.count())));
        const QList<DiskNode> kids = f.model->root()->children();
        for (qsizetype i = 1; i < kids.size(); ++i) {
            QVERIFY(kids[i - 1].size() >= kids[i].size());
            if (kids[i - 1].size() == kids[i].size()) // arrival order among equals
                QVERIFY(kids[i - 1].id().mid(r.size() + 2).toInt() < kids[i].id().mid(r.size() + 2).toInt());
        }
        f.model->stop();
    }

    void aSecondScanIgnoresTheFirst()
    {
        Fixture f;
        f.model->scan(f.home("one"));
        f.scans.waitForCall(0);
        f.model->scan(f.home("two"));
        f.scans.waitForCall(1);
        QVERIFY(f.scans.isCancelled(0));
        QVERIFY(!f.scans.isCancelled(1));

        f.scans.progress(1, 10);
        QTRY_COMPARE(f.model->scannedBytes(), qint64(10));
        // The first scan, still unwinding, reports progress, a child and its result late.
        f.scans.progress(0, 999);
        f.scans.children(0, {fileNode(f.home("one/late"), 999)});
        f.scans.finish(0, folderNode(f.home("one"), {fileNode(f.home("one/late"), 999)}));
        f.scans.drain(0);
        settle();
        QTest::qWait(2 * DiskMapModel::kBatchIntervalMs);
        QCOMPARE(f.model->scannedBytes(), qint64(10));
        QVERIFY(!f.model->root());
        QVERIFY(f.model->isScanning());
        QCOMPARE(f.model->rootPath(), f.home("two"));

        f.scans.finish(1, folderNode(f.home("two"), {fileNode(f.home("two/x"), 20)}));
        QTRY_VERIFY(!f.model->isScanning());
        QCOMPARE(f.model->root()->id(), f.home("two"));
    }

    void stopKeepsTheLiveRoot()
    {
        Fixture f;
        const QString r = f.home("s");
        f.model->scan(r);
        f.scans.waitForCall(0);
        f.scans.children(0, {fileNode(r + "/small", 10), fileNode(r + "/big", 90)});
        f.scans.progress(0, 100);
        QTRY_COMPARE(kidsOf(f.model->root()).size(), 2);
        QTRY_COMPARE(f.model->scannedBytes(), qint64(100));
        f.model->stop();
        QVERIFY(!f.model->isScanning());
        QVERIFY(f.model->token()->isCancelled());
        f.scans.progress(0, 500);
        f.scans.children(0, {fileNode(r + "/late", 1000)});
        f.scans.finish(0, folderNode(r, {fileNode(r + "/whole", 5000)}));
        f.scans.drain(0);
        settle();
        QTest::qWait(2 * DiskMapModel::kBatchIntervalMs);
        QCOMPARE(idsOf(f.model->root()->children()), (QStringList{r + "/big", r + "/small"}));
        QCOMPARE(f.model->scannedBytes(), qint64(100));
    }

    void stopBeforeTheFirstChildLeavesNoRoot()
    {
        Fixture f;
        f.model->scan(f.home("e"));
        f.scans.waitForCall(0);
        f.model->stop();
        f.scans.finish(0, folderNode(f.home("e"), {fileNode(f.home("e/x"), 10)}));
        f.scans.drain(0);
        settle();
        QVERIFY(!f.model->root());
        QVERIFY(!f.model->isScanning());
    }

    void zoomDuringTheScanFreezesTheRootAndSurvivesTheEnd()
    {
        Fixture f;
        const QString r = f.home("z");
        f.model->scan(r);
        f.scans.waitForCall(0);
        const DiskNode sub = folderNode(r + "/sub", {fileNode(r + "/sub/a", 40), fileNode(r + "/sub/b", 20)});
        f.scans.children(0, {sub});
        QTRY_VERIFY(f.model->root());
        f.model->zoom(sub);
        QCOMPARE(f.model->current()->id(), sub.id());
        const DiskNode frozen = *f.model->root();
        f.scans.children(0, {fileNode(r + "/more", 500)});
        f.scans.drain(0);
        QTest::qWait(2 * DiskMapModel::kBatchIntervalMs);
        settle();
        QCOMPARE(idsOf(f.model->root()->children()), idsOf(frozen.children()));

        const DiskNode tree = folderNode(r, {fileNode(r + "/more", 500), sub});
        f.scans.finish(0, tree);
        QTRY_VERIFY(!f.model->isScanning());
        QCOMPARE(f.model->root()->size(), qint64(560));
        QCOMPARE(idsOf(f.model->stack()), QStringList{sub.id()});
        QCOMPARE(idsOf(f.model->breadcrumb()), (QStringList{r, sub.id()}));
    }

    // The children of the folder shown are kept between changes; every change of the root or the
    // levels zoomed into must give the new folder's children, never the last one's.
    void shownChildrenFollowEveryChange()
    {
        Fixture f;
        const QString r = f.home("k");
        const auto shown = [&] { return idsOf(f.model->currentChildren().toList()); };
        const auto expected = [&] { return idsOf(kidsOf(f.model->current())); };
        QVERIFY(f.model->currentChildren().isEmpty());
        f.model->scan(r);
        f.scans.waitForCall(0);
        const DiskNode sub = folderNode(r + "/sub", {fileNode(r + "/sub/x", 30), fileNode(r + "/sub/y", 20)});
        f.scans.children(0, {sub});
        QTRY_COMPARE(shown(), QStringList{sub.id()});
        f.scans.children(0, {fileNode(r + "/big", 900)});
        QTRY_COMPARE(shown(), (QStringList{r + "/big", sub.id()})); // the live root grew
        f.model->zoom(sub);
        QCOMPARE(shown(), (QStringList{r + "/sub/x", r + "/sub/y"}));
        f.model->goUp();
        QCOMPARE(shown(), expected());
        const DiskNode tree = folderNode(r, {fileNode(r + "/big", 900), sub, fileNode(r + "/z", 1)});
        f.scans.finish(0, tree);
        QTRY_VERIFY(!f.model->isScanning());
        QCOMPARE(shown(), idsOf(tree.children()));
        f.model->zoom(sub);
        f.model->goTo(0);
        QCOMPARE(shown(), idsOf(tree.children()));
        f.model->scan();
        QVERIFY(f.model->currentChildren().isEmpty());
        f.model->stop();
    }

    void navigation()
    {
        Fixture f;
        const QString r = f.home("n");
        const DiskNode deep = folderNode(r + "/a/b", {fileNode(r + "/a/b/f", 10)});
        const DiskNode a = folderNode(r + "/a", {deep, fileNode(r + "/a/g", 5)});
        const DiskNode empty = folderNode(r + "/empty", {});
        const DiskNode file = fileNode(r + "/file", 3);
        const DiskNode folded = syntheticNode(r + "/a", {fileNode(r + "/t1", 1), fileNode(r + "/t2", 1)});
        f.model->scan(r);
        f.scans.waitForCall(0);
        f.scans.finish(0, folderNode(r, {a, file, empty, folded}));
        QTRY_VERIFY(!f.model->isScanning());

        // Only folders with children are entered; the folded node is one.
        f.model->zoom(file);
        f.model->zoom(empty);
        QVERIFY(f.model->stack().isEmpty());
        f.model->zoom(folded);
        QCOMPARE(f.model->current()->id(), folded.id());
        f.model->goUp();
        f.model->zoom(a);
        f.model->zoom(deep);
        QCOMPARE(f.model->stack().size(), 2);

        // goTo: beyond the depth changes nothing but clears the selection; 0 and -1 go home.
        f.model->setSelection(deep.children().first());
        f.model->goTo(5);
        QCOMPARE(f.model->stack().size(), 2);
        QVERIFY(!f.model->selection());
        f.model->goTo(1);
        QCOMPARE(idsOf(f.model->stack()), QStringList{a.id()});
        f.model->zoom(deep);
        f.model->goTo(-1);
        QVERIFY(f.model->stack().isEmpty());
        f.model->zoom(a);
        f.model->goTo(0);
        QVERIFY(f.model->stack().isEmpty());

        // goUp at the root keeps the selection; inside a folder it clears it.
        f.model->setSelection(file);
        f.model->goUp();
        QCOMPARE(f.model->selection()->id(), file.id());
        f.model->zoom(a);
        f.model->setSelection(deep);
        f.model->goUp();
        QVERIFY(f.model->stack().isEmpty() && !f.model->selection());

        // moveSelection: first child without a selection, then clamped at both ends.
        f.model->moveSelection(1);
        QCOMPARE(f.model->selection()->id(), a.id());
        f.model->moveSelection(-1);
        QCOMPARE(f.model->selection()->id(), a.id());
        f.model->moveSelection(1);
        f.model->moveSelection(1);
        f.model->moveSelection(1);
        QCOMPARE(f.model->selection()->id(), folded.id());
        f.model->moveSelection(1);
        QCOMPARE(f.model->selection()->id(), folded.id());
        // A selection that is not a child of the folder shown starts again at the first.
        f.model->setSelection(deep);
        f.model->moveSelection(1);
        QCOMPARE(f.model->selection()->id(), a.id());
    }

    void canTrash_data()
    {
        QTest::addColumn<QString>("path"); // "~" for the test home; "@link" for a link to home
        QTest::addColumn<bool>("synthetic");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("home itself") << "~" << false << false;
        QTest::newRow("link to home") << "~/homelink" << false << false;
        QTest::newRow("folder in Documents") << "~/Documents/Projects" << false << true;
        QTest::newRow("Documents itself (refused by the rule, below home)") << "~/Documents" << false << true;
        QTest::newRow("file below home") << "~/Downloads/big.iso" << false << true;
        QTest::newRow("synthetic node") << "~/Downloads/big.iso#other" << true << false;
        QTest::newRow("outside home, refused by the rule") << "/usr/share" << false << false;
        QTest::newRow("outside home, allowed by the rule") << "/Library/Caches/com.example" << false << true;
        QTest::newRow("below home through a linked home") << "@link/Downloads/big.iso" << false << true;
        QTest::newRow("linked home itself") << "@link" << false << false;
        QTest::newRow("Documents through a linked home") << "@link/Documents" << false << true;
        QTest::newRow("name that is not UTF-8") << "~/Downloads/" + RawPath::key("x\xff") << false << false;
    }

    void canTrash()
    {
        QFETCH(QString, path);
        QFETCH(bool, synthetic);
        QFETCH(bool, allowed);
        Fixture f;
        f.app.home.mkdir("Documents/Projects");
        f.app.home.writeFile("Downloads/big.iso", 4096);
        f.app.home.symlink("homelink", f.home());
        // A second way into the same home, as with /home → /var/home.
        const QString outside = QFileInfo(f.home()).dir().path() + "/linked-" + QFileInfo(f.home()).fileName();
        QVERIFY(QFile::link(f.home(), outside));
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", outside.toLocal8Bit()); // the home as the system reports it: through the link
        if (path.startsWith("@link"))
            path = outside + path.mid(5);
        else if (path.startsWith("~"))
            path = f.home() + path.mid(1);
        const DiskNode node(path, Paths::lastComponent(path), 10, true, FileCategory::other, std::nullopt, synthetic);
        const bool got = f.model->canTrash(node);
        qputenv("HOME", oldHome);
        QFile::remove(outside);
        QCOMPARE(got, allowed);
    }

    // A move from the map leaves the panel's Trash row measured afresh.
    void trashRemeasuresTheTrashRow()
    {
        Fixture f;
        const QString r = f.home("t");
        const DiskNode victim = folderNode(r + "/old", {fileNode(r + "/old/a", 8192)});
        f.app.sizes = {{"trash", 1000}};
        QCoro::waitFor(f.appModel->scanAll());
        f.model->setAppModel(f.appModel.get());
        f.model->scan(r);
        f.scans.waitForCall(0);
        f.scans.finish(0, folderNode(r, {victim}));
        QTRY_VERIFY(!f.model->isScanning());
        f.app.sizes.insert("trash", 9192);
        f.model->trash(victim);
        QTRY_COMPARE(findTarget(*f.appModel, "trash")->size, std::optional<qint64>(9192));
        QCOMPARE(f.appModel->statusMessage(), std::optional<QString>("old: freed 8 KB"));
        f.model->stop();
    }

    // The real scan and the real move: the map is made, then a folder on the way to the picked
    // item is swapped for a link into Documents, the keys or home; the move is asked for. Nothing
    // outside the pick moves, the window is told, no history record is made; unswapped, the item
    // goes and is recorded.
    void pickedItemSwappedAfterTheScan_data()
    {
        QTest::addColumn<QString>("picked"); // relative to home
        QTest::addColumn<QString>("swapped"); // the folder swapped for a link; "" none
        QTest::addColumn<QString>("target"); // where the link leads, relative to home
        QTest::newRow("unswapped") << "work/evilapp/data/report.pdf"
                                   << ""
                                   << "";
        QTest::newRow("its folder, to Documents") << "work/evilapp/data/report.pdf"
                                                  << "work/evilapp/data"
                                                  << "Documents";
        QTest::newRow("a folder named Documents, its folder to home") << "work/evilapp/Documents"
                                                                      << "work/evilapp"
                                                                      << "";
        QTest::newRow("its folder, to the keys") << "work/evilapp/data/id_ed25519"
                                                 << "work/evilapp/data"
                                                 << ".ssh";
    }

    void pickedItemSwappedAfterTheScan()
    {
        QFETCH(QString, picked);
        QFETCH(QString, swapped);
        QFETCH(QString, target);
        ModelFixture app;
        TestHome& home = app.home;
        auto appModel = app.makeModel();
        home.writeFile("work/evilapp/data/report.pdf", 65536);
        home.writeFile("work/evilapp/data/id_ed25519", 8192);
        home.writeFile("work/evilapp/Documents/notes.txt", 8192);
        home.writeText("Documents/report.pdf", "the user's report");
        home.writeText("Documents/notes.txt", "the user's notes");
        home.writeText(".ssh/id_ed25519", "the key");
        DiskMapEnvironment env; // the real scan and the real move
        env.defaults = &home.defaults();
        DiskMapModel model(env);
        model.setAppModel(appModel.get());
        model.scan(home("work"));
        QTRY_VERIFY_WITH_TIMEOUT(!model.isScanning(), 10000);
        const std::optional<DiskNode> node = findNode(*model.root(), home(picked));
        QVERIFY(node);
        QVERIFY(model.canTrash(*node));
        if (!swapped.isEmpty())
            QVERIFY(home.swapForLink(swapped, home(target)));

        model.trash(*node);
        QCOMPARE(TestHome::contents(home("Documents/report.pdf")), QByteArray("the user's report"));
        QCOMPARE(TestHome::contents(home("Documents/notes.txt")), QByteArray("the user's notes"));
        QCOMPARE(TestHome::contents(home(".ssh/id_ed25519")), QByteArray("the key"));
        if (swapped.isEmpty()) {
            QCOMPARE(appModel->history().size(), 1);
            QCOMPARE(appModel->history().first().items->first().original, home(picked));
            QVERIFY(!TestHome::lexists(home(picked)));
            QVERIFY(!model.message());
        } else {
            QVERIFY(appModel->history().isEmpty());
            QCOMPARE(model.message(), std::optional<QString>("Not moved: ~/" + picked + " changed since the scan"));
            QVERIFY(QDir(home(".local/share/Trash/files")).isEmpty());
        }
        model.stop();
    }

    void trashRecordsAndRescans()
    {
        Fixture f;
        const QString r = f.home("t");
        const DiskNode victim = folderNode(r + "/old", {fileNode(r + "/old/a", 8192)});
        f.model->scan(r);
        f.scans.waitForCall(0);
        f.scans.finish(0, folderNode(r, {victim}));
        QTRY_VERIFY(!f.model->isScanning());

        // Without the application model nothing happens.
        f.model->trash(victim);
        QVERIFY(f.scans.trashed.isEmpty());

        f.model->setAppModel(f.appModel.get());
        const int before = f.appModel->history().size();
        f.scans.trashSucceeds = false;
        f.model->trash(victim);
        QCOMPARE(f.scans.trashed, QStringList{victim.id()});
        QCOMPARE(f.appModel->history().size(), before);
        QCOMPARE(f.scans.callCount(), 1);
        QVERIFY(!f.model->isScanning());

        f.scans.trashSucceeds = true;
        f.model->trash(victim);
        QCOMPARE(f.appModel->history().size(), before + 1);
        const CleanRecord rec = f.appModel->history().first();
        QCOMPARE(rec.targetName, QStringLiteral("old"));
        QCOMPARE(rec.freed, qint64(8192));
        QVERIFY(rec.trashed);
        QCOMPARE(rec.items, (std::optional<QList<TrashedItem>>(QList<TrashedItem>{{victim.id(), "/trash/files/old"}})));
        QVERIFY(f.model->isScanning());
        QCOMPARE(f.scans.waitForCall(1), r);

        // Below a scan root that is a link, the move is given the item below the folder the
        // root led to when the scan started; the item itself is not resolved.
        f.app.home.writeFile("real/x.bin", 4096);
        f.app.home.symlink("linked", f.home("real"));
        f.model->scan(f.home("linked"));
        f.scans.waitForCall(2);
        const DiskNode x = fileNode(f.home("linked/x.bin"), 4096);
        f.scans.finish(2, folderNode(f.home("linked"), {x}));
        QTRY_VERIFY(!f.model->isScanning());
        f.model->trash(x);
        QCOMPARE(f.scans.trashed.last(), f.home("real/x.bin"));
        f.model->stop();

        // The synthetic node is never handed to the move; anything else is, and the move's rule
        // judges it where it finds it (the home folder itself is refused there).
        f.model->trash(syntheticNode(victim.id(), {fileNode(r + "/q", 1)}));
        QCOMPARE(f.scans.trashed.size(), 3);
        f.model->stop();
    }

    void pickFolder()
    {
        Fixture f;
        QString asked;
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest& r) -> std::optional<QString> {
            asked = r.acceptLabel + "|" + r.startPath;
            return std::nullopt;
        });
        f.model->pickFolderAndScan();
        QCOMPARE(asked, "Scan|" + f.home());
        QCOMPARE(f.scans.callCount(), 0);
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest&) { return std::optional(f.home("p")); });
        f.model->pickFolderAndScan();
        QCOMPARE(f.scans.waitForCall(0), f.home("p"));
        Dialogs::setPickHandlerForTesting({});
        f.model->stop();
    }

    // The real scanner behind the model, in a test home, and quitting cancels a running scan.
    void realScanAndCancelAtQuit()
    {
        TestHome home;
        home.writeFile("r/a.mov", 64 * 1024);
        home.writeFile("r/sub/b.txt", 8 * 1024);
        DiskMapEnvironment env;
        env.defaults = &home.defaults();
        DiskMapModel model(env);
        model.scan(home("r"));
        QTRY_VERIFY(!model.isScanning());
        QCOMPARE(idsOf(model.root()->children()), (QStringList{home("r/a.mov"), home("r/sub")}));
        QCOMPARE(model.scannedBytes(), model.root()->size());

        model.scan(home("r"));
        const CancelTokenPtr token = model.token();
        DiskMapModel::cancelAllScans();
        QVERIFY(token->isCancelled());
        // The cancelled scan unwinds before its test home goes away.
        QTRY_COMPARE_WITH_TIMEOUT(Background::userInitiated().activeThreadCount(), 0, 20000);
        settle();
    }
};

QTEST_MAIN(tst_DiskMapModel)
#include "tst_DiskMapModel.moc"
