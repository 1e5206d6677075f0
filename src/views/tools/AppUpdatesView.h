#pragma once
#include "services/HomebrewUpdater.h"

#include <QUrl>
#include <QWidget>

class AppUpdatesModel;
class CleanActionButton;
class ElidedLabel;
class LinkButton;
class ProgressSpinner;
class QPushButton;
class QStackedWidget;
class RowList;

// One outdated package: its kind's symbol, its name, the installed and newest versions, and its
// "Update" button.
class OutdatedPackageRow : public QWidget {
    Q_OBJECT
public:
    OutdatedPackageRow(const OutdatedPackage& package, bool busy, std::function<void()> update, QWidget* parent = nullptr);

    QString symbolName() const { return m_symbol; }
    QString versionsText() const;
    QPushButton* updateButton() const { return m_update; }

private:
    QString m_symbol;
    ElidedLabel* m_versions;
    QPushButton* m_update;
};

// The content of the "appupdates" window: what the user's own Homebrew reports as outdated,
// with an upgrade of one package or of all. It owns its model and checks the first time it is
// shown.
class AppUpdatesView : public QWidget {
    Q_OBJECT
public:
    // The Homebrew website the "Homebrew isn't installed" placeholder points to.
    static QUrl homebrewSite();

    explicit AppUpdatesView(QWidget* parent = nullptr);
    // With a model made beforehand (taken over by the view).
    explicit AppUpdatesView(AppUpdatesModel* model, QWidget* parent = nullptr);

    AppUpdatesModel& model() const { return *m_model; }

    // For tests.
    enum class Content { checking, unavailable, upToDate, listFailed, list };
    Content content() const;
    QList<OutdatedPackageRow*> rows() const;
    QString statusText() const;
    bool showsStatus() const;
    QPushButton* recheckButton() const { return m_recheck; }
    CleanActionButton* updateAllButton() const { return m_updateAll; }
    LinkButton* homebrewLink() const { return m_link; }
    ProgressSpinner* footerSpinner() const { return m_spinner; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void build();
    void rebuildList();
    void refresh();

    AppUpdatesModel* m_model;
    QStackedWidget* m_content = nullptr;
    QWidget* m_checking = nullptr;
    QWidget* m_unavailable = nullptr;
    QWidget* m_upToDate = nullptr;
    QWidget* m_failed = nullptr;
    RowList* m_list = nullptr;
    LinkButton* m_link = nullptr;
    ElidedLabel* m_status = nullptr;
    ProgressSpinner* m_spinner = nullptr;
    QPushButton* m_recheck = nullptr;
    CleanActionButton* m_updateAll = nullptr;
};
