#include "FakeTools.h"
#include "Palettes.h"
#include "TestHome.h"
#include "TextContrast.h"
#include "platform/ToolPaths.h"
#include "services/SnapshotManager.h"
#include "views/tools/SnapshotsModel.h"
#include "views/tools/SnapshotsView.h"
#include "views/components/CleanActionButton.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/Style.h"
#include "views/components/TransientMessage.h"

#include <QFile>
#include <QApplication>
#include <QCheckBox>
#include <QStyle>
#include <QLabel>
#include <QTest>

namespace {

QByteArray listingOf(const QStringList& timestamps)
{
    QByteArray out = "Snapshots for disk /:\n";
    for (const QString& ts : timestamps)
        out += "com.apple.TimeMachine." + ts.toUtf8() + ".local\n";
    return out;
}

const QStringList kFive{"2024-05-01-090000", "2024-05-02-090000", "2024-05-03-090000", "2024-05-04-090000",
                        "2024-05-05-090000"};

// Free space that grows by `step` bytes with every reading.
void freeSpaceGrowing(qint64 step)
{
    auto free = std::make_shared<qint64>(10'000'000);
    SnapshotManager::setSpaceReaderForTesting([free, step] {
        const qint64 now = *free;
        *free += step;
        return std::optional<Volume::FreeSpace>(Volume::FreeSpace{now, now});
    });
}

// A shown snapshots window whose first listing has come back.
std::unique_ptr<SnapshotsView> shownAndListed()
{
    auto view = std::make_unique<SnapshotsView>();
    view->show();
    if (!QTest::qWaitFor([&] { return view->model().hasListed(); }, 20000))
        return nullptr;
    return view;
}

} // namespace

