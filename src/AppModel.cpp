#include "AppModel.h"

#include "models/CleanupCatalog.h"
#include "platform/ByteCountFormatter.h"
#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/NotificationCenter.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"
#include "services/CleanHistoryStore.h"
#include "services/Finder.h"
#include "services/Notifier.h"

#include <QCoro/QCoroFuture>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The value of a finished future, or a default one when it was cancelled or gave none. Awaiting
// it leaves no temporary in the caller's statement to be destroyed twice (see the lint rule in
// tests/lint/CoawaitTemporaries.cmake).
template <typename T>
QCoro::Task<T> valueOf(QFuture<T> future)
{
    co_await QFuture<void>(future);
    if (future.isCanceled() || future.resultCount() == 0)
        co_return T();
    co_return future.result();
}

qint64 sizeOrZero(const TargetState& t) { return t.size.value_or(0); }

// Why one item stayed in the Trash, for the status line.
QString putBackFailure(const TrashedItem& item, const Trash::PutBackResult& result)
{
    using Outcome = Trash::PutBackResult::Outcome;
    switch (result.outcome) {
    case Outcome::occupied: return AppModel::tr("%1 already exists").arg(Paths::abbreviateHome(item.original));
    case Outcome::notInTrash:
        return AppModel::tr("%1 is no longer in the Trash").arg(Paths::abbreviateHome(item.trashPath));
    case Outcome::restored:
    case Outcome::failed: break;
    }
    return Paths::abbreviateHome(item.original) + QStringLiteral(": ")
        + QString::fromLocal8Bit(std::strerror(result.error));
}

// What a run over several targets could not clear, for the status line and the notification:
// the first failure, and how many more there were.
QString failureSummary(const QStringList& failures)
{
    if (failures.size() == 1)
        return failures.first();
    return AppModel::tr("%1 (and %2 more)").arg(failures.first(), QString::number(failures.size() - 1));
}

// Whether a clearing took anything away (freed bytes, or items now in the Trash).
bool clearedSomething(const CleanOutcome& outcome) { return outcome.freed >= 1 || !outcome.trashed.isEmpty(); }

qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (qAddOverflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return sum;
}

bool isPathsKind(const CleanupTarget& t) { return std::holds_alternative<CleanupKinds::Paths>(t.kind); }
bool isEverydayCache(const CleanupTarget& t)
{
    return t.category == CleanupCategory::recommended || t.category == CleanupCategory::browsers;
}

} // namespace

// ---- creation

AppModel::AppModel(AppModelEnvironment environment, QObject* parent)
    : QObject(parent), m_env(std::move(environment)), m_relay(MainThreadRelay<AppModel>::create(this))
{
    Q_ASSERT(m_env.defaults);
    if (!m_env.clock)
        m_env.clock = &SystemClock::shared();
    // Missing services do nothing: sizes stay unknown, nothing is cleared, no folder is accepted
    // and nothing is put back.
    if (!m_env.diskInfo)
        m_env.diskInfo = [](const QString&) { return DiskInfo{}; };
    if (!m_env.size)
        m_env.size = [](const CleanupTarget&, const Scanner::Progress&) {
            return QtFuture::makeReadyFuture(Scanner::Measurement{});
        };
    if (!m_env.clean)
        m_env.clean = [](const CleanupTarget&, bool, const ClearingLogPtr&) {
            return QtFuture::makeReadyFuture(CleanOutcome{});
        };
    if (!m_env.validateCustom)
        m_env.validateCustom = [](const QString&) -> std::optional<QString> {
            return tr("That location is protected and can't be cleaned.");
        };
    if (!m_env.putBack)
        m_env.putBack = [](const QString&, const QString&) {
            return Trash::PutBackResult{Trash::PutBackResult::Outcome::failed, ENOSYS};
        };

    setDisk(m_env.diskInfo(home()));
    // What the store could not keep is told in the status line.
    // (The store may outlive the model, and a test may drop the store first: the handler checks
    // that the model is still there, and the model never reaches for the store when it goes.)
    m_env.defaults->setWriteFailureHandler([self = QPointer<AppModel>(this)](const QString& reason) {
        if (self)
            self->setStatusFailure(tr("Couldn't save the settings: %1").arg(reason));
    });
    if (const std::optional<QString> aside = m_env.defaults->takeSetAsideNotice())
        setStatusFailure(
            tr("The settings file couldn't be read; it was kept as %1").arg(Paths::abbreviateHome(*aside)));
    m_settings = new AppSettings(*m_env.defaults, this);
    rebuildTargets();
    CleanHistoryStore::Loaded loaded = CleanHistoryStore::load(*m_env.defaults);
    // A clearing that a crash or a kill ended left its journal: what it moved joins the history.
    const CleanHistoryStore::Recovery recovered = CleanHistoryStore::recover(m_env.defaults->folder(), loaded.history);
    setHistory(loaded.history);
    setTotalFreedAllTime(saturatingAdd(loaded.total, recovered.freed));
    if (recovered)
        saveHistory();
    if (!m_historySaveError)
        CleanHistoryStore::removeJournals(recovered); // folded into what is stored now
    // What a move to the Trash that ended with the process left there goes, once the journals
    // have named their own.
    if (m_env.tidyTrash)
        m_env.tidyTrash();
    if (m_env.notifications)
        Notifier::requestAuthorization(*m_env.notifications, m_env.bundleIdentifier);
}

