#include "../../services/AppModelFakes.h"
#include "DiskMapFakes.h"
#include "platform/MountedVolumes.h"
#include "platform/RawPath.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FileManagerShell.h"
#include "views/components/ElidedLabel.h"
#include "views/diskmap/DiskMapCanvas.h"
#include "views/diskmap/DiskMapSideList.h"
#include "views/diskmap/DiskMapStartScreen.h"
#include "views/diskmap/DiskMapStyle.h"
#include "views/diskmap/DiskMapView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QDateTime kNow(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC);

struct ViewFixture {
    ModelFixture app;
    ScriptedScans scans;
    std::unique_ptr<AppModel> appModel = app.makeModel();
    std::unique_ptr<DiskMapView> view;

    ViewFixture()
    {
        view = std::make_unique<DiskMapView>(*appModel, scans.environment(&app.home.defaults()));
        view->setNow([] { return kNow; });
        view->resize(900, 600);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
    ~ViewFixture() { view.reset(); }
    DiskMapModel& model() const { return view->model(); }
    QString home(const QString& rel = {}) const { return rel.isEmpty() ? app.home.path() : app.home(rel); }

    // Scans `path` and ends the scan with `tree` (by scan number `index`).
    void map(const QString& path, const DiskNode& tree, int index = 0)
    {
        model().scan(path);
        scans.waitForCall(index);
        scans.finish(index, tree);
        QTRY_VERIFY(!model().isScanning());
        settle();
    }
    template <typename T>
    T* child(const char* name) const
    {
        return view->findChild<T*>(QString::fromLatin1(name));
    }
};

QStringList actionTexts(const QMenu& menu)
{
    QStringList out;
    for (QAction* a : menu.actions())
        out << (a->isSeparator() ? QStringLiteral("—") : a->text() + (a->isEnabled() ? "" : " (off)"));
    return out;
}

QPoint centreOf(DiskMapCanvas* canvas, int tile) { return canvas->tiles().at(tile).rect.center().toPoint(); }

} // namespace

