#include "views/diskmap/DiskMapModel.h"

#include "AppModel.h"
#include "models/DiskTree.h"
#include "platform/Background.h"
#include "platform/MainThreadRelay.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"
#include "platform/ui/Dialogs.h"
#include "services/Cleaner.h"
#include "views/components/TransientMessage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMutex>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>
#include <vector>

// One scan: its token, and what it delivered that the model has not applied yet. Arrived
// children are merged into the sorted list off the main thread, by one merge at a time on the
// model's pool; the model takes the latest list as it is.
struct DiskMapModel::Session {
    CancelTokenPtr token;
    QString path;
    QThreadPool* pool = nullptr;
    std::mutex lock;
    // Arrived, not merged yet: children of the scanned tree as its records (no count of shared
    // data is touched per child, so the scan's thread and the merge don't contend), anything else
    // as nodes, once any such has come.
    std::vector<const DiskTree::Record*> records;
    std::vector<DiskNode> children;
    std::shared_ptr<const DiskTree::Store> store; // the records' tree and folder
    QByteArray parent;
    bool asNodes = false;
    std::optional<qint64> progress;
    std::optional<std::pair<NodeList, qint64>> merged; // the latest list and its sum, not applied yet
    bool merging = false; // a merge is running
    bool posted = false; // a delivery call is on its way to the model
    std::atomic<bool> returned{false}; // the scan has returned; its whole tree is on its way
    // The merge's own: the children so far, largest first, and their sum.
    NodeList sorted;
    qint64 sum = 0;
};

namespace {

// The tokens of every running scan, so that quitting can stop them all.
QMutex g_runningMutex;
std::vector<std::weak_ptr<CancelToken>>& runningTokens()
{
    static std::vector<std::weak_ptr<CancelToken>> tokens;
    return tokens;
}

void registerRunning(const CancelTokenPtr& token)
{
    QMutexLocker lock(&g_runningMutex);
    auto& tokens = runningTokens();
    tokens.erase(std::remove_if(tokens.begin(), tokens.end(), [](const auto& t) { return t.expired(); }), tokens.end());
    tokens.push_back(token);
    static const bool connected = [] {
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, app, &DiskMapModel::cancelAllScans);
        return true;
    }();
    Q_UNUSED(connected);
}

// Posted after a batch at the low priority of the window's own repaint, so that it arrives once
// the batch has been laid out and drawn.
QEvent::Type batchSettledEvent()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

// Merges arrived children into the sorted list (see below).
struct Arrivals {
    std::shared_ptr<const DiskTree::Store> store;
    QByteArray parent;
    std::vector<const DiskTree::Record*> records; // of `store`, in the folder at `parent`
    std::vector<DiskNode> nodes;
};
void mergeArrivals(NodeList& sorted, qint64& sum, Arrivals arrived);

QString nodeName(const QString& path)
{
    const QString last = Paths::lastComponent(path);
    return last.isEmpty() ? path : last;
}

} // namespace

DiskMapModel::DiskMapModel(QObject* parent) : DiskMapModel(DiskMapEnvironment{}, parent) {}

DiskMapModel::DiskMapModel(DiskMapEnvironment environment, QObject* parent)
    : QObject(parent), m_env(std::move(environment)), m_relay(Relay::create(this))
{
    if (!m_env.defaults)
        m_env.defaults = &UserDefaults::standard();
    if (!m_env.scan)
        m_env.scan = [](const QString& root, const CancelToken& token, const DiskMapScanner::Progress& progress,
                        const DiskMapScanner::ChildDone& child) {
            return DiskMapScanner::scanStreaming(root, token, progress, child);
        };
    if (!m_env.trashPicked)
        m_env.trashPicked = [](const Cleaner::PickedItem& item) {
            return Cleaner::trashPicked(item, Cleaner::PickedIn::diskMap);
        };
    m_message = new TransientMessage(kMessageDelayMs, this);
    connect(m_message, &TransientMessage::changed, this, &DiskMapModel::messageChanged);
    if (!m_env.pool)
        m_env.pool = &Background::userInitiated();

    const std::optional<QString> stored = m_env.defaults->string(QString::fromLatin1(kRootKey));
    m_rootPath = stored && !stored->isEmpty() ? *stored : Paths::home();

    m_batchTimer = new QTimer(this);
    m_batchTimer->setSingleShot(true);
    connect(m_batchTimer, &QTimer::timeout, this, &DiskMapModel::applyBatch);
}

DiskMapModel::~DiskMapModel()
{
    // A running scan goes on (closing the window does not stop it); its deliveries are dropped.
    m_relay->detach();
}

void DiskMapModel::setAppModel(AppModel* model) { m_appModel = model; }

