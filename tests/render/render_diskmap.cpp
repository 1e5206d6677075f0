// The Disk Map's pictures: the start screen, a map filling in while it scans, a finished map
// coloured by type and by age, a zoomed folder, the folded items and the context menu.
#include "RenderKit.h"

#include "AppModel.h"
#include "platform/MountedVolumes.h"
#include "services/DiskMapScanner.h"
#include "services/Cleaner.h"
#include "views/components/TransientMessage.h"
#include "views/diskmap/DiskMapCanvas.h"
#include "views/diskmap/DiskMapModel.h"
#include "views/diskmap/DiskMapSideList.h"
#include "views/diskmap/DiskMapView.h"

#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QThreadPool>

#include <atomic>
#include <map>
#include <thread>

namespace {

using namespace RenderKit;

const QDateTime kNow = QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC);

QDateTime daysAgo(int days) { return kNow.addDays(-days); }

DiskNode file(const QString& path, qint64 size, int ageDays)
{
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    return DiskNode(path, name, size, false, FileCategories::forFile(name), daysAgo(ageDays));
}

// A folder as the scanner makes it: children largest first, folded below 0.4 %.
DiskNode folder(const QString& path, QList<DiskNode> kids, int ageDays = 30)
{
    std::stable_sort(kids.begin(), kids.end(), [](const DiskNode& a, const DiskNode& b) { return a.size() > b.size(); });
    qint64 sum = 0;
    std::map<int, qint64> perCategory;
    for (const DiskNode& k : kids) {
        sum += k.size();
        perCategory[int(k.category())] += k.size();
    }
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    FileCategory category = FileCategories::bundleOr(name.toStdString(), FileCategory::other);
    if (!FileCategories::bundle(name) && !perCategory.empty())
        category = FileCategory(std::max_element(perCategory.begin(), perCategory.end(), [](auto& a, auto& b) {
                                    return a.second < b.second;
                                })->first);
    return DiskNode(path, name, sum, true, category, daysAgo(ageDays), false, DiskMapScanner::prune(kids, sum));
}

constexpr qint64 MB = 1'000'000;
constexpr qint64 GB = 1'000'000'000;

QList<DiskNode> many(const QString& dir, const QString& stem, const QString& ext, int count, qint64 base, int ageStep)
{
    QList<DiskNode> out;
    for (int i = 0; i < count; ++i)
        out << file(dir + "/" + stem + QString::number(i + 1) + "." + ext, base / (1 + i % 7) + (i * 7919 % 97) * 4096,
                    (i * ageStep) % 500);
    return out;
}

// A home folder of some years' use.
QList<DiskNode> homeChildren(const QString& h)
{
    const QString movies = h + "/Movies", photos = h + "/Pictures", music = h + "/Music", docs = h + "/Documents",
                  dl = h + "/Downloads", code = h + "/Projects", lib = h + "/.cache";
    QList<DiskNode> projects;
    for (const char* p : {"dustlet", "website", "notes-app", "old-game"}) {
        const QString root = code + "/" + p;
        projects << folder(root, many(root + "/src", "module", "cpp", 40, 220 * 1000, 9)
                                     + QList<DiskNode>{folder(root + "/node_modules",
                                                              many(root + "/node_modules", "pkg", "js", 120, 4 * MB, 3)),
                                                       file(root + "/build.log", 40 * MB, 2)});
    }
    return {
        folder(movies, many(movies, "Holiday ", "mov", 9, 6 * GB, 70) + many(movies, "clip", "mp4", 20, 300 * MB, 40), 200),
        folder(photos, {folder(photos + "/Photos Library.photoslibrary", many(photos + "/lib", "IMG_", "heic", 300, 4 * MB, 3), 5),
                        folder(photos + "/Exports", many(photos + "/Exports", "export", "jpg", 60, 9 * MB, 11), 90)},
               5),
        folder(music, many(music, "track", "flac", 200, 35 * MB, 4), 400),
        folder(docs, many(docs, "report", "pdf", 40, 18 * MB, 13) + many(docs, "sheet", "xlsx", 30, 6 * MB, 17)
                         + many(docs, "notes", "md", 80, 40 * 1000, 5),
               12),
        folder(dl, many(dl, "installer", "dmg", 8, 1500 * MB, 90) + many(dl, "archive", "zip", 14, 600 * MB, 150)
                       + many(dl, "paper", "pdf", 30, 3 * MB, 20),
               3),
        folder(code, projects, 1),
        folder(lib, many(lib, "cache", "cache", 50, 60 * MB, 2) + many(lib, "trace", "log", 30, 20 * MB, 1), 1),
        file(h + "/backup.tar.gz", 9 * GB, 620),
        file(h + "/vm-disk.img", 14 * GB, 250),
    };
}

DiskNode homeTree(const QString& h) { return folder(h, homeChildren(h), 1); }

