#include "views/projectcleanup/ProjectCleanupModel.h"

#include "AppModel.h"
#include "platform/Background.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "platform/ui/Dialogs.h"
#include "services/Cleaner.h"
#include "views/components/TransientMessage.h"
#include "services/Finder.h"

#include <QHash>
#include <QThreadPool>

#include <algorithm>

namespace {

// The project folder of a build folder: its path without the last piece.
QString projectPathOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// Oldest first; a folder without a date counts as lying in the far future.
bool earlier(const std::optional<QDateTime>& a, const std::optional<QDateTime>& b)
{
    if (!a)
        return false;
    if (!b)
        return true;
    return *a < *b;
}

} // namespace

std::optional<QDateTime> ProjectGroup::oldest() const
{
    std::optional<QDateTime> found;
    for (const ProjectDir& dir : dirs) {
        if (earlier(dir.modified, found))
            found = dir.modified;
    }
    return found;
}

qint64 ProjectGroup::totalSize() const
{
    qint64 total = 0;
    for (const ProjectDir& dir : dirs)
        total += dir.size;
    return total;
}

ProjectCleanupModel::ProjectCleanupModel(ScanFunction scan, QObject* parent)
    : QObject(parent),
      m_scan(std::move(scan)),
      m_trash([](const Cleaner::PickedItem& item) { return Cleaner::trashPicked(item, Cleaner::PickedIn::projectCleanup); }),
      m_message(new TransientMessage(kMessageDelayMs, this)),
      m_relay(MainThreadRelay<ProjectCleanupModel>::create(this))
{
    connect(m_message, &TransientMessage::changed, this, &ProjectCleanupModel::messageChanged);
    if (!m_scan)
        m_scan = &ProjectScanner::scan;
}

// A scan still running goes on to its end; what it delivers from now on is dropped.
ProjectCleanupModel::~ProjectCleanupModel() { m_relay->detach(); }

void ProjectCleanupModel::setAppModel(AppModel* model) { m_appModel = model; }
AppModel* ProjectCleanupModel::appModel() const { return m_appModel; }

void ProjectCleanupModel::setDirs(const QList<ProjectDir>& value) { m_dirs = value; Q_EMIT dirsChanged(); }
void ProjectCleanupModel::setIsScanning(bool value) { m_isScanning = value; Q_EMIT isScanningChanged(); }
void ProjectCleanupModel::setHasScanned(bool value) { m_hasScanned = value; Q_EMIT hasScannedChanged(); }
void ProjectCleanupModel::setFoundCount(int value) { m_foundCount = value; Q_EMIT foundCountChanged(); }
void ProjectCleanupModel::setSelected(const QSet<QString>& value) { m_selected = value; Q_EMIT selectedChanged(); }
void ProjectCleanupModel::setSortByAge(bool value) { m_sortByAge = value; Q_EMIT sortByAgeChanged(); }
void ProjectCleanupModel::setGroupByProject(bool value) { m_groupByProject = value; Q_EMIT groupByProjectChanged(); }
void ProjectCleanupModel::setActiveKinds(const QSet<QString>& value) { m_activeKinds = value; Q_EMIT activeKindsChanged(); }
void ProjectCleanupModel::setOverrideRoot(const std::optional<QString>& value)
{
    m_overrideRoot = value;
    Q_EMIT overrideRootChanged();
}

// ---------------------------------------------------------------------------------------------
// Derived values

QStringList ProjectCleanupModel::effectiveRoots() const
{
    if (m_overrideRoot)
        return {*m_overrideRoot};
    if (m_appModel) {
        const QStringList roots = m_appModel->settings().projectRoots();
        if (!roots.isEmpty())
            return roots;
    }
    return {Paths::home()};
}

QString ProjectCleanupModel::rootsLabel() const
{
    QStringList shown;
    for (const QString& root : effectiveRoots())
        shown.append(Paths::abbreviateHome(root));
    return shown.join(QLatin1String(", "));
}

QList<KindFacet> ProjectCleanupModel::kindFacets() const
{
    QList<KindFacet> facets;
    QHash<QString, qsizetype> at;
    for (const ProjectDir& dir : m_dirs) {
        const auto it = at.constFind(dir.kindID);
        if (it != at.constEnd()) {
            ++facets[*it].count;
            continue;
        }
        at.insert(dir.kindID, facets.size());
        facets.append(KindFacet{dir.kindID, dir.kindLabel, 1});
    }
    return facets;
}

