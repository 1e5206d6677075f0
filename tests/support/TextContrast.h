#pragma once
// Measures the contrast of every text a view shows, from the pixels it renders: the view is
// drawn to a PNG at four times the pixel density, read back, and for each visible text (labels,
// one-line elided labels, buttons and checkboxes with a title) the background is the colour
// most of its rectangle has and the text colour the pixel that stands out most from it. A
// stem of a glyph covers whole pixels at that density, so anti-aliasing cannot hide a faint
// colour; it can only make a text measure lower, never higher. Header-only (widget tests).
#include "Palettes.h"
#include "views/components/ElidedLabel.h"
#include "views/components/Style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>

namespace TextContrast {

struct Text {
    QString where; // object name (or class) of the widget
    QString text;
    QColor foreground;
    QColor background;
    double ratio = 0;
    double required = 4.5;
    bool passes() const { return ratio >= required; }
};

// 3:1 suffices for large text: 24 px, or 18.66 px when bold.
inline double requiredRatio(const QFont& font)
{
    const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
    const bool bold = font.weight() >= QFont::DemiBold;
    return (px >= 24.0 || (bold && px >= 18.66)) ? 3.0 : 4.5;
}

// Background: the most common colour; text: the colour that contrasts most with it.
inline Text measureRect(const QImage& image, const QRect& deviceRect)
{
    Text t;
    const QRect r = deviceRect.intersected(image.rect());
    QHash<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    t.background = QColor::fromRgb(background);
    t.foreground = t.background;
    t.ratio = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double ratio = Style::contrastRatio(QColor::fromRgb(it.key()), t.background);
        if (ratio > t.ratio) {
            t.ratio = ratio;
            t.foreground = QColor::fromRgb(it.key());
        }
    }
    return t;
}

// The text a widget shows and the part of it the text is drawn in; none for widgets without text.
inline std::optional<std::pair<QString, QRect>> textOf(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty())
            return std::nullopt;
        return std::make_pair(label->text(), label->contentsRect());
    }
    if (auto* elided = qobject_cast<ElidedLabel*>(w)) {
        if (elided->displayedText().isEmpty())
            return std::nullopt;
        return std::make_pair(elided->displayedText(), elided->rect());
    }
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        if (box->text().isEmpty())
            return std::nullopt;
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        return std::make_pair(box->text(), box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box));
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->text().isEmpty())
            return std::nullopt;
        // Inside the frame: a border or rounded corner showing the window is no text.
        const int inset = std::min(4, std::min(button->width(), button->height()) / 4);
        return std::make_pair(button->text(), button->rect().adjusted(inset, inset, -inset, -inset));
    }
    return std::nullopt;
}

// Every visible, enabled text under `root` (disabled controls need no contrast; a text partly
// hidden by a scrolling list or an overlapping header is left out), measured from
// a PNG of `root` written to and read back from a temporary folder.
// `root` drawn over its window colour at `dpr` times the pixel density.
inline QImage render(QWidget* root, qreal dpr = 4.0)
{
    QImage drawn(root->size() * dpr, QImage::Format_ARGB32_Premultiplied);
    drawn.setDevicePixelRatio(dpr);
    drawn.fill(root->palette().color(QPalette::Window));
    QPainter p(&drawn);
    root->render(&p);
    return drawn;
}

// measureRect for a rectangle in the logical coordinates of an image drawn by render().
inline Text measureLogical(const QImage& image, const QRect& logical)
{
    const qreal dpr = image.devicePixelRatio();
    return measureRect(image,
                       QRect((QPointF(logical.topLeft()) * dpr).toPoint(), (QSizeF(logical.size()) * dpr).toSize()));
}

inline QList<Text> measure(QWidget* root, qreal dpr = 4.0)
{
    const QImage drawn = render(root, dpr);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("view.png"));
    drawn.save(path);
    const QImage image(path);

    QList<Text> found;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : std::as_const(widgets)) {
        if (!w->isVisibleTo(root) || !w->isEnabled() || w->width() < 2 || w->height() < 2)
            continue;
        const auto text = textOf(w);
        if (!text)
            continue;
        // Only what is on screen: a row scrolled out of its list, or under a pinned header, is not.
        const QRect shown = text->second.intersected(w->visibleRegion().boundingRect());
        if (shown.width() < 2 || shown.height() < 2 || shown.size() != text->second.size())
            continue;
        const QRect logical(w->mapTo(root, text->second.topLeft()), text->second.size());
        const QRect device(logical.topLeft() * dpr, logical.size() * dpr);
        Text t = measureRect(image, device);
        t.where = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        t.text = text->first;
        t.required = requiredRatio(w->font());
        found.append(t);
    }
    return found;
}

// The texts of a view built by `build` while `palette` is the application's (views take their
// colours when they are built), shown off screen; the application's palette comes back after.
inline QList<Text> measureBuilt(const QPalette& palette, const std::function<QWidget*()>& build)
{
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    std::unique_ptr<QWidget> view(build());
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->show();
    QCoreApplication::processEvents();
    QList<Text> texts = measure(view.get());
    view.reset();
    QApplication::setPalette(before);
    return texts;
}

// The texts of the view `build` makes, measured in the style's light palette and in the dark
// one; each text's place starts with "light: " or "dark: ".
inline QList<Text> measureLightAndDark(const std::function<QWidget*()>& build)
{
    QList<Text> all;
    for (const bool dark : {false, true}) {
        QList<Text> texts = measureBuilt(dark ? darkPalette() : QApplication::style()->standardPalette(), build);
        for (Text& t : texts)
            t.where = QLatin1String(dark ? "dark: " : "light: ") + t.where;
        all += texts;
    }
    return all;
}

// One line per text that falls short, for a failure message.
inline QString failures(const QList<Text>& texts)
{
    QStringList lines;
    for (const Text& t : texts)
        if (!t.passes())
            lines << QStringLiteral("%1 \"%2\": %3 on %4 = %5:1, needs %6:1")
                         .arg(t.where, t.text, t.foreground.name(), t.background.name(),
                              QString::number(t.ratio, 'f', 2), QString::number(t.required, 'f', 1));
    return lines.join(QLatin1Char('\n'));
}

} // namespace TextContrast
