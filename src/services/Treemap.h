#pragma once
#include "models/DiskNode.h"

#include <QList>
#include <QRectF>

// Squarified treemap layout: rectangles with areas proportional to the nodes' sizes, laid in rows
// along the shorter side of the space still free. Pure; keeps the input order.
namespace Treemap {

struct Tile {
    DiskNode node;
    QRectF rect;
};

// One tile per node of positive size, in input order; the tiles cover `rect` without overlap.
QList<Tile> layout(const QList<DiskNode>& nodes, const QRectF& rect);

} // namespace Treemap
