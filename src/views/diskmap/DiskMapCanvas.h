#pragma once
#include "models/DiskNode.h"
#include "services/Treemap.h"
#include "views/diskmap/DiskMapStyle.h"

#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class DiskMapModel;
class QMenu;
class QTimer;

// The treemap of the folder shown: one painted surface (no widget per tile). The layout is made
// again only when the size, the folder shown or its children change, never for a hover or a
// selection; tiles are found under the pointer by their laid-out rectangles.
//
// The live root of a running scan can hold a million children: while a scan runs, a folder of
// many items is laid out and drawn on a background thread, and the window goes on showing (and
// finding tiles in) the last picture until the next one is ready, so the main thread only ever
// puts a finished picture on screen.
//
// A click selects the tile under the pointer (after the double-click time has passed without a
// second click), a double click zooms into it; the arrow keys move the selection (up, down) or go
// up a level (left, like Escape), Return zooms into the selected folder.
class DiskMapCanvas : public QWidget {
    Q_OBJECT
public:
    using MenuBuilder = std::function<void(QMenu& menu, const DiskNode& node)>;

    explicit DiskMapCanvas(DiskMapModel& model, QWidget* parent = nullptr);
    // Waits for a picture being drawn aside, which stops at its next tile.
    ~DiskMapCanvas() override;

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

    // The tiles of the folder shown, laid out for the current size (made for the asking: for
    // tests and pictures).
    QList<Treemap::Tile> tiles() const;
    // The child (of those shown) whose laid-out rectangle holds `point`; -1 for none.
    int tileIndexAt(const QPointF& point) const;
    // Folders of at least this many children are drawn aside while a scan runs.
    static constexpr qsizetype kDrawnAside = 2000;
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
    qsizetype indexOf(const std::optional<DiskNode>& node) const;
    // The layout in use: made now when out of date, unless it is drawn aside (then the last one).
    const Treemap::Layout& layout() const;
    void makeLayout() const;
    bool drawsAside() const;
    void drawAside();
    struct Picture;
    void pictureDrawn(const std::shared_ptr<Picture>& picture);
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
        QString name, size; // no size line: empty
        QPointF nameBaseline, sizeBaseline;
        QRectF nameRect, sizeRect;
    };
    static Labels labelsFor(const QRectF& painted, const DiskNode& node, const PaintStyle& style);
    // Tiles are drawn from any thread: the picture of a large live folder is made aside.
    static void paintTile(QPainter& painter, const QRectF& rect, const DiskNode& node, DiskColorMode mode, bool hovered,
                          bool selected, const PaintStyle& style);
    // `stop`, when given and set, ends the drawing early (the picture is then not used).
    static QImage paintPlain(const Treemap::Layout& layout, const NodeList& nodes, DiskColorMode mode,
                             const PaintStyle& style, const QSize& size, qreal dpr,
                             const std::atomic<bool>* stop = nullptr);
    void paintTooltip(QPainter& painter, const DiskNode& node, const QPointF& point);

    DiskMapModel& m_model;
    DiskColorMode m_mode = DiskColorMode::type;
    MenuBuilder m_menuBuilder;
    std::function<QDateTime()> m_now;
    bool m_reduceTransparency = false;

    mutable Treemap::Layout m_layout;
    mutable NodeList m_layoutNodes; // the children m_layout was made of
    mutable bool m_dirty = true;
    mutable int m_layoutCount = 0;
    mutable qsizetype m_hoverIndex = -1; // the hovered node among m_layoutNodes
    mutable qsizetype m_selectedIndex = -1; // the selection among m_layoutNodes
    QImage m_cache; // every tile in its plain state
    bool m_cacheValid = false;
    bool m_drawing = false; // a picture is being drawn aside
    // Shared with the picture being drawn aside: held while it draws, and told when the canvas goes.
    struct Aside {
        std::mutex drawing;
        std::atomic<bool> abandoned{false};
    };
    std::shared_ptr<Aside> m_aside = std::make_shared<Aside>();
    std::optional<DiskNode> m_hovered;
    std::optional<QPointF> m_hoverPoint;

    QTimer* m_clickTimer = nullptr;
    QPointF m_clickPoint;
    bool m_afterDoubleClick = false;
    QWidget* m_placeholder = nullptr;
};