AppModel* DiskMapModel::appModel() const { return m_appModel; }

void DiskMapModel::setRoot(const std::optional<DiskNode>& value)
{
    m_root = value;
    m_currentChildren.reset();
    Q_EMIT rootChanged();
}

void DiskMapModel::setStack(const QList<DiskNode>& value)
{
    m_stack = value;
    m_currentChildren.reset();
    Q_EMIT stackChanged();
}

void DiskMapModel::setIsScanning(bool value)
{
    m_isScanning = value;
    Q_EMIT isScanningChanged();
}

void DiskMapModel::setScannedBytes(qint64 value)
{
    m_scannedBytes = value;
    Q_EMIT scannedBytesChanged();
}

void DiskMapModel::setSelection(const std::optional<DiskNode>& node)
{
    m_selection = node;
    Q_EMIT selectionChanged();
}

void DiskMapModel::setRootPath(const QString& value)
{
    m_rootPath = value;
    Q_EMIT rootPathChanged();
}

std::optional<DiskNode> DiskMapModel::current() const
{
    if (!m_stack.isEmpty())
        return m_stack.last();
    return m_root;
}

const NodeList& DiskMapModel::currentChildren() const
{
    if (!m_currentChildren) {
        const std::optional<DiskNode> shown = current();
        m_currentChildren = shown ? shown->childList() : NodeList{};
    }
    return *m_currentChildren;
}

QList<DiskNode> DiskMapModel::breadcrumb() const
{
    if (!m_root)
        return {};
    QList<DiskNode> out{*m_root};
    out += m_stack;
    return out;
}

void DiskMapModel::scan(const std::optional<QString>& path)
{
    const QString p = path.value_or(m_rootPath);
    setRootPath(p);
    m_env.defaults->setString(QString::fromLatin1(kRootKey), p);

    if (m_token)
        m_token->cancel();
    m_token = std::make_shared<CancelToken>();
    registerRunning(m_token);
    // The tree is named below the root as given; its items are moved from where it lies now.
    m_scanRoot = Cleaner::ScanRoot::at(p);

    setIsScanning(true);
    setScannedBytes(0);
    setSelection(std::nullopt);
    setRoot(std::nullopt);
    setStack({});
    clearPartialChildren();
    m_batchTimer->stop();
    m_sinceBatch.invalidate();
    m_batchCostMs = 0;

    auto session = std::make_shared<Session>();
    session->token = m_token;
    session->path = p;
    session->pool = m_env.pool;
    m_session = session;

    std::shared_ptr<Relay> relay = m_relay;
    // Each delivery is kept in the session; the first one after an applied batch calls the model.
    const auto notify = [relay, session](std::unique_lock<std::mutex>& held) {
        const bool post = !std::exchange(session->posted, true);
        held.unlock();
        if (post)
            relay->post([session](DiskMapModel& model) { model.deliveryArrived(session); });
    };
    DiskMapScanner::Progress onProgress = [session, notify](qint64 bytes) {
        std::unique_lock held(session->lock);
        session->progress = bytes;
        notify(held);
    };
    // One merge at a time takes what has arrived, merges it and hands the list over; it goes on
    // while children keep coming.
    const auto merge = [session, notify] {
        std::unique_lock held(session->lock);
        while ((!session->children.empty() || !session->records.empty()) && !session->token->isCancelled()) {
            Arrivals arrived{session->store, session->parent, {}, {}};
            arrived.records.swap(session->records);
            arrived.nodes.swap(session->children);
            held.unlock();
            mergeArrivals(session->sorted, session->sum, std::move(arrived));
            held.lock();
            session->merged.emplace(session->sorted, session->sum);
            notify(held);
            held.lock();
        }
        session->merging = false;
    };
    DiskMapScanner::ChildDone onChild = [session, merge](const DiskNode& node) {
        std::lock_guard held(session->lock);
        const std::optional<DiskNode::StoreChild> c = node.storeChild();
        if (c && !session->store) {
            session->store = *c->store;
            session->parent = *c->parentPath;
        }
        if (!session->asNodes && c && c->store->get() == session->store.get() && *c->parentPath == session->parent) {
            session->records.push_back(c->record);
        } else {
            if (!std::exchange(session->asNodes, true)) // what waits keeps its place before this one
                for (const DiskTree::Record* r : std::exchange(session->records, {}))
                    session->children.push_back(DiskNode::childOf(session->store, r, session->parent));
            session->children.push_back(node);
        }
        if (!std::exchange(session->merging, true))
            session->pool->start(merge);
    };
    auto scanFn = m_env.scan;
    m_env.pool->start([scanFn, relay, session, onProgress, onChild] {
        DiskNode tree = scanFn(session->path, *session->token, onProgress, onChild);
        session->returned = true;
        relay->post([session, tree = std::move(tree)](DiskMapModel& model) { model.finishScan(session, tree); });
    });
}

