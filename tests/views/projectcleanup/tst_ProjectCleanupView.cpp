// The Project Cleanup window over a scripted scan: what it shows in each state of its model, the
// filter chips, the footer and its select button, the confirmation, clicks on rows and headers
// (also on a pinned header), relative ages, the texts' contrast, and opening it from the shell.
#include "../../services/AppModelFakes.h"
#include "Palettes.h"
#include "ProjectScanScript.h"
#include "TextContrast.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FileManagerShell.h"
#include "views/WindowIds.h"
#include "views/Windows.h"
#include "views/components/CleanActionButton.h"
#include "views/components/ElidedLabel.h"
#include "views/components/EmptyState.h"
#include "views/components/LinkButton.h"
#include "views/components/SegmentedControl.h"
#include "views/projectcleanup/ProjectCleanupRows.h"
#include "views/projectcleanup/ProjectCleanupView.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QToolButton>

namespace {

const QDateTime kNow = QDateTime(QDate(2024, 6, 14), QTime(16, 0), Qt::UTC);

struct Window {
    ModelFixture f;
    std::unique_ptr<AppModel> app = f.makeModel();
    ProjectScanScript scans;
    std::unique_ptr<ProjectCleanupView> view;

    Window()
    {
        view = std::make_unique<ProjectCleanupView>(*app, scans.function());
        view->setNow(kNow);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->resize(680, 560);
    }
    ~Window()
    {
        view.reset();
        scans.endAll();
    }
    ProjectCleanupModel& model() { return view->model(); }
    // Shows the window (which starts its scan) and hands the scan `dirs`; ends it when `end`.
    void open(const QList<ProjectDir>& dirs = {}, bool end = true)
    {
        view->show();
        QTRY_COMPARE(scans.count(), 1);
        int n = 0;
        for (const ProjectDir& d : dirs)
            scans.found(++n, d);
        if (end)
            scans.end();
        QTRY_COMPARE(model().dirs().size(), dirs.size());
        if (end)
            QTRY_VERIFY(model().hasScanned());
        QCoreApplication::processEvents();
    }
    QString at(const QString& relative) const { return f.home(relative); }
    ProjectDir dir(const QString& relative, const QString& kind, qint64 size, int daysOld = -1) const
    {
        std::optional<QDateTime> modified;
        if (daysOld >= 0)
            modified = kNow.addDays(-daysOld);
        return projectDir(at(relative), kind, size, modified);
    }
    // The row index of the folder or header at `path`.
    QModelIndex indexOf(const QString& path) const
    {
        for (int r = 0; r < view->rows()->rowCount(); ++r) {
            const QModelIndex i = view->rows()->index(r);
            if (i.data(ProjectCleanupRows::PathRole).toString() == path)
                return i;
        }
        return {};
    }
    void click(const QPoint& at) { QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, at); }
};

} // namespace

