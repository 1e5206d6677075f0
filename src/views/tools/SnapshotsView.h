#pragma once
#include "services/SnapshotManager.h"

#include <QWidget>

class CleanActionButton;
class ElidedLabel;
class QCheckBox;
class QLabel;
class QStackedWidget;
class RowList;
class ProgressSpinner;
class SnapshotsModel;

// One snapshot of the list: its date, its name, and whether it will be removed or kept. A kept
// row is drawn dimmer (never below a legible contrast).
class SnapshotRow : public QWidget {
    Q_OBJECT
public:
    SnapshotRow(const LocalSnapshot& snapshot, bool kept, QWidget* parent = nullptr);

    bool isKept() const { return m_kept; }
    QString badgeText() const;
    QColor dateColor() const;

private:
    bool m_kept;
    ElidedLabel* m_date;
    QLabel* m_badge;
};

// The content of the "snapshots" window: the local snapshots of the startup volume and their
// removal in one administrator run, keeping the newest one unless the user says otherwise. It
// owns its model; one it made itself lists the snapshots the first time the view is shown.
class SnapshotsView : public QWidget {
    Q_OBJECT
public:
    explicit SnapshotsView(QWidget* parent = nullptr);
    // With a model made beforehand (taken over by the view); whoever made it lists.
    explicit SnapshotsView(SnapshotsModel* model, QWidget* parent = nullptr);

    SnapshotsModel& model() const { return *m_model; }

    // The footer button's title: "Free Up Space (n)" for n snapshots to remove, else "Free Up Space".
    QString buttonTitle() const;

    // For tests.
    enum class Content { working, empty, list };
    Content content() const;
    QList<SnapshotRow*> rows() const;
    bool showsSummary() const;
    QString summaryText() const;
    bool showsReclaimable() const;
    CleanActionButton* actionButton() const { return m_button; }
    QCheckBox* keepNewestBox() const { return m_keepNewest; }
    QLabel* statusLabel() const { return m_status; }
    ProgressSpinner* footerSpinner() const { return m_spinner; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void build();
    void rebuildList();
    void refresh();

    SnapshotsModel* m_model;
    bool m_listsOnShow;
    QWidget* m_summary = nullptr;
    QLabel* m_count = nullptr;
    QWidget* m_reclaimable = nullptr;
    QLabel* m_reclaimableBytes = nullptr;
    QStackedWidget* m_content = nullptr;
    QWidget* m_working = nullptr;
    QWidget* m_empty = nullptr;
    RowList* m_list = nullptr;
    QLabel* m_status = nullptr;
    QCheckBox* m_keepNewest = nullptr;
    ProgressSpinner* m_spinner = nullptr;
    CleanActionButton* m_button = nullptr;
};
