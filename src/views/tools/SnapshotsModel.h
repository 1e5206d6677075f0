#pragma once
#include "services/SnapshotManager.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class TransientMessage;

// The state of the snapshots window: the local snapshots, whether the newest one is kept, and
// the removal in one administrator run with its result message. The listing and the removal
// run in the background; every change is published here on the main thread, and every
// assignment to a published property emits, also when the value is the same.
class SnapshotsModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<LocalSnapshot> snapshots READ snapshots NOTIFY snapshotsChanged)
    Q_PROPERTY(bool keepNewest READ keepNewest WRITE setKeepNewest NOTIFY keepNewestChanged)
    Q_PROPERTY(bool isWorking READ isWorking NOTIFY isWorkingChanged)
    Q_PROPERTY(std::optional<QString> statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(qint64 purgeable READ purgeable NOTIFY purgeableChanged)
    Q_PROPERTY(bool hasListed READ hasListed NOTIFY hasListedChanged)

public:
    // How long a result message stays.
    static constexpr int kMessageDelayMs = 6000;

    explicit SnapshotsModel(QObject* parent = nullptr);
    ~SnapshotsModel() override;

    const QList<LocalSnapshot>& snapshots() const { return m_snapshots; }
    bool keepNewest() const { return m_keepNewest; }
    void setKeepNewest(bool value);
    // True while a removal runs, until the list after it has been read.
    bool isWorking() const { return m_isWorking; }
    void setIsWorking(bool value);
    std::optional<QString> statusMessage() const;
    qint64 purgeable() const { return m_purgeable; }
    // False until the first listing has come back (the window shows that it is working until
    // then, not an empty list).
    bool hasListed() const { return m_hasListed; }
    bool isListing() const { return m_listing > 0; }

    // Every snapshot but the newest while it is kept, otherwise all of them.
    QList<LocalSnapshot> deletable() const;

    // Reads the snapshots and the purgeable estimate in the background.
    void load();
    // Removes `deletable()` in one administrator run, then reads the list again.
    void reclaim();

    // What a finished listing sets (also for pictures of the window).
    void setListing(const QList<LocalSnapshot>& snapshots, qint64 purgeable);
    // The result message, which clears itself after its delay (tests shorten it).
    TransientMessage& message() const { return *m_message; }

    // The message for a removal's outcome.
    static QString messageFor(const SnapshotManager::DeleteResult& result);

Q_SIGNALS:
    void snapshotsChanged();
    void keepNewestChanged();
    void isWorkingChanged();
    void statusMessageChanged();
    void purgeableChanged();
    void hasListedChanged();
    void isListingChanged();

private:
    QCoro::Task<> relist();
    QCoro::Task<> runReclaim(QList<LocalSnapshot> taken);
    void adjustListing(int delta);

    QList<LocalSnapshot> m_snapshots;
    bool m_keepNewest = true;
    bool m_isWorking = false;
    qint64 m_purgeable = 0;
    bool m_hasListed = false;
    int m_listing = 0;
    quint64 m_listGeneration = 0;
    TransientMessage* m_message;
};
