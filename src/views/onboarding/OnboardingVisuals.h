#pragma once
// The look and motion of the welcome flow: the card with its grain, shadow and entrance, the
// aurora that blooms and collapses behind it, the staggered entrance of page parts, the glowing
// hero symbol, and the small rows and cards of its pages. Private to the welcome flow.
#include <QAbstractButton>
#include <QColor>
#include <QEasingCurve>
#include <QGraphicsEffect>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPointF>
#include <QWidget>

#include <functional>

class QHBoxLayout;
class QVariantAnimation;
class QSequentialAnimationGroup;

// Curves and timings of the flow's motion.
namespace OnboardingMotion {

// Cubic Béziers: ease-in (0.42, 0)(1, 1), ease-out (0, 0)(0.58, 1), ease-in-out (0.42, 0)(0.58, 1).
QEasingCurve easeIn();
QEasingCurve easeOut();
QEasingCurve easeInOut();
// A critically damped spring (it never overshoots), run over springDurationMs(response): the
// time it takes to come within 0.1 % of its target.
QEasingCurve spring();
int springDurationMs(double response);

constexpr int kPageMs = 400; // Back and Continue
constexpr int kRevealMs = 800; // the total counting up
constexpr int kCardDelayMs = 900; // before the card enters
constexpr double kCardResponse = 0.7;
constexpr double kDotsResponse = 0.35;
constexpr double kChoiceResponse = 0.25;
constexpr int kAuroraBloomMs = 900;
constexpr int kAuroraCollapseMs = 800;
constexpr int kStaggerMs = 450;
constexpr qreal kStaggerRise = 12;

// When page part `index` starts to enter after it comes on screen: 0.08 + 0.07 × index seconds.
int staggerDelayMs(int index);

} // namespace OnboardingMotion

// Draws its widget faded, shifted, scaled about its centre and blurred; used while a part of the
// flow enters. At opacity 1, no offset, scale 1 and no blur it draws the widget as it is.
class MotionEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit MotionEffect(QObject* parent = nullptr);
    void set(qreal opacity, QPointF offset, qreal scale = 1.0, qreal blur = 0.0);
    qreal opacity() const { return m_opacity; }
    QPointF offset() const { return m_offset; }
    qreal scale() const { return m_scale; }
    qreal blur() const { return m_blur; }

protected:
    QRectF boundingRectFor(const QRectF& rect) const override;
    void draw(QPainter* painter) override;

private:
    qreal m_opacity = 1;
    QPointF m_offset;
    qreal m_scale = 1;
    qreal m_blur = 0;
};

// Lets `part` enter as page part `index` when it comes on screen: it rises 12 px while it fades
// in, starting staggerDelayMs(index) later. With reduce motion it is simply there.
void staggeredAppear(QWidget* part, int index, bool reduceMotion);

// A soft round glow: a disc of `diameter` blurred by `blur`, in `color`; the pixmap is
// `diameter + 2 × blur` wide (device-independent pixels). Drawn once per colour and size.
QPixmap softDisc(qreal diameter, qreal blur, const QColor& color, qreal devicePixelRatio);

// A Gaussian-looking blur of an image (three box passes), for shadows drawn once.
QImage blurred(const QImage& image, qreal radius);

// The film grain of the card: `count` specks at random places, each a 1.3 px dot, black or white,
// at an opacity between a quarter of `intensity` and `intensity`.
class GrainOverlay {
public:
    struct Speck {
        double x = 0; // fraction of the width, 0…1
        double y = 0; // fraction of the height, 0…1
        double a = 0; // opacity factor, 0.25…1
        bool dark = false; // black, else white
        friend bool operator==(const Speck&, const Speck&) = default;
    };
    static constexpr qreal kSpeckSize = 1.3;

    // A negative count gives no specks. Equal seeds give equal patterns.
    GrainOverlay(double intensity, int count, quint32 seed);

    double intensity() const { return m_intensity; }
    const QList<Speck>& specks() const { return m_specks; }
    double opacityOf(const Speck& speck) const { return speck.a * m_intensity; }
    // The specks on a transparent canvas of `size`, to be laid over the card in overlay mode.
    QImage render(QSize size, qreal devicePixelRatio) const;

private:
    double m_intensity;
    QList<Speck> m_specks;
};

// The coloured glow behind the card: four blurred blobs that bloom in and collapse into the centre
// while the card enters. With reduce motion it never shows.
class AuroraBackground : public QWidget {
    Q_OBJECT
public:
    struct Blob {
        QColor color;
        double dx;
        double dy;
    };
    // How the group of blobs is drawn at a stage: scale and turn about the centre, and opacity.
    struct Frame {
        double scale = 1;
        double spin = 0; // degrees
        double opacity = 0;
        friend bool operator==(const Frame&, const Frame&) = default;
    };
    static constexpr qreal kBlobSize = 300;
    static constexpr qreal kBlobBlur = 80;
    static constexpr qreal kBlobOpacity = 0.45;

    // Pink, purple, blue and teal, in drawing order.
    static const QList<Blob>& blobs();
    // 0 start (1.7, 80°, hidden), 1 bloom (1, 0°, shown), 2 and above collapsed (0.04, −45°, hidden).
    static Frame frameFor(int stage);
    // The blob centres in a window of `size`.
    static QList<QPointF> blobCenters(QSizeF size);
    // The opaque backdrop for a desktop that cannot show through transparent windows: a dark
    // gradient in the blobs' hues.
    static void paintBackdrop(QPainter& painter, const QRectF& rect);

    AuroraBackground(bool reduceMotion, QWidget* parent = nullptr);

