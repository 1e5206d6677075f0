#pragma once
#include "models/CancelToken.h"
#include "models/DiskNode.h"
#include "models/NodeList.h"
#include "platform/MainThreadRelay.h"
#include "services/Cleaner.h"
#include "services/DiskMapScanner.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AppModel;
class QThreadPool;
class QTimer;
class QWidget;
class TransientMessage;
class UserDefaults;

// What the Disk Map model needs from its surroundings; tests replace the scan and the Trash.
struct DiskMapEnvironment {
    UserDefaults* defaults = nullptr; // null: the application's store
    // Walks `root` into a tree (on a background thread), as DiskMapScanner::scanStreaming does.
    std::function<DiskNode(const QString& root, const CancelToken& token, const DiskMapScanner::Progress& onProgress,
                           const DiskMapScanner::ChildDone& onChild)>
        scan;
    // Moves a picked item to the Trash, as Cleaner::trashPicked does for the Disk Map.
    std::function<Cleaner::PickedMove(const Cleaner::PickedItem& item)> trashPicked;
    QThreadPool* pool = nullptr; // null: the user-initiated pool
};

// The state behind the Disk Map window: the folder mapped, the tree of the last scan (or the
// live partial tree while a scan runs), the folders zoomed into, the selection, and moving an
// item to the Trash. Lives on the main thread.
//
// A running scan hands over each finished top-level child; arrivals are collected off the main
// thread and applied in batches, at most about 30 times a second, each batch merged into the
// sorted list of partial children. Children of the scanned tree are kept as its records (8 bytes
// each, their nodes made when asked for), so a live root of a million entries is a list the
// window can hold; the canvas draws a large one aside (DiskMapCanvas). A batch that keeps the
// main thread busy for long spaces out the next ones, so that the window spends at most a third
// of its time on them. Progress, children and the result of a scan are
// applied only while its token is not cancelled, so a stopped or replaced scan never touches the
// state.
class DiskMapModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<DiskNode> root READ root NOTIFY rootChanged)
    Q_PROPERTY(QList<DiskNode> stack READ stack NOTIFY stackChanged)
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY isScanningChanged)
    Q_PROPERTY(qint64 scannedBytes READ scannedBytes NOTIFY scannedBytesChanged)
    Q_PROPERTY(std::optional<DiskNode> selection READ selection WRITE setSelection NOTIFY selectionChanged)
    Q_PROPERTY(QString rootPath READ rootPath NOTIFY rootPathChanged)
    Q_PROPERTY(std::optional<QString> message READ message NOTIFY messageChanged)

public:
    static constexpr const char* kRootKey = "diskMapRoot";
    // Shortest time between two applied batches of a running scan.
    static constexpr int kBatchIntervalMs = 33;

protected:
    bool event(QEvent* event) override;

public:
    explicit DiskMapModel(QObject* parent = nullptr);
    explicit DiskMapModel(DiskMapEnvironment environment, QObject* parent = nullptr);
    ~DiskMapModel() override;

    // Published state.
    const std::optional<DiskNode>& root() const { return m_root; }
    const QList<DiskNode>& stack() const { return m_stack; }
    bool isScanning() const { return m_isScanning; }
    qint64 scannedBytes() const { return m_scannedBytes; }
    const std::optional<DiskNode>& selection() const { return m_selection; }
    void setSelection(const std::optional<DiskNode>& node);
    const QString& rootPath() const { return m_rootPath; }
    // What the last move to the Trash has to tell (an item that changed since the scan), for a
    // while after it; none otherwise.
    static constexpr int kMessageDelayMs = 8000;
    std::optional<QString> message() const;
    TransientMessage& messageHolder() const { return *m_message; }

    // The application model, held weakly; deletions are recorded there.
    void setAppModel(AppModel* model);
    AppModel* appModel() const;
    // The token of the latest scan; none before the first.
    CancelTokenPtr token() const { return m_token; }

    // The folder shown: the last one zoomed into, else the root.
    std::optional<DiskNode> current() const;
    // The children of the folder shown, largest first and the folded node last; none without one.
    // Made once each time the folder shown changes.
    const NodeList& currentChildren() const;
    // The root followed by the folders zoomed into; empty without a root.
    QList<DiskNode> breadcrumb() const;

    // Scans `path`, or `rootPath` again when no path is given.
    void scan(const std::optional<QString>& path = std::nullopt);
    // Stops the running scan; whatever partial tree is shown stays.
    void stop();

    void zoom(const DiskNode& node);
    void goTo(int depth);
    void goUp();
    void moveSelection(int delta);

    // Whether `node` may be moved to the Trash: never the synthetic node, nor an item whose shown
    // path is not its own; otherwise as the tools' rule has it for the Disk Map
    // (Cleaner::canTrashOnRequest): never the home folder itself (nor a link to it), anything the
    // safety rule accepts, and anything else below the home folder but keys and profiles.
    bool canTrash(const DiskNode& node) const;
    // Moves `node` to the Trash from where the scan found it (below the root as it lay when the
    // scan started, every folder on the way opened without following a link, the item still of
    // the kind listed), records it in the history and scans the same folder again. An item that
    // changed since the scan is not moved, nor recorded; the message says so.
    void trash(const DiskNode& node);
    // Asks for a folder (accept button "Scan") and scans it.
    void pickFolderAndScan(QWidget* parent = nullptr);

    // Cancels every running scan, also those whose window has closed. Runs when the
    // application quits, so that quitting never waits for a walk.
    static void cancelAllScans();

Q_SIGNALS:
    void rootChanged();
    void stackChanged();
    void isScanningChanged();
    void scannedBytesChanged();
    void selectionChanged();
    void rootPathChanged();
    void messageChanged();

private:
    struct Session;
    using Relay = MainThreadRelay<DiskMapModel>;

    void setRoot(const std::optional<DiskNode>& value);
    void setStack(const QList<DiskNode>& value);
    void setIsScanning(bool value);
    void setScannedBytes(qint64 value);
    void setRootPath(const QString& value);

    void deliveryArrived(const std::shared_ptr<Session>& session);
    void applyBatch();
    void finishScan(const std::shared_ptr<Session>& session, const DiskNode& tree);
    void applyPartialChildren(NodeList children, qint64 sum);
    void clearPartialChildren();

    DiskMapEnvironment m_env;
    std::shared_ptr<Relay> m_relay;

    std::optional<DiskNode> m_root;
    QList<DiskNode> m_stack;
    bool m_isScanning = false;
    qint64 m_scannedBytes = 0;
    std::optional<DiskNode> m_selection;
    mutable std::optional<NodeList> m_currentChildren; // made on first use
    QString m_rootPath;
    Cleaner::ScanRoot m_scanRoot; // of the latest scan
    TransientMessage* m_message = nullptr;
    QPointer<AppModel> m_appModel;
    CancelTokenPtr m_token;
    NodeList m_partialChildren; // largest first, equal sizes in arrival order
    qint64 m_partialSum = 0;

    std::shared_ptr<Session> m_session; // the latest scan's
    QTimer* m_batchTimer = nullptr;
    QElapsedTimer m_sinceBatch;
    qint64 m_batchCostMs = 0; // how long the main thread took over the last batch, drawing included
};
