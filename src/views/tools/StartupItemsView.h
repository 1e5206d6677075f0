#pragma once
#include "services/LaunchAgentManager.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class ElidedLabel;
class EmptyState;
class LinkButton;
class ProgressSpinner;
class ToggleSwitch;
class QLabel;
class QScrollArea;
class QToolButton;
class QVBoxLayout;
class StartupItemsModel;

// One start-up entry: label and program, a reveal button, and its switch (a spinner while it
// is being switched). A switched-off entry is drawn at half opacity.
class StartupItemRow : public QWidget {
    Q_OBJECT
public:
    StartupItemRow(const StartupItem& item, bool busy, QWidget* parent = nullptr);

    const StartupItem& item() const { return m_item; }
    ToggleSwitch* toggle() const { return m_switch; } // none while busy
    ProgressSpinner* spinner() const { return m_spinner; } // none unless busy
    QToolButton* revealButton() const { return m_reveal; }
    QString programText() const;
    // 1.0, or 0.5 for a switched-off entry (drawn dimmed).
    qreal opacity() const;

Q_SIGNALS:
    void toggleRequested(const StartupItem& item);
    void revealRequested(const StartupItem& item);

private:
    StartupItem m_item;
    ElidedLabel* m_program = nullptr;
    ToggleSwitch* m_switch = nullptr;
    ProgressSpinner* m_spinner = nullptr;
    QToolButton* m_reveal = nullptr;
};

// The content of the "startup" window: the user's start-up entries with a switch each, so an
// entry can be stopped from starting and started again without deleting anything. Lists in
// sorted order when it is shown; while it is open the rows stand still (a switch changes only its
// own row), so that a second click at the same place reaches the same entry. It follows the login
// item's state (LoginItemState) and lists again, in place, when it is activated.
class StartupItemsView : public QWidget {
    Q_OBJECT
public:
    explicit StartupItemsView(QWidget* parent = nullptr);
    // With a model made by the caller (tests pick the entry format).
    explicit StartupItemsView(StartupItemsModel* model, QWidget* parent = nullptr);

    StartupItemsModel& model() const { return *m_model; }
    // The row of an entry, or none.
    StartupItemRow* rowFor(const QString& id) const;
    QList<StartupItemRow*> rows() const;
    EmptyState* emptyState() const { return m_empty; }
    LinkButton* loginItemsButton() const { return m_loginItems; }
    QLabel* footerNote() const { return m_note; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuild();

    StartupItemsModel* m_model;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_list = nullptr;
    QVBoxLayout* m_listLayout = nullptr;
    EmptyState* m_empty = nullptr;
    QLabel* m_note = nullptr;
    LinkButton* m_loginItems = nullptr;
    QHash<QString, QPointer<StartupItemRow>> m_rows;
};
