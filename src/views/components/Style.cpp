#include "views/components/Style.h"

#include <QApplication>
#include <QFontDatabase>

namespace Style {

int pixelSize(Text style)
{
    switch (style) {
    case Text::largeTitle: return 26;
    case Text::title: return 22;
    case Text::title2: return 17;
    case Text::title3: return 15;
    case Text::headline: return 13;
    case Text::body: return 13;
    case Text::callout: return 12;
    case Text::subheadline: return 11;
    case Text::footnote: return 10;
    case Text::caption: return 10;
    case Text::caption2: return 10;
    }
    return 13;
}

static QFont::Weight defaultWeight(Text style)
{
    return style == Text::headline ? QFont::DemiBold : QFont::Normal;
}

static QFont styled(QFont f, Text style, std::optional<QFont::Weight> weight)
{
    f.setPixelSize(pixelSize(style));
    f.setWeight(weight.value_or(defaultWeight(style)));
    return f;
}

QFont font(Text style, std::optional<QFont::Weight> weight)
{
    return styled(QApplication::font(), style, weight);
}

QFont monospaced(Text style, std::optional<QFont::Weight> weight)
{
    return styled(QFontDatabase::systemFont(QFontDatabase::FixedFont), style, weight);
}

QFont rounded(Text style, std::optional<QFont::Weight> weight)
{
    // No rounded system face here: the application font with tabular-looking figures.
    QFont f = styled(QApplication::font(), style, weight);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

static QPalette effective(const QPalette& palette)
{
    return palette.resolveMask() ? palette : QApplication::palette();
}

QColor primary(const QPalette& palette) { return effective(palette).color(QPalette::WindowText); }

QColor secondary(const QPalette& palette)
{
    QColor c = primary(palette);
    c.setAlphaF(0.55);
    return c;
}

QColor tertiary(const QPalette& palette)
{
    QColor c = primary(palette);
    c.setAlphaF(0.3);
    return c;
}

QColor accent(const QPalette& palette) { return effective(palette).color(QPalette::Highlight); }

QColor green() { return QColor(52, 199, 89); }
QColor orange() { return QColor(255, 149, 0); }
QColor red() { return QColor(255, 59, 48); }

} // namespace Style
