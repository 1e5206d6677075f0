#include "views/diskmap/DiskMapStyle.h"

#include "platform/ByteCountFormatter.h"
#include "platform/Paths.h"
#include "views/components/Style.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

QString rawValue(DiskColorMode mode)
{
    return mode == DiskColorMode::age ? QStringLiteral("age") : QStringLiteral("type");
}

namespace DiskMapStyle {

namespace {

QColor blend(const QColor& from, const QColor& to, double t)
{
    const QColor a = from.toRgb(), b = to.toRgb();
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t), a.alphaF());
}

QColor hsb(double hue, double saturation, double brightness)
{
    return QColor::fromHsvF(float(std::clamp(hue, 0.0, 1.0)), float(saturation), float(brightness));
}
} // namespace

QColor neutralGrey() { return QColor::fromRgbF(0.5f, 0.5f, 0.5f); }

QColor categoryColor(FileCategory category)
{
    const FileCategories::Color c = FileCategories::color(category);
    return QColor::fromRgbF(float(c.red), float(c.green), float(c.blue));
}

std::optional<double> ageHue(const std::optional<QDateTime>& modified, const QDateTime& now)
{
    if (!modified || !modified->isValid())
        return std::nullopt;
    const double age = std::max(0.0, double(modified->msecsTo(now)) / 1000.0);
    const double years = std::min(1.0, age / 86400.0 / 365.0);
    return (1.0 - years) * 0.33;
}

QColor ageColor(const std::optional<QDateTime>& modified, const QDateTime& now)
{
    const std::optional<double> hue = ageHue(modified, now);
    return hue ? hsb(*hue, 0.62, 0.82) : neutralGrey();
}

QColor color(const DiskNode& node, DiskColorMode mode, const QDateTime& now)
{
    if (node.isSynthetic())
        return neutralGrey();
    if (mode == DiskColorMode::age)
        return ageColor(node.modified(), now);
    return categoryColor(node.category());
}

QColor lighter(const QColor& base) { return blend(base, Qt::white, 0.22); }
QColor darker(const QColor& base) { return blend(base, Qt::black, 0.30); }
QColor middle(const QColor& base) { return blend(lighter(base), darker(base), 0.5); }

QList<QColor> ageLegendStops() { return {hsb(0.33, 0.62, 0.82), hsb(0.16, 0.62, 0.82), hsb(0.0, 0.62, 0.82)}; }

QString categoryWord(FileCategory category)
{
    switch (category) {
    case FileCategory::video: return QStringLiteral("Video");
    case FileCategory::images: return QStringLiteral("Images");
    case FileCategory::audio: return QStringLiteral("Audio");
    case FileCategory::archives: return QStringLiteral("Archives");
    case FileCategory::apps: return QStringLiteral("Apps");
    case FileCategory::code: return QStringLiteral("Code");
    case FileCategory::documents: return QStringLiteral("Documents");
    case FileCategory::caches: return QStringLiteral("Caches & logs");
    case FileCategory::other: return QStringLiteral("Other");
    }
    return QStringLiteral("Other");
}

// The context is written out in each call: the translation tools read only a literal one.
QString categoryLabel(FileCategory category)
{
    switch (category) {
    case FileCategory::video: return QCoreApplication::translate("DiskMapView", "Video");
    case FileCategory::images: return QCoreApplication::translate("DiskMapView", "Images");
    case FileCategory::audio: return QCoreApplication::translate("DiskMapView", "Audio");
    case FileCategory::archives: return QCoreApplication::translate("DiskMapView", "Archives");
    case FileCategory::apps: return QCoreApplication::translate("DiskMapView", "Apps");
    case FileCategory::code: return QCoreApplication::translate("DiskMapView", "Code");
    case FileCategory::documents: return QCoreApplication::translate("DiskMapView", "Documents");
    case FileCategory::caches: return QCoreApplication::translate("DiskMapView", "Caches & logs");
    case FileCategory::other: return QCoreApplication::translate("DiskMapView", "Other");
    }
    return QCoreApplication::translate("DiskMapView", "Other");
}

QList<FileCategory> presentCategories(const NodeList& children)
{
    const int present = children.categoryMask();
    QList<FileCategory> out;
    for (FileCategory c : allFileCategories())
        if (present & (1 << int(c)))
            out.append(c);
    return out;
}

QString displayName(const DiskNode& node) { return node.isDirectory() ? node.name() + QLatin1Char('/') : node.name(); }

QString displayPath(const DiskNode& node)
{
    return Paths::abbreviateHome(node.isSynthetic() ? node.id() : node.path());
}

QString sizeText(qint64 bytes) { return formatBytes(bytes); }

double share(qint64 size, qint64 parentSize) { return parentSize < 1 ? 0.0 : double(size) / double(parentSize); }

int sharePercent(double share) { return int(std::lround(share * 100.0)); }

QRectF paintedRect(const QRectF& tile) { return tile.adjusted(1, 1, -1, -1); }

double cornerRadius(const QRectF& painted) { return std::min(painted.height() / 3.0, 5.0); }

// The limits hold text, so they grow with the application font.
bool showsName(const QRectF& painted)
{
    return painted.width() > Style::metric(52) && painted.height() > Style::metric(24);
}

bool showsSize(const QRectF& painted) { return showsName(painted) && painted.height() > Style::metric(38); }

QPointF tooltipCenter(const QPointF& pointer, const QSizeF& mapSize)
{
    return QPointF(std::min(mapSize.width() - 90, std::max(pointer.x(), 90.0)), std::max(pointer.y() - 30, 24.0));
}

} // namespace DiskMapStyle
