#pragma once
#include "services/DuplicateScanner.h"

#include <QAbstractListModel>
#include <QHash>
#include <QSet>
#include <QStyledItemDelegate>

#include <functional>

// The rows of one list of the large and duplicate files window: file rows (a checkbox, the name
// over the path, the size and a reveal button), and for the duplicates a header row before each
// group. One model and one delegate draw any number of rows without a widget per row.
class FileFinderRows : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IsHeaderRole = Qt::UserRole + 1,
        IdRole,           // file rows: the file's id (ScannedFile::id), the key of its tick
        PathRole,         // file rows: the file's path as shown
        PathRoundTripsRole, // file rows: the shown path names the file (it can be revealed)
        SubtitleRole,     // file rows: the path with a leading home folder as "~"
        SizeTextRole,     // file rows: the formatted size
        CanTrashRole,     // file rows: the checkbox can be used
        HeaderTextRole,   // header rows: "3 copies · 2 MB each"
        SaveTextRole,     // header rows: "save 4 MB"
    };

    struct Row {
        bool isHeader = false;
        QString key;              // stays the same for the same row across deliveries
        ScannedFile file;         // file rows
        QString id;               // file rows: file.id()
        QString path;             // file rows: file.path()
        qsizetype copies = 0;     // header rows
        qint64 groupSize = 0;     // header rows: the allocated size of the first copy
        qint64 saves = 0;         // header rows: what the other copies allocate
        friend bool operator==(const Row&, const Row&) = default;
    };

    // `toggle` is called with a file's id when its box is clicked; `canTrash` decides from the id
    // whether the box can be used (asked once per file while it stays listed).
    FileFinderRows(std::function<void(const QString&)> toggle, std::function<bool(const QString&)> canTrash,
                   QObject* parent = nullptr);

    // The rows of each list.
    static QList<Row> largestRows(const FileScanResult& result);
    static QList<Row> duplicateRows(const FileScanResult& result);

    // Replaces the rows. Rows that stay keep their place in the view: a delivery that only adds
    // groups inserts them, one that changes nothing changes nothing.
    void setRows(const QList<Row>& rows);
    // The ticked paths; only the check marks are redrawn.
    void setSelected(const QSet<QString>& selected);

    const QList<Row>& rows() const { return m_rows; }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool canTrash(const QString& id) const;

    std::function<void(const QString&)> m_toggle;
    std::function<bool(const QString&)> m_canTrash;
    QList<Row> m_rows;
    QSet<QString> m_selected;
    mutable QHash<QString, bool> m_canTrashCache;
};

// Draws the rows of FileFinderRows and handles the clicks on a row's checkbox and its reveal
// button (and the space key on the current row).
class FileFinderRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit FileFinderRowDelegate(QObject* parent = nullptr);

    // Where a file row's checkbox and reveal button are, in the row's rectangle `row`.
    static QRect checkBoxRect(const QRect& row);
    static QRect revealRect(const QRect& row);
    // Where a row's texts are drawn: a file row's title, subtitle and size, a header row's two
    // texts (the others empty).
    struct TextRects {
        QRect title, subtitle, size, header, save;
    };
    static TextRects textRects(const QRect& row, const QModelIndex& index);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
