#pragma once
#include "models/CleanRecord.h"
#include "models/CleanupTarget.h"
#include "models/DiskInfo.h"
#include "platform/HostPlatform.h"
#include "platform/MainThreadRelay.h"
#include "platform/Trash.h"
#include "services/AppSettings.h"
#include "services/CleanHistoryStore.h"
#include "services/Cleaner.h"
#include "services/Scanner.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

class Clock;
class NotificationCenter;
class RepeatingTimer;
class UserDefaults;

// A target with its measured size and its activity flags.
struct TargetState {
    CleanupTarget target;
    std::optional<qint64> size; // absent until measured, and while a new measurement starts
    bool isScanning = false;
    bool isCleaning = false; // a one-target cleanup runs

    const QString& id() const { return target.id; }
    friend bool operator==(const TargetState&, const TargetState&) = default;
};

// One line of a confirmation.
struct ConfirmItem {
    QString label; // a path or a target name
    std::optional<qint64> size;
    friend bool operator==(const ConfirmItem&, const ConfirmItem&) = default;
};

// The cleanup that waits for the user's confirmation.
struct PendingClean {
    struct Single {
        QString id;
        friend bool operator==(const Single&, const Single&) = default;
    };
    struct All {
        friend bool operator==(const All&, const All&) = default;
    };
    using Kind = std::variant<Single, All>;

    Kind kind;
    QString title;
    std::optional<QString> sizeText;
    QList<ConfirmItem> items;
    std::optional<QString> whySafe;

    bool isAll() const { return std::holds_alternative<All>(kind); }
    friend bool operator==(const PendingClean&, const PendingClean&) = default;
};

// What the model needs from its surroundings. The application's own set is made by
// AppModel::shared(); tests hand in fakes. Pointers must outlive the model.
struct AppModelEnvironment {
    UserDefaults* defaults = nullptr;
    HostPlatform platform = hostPlatform(); // whose catalog of targets is listed
    std::function<QString()> home; // the home folder path
    std::function<DiskInfo(const QString& path)> diskInfo; // figures of the volume holding a path
    NotificationCenter* notifications = nullptr; // null: notifications are off
    QString bundleIdentifier; // empty: notifications are off
    Clock* clock = nullptr;
    // Measures a target: its size and the places it is made of.
    std::function<QFuture<Scanner::Measurement>(const CleanupTarget&, Scanner::Progress)> size;
    // Clears a target, telling the log what it moves and stopping when the log is stopped.
    std::function<QFuture<CleanOutcome>(const CleanupTarget&, bool moveToTrash, ClearingLogPtr log)> clean;
    std::function<std::optional<QString>(const QString& path)> validateCustom;
    // Moves an item from the Trash back to `original` without replacing anything there, making
    // the folders that lead to it without following a link; says why when it could not.
    std::function<Trash::PutBackResult(const QString& trashPath, const QString& original)> putBack;
    // Removes what an earlier run of the program that ended while it moved an item to the Trash
    // left in the Trash's records; run once, at the start. None: nothing is tidied.
    std::function<void()> tidyTrash;
};

// The application model every window observes. Lives on the main thread; every assignment to a
// published property emits its change signal, also when the value is the same.
class AppModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(DiskInfo disk READ disk WRITE setDisk NOTIFY diskChanged)
    Q_PROPERTY(QList<TargetState> targets READ targets WRITE setTargets NOTIFY targetsChanged)
    Q_PROPERTY(bool isCleaningAll READ isCleaningAll WRITE setIsCleaningAll NOTIFY isCleaningAllChanged)
    Q_PROPERTY(
        std::optional<QString> statusMessage READ statusMessage WRITE setStatusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(int largeFilesTab READ largeFilesTab WRITE setLargeFilesTab NOTIFY largeFilesTabChanged)
    Q_PROPERTY(
        std::optional<PendingClean> pendingClean READ pendingClean WRITE setPendingClean NOTIFY pendingCleanChanged)
    Q_PROPERTY(QList<CleanRecord> history READ history WRITE setHistory NOTIFY historyChanged)
    Q_PROPERTY(
        qint64 totalFreedAllTime READ totalFreedAllTime WRITE setTotalFreedAllTime NOTIFY totalFreedAllTimeChanged)
    Q_PROPERTY(std::optional<QDateTime> lastScan READ lastScan WRITE setLastScan NOTIFY lastScanChanged)
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY targetsChanged)

