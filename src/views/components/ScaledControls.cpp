#include "views/components/ScaledControls.h"

#include "views/components/Style.h"

#include <QApplication>

#include <algorithm>
#include <cmath>

namespace {

// Never smaller than the style's own sizes.
double growth() { return std::max(1.0, Style::scale()); }

int grown(int value) { return value > 0 ? int(std::lround(value * growth())) : value; }

} // namespace

ScaledControls::ScaledControls(QStyle* base) : QProxyStyle(base) {}

void ScaledControls::install()
{
    if (qobject_cast<ScaledControls*>(QApplication::style()))
        return;
    // The proxy takes the current style over as its base.
    QApplication::setStyle(new ScaledControls(QApplication::style()));
}

int ScaledControls::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return grown(value);
    default:
        return value;
    }
}

QSize ScaledControls::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                       const QWidget* widget) const
{
    const QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    const double g = growth();
    if (type != CT_PushButton || g <= 1.0)
        return s;
    // The button as the style shapes it around a body-size label, grown with the font: styles
    // add a fixed few pixels of padding and a fixed minimum width, which a large label fills.
    const QSize body(int(std::lround(size.width() / g)), int(std::lround(size.height() / g)));
    const QSize atBody = QProxyStyle::sizeFromContents(type, option, body, widget);
    return s.expandedTo(QSize(int(std::lround(atBody.width() * g)), int(std::lround(atBody.height() * g))));
}
