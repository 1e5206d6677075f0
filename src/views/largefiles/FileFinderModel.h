#pragma once
#include "models/CancelToken.h"
#include "platform/MainThreadRelay.h"
#include "services/Cleaner.h"
#include "services/DuplicateScanner.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AppModel;
class QWidget;
class TransientMessage;

// The state behind the large and duplicate files window: the folder scanned, the latest result
// of the scan (the 100 largest files and the groups of identical files), the files the user has
// ticked, and moving them to the Trash with one history entry. Lives on the main thread; the
// scan runs on the user-initiated pool and its deliveries come back queued.
//
// Every assignment to a published property emits its change signal, also when the value is the
// same. The model outlives its window while a scan it started still runs (see `release()`).
class FileFinderModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(FileScanResult result READ result NOTIFY resultChanged)
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY isScanningChanged)
    Q_PROPERTY(bool hasScanned READ hasScanned NOTIFY hasScannedChanged)
    Q_PROPERTY(int scannedCount READ scannedCount NOTIFY scannedCountChanged)
    Q_PROPERTY(QString rootPath READ rootPath NOTIFY rootPathChanged)
    Q_PROPERTY(QSet<QString> selected READ selected NOTIFY selectedChanged)
    Q_PROPERTY(std::optional<QString> message READ message NOTIFY messageChanged)

public:
    // The scan the model runs; DuplicateScanner::scan unless a test scripts its own. Called on a
    // background thread.
    using ScanFunction = std::function<void(const QString& root, const CancelToken& token,
                                            const DuplicateScanner::Progress& onProgress,
                                            const DuplicateScanner::ResultHandler& onResult)>;

    explicit FileFinderModel(ScanFunction scan = {}, QObject* parent = nullptr);
    ~FileFinderModel() override;

    const FileScanResult& result() const { return m_result; }
    bool isScanning() const { return m_isScanning; }
    bool hasScanned() const { return m_hasScanned; }
    int scannedCount() const { return m_scannedCount; }
    // The folder of the last scan as it was passed in; the home folder at first.
    const QString& rootPath() const { return m_rootPath; }
    // The ids (ScannedFile::id) of the ticked files, shared by both lists.
    const QSet<QString>& selected() const { return m_selected; }
    // What the last move to the Trash has to tell (a file that changed since the scan), for a
    // while after it; none otherwise.
    static constexpr int kMessageDelayMs = 8000;
    std::optional<QString> message() const;
    TransientMessage& messageHolder() const { return *m_message; }
    // Moves one picked file to the Trash; Cleaner::trashPicked unless a test replaces it.
    using TrashFunction = std::function<Cleaner::PickedMove(const Cleaner::PickedItem&)>;
    void setTrashFunction(TrashFunction trash) { m_trash = std::move(trash); }

    // The application model that trashing records into; set by the window when it appears.
    void setAppModel(AppModel* model) { m_appModel = model; }
    AppModel* appModel() const { return m_appModel; }

    // Starts a scan of `path`, or of `rootPath` again; a running scan is stopped first.
    void scan(const std::optional<QString>& path = std::nullopt);
    // Stops the running scan; what it delivered stays, with the selection.
    void stop();
    // Asks for a folder (modal to `parent`) and scans it; cancelling does nothing.
    void pickFolderAndScan(QWidget* parent = nullptr);
    // Ticks or unticks one file, by its id.
    void toggle(const QString& id);
    // The bytes of the ticked files of the current result, each file once.
    qint64 selectedSize() const;
    // Moves the ticked files that may go to the Trash, each from where the scan found it (below
    // the root resolved when the scan started) and only while it is still the file listed;
    // records them as one history entry and scans the folder again. A file that changed since
    // the scan stays, unrecorded, and the message says so.
    void trashSelected();
    // Whether the file with this id may be moved to the Trash from this window: its shown path
    // names it (the bytes of its name are well-formed), and the path passes the tool windows'
    // safety test.
    static bool canTrash(const QString& id);
    // The history entry's name for `count` files moved at once ("2 files (duplicate/large)").
    static QString historyName(qsizetype count);

    // Called by the window as it goes: the model deletes itself now, or once the scan it is
    // waiting for has ended.
    void release();

Q_SIGNALS:
    void resultChanged();
    void isScanningChanged();
    void hasScannedChanged();
    void scannedCountChanged();
    void rootPathChanged();
    void selectedChanged();
    void messageChanged();

private:
    void setResult(const FileScanResult& value);
    void setIsScanning(bool value);
    void setHasScanned(bool value);
    void setScannedCount(int value);
    void setRootPath(const QString& value);
    void setSelected(const QSet<QString>& value);

    void applyProgress(const CancelTokenPtr& token, int count);
    void applyResult(const CancelTokenPtr& token, const FileScanResult& result);
    void scanEnded(const CancelTokenPtr& token);

    ScanFunction m_scan;
    TrashFunction m_trash;
    TransientMessage* m_message = nullptr;
    Cleaner::ScanRoot m_scanRoot;   // of the latest scan
    std::shared_ptr<MainThreadRelay<FileFinderModel>> m_relay;
    QPointer<AppModel> m_appModel;
    CancelTokenPtr m_token;
    int m_running = 0;        // scans started whose end has not come back yet
    bool m_released = false;  // the window has gone

    FileScanResult m_result;
    bool m_isScanning = false;
    bool m_hasScanned = false;
    int m_scannedCount = 0;
    QString m_rootPath;
    QSet<QString> m_selected;
};
