// The large and duplicate files window with a scripted scan: its three screens, the tab that
// follows the panel, the rows (ticks, disabled boxes, reveal, paths), the footer, Stop, the
// scan menu, and a list that keeps its place while deliveries come in.
#include "../../services/AppModelFakes.h"
#include "ScriptedScan.h"
#include "models/ScanPreset.h"
#include "platform/ByteCountFormatter.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FileManagerShell.h"
#include "views/largefiles/FileFinderRows.h"
#include "views/largefiles/LargeFilesView.h"
#include "views/components/CleanActionButton.h"
#include "views/components/ElidedLabel.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/EmptyState.h"
#include "views/components/SegmentedControl.h"
#include "views/components/Style.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace {

struct Fixture {
    ModelFixture f;
    std::unique_ptr<AppModel> app = f.makeModel();
    ScriptedScan scans;
    std::unique_ptr<LargeFilesView> view;

    LargeFilesView& make(bool show = true)
    {
        view = std::make_unique<LargeFilesView>(*app, scans.function());
        view->resize(700, 560);
        if (show) {
            view->show();
            settle();
        }
        return *view;
    }
    QString home(const QString& relative) const { return f.home(relative); }
    // Starts a scan and waits for its thread.
    void startScan(const QString& root)
    {
        const int before = scans.count();
        view->model().scan(root);
        QTRY_COMPARE(scans.count(), before + 1);
    }
};

QModelIndex rowOf(const FileFinderRows* rows, const QString& path)
{
    for (int i = 0; i < rows->rowCount(); ++i) {
        const QModelIndex index = rows->index(i);
        if (!index.data(FileFinderRows::IsHeaderRole).toBool() && index.data(FileFinderRows::PathRole) == path)
            return index;
    }
    return {};
}

