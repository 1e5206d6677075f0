#include "views/onboarding/OnboardingVisuals.h"

#include "views/components/Labels.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QSequentialAnimationGroup>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <numbers>

// ---- curves and timings

namespace OnboardingMotion {

namespace {

QEasingCurve bezier(QPointF c1, QPointF c2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

// A critically damped spring moves as 1 − (1 + ωt)·e^(−ωt). It comes within 0.1 % of its target
// at ωt = kSettle, so over a run of that length the curve is the same for every response.
constexpr double kSettle = 9.2334;   // (1 + k)·e^(−k) = 0.001

qreal springValue(qreal progress)
{
    const double end = 1 - (1 + kSettle) * std::exp(-kSettle);
    const double x = kSettle * std::clamp(progress, 0.0, 1.0);
    return std::clamp((1 - (1 + x) * std::exp(-x)) / end, 0.0, 1.0);
}

} // namespace

QEasingCurve easeIn() { return bezier(QPointF(0.42, 0), QPointF(1, 1)); }
QEasingCurve easeOut() { return bezier(QPointF(0, 0), QPointF(0.58, 1)); }
QEasingCurve easeInOut() { return bezier(QPointF(0.42, 0), QPointF(0.58, 1)); }

QEasingCurve spring()
{
    QEasingCurve curve;
    curve.setCustomType(springValue);
    return curve;
}

// The response is the period of the undamped spring: ω = 2π / response.
int springDurationMs(double response)
{
    return int(std::lround(1000.0 * response * kSettle / (2 * std::numbers::pi)));
}

int staggerDelayMs(int index) { return 80 + 70 * std::max(0, index); }

} // namespace OnboardingMotion

using namespace OnboardingMotion;

namespace {

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    const QColor x = a.toRgb(), y = b.toRgb();
    auto lerp = [t](float p, float q) { return float(p + (q - p) * t); };
    return QColor::fromRgbF(lerp(x.redF(), y.redF()), lerp(x.greenF(), y.greenF()), lerp(x.blueF(), y.blueF()),
                            lerp(x.alphaF(), y.alphaF()));
}

} // namespace

// ---- motion effect

MotionEffect::MotionEffect(QObject* parent) : QGraphicsEffect(parent) {}

void MotionEffect::set(qreal opacity, QPointF offset, qreal scale, qreal blur)
{
    m_opacity = std::clamp(opacity, 0.0, 1.0);
    m_offset = offset;
    m_scale = scale;
    m_blur = std::max<qreal>(0, blur);
    updateBoundingRect();
    update();
}

QRectF MotionEffect::boundingRectFor(const QRectF& rect) const
{
    const QRectF blurredRect = rect.adjusted(-m_blur, -m_blur, m_blur, m_blur);
    return blurredRect.united(blurredRect.translated(m_offset));
}

void MotionEffect::draw(QPainter* painter)
{
    const bool plain = m_opacity >= 1 && m_offset.isNull() && qFuzzyCompare(m_scale, 1.0) && m_blur < 0.5;
    if (plain) {
        drawSource(painter);
        return;
    }
    if (m_opacity <= 0.001)
        return;
    QPoint origin;
    QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &origin, QGraphicsEffect::PadToEffectiveBoundingRect);
    if (pixmap.isNull())
        return;
    const QSizeF size = pixmap.deviceIndependentSize();
    if (m_blur >= 0.5) {
        // Shrinking and growing back smoothly reads as a blur and costs little per frame.
        const qreal dpr = pixmap.devicePixelRatio();
        const qreal factor = 1.0 / (1.0 + m_blur / 3.0);
        const QSize small = (QSizeF(pixmap.size()) * factor).toSize().expandedTo(QSize(1, 1));
        const QSize full = pixmap.size();
        pixmap = pixmap.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .scaled(full, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        pixmap.setDevicePixelRatio(dpr);
    }
    const QPointF centre = sourceBoundingRect(Qt::LogicalCoordinates).center();
    painter->save();
    painter->setOpacity(painter->opacity() * m_opacity);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(m_offset);
    painter->translate(centre);
    painter->scale(m_scale, m_scale);
    painter->translate(-centre);
    painter->drawPixmap(QRectF(QPointF(origin), size), pixmap, QRectF(pixmap.rect()));
    painter->restore();
}

