#pragma once
#include "models/CancelToken.h"
#include "models/CleanRecord.h"
#include "models/ProjectDir.h"
#include "platform/MainThreadRelay.h"
#include "services/Cleaner.h"
#include "services/ProjectScanner.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class AppModel;
class QWidget;
class TransientMessage;

// A project folder with its visible build folders, for the list grouped by project.
struct ProjectGroup {
    QString path;             // the project folder: a build folder's path without its last piece
    QList<ProjectDir> dirs;   // in the order of the visible list

    // The earliest date among the folders; none when no folder has one.
    std::optional<QDateTime> oldest() const;
    qint64 totalSize() const;
    friend bool operator==(const ProjectGroup&, const ProjectGroup&) = default;
};

// One kind present among the folders found, with how many folders of it there are.
struct KindFacet {
    QString id;
    QString label;
    int count = 0;
    friend bool operator==(const KindFacet&, const KindFacet&) = default;
};

// The state behind the Project Cleanup window: the build folders the latest scan has found, what
// the window shows of them (kinds with counts, the filtered and sorted list, the grouping by
// project, the selected size and count), and the user's actions on them. Lives on the main
// thread; the scan runs on the user-initiated pool and its deliveries come back queued, in order,
// each checked against the scan's token so that a stopped or replaced scan changes nothing.
//
// Every assignment to a published property emits its change signal, also when the value is the
// same. The derived values are computed afresh on every read.
class ProjectCleanupModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<ProjectDir> dirs READ dirs NOTIFY dirsChanged)
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY isScanningChanged)
    Q_PROPERTY(bool hasScanned READ hasScanned NOTIFY hasScannedChanged)
    Q_PROPERTY(int foundCount READ foundCount NOTIFY foundCountChanged)
    Q_PROPERTY(QSet<QString> selected READ selected NOTIFY selectedChanged)
    Q_PROPERTY(bool sortByAge READ sortByAge WRITE setSortByAge NOTIFY sortByAgeChanged)
    Q_PROPERTY(bool groupByProject READ groupByProject WRITE setGroupByProject NOTIFY groupByProjectChanged)
    Q_PROPERTY(QSet<QString> activeKinds READ activeKinds WRITE setActiveKinds NOTIFY activeKindsChanged)
    Q_PROPERTY(std::optional<QString> overrideRoot READ overrideRoot NOTIFY overrideRootChanged)
    Q_PROPERTY(std::optional<QString> message READ message NOTIFY messageChanged)

public:
    // The scan the model runs on a background thread; ProjectScanner::scan unless a test scripts
    // its own.
    using ScanFunction = std::function<void(const QStringList& roots, const QStringList& ignore, int minAgeDays,
                                            const CancelToken& token, const ProjectScanner::Progress& onProgress,
                                            const ProjectScanner::Found& onFound)>;
    // Moves one picked folder to the Trash: Cleaner::trashPicked for project cleanup (the folders
    // on the way opened without following a link, the folder itself moved as it is, the rule
    // applied where it lies) unless a test replaces it.
    using TrashFunction = std::function<Cleaner::PickedMove(const Cleaner::PickedItem& item)>;
    static constexpr int kMessageDelayMs = 8000;

    explicit ProjectCleanupModel(ScanFunction scan = {}, QObject* parent = nullptr);
    ~ProjectCleanupModel() override;

    void setTrashFunction(TrashFunction trash) { m_trash = std::move(trash); }

    // Published state.
    const QList<ProjectDir>& dirs() const { return m_dirs; }
    bool isScanning() const { return m_isScanning; }
    bool hasScanned() const { return m_hasScanned; }
    int foundCount() const { return m_foundCount; }
    const QSet<QString>& selected() const { return m_selected; }
    bool sortByAge() const { return m_sortByAge; }
    void setSortByAge(bool value);
    bool groupByProject() const { return m_groupByProject; }
    void setGroupByProject(bool value);
    const QSet<QString>& activeKinds() const { return m_activeKinds; }
    void setActiveKinds(const QSet<QString>& value);
    const std::optional<QString>& overrideRoot() const { return m_overrideRoot; }
    // What the last move to the Trash has to tell (a folder that changed since the scan), for a
    // while after it; none otherwise.
    std::optional<QString> message() const;
    TransientMessage& messageHolder() const { return *m_message; }

    // The application model, held weakly; set by the window when it is shown.
    void setAppModel(AppModel* model);
    AppModel* appModel() const;
    // The token of the latest scan (none before the first).
    CancelTokenPtr token() const { return m_token; }

    // Derived values.
    QStringList effectiveRoots() const;
    QString rootsLabel() const;
    // The roots of the latest scan that named no folder when it started, as rootsLabel shows
    // them ("~/src"); empty before the first scan.
    const QStringList& missingRoots() const { return m_missingRoots; }
    QList<KindFacet> kindFacets() const;
    QList<ProjectDir> sortedDirs() const;
    qint64 selectedSize() const;
    int visibleSelectedCount() const;
    QList<ProjectGroup> projectGroups() const;

    // Operations.
    void scan();
    void cancel();
    // Asks for a folder (modal to `parent`, accept button "Scan") and scans it; cancelling the
    // picker changes nothing.
    void pickFolderAndScan(QWidget* parent = nullptr);
    void toggle(const QString& path);
    void selectAll(bool on);
    void toggleGroup(const ProjectGroup& group);
    void trashSelected();
    void pin(const ProjectDir& dir);

    // The history entry's name for `count` folders moved at once ("2 project folders").
    static QString historyName(qsizetype count);

Q_SIGNALS:
    void dirsChanged();
    void isScanningChanged();
    void hasScannedChanged();
    void foundCountChanged();
    void selectedChanged();
    void sortByAgeChanged();
    void groupByProjectChanged();
    void activeKindsChanged();
    void overrideRootChanged();
    void messageChanged();

private:
    void setDirs(const QList<ProjectDir>& value);
    void setIsScanning(bool value);
    void setHasScanned(bool value);
    void setFoundCount(int value);
    void setSelected(const QSet<QString>& value);
    void setOverrideRoot(const std::optional<QString>& value);
    // Drops the folders at `paths` from the list and the selection.
    void dropFolders(const QSet<QString>& paths);

    ScanFunction m_scan;
    TrashFunction m_trash;
    TransientMessage* m_message = nullptr;
    std::shared_ptr<MainThreadRelay<ProjectCleanupModel>> m_relay;
    QPointer<AppModel> m_appModel;
    CancelTokenPtr m_token;

    QList<ProjectDir> m_dirs;
    bool m_isScanning = false;
    bool m_hasScanned = false;
    int m_foundCount = 0;
    QSet<QString> m_selected;
    bool m_sortByAge = false;
    bool m_groupByProject = false;
    QSet<QString> m_activeKinds;
    std::optional<QString> m_overrideRoot;
    QStringList m_missingRoots;
};
