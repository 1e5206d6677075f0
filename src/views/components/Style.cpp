#include "views/components/Style.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>
#include <cmath>

namespace Style {

namespace {

// The body sizes in points of the layouts' design, per style.
double designPoints(Text style)
{
    // NOLINTBEGIN(bugprone-branch-clone): one size per style, and styles share sizes
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
    // NOLINTEND(bugprone-branch-clone)
    return 13;
}

// The application font's body size in pixels, as the desktop set it.
double bodyPixels()
{
    const QFont f = QApplication::font();
    if (f.pixelSize() > 0)
        return f.pixelSize();
    const double px = QFontInfo(f).pixelSize();
    return px > 0 ? px : 13.0;
}

QFont::Weight defaultWeight(Text style) { return style == Text::headline ? QFont::DemiBold : QFont::Normal; }

QFont styled(QFont f, Text style, std::optional<QFont::Weight> weight)
{
    f.setPixelSize(pixelSize(style));
    f.setWeight(weight.value_or(defaultWeight(style)));
    return f;
}

QPalette effective(const QPalette& palette) { return palette.resolveMask() ? palette : QApplication::palette(); }

double channel(double c)
{
    c /= 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.red()) + 0.7152 * channel(rgb.green()) + 0.0722 * channel(rgb.blue());
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    const QColor x = a.toRgb(), y = b.toRgb();
    return QColor::fromRgbF(float(x.redF() + (y.redF() - x.redF()) * t),
                            float(x.greenF() + (y.greenF() - x.greenF()) * t),
                            float(x.blueF() + (y.blueF() - x.blueF()) * t));
}

} // namespace

double scale() { return bodyPixels() / 13.0; }

int metric(double points)
{
    const int v = int(std::lround(points * scale()));
    return points > 0 ? std::max(1, v) : v;
}

int pixelSize(Text style) { return std::max(1, int(std::lround(designPoints(style) * scale()))); }

QFont font(Text style, std::optional<QFont::Weight> weight) { return styled(QApplication::font(), style, weight); }

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

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor dimmed(const QColor& color, const QColor& background, double fraction, double minimumRatio)
{
    if (contrastRatio(color, background) < minimumRatio)
        return color.toRgb(); // already below the ratio: dimming could only make it worse
    const QColor wanted = mix(color, background, fraction);
    if (contrastRatio(wanted, background) >= minimumRatio)
        return wanted;
    // The furthest blend that still keeps the ratio (contrast falls as the blend grows).
    double lo = 0.0, hi = fraction;
    for (int i = 0; i < 24; ++i) {
        const double mid = (lo + hi) / 2;
        (contrastRatio(mix(color, background, mid), background) >= minimumRatio ? lo : hi) = mid;
    }
    return mix(color, background, lo);
}

QColor primary(const QPalette& palette) { return effective(palette).color(QPalette::WindowText); }

QColor secondaryOn(const QColor& text, const QColor& background) { return dimmed(text, background, 0.45); }
QColor tertiaryOn(const QColor& text, const QColor& background) { return dimmed(text, background, 0.7); }

QColor secondary(const QPalette& palette)
{
    const QPalette p = effective(palette);
    return secondaryOn(p.color(QPalette::WindowText), p.color(QPalette::Window));
}

QColor tertiary(const QPalette& palette)
{
    const QPalette p = effective(palette);
    return tertiaryOn(p.color(QPalette::WindowText), p.color(QPalette::Window));
}

QColor accent(const QPalette& palette) { return effective(palette).color(QPalette::Highlight); }

QColor contrasting(const QColor& color, const QColor& against, double minimumRatio)
{
    if (contrastRatio(color, against) >= minimumRatio)
        return color.toRgb();
    // Towards whichever end leaves more room; the other end can only do worse.
    const QColor end =
        contrastRatio(Qt::black, against) >= contrastRatio(Qt::white, against) ? QColor(Qt::black) : QColor(Qt::white);
    if (contrastRatio(end, against) < minimumRatio)
        return end;
    double lo = 0.0, hi = 1.0; // the smallest blend towards `end` that reaches the ratio
    for (int i = 0; i < 24; ++i) {
        const double mid = (lo + hi) / 2;
        (contrastRatio(mix(color, end, mid), against) >= minimumRatio ? hi : lo) = mid;
    }
    return mix(color, end, hi);
}

QColor accentText(const QPalette& palette) { return legible(accent(palette), palette); }

QColor prominentFill(const QColor& tint, const QColor& label) { return contrasting(tint, label); }

QColor focusRing(const QPalette& palette)
{
    const QPalette p = effective(palette);
    return contrasting(p.color(QPalette::Highlight), p.color(QPalette::Window), 3.0);
}

QColor controlOutline(const QPalette& palette)
{
    const QPalette p = effective(palette);
    const QColor text = p.color(QPalette::WindowText), window = p.color(QPalette::Window),
                 base = p.color(QPalette::Base);
    // A little above 3:1, so that rounding to whole colour steps cannot bring it below.
    constexpr double ratio = 3.2;
    const auto keeps = [&](const QColor& c) {
        return std::min(contrastRatio(c, window), contrastRatio(c, base)) >= ratio;
    };
    constexpr double fraction = 0.55; // a grey between text and window where the palette allows
    if (keeps(mix(text, window, fraction)) || !keeps(text))
        return keeps(text) ? mix(text, window, fraction) : text.toRgb();
    double lo = 0.0, hi = fraction; // the furthest blend that keeps the ratio
    for (int i = 0; i < 24; ++i) {
        const double mid = (lo + hi) / 2;
        (keeps(mix(text, window, mid)) ? lo : hi) = mid;
    }
    return mix(text, window, lo);
}

QColor separator(const QPalette& palette)
{
    const QPalette p = effective(palette);
    return mix(p.color(QPalette::Window), p.color(QPalette::WindowText), 0.16);
}

QColor bar(const QPalette& palette)
{
    const QPalette p = effective(palette);
    return mix(p.color(QPalette::Window), p.color(QPalette::WindowText), 0.05);
}

QColor inactive(const QColor& text, const QColor& background) { return dimmed(text, background, 0.5); }

QColor legible(const QColor& color, const QPalette& palette)
{
    const QPalette p = effective(palette);
    const QColor background = p.color(QPalette::Window);
    const QColor text = p.color(QPalette::WindowText);
    if (contrastRatio(color, background) >= 4.5)
        return color.toRgb();
    // The least blend towards the text colour that reaches the ratio (contrast grows with it).
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 24; ++i) {
        const double mid = (lo + hi) / 2;
        (contrastRatio(mix(color, text, mid), background) >= 4.5 ? hi : lo) = mid;
    }
    return mix(color, text, hi);
}

QColor green() { return QColor(52, 199, 89); }
QColor orange() { return QColor(255, 149, 0); }
QColor red() { return QColor(255, 59, 48); }

} // namespace Style