// ---- staggered entrance

namespace {

// Runs one part's entrance: waits for it to come on screen, then its delay, then rises and fades
// in; at the end the part is drawn plainly again.
class StaggerDriver : public QObject {
public:
    StaggerDriver(QWidget* part, MotionEffect* effect, int index)
        : QObject(part), m_part(part), m_effect(effect), m_index(index)
    {
        part->installEventFilter(this);
        if (part->isVisible())
            start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_part && event->type() == QEvent::Show && !m_started)
            start();
        return false;
    }

private:
    void start()
    {
        m_started = true;
        // Queued on the event loop, then delayed by the part's place in the order.
        QTimer::singleShot(0, this, [this] {
            auto* group = new QSequentialAnimationGroup(this);
            group->addPause(staggerDelayMs(m_index));
            auto* rise = new QVariantAnimation(group);
            rise->setStartValue(0.0);
            rise->setEndValue(1.0);
            rise->setDuration(kStaggerMs);
            rise->setEasingCurve(easeOut());
            MotionEffect* effect = m_effect;
            connect(rise, &QVariantAnimation::valueChanged, this, [effect](const QVariant& v) {
                const qreal t = v.toDouble();
                effect->set(t, QPointF(0, kStaggerRise * (1 - t)));
            });
            group->addAnimation(rise);
            connect(group, &QAbstractAnimation::finished, this, [this] {
                if (m_part)
                    m_part->setGraphicsEffect(nullptr);
                deleteLater();
            });
            group->start();
        });
    }

    QPointer<QWidget> m_part;
    MotionEffect* m_effect;
    int m_index;
    bool m_started = false;
};

} // namespace

void staggeredAppear(QWidget* part, int index, bool reduceMotion)
{
    if (reduceMotion || !part)
        return;
    auto* effect = new MotionEffect;
    effect->set(0, QPointF(0, kStaggerRise));
    part->setGraphicsEffect(effect);
    new StaggerDriver(part, effect, index);
}

// ---- soft discs and blur

QPixmap softDisc(qreal diameter, qreal blur, const QColor& color, qreal devicePixelRatio)
{
    static QHash<QString, QPixmap> cache;
    const QString key = QStringLiteral("%1/%2/%3/%4").arg(diameter).arg(blur).arg(color.rgba()).arg(devicePixelRatio);
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;

    const qreal side = diameter + 2 * blur;
    const int px = int(std::ceil(side * devicePixelRatio));
    QPixmap pixmap(px, px);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal outer = side / 2;
    const qreal radius = diameter / 2;
    // A disc blurred with a Gaussian of σ = blur / 2: half strength at its rim, nearly nothing
    // one blur radius outside it.
    const qreal sigma = std::max<qreal>(blur / 2, 0.5);
    QRadialGradient gradient(QPointF(outer, outer), outer);
    constexpr int kStops = 24;
    for (int i = 0; i <= kStops; ++i) {
        const qreal r = outer * i / kStops;
        qreal strength = 0.5 * std::erfc((r - radius) / (sigma * std::numbers::sqrt2));
        if (i == kStops)
            strength = 0;
        gradient.setColorAt(qreal(i) / kStops, withAlpha(color, color.alphaF() * strength));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawEllipse(QRectF(0, 0, side, side));
    p.end();
    if (cache.size() > 64)
        cache.clear();
    cache.insert(key, pixmap);
    return pixmap;
}

namespace {

// One box pass along `n` pixels `stride` apart; pixels outside count as transparent.
void boxLine(const QRgb* src, QRgb* dst, int n, int stride, int half)
{
    const int width = 2 * half + 1;
    int a = 0, r = 0, g = 0, b = 0;
    auto add = [&](QRgb c, int sign) {
        a += sign * qAlpha(c);
        r += sign * qRed(c);
        g += sign * qGreen(c);
        b += sign * qBlue(c);
    };
    for (int i = 0; i <= half && i < n; ++i)
        add(src[i * stride], 1);
    for (int i = 0; i < n; ++i) {
        dst[i * stride] = qRgba(r / width, g / width, b / width, a / width);
        if (i + half + 1 < n)
            add(src[(i + half + 1) * stride], 1);
        if (i - half >= 0)
            add(src[(i - half) * stride], -1);
    }
}

} // namespace

QImage blurred(const QImage& image, qreal radius)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (radius < 1 || out.isNull())
        return out;
    // Three box passes of a width near the radius approximate a Gaussian of σ ≈ radius / 2.
    const int half = std::max(1, int(std::lround(radius / 2)));
    const int w = out.width(), h = out.height();
    QImage tmp(out.size(), QImage::Format_ARGB32_Premultiplied);
    auto* data = reinterpret_cast<QRgb*>(out.bits());
    auto* scratch = reinterpret_cast<QRgb*>(tmp.bits());
    const int stride = int(out.bytesPerLine() / 4);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y)
            boxLine(data + y * stride, scratch + y * stride, w, 1, half);
        for (int x = 0; x < w; ++x)
            boxLine(scratch + x, data + x, h, stride, half);
    }
    out.setDevicePixelRatio(image.devicePixelRatio());
    return out;
}