class tst_SnapshotsWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        FakeTools::reset();
        SnapshotManager::setSpaceReaderForTesting({});
    }

    // The listing runs in the background: until it arrives the window shows that it is
    // working, never "No local snapshots".
    void firstListingArrivesInTheBackground()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, listingOf({"2024-05-01-090000", "2024-05-02-090000"}));
        // A login shell held at its start until the window has been looked at.
        home.writeText("shell-hold", "");
        home.writeText(".zprofile", TestHome::holdWhileExists("shell-hold") + "export PATH=\"" + home(".fakebin").toUtf8() + ":$PATH\"\n");
        SnapshotsView view;
        view.show();
        QCoreApplication::processEvents();
        QCOMPARE(view.content(), SnapshotsView::Content::working);
        QVERIFY(!view.actionButton()->isEnabled());
        QVERIFY(!view.keepNewestBox()->isEnabled());
        QVERIFY(!view.showsSummary());
        QVERIFY(QFile::remove(home("shell-hold")));

        QTRY_COMPARE_WITH_TIMEOUT(view.content(), SnapshotsView::Content::list, 20000);
        QCOMPARE(view.rows().size(), 2);
        QVERIFY(view.showsSummary());
        QCOMPARE(view.summaryText(), "2 local snapshots");
        QVERIFY(view.footerSpinner()->isHidden());
        QCOMPARE(view.model().snapshots().first().timestamp, "2024-05-02-090000");
    }

    void noSnapshotsShowsTheEmptyState()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, "");
        // Off macOS there is no listing tool at all; the window looks the same.
        ToolPaths::overrideForTesting(ToolPaths::Tool::Tmutil, home("no-tmutil"));
        auto view = shownAndListed();
        QVERIFY(view);
        QCOMPARE(view->content(), SnapshotsView::Content::empty);
        QVERIFY(!view->showsSummary());
        QCOMPARE(view->actionButton()->title(), "Free Up Space");
        QVERIFY(!view->actionButton()->isEnabled());
    }

    void keepingTheOnlySnapshot()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, listingOf({"2024-05-01-090000"}));
        auto view = shownAndListed();
        QVERIFY(view);
        QCOMPARE(view->rows().size(), 1);
        QVERIFY(view->rows()[0]->isKept());
        QCOMPARE(view->rows()[0]->badgeText(), "Kept");
        const QColor keptDate = view->rows()[0]->dateColor();
        QCOMPARE(view->actionButton()->title(), "Free Up Space");
        QVERIFY(!view->actionButton()->isEnabled());

        view->keepNewestBox()->click();
        QVERIFY(!view->model().keepNewest());
        QCOMPARE(view->rows().size(), 1);
        QVERIFY(!view->rows()[0]->isKept());
        QCOMPARE(view->rows()[0]->badgeText(), "Will remove");
        QCOMPARE(view->actionButton()->title(), "Free Up Space (1)");
        QVERIFY(view->actionButton()->isEnabled());
        // The kept row is dimmer, but still legible.
        const QColor window = view->palette().color(QPalette::Window);
        QVERIFY(Style::contrastRatio(keptDate, window) < Style::contrastRatio(view->rows()[0]->dateColor(), window));
        QVERIFY(Style::contrastRatio(keptDate, window) >= 4.5);
    }

    void removesAllButTheNewestInOneRun()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, listingOf(kFive));
        freeSpaceGrowing(2'500'000'000);
        auto view = shownAndListed();
        QVERIFY(view);
        QCOMPARE(view->actionButton()->title(), "Free Up Space (4)");
        view->actionButton()->click();
        QVERIFY(view->model().isWorking());
        QVERIFY(!view->actionButton()->isEnabled());
        QVERIFY(!view->keepNewestBox()->isEnabled());
        QVERIFY(!view->footerSpinner()->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!view->model().isWorking(), 20000);
        QVERIFY(view->footerSpinner()->isHidden());

        QCOMPARE(home.recordedRuns("osascript").size(), 1);
        QList<QStringList> deletions;
        for (const QStringList& run : home.recordedRuns("tmutil"))
            if (run.first() == "deletelocalsnapshots")
                deletions << run;
        QCOMPARE(deletions, (QList<QStringList>{{"deletelocalsnapshots", "2024-05-04-090000"},
                                                {"deletelocalsnapshots", "2024-05-03-090000"},
                                                {"deletelocalsnapshots", "2024-05-02-090000"},
                                                {"deletelocalsnapshots", "2024-05-01-090000"}}));
        // The list was read again: the newest is left.
        QCOMPARE(view->model().snapshots().size(), 1);
        QCOMPARE(view->model().snapshots().first().timestamp, "2024-05-05-090000");
        QCOMPARE(view->model().statusMessage(), std::optional<QString>("Reclaimed 2.5 GB."));
        QVERIFY(!view->statusLabel()->isHidden());
        QCOMPARE(view->statusLabel()->text(), "Reclaimed 2.5 GB.");
        QCOMPARE(view->actionButton()->title(), "Free Up Space");
    }

    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("osascriptMode");
        QTest::addColumn<qint64>("freed");
        QTest::addColumn<bool>("deleteFails");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing measurable freed")
            << QByteArray() << qint64(0) << false << "Snapshots removed — macOS may report the freed space in a moment.";
        QTest::newRow("cancelled prompt") << QByteArray("cancel") << qint64(0) << false << "Cancelled — nothing was removed.";
        QTest::newRow("refused password")
            << QByteArray("error") << qint64(0) << false
            << "Couldn't remove snapshots: The administrator user name or password was incorrect.";
        QTest::newRow("the tool failing") << QByteArray() << qint64(0) << true
                                          << "Couldn't remove snapshots: Failed to delete 2024-05-01-090000";
    }

    void outcomes()
    {
        QFETCH(QByteArray, osascriptMode);
        QFETCH(qint64, freed);
        QFETCH(bool, deleteFails);
        QFETCH(QString, message);
        TestHome home;
        FakeTools::installSnapshotTools(home, listingOf({"2024-05-01-090000", "2024-05-02-090000"}));
        home.setFakeOsascriptMode(osascriptMode);
        if (deleteFails)
            home.writeText("delete-fails", "");
        freeSpaceGrowing(freed);
        auto view = shownAndListed();
        QVERIFY(view);
        view->model().reclaim();
        QTRY_VERIFY_WITH_TIMEOUT(!view->model().isWorking(), 20000);
        QCOMPARE(view->model().statusMessage(), std::optional<QString>(message));
        // The list is read again after a failure too.
        int listings = 0;
        for (const QStringList& run : home.recordedRuns("tmutil"))
            listings += run.first() == "listlocalsnapshots";
        QCOMPARE(listings, 2);
    }

    // A listing line with shell syntax in it never reaches the root shell.
    void hostileListingLineRunsNothing()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, "com.apple.TimeMachine.x; touch pwned #\n"
                                              "com.apple.TimeMachine.2024-05-01-090000.local\n");
        auto view = shownAndListed();
        QVERIFY(view);
        QCOMPARE(view->rows().size(), 2);
        view->keepNewestBox()->click();
        view->actionButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!view->model().isWorking(), 20000);
        QVERIFY(view->model().statusMessage().value_or(QString()).startsWith("Couldn't remove snapshots: "));
        QVERIFY(home.recordedRuns("osascript").isEmpty());
        QVERIFY(!home.containsFileNamed("pwned"));
    }

    void reclaimableEstimate()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, listingOf({"2024-05-01-090000"}));
        SnapshotManager::setSpaceReaderForTesting(
            [] { return std::optional<Volume::FreeSpace>(Volume::FreeSpace{1'000'000'000, 4'500'000'000}); });
        auto view = shownAndListed();
        QVERIFY(view);
        QVERIFY(view->showsReclaimable());
        QCOMPARE(view->model().purgeable(), qint64(3'500'000'000));

        view->model().setListing(view->model().snapshots(), 0);
        QVERIFY(view->showsSummary());
        QVERIFY(!view->showsReclaimable());
    }

    // The same message twice in a row: the first one's timer must not clear the second.
    void anEqualNewerMessageKeepsItsFullTime()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, listingOf({"2024-05-01-090000", "2024-05-02-090000"}));
        home.setFakeOsascriptMode("cancel");
        auto view = shownAndListed();
        QVERIFY(view);
        // Each message's delay ends when the test says so.
        QList<std::function<void()>> delays;
        view->model().message().setDelayStarterForTesting(
            [&delays](int, std::function<void()> clearIfCurrent) { delays.append(std::move(clearIfCurrent)); });

        view->model().reclaim();
        QTRY_VERIFY_WITH_TIMEOUT(!view->model().isWorking(), 20000);
        QCOMPARE(view->model().statusMessage(), std::optional<QString>("Cancelled — nothing was removed."));
        QCOMPARE(delays.size(), 1);

        view->model().reclaim();
        QCOMPARE(view->model().statusMessage(), std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(!view->model().isWorking(), 20000);
        QCOMPARE(view->model().statusMessage(), std::optional<QString>("Cancelled — nothing was removed."));
        QCOMPARE(delays.size(), 2);

        // The first message's time is over, the second's is not.
        delays.at(0)();
        QCOMPARE(view->model().statusMessage(), std::optional<QString>("Cancelled — nothing was removed."));
        QVERIFY(!view->statusLabel()->isHidden());
        delays.at(1)();
        QCOMPARE(view->model().statusMessage(), std::nullopt);
        QVERIFY(view->statusLabel()->isHidden());
    }

    void textsAreLegible_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    // Every text, the dimmed kept row and its badge included.
    void textsAreLegible()
    {
        QFETCH(bool, dark);
        const QList<TextContrast::Text> texts =
            TextContrast::measureBuilt(dark ? darkPalette() : QApplication::style()->standardPalette(), [] {
                auto* model = new SnapshotsModel;
                model->setListing({{"com.apple.TimeMachine.2024-05-02-090000.local", "2024-05-02-090000"},
                                   {"com.apple.TimeMachine.2024-05-01-090000.local", "2024-05-01-090000"}},
                                  3'000'000'000);
                model->message().show(SnapshotsModel::messageFor(qint64(8'420'000'000)));
                return new SnapshotsView(model);
            });
        QStringList measured;
        for (const TextContrast::Text& t : texts)
            measured << t.text;
        QVERIFY2(measured.contains("Kept"), qPrintable(measured.join(" | ")));
        QVERIFY(measured.contains("Reclaimed 8.42 GB."));
        const QString failed = TextContrast::failures(texts);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
};

QTEST_MAIN(tst_SnapshotsWindow)
#include "tst_SnapshotsWindow.moc"