AppModel::~AppModel() { m_relay->detach(); }

QString AppModel::home() const { return m_env.home ? m_env.home() : Paths::home(); }
QDateTime AppModel::now() const { return m_env.clock->now(); }
void AppModel::refreshDisk() { setDisk(m_env.diskInfo(home())); }

int AppModel::indexOf(const QString& id) const
{
    for (int i = 0; i < m_targets.size(); ++i)
        if (m_targets[i].target.id == id)
            return i;
    return -1;
}

// ---- published state

void AppModel::setDisk(const DiskInfo& value)
{
    m_disk = value;
    Q_EMIT diskChanged();
}
void AppModel::setTargets(const QList<TargetState>& value)
{
    m_targets = value;
    Q_EMIT targetsChanged();
}
void AppModel::setIsCleaningAll(bool value)
{
    m_isCleaningAll = value;
    Q_EMIT isCleaningAllChanged();
}
void AppModel::setStatusMessage(const std::optional<QString>& value)
{
    m_statusMessage = value;
    m_statusIsFailure = false;
    Q_EMIT statusMessageChanged();
}

void AppModel::setStatusFailure(const QString& message)
{
    m_statusMessage = message;
    m_statusIsFailure = true;
    Q_EMIT statusMessageChanged();
}
void AppModel::setLargeFilesTab(int value)
{
    m_largeFilesTab = value;
    Q_EMIT largeFilesTabChanged();
}
void AppModel::setPendingClean(const std::optional<PendingClean>& value)
{
    m_pendingClean = value;
    Q_EMIT pendingCleanChanged();
}
void AppModel::setHistory(const QList<CleanRecord>& value)
{
    m_history = value;
    Q_EMIT historyChanged();
}
void AppModel::setTotalFreedAllTime(qint64 value)
{
    m_totalFreedAllTime = value;
    Q_EMIT totalFreedAllTimeChanged();
}
void AppModel::setLastScan(const std::optional<QDateTime>& value)
{
    m_lastScan = value;
    Q_EMIT lastScanChanged();
}

// ---- target list

void AppModel::rebuildTargets()
{
    QHash<QString, std::optional<qint64>> known;
    QSet<QString> cleaning; // one-target cleanups still running keep their flag
    for (const TargetState& t : std::as_const(m_targets)) {
        if (!known.contains(t.target.id))
            known.insert(t.target.id, t.size);
        if (t.isCleaning && m_clearing.contains(t.target.id))
            cleaning.insert(t.target.id);
    }

    const AppSettings& s = *m_settings;
    QList<CleanupTarget> list;
    for (const CleanupTarget& t : CleanupCatalog::builtIn(m_env.platform)) {
        if (!s.developerMode()
            && (t.category == CleanupCategory::developer || t.category == CleanupCategory::buildArtifacts))
            continue;
        if (t.id == QLatin1String("savedstate") && !s.cleanSavedState())
            continue;
        if (t.id == QLatin1String("musiccache") && !s.cleanMusicCache())
            continue;
        if (t.id == QLatin1String("maildownloads") && !s.cleanMailDownloads())
            continue;
        list.append(t);
    }
    if (s.developerMode()) {
        // The project folders the user chose are searched where their links lead (as the
        // project cleanup does), taken now.
        QStringList roots;
        for (const QString& root : s.projectRoots())
            roots.append(Finder::chosenRoot(root));
        list += CleanupCatalog::finderTargets(roots, s.ignoredFinderPaths(), s.finderMinAgeDaysClamped());
    }

    QSet<QString> ids;
    for (const CleanupTarget& t : std::as_const(list))
        ids.insert(t.id);
    for (const QString& path : s.customFolders()) {
        const QString id = QStringLiteral("custom:") + path;
        // A stored list holding a path twice gives one target.
        if (ids.contains(id))
            continue;
        ids.insert(id);
        QString name = Paths::lastComponent(path);
        if (name.isEmpty())
            name = path;
        list.append(CleanupTarget{id, name, QStringLiteral("folder.fill"), path, CleanupKinds::Paths{{path}},
                                  CleanupCategory::custom, false});
    }

    QList<TargetState> states;
    states.reserve(list.size());
    QHash<QString, QList<Scanner::MeasuredPlace>> places;
    for (const CleanupTarget& t : std::as_const(list)) {
        states.append(TargetState{t, known.value(t.id), false, cleaning.contains(t.id)});
        if (const auto it = m_places.constFind(t.id); it != m_places.constEnd())
            places.insert(t.id, *it);
    }
    m_places = places;
    setTargets(states);
}