void DiskMapModel::stop()
{
    if (m_token)
        m_token->cancel();
    setIsScanning(false);
}

void DiskMapModel::deliveryArrived(const std::shared_ptr<Session>& session)
{
    if (session != m_session) {
        // A replaced scan: nothing of it is applied.
        std::lock_guard g(session->lock);
        session->children.clear();
        session->records.clear();
        session->progress.reset();
        session->posted = false;
        return;
    }
    if (m_batchTimer->isActive())
        return;
    const qint64 gap = std::max<qint64>(kBatchIntervalMs, 3 * m_batchCostMs);
    const qint64 since = m_sinceBatch.isValid() ? m_sinceBatch.elapsed() : gap;
    m_batchTimer->start(int(std::max<qint64>(0, gap - since)));
}

bool DiskMapModel::event(QEvent* event)
{
    if (event->type() != batchSettledEvent())
        return QObject::event(event);
    if (m_sinceBatch.isValid())
        m_batchCostMs = m_sinceBatch.elapsed();
    return true;
}

void DiskMapModel::applyBatch()
{
    const std::shared_ptr<Session> session = m_session;
    if (!session)
        return;
    std::optional<std::pair<NodeList, qint64>> merged;
    std::optional<qint64> progress;
    {
        std::lock_guard g(session->lock);
        merged = std::exchange(session->merged, std::nullopt);
        progress = std::exchange(session->progress, std::nullopt);
        session->posted = false;
    }
    m_sinceBatch.start();
    // Children that arrive after the walk has ended are in the finished tree, which follows at
    // once: merging them first would only hold it up.
    if (!m_isScanning || session->token->isCancelled() || session->returned)
        return;
    if (progress)
        setScannedBytes(*progress);
    if (merged) {
        applyPartialChildren(std::move(merged->first), merged->second);
        QCoreApplication::postEvent(this, new QEvent(batchSettledEvent()), Qt::LowEventPriority);
    }
}

