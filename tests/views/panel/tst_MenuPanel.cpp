#include "../../services/AppModelFakes.h"
#include "platform/ByteCountFormatter.h"
#include "platform/DesktopTerms.h"
#include "platform/ToolPaths.h"
#include "views/Windows.h"
#include "views/components/FocusRing.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/panel/MenuPanelView.h"
#include "views/panel/TargetRowView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Every window id the panel can open, each with an empty content that notes the large-files
// tab the model held when the window was made.
struct RecordingWindows {
    Windows windows;
    QStringList opened;
    QList<int> tabsAtOpen;
    explicit RecordingWindows(AppModel* model, const QStringList& ids)
    {
        for (const QString& id : ids)
            windows.registerScene({id, id,
                                   [this, id, model] {
                tabsAtOpen.append(model ? model->largeFilesTab() : -1);
                return new QWidget;
                                   },
                                   true, std::nullopt});
        QObject::connect(&windows, &Windows::opened, [this](const QString& id) { opened.append(id); });
    }
};

QList<TargetState> withState(QList<TargetState> list, const QString& id, std::optional<qint64> size, bool scanning)
{
    for (TargetState& t : list)
        if (t.target.id == id) {
            t.size = size;
            t.isScanning = scanning;
        }
    return list;
}

// A model in developer mode, its targets listed for it.
std::unique_ptr<AppModel> developerModel(ModelFixture& f)
{
    auto model = f.makeModel();
    model->settings().setDeveloperMode(true);
    model->rebuildTargets();
    return model;
}

// A panel in a window that takes the panel's size, as the tray's popup and the panel window do
// (a window of its own would be held to part of the screen, and its list would give way).
MenuPanelView& hostedPanel(QWidget& host, AppModel& model, Windows& windows, Clock* clock)
{
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* panel = new MenuPanelView(model, windows, clock);
    layout->addWidget(panel);
    return *panel;
}

// Lets a clearing of everything run to its end, each target freeing `each` bytes.
void finishCleaningAll(ModelFixture& f, AppModel& model, qint64 each = 0)
{
    for (int guard = 0; model.isCleaningAll() && guard < 500; ++guard) {
        if (!f.cleanGates.empty() && !f.cleanGates.back()->promise.future().isFinished())
            f.finishClean(CleanOutcome{each, std::nullopt, {}});
        settle();
    }
}

} // namespace