QList<AppModel::Section> AppModel::groupedTargets() const
{
    QList<Section> sections;
    for (CleanupCategory category : allCleanupCategories()) {
        QList<TargetState> items;
        for (const TargetState& t : m_targets)
            if (t.target.category == category)
                items.append(t);
        if (items.isEmpty())
            continue;
        if (m_settings->sortBySize())
            std::stable_sort(items.begin(), items.end(),
                             [](const TargetState& a, const TargetState& b) { return sizeOrZero(a) > sizeOrZero(b); });
        sections.append(Section{category, items});
    }
    return sections;
}

QList<AppModel::SimpleGroup> AppModel::simpleGroups() const
{
    const auto make = [this](const QString& id, const QString& title, const QString& symbol,
                             const std::function<bool(const CleanupTarget&)>& member) {
        SimpleGroup g{id, title, symbol, {}, 0, false};
        for (const TargetState& t : m_targets) {
            if (!member(t.target))
                continue;
            g.targetIDs.append(t.target.id);
            g.size = saturatingAdd(g.size, sizeOrZero(t));
            g.isScanning = g.isScanning || t.isScanning;
        }
        return g;
    };
    const QString trash = QStringLiteral("trash");
    const QList<SimpleGroup> candidates{
        make(QStringLiteral("syscache"), tr("System & app caches"), QStringLiteral("shippingbox.fill"),
             [&](const CleanupTarget& t) { return t.category == CleanupCategory::recommended && t.id != trash; }),
        make(QStringLiteral("browsers"), tr("Browser caches"), QStringLiteral("safari.fill"),
             [](const CleanupTarget& t) { return t.category == CleanupCategory::browsers; }),
        make(trash, tr("Trash"), QStringLiteral("trash.fill"),
             [&](const CleanupTarget& t) { return t.category == CleanupCategory::recommended && t.id == trash; }),
    };
    QList<SimpleGroup> groups;
    for (const SimpleGroup& g : candidates)
        if (!g.targetIDs.isEmpty())
            groups.append(g);
    return groups;
}

void AppModel::setGroupEnabled(bool enabled, const SimpleGroup& group)
{
    for (const QString& id : group.targetIDs) {
        QSet<QString> disabled = m_settings->disabledTargetIDs();
        if (enabled)
            disabled.remove(id);
        else
            disabled.insert(id);
        m_settings->setDisabledTargetIDs(disabled);
    }
    Q_EMIT changed();
}

bool AppModel::isGroupEnabled(const SimpleGroup& group) const
{
    const QSet<QString> disabled = m_settings->disabledTargetIDs();
    return std::none_of(group.targetIDs.begin(), group.targetIDs.end(),
                        [&](const QString& id) { return disabled.contains(id); });
}

bool AppModel::isScanning() const
{
    if (m_queuedScans > 0)
        return true;
    return std::any_of(m_targets.begin(), m_targets.end(), [](const TargetState& t) { return t.isScanning; });
}

qint64 AppModel::totalReclaimable() const
{
    struct Counted {
        qsizetype index;
        std::optional<qint64> size;
        const QList<Scanner::MeasuredPlace>* places;
        QStringList keep; // entries of its places that it leaves to other targets
    };
    const QSet<QString> disabled = m_settings->disabledTargetIDs();
    QList<Counted> enabled;
    for (qsizetype i = 0; i < m_targets.size(); ++i) {
        const TargetState& t = m_targets[i];
        if (disabled.contains(t.target.id))
            continue;
        QStringList keep;
        if (const auto* p = std::get_if<CleanupKinds::Paths>(&t.target.kind))
            for (const QString& k : p->keep)
                keep.append(Paths::clean(Paths::expandTilde(k)));
        const auto it = m_places.constFind(t.target.id);
        enabled.append(Counted{i, t.size, it != m_places.constEnd() ? &*it : nullptr, keep});
    }
    // Whether `other` counts the bytes at `path` (a place of the target at `index`): the path lies
    // in one of its places and not in an entry it leaves alone. A place two targets share counts
    // for the one listed first.
    const auto countedBy = [](const Counted& other, const QString& path, qsizetype index) {
        if (!other.places)
            return false;
        for (const Scanner::MeasuredPlace& place : *other.places) {
            if (path == place.path) {
                if (other.index < index)
                    return true;
                continue;
            }
            if (!Paths::isBelow(path, place.path))
                continue;
            const bool left = std::any_of(other.keep.begin(), other.keep.end(),
                                          [&](const QString& k) { return path == k || Paths::isBelow(path, k); });
            if (!left)
                return true;
        }
        return false;
    };
    qint64 total = 0;
    for (const Counted& c : std::as_const(enabled)) {
        if (!c.places || c.places->isEmpty()) {
            total = saturatingAdd(total, c.size.value_or(0));
            continue;
        }
        for (const Scanner::MeasuredPlace& place : *c.places) {
            const bool elsewhere = std::any_of(enabled.begin(), enabled.end(), [&](const Counted& other) {
                return other.index != c.index && countedBy(other, place.path, c.index);
            });
            if (!elsewhere)
                total = saturatingAdd(total, place.bytes);
        }
    }
    return total;
}

