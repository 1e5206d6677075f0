#pragma once
#include "views/projectcleanup/ProjectCleanupModel.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QListView>
#include <QSet>
#include <QStyledItemDelegate>

#include <functional>

// The rows of the Project Cleanup list: one row per build folder and, when the list is grouped by
// project, a header row before each project's folders. One list model and one delegate draw any
// number of rows without a widget per row.
class ProjectCleanupRows : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IsHeaderRole = Qt::UserRole + 1,
        PathRole,          // folder rows: ProjectDir::path; header rows: the project folder's path
        RevealPathRole,    // the path to reveal, as text; empty when the shown path names no file
        ProjectNameRole,   // the project folder's name
        KindLabelRole,     // folder rows
        DisplayPathRole,   // folder rows: the path with a leading home folder as "~"
        SizeTextRole,      // folder rows: the size; header rows: the project's total
        AgeTextRole,       // folder rows: the relative age
        CountTextRole,     // header rows: the number of folders
        FullySelectedRole, // header rows: every folder of the project is selected
    };

    struct Row {
        bool isHeader = false;
        ProjectDir dir;               // folder rows
        QString groupPath;            // header rows
        QStringList groupPaths;       // header rows: the paths of the project's folders
        qint64 groupTotal = 0;        // header rows
        QString key() const { return isHeader ? QStringLiteral("group:") + groupPath : dir.path; }
        friend bool operator==(const Row&, const Row&) = default;
    };

    explicit ProjectCleanupRows(QObject* parent = nullptr);

    // The rows for a flat list, and for the list grouped by project.
    static QList<Row> flatRows(const QList<ProjectDir>& dirs);
    static QList<Row> groupedRows(const QList<ProjectGroup>& groups);
    // The relative age of a modification date: "—" without one, "today", "yesterday",
    // "<n> days ago", "<n> mo ago", "<n> yr ago"; not translated.
    static QString age(const std::optional<QDateTime>& date);
    static QString age(const std::optional<QDateTime>& date, const QDateTime& now);

    // Replaces the rows. Rows that stay keep their place in the view: rows only added are
    // inserted, rows only taken away are removed, rows that changed in place are redrawn.
    void setRows(const QList<Row>& rows);
    // The selected paths; only the check marks are redrawn.
    void setSelected(const QSet<QString>& selected);
    // The time ages are counted to (the current time when not set).
    void setNow(const std::optional<QDateTime>& now);

    const QList<Row>& rows() const { return m_rows; }
    // The header row of the section holding `row` (itself when it is a header); -1 in a flat list.
    int headerRowFor(int row) const;
    // The next header row after `row`; -1 when there is none.
    int nextHeaderRow(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<Row> m_rows;
    QSet<QString> m_selected;
    std::optional<QDateTime> m_now;
};

// Draws the rows of ProjectCleanupRows and turns clicks into requests: on a folder row the
// reveal and pin buttons, anywhere else a toggle of the folder; on a header row its check circle
// and its reveal button.
class ProjectCleanupDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ProjectCleanupDelegate(QObject* parent = nullptr);

    // Where the parts of a row lie in its rectangle `row`.
    struct FolderLayout {
        QRect check, name, badge, path, size, age, reveal, pin;
    };
    struct HeaderLayout {
        QRect circle, folder, name, badge, total, reveal;
    };
    static FolderLayout folderLayout(const QRect& row, const QModelIndex& index);
    static HeaderLayout headerLayout(const QRect& row, const QModelIndex& index);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

Q_SIGNALS:
    void toggleRequested(const QString& path);
    void pinRequested(const QString& path);
    void groupToggleRequested(const QString& groupPath);
    void revealRequested(const QString& path);

private:
    void paintFolder(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void paintHeader(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

// The list view of the window: while the list is grouped, the header of the project at the top
// stays pinned there (pushed up by the next one) and takes clicks like the header row itself.
class ProjectCleanupList : public QListView {
    Q_OBJECT
public:
    explicit ProjectCleanupList(QWidget* parent = nullptr);

    // Where the pinned header is drawn now, and whose row it is; an empty rectangle and an
    // invalid index when none is pinned (a flat list, or the top header in its own place).
    QRect pinnedHeaderRect() const;
    QModelIndex pinnedHeaderIndex() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
};
