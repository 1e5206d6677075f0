#include "views/components/Symbol.h"

#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <memory>
#include <optional>

namespace {

struct Entry {
    const char* name;
    const char* icon;
    const char* weight;
};

#define DUSTLET_SYMBOL(name, icon, weight) Entry{name, icon, #weight},
const Entry kTable[] = {
#include "views/components/SymbolTable.inc"
};
#undef DUSTLET_SYMBOL

const QHash<QString, QString>& files()
{
    static const QHash<QString, QString> map = [] {
        QHash<QString, QString> m;
        for (const Entry& e : kTable) {
            const QString icon = QString::fromLatin1(e.icon);
            const bool fill = qstrcmp(e.weight, "fill") == 0;
            m.insert(QString::fromLatin1(e.name),
                     fill ? QStringLiteral(":/symbols/fill/%1-fill.svg").arg(icon)
                          : QStringLiteral(":/symbols/regular/%1.svg").arg(icon));
        }
        return m;
    }();
    return map;
}

// How a name is drawn: one SVG, a glyph cut out of a filled circle, or a base with a badge.
struct Recipe {
    enum Kind { plain, circled, badged } kind = plain;
    QString file; // plain: the SVG; circled: the glyph's SVG
    std::shared_ptr<Recipe> base; // badged
    std::shared_ptr<Recipe> badge; // badged
};

std::optional<Recipe> recipe(const QString& name, int depth = 0)
{
    if (depth > 3 || name.isEmpty())
        return std::nullopt;
    if (auto it = files().constFind(name); it != files().constEnd())
        return Recipe{Recipe::plain, *it, {}, {}};

    static const QRegularExpression badgeForm(QStringLiteral("^(.+)\\.badge\\.(.+)$"));
    if (const auto m = badgeForm.match(name); m.hasMatch()) {
        auto base = recipe(m.captured(1), depth + 1);
        auto badge = recipe(m.captured(2) + QStringLiteral(".circle.fill"), depth + 1);
        if (!badge)
            badge = recipe(m.captured(2), depth + 1);
        if (!base || !badge)
            return std::nullopt;
        return Recipe{Recipe::badged, {}, std::make_shared<Recipe>(*base), std::make_shared<Recipe>(*badge)};
    }

    const QString suffix = QStringLiteral(".circle.fill");
    if (name.endsWith(suffix)) {
        const QString stem = name.chopped(suffix.size());
        for (const QString& glyph : {stem, stem + QStringLiteral(".fill")}) {
            auto it = files().constFind(glyph);
            if (it != files().constEnd())
                return Recipe{Recipe::circled, *it, {}, {}};
        }
    }
    return std::nullopt;
}

// Renders an SVG as an alpha mask filling `rect` of the painter.
void renderSvg(QPainter& p, const QString& file, const QRectF& rect)
{
    QSvgRenderer svg(file);
    svg.render(&p, rect);
}

void draw(QPainter& p, const Recipe& r, const QRectF& rect)
{
    switch (r.kind) {
    case Recipe::plain: renderSvg(p, r.file, rect); break;
    case Recipe::circled: {
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        const qreal inset = rect.width() * 0.06;
        p.drawEllipse(rect.adjusted(inset, inset, -inset, -inset));
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        const qreal g = rect.width() * 0.52;
        renderSvg(p, r.file, QRectF(rect.center().x() - g / 2, rect.center().y() - g / 2, g, g));
        p.restore();
        break;
    }
    case Recipe::badged: {
        draw(p, *r.base, rect);
        const qreal b = rect.width() * 0.55;
        const QRectF badgeRect(rect.right() - b, rect.bottom() - b, b, b);
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        const qreal gap = rect.width() * 0.08;
        p.drawEllipse(badgeRect.adjusted(-gap, -gap, gap, gap));
        p.restore();
        draw(p, *r.badge, badgeRect);
        break;
    }
    }
}

} // namespace

namespace Symbol {

bool resolves(const QString& name) { return recipe(name).has_value(); }

QStringList tableNames()
{
    QStringList names;
    for (const Entry& e : kTable)
        names << QString::fromLatin1(e.name);
    return names;
}

QPixmap pixmap(const QString& name, int pixelSize, const QColor& tint, qreal devicePixelRatio)
{
    static QHash<QString, QPixmap> cache;
    const QString key =
        QStringLiteral("%1|%2|%3|%4").arg(name).arg(pixelSize).arg(tint.name(QColor::HexArgb)).arg(devicePixelRatio);
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;

    const auto r = recipe(name);
    if (!r || pixelSize <= 0)
        return {};
    const int px = qMax(1, qRound(pixelSize * devicePixelRatio));
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p, *r, QRectF(0, 0, px, px));
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(image.rect(), tint);
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(devicePixelRatio);
    if (cache.size() > 512)
        cache.clear();
    cache.insert(key, result);
    return result;
}

QIcon icon(const QString& name, const QColor& tint, int pixelSize)
{
    QIcon result;
    QColor disabled = tint;
    disabled.setAlphaF(tint.alphaF() * 0.4);
    for (qreal dpr : {1.0, 2.0}) {
        result.addPixmap(pixmap(name, pixelSize, tint, dpr), QIcon::Normal);
        result.addPixmap(pixmap(name, pixelSize, disabled, dpr), QIcon::Disabled);
    }
    return result;
}

} // namespace Symbol

SymbolView::SymbolView(const QString& name, int pixelSize, QWidget* parent)
    : QWidget(parent), m_name(name), m_size(pixelSize)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

SymbolView::SymbolView(const QString& name, int pixelSize, const QColor& tint, QWidget* parent)
    : SymbolView(name, pixelSize, parent)
{
    m_tint = tint;
}

void SymbolView::setName(const QString& name)
{
    m_name = name;
    update();
}

void SymbolView::setTint(const QColor& tint)
{
    m_tint = tint;
    update();
}

QColor SymbolView::tint() const { return m_tint.value_or(palette().color(QPalette::WindowText)); }

QSize SymbolView::sizeHint() const { return QSize(m_size, m_size); }

void SymbolView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPixmap pm = Symbol::pixmap(m_name, m_size, tint(), devicePixelRatioF());
    const QPoint at((width() - m_size) / 2, (height() - m_size) / 2);
    p.drawPixmap(at, pm);
}