std::optional<QString> AppModel::menuBarText() const
{
    switch (m_settings->menuBarDisplay()) {
    case MenuBarDisplay::percent: {
        const qint64 total = m_disk.total;
        const double used = std::max(0.0, static_cast<double>(total) - static_cast<double>(m_disk.availableImportant));
        const double percent = total >= 1 ? used / static_cast<double>(total) * 100.0 : 0.0;
        return QString::number(static_cast<qint64>(std::round(percent))) + QLatin1Char('%');
    }
    case MenuBarDisplay::free: return formatBytesMegabytesUp(m_disk.availableImportant);
    case MenuBarDisplay::icon: return std::nullopt;
    }
    return std::nullopt;
}

// ---- sizing and the low-space check

QCoro::Task<> AppModel::scanAll()
{
    QStringList ids;
    for (const TargetState& t : std::as_const(m_targets))
        ids.append(t.target.id);
    QPointer<AppModel> self(this);
    co_await scanIds(ids);
    if (self)
        setLastScan(now());
}

QCoro::Task<> AppModel::scanIds(QStringList ids)
{
    // Every measurement starts now; then wait for each in turn.
    std::vector<QCoro::Task<>> running;
    running.reserve(ids.size());
    for (const QString& id : std::as_const(ids))
        running.push_back(scan(id));
    for (QCoro::Task<>& task : running)
        co_await task;
}

QCoro::Task<> AppModel::scan(QString id)
{
    int i = indexOf(id);
    if (i < 0)
        co_return;
    QList<TargetState> list = m_targets;
    list[i].isScanning = true;
    list[i].size.reset();
    m_places.remove(id);
    setTargets(list);
    const CleanupTarget target = list[i].target;

    std::shared_ptr<MainThreadRelay<AppModel>> relay = m_relay;
    Scanner::Progress progress = [relay, id](qint64 bytes) {
        relay->post([id, bytes](AppModel& model) { model.applyProgress(id, bytes); });
    };
    QPointer<AppModel> self(this);
    const Scanner::Measurement result = co_await valueOf(m_env.size(target, std::move(progress)));
    if (!self)
        co_return;
    i = indexOf(id);
    if (i < 0)
        co_return; // dropped from the list meanwhile
    list = m_targets;
    list[i].size = result.size;
    list[i].isScanning = false;
    m_places.insert(id, result.places);
    setTargets(list);
}

void AppModel::storeMeasurement(const QString& id, const Scanner::Measurement& measured)
{
    const int i = indexOf(id);
    if (i < 0)
        return;
    QList<TargetState> list = m_targets;
    list[i].size = measured.size;
    m_places.insert(id, measured.places);
    setTargets(list);
}

void AppModel::applyProgress(const QString& id, qint64 bytes)
{
    const int i = indexOf(id);
    if (i < 0 || !m_targets[i].isScanning)
        return;
    QList<TargetState> list = m_targets;
    list[i].size = bytes;
    setTargets(list);
}

QCoro::Task<> AppModel::refreshCacheSizes()
{
    QStringList ids;
    for (const TargetState& t : std::as_const(m_targets))
        if (isEverydayCache(t.target) && isPathsKind(t.target))
            ids.append(t.target.id);
    co_await scanIds(ids);
}

void AppModel::checkLowSpace()
{
    if (!m_settings->lowSpaceAlertsEnabled()) {
        m_lowSpaceNotified = false;
        return;
    }
    // Figures that could not be read say nothing about free space.
    if (m_disk.total <= 0)
        return;
    if (m_disk.availableImportant >= m_settings->lowSpaceThresholdBytes()) {
        m_lowSpaceNotified = false;
        return;
    }
    if (!m_lowSpaceNotified) {
        if (m_env.notifications)
            Notifier::notifyLowSpace(*m_env.notifications, m_disk.availableImportant, m_env.bundleIdentifier);
        m_lowSpaceNotified = true;
    }
}

// ---- cleanup flow

void AppModel::requestClean(const QString& id)
{
    const int i = indexOf(id);
    if (i < 0)
        return;
    const TargetState& t = m_targets[i];
    PendingClean pending;
    pending.kind = PendingClean::Single{id};
    pending.title = t.target.name;
    if (t.size)
        pending.sizeText = formatBytes(*t.size);
    for (const QString& path : t.target.displayPaths())
        pending.items.append(ConfirmItem{path, std::nullopt});
    pending.whySafe = t.target.whySafe();
    setPendingClean(pending);
}

void AppModel::requestCleanAll()
{
    const QSet<QString> disabled = m_settings->disabledTargetIDs();
    QList<TargetState> enabled;
    for (const TargetState& t : std::as_const(m_targets))
        if (!disabled.contains(t.target.id))
            enabled.append(t);
    std::stable_sort(enabled.begin(), enabled.end(),
                     [](const TargetState& a, const TargetState& b) { return sizeOrZero(a) > sizeOrZero(b); });
    PendingClean pending;
    pending.kind = PendingClean::All{};
    pending.title = tr("all enabled items");
    pending.sizeText = formatBytes(totalReclaimable());
    for (const TargetState& t : std::as_const(enabled))
        pending.items.append(ConfirmItem{t.target.name, t.size});
    pending.whySafe =
        tr("Everything here is a cache, log or rebuildable file that comes back automatically when it's needed.");
    setPendingClean(pending);
}