// A scan that hands over `partial` children, then waits until released (or stopped).
struct Scans {
    QThreadPool pool;
    std::atomic<bool> release{false};
    ~Scans()
    {
        release = true;
        pool.waitForDone();
    }
    DiskMapEnvironment finished(const DiskNode& tree)
    {
        DiskMapEnvironment env;
        env.pool = &pool;
        env.scan = [tree](const QString&, const CancelToken&, const DiskMapScanner::Progress&,
                          const DiskMapScanner::ChildDone&) { return tree; };
        env.trashPicked = [](const Cleaner::PickedItem&) { return Cleaner::PickedMove{}; };
        return env;
    }
    DiskMapEnvironment partial(const DiskNode& tree, int count)
    {
        DiskMapEnvironment env = finished(tree);
        env.scan = [this, tree, count](const QString&, const CancelToken& token, const DiskMapScanner::Progress& progress,
                                       const DiskMapScanner::ChildDone& child) {
            const QList<DiskNode> kids = tree.children();
            qint64 bytes = 0;
            // Not in size order: children arrive as their walks finish.
            for (int i = 0; i < count && i < kids.size(); ++i) {
                const DiskNode& k = kids[kids.size() - 1 - i];
                child(k);
                bytes += k.size();
                progress(bytes + 1234567890);
            }
            while (!release && !token.isCancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return tree;
        };
        return env;
    }
};

DiskMapView* makeView(const DiskMapEnvironment& env)
{
    auto* view = new DiskMapView(model(), env);
    view->setNow([] { return kNow; });
    return view;
}

const QSize kSize(900, 620);

void waitForScan(DiskMapView* view)
{
    waitUntil([view] { return !view->model().isScanning(); }, "the end of the Disk Map scan");
}

void startScreen()
{
    // One extra disk, so the volume cards show.
    MountedVolumes::setMountsForTesting(QList<MountedVolumes::Mount>{
        {"/", "/dev/sda2", "ext4", "", true},
        {"/media/user/Backup", "/dev/sdb1", "ext4", "Backup Disk", true},
    });
    Scans scans;
    shoot(makeView(scans.finished(homeTree(home()))), "diskmap-start", kSize);
    MountedVolumes::setMountsForTesting(std::nullopt);
}

void scanning()
{
    Scans scans;
    const DiskNode tree = homeTree(home());
    const int count = 6;
    auto* view = makeView(scans.partial(tree, count));
    view->model().scan(home());
    // The partial map with every child handed over, and the byte count after the last of them.
    const QList<DiskNode> kids = tree.children();
    qint64 bytes = 1234567890;
    for (int i = 0; i < count; ++i)
        bytes += kids[kids.size() - 1 - i].size();
    waitUntil(
        [&] {
            const auto current = view->model().current();
            return current && current->children().size() == count && view->model().scannedBytes() == bytes;
        },
        "the partial Disk Map");
    shoot(view, "diskmap-scanning", kSize);
}

void finishedMaps()
{
    Scans scans;
    const DiskNode tree = homeTree(home());
    {
        auto* view = makeView(scans.finished(tree));
        view->model().scan(home());
        waitForScan(view);
        view->model().setSelection(tree.children().at(1));
        view->show();
        view->resize(kSize);
        settle();
        // The pointer over the largest tile: its tooltip.
        const auto& tiles = view->canvas()->tiles();
        if (!tiles.isEmpty())
            view->canvas()->hoverAt(tiles.first().rect.center() + QPointF(30, 20));
        shoot(view, "diskmap-type", kSize);
    }
    {
        auto* view = makeView(scans.finished(tree));
        view->model().scan(home());
        waitForScan(view);
        view->setColorMode(DiskColorMode::age);
        shoot(view, "diskmap-age", kSize);
    }
    {
        // A move refused because the item changed since the scan.
        auto* view = makeView(scans.finished(tree));
        view->model().scan(home());
        waitForScan(view);
        view->model().setSelection(tree.children().at(1));
        view->model().messageHolder().hold(Cleaner::changedSinceScan(tree.children().at(1).path()));
        shoot(view, "diskmap-not-moved", kSize);
    }
    {
        auto* view = makeView(scans.finished(tree));
        view->model().scan(home());
        waitForScan(view);
        for (const DiskNode& n : tree.children())
            if (n.name() == QLatin1String("Projects"))
                view->model().zoom(n);
        view->model().zoom(view->model().current()->children().first());
        view->model().moveSelection(1);
        shoot(view, "diskmap-zoomed", kSize);
    }
    {
        // The folded "(smaller items)" of a folder of many files.
        auto* view = makeView(scans.finished(tree));
        view->model().scan(home());
        waitForScan(view);
        for (const DiskNode& n : tree.children())
            if (n.name() == QLatin1String("Pictures"))
                view->model().zoom(n);
        const DiskNode library = view->model().current()->children().first();
        view->model().zoom(library);
        const QList<DiskNode> kids = view->model().current()->children();
        view->model().zoom(kids.last());
        shoot(view, "diskmap-smaller", kSize);
    }
    {
        // The context menu over a folder.
        auto* view = makeView(scans.finished(tree));
        view->model().scan(home());
        waitForScan(view);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        view->resize(kSize);
        settle();
        const DiskNode target = tree.children().first();
        view->model().setSelection(target);
        settle();
        QImage image = view->grab().toImage();
        QMenu menu;
        view->fillNodeMenu(menu, target);
        menu.setAttribute(Qt::WA_DontShowOnScreen);
        menu.show();
        settle();
        const QImage menuImage = menu.grab().toImage();
        QPainter p(&image);
        const QRect tile = view->canvas()->tiles().first().rect.toRect();
        p.drawImage(view->canvas()->mapTo(view, tile.center()), menuImage);
        p.end();
        save(image, "diskmap-menu");
        delete view;
    }
}

} // namespace

DUSTLET_RENDER("diskmap", 30, [] {
    startScreen();
    scanning();
    finishedMaps();
});
