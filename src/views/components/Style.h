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

enum class Text {
    largeTitle,
    title,
    title2,
    title3,
    headline,
    body,
    callout,
    subheadline,
    footnote,
    caption,
    caption2
};

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

// `color` moved towards black or white (whichever lies further from `against`) just far enough to
// keep `minimumRatio` against `against`; unchanged when it already does.
QColor contrasting(const QColor& color, const QColor& against, double minimumRatio = 4.5);
// The accent as a text colour (links, "Got it") on the window colour: 4.5:1.
QColor accentText(const QPalette& palette = {});
// The fill of a prominent button whose label is drawn in `label`: `tint`, darkened or lightened
// just enough for the label to keep 4.5:1 on it.
QColor prominentFill(const QColor& tint, const QColor& label = QColor(Qt::white));
// The keyboard focus ring: the accent, kept at 3:1 against the window colour.
QColor focusRing(const QPalette& palette = {});
// The outline of a control that is known only by its frame (the box of a check box, the circle
// of a radio button): the window text blended towards the window colour, but kept at 3:1 against
// both the window and the base colour the control may sit on.
QColor controlOutline(const QPalette& palette = {});
// Dividers between rows and blocks.
QColor separator(const QPalette& palette = {});
// The opaque bar behind pinned section headers, slightly set off from the window colour.
QColor bar(const QPalette& palette = {});
// A text colour dimmed for an item that is switched off: half-way to the background, but never
// below 4.5:1 against it.
QColor inactive(const QColor& text, const QColor& background);
// A named colour used for text ("save 12 MB" in green): moved towards the palette's window text
// as far as needed to keep a 4.5:1 contrast against its window colour.
QColor legible(const QColor& color, const QPalette& palette = {});

QColor green();
QColor orange();
QColor red();

} // namespace Style