void AppModel::confirmPending(bool permanently)
{
    // A confirmation while everything is being cleared would start a second clearing beside it.
    if (m_isCleaningAll || !m_pendingClean)
        return;
    // Nor is a target cleared twice at once: the window keeps a request for one being cleared.
    const auto* requested = std::get_if<PendingClean::Single>(&m_pendingClean->kind);
    if (requested && m_clearing.contains(requested->id))
        return;
    const PendingClean pending = *m_pendingClean;
    setPendingClean(std::nullopt);
    const bool toTrash = m_settings->moveToTrash() && !permanently;
    if (const auto* single = std::get_if<PendingClean::Single>(&pending.kind)) {
        const QString id = single->id;
        QTimer::singleShot(0, this, [this, id, toTrash] { clean(id, toTrash); });
    } else {
        // Marked at once, so that a second confirmation before the clearing starts is refused too.
        setIsCleaningAll(true);
        QTimer::singleShot(0, this, [this, toTrash] { runCleanAll(toTrash); });
    }
}

QCoro::Task<> AppModel::clean(QString id, std::optional<bool> moveToTrash)
{
    int i = indexOf(id);
    if (i < 0 || m_clearing.contains(id))
        co_return; // unknown, or being cleared already
    m_clearing.insert(id);
    QList<TargetState> list = m_targets;
    list[i].isCleaning = true;
    setTargets(list);
    const CleanupTarget target = list[i].target;
    const bool toTrash = moveToTrash.value_or(m_settings->moveToTrash());

    QPointer<AppModel> self(this);
    const ClearingResult cleared = co_await runClearing(target, toTrash);
    if (!self)
        co_return;
    const CleanOutcome& outcome = cleared.outcome;
    if (m_stopping) {
        record(target, outcome, toTrash, cleared.record); // quitting: the record, and nothing more
        co_return;
    }
    const Scanner::Measurement measured = co_await valueOf(m_env.size(target, Scanner::Progress()));
    if (!self)
        co_return;
    m_clearing.remove(id);
    i = indexOf(id);
    if (i >= 0) {
        list = m_targets;
        list[i].size = measured.size;
        list[i].isCleaning = false;
        m_places.insert(id, measured.places);
        setTargets(list);
    }
    refreshDisk();
    checkLowSpace();
    record(target, outcome, toTrash, cleared.record);
    if (outcome.error)
        setStatusFailure(target.name + QStringLiteral(": ") + *outcome.error);
    else
        finishWithStatus(tr("Freed %1 from %2").arg(formatBytes(outcome.freed), target.name));
    // What this clearing moved lies in the Trash now (the Trash itself was measured above).
    if (toTrash && target.id != QLatin1String("trash"))
        co_await remeasureTrash();
}

QCoro::Task<> AppModel::cleanAll(std::optional<bool> moveToTrash)
{
    // One clearing of everything at a time (a scheduled cleanup counts as one).
    if (m_isCleaningAll)
        co_return;
    co_await runCleanAll(moveToTrash);
}

QCoro::Task<> AppModel::runCleanAll(std::optional<bool> moveToTrash)
{
    setIsCleaningAll(true);
    const QList<TargetState> snapshot = m_targets;
    qint64 total = 0;
    bool anyCleared = false;
    QStringList failures;
    QPointer<AppModel> self(this);
    for (const TargetState& entry : snapshot) {
        if (m_stopping)
            co_return;
        // A target that a one-target cleanup is clearing is left to it.
        if (m_settings->disabledTargetIDs().contains(entry.target.id) || m_clearing.contains(entry.target.id))
            continue;
        m_clearing.insert(entry.target.id);
        const bool toTrash = moveToTrash.value_or(m_settings->moveToTrash());
        const ClearingResult cleared = co_await runClearing(entry.target, toTrash);
        if (!self)
            co_return;
        const CleanOutcome& outcome = cleared.outcome;
        total = saturatingAdd(total, outcome.freed);
        anyCleared = anyCleared || clearedSomething(outcome);
        if (outcome.error)
            failures.append(entry.target.name + QStringLiteral(": ") + *outcome.error);
        record(entry.target, outcome, toTrash, cleared.record);
        if (m_stopping)
            co_return;
        const Scanner::Measurement measured = co_await valueOf(m_env.size(entry.target, Scanner::Progress()));
        if (!self)
            co_return;
        m_clearing.remove(entry.target.id);
        storeMeasurement(entry.target.id, measured);
        refreshDisk();
        checkLowSpace();
    }
    // What went to the Trash after the Trash was emptied lies in it now.
    co_await remeasureTrash();
    if (!self)
        co_return;
    setIsCleaningAll(false);
    if (failures.isEmpty())
        finishWithStatus(tr("Freed %1 total").arg(formatBytes(total)));
    else if (!anyCleared)
        setStatusFailure(tr("Couldn't clean up: %1").arg(failureSummary(failures)));
    else
        setStatusFailure(tr("Freed %1 total; couldn't clean up: %2").arg(formatBytes(total), failureSummary(failures)));
}

