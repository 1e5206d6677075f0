#pragma once
#include "models/DiskNode.h"
#include "models/NodeList.h"

#include <QList>
#include <QRectF>

#include <functional>
#include <vector>

// Squarified treemap layout: rectangles with areas proportional to the nodes' sizes, laid in rows
// along the shorter side of the space still free. Pure; keeps the input order.
namespace Treemap {

struct Tile {
    DiskNode node;
    QRectF rect;
};

// The layout of a list of sizes, kept as its rows: each row holds a range of items and the strip
// it fills, and an item's rectangle is made from its row when it is asked for. So a folder of a
// million items lays out into a few thousand rows, not a million rectangles. Items of size 0 get
// no rectangle.
class Layout {
public:
    using SizeAt = std::function<qint64(qsizetype)>;

    Layout() = default;
    Layout(SizeAt sizeAt, qsizetype count, const QRectF& rect);
    // The sizes of a list's nodes; the layout keeps a copy of the list.
    Layout(const NodeList& nodes, const QRectF& rect);

    qsizetype itemCount() const { return m_count; }
    const QRectF& bounds() const { return m_bounds; }
    // Calls `f(item, rect)` for every item laid out, in input order.
    void forEach(const std::function<void(qsizetype item, const QRectF& rect)>& f) const;
    // The rectangle of an item; empty for one not laid out.
    QRectF rectOf(qsizetype item) const;
    // The first item whose rectangle holds `point`; -1 for none.
    qsizetype itemAt(const QPointF& point) const;
    // How many items have a rectangle.
    qsizetype tileCount() const { return m_tiles; }

private:
    struct Row {
        qsizetype begin, end; // items [begin, end)
        double sum; // their areas
        QRectF free; // the space still free when the row was laid: it fills its start
        bool alongHeight; // tiles stacked top to bottom in a column at the left of `free`
    };
    template <typename F>
    bool walkRow(const Row& row, F&& f) const;

    SizeAt m_sizeAt;
    qsizetype m_count = 0;
    qsizetype m_tiles = 0;
    double m_scale = 0;
    QRectF m_bounds;
    std::vector<Row> m_rows;
};

// One tile per node of positive size, in input order; the tiles cover `rect` without overlap.
QList<Tile> layout(const QList<DiskNode>& nodes, const QRectF& rect);

} // namespace Treemap
