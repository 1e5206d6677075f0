#pragma once
#include "models/DiskNode.h"
#include "services/Treemap.h"
#include "views/diskmap/DiskMapStyle.h"

#include <QDateTime>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>

class DiskMapModel;
class QMenu;
class QTimer;

// The treemap of the folder shown: one painted surface (no widget per tile). The layout is made
// again only when the size, the folder shown or its children change, never for a hover or a
// selection; tiles are found under the pointer by their laid-out rectangles.
//
// A click selects the tile under the pointer (after the double-click time has passed without a
// second click), a double click zooms into it; the arrow keys move the selection (up, down) or go
// up a level (left, like Escape), Return zooms into the selected folder.
class DiskMapCanvas : public QWidget {
    Q_OBJECT
public:
    using MenuBuilder = std::function<void(QMenu& menu, const DiskNode& node)>;

    explicit DiskMapCanvas(DiskMapModel& model, QWidget* parent = nullptr);

    void setColorMode(DiskColorMode mode);
    DiskColorMode colorMode() const { return m_mode; }
    // Fills the context menu for a node (the window's node menu).
    void setMenuBuilder(MenuBuilder builder) { m_menuBuilder = std::move(builder); }
    // The time age colours are measured from (tests and pictures fix it).
    void setNow(std::function<QDateTime()> now);
    void setReduceTransparency(bool on);

    // The node under the pointer and where the pointer is, in the map's own coordinates.
    const std::optional<DiskNode>& hovered() const { return m_hovered; }
    const std::optional<QPointF>& hoverPoint() const { return m_hoverPoint; }
    // Sets both, as pointer movement does (pictures show a tooltip this way).
    void hoverAt(const QPointF& point);

    // The tiles of the folder shown, laid out for the current size.
    const QList<Treemap::Tile>& tiles() const;
    // The first tile whose laid-out rectangle holds `point`; -1 for none.
    int tileIndexAt(const QPointF& point) const;
    // How many times the layout has been made (it must not follow hovers or selections).
    int layoutCount() const { return m_layoutCount; }
    // Where the tiles' labels (name and size lines) are drawn: for measuring them.
    QList<QRectF> labelRects() const;
    // The node the context menu is for: the hovered one, else the selection.
    std::optional<DiskNode> menuTarget() const;

Q_SIGNALS:
    void hoverChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void folderChanged();
    void selectionChanged();
    int indexOf(const std::optional<DiskNode>& node) const;
    // The folder shown's child that is the same item as `node`, whatever its size is now.
    std::optional<DiskNode> shownNow(const DiskNode& node) const;
    void setHover(const std::optional<DiskNode>& node, const std::optional<QPointF>& point);
    void updatePlaceholder();
    void updateAccessibleText();
    struct PaintStyle {
        QFont nameFont, sizeFont;
        double nameAscent = 0, sizeAscent = 0;
        int textX = 0, nameY = 0, sizeY = 0;
        QDateTime now;
    };
    PaintStyle paintStyle() const;
    struct Labels {
        QRectF clip;
        QString name, size;          // no size line: empty
        QPointF nameBaseline, sizeBaseline;
        QRectF nameRect, sizeRect;
    };
    Labels labelsFor(const QRectF& painted, const DiskNode& node, const PaintStyle& style) const;
    void paintTile(QPainter& painter, const Treemap::Tile& tile, bool hovered, bool selected, const PaintStyle& style);
    void paintTooltip(QPainter& painter, const DiskNode& node, const QPointF& point);

    DiskMapModel& m_model;
    DiskColorMode m_mode = DiskColorMode::type;
    MenuBuilder m_menuBuilder;
    std::function<QDateTime()> m_now;
    bool m_reduceTransparency = false;

    mutable QList<Treemap::Tile> m_tiles;
    mutable bool m_dirty = true;
    mutable int m_layoutCount = 0;
    mutable int m_hoverIndex = -1;      // tile of the hovered node in the current layout
    mutable int m_selectedIndex = -1;   // tile of the selection in the current layout
    QPixmap m_cache;              // every tile in its plain state
    bool m_cacheValid = false;
    std::optional<DiskNode> m_hovered;
    std::optional<QPointF> m_hoverPoint;

    QTimer* m_clickTimer = nullptr;
    QPointF m_clickPoint;
    bool m_afterDoubleClick = false;
    QWidget* m_placeholder = nullptr;
};