QCoro::Task<AppModel::ClearingResult> AppModel::runClearing(CleanupTarget target, bool moveToTrash)
{
    RunningClearing running;
    running.record.targetName = target.name;
    running.record.date = now();
    running.record.trashed = moveToTrash && !std::holds_alternative<CleanupKinds::Command>(target.kind);
    const QUuid id = running.record.id;
    if (moveToTrash) {
        // The record is in the store before the first move, the journal beside it names every item
        // before it moves, and the moved items are saved with the record at least every second.
        running.journal = CleanHistoryStore::Journal::begin(m_env.defaults->folder(), running.record);
        running.stored = true;
    }
    std::shared_ptr<CleanHistoryStore::Journal> journal = running.journal;
    running.log = std::make_shared<ClearingLog>(
        journal ? ClearingLog::Announce([journal](const TrashedItem& item) { return journal->append(item); })
                : ClearingLog::Announce());
    const ClearingLogPtr log = running.log;
    if (m_stopping)
        log->stop();
    m_clearings.push_back(std::move(running));
    if (moveToTrash) {
        saveHistory();
        if (!m_clearingSaver)
            m_clearingSaver = m_env.clock->repeating(std::chrono::seconds(1), this, [this] { saveRunningClearings(); });
    }
    const QFuture<CleanOutcome> clearing = m_env.clean(target, moveToTrash, log);
    ClearingResult result;
    result.outcome = co_await valueOf(clearing);
    result.record = id;
    co_return result;
}

void AppModel::saveRunningClearings()
{
    const bool moved = std::any_of(m_clearings.begin(), m_clearings.end(), [](const RunningClearing& c) {
        return c.stored && c.log->moved().size() != c.savedItems;
    });
    if (moved)
        saveHistory();
}

void AppModel::finishClearings(std::chrono::milliseconds limit)
{
    m_stopping = true;
    for (const RunningClearing& c : m_clearings)
        c.log->stop();
    QElapsedTimer clock;
    clock.start();
    while (!m_clearings.empty() && clock.elapsed() < limit.count()) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!m_clearings.empty())
        saveHistory(); // what moved so far; the journal carries the rest to the next start
}

void AppModel::record(const CleanupTarget& target, const CleanOutcome& outcome, bool moveToTrash, const QUuid& id)
{
    RunningClearing running;
    const auto it = std::find_if(m_clearings.begin(), m_clearings.end(),
                                 [&](const RunningClearing& c) { return c.record.id == id; });
    if (it != m_clearings.end()) {
        running = std::move(*it);
        m_clearings.erase(it);
    }
    if (m_clearings.empty())
        m_clearingSaver.reset();
    // Whatever went to the Trash must be there to put back, even when it freed nothing (empty
    // files, links, or a folder whose items moved into a Trash inside it).
    if (outcome.freed < 1 && outcome.trashed.isEmpty()) {
        if (running.stored)
            saveHistory(); // its running record goes from the store
    } else {
        CleanRecord r;
        r.id = id.isNull() ? QUuid::createUuid() : id;
        r.targetName = target.name;
        r.freed = outcome.freed;
        r.date = now();
        r.trashed = moveToTrash && !std::holds_alternative<CleanupKinds::Command>(target.kind);
        if (!outcome.trashed.isEmpty())
            r.items = outcome.trashed;
        addToHistory(r);
    }
    // Saved: the journal is not needed any more (kept when the save failed, for the next start).
    if (running.journal && !m_historySaveError)
        running.journal->remove();
}

void AppModel::addToHistory(CleanRecord record)
{
    QList<CleanRecord> list = m_history;
    const qint64 freed = record.freed;
    list.prepend(std::move(record));
    setHistory(list);
    setTotalFreedAllTime(saturatingAdd(m_totalFreedAllTime, freed));
    saveHistory();
}

void AppModel::saveHistory()
{
    // The records of the clearings that run come first, with what they moved so far.
    QList<CleanRecord> stored;
    for (auto it = m_clearings.rbegin(); it != m_clearings.rend(); ++it) {
        if (!it->stored)
            continue;
        CleanRecord r = it->record;
        const QList<TrashedItem> moved = it->log->moved();
        if (!moved.isEmpty())
            r.items = moved;
        it->savedItems = moved.size();
        stored.append(r);
    }
    stored += m_history;
    m_historySaveError = CleanHistoryStore::save(*m_env.defaults, stored, m_totalFreedAllTime);
    if (m_historySaveError)
        setStatusFailure(tr("Couldn't save the cleanup history: %1").arg(*m_historySaveError));
}

void AppModel::finishWithStatus(const QString& message)
{
    if (m_historySaveError)
        setStatusFailure(tr("Couldn't save the cleanup history: %1").arg(*m_historySaveError));
    else
        setStatusMessage(message);
}

