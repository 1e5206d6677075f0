#include "services/Treemap.h"

#include <algorithm>
#include <limits>

namespace Treemap {
namespace {

constexpr double kWorstNone = std::numeric_limits<double>::max();

// Sum, largest and smallest area of a row, kept as items join it (summed in row order).
struct RowStats {
    double sum = 0;
    double largest = 0;
    double smallest = std::numeric_limits<double>::infinity();
    bool empty = true;

    RowStats with(double area) const
    {
        return RowStats{sum + area, std::max(largest, area), std::min(smallest, area), false};
    }
};

// Aspect ratio of the least square rectangle of a row laid against `side`.
double worst(const RowStats& row, double side)
{
    if (row.empty || !(side > 0))
        return kWorstNone;
    const double s = row.sum;
    if (!(s > 0))
        return kWorstNone;
    const double side2 = side * side;
    return std::max(side2 * row.largest / (s * s), (s * s) / (side2 * row.smallest));
}

} // namespace

Layout::Layout(const NodeList& nodes, const QRectF& rect)
    : Layout([nodes](qsizetype i) { return nodes.sizeAt(i); }, nodes.size(), rect)
{
}

Layout::Layout(SizeAt sizeAt, qsizetype count, const QRectF& rect)
    : m_sizeAt(std::move(sizeAt)), m_count(count), m_bounds(rect)
{
    qint64 total = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const qint64 s = m_sizeAt(i);
        if (s >= 1) {
            total += s;
            ++m_tiles;
        }
    }
    if (!(total > 0) || !(rect.width() > 1) || !(rect.height() > 1)) {
        m_tiles = 0;
        return;
    }
    m_scale = rect.width() * rect.height() / double(total);

    QRectF free = rect;
    // Lays the row of items [begin, end) into the start of `free` and takes it off.
    const auto layRow = [&](qsizetype begin, qsizetype end, double s) {
        if (begin == end || !(s > 0))
            return;
        const bool alongHeight = free.height() <= free.width();
        m_rows.push_back(Row{begin, end, s, free, alongHeight});
        if (alongHeight)
            free.setLeft(free.left() + s / free.height()); // keeps the right edge
        else
            free.setTop(free.top() + s / free.width());
    };
    // Each candidate is weighed in constant time, so a folder of a million items lays out at once.
    // Items of size 0 join no decision; a row's range may hold some, which get no rectangle.
    qsizetype rowBegin = 0, rowEnd = 0; // the row is items [rowBegin, rowEnd)
    RowStats row;
    qsizetype i = 0;
    while (i < count) {
        const qint64 size = m_sizeAt(i);
        if (size < 1) {
            if (rowBegin == rowEnd)
                rowBegin = rowEnd = i + 1;
            ++i;
            continue;
        }
        const double area = m_scale * double(size);
        const double side = std::min(free.width(), free.height());
        if (rowBegin == rowEnd) {
            row = RowStats{}.with(area);
            rowEnd = ++i;
            continue;
        }
        const RowStats grown = row.with(area);
        if (worst(grown, side) <= worst(row, side)) {
            row = grown;
            rowEnd = ++i;
            continue;
        }
        layRow(rowBegin, rowEnd, row.sum);
        rowBegin = rowEnd = i;
    }
    layRow(rowBegin, rowEnd, row.sum);
}

template <typename F>
bool Layout::walkRow(const Row& row, F&& f) const
{
    // The same arithmetic as the row was weighed with, item by item from its start: tiles stacked
    // down a column at the left of the free space, or along a band at its top.
    const bool down = row.alongHeight;
    const double length = down ? row.free.height() : row.free.width();
    const double thickness = row.sum / length;
    double at = down ? row.free.y() : row.free.x();
    for (qsizetype i = row.begin; i < row.end; ++i) {
        const qint64 size = m_sizeAt(i);
        if (size < 1)
            continue;
        const double extent = ((m_scale * double(size)) / row.sum) * length;
        if (f(i, down ? QRectF(row.free.x(), at, thickness, extent) : QRectF(at, row.free.y(), extent, thickness)))
            return true;
        at += extent;
    }
    return false;
}

void Layout::forEach(const std::function<void(qsizetype, const QRectF&)>& f) const
{
    for (const Row& row : m_rows)
        walkRow(row, [&](qsizetype i, const QRectF& r) {
            f(i, r);
            return false;
        });
}

QRectF Layout::rectOf(qsizetype item) const
{
    // Rows are in item order: the last one starting at or before the item.
    const auto it =
        std::upper_bound(m_rows.begin(), m_rows.end(), item, [](qsizetype v, const Row& r) { return v < r.begin; });
    if (it == m_rows.begin())
        return {};
    const Row& row = *(it - 1);
    if (item >= row.end)
        return {};
    QRectF found;
    walkRow(row, [&](qsizetype i, const QRectF& r) {
        if (i != item)
            return false;
        found = r;
        return true;
    });
    return found;
}

qsizetype Layout::itemAt(const QPointF& point) const
{
    for (const Row& row : m_rows) {
        // The row's strip, a pixel wider on each side than its tiles can reach.
        const double thickness = row.alongHeight ? row.sum / row.free.height() : row.sum / row.free.width();
        const QRectF strip = row.alongHeight ? QRectF(row.free.x(), row.free.y(), thickness, row.free.height())
                                             : QRectF(row.free.x(), row.free.y(), row.free.width(), thickness);
        if (!strip.adjusted(-1, -1, 1, 1).contains(point))
            continue;
        qsizetype hit = -1;
        walkRow(row, [&](qsizetype i, const QRectF& r) {
            if (!r.contains(point))
                return false;
            hit = i;
            return true;
        });
        if (hit >= 0)
            return hit;
    }
    return -1;
}

QList<Tile> layout(const QList<DiskNode>& nodes, const QRectF& rect)
{
    QList<Tile> out;
    const Layout l([&nodes](qsizetype i) { return nodes[i].size(); }, nodes.size(), rect);
    out.reserve(l.tileCount());
    l.forEach([&](qsizetype i, const QRectF& r) { out.append(Tile{nodes[i], r}); });
    return out;
}

} // namespace Treemap
