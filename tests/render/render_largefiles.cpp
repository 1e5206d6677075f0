// The large and duplicate files window: start screen, a scan under way, both tabs with results,
// the empty placeholders, a stopped scan with its selection, and the scan menu.
#include "RenderKit.h"

#include "AppModel.h"
#include "services/Cleaner.h"
#include "views/components/TransientMessage.h"
#include "views/largefiles/LargeFilesView.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QImage>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QThread>
#include <QToolButton>

#include <atomic>
#include <memory>

namespace {

using namespace RenderKit;

// A scan that hands over a fixed list of reports at once, then either ends or stays running
// until it is stopped or `release` is set.
struct CannedScan {
    QList<int> progress;
    QList<FileScanResult> results;
    bool keepRunning = false;
    std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);

    FileFinderModel::ScanFunction function() const
    {
        return [c = *this](const QString&, const CancelToken& token, const DuplicateScanner::Progress& onProgress,
                           const DuplicateScanner::ResultHandler& onResult) {
            for (int n : c.progress)
                onProgress(n);
            for (const FileScanResult& r : c.results)
                onResult(r);
            while (c.keepRunning && !token.isCancelled() && !c.release->load())
                QThread::msleep(5);
        };
    }
};

QString at(const QString& relative) { return home() + QLatin1Char('/') + relative; }

ScannedFile f(const QString& relative, qint64 size)
{
    return ScannedFile{(relative.startsWith(QLatin1Char('/')) ? relative : at(relative)).toUtf8(), size};
}

