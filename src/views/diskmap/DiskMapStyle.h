#pragma once
#include "models/DiskNode.h"
#include "models/FileCategory.h"
#include "models/NodeList.h"

#include <QColor>
#include <QDateTime>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

// How the Disk Map colours its tiles: by file type or by the age of the modification date.
// View state only, never stored.
enum class DiskColorMode { type, age };

QString rawValue(DiskColorMode mode);

// The Disk Map's colours, names and measures: pure functions the canvas, the side list, the
// legend and the detail bar share.
namespace DiskMapStyle {

// The grey of the folded "(smaller items)" node and of an item without a date in age mode.
QColor neutralGrey();
QColor categoryColor(FileCategory category);
// Hue 0…0.33 of a modification date: 0.33 for now (or a future date), falling to 0 at a year
// and beyond; no value without a date.
std::optional<double> ageHue(const std::optional<QDateTime>& modified, const QDateTime& now);
QColor ageColor(const std::optional<QDateTime>& modified, const QDateTime& now);
// The colour of a node's tile, list swatch and share bar.
QColor color(const DiskNode& node, DiskColorMode mode, const QDateTime& now);
// The two ends of a tile's gradient: the colour lightened 22 % and darkened 30 %.
QColor lighter(const QColor& base);
QColor darker(const QColor& base);
// Halfway between the two ends: the flat colour of a tile too small to show its gradient.
QColor middle(const QColor& base);
// The three stops of the age legend (green, yellow, red).
QList<QColor> ageLegendStops();

// The category's display label, translated; and the English word (for accessibility texts,
// which name the category in plain words).
QString categoryLabel(FileCategory category);
QString categoryWord(FileCategory category);
// The categories among `children` (the folded node left out), in the fixed case order.
QList<FileCategory> presentCategories(const NodeList& children);

// The node's name, followed by "/" for a folder (the folded node too).
QString displayName(const DiskNode& node);
// The node's path for showing, with a leading home folder written "~".
QString displayPath(const DiskNode& node);
QString sizeText(qint64 bytes);
// The size as a share of the parent's (0 when the parent has less than 1 byte).
double share(qint64 size, qint64 parentSize);
// The share in whole percent, halves away from zero.
int sharePercent(double share);

// Geometry of one tile, given its laid-out rectangle (points). The label limits are for a
// 13-point body and grow with the application font (Style::metric).
QRectF paintedRect(const QRectF& tile); // inset by 1 on every side
double cornerRadius(const QRectF& painted); // min(height / 3, 5)
bool showsName(const QRectF& painted); // wider than 52 and higher than 24
bool showsSize(const QRectF& painted); // …and higher than 38
// The centre of the tooltip for a pointer at `pointer` in a map of `mapSize`.
QPointF tooltipCenter(const QPointF& pointer, const QSizeF& mapSize);

} // namespace DiskMapStyle
