#include "views/tools/SnapshotsModel.h"

#include "platform/ByteCountFormatter.h"
#include "platform/Background.h"
#include "views/components/TransientMessage.h"

#include <QCoreApplication>
#include <QCoro/QCoroFuture>
#include <QPointer>
#include <QtConcurrent>

namespace {

struct Listing {
    QList<LocalSnapshot> snapshots;
    qint64 purgeable = 0;
};

Listing readListing()
{
    Listing l;
    l.snapshots = SnapshotManager::list();
    l.purgeable = SnapshotManager::purgeableBytes();
    return l;
}

} // namespace

SnapshotsModel::SnapshotsModel(QObject* parent)
    : QObject(parent), m_message(new TransientMessage(kMessageDelayMs, this))
{
    connect(m_message, &TransientMessage::changed, this, &SnapshotsModel::statusMessageChanged);
}

SnapshotsModel::~SnapshotsModel() = default;

void SnapshotsModel::setKeepNewest(bool value)
{
    m_keepNewest = value;
    Q_EMIT keepNewestChanged();
}

std::optional<QString> SnapshotsModel::statusMessage() const { return m_message->text(); }

void SnapshotsModel::setIsWorking(bool value)
{
    m_isWorking = value;
    Q_EMIT isWorkingChanged();
}

void SnapshotsModel::adjustListing(int delta)
{
    m_listing += delta;
    Q_EMIT isListingChanged();
}

QList<LocalSnapshot> SnapshotsModel::deletable() const
{
    if (!m_keepNewest)
        return m_snapshots;
    return m_snapshots.mid(1);
}

void SnapshotsModel::setListing(const QList<LocalSnapshot>& snapshots, qint64 purgeable)
{
    m_snapshots = snapshots;
    Q_EMIT snapshotsChanged();
    m_purgeable = purgeable;
    Q_EMIT purgeableChanged();
    if (!m_hasListed) {
        m_hasListed = true;
        Q_EMIT hasListedChanged();
    }
}

void SnapshotsModel::load() { relist(); }

QCoro::Task<> SnapshotsModel::relist()
{
    // The listing goes through the login shell and can take minutes: never on the main thread.
    // When listings overlap, the one started last is the one shown.
    QPointer<SnapshotsModel> self(this);
    const quint64 generation = ++m_listGeneration;
    adjustListing(+1);
    // (Futures are awaited from named variables: GCC 12 can destroy a temporary that captures
    // data twice when it stands inside a co_await expression.)
    const QFuture<Listing> listing = QtConcurrent::run(&Background::utility(), readListing);
    const Listing l = co_await listing;
    if (!self)
        co_return;
    adjustListing(-1);
    if (generation == m_listGeneration)
        setListing(l.snapshots, l.purgeable);
}

QString SnapshotsModel::messageFor(const SnapshotManager::DeleteResult& result)
{
    if (const qint64* freed = std::get_if<qint64>(&result)) {
        if (*freed < 1)
            return tr("Snapshots removed — macOS may report the freed space in a moment.");
        return tr("Reclaimed %1.").arg(formatBytes(*freed));
    }
    const SnapshotError& error = std::get<SnapshotError>(result);
    if (error.kind == SnapshotError::Kind::cancelled)
        return tr("Cancelled — nothing was removed.");
    return tr("Couldn't remove snapshots: %1").arg(error.message);
}

void SnapshotsModel::reclaim()
{
    const QList<LocalSnapshot> taken = deletable();
    if (taken.isEmpty())
        return;
    setIsWorking(true);
    m_message->clear();
    runReclaim(taken);
}

QCoro::Task<> SnapshotsModel::runReclaim(QList<LocalSnapshot> taken)
{
    QPointer<SnapshotsModel> self(this);
    const QFuture<SnapshotManager::DeleteResult> deletion =
        QtConcurrent::run(&Background::utility(), [taken] { return SnapshotManager::deleteSnapshots(taken); });
    const SnapshotManager::DeleteResult result = co_await deletion;
    const QString text = messageFor(result);
    if (!self)
        co_return;
    // Whatever the outcome, the list is read again before the result is shown.
    co_await relist();
    if (!self)
        co_return;
    m_message->show(text);
    setIsWorking(false);
}