// ---- grain

GrainOverlay::GrainOverlay(double intensity, int count, quint32 seed) : m_intensity(intensity)
{
    QRandomGenerator random(seed);
    m_specks.reserve(std::max(0, count));
    for (int i = 0; i < count; ++i) {
        Speck s;
        s.x = random.generateDouble();
        s.y = random.generateDouble();
        s.a = 0.25 + 0.75 * random.generateDouble();
        s.dark = random.bounded(2) == 1;
        m_specks.append(s);
    }
}

QImage GrainOverlay::render(QSize size, qreal devicePixelRatio) const
{
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (const Speck& s : m_specks) {
        p.setBrush(withAlpha(s.dark ? QColor(Qt::black) : QColor(Qt::white), opacityOf(s)));
        p.drawEllipse(QRectF(s.x * size.width(), s.y * size.height(), kSpeckSize, kSpeckSize));
    }
    p.end();
    return image;
}

// ---- aurora

const QList<AuroraBackground::Blob>& AuroraBackground::blobs()
{
    static const QList<Blob> list = {
        {QColor(255, 45, 85), 0.30, 0.14},    // pink
        {QColor(175, 82, 222), 0.70, 0.20},   // purple
        {QColor(0, 122, 255), 0.22, 0.80},    // blue
        {QColor(48, 176, 199), 0.84, 0.86},   // teal
    };
    return list;
}

AuroraBackground::Frame AuroraBackground::frameFor(int stage)
{
    if (stage <= 0)
        return {1.7, 80, 0};
    if (stage == 1)
        return {1.0, 0, 1};
    return {0.04, -45, 0};
}

QList<QPointF> AuroraBackground::blobCenters(QSizeF size)
{
    QList<QPointF> centres;
    for (const Blob& b : blobs())
        centres.append(QPointF(size.width() * b.dx, size.height() * b.dy));
    return centres;
}

void AuroraBackground::paintBackdrop(QPainter& painter, const QRectF& rect)
{
    QLinearGradient base(rect.topLeft(), rect.bottomRight());
    base.setColorAt(0, QColor(0x1d, 0x12, 0x33));
    base.setColorAt(0.55, QColor(0x10, 0x16, 0x30));
    base.setColorAt(1, QColor(0x07, 0x23, 0x2c));
    painter.fillRect(rect, base);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QList<QPointF> centres = blobCenters(rect.size());
    for (int i = 0; i < blobs().size(); ++i) {
        // Large, faint and blurry: drawn from a small pixmap, scaled up.
        const QPixmap disc = softDisc(kBlobSize, kBlobBlur, blobs()[i].color, 1.0);
        const qreal side = disc.deviceIndependentSize().width() * 1.6;
        painter.setOpacity(0.28);
        painter.drawPixmap(QRectF(rect.topLeft() + centres[i] - QPointF(side / 2, side / 2), QSizeF(side, side)), disc,
                           QRectF(disc.rect()));
    }
    painter.restore();
}

