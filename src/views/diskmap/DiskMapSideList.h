#pragma once
#include "models/DiskNode.h"
#include "views/diskmap/DiskMapStyle.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QListView>
#include <QStyledItemDelegate>

#include <functional>
#include <optional>

class DiskMapModel;
class QMenu;
class QVariantAnimation;

// The children of the folder shown, one row each (largest first, the folded node last), for the
// side list: a model read lazily by the view, so thousands of rows cost nothing until seen.
class DiskMapListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { NodeRole = Qt::UserRole + 1, ShareRole, SelectedRole };

    explicit DiskMapListModel(QObject* parent = nullptr);

    // Shows `children`, whose shares are taken of `parentSize`.
    void setChildren(const NodeList& children, qint64 parentSize);
    void setSelected(const std::optional<DiskNode>& node);
    int selectedRow() const { return m_selectedRow; }
    DiskNode node(int row) const { return m_children.at(row); }
    // The row of the node with this id; -1 for none.
    int rowOf(const DiskNode& node) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    NodeList m_children;
    qint64 m_parentSize = 0;
    int m_selectedRow = -1;
};

// Paints one row: swatch, display name (with the category when colour alone must not tell it),
// the share bar, and the size.
class DiskMapRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit DiskMapRowDelegate(QObject* parent = nullptr);

    void setColorMode(DiskColorMode mode) { m_mode = mode; }
    void setNow(std::function<QDateTime()> now) { m_now = std::move(now); }
    void setDifferentiateWithoutColor(bool on) { m_differentiate = on; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The width of the share bar's filled part for a bar `barWidth` wide (never under 2).
    static double filledWidth(double barWidth, double share);

    // Where a row's texts are drawn (empty where there is none): for measuring them.
    struct TextRects {
        QRect name, category, size;
    };
    TextRects textRects(const QRect& row, const QModelIndex& index) const;

private:
    struct Layout {
        QFont nameFont, sizeFont, categoryFont;
        QString nameText, categoryText, sizeText;
        QRect name, category, size;
        QRectF swatch, bar;
        int dividerStart = 0;
    };
    Layout layout(const QRect& row, const QModelIndex& index) const;

    DiskColorMode m_mode = DiskColorMode::type;
    std::function<QDateTime()> m_now;
    bool m_differentiate = false;
};

// The side list beside the map. A click selects the row's node, a double click on a folder with
// children zooms into it; a new selection is scrolled to the middle (at once when motion is
// reduced).
class DiskMapSideList : public QListView {
    Q_OBJECT
public:
    using MenuBuilder = std::function<void(QMenu& menu, const DiskNode& node)>;

    explicit DiskMapSideList(DiskMapModel& model, QWidget* parent = nullptr);
    // Rows laid out per event.
    static constexpr int kLayoutBatch = 50000;

    DiskMapListModel& listModel() const { return *m_list; }
    DiskMapRowDelegate& rowDelegate() const { return *m_delegate; }
    void setMenuBuilder(MenuBuilder builder) { m_menuBuilder = std::move(builder); }
    void setColorMode(DiskColorMode mode);
    void setReduceMotion(bool on) { m_reduceMotion = on; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void folderChanged();
    void selectionChanged();
    void scrollToRow(int row);

    DiskMapModel& m_model;
    DiskMapListModel* m_list;
    DiskMapRowDelegate* m_delegate;
    MenuBuilder m_menuBuilder;
    bool m_reduceMotion = false;
    QVariantAnimation* m_scroll = nullptr;
};