    int stage() const { return m_stage; }
    Frame frame() const { return m_frame; }
    bool isAnimating() const;
    // Shows one frame and stops the motion (for pictures of the bloom).
    void showFrame(const Frame& frame);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent*) override;

private:
    bool m_reduceMotion;
    bool m_started = false;
    int m_stage = 0;
    Frame m_frame;
    QSequentialAnimationGroup* m_motion = nullptr;
};

// The card the flow's pages sit on: a rounded translucent fill with grain, a thin light border and
// a soft shadow. The widget is larger than the card by the shadow's margin.
class OnboardingCard : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kSide = 560;
    static constexpr qreal kRadius = 26;
    static constexpr double kGrainIntensity = 0.07;
    static constexpr int kGrainCount = 2600;

    explicit OnboardingCard(QWidget* parent = nullptr);

    // A new grain pattern; and whether the fill is opaque (no desktop shows through).
    void setGrainSeed(quint32 seed);
    void setOpaque(bool opaque);

    // The card's side: 560 points as the application font scales them, but never more than
    // `room` (the window's shorter side) allows with a little space around it.
    static int sideFor(QSize room);
    void setSide(int side);
    int side() const { return m_side; }
    // The card's rectangle inside the widget, and the widget size that holds it with its shadow.
    QRect cardRect() const;
    static int shadowMargin();
    static QSize widgetSize(int side);
    const GrainOverlay& grain() const { return m_grain; }
    // The fill: translucent over a composited desktop, opaque otherwise.
    QColor fillColor() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    GrainOverlay m_grain;
    bool m_opaque;
    int m_side;
    QImage m_shadow; // drawn once per size
    QImage m_grainImage; // drawn once per size and pixel ratio
};

// A page of the flow. It draws the glow behind each hero symbol on it, which reaches past the
// hero's own box.
class OnboardingPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override;
};

// The hero of the first and last page: a large symbol in a tint, over a soft glow of the tint
// (drawn by its page). It bounces once when `bounce` is called.
class GlowHero : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kGlowSize = 130;
    static constexpr qreal kGlowBlur = 45;
    static constexpr qreal kGlowOpacity = 0.35;
    static constexpr int kSymbolSize = 68;

    GlowHero(const QString& symbol, const QColor& tint, QWidget* parent = nullptr);
    QString symbol() const { return m_symbol; }
    QColor tint() const { return m_tint; }
    void bounce();
    bool isBouncing() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_symbol;
    QColor m_tint;
    qreal m_scale = 1;
    QVariantAnimation* m_bounce;
};

// A symbol on a small rounded square of its tint.
class IconChip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 40;
    IconChip(const QString& symbol, const QColor& tint, QWidget* parent = nullptr);
    QString symbol() const { return m_symbol; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_symbol;
    QColor m_tint;
};

// Lays `owner` out as a row of the flow: a chip with the symbol, then a headline over a line of
// explanation that takes the rest of the width. The caller adds what the row ends with.
QHBoxLayout* chipRow(QWidget* owner, const QString& symbol, const QString& title, const QString& subtitle,
                     const QColor& secondaryText);

// A rounded, lightly filled row: used for the feature rows of the safety page and the row of the
// Trash switch. Fill and border are colours with their own opacity (no border when invalid).
class RowPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kLightFill = 0.045; // the usual fill: the text colour at 4.5 %

    RowPanel(const QColor& fill, const QColor& border, qreal radius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_fill;
    QColor m_border;
    qreal m_radius;
};

// One promise of the safety page: a chip, a headline and a line under it, on a lightly filled row.
class FeatureRow : public RowPanel {
    Q_OBJECT
public:
    FeatureRow(const QString& symbol, const QString& title, const QString& subtitle, const QColor& secondaryText,
               QWidget* parent = nullptr);
};

// One of the two choices of the personalize page: a card-sized button with a symbol, a title and
// a line under it; the selected one is tinted and framed in the accent colour.
class ChoiceCard : public QAbstractButton {
    Q_OBJECT
public:
    ChoiceCard(const QString& symbol, const QString& title, const QString& subtitle, bool isSelected,
               std::function<void()> action, QWidget* parent = nullptr);

    // The card's fill: the accent at 14 % when selected, the text colour at 4 % otherwise.
    static QColor fill(bool selected);

    QString title() const { return m_title; }
    QString subtitle() const { return m_subtitle; }
    bool isSelected() const { return m_selected; }
    // Changes of the selection move with a short spring.
    void setSelected(bool selected);
    bool isAnimating() const;
    void setSecondaryText(const QColor& color)
    {
        m_secondary = color;
        update();
    }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void nextCheckState() override {} // the action decides; a click never unselects

private:
    QString m_symbol;
    QString m_title;
    QString m_subtitle;
    bool m_selected;
    qreal m_selection; // 0 unselected … 1 selected, as drawn
    QColor m_secondary;
    QVariantAnimation* m_animation;
};

// The step dots: one capsule per page, the current one wide and in the accent colour. For
// assistive technology the row is one element, "Step 2 of 4".
class StepDots : public QWidget {
    Q_OBJECT
public:
    explicit StepDots(int count, QWidget* parent = nullptr);
    int step() const { return m_step; }
    int count() const { return int(m_weights.size()); }
    // Moves to `step` with the dots' spring.
    void setStep(int step);
    bool isAnimating() const;
    // How far each dot is the current one (0…1), as drawn now.
    QList<qreal> weights() const { return m_weights; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int m_step = 0;
    QList<qreal> m_weights;
    QList<qreal> m_from;
    QVariantAnimation* m_animation;
};
