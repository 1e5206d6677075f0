#include "views/components/ScaledControls.h"

#include "views/components/Style.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace {

// Never smaller than the style's own sizes.
double growth() { return std::max(1.0, Style::scale()); }

int grown(int value) { return value > 0 ? int(std::lround(value * growth())) : value; }

// The plain style draws the indicators' outline one pixel wide along the edge of their
// rectangle, shaded from the window colour; other styles draw their own, legible ones.
bool outlinesFromWindow(const QStyle* style)
{
    return style && style->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

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
    case PM_ExclusiveIndicatorHeight: return grown(value);
    default: return value;
    }
}

void ScaledControls::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool indicator = element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton;
    if (!indicator || !option || !outlinesFromWindow(baseStyle()))
        return;
    // A disabled control keeps the faint outline that says so; a control the keyboard moved
    // focus to keeps the style's highlighted one.
    if (!(option->state & State_Enabled)
        || (option->state & State_HasFocus && option->state & State_KeyboardFocusChange))
        return;
    // Over the style's own outline: the same one-pixel line along the edge of the rectangle.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(Style::controlOutline(option->palette), 1));
    painter->setBrush(Qt::NoBrush);
    const QRect r = option->rect;
    if (element == PE_IndicatorCheckBox) {
        painter->drawRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
    } else {
        // The style's circle: one pixel inside an odd-sized rectangle, towards its lower right.
        const double radius = (r.width() + (r.width() + 1) % 2) / 2.0 - 1;
        painter->drawEllipse(QPointF(r.center()) + QPointF(1, 1), radius, radius);
    }
    painter->restore();
}

QSize ScaledControls::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                       const QWidget* widget) const
{
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type != CT_PushButton)
        return s;
    // Styles pad a label by a few pixels only, which a long one (often a translated one) fills
    // out to the frame: at least this much room on either side.
    s.setWidth(std::max(s.width(), size.width() + 2 * Style::metric(12)));
    const double g = growth();
    if (g <= 1.0)
        return s;
    // The button as the style shapes it around a body-size label, grown with the font: styles
    // add a fixed few pixels of padding and a fixed minimum width, which a large label fills.
    const QSize body(int(std::lround(size.width() / g)), int(std::lround(size.height() / g)));
    const QSize atBody = QProxyStyle::sizeFromContents(type, option, body, widget);
    return s.expandedTo(QSize(int(std::lround(atBody.width() * g)), int(std::lround(atBody.height() * g))));
}