void AppModel::recordExternalDeletion(const QString& name, qint64 freed, const QList<TrashedItem>& trashed)
{
    if (freed < 1 && trashed.isEmpty())
        return;
    CleanRecord r;
    r.targetName = name;
    r.freed = freed;
    r.date = now();
    r.trashed = true;
    if (!trashed.isEmpty())
        r.items = trashed;
    addToHistory(r);
    finishWithStatus(freed >= 1 ? tr("%1: freed %2").arg(name, formatBytes(freed))
                                : tr("%1: moved to the Trash").arg(name));
    refreshDisk();
    checkLowSpace();
    remeasureTrash(); // the tool's items lie in it now
}

void AppModel::restore(const CleanRecord& given)
{
    const auto findIndex = [this, &given]() -> qsizetype {
        for (qsizetype i = 0; i < m_history.size(); ++i)
            if (m_history[i].id == given.id)
                return i;
        return -1;
    };
    // The model's own copy decides what is left to put back (the caller's may be stale: put back
    // in part, or whole, since). A copy: `history` is replaced below.
    const qsizetype known = findIndex();
    const CleanRecord record = known >= 0 ? m_history[known] : given;
    if (record.restored.value_or(false) || !record.items || record.items->isEmpty())
        return;

    QList<TrashedItem> stayed;
    QList<QByteArray> wentBack;
    std::optional<QString> firstReason; // why the first item that stayed did so
    // The put-back makes the folders leading to the original itself, following no link.
    for (const TrashedItem& item : *record.items) {
        const Trash::PutBackResult result = m_env.putBack(item.trashPath, item.original);
        if (result) {
            wentBack.append(QFile::encodeName(item.original));
            continue;
        }
        stayed.append(item);
        if (!firstReason)
            firstReason = putBackFailure(item, result);
    }
    const qsizetype total = record.items->size();
    if (wentBack.isEmpty()) {
        setStatusFailure(tr("Couldn't put back %1: %2").arg(record.targetName, *firstReason));
        return;
    }
    const qsizetype index = findIndex();
    if (index < 0)
        return;
    // The record keeps what stayed in the Trash, to be put back once the obstacle is gone; it is
    // restored when nothing is left in it, and the total gives up only what went back.
    QList<CleanRecord> list = m_history;
    CleanRecord& entry = list[index];
    qint64 returned = entry.freed;
    if (stayed.isEmpty()) {
        entry.restored = true;
    } else {
        returned = std::clamp<qint64>(Scanner::freeableSize(wentBack), 0, entry.freed);
        entry.freed -= returned;
        entry.items = stayed;
    }
    setHistory(list);
    setTotalFreedAllTime(std::max<qint64>(0, m_totalFreedAllTime - returned));
    saveHistory();
    if (stayed.isEmpty())
        finishWithStatus(tr("Restored %1").arg(record.targetName));
    else
        setStatusFailure(tr("%1 of %2 items stayed in the Trash: %3")
                             .arg(QString::number(stayed.size()), QString::number(total), *firstReason));
    refreshDisk();
    checkLowSpace();
    queueScanAll();
}

// ---- start-up, timers and the scheduled cleanup

void AppModel::queueScanAll()
{
    // Sizing counts as running from the moment it is asked for, so that no one reads a finished
    // total of 0 in the turn before the first measurement starts.
    if (++m_queuedScans == 1)
        Q_EMIT targetsChanged();
    QTimer::singleShot(0, this, [this] {
        --m_queuedScans;
        scanAll(); // marks every target as being measured before it returns
        if (!isScanning())
            Q_EMIT targetsChanged(); // nothing to measure: sizing is over already
    });
}

void AppModel::start()
{
    if (m_didStart) {
        refreshDisk();
        checkLowSpace();
        return;
    }
    m_didStart = true;
    refreshDisk();
    checkLowSpace();
    restartTimer();
    startCacheWatcher();
    queueScanAll();
    runScheduledCleanupIfDue();
}

void AppModel::restartTimer()
{
    m_timer.reset();
    m_timer = m_env.clock->repeating(Clock::interval(m_settings->refreshInterval(), 2.0), this, [this] {
        refreshDisk();
        checkLowSpace();
        runScheduledCleanupIfDue();
    });
}

void AppModel::startCacheWatcher()
{
    m_cacheWatchTimer.reset();
    m_cacheWatchTimer =
        m_env.clock->repeating(std::chrono::seconds(kCacheWatchIntervalSeconds), this, [this] { refreshCacheSizes(); });
}

void AppModel::runScheduledCleanupIfDue()
{
    const CleanupSchedule schedule = m_settings->cleanupSchedule();
    if (schedule == CleanupSchedule::off || m_isCleaningAll)
        return;
    const std::optional<QDateTime> last = m_settings->lastAutoCleanup();
    if (!last) {
        m_settings->setLastAutoCleanup(now());
        return;
    }
    const qint64 elapsed = last->secsTo(now());
    const qint64 period = schedule == CleanupSchedule::daily ? kDailySeconds : kWeeklySeconds;
    // A run that failed as a whole is tried again after a while, not at every tick.
    if (elapsed >= period && (!m_autoCleanRetryAt || now() >= *m_autoCleanRetryAt))
        autoClean(); // marks the run before its first wait, then returns here
}

