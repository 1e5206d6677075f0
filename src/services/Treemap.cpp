#include "services/Treemap.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace Treemap {
namespace {

struct Item {
    const DiskNode* node;
    double area;
};

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

void layRow(const std::vector<Item>& items, size_t begin, size_t end, QRectF& free, QList<Tile>& out)
{
    if (begin == end)
        return;
    double s = 0;
    for (size_t i = begin; i < end; ++i)
        s += items[i].area;
    if (!(s > 0))
        return;
    if (free.height() <= free.width()) {
        const double height = free.height();
        const double thickness = s / height;
        double y = free.y();
        for (size_t i = begin; i < end; ++i) {
            const double h = (items[i].area / s) * height;
            out.append(Tile{*items[i].node, QRectF(free.x(), y, thickness, h)});
            y += h;
        }
        free.setLeft(free.left() + thickness); // keeps the right edge: width shrinks by thickness
    } else {
        const double width = free.width();
        const double thickness = s / width;
        double x = free.x();
        for (size_t i = begin; i < end; ++i) {
            const double w = (items[i].area / s) * width;
            out.append(Tile{*items[i].node, QRectF(x, free.y(), w, thickness)});
            x += w;
        }
        free.setTop(free.top() + thickness);
    }
}

} // namespace

QList<Tile> layout(const QList<DiskNode>& nodes, const QRectF& rect)
{
    QList<Tile> out;
    std::vector<const DiskNode*> kept;
    std::vector<qint64> sizes;
    qint64 total = 0;
    for (const DiskNode& n : nodes) {
        const qint64 s = n.size();
        if (s >= 1) {
            kept.push_back(&n);
            sizes.push_back(s);
            total += s;
        }
    }
    if (!(total > 0) || !(rect.width() > 1) || !(rect.height() > 1))
        return out;

    std::vector<Item> items;
    items.reserve(kept.size());
    for (size_t i = 0; i < kept.size(); ++i)
        items.push_back(Item{kept[i], (rect.width() * rect.height() / double(total)) * double(sizes[i])});

    out.reserve(qsizetype(items.size()));
    QRectF free = rect;
    size_t rowBegin = 0, rowEnd = 0; // the row is items [rowBegin, rowEnd)
    RowStats row;
    size_t i = 0;
    // Each candidate is weighed in constant time, so a folder of 100,000 items lays out at once.
    while (i < items.size()) {
        const double side = std::min(free.width(), free.height());
        if (rowBegin == rowEnd) {
            row = RowStats{}.with(items[i].area);
            rowEnd = ++i;
            continue;
        }
        const RowStats grown = row.with(items[i].area);
        if (worst(grown, side) <= worst(row, side)) {
            row = grown;
            rowEnd = ++i;
            continue;
        }
        layRow(items, rowBegin, rowEnd, free, out);
        rowBegin = rowEnd;
    }
    layRow(items, rowBegin, rowEnd, free, out);
    return out;
}

} // namespace Treemap