FileScanResult sampleResult()
{
    FileScanResult r;
    r.largest = {
        f("Movies/Holiday 2023/Family trip – full cut.mov", 8'412'000'256),
        f("Downloads/debian-12.5.0-amd64-DVD-1.iso", 3'994'091'520),
        f("Downloads/Old installers/debian-12.5.0-amd64-DVD-1 (copy).iso", 3'994'091'520),
        f("Virtual Machines/Windows 11 dev environment/disk-0001-flat.vmdk", 2'147'487'744),
        f("Music/Live recordings/Concert <2019> & rehearsal.wav", 912'003'072),
        f("Pictures/Exports/panorama-harbour.tif", 402'653'184),
        f("Pictures/Exports/Copy of panorama-harbour.tif", 402'653'184),
        f("Documents/Backups/phone-backup-2022.tar.gz", 318'767'104),
        f("Documents/Projects/render-cache/frame-cache.bin", 209'715'200),
        f("Downloads/dataset-sample.parquet", 104'857'600),
    };
    const DuplicateGroup iso{QStringLiteral("a1"), 3'994'091'520, {r.largest[1], r.largest[2]}};
    const DuplicateGroup pano{QStringLiteral("b2"), 402'653'184, {r.largest[5], r.largest[6], f("Desktop/panorama-harbour.tif", 402'653'184)}};
    const DuplicateGroup photos{QStringLiteral("c3"), 4'202'496,
                                {f("Pictures/Camera Roll/IMG_2041.HEIC", 4'202'496), f("Pictures/Imported/IMG_2041.HEIC", 4'202'496)}};
    const DuplicateGroup shared{QStringLiteral("d4"), 2'101'248,
                                {f("Documents/report-final.pdf", 2'101'248), f("/srv/shared/report-final.pdf", 2'101'248)}};
    // A name that is not well-formed UTF-8: shown with U+FFFD, its box and reveal button off.
    const DuplicateGroup odd{QStringLiteral("e5"), 1'052'672,
                             {f("Music/Samples/kick.wav", 1'052'672),
                              ScannedFile{at("Music/Samples/kick ").toUtf8() + "\xe9t\xe9.wav", 1'052'672}}};
    r.duplicates = {iso, pano, photos, shared, odd};
    return r;
}

// Many more groups, to scroll.
FileScanResult longResult()
{
    FileScanResult r = sampleResult();
    for (int i = 0; i < 14; ++i) {
        const QString name = QStringLiteral("Documents/Scans/scan-%1.pdf").arg(i + 1, 3, 10, QLatin1Char('0'));
        const qint64 size = 1'040'384 + 4096 * (14 - i);
        r.duplicates.append(DuplicateGroup{QString::number(100 + i), size,
                                           {f(name, size), f(QStringLiteral("Downloads/") + name.section('/', -1), size)}});
    }
    return r;
}

// A view whose scan has delivered all of `scan`'s reports.
LargeFilesView* viewAfter(const CannedScan& scan, int tab, bool start = true)
{
    model().setLargeFilesTab(tab);
    auto* view = new LargeFilesView(model(), scan.function());
    if (start) {
        FileFinderModel& m = view->model();
        m.scan(home());
        const int count = scan.progress.isEmpty() ? 0 : scan.progress.last();
        const FileScanResult last = scan.results.isEmpty() ? FileScanResult{} : scan.results.last();
        waitUntil([&] { return m.scannedCount() == count && m.result() == last && (scan.keepRunning || m.hasScanned()); },
                  "the large-file scan's last report");
    }
    settle();
    return view;
}

void largeFiles()
{
    const QSize size(680, 560);

    shoot(viewAfter({}, 0, false), QStringLiteral("largefiles-start"), size);

    CannedScan walking;
    walking.progress = {500, 1000, 1500, 2000, 2500, 3000, 3500};
    walking.keepRunning = true;
    shoot(viewAfter(walking, 0), QStringLiteral("largefiles-scanning"), size);
    walking.release->store(true);

    CannedScan hashing;
    hashing.progress = {48'210};
    FileScanResult partial = sampleResult();
    partial.duplicates = partial.duplicates.mid(0, 1);
    hashing.results = {partial};
    hashing.keepRunning = true;
    shoot(viewAfter(hashing, 1), QStringLiteral("largefiles-scanning-duplicates"), size);
    hashing.release->store(true);

    CannedScan done;
    done.progress = {48'210};
    done.results = {sampleResult()};
    {
        LargeFilesView* view = viewAfter(done, 0);
        // A file of the largest list ticked by hand, besides the copies.
        view->model().toggle(at("Movies/Holiday 2023/Family trip – full cut.mov"));
        settle();
        shoot(view, QStringLiteral("largefiles-largest"), size);
    }
    shoot(viewAfter(done, 1), QStringLiteral("largefiles-duplicates"), size);
    {
        // A ticked copy that changed since the scan stayed where it is.
        LargeFilesView* view = viewAfter(done, 1);
        view->model().messageHolder().hold(Cleaner::changedSinceScan(at("Music/Samples/kick copy.wav")));
        settle();
        shoot(view, QStringLiteral("largefiles-not-moved"), size);
    }
    CannedScan many;
    many.results = {longResult()};
    {
        LargeFilesView* view = viewAfter(many, 1);
        // Laid out on screen first, so that the list knows how far it scrolls.
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        view->resize(size);
        settle();
        view->duplicatesList()->verticalScrollBar()->setValue(view->duplicatesList()->verticalScrollBar()->maximum());
        shoot(view, QStringLiteral("largefiles-duplicates-scrolled"), size);
    }

    CannedScan nothing;
    nothing.results = {FileScanResult{}, FileScanResult{}};
    shoot(viewAfter(nothing, 0), QStringLiteral("largefiles-empty-largest"), size);
    shoot(viewAfter(nothing, 1), QStringLiteral("largefiles-empty-duplicates"), size);

    {
        CannedScan stopped = hashing;
        stopped.release = std::make_shared<std::atomic<bool>>(false);
        LargeFilesView* view = viewAfter(stopped, 1);
        view->model().stop();
        settle();
        shoot(view, QStringLiteral("largefiles-stopped"), size);
    }

    if (wanted(QStringLiteral("largefiles-scan-menu"))) {
        auto* view = viewAfter({}, 0, false);
        QMenu* menu = view->scanMenu();
        Q_EMIT menu->aboutToShow();
        menu->setAttribute(Qt::WA_DontShowOnScreen);
        menu->adjustSize();
        menu->show();
        settle();
        save(menu->grab().toImage(), QStringLiteral("largefiles-scan-menu"));
        menu->hide();
        delete view;
    }
}

} // namespace

DUSTLET_RENDER("largefiles", 30, largeFiles);
