#pragma once
#include "models/CleanRecord.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class AppModel;
class ElidedLabel;
class LinkButton;
class QLabel;
class QPushButton;
class QVBoxLayout;
class Updater;

// One record of the cleanup history: what was cleaned and when, how much it freed, and either a
// way to put its items back from the Trash, the mark that they were put back, or nothing.
class AboutHistoryRow : public QWidget {
    Q_OBJECT
public:
    enum class Mark { putBack, restored, none };
    // The action or mark a record gets: "Put Back" for a Trash cleanup with items that was not
    // put back yet, "Restored" once it was, nothing otherwise.
    static Mark markFor(const CleanRecord& record);

    explicit AboutHistoryRow(const CleanRecord& record, QWidget* parent = nullptr);

    const CleanRecord& record() const { return m_record; }
    Mark mark() const { return markFor(m_record); }
    QString iconName() const;
    LinkButton* putBackButton() const { return m_putBack; }      // none unless Put Back
    QWidget* restoredMark() const { return m_restored; }         // none unless Restored
    ElidedLabel* nameLabel() const { return m_name; }
    QLabel* dateLabel() const { return m_date; }
    QLabel* sizeLabel() const { return m_size; }

Q_SIGNALS:
    void putBackRequested(const CleanRecord& record);

private:
    CleanRecord m_record;
    ElidedLabel* m_name = nullptr;
    QLabel* m_date = nullptr;
    QLabel* m_size = nullptr;
    LinkButton* m_putBack = nullptr;
    QWidget* m_restored = nullptr;
};

// The content of the "about" window: the program's symbol, name and version, the update check,
// the bytes freed over all time, and every record of the cleanup history, newest first, from
// which a cleanup to the Trash can be put back. Everything it shows comes from the model and the
// updater, and every change goes through them.
class AboutView : public QWidget {
    Q_OBJECT
public:
    AboutView(AppModel& model, Updater& updater, QWidget* parent = nullptr);

    // "Version 1.2 (34)"; a missing value reads "1.0", a missing build "1".
    static QString versionText(const QString& shortVersion, const QString& build);

    QLabel* versionLabel() const { return m_version; }
    QLabel* totalLabel() const { return m_total; }
    QPushButton* checkForUpdatesButton() const { return m_checkUpdates; }
    LinkButton* openTrashButton() const { return m_openTrash; }
    LinkButton* clearButton() const { return m_clear; }
    QLabel* emptyLabel() const { return m_empty; }
    QList<AboutHistoryRow*> rows() const;

private:
    QWidget* header();
    QWidget* historySection();
    void showTotal();
    void showHistory();
    void clearHistory();

    AppModel& m_model;
    Updater& m_updater;
    QLabel* m_version = nullptr;
    QLabel* m_total = nullptr;
    QPushButton* m_checkUpdates = nullptr;
    LinkButton* m_openTrash = nullptr;
    LinkButton* m_clear = nullptr;
    QLabel* m_empty = nullptr;
    QWidget* m_emptyBox = nullptr;
    QVBoxLayout* m_rows = nullptr;
    QList<QPointer<AboutHistoryRow>> m_rowWidgets;
};
