#pragma once
#include "services/Uninstaller.h"
#include "views/components/CleanActionButton.h"
#include "views/components/EmptyState.h"
#include "views/components/LinkButton.h"

#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class AppModel;
class ElidedLabel;
class QCheckBox;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class UninstallerModel;

// One item of the app: checkbox, a badge (the app itself or a leftover), kind and path, size.
// Dimmed while it is not selected; a click anywhere on the row switches its selection.
class UninstallItemRow : public QWidget {
    Q_OBJECT
public:
    UninstallItemRow(const UninstallItem& item, bool selected, QWidget* parent = nullptr);

    const UninstallItem& item() const { return m_item; }
    QCheckBox* checkBox() const { return m_check; }
    void setSelected(bool on);
    // 1.0, or 0.5 while it is not selected (drawn dimmed).
    qreal opacity() const;
    QString labelText() const;
    QString pathText() const;
    QString sizeText() const;
    QColor sizeColor() const;

Q_SIGNALS:
    void selectionRequested(const QUuid& id, bool on);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    UninstallItem m_item;
    bool m_selected;
    QCheckBox* m_check;
    ElidedLabel* m_label;
    ElidedLabel* m_path;
    QLabel* m_size;
    QWidget* m_badge;
};

// The content of the "uninstaller" window: choose an app, see it with the leftover files found
// for it (all selected), and move the selected ones to the Trash, recorded in the history so that
// they can be put back.
class UninstallerView : public QWidget {
    Q_OBJECT
public:
    explicit UninstallerView(AppModel& model, QWidget* parent = nullptr);
    // With a model made by the caller (tests replace its services).
    UninstallerView(AppModel& model, UninstallerModel* uninstaller, QWidget* parent = nullptr);

    UninstallerModel& uninstaller() const { return *m_uninstaller; }

    // Parts of what is shown now, for tests (none when not shown).
    EmptyState* emptyState() const { return m_empty; }
    QPushButton* chooseButton() const { return m_choose; }
    QLabel* messageLabel() const { return m_message; }
    QLabel* appNameLabel() const { return m_appName; }
    QLabel* bundleIDLabel() const { return m_bundleID; }
    LinkButton* chooseDifferentButton() const { return m_chooseDifferent; }
    QWidget* scanningIndicator() const { return m_scanning; }
    QLabel* foundLabel() const { return m_found; }
    LinkButton* selectAllButton() const { return m_selectAll; }
    QList<UninstallItemRow*> rows() const;
    QLabel* selectedCountLabel() const { return m_selectedCount; }
    QLabel* totalLabel() const { return m_total; }
    CleanActionButton* moveButton() const { return m_move; }
    QPushButton* busyButton() const { return m_busy; }

private:
    void rebuild();
    void updateSelection();
    QWidget* buildEmptyState();
    QWidget* buildAppState(const AppInfo& app);
    QWidget* buildAppHeader(const AppInfo& app, QWidget* parent);
    QWidget* buildItemList(QWidget* parent);
    QWidget* buildFooter(QWidget* parent);

    AppModel& m_model;
    UninstallerModel* m_uninstaller;
    QVBoxLayout* m_layout;
    QPointer<QWidget> m_content;

    QPointer<EmptyState> m_empty;
    QPointer<QPushButton> m_choose;
    QPointer<QLabel> m_message;
    QPointer<QLabel> m_appName;
    QPointer<QLabel> m_bundleID;
    QPointer<LinkButton> m_chooseDifferent;
    QPointer<QWidget> m_scanning;
    QPointer<QLabel> m_found;
    QPointer<LinkButton> m_selectAll;
    QHash<QUuid, QPointer<UninstallItemRow>> m_rows;
    QPointer<QLabel> m_selectedCount;
    QPointer<QLabel> m_total;
    QPointer<CleanActionButton> m_move;
    QPointer<QPushButton> m_busy;
};
