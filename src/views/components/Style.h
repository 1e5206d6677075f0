#pragma once
#include <QColor>
#include <QFont>
#include <QPalette>

#include <optional>

// Text styles and named colours shared by every view. Sizes are the desktop text styles in
// pixels (a 13-pixel body), set with setPixelSize so they do not grow with the screen's dpi.
namespace Style {

enum class Text { largeTitle, title, title2, title3, headline, body, callout, subheadline, footnote, caption, caption2 };

// The font of a text style; `weight` overrides the style's own weight when given.
QFont font(Text style, std::optional<QFont::Weight> weight = std::nullopt);
// The same with monospaced glyphs (paths) or the rounded design (figures).
QFont monospaced(Text style, std::optional<QFont::Weight> weight = std::nullopt);
QFont rounded(Text style, std::optional<QFont::Weight> weight = std::nullopt);
int pixelSize(Text style);

QColor primary(const QPalette& palette = {});
QColor secondary(const QPalette& palette = {});
QColor tertiary(const QPalette& palette = {});
QColor accent(const QPalette& palette = {});

QColor green();
QColor orange();
QColor red();

} // namespace Style