public:
    // One switchable group of the panel's simple mode.
    struct SimpleGroup {
        QString id;
        QString title;
        QString symbol;
        QStringList targetIDs; // members in list order
        qint64 size = 0; // known member sizes, absent counted as 0
        bool isScanning = false; // a member is being measured
        friend bool operator==(const SimpleGroup&, const SimpleGroup&) = default;
    };
    // One section of the panel's list.
    struct Section {
        CleanupCategory category;
        QList<TargetState> items;
        friend bool operator==(const Section&, const Section&) = default;
    };

    static constexpr int kCacheWatchIntervalSeconds = 180;
    static constexpr qint64 kDailySeconds = 86'400;
    // How long after a scheduled cleanup that cleared nothing and failed it is tried again.
    static constexpr qint64 kAutoCleanRetrySeconds = 3'600;
    static constexpr qint64 kWeeklySeconds = 604'800;

    // The application's model, made with the real environment on first use.
    static AppModel& shared();
    // The real services (measuring, clearing, checking folders, putting back, the home volume's
    // figures, the system clock) over `defaults`; no notifications.
    static AppModelEnvironment realEnvironment(UserDefaults& defaults);

    // Reads the disk figures, builds the targets, loads the history and registers the
    // notification category. Nothing starts running until start().
    explicit AppModel(AppModelEnvironment environment, QObject* parent = nullptr);
    ~AppModel() override;

    AppSettings& settings() const { return *m_settings; }
    NotificationCenter* notificationCenter() const { return m_env.notifications; }

    // Published state.
    DiskInfo disk() const { return m_disk; }
    void setDisk(const DiskInfo& value);
    const QList<TargetState>& targets() const { return m_targets; }
    void setTargets(const QList<TargetState>& value);
    bool isCleaningAll() const { return m_isCleaningAll; }
    void setIsCleaningAll(bool value);
    std::optional<QString> statusMessage() const { return m_statusMessage; }
    void setStatusMessage(const std::optional<QString>& value);
    // Whether the status message tells of a failure (set together with it; a plain message
    // clears it).
    bool statusIsFailure() const { return m_statusIsFailure; }
    void setStatusFailure(const QString& message);
    int largeFilesTab() const { return m_largeFilesTab; }
    void setLargeFilesTab(int value);
    std::optional<PendingClean> pendingClean() const { return m_pendingClean; }
    void setPendingClean(const std::optional<PendingClean>& value);
    const QList<CleanRecord>& history() const { return m_history; }
    void setHistory(const QList<CleanRecord>& value);
    qint64 totalFreedAllTime() const { return m_totalFreedAllTime; }
    void setTotalFreedAllTime(qint64 value);
    std::optional<QDateTime> lastScan() const { return m_lastScan; }
    void setLastScan(const std::optional<QDateTime>& value);

    // Target list and its derived views.
    void rebuildTargets();
    QList<Section> groupedTargets() const;
    QList<SimpleGroup> simpleGroups() const;
    void setGroupEnabled(bool enabled, const SimpleGroup& group);
    bool isGroupEnabled(const SimpleGroup& group) const;
    bool isScanning() const;
    // What clearing every enabled target would free: their known sizes, each byte once. A place
    // of a target that lies inside another enabled target's place is counted there only, so a
    // browser cache inside the app caches, or a custom folder holding a tool's cache, is not
    // counted twice; the rows keep their own sizes.
    qint64 totalReclaimable() const;
    // The text beside the tray icon; no value in icon-only mode.
    std::optional<QString> menuBarText() const;

    // Sizing and the low-space check.
    QCoro::Task<> scanAll();
    QCoro::Task<> scan(QString id); // coroutines take their arguments by value
    QCoro::Task<> refreshCacheSizes();
    void checkLowSpace();

    // Cleanup flow.
    void requestClean(const QString& id);
    void requestCleanAll();
    void confirmPending(bool permanently);
    QCoro::Task<> clean(QString id, std::optional<bool> moveToTrash = std::nullopt);
    QCoro::Task<> cleanAll(std::optional<bool> moveToTrash = std::nullopt);
    void recordExternalDeletion(const QString& name, qint64 freed, const QList<TrashedItem>& trashed);
    // Puts a record's items back from the Trash. What stays there (its place taken, or gone from
    // the Trash) stays in the record, to be put back later; the record counts as restored once
    // every item went back, and the all-time total gives up the bytes of what went back only.
    void restore(const CleanRecord& record);
    // For a quit: stops every clearing at its next entry and runs the event loop until their
    // records are saved, for at most `limit`; whatever still runs then has its record saved as it
    // stands (and its journal finishes it at the next start).
    void finishClearings(std::chrono::milliseconds limit);
    // Whether a clearing runs now.
    bool isClearing() const { return !m_clearings.empty(); }

    // Start-up, timers and the scheduled cleanup.
    void start();
    // Whether start() has run (later calls only refresh the disk figures).
    bool hasStarted() const { return m_didStart; }
    void restartTimer();
    void runScheduledCleanupIfDue();

    // Custom folders: an error text, or no value when the folder was added.
    std::optional<QString> addCustomFolder(const QString& path);
    void removeCustomFolder(const QString& path);

