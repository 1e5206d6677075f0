// The model of the large and duplicate files window, driven by a scripted scan (and once by the
// real one): what gets ticked, what the footer counts, stopping and replacing scans, trashing
// with its history entry, and the model's lifetime.
#include "../../services/AppModelFakes.h"
#include "ScriptedScan.h"
#include "platform/Trash.h"
#include "platform/ui/Dialogs.h"
#include "views/largefiles/FileFinderModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

namespace {

FileScanResult largestOnly(const QList<ScannedFile>& files) { return FileScanResult{files, {}}; }

QSet<QString> set(const QStringList& paths) { return QSet<QString>(paths.begin(), paths.end()); }

// Writes `bytes` bytes of a pattern seeded by `seed`: equal seeds give identical files.
QString writePattern(const QString& path, qint64 bytes, char seed)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    QByteArray block(4096, 0);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(seed + i % 251);
    for (qint64 left = bytes; left > 0; left -= block.size())
        f.write(block.constData(), std::min<qint64>(left, block.size()));
    return path;
}

} // namespace

class tst_FileFinderModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        Dialogs::setPickHandlerForTesting({});
    }

    void startsAtHomeWithNothingScanned()
    {
        TestHome home;
        FileFinderModel model;
        QCOMPARE(model.rootPath(), home.path());
        QVERIFY(!model.isScanning());
        QVERIFY(!model.hasScanned());
        QCOMPARE(model.scannedCount(), 0);
        QVERIFY(model.selected().isEmpty());
        QCOMPARE(model.selectedSize(), 0);
    }

    // Every copy but the first found is ticked, and each delivery ticks them again, also one the
    // user has unticked meanwhile; files of the largest list are never ticked by a delivery.
    void deliveriesTickEveryCopyButTheFirst()
    {
        TestHome home;
        ScriptedScan scans;
        FileFinderModel model(scans.function());
        const QString a = home("a.bin"), b = home("sub/b.bin"), c = home("c.bin"), d = home("d.bin"), e = home("e.bin");
        model.scan(home("photos"));
        QVERIFY(model.isScanning());
        QTRY_COMPARE(scans.count(), 1);
        QCOMPARE(scans.root(0), home("photos"));

        scans.progress(500);
        QTRY_COMPARE(model.scannedCount(), 500);
        const QList<ScannedFile> largest = {file(a, 3'000'000), file(b, 3'000'000), file(c, 3'000'000)};
        scans.deliver(largestOnly(largest));
        QTRY_COMPARE(model.result().largest.size(), 3);
        QVERIFY(model.selected().isEmpty());

        const DuplicateGroup three = group("aaa", 3'000'000, {file(a, 3'000'000), file(b, 3'000'000), file(c, 3'000'000)});
        scans.deliver(FileScanResult{largest, {three}});
        QTRY_COMPARE(model.result().duplicates.size(), 1);
        QCOMPARE(model.selected(), set({b, c}));
        QCOMPARE(model.selectedSize(), 6'000'000);

        model.toggle(b);
        QCOMPARE(model.selected(), set({c}));
        model.toggle(a);
        QCOMPARE(model.selected(), set({a, c}));

        // The next size class finds a pair: the selection is made anew from the whole result.
        const DuplicateGroup two = group("ddd", 1'000'000, {file(d, 1'000'000), file(e, 1'000'000)});
        scans.deliver(FileScanResult{largest, {three, two}});
        QTRY_COMPARE(model.result().duplicates.size(), 2);
        QCOMPARE(model.selected(), set({b, c, e}));
        QCOMPARE(model.selectedSize(), 7'000'000);

        scans.end();
        QTRY_VERIFY(!model.isScanning());
        QVERIFY(model.hasScanned());
        QCOMPARE(model.result().duplicates.size(), 2);
    }

    // One checkbox state per path: a file in both lists counts once; a ticked path the result
    // does not hold counts nothing.
    void selectedSizeCountsEachFileOnce()
    {
        TestHome home;
        ScriptedScan scans;
        FileFinderModel model(scans.function());
        const QString big = home("big.iso"), copy = home("copy.iso"), other = home("other.bin");
        model.scan();
        QTRY_COMPARE(scans.count(), 1);
        scans.deliver(FileScanResult{{file(big, 5'000'000), file(copy, 5'000'000), file(other, 2'000'000)},
                                     {group("x", 5'000'000, {file(big, 5'000'000), file(copy, 5'000'000)})}});
        QTRY_COMPARE(model.selected(), set({copy}));
        QCOMPARE(model.selectedSize(), 5'000'000);
        model.toggle(big);
        QCOMPARE(model.selectedSize(), 10'000'000);
        model.toggle(other);
        model.toggle(home("gone.bin"));
        QCOMPARE(model.selected().size(), 4);
        QCOMPARE(model.selectedSize(), 12'000'000);
    }

    // Stop: back to the start screen's flags, with what was delivered and ticked kept; what the
    // stopped scan still sends changes nothing.
    void stopKeepsTheResultAndTheSelection()
    {
        TestHome home;
        ScriptedScan scans;
        scans.holdCancelled = true;
        FileFinderModel model(scans.function());
        model.scan();
        QTRY_COMPARE(scans.count(), 1);
        scans.progress(1000);
        const FileScanResult r{{file(home("a"), 2'000'000), file(home("b"), 2'000'000)},
                               {group("g", 2'000'000, {file(home("a"), 2'000'000), file(home("b"), 2'000'000)})}};
        scans.deliver(r);
        QTRY_COMPARE(model.result(), r);
        model.stop();
        QVERIFY(!model.isScanning());
        QVERIFY(!model.hasScanned());
        QCOMPARE(model.selected(), set({home("b")}));
        QCOMPARE(model.selectedSize(), 2'000'000);

        // Already on its way when the scan was stopped.
        scans.progress(1500, 0);
        scans.deliver(FileScanResult{}, 0);
        scans.end(0);
        QTRY_VERIFY(scans.hasEnded(0));
        settle();
        QCOMPARE(model.scannedCount(), 1000);
        QCOMPARE(model.result(), r);
        QVERIFY(!model.hasScanned());
        QVERIFY(!model.isScanning());
    }

    // A new scan replaces a running one: nothing the first one still delivers reaches the model,
    // neither its results, nor its count, nor its end.
    void aReplacedScanIsIgnored()
    {
        TestHome home;
        ScriptedScan scans;
        scans.holdCancelled = true;
        FileFinderModel model(scans.function());
        model.scan(home("one"));
        QTRY_COMPARE(scans.count(), 1);
        scans.deliver(largestOnly({file(home("one/x"), 10)}), 0);
        QTRY_COMPARE(model.result().largest.size(), 1);

        QSignalSpy cleared(&model, &FileFinderModel::resultChanged);
        model.scan(home("two"));
        QCOMPARE(cleared.size(), 1);
        QVERIFY(model.result().largest.isEmpty());
        QTRY_COMPARE(scans.count(), 2);
        QCOMPARE(scans.root(1), home("two"));
        QCOMPARE(model.rootPath(), home("two"));

        scans.progress(700, 1);
        QTRY_COMPARE(model.scannedCount(), 700);
        // The first scan's late reports, while the second one runs.
        scans.progress(2000, 0);
        scans.deliver(largestOnly({file(home("one/late"), 99)}), 0);
        scans.end(0);
        QTRY_VERIFY(scans.hasEnded(0));
        settle();
        QCOMPARE(model.scannedCount(), 700);
        QVERIFY(model.result().largest.isEmpty());
        QVERIFY(model.isScanning());
        QVERIFY(!model.hasScanned());

        scans.deliver(largestOnly({file(home("two/y"), 20)}), 1);
        scans.end(1);
        QTRY_VERIFY(model.hasScanned());
        QCOMPARE(model.result().largest, QList<ScannedFile>{file(home("two/y"), 20)});
    }

    // Trashing: each movable ticked file goes to the Trash, one history entry names the count,
    // and the same folder is scanned again; files that may not go stay where they are.
    void trashingRecordsOneEntryAndScansAgain()
    {
        ModelFixture f;
        auto app = f.makeModel();
        ScriptedScan scans;
        FileFinderModel model(scans.function());
        model.setAppModel(app.get());
        const QString a = f.home.writeFile("d/a.bin", 1'048'576), b = f.home.writeFile("d/b.bin", 1'048'576),
                      c = f.home.writeFile("d/c.bin", 1'048'576);
        const QString outside = QStringLiteral("/usr/share/dustlet-test-never-there.bin");
        model.scan(f.home("d"));
        QTRY_COMPARE(scans.count(), 1);
        const qint64 s = 1'048'576;
        scans.deliver(FileScanResult{{}, {group("g", s, {file(a, s), file(b, s), file(c, s)}),
                                          group("h", s, {file(a, s), file(outside, s)})}});
        QTRY_COMPARE(model.selected(), set({b, c, outside}));
        scans.end();
        QTRY_VERIFY(model.hasScanned());

        model.trashSelected();
        QCOMPARE(app->history().size(), 1);
        const CleanRecord r = app->history().first();
        QCOMPARE(r.targetName, QStringLiteral("2 files (duplicate/large)"));
        QCOMPARE(r.freed, TestHome::allocated(a) * 2);
        QVERIFY(r.trashed);
        QVERIFY(r.items);
        QCOMPARE(r.items->size(), 2);
        QCOMPARE(r.items->at(0).original, b);
        QCOMPARE(r.items->at(1).original, c);
        for (const TrashedItem& item : *r.items) {
            QVERIFY(!QFile::exists(item.original));
            QVERIFY2(QFile::exists(item.trashPath), qPrintable(item.trashPath));
            QVERIFY(item.trashPath.startsWith(f.home.path() + '/'));
            QVERIFY(Trash::isInTrash(item.trashPath));
        }
        QVERIFY(QFile::exists(a));
        QCOMPARE(app->totalFreedAllTime(), r.freed);

        // The same folder again, from scratch.
        QVERIFY(model.isScanning());
        QVERIFY(model.selected().isEmpty());
        QVERIFY(model.result().duplicates.isEmpty());
        QTRY_COMPARE(scans.count(), 2);
        QCOMPARE(scans.root(1), f.home("d"));

        // One file: the singular word.
        scans.deliver(FileScanResult{{}, {group("g", s, {file(a, s), file(f.home("d/a2.bin"), s)})}});
        QTRY_VERIFY(!model.selected().isEmpty());
        f.home.writeFile("d/a2.bin", s);
        model.trashSelected();
        QCOMPARE(app->history().size(), 2);
        QCOMPARE(app->history().first().targetName, QStringLiteral("1 file (duplicate/large)"));
        QCOMPARE(app->history().first().items->size(), 1);
        QTRY_COMPARE(scans.count(), 3);

        // Nothing that can go: no entry, but still a new scan.
        model.toggle(outside);
        model.trashSelected();
        QCOMPARE(app->history().size(), 2);
        QTRY_COMPARE(scans.count(), 4);
    }

    // A scan root that is a link names its files below the link; they go to the Trash all the
    // same, recorded where they really are, and come back there.
    void trashingBelowALinkedRoot()
    {
        ModelFixture f;
        auto app = f.makeModel();
        ScriptedScan scans;
        FileFinderModel model(scans.function());
        model.setAppModel(app.get());
        const QString real = f.home.writeFile("Downloads/big.iso", 1'048'576);
        const QString viaLink = f.home.symlink("dl", f.home("Downloads")) + "/big.iso";
        model.scan(f.home("dl"));
        QTRY_COMPARE(scans.count(), 1);
        const qint64 s = 1'048'576;
        scans.deliver(largestOnly({file(viaLink, s)}));
        scans.end();
        QTRY_VERIFY(model.hasScanned());
        model.toggle(viaLink);
        model.trashSelected();
        QCOMPARE(app->history().size(), 1);
        const CleanRecord r = app->history().first();
        QVERIFY(r.items);
        QCOMPARE(r.items->size(), 1);
        QCOMPARE(r.items->at(0).original, real);
        QVERIFY(!QFile::exists(real));
        QVERIFY(Trash::putBack(r.items->at(0).trashPath, r.items->at(0).original));
        QVERIFY(QFile::exists(real));
        QTRY_COMPARE(scans.count(), 2); // the rescan reached the script before it goes away
    }

    // The real scan and the real move: a ticked file's folder is swapped after the scan for a link
    // to the keys or into Documents, where a file of the same name lies; then "Move to Trash".
    // Nothing outside the pick moves, the window says so, nothing is recorded; unswapped, the file
    // goes and is recorded. A file replaced by another one of its name is not moved either.
    void tickedFileSwappedAfterTheScan_data()
    {
        QTest::addColumn<QString>("ticked");  // relative to home
        QTest::addColumn<QString>("change");
        QTest::newRow("unswapped") << "scan/copies/id_ed25519" << "";
        QTest::newRow("its folder, to the keys") << "scan/copies/id_ed25519" << "link:.ssh";
        QTest::newRow("its folder, to Documents") << "scan/copies/report.pdf" << "link:Documents";
        QTest::newRow("the file replaced by another") << "scan/copies/report.pdf" << "replace";
    }

    void tickedFileSwappedAfterTheScan()
    {
        QFETCH(QString, ticked);
        QFETCH(QString, change);
        ModelFixture f;
        auto app = f.makeModel();
        FileFinderModel model;   // the real scan and the real move
        model.setAppModel(app.get());
        f.home.writeFile("scan/copies/id_ed25519", 65536);
        f.home.writeFile("scan/copies/report.pdf", 65536);
        f.home.writeText(".ssh/id_ed25519", "the key");
        f.home.writeText("Documents/report.pdf", "the user's report");
        model.scan(f.home("scan"));
        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 10000);
        QCOMPARE(model.result().largest.size(), 2);
        model.toggle(f.home(ticked));
        if (change.startsWith("link:")) {
            QVERIFY(f.home.swapForLink("scan/copies", f.home(change.mid(5))));
        } else if (change == "replace") {
            f.home.writeText(ticked + ".new", "a new file of the name");
            QCOMPARE(::rename(QFile::encodeName(f.home(ticked + ".new")).constData(),
                              QFile::encodeName(f.home(ticked)).constData()), 0);
        }

        model.trashSelected();
        QCOMPARE(TestHome::contents(f.home(".ssh/id_ed25519")), QByteArray("the key"));
        QCOMPARE(TestHome::contents(f.home("Documents/report.pdf")), QByteArray("the user's report"));
        if (change.isEmpty()) {
            QCOMPARE(app->history().size(), 1);
            QCOMPARE(app->history().first().items->first().original, f.home(ticked));
            QVERIFY(!QFile::exists(f.home(ticked)));
            QVERIFY(!model.message());
        } else {
            QVERIFY(app->history().isEmpty());
            QCOMPARE(model.message(), std::optional<QString>("Not moved: ~/" + ticked + " changed since the scan"));
            QVERIFY(QDir(f.home(".local/share/Trash/files")).isEmpty());
        }
        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 10000);   // the scan that follows has ended
    }

    // A scan of the Trash itself lists what is in it; "moving" such a file to the Trash frees
    // nothing, so it stays, with its record, and no history entry claims the bytes.
    void filesInTheTrashStayThere()
    {
        ModelFixture f;
        auto app = f.makeModel();
        ScriptedScan scans;
        FileFinderModel model(scans.function());
        model.setAppModel(app.get());
        const auto trashed = Trash::moveToTrash(f.home.writeFile("old.iso", 1'048'576));
        QVERIFY(trashed);
        const QString files = f.home(".local/share/Trash/files");
        model.scan(files);
        QTRY_COMPARE(scans.count(), 1);
        scans.deliver(largestOnly({file(*trashed, 1'048'576)}));
        scans.end();
        QTRY_VERIFY(model.hasScanned());
        model.toggle(*trashed);
        model.trashSelected();
        QVERIFY(app->history().isEmpty());
        QCOMPARE(app->totalFreedAllTime(), qint64(0));
        QVERIFY(QFile::exists(*trashed));
        QCOMPARE(QDir(f.home(".local/share/Trash/info")).entryList(QDir::Files).size(), 1);
        QTRY_COMPARE(scans.count(), 2);
    }

    void trashingWithoutTheApplicationModelDoesNothing()
    {
        TestHome home;
        ScriptedScan scans;
        FileFinderModel model(scans.function());
        const QString a = home.writeFile("a.bin", 4096);
        model.toggle(a);
        model.trashSelected();
        QVERIFY(QFile::exists(a));
        QCOMPARE(scans.count(), 0);
        QVERIFY(!model.isScanning());
    }

    void pickingAFolderScansIt()
    {
        TestHome home;
        ScriptedScan scans;
        FileFinderModel model(scans.function());
        QList<Dialogs::PickRequest> asked;
        std::optional<QString> answer;
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest& r) {
            asked.append(r);
            return answer;
        });
        model.pickFolderAndScan();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].acceptLabel, QStringLiteral("Scan"));
        QCOMPARE(asked[0].startPath, home.path());
        QVERIFY(asked[0].kind == Dialogs::PickKind::Folder);
        QVERIFY(!model.isScanning());   // cancelled: nothing happens

        answer = home.mkdir("Music");
        model.pickFolderAndScan();
        QVERIFY(model.isScanning());
        QCOMPARE(model.rootPath(), home("Music"));
        QTRY_COMPARE(scans.count(), 1);
        QCOMPARE(scans.root(0), home("Music"));
        model.pickFolderAndScan();
        QCOMPARE(asked.last().startPath, home("Music"));
        QTRY_COMPARE(scans.count(), 2);
        QCOMPARE(scans.root(1), home("Music"));
    }

    // Quitting cancels the running scan, so the application never waits on its hashing.
    void quittingStopsTheRunningScan()
    {
        TestHome home;
        ScriptedScan scans;
        scans.holdCancelled = true;
        FileFinderModel model(scans.function());
        model.scan();
        QTRY_COMPARE(scans.count(), 1);
        QVERIFY(!scans.isCancelled(0));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        qApp->exec();
        QVERIFY(scans.isCancelled(0));
    }

    // A model that goes away takes its scan with it: nothing would show what it finds.
    void destroyingTheModelStopsItsScan()
    {
        TestHome home;
        ScriptedScan scans;
        {
            FileFinderModel model(scans.function());
            model.scan();
            QTRY_COMPARE(scans.count(), 1);
            QVERIFY(!scans.isCancelled(0));
        }
        QTRY_VERIFY(scans.hasEnded(0));
    }

    // The window lets go of its model: the model stays while its scan runs (the scan's results
    // still reach it) and goes once the scan has ended; without a scan it goes at once.
    void aReleasedModelLivesUntilItsScanEnds()
    {
        TestHome home;
        ScriptedScan scans;
        QPointer<FileFinderModel> model = new FileFinderModel(scans.function());
        model->scan();
        QTRY_COMPARE(scans.count(), 1);
        model->release();
        scans.deliver(largestOnly({file(home("a"), 5)}));
        QTRY_COMPARE(model->result().largest.size(), 1);
        QVERIFY(model);
        scans.end();
        QTRY_VERIFY(model.isNull());

        QPointer<FileFinderModel> idle = new FileFinderModel(scans.function());
        idle->release();
        QTRY_VERIFY(idle.isNull());
    }

    // A copy whose name is not well-formed UTF-8 is listed and ticked, but never moved: its shown
    // path would name another file (here one that really exists).
    void aNameThatIsNotUtf8IsNeverTrashed()
    {
        ModelFixture f;
        auto app = f.makeModel();
        QByteArray content(1'100'000, 'k');
        QByteArray other(1'100'000, 'o');
        f.home.mkdir("pair");
        QVERIFY(!f.home.writeRaw("pair/a.bin", content).isEmpty());
        const QByteArray bad = f.home.writeRaw("pair/z\xff.bin", content);
        const QByteArray lookalike = f.home.writeRaw("pair/z\xef\xbf\xbd.bin", other);
        QVERIFY(!bad.isEmpty() && !lookalike.isEmpty());

        FileFinderModel model;
        model.setAppModel(app.get());
        model.scan(f.home("pair"));
        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 20000);
        QCOMPARE(model.result().duplicates.size(), 1);
        const ScannedFile copy = model.result().duplicates[0].files[1];
        QCOMPARE(copy.rawPath, bad);
        QVERIFY(!copy.pathRoundTrips());
        QCOMPARE(model.selected(), set({copy.id()}));
        QCOMPARE(model.selectedSize(), copy.size);
        QVERIFY(!FileFinderModel::canTrash(copy.id()));
        QVERIFY(FileFinderModel::canTrash(model.result().duplicates[0].files[0].id()));

        model.trashSelected();
        QVERIFY(app->history().isEmpty());
        QVERIFY(QFile::exists(QFile::decodeName(lookalike)));
        struct stat st {};
        QCOMPARE(::lstat(bad.constData(), &st), 0);
    }

    // The real scan in a test home: find a duplicate pair, move the ticked copy to the home's
    // Trash, and put it back from the history.
    void findTrashAndPutBackADuplicate()
    {
        ModelFixture f;
        AppModelEnvironment env = f.environment();
        env.putBack = [](const QString& trashPath, const QString& original) { return Trash::putBack(trashPath, original); };
        AppModel app(env);
        f.home.mkdir("pics");
        const QString first = writePattern(f.home("pics/a-holiday.jpg"), 1'500'000, 'a');
        const QString copy = writePattern(f.home("pics/b-holiday copy.jpg"), 1'500'000, 'a');
        writePattern(f.home("pics/c-other.jpg"), 1'500'000, 'c');
        QVERIFY(!first.isEmpty() && !copy.isEmpty());

        FileFinderModel model;
        model.setAppModel(&app);
        model.scan(f.home("pics"));
        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 20000);
        QCOMPARE(model.scannedCount(), 3);
        QCOMPARE(model.result().largest.size(), 3);
        QCOMPARE(model.result().duplicates.size(), 1);
        QCOMPARE(model.result().duplicates[0].files.size(), 2);
        QCOMPARE(model.selected(), set({copy}));

        model.trashSelected();
        QVERIFY(!QFile::exists(copy));
        QVERIFY(QFile::exists(first));
        QCOMPARE(app.history().size(), 1);
        const CleanRecord record = app.history().first();
        QCOMPARE(record.targetName, QStringLiteral("1 file (duplicate/large)"));
        QCOMPARE(record.freed, TestHome::allocated(first));
        QVERIFY(record.items && record.items->size() == 1);
        const QString inTrash = record.items->first().trashPath;
        QVERIFY2(inTrash.startsWith(f.home.path() + "/.local/share/Trash/files/"), qPrintable(inTrash));
        QVERIFY(QFile::exists(inTrash));

        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 20000);
        QVERIFY(model.result().duplicates.isEmpty());

        app.restore(record);
        QVERIFY(QFile::exists(copy));
        QVERIFY(!QFile::exists(inTrash));
        QCOMPARE(app.history().first().restored, std::optional<bool>(true));
        model.scan();
        QTRY_VERIFY_WITH_TIMEOUT(model.hasScanned(), 20000);
        QCOMPARE(model.result().duplicates.size(), 1);
    }
};

QTEST_MAIN(tst_FileFinderModel)
#include "tst_FileFinderModel.moc"