QCoro::Task<> AppModel::autoClean()
{
    setIsCleaningAll(true);
    m_autoCleanRetryAt.reset();

    const QSet<QString> disabled = m_settings->disabledTargetIDs();
    QList<CleanupTarget> candidates;
    for (const TargetState& t : std::as_const(m_targets)) {
        const CleanupTarget& target = t.target;
        if (disabled.contains(target.id) || target.id == QLatin1String("trash") || !isEverydayCache(target)
            || !isPathsKind(target))
            continue;
        candidates.append(target);
    }
    qCInfo(lcSchedule) << "Scheduled cleanup of" << candidates.size() << "targets";
    if (candidates.isEmpty()) {
        m_settings->setLastAutoCleanup(now()); // nothing needed clearing
        setIsCleaningAll(false);
        refreshDisk();
        checkLowSpace();
        if (m_env.notifications)
            Notifier::notifyAutoCleanup(*m_env.notifications, 0, m_env.bundleIdentifier);
        co_return;
    }

    qint64 total = 0;
    bool anyCleared = false;
    QStringList failures;
    QPointer<AppModel> self(this);
    for (const CleanupTarget& target : std::as_const(candidates)) {
        if (m_clearing.contains(target.id))
            continue; // a one-target cleanup is clearing it
        if (m_stopping)
            co_return;
        m_clearing.insert(target.id);
        const ClearingResult cleared = co_await runClearing(target, true);
        if (!self)
            co_return;
        const CleanOutcome& outcome = cleared.outcome;
        total = saturatingAdd(total, outcome.freed);
        qCInfo(lcSchedule).noquote() << target.id << "freed" << outcome.freed << "bytes"
                                     << outcome.error.value_or(QString());
        anyCleared = anyCleared || clearedSomething(outcome);
        if (outcome.error)
            failures.append(target.name + QStringLiteral(": ") + *outcome.error);
        record(target, outcome, true, cleared.record);
        if (m_stopping)
            co_return;
        const Scanner::Measurement measured = co_await valueOf(m_env.size(target, Scanner::Progress()));
        if (!self)
            co_return;
        m_clearing.remove(target.id);
        storeMeasurement(target.id, measured);
    }
    // Everything cleared went to the Trash.
    co_await remeasureTrash();
    if (!self)
        co_return;
    setIsCleaningAll(false);
    refreshDisk();
    checkLowSpace();
    qCInfo(lcSchedule) << "Scheduled cleanup freed" << total << "bytes";
    if (!failures.isEmpty()) {
        // Said as the manual run says it, as a failure. A run that cleared something is stamped
        // (its period starts again, as after a run that went through): tried again within the
        // hour it would clear the rest anew and tell of a failure that lasts (a folder of another
        // user's) every hour. One that cleared nothing is not stamped and is tried again then.
        if (anyCleared)
            m_settings->setLastAutoCleanup(now());
        else
            m_autoCleanRetryAt = now().addSecs(kAutoCleanRetrySeconds);
        const QString summary = failureSummary(failures);
        if (m_env.notifications)
            Notifier::notifyAutoCleanupFailed(*m_env.notifications, total, summary, m_env.bundleIdentifier);
        setStatusFailure(total >= 1
                             ? tr("Freed %1 automatically; couldn't clean up: %2").arg(formatBytes(total), summary)
                             : tr("Couldn't clean up: %1").arg(summary));
        co_return;
    }
    m_settings->setLastAutoCleanup(now());
    if (m_env.notifications)
        Notifier::notifyAutoCleanup(*m_env.notifications, total, m_env.bundleIdentifier);
    if (total >= 1)
        finishWithStatus(tr("Auto-cleanup freed %1").arg(formatBytes(total)));
}

QCoro::Task<> AppModel::remeasureTrash()
{
    const int i = indexOf(QStringLiteral("trash"));
    if (i < 0)
        co_return;
    const CleanupTarget trash = m_targets[i].target;
    QPointer<AppModel> self(this);
    const Scanner::Measurement measured = co_await valueOf(m_env.size(trash, Scanner::Progress()));
    if (self)
        storeMeasurement(trash.id, measured);
}

// ---- custom folders

std::optional<QString> AppModel::addCustomFolder(const QString& path)
{
    const QString expanded = Paths::expandTilde(path);
    if (const std::optional<QString> message = m_env.validateCustom(expanded))
        return message;
    QStringList folders = m_settings->customFolders();
    if (folders.contains(expanded))
        return tr("Already added.");
    folders.append(expanded);
    m_settings->setCustomFolders(folders);
    rebuildTargets();
    const QString id = QStringLiteral("custom:") + expanded;
    QTimer::singleShot(0, this, [this, id] { scan(id); });
    return std::nullopt;
}

void AppModel::removeCustomFolder(const QString& path)
{
    QStringList folders = m_settings->customFolders();
    folders.removeAll(path);
    m_settings->setCustomFolders(folders);
    rebuildTargets();
}
