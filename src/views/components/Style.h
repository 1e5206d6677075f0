#pragma once
#include <QColor>
#include <QFont>
#include <QPalette>

#include <optional>

// Text styles, layout metrics and named colours shared by every view.
//
// Sizes follow the application font: the body style is the application font's own size and every
// other style keeps its ratio to a 13-point body (a 22-point title is 22/13 of the body). A larger
// desktop font therefore grows every text, and `metric()` grows the layout dimensions that hold
// text with it.
namespace Style {

enum class Text { largeTitle, title, title2, title3, headline, body, callout, subheadline, footnote, caption, caption2 };

// The font of a text style; `weight` overrides the style's own weight when given.
QFont font(Text style, std::optional<QFont::Weight> weight = std::nullopt);
// The same with monospaced glyphs (paths) or the rounded design (figures).
QFont monospaced(Text style, std::optional<QFont::Weight> weight = std::nullopt);
QFont rounded(Text style, std::optional<QFont::Weight> weight = std::nullopt);
// The pixel size of a text style at the current application font.
int pixelSize(Text style);

// How much the application font is larger than the 13-point body the layouts were drawn for
// (1.0 at a 13-pixel body).
double scale();
// A layout length given in points for a 13-point body, scaled to the application font (at least
// 1 for a positive length).
int metric(double points);

// Text colours. `primary` is the palette's window text; `secondary` and `tertiary` are dimmer
// shades of it, made opaque against the palette's window colour (or `background`) and never
// dimmer than a 4.5:1 contrast allows.
QColor primary(const QPalette& palette = {});
QColor secondary(const QPalette& palette = {});
QColor tertiary(const QPalette& palette = {});
QColor secondaryOn(const QColor& text, const QColor& background);
QColor tertiaryOn(const QColor& text, const QColor& background);
QColor accent(const QPalette& palette = {});

// The WCAG contrast ratio of two opaque colours (1 to 21).
double contrastRatio(const QColor& a, const QColor& b);
// `color` blended over `background` as far towards `background` as `fraction` (0…1) asks, but
// no further than keeps `minimumRatio` against `background`.
QColor dimmed(const QColor& color, const QColor& background, double fraction, double minimumRatio = 4.5);

// `color` as a text colour on `background`: itself when it keeps `minimumRatio`, else moved
// towards black (on a light background) or white (on a dark one) just far enough that it does.
// For tinted texts (a green heading, an accent figure).
QColor legibleOn(const QColor& color, const QColor& background, double minimumRatio = 4.5);

QColor green();
QColor orange();
QColor red();

} // namespace Style
