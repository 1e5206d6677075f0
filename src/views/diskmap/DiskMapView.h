#pragma once
#include "models/DiskNode.h"
#include "views/diskmap/DiskMapModel.h"
#include "views/diskmap/DiskMapStyle.h"

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <optional>

class AppModel;
class DiskMapCanvas;
class DiskMapSideList;
class DiskMapStartScreen;
class ElidedLabel;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;
class SegmentedControl;
class SymbolView;

// The content of the Disk Map window: the start screen until a scan has started, then the map
// screen: a toolbar (scan menu, rescan, progress or breadcrumbs, colour mode), the legend, the
// treemap beside the list of the folder's items, and a bar describing the selected, hovered or
// shown item. Owns its model for as long as the window exists.
class DiskMapView : public QWidget {
    Q_OBJECT
public:
    explicit DiskMapView(AppModel& appModel, DiskMapEnvironment environment = {}, QWidget* parent = nullptr);
    ~DiskMapView() override;

    DiskMapModel& model() const { return *m_model; }
    DiskMapCanvas* canvas() const { return m_canvas; }
    DiskMapSideList* sideList() const { return m_list; }
    DiskMapStartScreen* startScreen() const { return m_start; }

    // The start screen shows while nothing is mapped or being scanned.
    bool hasScanned() const;
    bool isShowingStartScreen() const;

    DiskColorMode colorMode() const { return m_mode; }
    void setColorMode(DiskColorMode mode);
    // The time ages are measured from (tests and pictures fix it).
    void setNow(std::function<QDateTime()> now);

    // The entries of the context menu for `node`, as the map and the list show them.
    void fillNodeMenu(QMenu& menu, const DiskNode& node);
    // Asks to confirm moving `node` to the Trash; nothing for a node that may not be moved.
    void requestTrash(const DiskNode& node);
    const std::optional<DiskNode>& pendingTrash() const { return m_pendingTrash; }

    // What the bar under the map describes: the selection, else the hovered node, else the
    // folder shown.
    std::optional<DiskNode> detailNode() const;
    // The breadcrumb entries and their texts, root first.
    QList<QToolButton*> breadcrumbButtons() const;
    QStringList breadcrumbTexts() const;
    // The categories the legend lists in type mode.
    QList<FileCategory> legendCategories() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildMapScreen();
    QWidget* buildToolbar();
    QWidget* buildDetailBar();
    void updateScreen();
    void updateToolbar();
    void rebuildBreadcrumbs();
    void rebuildLegend();
    void updateDetail();
    void scanPath(const QString& path);
    void chooseFolder();

    AppModel& m_appModel;
    DiskMapModel* m_model;
    DiskColorMode m_mode = DiskColorMode::type;
    std::function<QDateTime()> m_now;
    std::optional<DiskNode> m_pendingTrash;

    QStackedWidget* m_screens = nullptr;
    DiskMapStartScreen* m_start = nullptr;
    QWidget* m_mapScreen = nullptr;

    QToolButton* m_scanButton = nullptr;
    QToolButton* m_rescanButton = nullptr;
    QWidget* m_progress = nullptr;
    QLabel* m_progressText = nullptr;
    QPushButton* m_stopButton = nullptr;
    QWidget* m_breadcrumbs = nullptr;
    QHBoxLayout* m_breadcrumbRow = nullptr;
    SegmentedControl* m_modePicker = nullptr;

    QWidget* m_legend = nullptr;
    QWidget* m_legendDivider = nullptr;
    QList<FileCategory> m_legendShown;
    bool m_legendBuilt = false;
    DiskColorMode m_legendMode = DiskColorMode::type;

    DiskMapCanvas* m_canvas = nullptr;
    QWidget* m_listDivider = nullptr;
    DiskMapSideList* m_list = nullptr;

    QWidget* m_detailEmpty = nullptr;
    QWidget* m_detailNode = nullptr;
    SymbolView* m_detailSymbol = nullptr;
    ElidedLabel* m_detailTitle = nullptr;
    ElidedLabel* m_detailPath = nullptr;
    QLabel* m_detailSize = nullptr;
    QToolButton* m_revealButton = nullptr;
    QToolButton* m_trashButton = nullptr;
};
