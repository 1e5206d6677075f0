// The Project Cleanup window: a scan under way (nothing found yet, and folders coming in), the
// results of several kinds with a selection, grouped by project (one project selected, and
// scrolled with its header pinned), filtered by a kind, oldest first, one kind only, and nothing
// found.
#include "RenderKit.h"

#include "AppModel.h"
#include "models/BuildArtifactType.h"
#include "platform/Paths.h"
#include "services/Cleaner.h"
#include "views/components/TransientMessage.h"
#include "views/projectcleanup/ProjectCleanupRows.h"
#include "views/projectcleanup/ProjectCleanupView.h"

#include <QCoreApplication>
#include <QDir>
#include <QScrollBar>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

using namespace RenderKit;

const QDateTime kNow = QDateTime(QDate(2024, 6, 14), QTime(16, 0), Qt::UTC);

// A scan that hands over its folders at once, then ends or stays running until it is stopped
// or released.
struct CannedScan {
    QList<ProjectDir> dirs;
    bool keepRunning = false;
    std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);

    ProjectCleanupModel::ScanFunction function() const
    {
        return [c = *this](const QStringList&, const QStringList&, int, const CancelToken& token,
                           const ProjectScanner::Progress& onProgress, const ProjectScanner::Found& onFound) {
            int n = 0;
            for (const ProjectDir& d : c.dirs) {
                onProgress(++n);
                onFound(d);
            }
            while (c.keepRunning && !token.isCancelled() && !c.release->load())
                QThread::msleep(5);
        };
    }
};

ProjectDir dir(const QString& relative, const QString& kindID, qint64 size, int daysOld)
{
    QString label = kindID;
    for (const BuildArtifactType& k : BuildArtifactType::all())
        if (k.id == kindID)
            label = k.label;
    std::optional<QDateTime> modified;
    if (daysOld >= 0)
        modified = kNow.addDays(-daysOld).addSecs(-3600);
    return ProjectDir{home() + QLatin1Char('/') + relative, kindID, label,
                      QStringLiteral("shippingbox.fill"),   size,   modified};
}

QList<ProjectDir> seeded()
{
    return {
        dir("src/web-shop/node_modules", "node_modules", 1'284'505'600, 3),
        dir("src/web-shop/.next", "next", 212'340'736, 0),
        dir("src/rust-cli/target", "target", 2'861'154'304, 45),
        dir("dev/android-app/build", "build", 734'003'200, 12),
        dir("dev/android-app/.gradle", "gradle_cache", 98'566'144, 12),
        dir("src/ml-notebook/.venv", "venv", 1'932'735'283, 400),
        dir("src/ml-notebook/src/__pycache__", "pycache", 1'048'576, 1),
        dir("dev/ios-app/Pods", "pods", 402'653'184, -1),
        dir("src/archive/2019 experiments & prototypes/very-long-project-name-for-testing/node_modules", "node_modules",
            512'000'000, 800),
        dir("src/dashboard/node_modules", "node_modules", 911'212'544, 30),
        dir("src/dashboard/dist", "js_dist", 4'194'304, 2),
    };
}

// A view whose scan has delivered `scan`'s folders (and ended, unless it keeps running).
ProjectCleanupView* viewAfter(const CannedScan& scan, const std::function<void(ProjectCleanupModel&)>& set = {})
{
    auto* view = new ProjectCleanupView(model(), scan.function());
    view->setNow(kNow);
    ProjectCleanupModel& m = view->model();
    m.setAppModel(&model());
    m.scan();
    waitUntil([&] { return m.dirs().size() == scan.dirs.size() && (scan.keepRunning || m.hasScanned()); },
              "the project scan's last folder");
    if (set)
        set(m);
    settle();
    return view;
}

void selectPaths(ProjectCleanupModel& m, const QStringList& relative)
{
    for (const QString& r : relative)
        m.toggle(home() + QLatin1Char('/') + r);
}

void projectCleanup()
{
    const QSize size(680, 560);

    CannedScan waiting;
    waiting.keepRunning = true;
    shoot(viewAfter(waiting), QStringLiteral("projectcleanup-scanning"), size);
    waiting.release->store(true);

    CannedScan coming;
    coming.dirs = seeded().mid(0, 4);
    coming.keepRunning = true;
    shoot(viewAfter(coming), QStringLiteral("projectcleanup-scanning-found"), size);
    coming.release->store(true);

    CannedScan done;
    done.dirs = seeded();
    shoot(viewAfter(
              done,
              [](ProjectCleanupModel& m) {
        selectPaths(m, {"src/rust-cli/target", "src/ml-notebook/.venv", "dev/android-app/build"});
              }),
          QStringLiteral("projectcleanup-results"), size);
    shoot(viewAfter(
              done,
              [](ProjectCleanupModel& m) {
        m.messageHolder().hold(Cleaner::changedSinceScan(Paths::home() + "/src/web-shop/node_modules"));
              }),
          QStringLiteral("projectcleanup-not-moved"), size);

    shoot(viewAfter(
              done,
              [](ProjectCleanupModel& m) {
        m.setGroupByProject(true);
        selectPaths(m, {"dev/android-app/build", "dev/android-app/.gradle", "src/web-shop/.next"});
              }),
          QStringLiteral("projectcleanup-grouped"), size);

    {
        ProjectCleanupView* view = viewAfter(done, [](ProjectCleanupModel& m) { m.setGroupByProject(true); });
        // Laid out on screen first, so that the list knows how far it scrolls.
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        view->resize(size);
        settle();
        QScrollBar* bar = view->list()->verticalScrollBar();
        // Half-way into the third project's second folder: its header stays pinned at the top.
        const QModelIndex into = view->rows()->index(6);
        bar->setValue(view->list()->visualRect(into).top() + bar->value()
                      + view->list()->visualRect(into).height() / 2);
        settle();
        shoot(view, QStringLiteral("projectcleanup-grouped-scrolled"), size);
    }

    shoot(viewAfter(
              done,
              [](ProjectCleanupModel& m) {
        m.selectAll(true);
        m.setActiveKinds({QStringLiteral("node_modules")});
              }),
          QStringLiteral("projectcleanup-filtered"), size);

    shoot(viewAfter(done, [](ProjectCleanupModel& m) { m.setSortByAge(true); }),
          QStringLiteral("projectcleanup-oldest"), size);

    CannedScan oneKind;
    oneKind.dirs = {seeded()[0], seeded()[8], seeded()[9]};
    shoot(viewAfter(oneKind), QStringLiteral("projectcleanup-one-kind"), size);

    // Nothing found: with both roots there, on a home without ~/dev, and without either.
    QDir().mkpath(home() + QStringLiteral("/src"));
    QDir().mkpath(home() + QStringLiteral("/dev"));
    shoot(viewAfter(CannedScan{}), QStringLiteral("projectcleanup-empty"), size);
    QDir(home() + QStringLiteral("/dev")).removeRecursively();
    shoot(viewAfter(CannedScan{}), QStringLiteral("projectcleanup-empty-missing"), size);
    // Neither root there: nothing was searched at all.
    QDir(home() + QStringLiteral("/src")).removeRecursively();
    shoot(viewAfter(CannedScan{}), QStringLiteral("projectcleanup-empty-no-roots"), size);
}

} // namespace

DUSTLET_RENDER("projectcleanup", 40, projectCleanup);