AuroraBackground::AuroraBackground(bool reduceMotion, QWidget* parent)
    : QWidget(parent), m_reduceMotion(reduceMotion), m_frame(frameFor(0))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);

    m_motion = new QSequentialAnimationGroup(this);
    auto phase = [this](int from, int to, int ms, const QEasingCurve& curve) {
        auto* a = new QVariantAnimation(m_motion);
        a->setStartValue(0.0);
        a->setEndValue(1.0);
        a->setDuration(ms);
        a->setEasingCurve(curve);
        connect(a, &QVariantAnimation::valueChanged, this, [this, from, to](const QVariant& v) {
            const qreal t = v.toDouble();
            const Frame a0 = frameFor(from), a1 = frameFor(to);
            m_frame = {a0.scale + (a1.scale - a0.scale) * t, a0.spin + (a1.spin - a0.spin) * t,
                       a0.opacity + (a1.opacity - a0.opacity) * t};
            update();
        });
        connect(a, &QAbstractAnimation::stateChanged, this, [this, to](QAbstractAnimation::State state) {
            if (state == QAbstractAnimation::Running)
                m_stage = to;
        });
        m_motion->addAnimation(a);
    };
    phase(0, 1, kAuroraBloomMs, easeOut());
    phase(1, 2, kAuroraCollapseMs, easeIn());
    connect(m_motion, &QAbstractAnimation::finished, this, [this] {
        m_frame = frameFor(m_stage);
        update();
    });
}

bool AuroraBackground::isAnimating() const { return m_motion->state() == QAbstractAnimation::Running; }

void AuroraBackground::showFrame(const Frame& frame)
{
    m_started = true;
    m_motion->stop();
    m_frame = frame;
    update();
}

void AuroraBackground::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_reduceMotion || m_started)
        return;
    m_started = true;
    m_motion->start();
}

void AuroraBackground::paintEvent(QPaintEvent*)
{
    if (m_frame.opacity <= 0.001)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPointF centre = QRectF(rect()).center();
    p.translate(centre);
    p.rotate(m_frame.spin);
    p.scale(m_frame.scale, m_frame.scale);
    p.translate(-centre);
    p.setOpacity(m_frame.opacity * kBlobOpacity);
    const QList<QPointF> centres = blobCenters(size());
    for (int i = 0; i < blobs().size(); ++i) {
        const QPixmap disc = softDisc(kBlobSize, kBlobBlur, blobs()[i].color, 1.0);
        const QSizeF side = disc.deviceIndependentSize();
        p.drawPixmap(QRectF(centres[i] - QPointF(side.width() / 2, side.height() / 2), side), disc, QRectF(disc.rect()));
    }
}

// ---- card

namespace {
constexpr qreal kShadowBlur = 40;
constexpr qreal kShadowOffsetY = 18;
constexpr qreal kShadowOpacity = 0.35;
constexpr int kShadowMargin = 60;   // room for the blur and the offset around the card
} // namespace

OnboardingCard::OnboardingCard(QWidget* parent)
    : QWidget(parent),
      m_grain(kGrainIntensity, kGrainCount, QRandomGenerator::global()->generate()),
      m_opaque(false),
      m_side(Style::metric(kSide))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(widgetSize(m_side));
}

int OnboardingCard::sideFor(QSize room)
{
    const int wanted = Style::metric(kSide);
    if (room.isEmpty())
        return wanted;
    const int fits = std::min(room.width(), room.height()) - 2 * Style::metric(16);
    return std::max(std::min(wanted, fits), std::min(wanted, 320));
}

void OnboardingCard::setSide(int side)
{
    if (side == m_side)
        return;
    m_side = side;
    setFixedSize(widgetSize(side));
    m_grainImage = QImage();
}

void OnboardingCard::setGrainSeed(quint32 seed)
{
    m_grain = GrainOverlay(kGrainIntensity, kGrainCount, seed);
    m_grainImage = QImage();
    update();
}

void OnboardingCard::setOpaque(bool opaque)
{
    m_opaque = opaque;
    update();
}

int OnboardingCard::shadowMargin() { return kShadowMargin; }

QSize OnboardingCard::widgetSize(int side) { return QSize(side + 2 * kShadowMargin, side + 2 * kShadowMargin); }

QRect OnboardingCard::cardRect() const
{
    return QRect((width() - m_side) / 2, (height() - m_side) / 2, m_side, m_side);
}