QList<ProjectDir> ProjectCleanupModel::sortedDirs() const
{
    QList<ProjectDir> visible;
    visible.reserve(m_dirs.size());
    for (const ProjectDir& dir : m_dirs) {
        if (m_activeKinds.isEmpty() || m_activeKinds.contains(dir.kindID))
            visible.append(dir);
    }
    if (m_sortByAge)
        std::stable_sort(visible.begin(), visible.end(),
                         [](const ProjectDir& a, const ProjectDir& b) { return earlier(a.modified, b.modified); });
    else
        std::stable_sort(visible.begin(), visible.end(),
                         [](const ProjectDir& a, const ProjectDir& b) { return a.size > b.size; });
    return visible;
}

qint64 ProjectCleanupModel::selectedSize() const
{
    qint64 total = 0;
    for (const ProjectDir& dir : sortedDirs()) {
        if (m_selected.contains(dir.path))
            total += dir.size;
    }
    return total;
}

int ProjectCleanupModel::visibleSelectedCount() const
{
    int count = 0;
    for (const ProjectDir& dir : sortedDirs()) {
        if (m_selected.contains(dir.path))
            ++count;
    }
    return count;
}

QList<ProjectGroup> ProjectCleanupModel::projectGroups() const
{
    QList<ProjectGroup> groups;
    QHash<QString, qsizetype> at;
    for (const ProjectDir& dir : sortedDirs()) {
        const QString project = projectPathOf(dir.path);
        const auto it = at.constFind(project);
        if (it != at.constEnd()) {
            groups[*it].dirs.append(dir);
            continue;
        }
        at.insert(project, groups.size());
        groups.append(ProjectGroup{project, {dir}});
    }
    if (m_sortByAge) {
        std::stable_sort(groups.begin(), groups.end(),
                         [](const ProjectGroup& a, const ProjectGroup& b) { return earlier(a.oldest(), b.oldest()); });
    } else {
        std::stable_sort(groups.begin(), groups.end(),
                         [](const ProjectGroup& a, const ProjectGroup& b) { return a.totalSize() > b.totalSize(); });
    }
    return groups;
}

// ---------------------------------------------------------------------------------------------
// Scanning

void ProjectCleanupModel::scan()
{
    if (m_token)
        m_token->cancel();
    const CancelTokenPtr token = std::make_shared<CancelToken>();
    m_token = token;

    // The roots as they are now: a linked one searched where it leads, a missing one noted.
    QStringList roots;
    m_missingRoots.clear();
    for (const QString& root : effectiveRoots()) {
        if (Finder::isMissingRoot(root))
            m_missingRoots.append(Paths::abbreviateHome(Paths::expandTilde(root)));
        roots.append(Finder::chosenRoot(root));
    }
    QStringList ignore;
    int minAgeDays = 0;
    if (m_appModel) {
        ignore = m_appModel->settings().ignoredFinderPaths();
        minAgeDays = m_appModel->settings().finderMinAgeDaysClamped();
    }
    setDirs({});
    setSelected({});
    setFoundCount(0);
    setHasScanned(false);
    setIsScanning(true);

    Background::userInitiated().start([scan = m_scan, roots, ignore, minAgeDays, token, relay = m_relay] {
        scan(
            roots, ignore, minAgeDays, *token,
            [&relay, &token](int count) {
                relay->post([token, count](ProjectCleanupModel& m) {
                    if (!token->isCancelled())
                        m.setFoundCount(count);
                });
            },
            [&relay, &token](const ProjectDir& dir) {
                relay->post([token, dir](ProjectCleanupModel& m) {
                    if (token->isCancelled())
                        return;
                    m.m_dirs.append(dir);
                    Q_EMIT m.dirsChanged();
                });
            });
        relay->post([token](ProjectCleanupModel& m) {
            if (token->isCancelled())
                return;
            m.setIsScanning(false);
            m.setHasScanned(true);
        });
    });
}

void ProjectCleanupModel::cancel()
{
    if (m_token)
        m_token->cancel();
    setIsScanning(false);
    setHasScanned(true);
}