Q_SIGNALS:
    void diskChanged();
    void targetsChanged();
    void isCleaningAllChanged();
    void statusMessageChanged();
    void largeFilesTabChanged();
    void pendingCleanChanged();
    void historyChanged();
    void totalFreedAllTimeChanged();
    void lastScanChanged();
    // Something the views derive (totals, groups) changed without a published property changing.
    void changed();

private:
    QString home() const;
    QDateTime now() const;
    void refreshDisk();
    int indexOf(const QString& id) const;
    // One clearing while it runs. One to the Trash has its record in the store from before its
    // first move (with the items moved so far, saved at least every second) and a journal beside
    // the settings.
    struct RunningClearing {
        CleanRecord record;
        ClearingLogPtr log;
        std::shared_ptr<CleanHistoryStore::Journal> journal;
        bool stored = false; // its record is part of the stored history while it runs
        qsizetype savedItems = 0;
    };
    struct ClearingResult {
        CleanOutcome outcome;
        QUuid record; // the id its history record takes
    };
    // Clears `target` through the environment's cleaner as a running clearing.
    QCoro::Task<ClearingResult> runClearing(CleanupTarget target, bool moveToTrash);
    // Saves the running clearings' records when they moved something since the last save.
    void saveRunningClearings();
    // Records one finished clearing under the id of its running record.
    void record(const CleanupTarget& target, const CleanOutcome& outcome, bool moveToTrash, const QUuid& id);
    void addToHistory(CleanRecord record);
    void saveHistory();
    // Sets the status message that ends an action, unless the history could not be saved since:
    // then that failure is what the status line says.
    void finishWithStatus(const QString& message);
    void startCacheWatcher();
    QCoro::Task<> autoClean();
    QCoro::Task<> runCleanAll(std::optional<bool> moveToTrash);
    void applyProgress(const QString& id, qint64 bytes);
    // Writes a finished measurement to the target, when it is still listed.
    void storeMeasurement(const QString& id, const Scanner::Measurement& measured);
    QCoro::Task<> remeasureTrash();
    QCoro::Task<> scanIds(QStringList ids);
    void queueScanAll();

    AppModelEnvironment m_env;
    std::shared_ptr<MainThreadRelay<AppModel>> m_relay;

    DiskInfo m_disk;
    QList<TargetState> m_targets;
    bool m_isCleaningAll = false;
    std::optional<QString> m_statusMessage;
    bool m_statusIsFailure = false;
    std::optional<QString> m_historySaveError; // why the last save of the history failed
    int m_largeFilesTab = 0;
    std::optional<PendingClean> m_pendingClean;
    QList<CleanRecord> m_history;
    qint64 m_totalFreedAllTime = 0;
    std::optional<QDateTime> m_lastScan;
    AppSettings* m_settings = nullptr;

    std::unique_ptr<RepeatingTimer> m_timer;
    std::unique_ptr<RepeatingTimer> m_cacheWatchTimer;
    bool m_lowSpaceNotified = false;
    bool m_didStart = false;
    std::optional<QDateTime> m_autoCleanRetryAt; // after a scheduled cleanup that failed
    bool m_stopping = false; // quitting: clearings stop, and no new one starts
    std::vector<RunningClearing> m_clearings;
    std::unique_ptr<RepeatingTimer> m_clearingSaver;
    int m_queuedScans = 0; // full scans asked for that have not begun measuring yet
    // Ids of the targets being cleared now: one-target cleanups, and the target a run of all
    // targets or the scheduled cleanup is at. Nothing starts clearing a target that is in here.
    // Kept apart from TargetState, which a rebuild replaces.
    QSet<QString> m_clearing;
    // The places of each measured target, with their sizes, from its last finished measurement;
    // none while a measurement runs. Kept beside `m_targets` for the reclaimable total.
    QHash<QString, QList<Scanner::MeasuredPlace>> m_places;
};
