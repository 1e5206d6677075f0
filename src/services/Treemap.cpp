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

// Aspect ratio of the least square rectangle of items [begin, end) laid against `side`.
double worst(const std::vector<Item>& items, size_t begin, size_t end, double side)
{
    if (begin == end || !(side > 0))
        return kWorstNone;
    double s = 0, mx = 0, mn = std::numeric_limits<double>::infinity();
    for (size_t i = begin; i < end; ++i) {
        s += items[i].area;
        mx = std::max(mx, items[i].area);
        mn = std::min(mn, items[i].area);
    }
    if (!(s > 0))
        return kWorstNone;
    const double side2 = side * side;
    return std::max(side2 * mx / (s * s), (s * s) / (side2 * mn));
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
    size_t i = 0;
    while (i < items.size()) {
        const double side = std::min(free.width(), free.height());
        if (rowBegin == rowEnd) {
            rowEnd = ++i;
            continue;
        }
        if (worst(items, rowBegin, rowEnd + 1, side) <= worst(items, rowBegin, rowEnd, side)) {
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