QColor OnboardingCard::fillColor() const
{
    return withAlpha(palette().color(QPalette::Window), m_opaque ? 1.0 : 0.95);
}

void OnboardingCard::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_shadow = QImage();
}

void OnboardingCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    const qreal radius = Style::metric(kRadius);
    QPainterPath shape;
    shape.addRoundedRect(card, radius, radius);

    // The shadow, blurred once per size at half resolution (it is soft anyway).
    const QRectF shadowBox = card.adjusted(-kShadowMargin, -kShadowMargin, kShadowMargin, kShadowMargin);
    if (m_shadow.isNull()) {
        QImage image((shadowBox.size() / 2).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter sp(&image);
        sp.setRenderHint(QPainter::Antialiasing);
        sp.setPen(Qt::NoPen);
        sp.setBrush(QColor::fromRgbF(0, 0, 0, kShadowOpacity));
        sp.drawRoundedRect(QRectF(kShadowMargin / 2.0, (kShadowMargin + kShadowOffsetY) / 2.0, card.width() / 2,
                                  card.height() / 2),
                           radius / 2, radius / 2);
        sp.end();
        m_shadow = blurred(image, kShadowBlur / 2);
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(shadowBox, m_shadow);
    p.restore();

    p.fillPath(shape, fillColor());

    // The grain, drawn once per size, laid over the fill in overlay mode.
    const qreal dpr = devicePixelRatioF();
    if (m_grainImage.isNull() || m_grainImage.devicePixelRatio() != dpr
        || m_grainImage.size() != (card.size() * dpr).toSize())
        m_grainImage = m_grain.render(card.size().toSize(), dpr);
    p.save();
    p.setClipPath(shape);
    p.setCompositionMode(QPainter::CompositionMode_Overlay);
    p.drawImage(card.topLeft(), m_grainImage);
    p.restore();

    QPainterPath border;
    border.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.10), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(border);
}

// ---- page and hero

void OnboardingPage::paintEvent(QPaintEvent*)
{
    const QList<GlowHero*> heroes = findChildren<GlowHero*>();
    if (heroes.isEmpty())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (GlowHero* hero : heroes) {
        if (!hero->isVisible())
            continue;
        const QPointF centre = hero->mapTo(this, QPointF(hero->width() / 2.0, hero->height() / 2.0));
        const QPixmap glow = softDisc(GlowHero::kGlowSize, GlowHero::kGlowBlur, hero->tint(), 1.0);
        const QSizeF side = glow.deviceIndependentSize();
        p.setOpacity(GlowHero::kGlowOpacity);
        p.drawPixmap(QRectF(centre - QPointF(side.width() / 2, side.height() / 2), side), glow, QRectF(glow.rect()));
    }
}

GlowHero::GlowHero(const QString& symbol, const QColor& tint, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_tint(tint), m_bounce(new QVariantAnimation(this))
{
    setFixedSize(int(kGlowSize), int(kGlowSize));
    setAttribute(Qt::WA_TranslucentBackground);
    // Up, a little under, and back: the symbol's bounce.
    m_bounce->setDuration(520);
    m_bounce->setKeyValueAt(0.0, 1.0);
    m_bounce->setKeyValueAt(0.3, 1.16);
    m_bounce->setKeyValueAt(0.62, 0.96);
    m_bounce->setKeyValueAt(1.0, 1.0);
    connect(m_bounce, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_scale = v.toDouble();
        update();
    });
}

void GlowHero::bounce()
{
    m_bounce->stop();
    m_bounce->start();
}

bool GlowHero::isBouncing() const { return m_bounce->state() == QAbstractAnimation::Running; }

void GlowHero::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPointF centre(width() / 2.0, height() / 2.0);
    p.translate(centre);
    p.scale(m_scale, m_scale);
    const QPixmap symbol = Symbol::pixmap(m_symbol, kSymbolSize, m_tint, devicePixelRatioF() * 1.2);
    const QSizeF side = symbol.deviceIndependentSize() * 1.2;
    p.drawPixmap(QRectF(-side.width() / 2, -side.height() / 2, side.width(), side.height()), symbol,
                 QRectF(symbol.rect()));
}