class tst_ProjectCleanupView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        Dialogs::setConfirmHandlerForTesting({});
        FileManagerShell::setHandlerForTesting({});
    }

    // Opening starts one scan; showing again starts none. While it runs "Rescan" is off,
    // "Choose Folder…" on, and the toolbar and the centre count what was found.
    void openingScansOnceAndShowsProgress()
    {
        Window w;
        // Not scanned yet: an empty area.
        QVERIFY(w.view->shownContent() != w.view->list());
        QVERIFY(w.view->shownContent() != w.view->scanningIndicator());
        QVERIFY(w.view->shownContent() != w.view->emptyResult());
        w.view->show();
        QTRY_COMPARE(w.scans.count(), 1);
        QVERIFY(w.model().appModel() == w.app.get());
        w.view->hide();
        w.view->show();
        QCoreApplication::processEvents();
        QCOMPARE(w.scans.count(), 1);

        QVERIFY(!w.view->rescanButton()->isEnabled());
        QVERIFY(w.view->chooseButton()->isEnabled());
        QVERIFY(w.view->stopButton()->isVisible());
        QVERIFY(!w.view->rootsLabel()->isVisible());
        QCOMPARE(w.view->toolbarCount()->text(), QStringLiteral("Scanning… 0 found"));
        QCOMPARE(w.view->shownContent(), w.view->scanningIndicator());
        QCOMPARE(w.view->scanningText()->text(), QStringLiteral("Scanning ~/src, ~/dev… 0 found"));
        QVERIFY(!w.view->groupToggle()->isVisible());
        QVERIFY(!w.view->sortPicker()->isVisible());
        QVERIFY(!w.view->selectAllButton()->isVisible());

        w.scans.found(1, w.dir("src/a/node_modules", "node_modules", 100));
        QTRY_COMPARE(w.view->shownContent(), w.view->list());
        QCOMPARE(w.view->toolbarCount()->text(), QStringLiteral("Scanning… 1 found"));
        QVERIFY(w.view->groupToggle()->isVisible());
        QVERIFY(w.view->sortPicker()->isVisible());
        QVERIFY(w.view->selectAllButton()->isVisible());

        QTest::mouseClick(w.view->stopButton(), Qt::LeftButton);
        QVERIFY(!w.model().isScanning());
        QVERIFY(w.view->rescanButton()->isEnabled());
        QVERIFY(!w.view->stopButton()->isVisible());
        QVERIFY(w.view->rootsLabel()->isVisible());
        QCOMPARE(w.view->rootsLabel()->text(), QStringLiteral("~/src, ~/dev"));
        QCOMPARE(w.view->shownContent(), w.view->list());

        QTest::mouseClick(w.view->rescanButton(), Qt::LeftButton);
        QTRY_COMPARE(w.scans.count(), 2);
    }

    // The empty result names the roots searched and each one that is not there (the default
    // roots on a fresh home): a missing root never reads as a tidy one, it shows a warning. With
    // nothing listed there is no selection to count in the footer.
    void nothingFoundShowsTheEmptyResult_data()
    {
        QTest::addColumn<QStringList>("roots"); // none: the default ones, ~/src and ~/dev
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        const QString tidy = "checkmark.circle";
        const QString warning = "exclamationmark.triangle.fill";
        QTest::newRow("both there") << QStringList{} << QStringList{"src", "dev"} << tidy << "No build folders found"
                                    << "Nothing to clean under ~/src, ~/dev.";
        QTest::newRow("one missing") << QStringList{} << QStringList{"src"} << warning << "No build folders found"
                                     << "Nothing to clean under ~/src.\n~/dev doesn't exist.";
        QTest::newRow("both missing") << QStringList{} << QStringList{} << warning << "Project folders not found"
                                      << "~/src doesn't exist.\n~/dev doesn't exist.";
        QTest::newRow("the one root missing")
            << QStringList{"~/code"} << QStringList{} << warning << "Project folder not found"
            << "~/code doesn't exist.";
    }
    void nothingFoundShowsTheEmptyResult()
    {
        QFETCH(QStringList, roots);
        QFETCH(QStringList, present);
        QFETCH(QString, icon);
        QFETCH(QString, title);
        QFETCH(QString, message);
        Window w;
        if (!roots.isEmpty())
            w.app->settings().setProjectRoots(roots);
        for (const QString& folder : present)
            w.f.home.mkdir(folder);
        w.open();
        QCOMPARE(w.view->shownContent(), static_cast<QWidget*>(w.view->emptyResult()));
        QCOMPARE(w.view->emptyResult()->iconName(), icon);
        QCOMPARE(w.view->emptyResult()->titleText(), title);
        QCOMPARE(w.view->emptyResult()->messageLabel()->text(), message);
        QVERIFY(!w.view->filterRow()->isVisible());
        QVERIFY(!w.view->summaryLabel()->isVisible());
        QVERIFY(!w.view->selectedSizeLabel()->isVisible());
        QVERIFY(!w.view->trashButton()->isEnabled());
    }

    // With a large font nothing in the toolbar is squeezed: "Stop" and the buttons keep their own
    // width (the window widens for them), the count is shortened at its end but keeps its
    // number; the chips run on in a second row with "Clear" after them.
    void largeFontToolbarAndChips()
    {
        const QFont original = QApplication::font();
        QFont large = original;
        large.setPixelSize(20);
        QApplication::setFont(large);
        {
            Window w;
            w.open({}, false);
            QPushButton* stop = w.view->stopButton();
            QCOMPARE(stop->width(), stop->sizeHint().width());

            const QStringList kinds{"node_modules", "target",      "build",   ".next",       "dist",   "vendor",
                                    "Pods",         "DerivedData", ".gradle", "__pycache__", ".turbo", "coverage"};
            for (int i = 0; i < kinds.size(); ++i)
                w.scans.found(i + 1,
                              w.dir(QStringLiteral("src/p%1/%2").arg(QString::number(i), kinds[i]), kinds[i], 100 + i));
            QTRY_COMPARE(w.model().dirs().size(), kinds.size());
            QCoreApplication::processEvents();
            for (QWidget* b : QList<QWidget*>{w.view->rescanButton(), w.view->chooseButton(), stop,
                                              w.view->groupToggle(), w.view->sortPicker()})
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));
            QCOMPARE(stop->width(), stop->sizeHint().width());
            QTRY_VERIFY(w.view->toolbarCount()->displayedText().startsWith(QStringLiteral("Scanning… 12")));
            // At the window's narrowest the count still shows its number.
            w.view->resize(w.view->minimumSizeHint().width(), w.view->height());
            QCoreApplication::processEvents();
            QVERIFY2(w.view->toolbarCount()->displayedText().startsWith(QStringLiteral("Scanning… 12")),
                     qPrintable(w.view->toolbarCount()->displayedText()));

            QTest::mouseClick(w.view->chips().first(), Qt::LeftButton);
            QCoreApplication::processEvents();
            const QList<KindChip*> chips = w.view->chips();
            QCOMPARE(chips.size(), kinds.size());
            QVERIFY(chips.last()->y() > chips.first()->y());
            LinkButton* clear = w.view->clearButton();
            QVERIFY(clear->isVisible());
            QList<QWidget*> items(chips.begin(), chips.end());
            items << clear;
            for (QWidget* item : items) {
                QVERIFY2(item->parentWidget()->rect().contains(item->geometry()), qPrintable(item->objectName()));
                QCOMPARE(item->size(), item->sizeHint());
            }
            w.scans.end();
        }
        QApplication::setFont(original);
    }

    // Chips only with two kinds or more, in the order found, with their counts; a chip filters,
    // "Clear" shows while a filter is on and lifts it.
    void chipsFilterByKind()
    {
        Window w;
        w.open({w.dir("src/a/target", "target", 300)}, false);
        QVERIFY(!w.view->filterRow()->isVisible());
        w.scans.found(2, w.dir("src/b/node_modules", "node_modules", 200));
        w.scans.found(3, w.dir("src/c/target", "target", 100));
        w.scans.end();
        QTRY_VERIFY(w.model().hasScanned());
        QVERIFY(w.view->filterRow()->isVisible());
        const QList<KindChip*> chips = w.view->chips();
        QCOMPARE(chips.size(), 2);
        QCOMPARE(chips[0]->title(), QStringLiteral("target 2"));
        QCOMPARE(chips[1]->title(), QStringLiteral("node_modules 1"));
        QVERIFY(!w.view->clearButton()->isVisible());

        QTest::mouseClick(chips[1], Qt::LeftButton);
        QCOMPARE(w.model().activeKinds(), QSet<QString>{"node_modules"});
        QVERIFY(chips[1]->isActive());
        QVERIFY(!chips[0]->isActive());
        QVERIFY(w.view->clearButton()->isVisible());
        QCOMPARE(w.view->rows()->rowCount(), 1);
        QCOMPARE(w.view->chips().size(), 2); // every kind keeps its chip

        QTest::mouseClick(w.view->clearButton(), Qt::LeftButton);
        QVERIFY(w.model().activeKinds().isEmpty());
        QVERIFY(!w.view->clearButton()->isVisible());
        QCOMPARE(w.view->rows()->rowCount(), 3);
    }

    // "Select All" selects what is visible and turns into "Deselect All"; the footer counts the
    // visible folders; "Move to Trash" needs a visible selection.
    void footerFollowsTheVisibleSelection()
    {
        Window w;
        w.open({w.dir("src/a/target", "target", 3'000), w.dir("src/b/node_modules", "node_modules", 2'000),
                w.dir("src/c/target", "target", 1'000)});
        QCOMPARE(w.view->selectAllButton()->title(), QStringLiteral("Select All"));
        QCOMPARE(w.view->summaryLabel()->text(), QStringLiteral("0 of 3 selected · 6 KB total"));
        QVERIFY(!w.view->trashButton()->isEnabled());

        QTest::mouseClick(w.view->selectAllButton(), Qt::LeftButton);
        QCOMPARE(w.model().selected().size(), 3);
        QCOMPARE(w.view->selectAllButton()->title(), QStringLiteral("Deselect All"));
        QCOMPARE(w.view->summaryLabel()->text(), QStringLiteral("3 of 3 selected · 6 KB total"));
        QCOMPARE(w.view->selectedSizeLabel()->text(), QStringLiteral("6 KB"));
        QVERIFY(w.view->trashButton()->isEnabled());

        w.model().setActiveKinds({"node_modules"});
        QCOMPARE(w.view->summaryLabel()->text(), QStringLiteral("1 of 1 selected · 2 KB total"));
        QTest::mouseClick(w.view->selectAllButton(), Qt::LeftButton); // deselects the visible one
        QCOMPARE(w.model().selected().size(), 2);
        QCOMPARE(w.view->selectAllButton()->title(), QStringLiteral("Select All"));
        QVERIFY(!w.view->trashButton()->isEnabled()); // the hidden selection does not count

        // A filter that shows nothing: "Select All" selects nothing.
        w.model().setActiveKinds({"pods"});
        QCOMPARE(w.view->summaryLabel()->text(), QStringLiteral("0 of 0 selected · Zero KB total"));
        QCOMPARE(w.view->selectAllButton()->title(), QStringLiteral("Select All"));
        QTest::mouseClick(w.view->selectAllButton(), Qt::LeftButton);
        QCOMPARE(w.model().selected().size(), 2);
    }

    void confirmTitleCountsFolders_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("title");
        QTest::newRow("one") << 1 << "Move 1 build folder to the Trash?";
        QTest::newRow("two") << 2 << "Move 2 build folders to the Trash?";
        QTest::newRow("none") << 0 << "Move 0 build folders to the Trash?";
    }
    void confirmTitleCountsFolders()
    {
        QFETCH(int, count);
        QFETCH(QString, title);
        QCOMPARE(ProjectCleanupView::confirmTitle(count), title);
    }

    // "Move to Trash" asks first; only a yes moves the folders.
    void trashAsksFirst()
    {
        Window w;
        const QString a = w.f.home.mkdir("src/a/node_modules");
        w.open({projectDir(a, "node_modules", 12'000), w.dir("src/b/target", "target", 1'000)});
        QList<Dialogs::ConfirmRequest> asked;
        bool answer = false;
        Dialogs::setConfirmHandlerForTesting([&](const Dialogs::ConfirmRequest& r) {
            asked.append(r);
            return answer;
        });
        w.model().toggle(a);
        QTest::mouseClick(w.view->trashButton(), Qt::LeftButton);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].title, QStringLiteral("Move 1 build folder to the Trash?"));
        QCOMPARE(asked[0].confirmLabel, QStringLiteral("Move 12 KB to Trash"));
        QCOMPARE(asked[0].cancelLabel, QStringLiteral("Cancel"));
        QCOMPARE(asked[0].message,
                 QStringLiteral("They'll go to the Trash, so you can put them back. Build folders "
                                "regenerate next time you build."));
        QVERIFY(asked[0].destructive);
        QCOMPARE(w.model().dirs().size(), 2);
        QVERIFY(QFileInfo(a).isDir());

        answer = true;
        QTest::mouseClick(w.view->trashButton(), Qt::LeftButton);
        QCOMPARE(asked.size(), 2);
        QVERIFY(!QFileInfo::exists(a));
        QCOMPARE(w.model().dirs().size(), 1);
        QCOMPARE(w.app->history().first().targetName, QStringLiteral("1 project folder"));
    }

    // A click anywhere on a row toggles it; its buttons reveal and pin instead.
    void rowClicks()
    {
        Window w;
        const ProjectDir a = w.dir("src/a/node_modules", "node_modules", 2'000);
        w.open({a, w.dir("src/b/target", "target", 1'000)});
        QStringList revealed;
        FileManagerShell::setHandlerForTesting([&](FileManagerShell::Action action, const QString& path) {
            if (action == FileManagerShell::Action::Reveal)
                revealed.append(path);
        });
        const QModelIndex index = w.indexOf(a.path);
        const QRect rect = w.view->list()->visualRect(index);
        const auto layout = ProjectCleanupDelegate::folderLayout(rect, index);

        w.click(layout.path.center());
        QCOMPARE(w.model().selected(), QSet<QString>{a.path});
        QCOMPARE(index.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        w.click(layout.check.center());
        QVERIFY(w.model().selected().isEmpty());

        w.click(layout.reveal.center());
        QCOMPARE(revealed, QStringList{a.path});
        QVERIFY(w.model().selected().isEmpty());

        w.click(layout.pin.center());
        QCOMPARE(w.app->settings().ignoredFinderPaths(), QStringList{a.path});
        QCOMPARE(w.model().dirs().size(), 1);
        QCOMPARE(w.view->rows()->rowCount(), 1);
    }

    // Grouped: the header's circle selects the rest of its project, then none; a header pinned
    // at the top takes the click, not the row under it.
    void groupHeaders()
    {
        Window w;
        w.open({w.dir("src/big/node_modules", "node_modules", 9'000), w.dir("src/big/dist", "js_dist", 8'000),
                w.dir("src/small/target", "target", 1'000), w.dir("src/small/.gradle", "gradle_cache", 500)});
        QTest::mouseClick(w.view->groupToggle(), Qt::LeftButton);
        QVERIFY(w.model().groupByProject());
        QCOMPARE(w.view->rows()->rowCount(), 6);
        const QModelIndex header = w.indexOf(w.at("src/big"));
        QVERIFY(header.data(ProjectCleanupRows::IsHeaderRole).toBool());
        QCOMPARE(header.row(), 0);
        QCOMPARE(header.data(ProjectCleanupRows::ProjectNameRole).toString(), QStringLiteral("big"));
        QCOMPARE(header.data(ProjectCleanupRows::CountTextRole).toString(), QStringLiteral("2"));
        QCOMPARE(header.data(ProjectCleanupRows::SizeTextRole).toString(), QStringLiteral("17 KB"));

        w.model().toggle(w.at("src/big/dist"));
        QVERIFY(!header.data(ProjectCleanupRows::FullySelectedRole).toBool());
        const auto layout = ProjectCleanupDelegate::headerLayout(w.view->list()->visualRect(header), header);
        w.click(layout.circle.center());
        QCOMPARE(w.model().selected(), (QSet<QString>{w.at("src/big/dist"), w.at("src/big/node_modules")}));
        QVERIFY(header.data(ProjectCleanupRows::FullySelectedRole).toBool());
        w.click(layout.name.center()); // the rest of a header does nothing
        QCOMPARE(w.model().selected().size(), 2);
        w.click(layout.circle.center());
        QVERIFY(w.model().selected().isEmpty());

        // Scrolled so that the first project's first folder is at the top: its header is pinned.
        QVERIFY(!w.view->list()->pinnedHeaderIndex().isValid());
        w.view->setFixedHeight(260);
        QCoreApplication::processEvents();
        QScrollBar* bar = w.view->list()->verticalScrollBar();
        bar->setValue(w.view->list()->visualRect(w.view->rows()->index(1)).top() + bar->value() + 3);
        QCoreApplication::processEvents();
        QCOMPARE(w.view->list()->pinnedHeaderIndex(), header);
        const QRect pinned = w.view->list()->pinnedHeaderRect();
        QCOMPARE(pinned.top(), 0);
        w.click(ProjectCleanupDelegate::headerLayout(pinned, header).circle.center());
        QCOMPARE(w.model().selected(), (QSet<QString>{w.at("src/big/dist"), w.at("src/big/node_modules")}));
    }

    // Display values: the project's name, and the path with only a leading home as "~".
    void rowTexts()
    {
        Window w;
        const QString home = w.f.home.path();
        const ProjectDir twice =
            projectDir(home + "/mirror" + home + "/app/node_modules", "node_modules", 1, kNow.addDays(-3));
        w.open({twice});
        const QModelIndex i = w.indexOf(twice.path);
        QCOMPARE(i.data(ProjectCleanupRows::ProjectNameRole).toString(), QStringLiteral("app"));
        QCOMPARE(i.data(ProjectCleanupRows::DisplayPathRole).toString(), "~/mirror" + home + "/app/node_modules");
        QCOMPARE(i.data(ProjectCleanupRows::AgeTextRole).toString(), QStringLiteral("3 days ago"));
        QCOMPARE(i.data(Qt::AccessibleTextRole).toString(), QStringLiteral("app node_modules"));
    }

    void age_data()
    {
        QTest::addColumn<qint64>("secondsAgo"); // -1: no date
        QTest::addColumn<QString>("text");
        const qint64 day = 86'400;
        QTest::newRow("no date") << qint64(-1) << QString::fromUtf8("\u2014");
        QTest::newRow("in the future") << -3 * day << "today";
        QTest::newRow("23 hours") << 23 * 3600LL << "today";
        QTest::newRow("1 day") << day << "yesterday";
        QTest::newRow("47 hours") << 47 * 3600LL << "yesterday";
        QTest::newRow("2 days") << 2 * day << "2 days ago";
        QTest::newRow("29 days") << 29 * day << "29 days ago";
        QTest::newRow("30 days") << 30 * day << "1 mo ago";
        QTest::newRow("364 days") << 364 * day << "12 mo ago";
        QTest::newRow("365 days") << 365 * day << "1 yr ago";
        QTest::newRow("730 days") << 730 * day << "2 yr ago";
    }
    void age()
    {
        QFETCH(qint64, secondsAgo);
        QFETCH(QString, text);
        std::optional<QDateTime> date;
        if (secondsAgo != -1)
            date = kNow.addSecs(-secondsAgo);
        QCOMPARE(ProjectCleanupRows::age(date, kNow), text);
    }

    // Every text of the window, and the texts of a selected and an unselected row and of a
    // header, keep 4.5:1 in the light and the dark palette.
    void textsKeepTheirContrast_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void textsKeepTheirContrast()
    {
        QFETCH(bool, dark);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        {
            Window w;
            w.open({w.dir("src/a/node_modules", "node_modules", 3'000, 2), w.dir("src/b/target", "target", 1'000, 40)});
            w.model().toggle(w.at("src/a/node_modules"));
            w.model().setActiveKinds({"target"});
            w.model().setActiveKinds({});
            QCoreApplication::processEvents();
            QList<TextContrast::Text> texts = TextContrast::measure(w.view.get());
            QVERIFY(texts.size() >= 6);
            // The rows are drawn by the list's delegate: each text measured in its own rectangle.
            const QImage image = TextContrast::render(w.view->list()->viewport());
            const auto measureIn = [&](const QString& where, const QRect& r) {
                TextContrast::Text t = TextContrast::measureLogical(image, r);
                t.where = where;
                texts.append(t);
            };
            for (const QString& path : {w.at("src/a/node_modules"), w.at("src/b/target")}) {
                const QModelIndex i = w.indexOf(path);
                const auto l = ProjectCleanupDelegate::folderLayout(w.view->list()->visualRect(i), i);
                measureIn(path + " name", l.name);
                measureIn(path + " badge", l.badge.adjusted(3, 1, -3, -1));
                measureIn(path + " path", l.path);
                measureIn(path + " size", l.size);
                measureIn(path + " age", l.age);
            }
            w.model().setGroupByProject(true);
            QCoreApplication::processEvents();
            const QModelIndex h = w.indexOf(w.at("src/a"));
            const auto hl = ProjectCleanupDelegate::headerLayout(w.view->list()->visualRect(h), h);
            const QImage headerImage = TextContrast::render(w.view->list()->viewport());
            for (const auto& [where, r] : {std::pair{QStringLiteral("header name"), hl.name},
                                           std::pair{QStringLiteral("header total"), hl.total}}) {
                TextContrast::Text t = TextContrast::measureLogical(headerImage, r);
                t.where = where;
                texts.append(t);
            }
            const QString failed = TextContrast::failures(texts);
            QVERIFY2(failed.isEmpty(), qPrintable(failed));
        }
        QApplication::setPalette(before);
    }

    // The shell opens the window by its id, once.
    void opensAsItsScene()
    {
        Window w;
        Windows windows;
        windows.registerScene({WindowId::projectcleanup, QStringLiteral("Project Cleanup"),
                               [&] { return new ProjectCleanupView(*w.app, w.scans.function()); }, true, std::nullopt});
        QWidget* window = windows.open(WindowId::projectcleanup);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Project Cleanup"));
        QVERIFY(window->width() >= ProjectCleanupView(*w.app, w.scans.function()).minimumWidth());
        QTRY_COMPARE(w.scans.count(), 1);
        QCOMPARE(windows.open(WindowId::projectcleanup), window);
        QCOMPARE(w.scans.count(), 1);
        windows.close(WindowId::projectcleanup);
    }
};

QTEST_MAIN(tst_ProjectCleanupView)
#include "tst_ProjectCleanupView.moc"