namespace {

// Merges `batch` (sorted by size, then arrival) into `sorted` (largest first, equal sizes in
// arrival order) into a new list, the earlier arrivals staying ahead of equal sizes.
template <typename T, typename SizeOf>
std::vector<T> mergeBySize(const std::vector<T>& sorted, std::vector<std::pair<qint64, T>>& batch, SizeOf sizeOf)
{
    std::vector<T> merged;
    merged.reserve(sorted.size() + batch.size());
    size_t i = 0;
    for (auto& [size, item] : batch) {
        while (i < sorted.size() && sizeOf(sorted[i]) >= size)
            merged.push_back(sorted[i++]);
        merged.push_back(std::move(item));
    }
    merged.insert(merged.end(), sorted.begin() + qsizetype(i), sorted.end());
    return merged;
}

template <typename T>
void sortBatch(std::vector<std::pair<qint64, T>>& batch)
{
    std::stable_sort(batch.begin(), batch.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
}

void mergeArrivals(NodeList& sorted, qint64& sum, Arrivals arrived)
{
    using Ref = const DiskTree::Record*;
    // Records stay records while the list holds records of the same folder (or nothing yet);
    // anything else is kept as nodes.
    const std::shared_ptr<const DiskTree::Store>* store = sorted.store();
    if (!arrived.records.empty()
        && !(sorted.isEmpty()
             || (store && store->get() == arrived.store.get() && sorted.parentPath() == arrived.parent))) {
        for (const Ref r : arrived.records)
            arrived.nodes.push_back(DiskNode::childOf(arrived.store, r, arrived.parent));
        arrived.records.clear();
    }
    if (!arrived.records.empty()) {
        // Each size is read once.
        std::vector<std::pair<qint64, Ref>> batch;
        batch.reserve(arrived.records.size());
        int categories = sorted.categoryMask(); // the list's, and the batch's joined to it
        for (const Ref r : arrived.records) {
            batch.emplace_back(qint64(r->size), r);
            sum += qint64(r->size);
            categories |= 1 << int(r->category());
        }
        sortBatch(batch);
        sorted = NodeList(arrived.store, arrived.parent,
                          mergeBySize(sorted.records(), batch, [](Ref r) { return qint64(r->size); }), categories);
    }
    if (!arrived.nodes.empty()) {
        std::vector<std::pair<qint64, DiskNode>> batch;
        batch.reserve(arrived.nodes.size());
        for (DiskNode& n : arrived.nodes) {
            const qint64 size = n.size();
            sum += size;
            batch.emplace_back(size, std::move(n));
        }
        sortBatch(batch);
        const QList<DiskNode> had = sorted.toList();
        const std::vector<DiskNode> merged = mergeBySize(std::vector<DiskNode>(had.begin(), had.end()), batch,
                                                         [](const DiskNode& n) { return n.size(); });
        sorted = NodeList(QList<DiskNode>(merged.begin(), merged.end()));
    }
    sorted.categoryMask(); // worked out here, not when the legend asks on the main thread
}

} // namespace

void DiskMapModel::applyPartialChildren(NodeList children, qint64 sum)
{
    m_partialChildren = std::move(children);
    m_partialSum = sum;
    if (!m_stack.isEmpty())
        return; // zoomed into a partial child: the root stays as it is until the scan ends
    const QString id = Paths::expandTilde(m_session ? m_session->path : m_rootPath);
    setRoot(
        DiskNode(id, nodeName(id), m_partialSum, true, FileCategory::other, std::nullopt, false, m_partialChildren));
}

void DiskMapModel::finishScan(const std::shared_ptr<Session>& session, const DiskNode& tree)
{
    if (session->token->isCancelled())
        return; // stopped or replaced: its tree is dropped
    if (session == m_session) {
        m_batchTimer->stop();
        std::lock_guard g(session->lock);
        session->children.clear();
        session->records.clear();
        session->progress.reset();
    }
    setRoot(tree);
    setScannedBytes(tree.size());
    setIsScanning(false);
    clearPartialChildren();
}

void DiskMapModel::clearPartialChildren()
{
    m_partialChildren = NodeList();
    m_partialSum = 0;
}

void DiskMapModel::zoom(const DiskNode& node)
{
    if (!node.isDirectory() || !node.hasChildren())
        return;
    QList<DiskNode> s = m_stack;
    s.append(node);
    setStack(s);
    setSelection(std::nullopt);
}

void DiskMapModel::goTo(int depth)
{
    if (depth < 1)
        setStack({});
    else
        setStack(m_stack.mid(0, std::min<qsizetype>(depth, m_stack.size())));
    setSelection(std::nullopt);
}

void DiskMapModel::goUp()
{
    if (m_stack.isEmpty())
        return;
    QList<DiskNode> s = m_stack;
    s.removeLast();
    setStack(s);
    setSelection(std::nullopt);
}

void DiskMapModel::moveSelection(int delta)
{
    const NodeList& kids = currentChildren();
    if (kids.isEmpty())
        return;
    const qsizetype index = m_selection ? kids.indexOf(*m_selection, true) : -1;
    if (index < 0) {
        setSelection(kids.at(0));
        return;
    }
    setSelection(kids.at(std::clamp<qsizetype>(index + delta, 0, kids.size() - 1)));
}

bool DiskMapModel::canTrash(const DiskNode& node) const
{
    // A path that does not name exactly this item (its name is not UTF-8) is never acted on.
    if (node.isSynthetic() || !node.pathRoundTrips())
        return false;
    return Cleaner::canTrashOnRequest(node.path(), Cleaner::PickedIn::diskMap);
}

std::optional<QString> DiskMapModel::message() const { return m_message->text(); }

void DiskMapModel::trash(const DiskNode& node)
{
    // The rule is applied where the move finds the item, not to what the path leads to now.
    if (!m_appModel || node.isSynthetic() || !node.pathRoundTrips())
        return;
    Cleaner::PickedItem item;
    item.path = m_scanRoot.locate(node.rawPath());
    // A link is listed as no folder, and is moved as itself.
    item.kind = node.isDirectory() ? Cleaner::PickedItem::Kind::folder : Cleaner::PickedItem::Kind::notFolder;
    const Cleaner::PickedMove moved = m_env.trashPicked(item);
    if (moved.result == Cleaner::PickedMove::Result::changed)
        m_message->show(Cleaner::changedSinceScan(node.path()));
    if (!moved.item)
        return;
    m_appModel->recordExternalDeletion(node.name(), node.size(), {*moved.item});
    scan();
}

void DiskMapModel::pickFolderAndScan(QWidget* parent)
{
    Dialogs::PickRequest request;
    request.acceptLabel = QCoreApplication::translate("DiskMapModel", "Scan");
    request.startPath = m_rootPath;
    request.kind = Dialogs::PickKind::Folder;
    QPointer<DiskMapModel> self(this);
    Dialogs::pick(parent, request, [self](std::optional<QString> path) {
        if (self && path && !path->isEmpty())
            self->scan(*path);
    });
}

void DiskMapModel::cancelAllScans()
{
    QMutexLocker lock(&g_runningMutex);
    for (const auto& weak : runningTokens())
        if (CancelTokenPtr t = weak.lock())
            t->cancel();
    runningTokens().clear();
}
