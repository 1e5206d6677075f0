#pragma once
#include "views/projectcleanup/ProjectCleanupModel.h"

#include <QDateTime>
#include <QPushButton>
#include <QWidget>

#include <optional>

class AppModel;
class CleanActionButton;
class ElidedLabel;
class FlowLayout;
class EmptyState;
class LinkButton;
class ProgressSpinner;
class ProjectCleanupDelegate;
class ProjectCleanupList;
class ProjectCleanupRows;
class QHBoxLayout;
class QLabel;
class QStackedWidget;
class QToolButton;
class ScanStatus;
class SegmentedControl;

// A kind's filter chip: "<label> <count>" on a capsule, filled with the accent while active.
class KindChip : public QPushButton {
    Q_OBJECT
public:
    KindChip(const QString& id, QWidget* parent = nullptr);

    QString id() const { return m_id; }
    QString title() const { return m_title; }
    void setTitle(const QString& title);
    bool isActive() const { return m_active; }
    void setActive(bool active);
    // The colours it is drawn in now.
    QColor fillColor() const;
    QColor labelColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_id;
    QString m_title;
    bool m_active = false;
};

// The content of the "projectcleanup" window: a toolbar (rescan, choose a folder, the scan's
// progress or the folders searched, grouping and order), the kinds found as filter chips, the
// build folders found (flat or grouped by project), and a footer with the selection and "Move to
// Trash", which asks first. The view owns its model; when it first comes on screen it hands the
// model the application model and starts the one scan of the window.
class ProjectCleanupView : public QWidget {
    Q_OBJECT
public:
    // `scan` replaces the project scan (tests, pictures); empty: the real one.
    explicit ProjectCleanupView(AppModel& appModel, ProjectCleanupModel::ScanFunction scan = {},
                                QWidget* parent = nullptr);

    ProjectCleanupModel& model() const { return *m_model; }

    // The confirmation's title for `count` folders.
    static QString confirmTitle(int count);

    // Counts ages to `now` instead of the current time (pictures).
    void setNow(const std::optional<QDateTime>& now);

    // Parts, for tests.
    QPushButton* rescanButton() const { return m_rescan; }
    QPushButton* chooseButton() const { return m_choose; }
    QPushButton* stopButton() const;
    ElidedLabel* toolbarCount() const;
    ElidedLabel* rootsLabel() const;
    QToolButton* groupToggle() const { return m_group; }
    SegmentedControl* sortPicker() const { return m_sort; }
    QWidget* filterRow() const { return m_filterRow; }
    QList<KindChip*> chips() const;
    LinkButton* clearButton() const { return m_clear; }
    ProjectCleanupList* list() const { return m_list; }
    ProjectCleanupRows* rows() const { return m_rows; }
    ProjectCleanupDelegate* delegate() const { return m_delegate; }
    QWidget* scanningIndicator() const { return m_scanning; }
    QLabel* scanningText() const { return m_scanningText; }
    EmptyState* emptyResult() const { return m_empty; }
    // The widget that fills the content area now.
    QWidget* shownContent() const;
    // The empty result's message: the roots searched, and each that does not exist.
    QString emptyMessage() const;
    LinkButton* selectAllButton() const { return m_selectAll; }
    QLabel* summaryLabel() const { return m_summary; }
    QLabel* selectedSizeLabel() const { return m_selectedSize; }
    CleanActionButton* trashButton() const { return m_trash; }

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The roots searched as shown ("~"), without those that were not there.
    QStringList searchedRoots() const;
    QWidget* buildToolbar();
    QWidget* buildFilterRow();
    QWidget* buildContent();
    QWidget* buildFooter();
    void updateToolbar();
    void updateChips();
    void updateList();
    void updateSelection();
    void updateContent();
    void confirmTrash();
    void showContextMenu(const QPoint& at);
    void pinPath(const QString& path);
    void toggleGroupAt(const QString& groupPath);

    AppModel& m_appModel;
    ProjectCleanupModel* m_model;

    QPushButton* m_rescan = nullptr;
    QPushButton* m_choose = nullptr;
    ScanStatus* m_status = nullptr;
    QToolButton* m_group = nullptr;
    SegmentedControl* m_sort = nullptr;

    QWidget* m_filterRow = nullptr;
    FlowLayout* m_chipLayout = nullptr;
    LinkButton* m_clear = nullptr;

    QStackedWidget* m_content = nullptr;
    ProjectCleanupList* m_list = nullptr;
    ProjectCleanupRows* m_rows = nullptr;
    ProjectCleanupDelegate* m_delegate = nullptr;
    QWidget* m_scanning = nullptr;
    QLabel* m_scanningText = nullptr;
    EmptyState* m_empty = nullptr;
    QWidget* m_blank = nullptr;

    LinkButton* m_selectAll = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_selectedSize = nullptr;
    CleanActionButton* m_trash = nullptr;
};