void ProjectCleanupModel::pickFolderAndScan(QWidget* parent)
{
    Dialogs::PickRequest request;
    request.acceptLabel = tr("Scan");
    // The picker opens at the first root, or at home when that names no folder.
    const QStringList roots = effectiveRoots();
    request.startPath = roots.isEmpty() || Finder::isMissingRoot(roots.first()) ? Paths::home()
                                                                              : Paths::expandTilde(roots.first());
    request.kind = Dialogs::PickKind::Folder;
    const QPointer<ProjectCleanupModel> self(this);
    Dialogs::pick(parent, request, [self](std::optional<QString> chosen) {
        if (!self || !chosen || chosen->isEmpty())
            return;
        self->setOverrideRoot(*chosen);
        self->scan();
    });
}

// ---------------------------------------------------------------------------------------------
// Selection

void ProjectCleanupModel::toggle(const QString& path)
{
    QSet<QString> next = m_selected;
    if (!next.remove(path))
        next.insert(path);
    setSelected(next);
}

void ProjectCleanupModel::selectAll(bool on)
{
    QSet<QString> next = m_selected;
    for (const ProjectDir& dir : sortedDirs()) {
        if (on)
            next.insert(dir.path);
        else
            next.remove(dir.path);
    }
    setSelected(next);
}

void ProjectCleanupModel::toggleGroup(const ProjectGroup& group)
{
    if (group.dirs.isEmpty())
        return;
    const bool all = std::all_of(group.dirs.begin(), group.dirs.end(),
                                 [this](const ProjectDir& dir) { return m_selected.contains(dir.path); });
    QSet<QString> next = m_selected;
    for (const ProjectDir& dir : group.dirs) {
        if (all)
            next.remove(dir.path);
        else
            next.insert(dir.path);
    }
    setSelected(next);
}

// ---------------------------------------------------------------------------------------------
// Trash and pin

QString ProjectCleanupModel::historyName(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" project folder") + (count == 1 ? QString() : QStringLiteral("s"));
}

void ProjectCleanupModel::dropFolders(const QSet<QString>& paths)
{
    QList<ProjectDir> kept;
    kept.reserve(m_dirs.size());
    for (const ProjectDir& dir : std::as_const(m_dirs)) {
        if (!paths.contains(dir.path))
            kept.append(dir);
    }
    setDirs(kept);
    setSelected(m_selected - paths);
}

void ProjectCleanupModel::trashSelected()
{
    if (!m_appModel)
        return;
    QList<ProjectDir> targets;
    for (const ProjectDir& dir : sortedDirs()) {
        if (m_selected.contains(dir.path))
            targets.append(dir);
    }
    qint64 freed = 0;
    QList<TrashedItem> trashed;
    QSet<QString> done;
    QStringList changed;
    for (const ProjectDir& dir : std::as_const(targets)) {
        done.insert(dir.path);
        // The folder as the search reached it (below its root, which is searched only where it
        // really lies); the rule is applied where the move finds it, and a link goes as itself.
        Cleaner::PickedItem item;
        item.path = RawPath::fromKey(dir.path);
        const Cleaner::PickedMove moved = m_trash ? m_trash(item) : Cleaner::PickedMove{};
        if (moved.result == Cleaner::PickedMove::Result::changed)
            changed.append(RawPath::display(item.path));
        if (!moved.item)
            continue;
        freed += dir.size;
        trashed.append(*moved.item);
    }
    dropFolders(done);
    if (!changed.isEmpty())
        m_message->show(Cleaner::changedSinceScan(changed.first()));
    if (m_appModel)
        m_appModel->recordExternalDeletion(historyName(trashed.size()), freed, trashed);
}

std::optional<QString> ProjectCleanupModel::message() const { return m_message->text(); }

void ProjectCleanupModel::pin(const ProjectDir& dir)
{
    if (!m_appModel)
        return;
    AppSettings& settings = m_appModel->settings();
    QStringList ignored = settings.ignoredFinderPaths();
    if (!ignored.contains(dir.path)) {
        ignored.append(dir.path);
        settings.setIgnoredFinderPaths(ignored);
    }
    dropFolders({dir.path});
    m_appModel->rebuildTargets();
}