// ---- chips, rows and cards

IconChip::IconChip(const QString& symbol, const QColor& tint, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_tint(tint)
{
    setFixedSize(kSide, kSide);
}

void IconChip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(m_tint, 0.18));
    p.drawRoundedRect(QRectF(rect()), 10, 10);
    const int size = 18;
    p.drawPixmap(QPointF((width() - size) / 2.0, (height() - size) / 2.0),
                 Symbol::pixmap(m_symbol, size, m_tint, devicePixelRatioF()));
}

RowPanel::RowPanel(const QColor& fill, const QColor& border, qreal radius, QWidget* parent)
    : QWidget(parent), m_fill(fill), m_border(border), m_radius(radius)
{
}

void RowPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(m_fill);
    p.drawRoundedRect(QRectF(rect()), m_radius, m_radius);
    if (m_border.isValid()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(m_border, 1));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius - 0.5, m_radius - 0.5);
    }
}

QHBoxLayout* chipRow(QWidget* owner, const QString& symbol, const QString& title, const QString& subtitle,
                     const QColor& secondaryText)
{
    auto* row = new QHBoxLayout(owner);
    const int pad = Style::metric(12);
    row->setContentsMargins(pad, pad, pad, pad);
    row->setSpacing(Style::metric(14));
    row->addWidget(new IconChip(symbol, Style::accent(), owner), 0, Qt::AlignVCenter);
    auto* text = new QVBoxLayout;
    text->setSpacing(Style::metric(2));
    text->addStretch(1);   // the two lines stay together, centred on the chip
    text->addWidget(makePlainLabel(title, Style::font(Style::Text::headline), Style::primary(), owner));
    QLabel* sub = makePlainLabel(subtitle, Style::font(Style::Text::subheadline), secondaryText, owner);
    sub->setWordWrap(true);
    text->addWidget(sub);
    text->addStretch(1);
    row->addLayout(text, 1);
    return row;
}

FeatureRow::FeatureRow(const QString& symbol, const QString& title, const QString& subtitle,
                       const QColor& secondaryText, QWidget* parent)
    : RowPanel(withAlpha(Style::primary(), kLightFill), QColor(), Style::metric(14), parent)
{
    chipRow(this, symbol, title, subtitle, secondaryText);
}

ChoiceCard::ChoiceCard(const QString& symbol, const QString& title, const QString& subtitle, bool isSelected,
                       std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent),
      m_symbol(symbol),
      m_title(title),
      m_subtitle(subtitle),
      m_selected(isSelected),
      m_selection(isSelected ? 1 : 0),
      m_secondary(Style::secondary()),
      m_animation(new QVariantAnimation(this))
{
    setCheckable(true);   // so that assistive technology reads the selection
    setChecked(isSelected);
    setAccessibleName(title);
    setAccessibleDescription(subtitle);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_animation->setDuration(springDurationMs(kChoiceResponse));
    m_animation->setEasingCurve(spring());
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_selection = v.toDouble();
        update();
    });
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] {
        if (action)
            action();
    });
}

QColor ChoiceCard::fill(bool selected)
{
    return selected ? withAlpha(Style::accent(), 0.14) : withAlpha(Style::primary(), 0.04);
}

void ChoiceCard::setSelected(bool selected)
{
    setChecked(selected);
    if (selected == m_selected)
        return;
    m_selected = selected;
    m_animation->stop();
    m_animation->setStartValue(m_selection);
    m_animation->setEndValue(selected ? 1.0 : 0.0);
    m_animation->start();
}

bool ChoiceCard::isAnimating() const { return m_animation->state() == QAbstractAnimation::Running; }

namespace {
int symbolPixels() { return Style::pixelSize(Style::Text::title); }
} // namespace

int ChoiceCard::heightForWidth(int width) const
{
    const int pad = Style::metric(14), gap = Style::metric(8);
    const QFontMetrics head(Style::font(Style::Text::headline));
    const QFontMetrics caption(Style::font(Style::Text::caption));
    const int inner = std::max(1, width - 2 * pad);
    const int sub = caption.boundingRect(QRect(0, 0, inner, 10000), Qt::TextWordWrap, m_subtitle).height();
    const int natural = pad + symbolPixels() + gap + head.height() + gap + sub + pad;
    return std::max(natural, Style::metric(104));
}