class tst_MenuPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The panel's lengths are drawn for a 13-pixel body: at that font they are the design's own.
    void initTestCase()
    {
        QFont f = QApplication::font();
        f.setPixelSize(13);
        QApplication::setFont(f);
    }

    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void freshnessText_data()
    {
        QTest::addColumn<bool>("scanning");
        QTest::addColumn<bool>("scanned");
        QTest::addColumn<qint64>("secondsAgo");
        QTest::addColumn<QString>("text");
        QTest::newRow("never") << false << false << qint64(0) << "";
        QTest::newRow("just finished") << false << true << qint64(0) << "just now";
        QTest::newRow("9 s") << false << true << qint64(9) << "just now";
        QTest::newRow("10 s") << false << true << qint64(10) << "10s ago";
        QTest::newRow("59 s") << false << true << qint64(59) << "59s ago";
        QTest::newRow("60 s") << false << true << qint64(60) << "1m ago";
        QTest::newRow("3599 s") << false << true << qint64(3599) << "59m ago";
        QTest::newRow("3600 s") << false << true << qint64(3600) << "1h ago";
        QTest::newRow("7199 s") << false << true << qint64(7199) << "1h ago";
        QTest::newRow("90000 s") << false << true << qint64(90000) << "25h ago";
        QTest::newRow("in the future") << false << true << qint64(-3600) << "just now";
        QTest::newRow("scanning, scanned before") << true << true << qint64(5000) << "Scanning\u2026";
        QTest::newRow("scanning, never scanned") << true << false << qint64(0) << "Scanning\u2026";
    }
    void freshnessText()
    {
        QFETCH(bool, scanning);
        QFETCH(bool, scanned);
        QFETCH(qint64, secondsAgo);
        QFETCH(QString, text);
        ModelFixture f;
        auto model = f.makeModel();
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        if (scanned)
            model->setLastScan(f.clock.now().addSecs(-secondsAgo));
        if (scanning)
            model->setTargets(withState(model->targets(), "trash", std::nullopt, true));
        settle();
        QCOMPARE(panel.freshnessLabel()->text(), text);
        // The rescan button keeps its place at the right edge, also with no text.
        QVERIFY(panel.rescanButton()->isEnabled());
        QCOMPARE(panel.rescanButton()->size(), QSize(26, 26));
    }

    void freshnessFollowsTheClockOnAnyModelChange()
    {
        ModelFixture f;
        auto model = f.makeModel();
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        model->setLastScan(f.clock.now());
        settle();
        QCOMPARE(panel.freshnessLabel()->text(), QString("just now"));
        f.clock.set(f.clock.now().addSecs(125));
        model->setDisk(f.disk); // the refresh timer publishes the disk figures every few seconds
        settle();
        QCOMPARE(panel.freshnessLabel()->text(), QString("2m ago"));
    }

    void listHeight_data()
    {
        QTest::addColumn<int>("targets");
        QTest::addColumn<int>("sections");
        QTest::addColumn<int>("height");
        QTest::newRow("empty") << 0 << 0 << 44;
        QTest::newRow("one row") << 1 << 1 << 72;
        QTest::newRow("5 in 2") << 5 << 2 << 276;
        QTest::newRow("10 in 3 capped") << 10 << 3 << 360;
    }
    void listHeight()
    {
        QFETCH(int, targets);
        QFETCH(int, sections);
        QFETCH(int, height);
        QCOMPARE(MenuPanelView::listHeightFor(targets, sections), height);
    }

    void simpleGroupsWriteThroughTheModel()
    {
        ModelFixture f;
        auto model = f.makeModel();
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        panel.show();
        settle();
        QVERIFY(!panel.showsSectionedList());
        QVERIFY(panel.targetScrollArea()->isHidden());
        const QList<SimpleGroupRow*> rows = panel.groupRows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0]->group().id, QString("syscache"));
        QCOMPARE(rows[2]->group().id, QString("trash"));
        QVERIFY(rows[0]->showsDivider());
        QVERIFY(rows[1]->showsDivider());
        QVERIFY(!rows[2]->showsDivider());
        QCOMPARE(rows[0]->height(), 44);
        QCOMPARE(rows[0]->checkBox()->toolTip(), QString("Include in clean-up"));
        QCOMPARE(rows[0]->checkBox()->accessibleName(), QString("Include System & app caches in clean-up"));

        // Unchecking a fully enabled group disables every member.
        const QStringList members = rows[0]->group().targetIDs;
        QVERIFY(members.size() > 1);
        QTest::mouseClick(rows[0]->checkBox(), Qt::LeftButton);
        for (const QString& id : members)
            QVERIFY2(model->settings().disabledTargetIDs().contains(id), qPrintable(id));
        settle();
        QCOMPARE(panel.groupRows()[0], rows[0]); // the same row, updated
        QVERIFY(!rows[0]->checkBox()->isChecked());
        // Dimmed, but still readable against the panel.
        const QColor window = rows[0]->palette().color(QPalette::Window);
        QVERIFY(rows[0]->titleColor() != Style::primary());
        QVERIFY(Style::contrastRatio(rows[0]->titleColor(), window) >= 4.5);
        QVERIFY(Style::contrastRatio(rows[0]->titleColor(), window) < Style::contrastRatio(Style::primary(), window));
        QCOMPARE(rows[0]->symbolTint(), Style::secondary());

        // One member enabled again: the group still counts as off; checking enables all.
        model->settings().setEnabled(true, members[0]);
        settle();
        QVERIFY(!rows[0]->checkBox()->isChecked());
        QTest::mouseClick(rows[0]->checkBox(), Qt::LeftButton);
        settle();
        for (const QString& id : members)
            QVERIFY(!model->settings().disabledTargetIDs().contains(id));
        QVERIFY(rows[0]->checkBox()->isChecked());
        QCOMPARE(rows[0]->titleColor(), Style::primary());
        QCOMPARE(rows[0]->symbolTint(), Style::accent());
    }

    void groupShowsSpinnerOrSize()
    {
        ModelFixture f;
        auto model = f.makeModel();
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        model->setTargets(withState(withState(model->targets(), "trash", 0, false), "chrome", std::nullopt, true));
        settle();
        SimpleGroupRow* browsers = panel.groupRows()[1];
        SimpleGroupRow* trash = panel.groupRows()[2];
        QVERIFY(browsers->isSpinnerShown());
        QCOMPARE(browsers->sizeText(), QString());
        QVERIFY(!trash->isSpinnerShown());
        QCOMPARE(trash->sizeText(), QString("Zero KB"));
        QCOMPARE(trash->sizeColor(), Style::secondary());
        model->setTargets(withState(model->targets(), "trash", 2'000'000, false));
        settle();
        QCOMPARE(trash->sizeText(), QString("2 MB"));
        QCOMPARE(trash->sizeColor(), Style::primary());
    }

    void developerModeShowsSectionsWithPinnedHeaders()
    {
        ModelFixture f;
        f.home.defaults().setStringArray(QStringLiteral("customFolders"), {f.home.mkdir("Mine")});
        auto model = f.makeModel();
        Windows windows;
        QWidget host;
        MenuPanelView& panel = hostedPanel(host, *model, windows, &f.clock);
        host.show();
        model->settings().setDeveloperMode(true);
        model->rebuildTargets();
        settle();
        QVERIFY(panel.showsSectionedList());
        QVERIFY(panel.groupRows().isEmpty() || panel.findChild<QWidget*>("simpleList")->isHidden());

        // Every category has a section, headed by its symbol and its title in upper case.
        struct Header {
            CleanupCategory category;
            const char* symbol;
            const char* title;
        };
        const QList<Header> table{
            {CleanupCategory::recommended, "sparkles", "RECOMMENDED"},
            {CleanupCategory::browsers, "safari.fill", "BROWSER CACHES"},
            {CleanupCategory::developer, "hammer.fill", "DEVELOPER CACHES"},
            {CleanupCategory::buildArtifacts, "shippingbox.fill", "BUILD ARTIFACTS"},
            {CleanupCategory::custom, "folder.fill", "CUSTOM FOLDERS"},
        };
        const QList<AppModel::Section> sections = model->groupedTargets();
        QCOMPARE(sections.size(), table.size());
        QCOMPARE(panel.rows().size(), model->targets().size());
        QCOMPARE(panel.targetScrollArea()->height(), panel.listHeight());
        QCOMPARE(panel.listHeight(), 360);
        for (qsizetype k = 0; k < sections.size(); ++k) {
            const AppModel::Section& s = sections[k];
            QCOMPARE(s.category, table[k].category);
            QWidget* header = panel.sectionHeader(s.category);
            QVERIFY(header);
            QCOMPARE(header->height(), 28);
            QCOMPARE(header->findChild<QLabel*>("sectionTitle")->text(), QString::fromLatin1(table[k].title));
            QCOMPARE(header->findChild<SymbolView*>()->name(), QString::fromLatin1(table[k].symbol));
            // Every row but the section's last has a divider under it.
            for (qsizetype i = 0; i < s.items.size(); ++i)
                QCOMPARE(panel.row(s.items[i].id())->showsDivider(), i + 1 < s.items.size());
        }

        // Scrolled into the second section: its header sits at the top of the visible part,
        // with its rows passing under it; the first section's header has scrolled away.
        QScrollArea* scroll = panel.targetScrollArea();
        const int firstHeight = 28 + 44 * int(sections[0].items.size());
        scroll->verticalScrollBar()->setValue(firstHeight + 44);
        QCOMPARE(scroll->verticalScrollBar()->value(), firstHeight + 44);
        QWidget* second = panel.sectionHeader(sections[1].category);
        QCOMPARE(second->mapTo(scroll->viewport(), QPoint(0, 0)).y(), 0);
        QWidget* first = panel.sectionHeader(sections[0].category);
        QVERIFY(first->mapTo(scroll->viewport(), QPoint(0, 0)).y() < -27);
        QWidget* passing = panel.row(sections[1].items[0].id());
        QVERIFY(passing->mapTo(scroll->viewport(), QPoint(0, 0)).y() < 28);
        // Headers are drawn over the rows.
        QWidget* atTop = scroll->widget()->childAt(10, firstHeight + 44 + 5);
        QVERIFY(atTop == second || second->isAncestorOf(atTop));
    }

    void rowsAreUpdatedInPlaceOncePerTurn()
    {
        ModelFixture f;
        f.holdSizes = true;
        auto model = developerModel(f);
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        settle();
        TargetRowView* row = panel.row("trash");
        QVERIFY(row);
        row->showInfo();
        QVERIFY(row->isShowingInfo());

        // A burst of progress ticks: one update, the same row, the popover still open.
        const int before = panel.updateCount();
        for (int i = 1; i <= 50; ++i)
            model->setTargets(withState(model->targets(), "trash", i * 1'000'000, true));
        settle();
        QCOMPARE(panel.updateCount(), before + 1);
        QCOMPARE(panel.row("trash"), row);
        QCOMPARE(row->sizeText(), QString("50 MB"));
        QVERIFY(row->isShowingInfo());
        row->infoPopover()->close();
        QTRY_VERIFY(!row->isShowingInfo());

        // A target that leaves the list takes its row with it; the others stay.
        TargetRowView* logs = panel.row("logs");
        model->settings().setDeveloperMode(false);
        model->settings().setDeveloperMode(true);
        model->settings().setCleanMailDownloads(false);
        model->rebuildTargets();
        settle();
        QVERIFY(!panel.row("maildownloads"));
        QCOMPARE(panel.row("logs"), logs);
    }

    void cleanUpButton()
    {
        ModelFixture f;
        f.holdCleans = true;
        auto model = f.makeModel();
        RecordingWindows w(model.get(), {"confirm"});
        MenuPanelView panel(*model, w.windows, &f.clock);
        panel.show();
        settle();
        QCOMPARE(panel.totalText(), QString("Zero KB"));
        QVERIFY(!panel.cleanUpButton()->isEnabled());
        QCOMPARE(panel.cleanUpButton()->text(), QString("Clean up"));

        model->setTargets(withState(model->targets(), "trash", 3'000'000, false));
        settle();
        QCOMPARE(panel.totalText(), QString("3 MB"));
        QVERIFY(panel.cleanUpButton()->isEnabled());
        QTest::mouseClick(panel.cleanUpButton(), Qt::LeftButton);
        QVERIFY(model->pendingClean());
        QVERIFY(model->pendingClean()->isAll());
        QCOMPARE(w.opened, QStringList{"confirm"});

        // While everything is being cleaned: spinner, disabled.
        model->confirmPending(false);
        settle();
        QVERIFY(model->isCleaningAll());
        QVERIFY(!panel.cleanUpButton()->isEnabled());
        QVERIFY(panel.isCleanUpSpinnerShown());
        QCOMPARE(panel.cleanUpButton()->text(), QString());
        finishCleaningAll(f, *model, 1'000'000);
        QVERIFY(!model->isCleaningAll());
        settle();
        QVERIFY(!panel.isCleanUpSpinnerShown());
        QCOMPARE(panel.cleanUpButton()->text(), QString("Clean up"));
        // The result and the total, the message above.
        QCOMPARE(
            panel.statusText(),
            std::optional<QString>(QStringLiteral("Freed %1 total").arg(formatBytes(1'000'000 * f.cleanCalls.size()))));
        QVERIFY(panel.findChild<QWidget*>("statusLine")->mapTo(&panel, QPoint()).y()
                < panel.findChild<QLabel*>("total")->mapTo(&panel, QPoint()).y());
    }

    // A status line carries names and paths: its tooltip shows them as they are.
    void statusLineStaysPlain()
    {
        ModelFixture f;
        auto model = f.makeModel();
        RecordingWindows w(model.get(), {});
        MenuPanelView panel(*model, w.windows, &f.clock);
        const QString message = QStringLiteral("<b>old</b> builds: Refused (protected): /tmp/<i>x</i>");
        model->setStatusMessage(message);
        settle();
        QCOMPARE(panel.statusText(), std::optional<QString>(message));
        const QString tip = panel.findChild<QWidget*>("statusLine")->toolTip();
        QTextDocument doc;
        if (Qt::mightBeRichText(tip))
            doc.setHtml(tip);
        else
            doc.setPlainText(tip);
        QCOMPARE(doc.toPlainText(), message);
    }

    void rowCleanButtonsWhileCleaning()
    {
        ModelFixture f;
        f.holdCleans = true;
        auto model = developerModel(f);
        RecordingWindows w(model.get(), {"confirm"});
        MenuPanelView panel(*model, w.windows, &f.clock);
        panel.show();
        settle();

        // A row's clean button asks for that target alone and opens the confirmation.
        model->settings().setEnabled(false, "logs");
        settle();
        TargetRowView* logs = panel.row("logs");
        QVERIFY(logs->cleanButton()->isEnabled()); // excluded, but can still be cleaned alone
        QTest::mouseClick(logs->cleanButton(), Qt::LeftButton);
        QVERIFY(model->pendingClean());
        QCOMPARE(model->pendingClean()->kind, PendingClean::Kind(PendingClean::Single{"logs"}));
        QCOMPARE(w.opened, QStringList{"confirm"});

        // One target being cleaned: its button shows a spinner; the others stay usable.
        model->confirmPending(false);
        QTRY_VERIFY(findTarget(*model, "logs")->isCleaning);
        settle();
        QVERIFY(logs->isCleanSpinnerShown());
        QVERIFY(!logs->cleanButton()->isEnabled());
        QVERIFY(panel.row("trash")->cleanButton()->isEnabled());
        f.finishClean({});
        QTRY_VERIFY(!findTarget(*model, "logs")->isCleaning);

        // Everything being cleaned: no row's button can be used.
        model->settings().setEnabled(true, "logs");
        model->requestCleanAll();
        model->confirmPending(false);
        settle();
        for (TargetRowView* row : panel.rows())
            QVERIFY2(!row->cleanButton()->isEnabled(), qPrintable(row->state().id()));
        finishCleaningAll(f, *model);
        QVERIFY(!model->isCleaningAll());
        settle();
        for (TargetRowView* row : panel.rows())
            QVERIFY(row->cleanButton()->isEnabled());
    }

    // The snapshots tool is offered only where its listing tool is (tmutil, macOS only).
    void moreMenu_data()
    {
        QTest::addColumn<bool>("developer");
        QTest::addColumn<bool>("tmutil");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("simple") << false << true << QStringList{"snapshots", "startup"};
        QTest::newRow("developer") << true << true
                                   << QStringList{"projectcleanup", "snapshots", "startup", "appupdates"};
        QTest::newRow("simple, no tmutil") << false << false << QStringList{"startup"};
        QTest::newRow("developer, no tmutil")
            << true << false << QStringList{"projectcleanup", "startup", "appupdates"};
    }
    void moreMenu()
    {
        QFETCH(bool, developer);
        QFETCH(bool, tmutil);
        QFETCH(QStringList, ids);
        ModelFixture f;
        ToolPaths::overrideForTesting(ToolPaths::Tool::Tmutil,
                                      tmutil ? f.home.fakeCommand("tmutil", "exit 0\n") : f.home("no/tmutil"));
        const auto restore = qScopeGuard([] { ToolPaths::overrideForTesting(ToolPaths::Tool::Tmutil, {}); });
        auto model = f.makeModel();
        RecordingWindows w(model.get(), ids);
        MenuPanelView panel(*model, w.windows, &f.clock);
        model->settings().setDeveloperMode(developer);
        settle();
        QCOMPARE(panel.moreButton()->toolTip(), QString("More"));
        QStringList shown;
        for (QAction* a : panel.toolMenu()->actions())
            shown << a->data().toString();
        QCOMPARE(shown, ids);
        for (QAction* a : panel.toolMenu()->actions())
            a->trigger();
        QCOMPARE(w.opened, ids);
        if (developer)
            QCOMPARE(panel.toolMenu()->actions().constLast()->text(), QString("App && Tool Updates"));
    }

    // The uninstaller removes application bundles: off macOS there are none, and no button.
    void uninstallerOnlyWithApplicationBundles()
    {
        ModelFixture f;
        auto model = f.makeModel();
        Windows windows;
        MenuPanelView other(*model, windows, &f.clock, nullptr, HostPlatform::other);
        QVERIFY(!other.toolButton("uninstaller"));
        QVERIFY(other.toolButton("diskmap") && other.toolButton("duplicates"));
        MenuPanelView mac(*model, windows, &f.clock, nullptr, HostPlatform::macOS);
        QVERIFY(mac.toolButton("uninstaller"));
    }

    void toolButtonsOpenTheirWindows()
    {
        ModelFixture f;
        auto model = f.makeModel();
        RecordingWindows w(model.get(), {"diskmap", "largefiles", "uninstaller", "settings", "about"});
        MenuPanelView panel(*model, w.windows, &f.clock, nullptr, HostPlatform::macOS);
        panel.show();
        settle();
        struct Press {
            QAbstractButton* button;
            const char* id;
            const char* help;
        };
        const QList<Press> presses = {
            {panel.toolButton("diskmap"), "diskmap", "Disk Map"},
            {panel.toolButton("duplicates"), "largefiles", "Duplicates"},
            {panel.toolButton("largefiles"), "largefiles", "Large Files"},
            {panel.toolButton("uninstaller"), "uninstaller", "Uninstall"},
            {panel.settingsButton(), "settings", nullptr},
            {panel.aboutButton(), "about", nullptr},
        };
        for (const Press& p : presses) {
            QVERIFY(p.button);
            if (p.help) {
                QCOMPARE(p.button->toolTip(), QString(p.help));
                QCOMPARE(p.button->accessibleName(), QString(p.help));
            }
            QTest::mouseClick(p.button, Qt::LeftButton);
            QCOMPARE(w.opened.constLast(), QString(p.id));
        }
        // Duplicates wrote tab 1 before its window was made.
        QCOMPARE(w.tabsAtOpen[1], 1);
        // Large Files, with that window already open, still writes 0 first.
        QCOMPARE(model->largeFilesTab(), 0);
        QSignalSpy tabs(model.get(), &AppModel::largeFilesTabChanged);
        QTest::mouseClick(panel.toolButton("duplicates"), Qt::LeftButton);
        QCOMPARE(tabs.count(), 1);
        QCOMPARE(model->largeFilesTab(), 1);

        // The five controls of the tool row share its width.
        const int width = panel.toolButton("diskmap")->width();
        for (QWidget* b :
             {static_cast<QWidget*>(panel.toolButton("largefiles")), static_cast<QWidget*>(panel.moreButton())})
            QVERIFY(qAbs(b->width() - width) <= 1);
        QVERIFY(panel.toolButton("diskmap")->height() >= 32);
    }

    void unbuiltWindowsOpenNothing()
    {
        ModelFixture f;
        auto model = f.makeModel();
        Windows windows; // nothing registered
        MenuPanelView panel(*model, windows, &f.clock);
        panel.show();
        settle();
        QSignalSpy opened(&windows, &Windows::opened);
        QTest::mouseClick(panel.toolButton("diskmap"), Qt::LeftButton);
        QTest::mouseClick(panel.settingsButton(), Qt::LeftButton);
        QCOMPARE(opened.count(), 0);
        QVERIFY(panel.isVisible());
    }

    void showingThePanelStartsTheModel()
    {
        ModelFixture f;
        f.sizes.insert("trash", 5'000'000);
        auto model = f.makeModel();
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        QVERIFY(f.sizeCalls.isEmpty());
        panel.show();
        QTRY_VERIFY(!f.sizeCalls.isEmpty());
        QTRY_COMPARE(panel.groupRows()[2]->sizeText(), QString("5 MB"));
        QCOMPARE(panel.freshnessLabel()->text(), QString("just now"));
    }

    void rescanTurnsTheArrowAndMeasuresAgain()
    {
        ModelFixture f;
        f.holdSizes = true;
        auto model = f.makeModel();
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        settle();
        QCOMPARE(panel.rescanSpin(), 0.0);
        QCOMPARE(panel.rescanButton()->toolTip(), QString("Rescan sizes"));
        QTest::mouseClick(panel.rescanButton(), Qt::LeftButton);
        settle();
        const qsizetype firstPass = f.sizeCalls.size();
        QCOMPARE(firstPass, model->targets().size());
        QCOMPARE(panel.freshnessLabel()->text(), QString("Scanning\u2026"));
        // Pressed again while measuring: a second turn and a second measurement.
        QVERIFY(panel.rescanButton()->isEnabled());
        QTest::mouseClick(panel.rescanButton(), Qt::LeftButton);
        settle();
        QCOMPARE(panel.rescanSpin(), 720.0);
        QVERIFY(f.sizeCalls.size() > firstPass);
        f.finishAllSizes(0);
        settle();
        f.finishAllSizes(0);
        QTRY_VERIFY(!model->isScanning());
    }

    // A desktop font twice the design's grows the panel and its rows with it.
    void panelGrowsWithTheFont()
    {
        const QFont saved = QApplication::font();
        QFont big = saved;
        big.setPixelSize(26);
        QApplication::setFont(big);
        ModelFixture f;
        auto model = developerModel(f);
        Windows windows;
        QWidget host;
        MenuPanelView& panel = hostedPanel(host, *model, windows, &f.clock);
        host.show();
        settle();
        QCOMPARE(panel.width(), 760);
        QCOMPARE(panel.rows().constFirst()->height(), 88);
        QCOMPARE(panel.sectionHeader(CleanupCategory::recommended)->height(), 56);
        QCOMPARE(panel.listHeight(), 720);
        QCOMPARE(panel.targetScrollArea()->height(), 720);
        QVERIFY(panel.cleanUpButton()->height() >= 64);
        QApplication::setFont(saved);
    }

    // While a size counts up, the size column keeps its width: the info buttons stay in line.
    void sizeColumnKeepsItsPlaceWhileCounting()
    {
        ModelFixture f;
        f.holdSizes = true;
        auto model = developerModel(f);
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        settle();
        TargetRowView* trash = panel.row("trash");
        TargetRowView* logs = panel.row("logs");
        const int infoX = trash->infoButton()->x();
        QCOMPARE(logs->infoButton()->x(), infoX);
        for (qint64 size :
             {qint64(0), qint64(999), qint64(812'000'000), qint64(999'990'000'000), qint64(99'990'000'000'000)}) {
            model->setTargets(withState(model->targets(), "trash", size, true));
            settle();
            QCOMPARE(trash->infoButton()->x(), infoX);
            model->setTargets(withState(model->targets(), "trash", size, false));
            settle();
            QCOMPARE(trash->infoButton()->x(), infoX);
        }
        // The widest size and its spinner fit in the column.
        model->setTargets(withState(model->targets(), "trash", 999'990'000'000, true));
        settle();
        QWidget* column = trash->findChild<QWidget*>("sizeColumn");
        QVERIFY(column);
        QLabel* size = nullptr;
        for (QLabel* l : column->findChildren<QLabel*>())
            if (l->isVisible())
                size = l;
        QVERIFY(size);
        QVERIFY(size->width() >= size->sizeHint().width());
        f.finishAllSizes(0);
    }

    // Tab follows the panel from top to bottom: rescan, the list, then the footer; every stop
    // shows a ring.
    void tabFollowsTheLayout_data()
    {
        QTest::addColumn<bool>("developer");
        QTest::newRow("simple") << false;
        QTest::newRow("developer") << true;
    }
    void tabFollowsTheLayout()
    {
        QFETCH(bool, developer);
        ModelFixture f;
        f.sizes.insert("trash", 3'000'000);
        auto model = developer ? developerModel(f) : f.makeModel();
        Windows windows;
        MenuPanelView panel(*model, windows, &f.clock);
        panel.show();
        QApplication::setActiveWindow(&panel);
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        settle();

        QList<QWidget*> expected = {panel.rescanButton()};
        if (developer) {
            for (TargetRowView* r : panel.rows())
                expected << r->checkBox() << r->infoButton() << r->cleanButton();
        } else {
            for (SimpleGroupRow* r : panel.groupRows())
                expected << r->checkBox();
        }
        // This platform's tool row (the uninstaller only where there are application bundles).
        expected << panel.cleanUpButton() << panel.toolButton("diskmap") << panel.toolButton("largefiles")
                 << panel.toolButton("duplicates");
        if (DesktopTerms::hasApplicationBundles())
            expected << panel.toolButton("uninstaller");
        expected << panel.moreButton() << panel.settingsButton() << panel.aboutButton() << panel.quitButton();
        QVERIFY(panel.cleanUpButton()->isEnabled());

        panel.rescanButton()->setFocus(Qt::TabFocusReason);
        QList<QWidget*> visited = {QApplication::focusWidget()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget();
            QVERIFY2(FocusRing::isShown(visited.constLast()), qPrintable(visited.constLast()->objectName()));
        }
        QCOMPARE(visited, expected);
    }

    void popupClosesOnEscape()
    {
        ModelFixture f;
        auto model = f.makeModel();
        Windows windows;
        QWidget popup(nullptr, Qt::Popup | Qt::FramelessWindowHint);
        auto* layout = new QVBoxLayout(&popup);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* panel = new MenuPanelView(*model, windows, &f.clock);
        layout->addWidget(panel);
        popup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        QCOMPARE(popup.width(), 380);
        QTest::keyClick(panel, Qt::Key_Escape);
        QTRY_VERIFY(!popup.isVisible());
    }

    void openingAWindowClosesThePopup()
    {
        ModelFixture f;
        auto model = f.makeModel();
        RecordingWindows w(model.get(), {"settings"});
        QWidget popup(nullptr, Qt::Popup | Qt::FramelessWindowHint);
        auto* layout = new QVBoxLayout(&popup);
        auto* panel = new MenuPanelView(*model, w.windows, &f.clock);
        layout->addWidget(panel);
        popup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        QTest::mouseClick(panel->settingsButton(), Qt::LeftButton);
        QCOMPARE(w.opened, QStringList{"settings"});
        QVERIFY(!popup.isVisible());
    }
};

QTEST_MAIN(tst_MenuPanel)
#include "tst_MenuPanel.moc"