// Clicks inside a list row: on its checkbox or its reveal button.
void clickInRow(QListView* list, const QModelIndex& index, bool reveal)
{
    list->scrollTo(index);
    const QRect r = list->visualRect(index);
    const QPoint at = (reveal ? FileFinderRowDelegate::revealRect(r) : FileFinderRowDelegate::checkBoxRect(r)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

FileScanResult groups(const QString& base, int count, qint64 size = 2'000'000)
{
    FileScanResult r;
    for (int g = 0; g < count; ++g) {
        QList<ScannedFile> files;
        for (int i = 0; i < 2; ++i)
            files.append(file(QStringLiteral("%1/g%2-%3.bin").arg(base).arg(g).arg(i), size));
        r.duplicates.append(group(QStringLiteral("id%1").arg(g), size, files));
    }
    return r;
}

} // namespace

class tst_LargeFilesView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        Dialogs::setPickHandlerForTesting({});
        FileManagerShell::setHandlerForTesting({});
    }

    // Start screen, then scanning (count, Stop, spinner while a list is empty), then scanned
    // (the folder, the placeholders of empty lists).
    void screensFollowTheScan()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        QCOMPARE(v.shownContent()->objectName(), QString("startScreen"));
        QVERIFY(!v.picker()->isVisible());
        QVERIFY(!v.rootLabel()->isVisible());
        QVERIFY(!v.trashButton()->isEnabled());
        QCOMPARE(x.scans.count(), 0);   // appearing starts no scan

        // The start screen's button asks for the folder.
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest&) { return x.f.home.mkdir("photos"); });
        QTest::mouseClick(v.findChild<QPushButton*>("chooseFolder"), Qt::LeftButton);
        QTRY_COMPARE(x.scans.count(), 1);
        QCOMPARE(x.scans.root(0), x.home("photos"));

        QVERIFY(v.picker()->isVisible());
        QVERIFY(v.toolbarCount()->isVisible());
        QVERIFY(v.findChild<QPushButton*>("stopButton")->isVisible());
        QVERIFY(!v.rootLabel()->isVisible());
        x.scans.progress(1500);
        QTRY_COMPARE(v.toolbarCount()->text(), QString("Scanning… 1500 files"));
        // The largest list has nothing yet: the spinner with the count.
        QVERIFY(v.shownContent()->findChild<ProgressSpinner*>());
        QCOMPARE(v.shownContent()->findChild<QLabel*>()->text(), QString("Scanning… 1500 files"));

        x.scans.deliver(FileScanResult{{file(x.home("photos/a.jpg"), 4096)}, {}});
        QTRY_COMPARE(v.shownContent(), static_cast<QWidget*>(v.largestList()));
        x.scans.end();
        QTRY_VERIFY(!v.model().isScanning());
        QVERIFY(v.rootLabel()->isVisible());
        QCOMPARE(v.rootLabel()->text(), QString("~/photos"));
        QVERIFY(!v.toolbarCount()->isVisible());

        // The other tab has nothing: its placeholder.
        v.picker()->segment(1)->click();
        auto* empty = qobject_cast<EmptyState*>(v.shownContent());
        QVERIFY(empty);
        QCOMPARE(empty->titleText(), QString("No duplicates found"));

        // A folder without files.
        x.startScan(x.home("empty"));
        x.scans.deliver(FileScanResult{});
        x.scans.end();
        QTRY_VERIFY(v.model().hasScanned());
        v.picker()->segment(0)->click();
        empty = qobject_cast<EmptyState*>(v.shownContent());
        QVERIFY(empty);
        QCOMPARE(empty->titleText(), QString("No files found"));
    }

    // The tab is the panel's when the window appears, then follows the panel's changes only;
    // choosing a segment leaves the panel's value alone.
    void theTabFollowsThePanelsChangesOnly()
    {
        Fixture x;
        x.app->setLargeFilesTab(1);
        LargeFilesView& v = x.make();
        x.startScan(x.home("d"));
        QCOMPARE(v.tab(), 1);
        QCOMPARE(v.picker()->currentIndex(), 1);
        QVERIFY(v.duplicatesList()->parentWidget()->isAncestorOf(v.shownContent()));

        v.picker()->segment(0)->click();
        QCOMPARE(v.tab(), 0);
        QVERIFY(v.largestList()->parentWidget()->isAncestorOf(v.shownContent()));
        QCOMPARE(x.app->largeFilesTab(), 1);

        x.app->setLargeFilesTab(1);   // the same value again: no change
        QCOMPARE(v.tab(), 0);
        x.app->setLargeFilesTab(0);
        QCOMPARE(v.tab(), 0);
        x.app->setLargeFilesTab(1);
        QCOMPARE(v.tab(), 1);
        QCOMPARE(v.picker()->currentIndex(), 1);
    }

    // Three identical files: the two later ones ticked, the footer counts them, "Move to Trash"
    // is on; a click on a box unticks it; a file in both lists shares one box.
    void rowsAndFooterShowTheSelection()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        x.startScan(x.home("d"));
        const qint64 s = 3'000'000;
        const QString a = x.home("d/a.bin"), b = x.home("d/b.bin"), c = x.home("d/c.bin");
        x.scans.deliver(FileScanResult{{file(a, s), file(b, s), file(c, s)}, {group("g", s, {file(a, s), file(b, s), file(c, s)})}});
        QTRY_COMPARE(v.duplicateRows()->rowCount(), 4);
        QCOMPARE(v.selectedCountLabel()->text(), QString("2 selected"));
        QCOMPARE(v.selectedSizeLabel()->text(), formatBytes(2 * s));
        QVERIFY(v.trashButton()->isEnabled());

        const QModelIndex header = v.duplicateRows()->index(0);
        QVERIFY(header.data(FileFinderRows::IsHeaderRole).toBool());
        QCOMPARE(header.data(FileFinderRows::HeaderTextRole).toString(), QString("3 copies · %1 each").arg(formatBytes(s)));
        QCOMPARE(header.data(FileFinderRows::SaveTextRole).toString(), QString("save %1").arg(formatBytes(2 * s)));
        QCOMPARE(rowOf(v.duplicateRows(), a).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(rowOf(v.duplicateRows(), b).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(rowOf(v.largestRows(), b).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(rowOf(v.largestRows(), a).data(Qt::DisplayRole).toString(), QString("a.bin"));

        x.app->setLargeFilesTab(1);
        clickInRow(v.duplicatesList(), rowOf(v.duplicateRows(), b), false);
        QCOMPARE(v.model().selected(), QSet<QString>{c});
        QCOMPARE(rowOf(v.largestRows(), b).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(v.selectedCountLabel()->text(), QString("1 selected"));

        // Ticked in the largest list: one file, counted once.
        x.app->setLargeFilesTab(0);
        clickInRow(v.largestList(), rowOf(v.largestRows(), a), false);
        QCOMPARE(rowOf(v.duplicateRows(), a).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(v.selectedSizeLabel()->text(), formatBytes(2 * s));

        // The space key ticks the current row.
        v.largestList()->setFocus();
        v.largestList()->setCurrentIndex(rowOf(v.largestRows(), b));
        QTest::keyClick(v.largestList(), Qt::Key_Space);
        QCOMPARE(v.model().selected(), (QSet<QString>{a, b, c}));

        // Nothing ticked: the button is off.
        for (const QString& p : {a, b, c})
            v.model().toggle(p);
        QCOMPARE(v.selectedCountLabel()->text(), QString("0 selected"));
        QVERIFY(!v.trashButton()->isEnabled());
    }

    // A file outside the home folder that the safety rule refuses keeps its tick but its box
    // cannot be used; one below an allowed root outside home can be.
    // A sparse copy holds the same bytes in fewer blocks: the header's "each" is the first copy's
    // size, while "save" (like the selection) adds up what the other copies allocate.
    void copiesThatAllocateDifferentlySaveWhatTheyHold()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        x.startScan(x.home("d"));
        const qint64 dense = 3'002'368, sparse = 1'003'520;
        const QString a = x.home("d/a.bin"), b = x.home("d/b-sparse.bin"), c = x.home("d/c.bin");
        x.scans.deliver(FileScanResult{{file(a, dense), file(c, dense), file(b, sparse)},
                                       {group("g", dense, {file(a, dense), file(b, sparse), file(c, dense)})}});
        QTRY_COMPARE(v.duplicateRows()->rowCount(), 4);
        const QModelIndex header = v.duplicateRows()->index(0);
        QCOMPARE(header.data(FileFinderRows::HeaderTextRole).toString(), QString("3 copies · %1 each").arg(formatBytes(dense)));
        QCOMPARE(header.data(FileFinderRows::SaveTextRole).toString(), QString("save %1").arg(formatBytes(sparse + dense)));
        QCOMPARE(v.selectedSizeLabel()->text(), formatBytes(sparse + dense));
    }

    void unsafeFilesHaveADisabledBox()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        x.app->setLargeFilesTab(1);
        x.startScan(QStringLiteral("/"));
        const qint64 s = 1'000'000;
        const QString mine = x.home("r.bin"), system = QStringLiteral("/usr/share/dustlet-test/r.bin"),
                      cache = QStringLiteral("/Library/Caches/dustlet-test/r.bin");
        x.scans.deliver(FileScanResult{{}, {group("g", s, {file(mine, s), file(system, s), file(cache, s)})}});
        QTRY_COMPARE(v.duplicateRows()->rowCount(), 4);
        const QModelIndex refused = rowOf(v.duplicateRows(), system);
        QVERIFY(!refused.data(FileFinderRows::CanTrashRole).toBool());
        QVERIFY(!refused.flags().testFlag(Qt::ItemIsUserCheckable));
        QVERIFY(rowOf(v.duplicateRows(), cache).data(FileFinderRows::CanTrashRole).toBool());
        QVERIFY(rowOf(v.duplicateRows(), mine).data(FileFinderRows::CanTrashRole).toBool());

        clickInRow(v.duplicatesList(), refused, false);
        QVERIFY(v.model().selected().contains(system));   // still ticked, still counted
        QCOMPARE(v.selectedCountLabel()->text(), QString("2 selected"));
        clickInRow(v.duplicatesList(), rowOf(v.duplicateRows(), cache), false);
        QVERIFY(!v.model().selected().contains(cache));
    }

    // A file whose name is not well-formed UTF-8 is shown (with U+FFFD), but its box and its
    // reveal button do nothing: its shown path would name another file.
    void aNameThatIsNotUtf8CannotBeTickedOrRevealed()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        QStringList revealed;
        FileManagerShell::setHandlerForTesting([&](FileManagerShell::Action, const QString& p) { revealed.append(p); });
        x.startScan(x.home("d"));
        const ScannedFile bad{x.home("d").toUtf8() + "/z\xff.bin", 2'000'000};
        x.scans.deliver(FileScanResult{{bad}, {}});
        QTRY_COMPARE(v.largestRows()->rowCount(), 1);
        const QModelIndex index = v.largestRows()->index(0);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), QString("z\uFFFD.bin"));
        QVERIFY(!index.data(FileFinderRows::PathRoundTripsRole).toBool());
        QVERIFY(!index.data(FileFinderRows::CanTrashRole).toBool());
        clickInRow(v.largestList(), index, false);
        clickInRow(v.largestList(), index, true);
        QVERIFY(v.model().selected().isEmpty());
        QVERIFY(revealed.isEmpty());
    }

    // Paths show a leading home folder as "~" and nothing else: a path that holds the home
    // folder's letters further on stays as it is, in the rows and in the toolbar.
    void onlyALeadingHomeBecomesTilde()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        const QString elsewhere = QStringLiteral("/mnt/backup") + x.f.home.path();
        x.startScan(elsewhere);
        const QString inside = x.home("x.bin"), outside = elsewhere + QStringLiteral("/x.bin"),
                      similar = x.f.home.path() + QStringLiteral("2/x.bin");
        x.scans.deliver(FileScanResult{{file(inside, 10), file(outside, 10), file(similar, 10)}, {}});
        x.scans.end();
        QTRY_VERIFY(v.model().hasScanned());
        QCOMPARE(rowOf(v.largestRows(), inside).data(FileFinderRows::SubtitleRole).toString(), QString("~/x.bin"));
        QCOMPARE(rowOf(v.largestRows(), outside).data(FileFinderRows::SubtitleRole).toString(), outside);
        QCOMPARE(rowOf(v.largestRows(), similar).data(FileFinderRows::SubtitleRole).toString(), similar);
        QCOMPARE(v.rootLabel()->text(), elsewhere);
    }

    void theRevealButtonShowsTheFile()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        QList<std::pair<FileManagerShell::Action, QString>> asked;
        FileManagerShell::setHandlerForTesting(
            [&](FileManagerShell::Action a, const QString& p) { asked.append({a, p}); });
        x.startScan(x.home("d"));
        const QString path = x.home("d/<b>bold<i> & more.bin");
        x.scans.deliver(FileScanResult{{file(path, 10)}, {}});
        QTRY_COMPARE(v.largestRows()->rowCount(), 1);
        const QModelIndex index = v.largestRows()->index(0);
        clickInRow(v.largestList(), index, true);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].first, FileManagerShell::Action::Reveal);
        QCOMPARE(asked[0].second, path);
        QVERIFY(v.model().selected().isEmpty());   // the click did not tick the row
        QCOMPARE(index.data(Qt::DisplayRole).toString(), QString("<b>bold<i> & more.bin"));
    }

    // Stop: the start screen again, with the footer still counting what was ticked.
    void stopReturnsToTheStartScreenKeepingTheFooter()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        x.startScan(x.home("d"));
        const qint64 s = 2'000'000;
        x.scans.deliver(FileScanResult{{}, {group("g", s, {file(x.home("d/a"), s), file(x.home("d/b"), s)})}});
        QTRY_COMPARE(v.selectedCountLabel()->text(), QString("1 selected"));
        QTest::mouseClick(v.findChild<QPushButton*>("stopButton"), Qt::LeftButton);
        QCOMPARE(v.shownContent()->objectName(), QString("startScreen"));
        QVERIFY(!v.picker()->isVisible());
        QCOMPARE(v.selectedCountLabel()->text(), QString("1 selected"));
        QCOMPARE(v.selectedSizeLabel()->text(), formatBytes(s));
        QVERIFY(v.trashButton()->isEnabled());
    }

    // The scan menu offers the places, then "Choose Folder…"; a place starts a scan of it.
    void theScanMenuOffersThePlaces()
    {
        Fixture x;
        LargeFilesView& v = x.make();
        Q_EMIT v.scanMenu()->aboutToShow();
        const QList<ScanPreset> presets = ScanPreset::all();
        const QList<QAction*> actions = v.scanMenu()->actions();
        QCOMPARE(actions.size(), presets.size() + 2);
        for (int i = 0; i < presets.size(); ++i)
            QCOMPARE(actions[i]->text(), presets[i].displayLabel());
        QVERIFY(actions[presets.size()]->isSeparator());
        QCOMPARE(actions.last()->text(), QString("Choose Folder…"));

        actions.first()->trigger();
        QTRY_COMPARE(x.scans.count(), 1);
        QCOMPARE(x.scans.root(0), presets.first().path);
        // Still usable while a scan runs.
        actions[1]->trigger();
        QTRY_COMPARE(x.scans.count(), 2);
        QCOMPARE(x.scans.root(1), presets[1].path);
    }

    // Rows are drawn by one delegate; a delivery that adds groups, or changes nothing, leaves
    // the list where the user has scrolled it.
    void aDeliveryKeepsTheScrollPosition()
    {
        Fixture x;
        x.app->setLargeFilesTab(1);
        LargeFilesView& v = x.make();
        x.startScan(x.home("d"));
        FileScanResult r = groups(x.home("d"), 40);
        x.scans.deliver(r);
        QTRY_COMPARE(v.duplicateRows()->rowCount(), 120);
        QVERIFY(v.duplicatesList()->findChildren<QWidget*>().size() < 10);   // no widget per row
        QScrollBar* bar = v.duplicatesList()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 600);
        bar->setValue(500);
        const QModelIndex top = v.duplicatesList()->indexAt(QPoint(5, 5));
        // The keyboard's row stays too.
        const QModelIndex inside = v.duplicatesList()->indexAt(QPoint(5, 150));
        v.duplicatesList()->setCurrentIndex(inside);
        QCOMPARE(bar->value(), 500);
        const QString current = inside.data(FileFinderRows::PathRole).toString();
        QVERIFY(!current.isEmpty() || inside.data(FileFinderRows::IsHeaderRole).toBool());

        x.scans.deliver(r);   // the same again
        r.duplicates.append(groups(x.home("e"), 1).duplicates);
        x.scans.deliver(r);   // one more group at the end
        QTRY_COMPARE(v.duplicateRows()->rowCount(), 123);
        settle();
        QCOMPARE(bar->value(), 500);
        QCOMPARE(v.duplicatesList()->indexAt(QPoint(5, 5)), top);
        QCOMPARE(v.duplicatesList()->currentIndex().data(FileFinderRows::PathRole).toString(), current);
    }

    // A group header with room to spare is drawn whole: the width it is given is enough for the
    // text at the precision the painter lays it out with.
    void groupHeadersFitWhereThereIsRoom()
    {
        FileScanResult result;
        const QList<qint64> sizes{3'990'000'000, 402'700'000, 4'200'000, 2'100'000, 1'100'000, 999'999'999'999};
        for (int copies = 2; copies <= 9; ++copies) {
            for (qint64 size : sizes) {
                QList<ScannedFile> files;
                for (int i = 0; i < copies; ++i)
                    files.append(file(QStringLiteral("/x/%1-%2-%3").arg(copies).arg(size).arg(i), size));
                result.duplicates.append(group(QStringLiteral("%1-%2").arg(copies).arg(size), size, files));
            }
        }
        FileFinderRows rows({}, {});
        rows.setRows(FileFinderRows::duplicateRows(result));
        const QFontMetrics bold(Style::font(Style::Text::caption, QFont::DemiBold));
        int headers = 0;
        for (int i = 0; i < rows.rowCount(); ++i) {
            const QModelIndex index = rows.index(i);
            if (!index.data(FileFinderRows::IsHeaderRole).toBool())
                continue;
            ++headers;
            const QString text = index.data(FileFinderRows::HeaderTextRole).toString();
            const QRect shown = FileFinderRowDelegate::textRects(QRect(0, 0, 700, 40), index).header;
            QCOMPARE(bold.elidedText(text, Qt::ElideRight, shown.width()), text);
        }
        QCOMPARE(headers, 8 * int(sizes.size()));
    }
};

QTEST_MAIN(tst_LargeFilesView)
#include "tst_LargeFilesView.moc"