QSize ChoiceCard::sizeHint() const
{
    const int w = Style::metric(200);
    return QSize(w, heightForWidth(w));
}

QSize ChoiceCard::minimumSizeHint() const
{
    const int w = Style::metric(140);
    return QSize(w, heightForWidth(w));
}

void ChoiceCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = Style::accent(palette());
    const QColor primary = Style::primary(palette());
    const qreal t = m_selection;
    const qreal radius = Style::metric(12);

    const QColor fill = mix(ChoiceCard::fill(false), ChoiceCard::fill(true), t);
    const QColor border = mix(withAlpha(m_secondary, 0.15), accent, t);
    const qreal borderWidth = 1 + t;
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()), radius, radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(border, borderWidth));
    const qreal inset = borderWidth / 2;
    p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius - inset, radius - inset);
    if (hasFocus()) {
        p.setPen(QPen(withAlpha(accent, 0.5), 2, Qt::DotLine));
        p.drawRoundedRect(QRectF(rect()).adjusted(4, 4, -4, -4), radius - 3, radius - 3);
    }

    const int pad = Style::metric(14), gap = Style::metric(8);
    qreal y = pad;
    const int symbol = symbolPixels();
    p.drawPixmap(QPointF(pad, y), Symbol::pixmap(m_symbol, symbol, mix(m_secondary, accent, t), devicePixelRatioF()));
    y += symbol + gap;

    const QFont head = Style::font(Style::Text::headline);
    p.setFont(head);
    p.setPen(primary);
    const int inner = std::max(1, width() - 2 * pad);
    p.drawText(QRectF(pad, y, inner, QFontMetricsF(head).height()), Qt::AlignLeft | Qt::AlignVCenter, m_title);
    y += QFontMetricsF(head).height() + gap;

    const QFont caption = Style::font(Style::Text::caption);
    p.setFont(caption);
    p.setPen(m_secondary);
    p.drawText(QRectF(pad, y, inner, height() - y), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_subtitle);
}

// ---- step dots

namespace {
constexpr qreal kDot = 7;
constexpr qreal kDotWide = 20;
constexpr qreal kDotGap = 6;
} // namespace

StepDots::StepDots(int count, QWidget* parent) : QWidget(parent), m_animation(new QVariantAnimation(this))
{
    for (int i = 0; i < count; ++i)
        m_weights.append(i == 0 ? 1.0 : 0.0);
    m_from = m_weights;
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QCoreApplication::translate("OnboardingView", "Step %1 of %2").arg(QString::number(1), QString::number(count)));
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(springDurationMs(kDotsResponse));
    m_animation->setEasingCurve(spring());
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        const qreal t = v.toDouble();
        for (int i = 0; i < m_weights.size(); ++i) {
            const qreal target = i == m_step ? 1.0 : 0.0;
            m_weights[i] = m_from[i] + (target - m_from[i]) * t;
        }
        update();
    });
}

void StepDots::setStep(int step)
{
    if (step == m_step)
        return;
    m_step = step;
    setAccessibleName(
        QCoreApplication::translate("OnboardingView", "Step %1 of %2").arg(QString::number(step + 1), QString::number(count())));
    m_animation->stop();
    m_from = m_weights;
    m_animation->start();
}

bool StepDots::isAnimating() const { return m_animation->state() == QAbstractAnimation::Running; }

QSize StepDots::sizeHint() const
{
    const int n = count();
    return QSize(int(std::ceil(kDotWide + std::max(0, n - 1) * (kDot + kDotGap))), int(kDot) + 2);
}

void StepDots::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor current = Style::accent(palette());
    const QColor other = withAlpha(Style::secondary(palette()), 0.3);
    qreal x = 0;
    const qreal y = (height() - kDot) / 2;
    for (qreal w : std::as_const(m_weights)) {
        const qreal width = kDot + (kDotWide - kDot) * w;
        p.setBrush(mix(other, current, w));
        p.drawRoundedRect(QRectF(x, y, width, kDot), kDot / 2, kDot / 2);
        x += width + kDotGap;
    }
}