class tst_DiskMapView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Layout lengths are given for a 13-pixel body.
        QFont f = QApplication::font();
        f.setPixelSize(13);
        QApplication::setFont(f);
        FileManagerShell::setHandlerForTesting([](FileManagerShell::Action, const QString&) {});
    }

    void ageColours_data()
    {
        QTest::addColumn<int>("secondsAgo"); // INT_MIN: no date
        QTest::addColumn<double>("hue"); // -1: grey
        QTest::newRow("now") << 0 << 0.33;
        QTest::newRow("half a year") << int(182.5 * 86400) << 0.165;
        QTest::newRow("a year") << 365 * 86400 << 0.0;
        QTest::newRow("older") << 800 * 86400 << 0.0;
        QTest::newRow("future") << -86400 << 0.33;
        QTest::newRow("no date") << INT_MIN << -1.0;
    }
    void ageColours()
    {
        QFETCH(int, secondsAgo);
        QFETCH(double, hue);
        const std::optional<QDateTime> date =
            secondsAgo == INT_MIN ? std::nullopt : std::optional<QDateTime>(kNow.addSecs(-secondsAgo));
        const std::optional<double> got = DiskMapStyle::ageHue(date, kNow);
        if (hue < 0) {
            QVERIFY(!got);
            QCOMPARE(DiskMapStyle::ageColor(date, kNow), QColor::fromRgbF(0.5f, 0.5f, 0.5f));
            return;
        }
        QVERIFY(got);
        QVERIFY2(qAbs(*got - hue) < 1e-9, qPrintable(QString::number(*got)));
        const QColor c = DiskMapStyle::ageColor(date, kNow);
        QVERIFY(qAbs(c.hsvSaturationF() - 0.62) < 0.01 && qAbs(c.valueF() - 0.82) < 0.01);
    }

    void coloursAndLegend()
    {
        const DiskNode log = fileNode("/h/a.log", 10, FileCategory::caches, kNow);
        const DiskNode folded = syntheticNode("/h/x", {fileNode("/h/y.mov", 5, FileCategory::video)});
        const QColor grey = QColor::fromRgbF(0.5f, 0.5f, 0.5f);
        QCOMPARE(DiskMapStyle::color(folded, DiskColorMode::type, kNow), grey);
        QCOMPARE(DiskMapStyle::color(folded, DiskColorMode::age, kNow), grey);
        QCOMPARE(DiskMapStyle::color(log, DiskColorMode::type, kNow),
                 DiskMapStyle::categoryColor(FileCategory::caches));
        // The legend lists each category once, in case order, never the folded node's.
        const QList<DiskNode> kids = {fileNode("/h/b.txt", 90, FileCategory::documents),
                                      fileNode("/h/c.mov", 50, FileCategory::video), log,
                                      fileNode("/h/d.pdf", 5, FileCategory::documents), folded};
        QCOMPARE(DiskMapStyle::presentCategories(kids),
                 (QList<FileCategory>{FileCategory::video, FileCategory::documents, FileCategory::caches}));
        QVERIFY(DiskMapStyle::presentCategories(QList<DiskNode>{folded}).isEmpty());
        QCOMPARE(DiskMapStyle::categoryLabel(FileCategory::caches), QStringLiteral("Caches & logs"));
        QCOMPARE(DiskMapStyle::displayName(folded), QStringLiteral("(smaller items)/"));
        QCOMPARE(DiskMapStyle::displayName(log), QStringLiteral("a.log"));
    }

    // Nodes are told apart by id; the quick look-up must agree with it, equal sizes included.
    void sameNode()
    {
        const DiskNode a = fileNode("/h/a", 4096), b = fileNode("/h/b", 4096);
        const DiskNode folded = syntheticNode("/h/a", {a}), otherFolded = syntheticNode("/h/b", {b});
        const NodeList list(QList<DiskNode>{b, folded, a});
        QCOMPARE(list.indexOf(fileNode("/h/a", 4096), true), 2);
        QCOMPARE(list.indexOf(fileNode("/h/a", 512), true), -1); // another size: not the one shown
        QCOMPARE(list.indexOf(fileNode("/h/a", 512), false), 2);
        QCOMPARE(list.indexOf(syntheticNode("/h/a", {a}), true), 1);
        QCOMPARE(list.indexOf(otherFolded, true), -1);
        QCOMPARE(NodeList(QList<DiskNode>{fileNode("/h/" + RawPath::key("x\xfe"), 1)})
                     .indexOf(fileNode("/h/" + RawPath::key("x\xff"), 1), true),
                 -1);
    }

    void tileGeometry_data()
    {
        QTest::addColumn<QSizeF>("tile");
        QTest::addColumn<bool>("name");
        QTest::addColumn<bool>("size");
        QTest::addColumn<double>("radius");
        QTest::newRow("54 x 26: no label") << QSizeF(54, 26) << false << false << 5.0;
        QTest::newRow("54.5 x 26.5: name") << QSizeF(54.5, 26.5) << true << false << 5.0;
        QTest::newRow("41 high: size too") << QSizeF(80, 41) << true << true << 5.0;
        QTest::newRow("40 high: no size") << QSizeF(80, 40) << true << false << 5.0;
        QTest::newRow("11 high: radius 3") << QSizeF(80, 11) << false << false << 3.0;
        QTest::newRow("17 high: radius 5") << QSizeF(80, 17) << false << false << 5.0;
    }
    void tileGeometry()
    {
        QFETCH(QSizeF, tile);
        QFETCH(bool, name);
        QFETCH(bool, size);
        QFETCH(double, radius);
        const QRectF painted = DiskMapStyle::paintedRect(QRectF(QPointF(10, 10), tile));
        QCOMPARE(DiskMapStyle::showsName(painted), name);
        QCOMPARE(DiskMapStyle::showsSize(painted), size);
        QCOMPARE(DiskMapStyle::cornerRadius(painted), radius);
    }

    void tooltipPlacementAndShares()
    {
        const QSizeF map(800, 500);
        QCOMPARE(DiskMapStyle::tooltipCenter({10, 200}, map), QPointF(90, 170));
        QCOMPARE(DiskMapStyle::tooltipCenter({795, 40}, map), QPointF(710, 24));
        QCOMPARE(DiskMapStyle::share(10, 0), 0.0);
        QCOMPARE(DiskMapRowDelegate::filledWidth(200, 0.0), 2.0);
        QCOMPARE(DiskMapStyle::sharePercent(0.125), 13);
        QCOMPARE(DiskMapStyle::sharePercent(0.0), 0);
    }

    void startScreenAndStop()
    {
        MountedVolumes::setMountsForTesting(QList<MountedVolumes::Mount>{
            {"/", "/dev/sda2", "ext4", "", true}, {"/media/u/Stick", "/dev/sdc1", "vfat", "", true}});
        ViewFixture f;
        QVERIFY(f.view->isShowingStartScreen());
        QStringList labels;
        for (PresetCard* c : f.view->startScreen()->cards())
            labels << c->text();
        QCOMPARE(labels.first(), QStringLiteral("Home"));
        QCOMPARE(labels.mid(labels.size() - 2), (QStringList{"Stick", "Choose Folder…"}));
        QCOMPARE(labels.count("Whole Disk"), 1); // the start-up disk is never a volume card
        MountedVolumes::setMountsForTesting(std::nullopt);

        // A card starts its scan and the map screen shows at once; Stop before the first child
        // goes back to the start screen.
        QTest::mouseClick(f.view->startScreen()->cards().at(0), Qt::LeftButton);
        QCOMPARE(f.scans.waitForCall(0), f.home());
        QVERIFY(!f.view->isShowingStartScreen());
        QVERIFY(!f.child<QToolButton>("rescanButton")->isEnabled());
        QTest::mouseClick(f.child<QPushButton>("stopButton"), Qt::LeftButton);
        QVERIFY(f.view->isShowingStartScreen());

        // Stopped after a child: the partial map stays, with breadcrumbs, picker and rescan.
        f.model().scan(f.home("p"));
        f.scans.waitForCall(1);
        f.scans.children(1, {fileNode(f.home("p/a"), 100)});
        QTRY_VERIFY(f.model().root());
        QVERIFY(!f.child<QWidget>("modePicker")->isVisible());
        QTest::mouseClick(f.child<QPushButton>("stopButton"), Qt::LeftButton);
        QVERIFY(!f.view->isShowingStartScreen());
        QVERIFY(f.child<QToolButton>("rescanButton")->isEnabled());
        QVERIFY(f.child<QWidget>("modePicker")->isVisible());
        QCOMPARE(f.view->breadcrumbTexts(), QStringList{"~/p"});
    }

    void breadcrumbs()
    {
        ViewFixture f;
        const QString h = f.home();
        const DiskNode sub = folderNode(h + "/Projects/app", {fileNode(h + "/Projects/app/a.c", 10)});
        const DiskNode projects = folderNode(h + "/Projects", {sub});
        f.map(h, folderNode(h, {projects}));
        QCOMPARE(f.view->breadcrumbTexts(), QStringList{"~"});
        f.model().zoom(projects);
        f.model().zoom(sub);
        QCOMPARE(f.view->breadcrumbTexts(), (QStringList{"~", "Projects", "app"}));
        // A crumb squeezed below an ellipsis still shows one, never an empty button.
        QList<QToolButton*> crumbs = f.view->breadcrumbButtons();
        QToolButton* squeezed = crumbs.at(1);
        const QSize wide = squeezed->size();
        squeezed->resize(1, wide.height());
        QResizeEvent resized(squeezed->size(), wide);
        QCoreApplication::sendEvent(squeezed, &resized);
        QCOMPARE(squeezed->text(), QString(QChar(0x2026)));
        // A crumb goes back to its depth.
        QTest::mouseClick(crumbs.at(1), Qt::LeftButton);
        QCOMPARE(f.model().stack().size(), 1);

        // The home folder is written "~" only where it leads the path.
        const QString elsewhere = "/srv" + h;
        f.map(elsewhere, folderNode(elsewhere, {fileNode(elsewhere + "/x", 5)}), 1);
        QCOMPARE(f.view->breadcrumbTexts(), QStringList{elsewhere});
        f.map("/", folderNode("/", {fileNode("/x", 5)}), 2);
        QCOMPARE(f.view->breadcrumbTexts(), QStringList{"/"});
    }

    void clicksAndKeys()
    {
        ViewFixture f;
        const QString r = f.home("m");
        const DiskNode big = folderNode(r + "/big", {fileNode(r + "/big/x", 600), fileNode(r + "/big/y", 100)});
        const DiskNode mid = fileNode(r + "/mid.txt", 300, FileCategory::documents);
        const DiskNode small = fileNode(r + "/small.txt", 100, FileCategory::documents);
        f.map(r, folderNode(r, {big, mid, small}));
        DiskMapCanvas* canvas = f.view->canvas();
        const int layouts = canvas->layoutCount();

        // A single click selects once the double-click time has passed.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, centreOf(canvas, 1));
        QTRY_VERIFY(f.model().selection());
        QCOMPARE(f.model().selection()->id(), mid.id());
        // Hovering and selecting repaint but never lay out again.
        QTest::mouseMove(canvas, centreOf(canvas, 2));
        QTRY_VERIFY(canvas->hovered());
        QCOMPARE(canvas->hovered()->id(), small.id());
        QCOMPARE(canvas->layoutCount(), layouts);

        // Keys: down, up; Return on a file does nothing; on a folder it zooms; left and Escape go up.
        canvas->setFocus();
        QTest::keyClick(canvas, Qt::Key_Down);
        QCOMPARE(f.model().selection()->id(), small.id());
        QTest::keyClick(canvas, Qt::Key_Down);
        QCOMPARE(f.model().selection()->id(), small.id());
        QTest::keyClick(canvas, Qt::Key_Return);
        QVERIFY(f.model().stack().isEmpty());
        QTest::keyClick(canvas, Qt::Key_Up);
        QTest::keyClick(canvas, Qt::Key_Up);
        QCOMPARE(f.model().selection()->id(), big.id());
        QTest::keyClick(canvas, Qt::Key_Return);
        QCOMPARE(idsOf(f.model().stack()), QStringList{big.id()});
        QTest::keyClick(canvas, Qt::Key_Left);
        QVERIFY(f.model().stack().isEmpty());
        f.model().zoom(big);
        QTest::keyClick(canvas, Qt::Key_Escape);
        QVERIFY(f.model().stack().isEmpty());

        // A double click zooms, and the first click of it selects nothing afterwards.
        f.model().setSelection(std::nullopt);
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, centreOf(canvas, 0));
        QCOMPARE(idsOf(f.model().stack()), QStringList{big.id()});
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QVERIFY(!f.model().selection());
        // The detail bar now shows the node that was under the pointer (hovered) until it moves.
        QVERIFY(canvas->layoutCount() > layouts);
    }

    void tinyTilesAreFoundButNotPainted()
    {
        ViewFixture f;
        const QString r = f.home("t");
        f.map(r, folderNode(r, {fileNode(r + "/huge", 1'000'000), fileNode(r + "/sliver", 1)}));
        DiskMapCanvas* canvas = f.view->canvas();
        const QRectF sliver = canvas->tiles().last().rect;
        QVERIFY(DiskMapStyle::paintedRect(sliver).width() <= 0 || DiskMapStyle::paintedRect(sliver).height() <= 0);
        QCOMPARE(canvas->tileIndexAt(sliver.center()), 1);
        canvas->hoverAt(sliver.center());
        QCOMPARE(canvas->hovered()->id(), r + "/sliver");
    }

    void contextMenus()
    {
        ViewFixture f;
        const QString r = f.home("c");
        const DiskNode dir = folderNode(r + "/dir", {fileNode(r + "/dir/a", 50)});
        const DiskNode file = fileNode(r + "/f.txt", 40);
        const DiskNode folded = syntheticNode(dir.id(), {fileNode(r + "/s1", 1)});
        const DiskNode emptyFolded = syntheticNode(dir.id(), {});
        const DiskNode notUtf8 = fileNode(r + "/" + RawPath::key("bad\xff"), 10);
        f.map(r, folderNode(r, {dir, file}));
        const QString reveal = FileManagerShell::revealLabel();
#ifndef Q_OS_MACOS
        QCOMPARE(reveal, QStringLiteral("Show in File Manager"));
#endif
        const auto menuFor = [&](const DiskNode& n) {
            QMenu menu;
            f.view->fillNodeMenu(menu, n);
            return actionTexts(menu);
        };
        QCOMPARE(menuFor(dir), (QStringList{"Zoom In", "—", reveal, "Open", "—", "Move to Trash"}));
        QCOMPARE(menuFor(file), (QStringList{reveal, "Open", "—", "Move to Trash"}));
        QCOMPARE(menuFor(folded), QStringList{"Zoom In"});
        QCOMPARE(menuFor(emptyFolded), QStringList{"Smaller items folded together (off)"});
        // A name that is not the item's own path is never handed to the desktop or the Trash.
        QCOMPARE(menuFor(notUtf8), (QStringList{reveal + " (off)", "Open (off)", "—", "Move to Trash (off)"}));

        // Reveal and Open go to the desktop with the item's path.
        QStringList asked;
        FileManagerShell::setHandlerForTesting(
            [&](FileManagerShell::Action a, const QString& p) { asked << QString::number(int(a)) + ":" + p; });
        QMenu menu;
        f.view->fillNodeMenu(menu, file);
        menu.actions().at(0)->trigger();
        menu.actions().at(1)->trigger();
        QCOMPARE(asked, (QStringList{"0:" + file.path(), "1:" + file.path()}));
        FileManagerShell::setHandlerForTesting([](FileManagerShell::Action, const QString&) {});

        // Over the map the menu is for the hovered tile, even with another node selected.
        f.model().setSelection(file);
        f.view->canvas()->hoverAt(QPointF(centreOf(f.view->canvas(), 0)));
        QCOMPARE(f.view->canvas()->menuTarget()->id(), dir.id());
    }

    void trashDialog()
    {
        ViewFixture f;
        const QString r = f.home("d");
        const DiskNode victim = folderNode(r + "/old stuff", {fileNode(r + "/old stuff/a", 2'000'000)});
        f.map(r, folderNode(r, {victim}));
        QList<Dialogs::ConfirmRequest> asked;
        bool answer = false;
        bool pendingWhileAsked = true;
        Dialogs::setConfirmHandlerForTesting([&](const Dialogs::ConfirmRequest& q) {
            asked << q;
            pendingWhileAsked = pendingWhileAsked && f.view->pendingTrash().has_value();
            return answer;
        });
        // Refused before anyone is asked: the folded node and the home folder.
        f.view->requestTrash(syntheticNode(victim.id(), {fileNode(r + "/q", 1)}));
        f.view->requestTrash(folderNode(f.home(), {}));
        QVERIFY(asked.isEmpty());

        f.view->requestTrash(victim);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].title, QStringLiteral("Move \u201Cold stuff\u201D to the Trash?"));
        QCOMPARE(asked[0].message, QStringLiteral("Frees 2 MB. You can put it back from the Trash."));
        QCOMPARE(asked[0].confirmLabel, QStringLiteral("Move to Trash"));
        QVERIFY(asked[0].destructive);
        QVERIFY(pendingWhileAsked);
        QVERIFY(!f.view->pendingTrash());
        QVERIFY(f.scans.trashed.isEmpty());

        answer = true;
        const int before = f.appModel->history().size();
        f.view->requestTrash(victim);
        QCOMPARE(f.scans.trashed, QStringList{victim.path()});
        QCOMPARE(f.appModel->history().size(), before + 1);
        QCOMPARE(f.scans.waitForCall(1), r); // the same folder scanned again
        Dialogs::setConfirmHandlerForTesting({});
        f.model().stop();
    }

    void afterAMoveAndUnderAMenu()
    {
        ViewFixture f;
        const QString r = f.home("m");
        const DiskNode victim = folderNode(r + "/gone", {fileNode(r + "/gone/a", 3'000'000)});
        const DiskNode kept = fileNode(r + "/kept.bin", 1'000'000);
        f.map(r, folderNode(r, {victim, kept}));
        DiskMapCanvas* canvas = f.view->canvas();
        auto* title = f.child<ElidedLabel>("detailTitle");
        QCOMPARE(canvas->tiles().at(0).node.name(), QStringLiteral("gone"));

        // A menu over a tile hides its tooltip; it is still the menu for that tile.
        const QPoint over = centreOf(canvas, 0);
        canvas->hoverAt(QPointF(over));
        QVERIFY(canvas->hoverPoint());
        // Nothing is selected: a menu can only be the hovered tile's.
        QVERIFY(!f.model().selection());
        const std::optional<DiskNode> target = canvas->menuTarget();
        QVERIFY(target);
        QCOMPARE(target->name(), QStringLiteral("gone"));
        bool tooltipWhileMenu = true;
        bool menuShown = false;
        QTimer::singleShot(0, [&] {
            tooltipWhileMenu = canvas->hoverPoint().has_value();
            if (QWidget* popup = QApplication::activePopupWidget()) {
                menuShown = true;
                popup->close();
            }
        });
        QContextMenuEvent press(QContextMenuEvent::Mouse, over, canvas->mapToGlobal(over));
        QApplication::sendEvent(canvas, &press);
        QVERIFY(!tooltipWhileMenu);
        QVERIFY(menuShown);

        // Moved to the Trash while hovered and selected: neither the detail bar nor the tooltip
        // speaks of it while the folder is scanned again, nor once the new map is in.
        f.model().setSelection(victim);
        Dialogs::setConfirmHandlerForTesting([](const Dialogs::ConfirmRequest&) { return true; });
        f.view->requestTrash(victim);
        Dialogs::setConfirmHandlerForTesting({});
        QCOMPARE(f.scans.trashed, QStringList{victim.path()});
        f.scans.waitForCall(1);
        QVERIFY(!canvas->hovered());
        QVERIFY(!f.view->detailNode() || f.view->detailNode()->name() != QStringLiteral("gone"));
        f.scans.finish(1, folderNode(r, {kept}));
        QTRY_VERIFY(!f.model().isScanning());
        settle();
        QVERIFY(!canvas->hovered());
        QCOMPARE(title->text(), QStringLiteral("~/m"));
    }

    void detailBarAndLegend()
    {
        ViewFixture f;
        const QString h = f.home();
        const DiskNode log = fileNode(h + "/a.log", 400, FileCategory::caches);
        const DiskNode movie = fileNode(h + "/b.mov", 300, FileCategory::video);
        const DiskNode folded = syntheticNode(log.id(), {fileNode(h + "/c", 2), fileNode(h + "/d", 1)});
        f.map(h, folderNode(h, {log, movie, folded}));
        auto* title = f.child<ElidedLabel>("detailTitle");
        auto* path = f.child<ElidedLabel>("detailPath");
        auto* trash = f.child<QToolButton>("trashButton");
        // The root of the scan: title and path line both "~".
        QCOMPARE(title->text(), QStringLiteral("~"));
        QCOMPARE(path->text(), QStringLiteral("~"));
        QVERIFY(!trash->isVisible());
        // Hovered, nothing selected: that node, without buttons.
        f.view->canvas()->hoverAt(QPointF(centreOf(f.view->canvas(), 1)));
        QCOMPARE(title->text(), QStringLiteral("b.mov"));
        QCOMPARE(path->text(), QStringLiteral("~/b.mov"));
        QVERIFY(!trash->isVisible());
        // The folded node: name, size and identifier, no buttons.
        f.model().setSelection(folded);
        QCOMPARE(title->text(), QStringLiteral("(smaller items)"));
        QCOMPARE(path->text(), QStringLiteral("~/a.log#other"));
        QVERIFY(!trash->isVisible());
        f.model().setSelection(log);
        QVERIFY(trash->isVisible() && trash->isEnabled());
        QVERIFY(f.child<QToolButton>("revealButton")->isVisible());

        // Legend and side list follow the folder shown: categories in case order.
        QCOMPARE(f.view->legendCategories(), (QList<FileCategory>{FileCategory::video, FileCategory::caches}));
        QVERIFY(f.view->sideList()->isVisible());
        QCOMPARE(f.view->sideList()->listModel().rowCount(), 3);
        f.view->setColorMode(DiskColorMode::age);
        QVERIFY(f.view->findChild<QWidget*>("legend:age"));
        // A folder whose children are all folded still has the legend row and the list.
        f.model().zoom(folded);
        QVERIFY(f.view->sideList()->isVisible());
        // An empty folder has neither; the canvas takes the width and shows its placeholder.
        f.map(h + "/e", folderNode(h + "/e", {}), 1);
        QVERIFY(!f.view->sideList()->isVisible());
        QVERIFY(f.view->canvas()->tiles().isEmpty());
    }

    void sideListRows()
    {
        ViewFixture f;
        const QString h = f.home("l");
        const DiskNode dir = folderNode(h + "/sub", {fileNode(h + "/sub/x", 100)});
        const DiskNode log = fileNode(h + "/a.log", 700, FileCategory::caches);
        f.map(h, folderNode(h, {log, dir}));
        DiskMapSideList* list = f.view->sideList();
        const DiskMapListModel& rows = list->listModel();
        QCOMPARE(rows.data(rows.index(0), Qt::DisplayRole).toString(), QStringLiteral("a.log"));
        QCOMPARE(rows.data(rows.index(1), Qt::DisplayRole).toString(), QStringLiteral("sub/"));
        QCOMPARE(rows.data(rows.index(0), Qt::AccessibleTextRole).toString(), QStringLiteral("a.log, Caches & logs"));
        QCOMPARE(rows.data(rows.index(1), Qt::AccessibleTextRole).toString(), QStringLiteral("sub, folder"));
        QCOMPARE(rows.data(rows.index(0), Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("700 bytes, 88 percent"));
        QVERIFY(rows.data(rows.index(1), Qt::AccessibleDescriptionRole).toString().endsWith("Double-tap to open"));

        // A click selects, a double click on a folder zooms.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(rows.index(0)).center());
        QCOMPARE(f.model().selection()->id(), log.id());
        QVERIFY(rows.data(rows.index(0), DiskMapListModel::SelectedRole).toBool());
        // As a real double click: a click, then the second press.
        const QPoint second = list->visualRect(rows.index(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(idsOf(f.model().stack()), QStringList{dir.id()});
    }

    // A live folder of many items: the list and the map keep up without a widget per item.
    void manyItems()
    {
        ViewFixture f;
        const QString r = f.home("many");
        f.model().scan(r);
        f.scans.waitForCall(0);
        QList<DiskNode> nodes;
        for (int i = 0; i < 30000; ++i)
            nodes << fileNode(r + "/f" + QString::number(i), 4096 + (i % 50) * 512);
        f.scans.children(0, nodes);
        f.scans.drain(0);
        QTRY_COMPARE(f.view->sideList()->listModel().rowCount(), 30000);
        QCOMPARE(f.view->canvas()->tiles().size(), 30000);
        f.model().stop();
    }
};

QTEST_MAIN(tst_DiskMapView)
#include "tst_DiskMapView.moc"
