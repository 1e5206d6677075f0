#include "views/onboarding/OnboardingView.h"

#include "AppModel.h"
#include "models/CleanupCatalog.h"
#include "platform/AccessibilityPrefs.h"
#include "platform/ByteCountFormatter.h"
#include "platform/DesktopTerms.h"
#include "platform/ui/Compositing.h"
#include "services/AppSettings.h"
#include "views/components/CleanActionButton.h"
#include "views/components/FitScrollArea.h"
#include "views/components/Labels.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/ToggleSwitch.h"
#include "views/onboarding/OnboardingVisuals.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

using namespace OnboardingMotion;

namespace {

int m(double points) { return Style::metric(points); }

constexpr qreal kRowFill = RowPanel::kLightFill;
constexpr qreal kTrashFill = 0.10; // the Trash row's fill of the accent colour

// The flow's large titles and the revealed figure: the system font at a size of its own.
QFont displayFont(double points)
{
    QFont f = Style::rounded(Style::Text::body, QFont::Bold);
    f.setPixelSize(m(points));
    return f;
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

QLabel* label(const QString& text, const QFont& font, const QColor& color, Qt::Alignment alignment = Qt::AlignLeft)
{
    QLabel* l = makePlainLabel(text, font, color);
    l->setWordWrap(true);
    l->setAlignment(alignment | Qt::AlignVCenter);
    return l;
}

QVBoxLayout* column(QWidget* owner, int spacing)
{
    auto* l = new QVBoxLayout(owner);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(spacing);
    return l;
}

// A snapshot of the page that was shown, fading out over the new one.
class FadingSnapshot : public QWidget {
public:
    FadingSnapshot(const QPixmap& pixmap, QWidget* parent) : QWidget(parent), m_pixmap(pixmap)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
    }
    void setOpacity(qreal opacity)
    {
        m_opacity = opacity;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setOpacity(m_opacity);
        p.drawPixmap(0, 0, m_pixmap);
    }

private:
    QPixmap m_pixmap;
    qreal m_opacity = 1;
};

// "Ready to free up" over the figure, drawn tightly so that both fit the result area's height.
class RevealFigure : public QWidget {
public:
    RevealFigure(const QString& caption, const QColor& captionColor, const QColor& figureColor,
                 QWidget* parent = nullptr)
        : QWidget(parent), m_caption(caption), m_captionColor(captionColor), m_figureColor(figureColor)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    void setValueText(const QString& text)
    {
        m_value = text;
        setAccessibleName(m_caption + QLatin1Char(' ') + text);
        update();
    }
    QString valueText() const { return m_value; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QFont captionFont = Style::font(Style::Text::callout);
        const QFont figureFont = displayFont(52);
        const QFontMetricsF cm(captionFont), fm(figureFont);
        // The figure's box: from the top of its digits to the bottom of its descenders.
        const QRectF ink = fm.tightBoundingRect(QStringLiteral("0123456789KMGTBbytesZro"));
        const qreal gap = m(2);
        const qreal total = cm.height() + gap + ink.height();
        const qreal top = (height() - total) / 2;
        p.setFont(captionFont);
        p.setPen(m_captionColor);
        p.drawText(QRectF(0, top, width(), cm.height()), Qt::AlignHCenter | Qt::AlignVCenter, m_caption);
        p.setFont(figureFont);
        p.setPen(m_figureColor);
        const qreal baseline = top + cm.height() + gap - ink.top();
        p.drawText(QPointF((width() - fm.horizontalAdvance(m_value)) / 2, baseline), m_value);
    }

private:
    QString m_caption;
    QString m_value;
    QColor m_captionColor;
    QColor m_figureColor;
};

// A one-pixel line between the optional rows, starting under their texts.
class Hairline : public QWidget {
public:
    explicit Hairline(int indent, QWidget* parent = nullptr) : QWidget(parent), m_indent(indent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(QRect(m_indent, 0, width() - m_indent, 1), withAlpha(Style::primary(palette()), 0.08));
    }

private:
    int m_indent;
};

} // namespace

// ---- tables

const QList<OnboardingView::Feature>& OnboardingView::features()
{
    static const QList<Feature> list = {
        {"doc.text.magnifyingglass", QT_TRANSLATE_NOOP("OnboardingView", "Only ever clears regenerable files"),
         QT_TRANSLATE_NOOP("OnboardingView", "Caches and build output \u2014 never your documents, photos, or code.")},
        {"eye.fill", QT_TRANSLATE_NOOP("OnboardingView", "Shows you everything first"),
         QT_TRANSLATE_NOOP("OnboardingView", "Exactly what's removed, and how much space, before you confirm.")},
        {"arrow.uturn.backward.circle.fill", QT_TRANSLATE_NOOP("OnboardingView", "Recoverable by default"),
         QT_TRANSLATE_NOOP("OnboardingView", "Items move to the Trash, so anything can be brought back.")},
    };
    return list;
}

const QList<OnboardingView::ExtraRow>& OnboardingView::extraRows()
{
    static const QList<ExtraRow> list = {
        {"music.note", QT_TRANSLATE_NOOP("OnboardingView", "Apple Music cache"),
         QT_TRANSLATE_NOOP("OnboardingView", "Often the biggest win. Streamed songs re-buffer next time."),
         "musiccache", &AppSettings::cleanMusicCache, &AppSettings::setCleanMusicCache},
        {"macwindow", QT_TRANSLATE_NOOP("OnboardingView", "Saved application state"),
         QT_TRANSLATE_NOOP("OnboardingView", "Apps won't reopen their last windows. Doesn't log you out."),
         "savedstate", &AppSettings::cleanSavedState, &AppSettings::setCleanSavedState},
        {"envelope.fill", QT_TRANSLATE_NOOP("OnboardingView", "Mail attachment previews"),
         QT_TRANSLATE_NOOP("OnboardingView", "Temp copies of opened attachments. Originals stay safe."),
         "maildownloads", &AppSettings::cleanMailDownloads, &AppSettings::setCleanMailDownloads},
    };
    return list;
}

// ---- construction

OnboardingView::OnboardingView(AppModel& model, AppSettings& settings, std::function<void()> onFinish, QWidget* parent)
    : QWidget(parent),
      m_model(model),
      m_settings(settings),
      m_onFinish(std::move(onFinish)),
      m_offered([](const QString& id) { return CleanupCatalog::isOffered(id); }),
      m_reduceMotion(AccessibilityPrefs::reduceMotion()),
      m_opaqueBackdrop(!Compositing::translucentWindowsWork())
{
    setObjectName(QStringLiteral("onboarding"));
    setAttribute(Qt::WA_TranslucentBackground);

    m_aurora = new AuroraBackground(m_reduceMotion, this);
    m_card = new OnboardingCard(this);
    m_card->setOpaque(m_opaqueBackdrop);
    if (!m_reduceMotion) {
        // Hidden, a little small and blurred until it enters.
        auto* entrance = new MotionEffect;
        entrance->set(0, QPointF(), 0.9, 14);
        m_card->setGraphicsEffect(entrance);
    }

    auto* cardLayout = column(m_card, 0);
    const int margin = OnboardingCard::shadowMargin();
    cardLayout->setContentsMargins(margin, margin, margin, margin);
    // A page taller than the card (a large font on a small screen) scrolls, its scroll bar inside
    // the card's rounded edge; the controls under it stay. The card draws the background.
    auto* pageBox = new QWidget(m_card);
    column(pageBox, 0)->setContentsMargins(m(16), m(16), m(16), 0);
    auto* pageScroll = new FitScrollArea(pageBox);
    pageScroll->setObjectName(QStringLiteral("pageScroll"));
    pageScroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    m_pageArea = new QWidget(pageScroll);
    m_pageLayout = column(m_pageArea, 0);
    m_pageLayout->setContentsMargins(m(24), m(24), m(24), m(12));
    pageScroll->setWidget(m_pageArea);
    m_pageArea->setAutoFillBackground(false);
    pageScroll->viewport()->setAutoFillBackground(false);
    pageBox->layout()->addWidget(pageScroll);
    cardLayout->addWidget(pageBox, 1);
    cardLayout->addWidget(controls());

    m_reveal = new QVariantAnimation(this);
    m_reveal->setDuration(kRevealMs);
    m_reveal->setEasingCurve(easeOut());
    connect(m_reveal, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& v) { setRevealValue(qint64(std::llround(v.toDouble()))); });

    // Return moves on (or finishes on the last page); Escape skips, except on the last page.
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* ret = new QShortcut(QKeySequence(key), this);
        ret->setContext(Qt::WindowShortcut);
        connect(ret, &QShortcut::activated, this, [this] {
            if (m_step < kLastStep)
                advance();
            else
                finish();
        });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (m_step < kLastStep)
            finish();
    });

    connect(&m_model, &AppModel::targetsChanged, this, &OnboardingView::followScanning);

    showPage(false);
    updateControls();
}

OnboardingView::~OnboardingView() = default;

void OnboardingView::setGrainSeed(quint32 seed) { m_card->setGrainSeed(seed); }

void OnboardingView::setOpaqueBackdrop(bool opaque)
{
    m_opaqueBackdrop = opaque;
    m_card->setOpaque(opaque);
    showPage(false); // its text colours follow what lies behind the card
    update();
}

void OnboardingView::setOffered(std::function<bool(const QString&)> offered)
{
    m_offered = std::move(offered);
    if (m_step == 2)
        showPage(false);
}

namespace {
// `over` laid on `under` (both as they look: `under` opaque).
QColor composite(const QColor& over, const QColor& under)
{
    const float a = over.alphaF();
    return QColor::fromRgbF(over.redF() * a + under.redF() * (1 - a), over.greenF() * a + under.greenF() * (1 - a),
                            over.blueF() * a + under.blueF() * (1 - a));
}
} // namespace

QColor OnboardingView::secondaryText(const QList<QColor>& fills) const
{
    // The card as it can look at worst: its fill over a black desktop (light palette) or a white
    // one (dark palette); then each tinted fill a text may stand on.
    const QColor window = palette().color(QPalette::Window);
    QColor card = window;
    if (!m_opaqueBackdrop) {
        const bool light = Style::contrastRatio(window, Qt::black) > Style::contrastRatio(window, Qt::white);
        card = composite(m_card->fillColor(), light ? QColor(Qt::black) : QColor(Qt::white));
    }
    QList<QColor> grounds{card};
    for (const QColor& fill : fills)
        grounds.append(composite(fill, card));
    // The dimmed text made for each ground; the one that reads best on the worst of them.
    const QColor text = Style::primary(palette());
    QColor best;
    double bestWorst = -1;
    for (const QColor& ground : std::as_const(grounds)) {
        const QColor candidate = Style::secondaryOn(text, ground);
        double worst = 21;
        for (const QColor& other : std::as_const(grounds))
            worst = std::min(worst, Style::contrastRatio(candidate, other));
        if (worst > bestWorst) {
            bestWorst = worst;
            best = candidate;
        }
    }
    return best;
}

// ---- controls

QWidget* OnboardingView::controls()
{
    auto* row = new QWidget(m_card);
    auto* l = new QHBoxLayout(row);
    l->setContentsMargins(m(28), m(18), m(28), m(18));
    l->setSpacing(m(10));

    auto* back = new QToolButton(row);
    back->setAutoRaise(true);
    back->setIcon(Symbol::icon(QStringLiteral("chevron.left"), Style::secondary(), 16));
    back->setIconSize(QSize(16, 16));
    back->setToolTip(tr("Back"));
    back->setAccessibleName(tr("Back"));
    back->setFocusPolicy(Qt::TabFocus);
    connect(back, &QToolButton::clicked, this, &OnboardingView::back);
    m_back = back;
    l->addWidget(back, 0, Qt::AlignVCenter);

    m_dots = new StepDots(kLastStep + 1, row);
    l->addWidget(m_dots, 0, Qt::AlignVCenter);
    l->addStretch(1);

    auto* skip = new QPushButton(tr("Skip for now"), row);
    skip->setFlat(true);
    skip->setFont(Style::font(Style::Text::body));
    QPalette pal = skip->palette();
    pal.setColor(QPalette::ButtonText, Style::secondary());
    skip->setPalette(pal);
    skip->setCursor(Qt::PointingHandCursor);
    connect(skip, &QPushButton::clicked, this, &OnboardingView::finish);
    m_skip = skip;
    l->addWidget(skip, 0, Qt::AlignVCenter);

    auto* cont = new CleanActionButton(
        tr("Continue"), QString(), true, [this] { advance(); }, row);
    cont->setMinimumHeight(m(32));
    cont->setMinimumWidth(cont->sizeHint().width() + m(20));
    m_continue = cont;
    l->addWidget(cont, 0, Qt::AlignVCenter);

    auto* start = new CleanActionButton(
        tr("Get Started"), QString(), true, [this] { finish(); }, row);
    start->setMinimumHeight(m(32));
    start->setMinimumWidth(start->sizeHint().width() + m(20));
    m_getStarted = start;
    l->addWidget(start, 0, Qt::AlignVCenter);
    return row;
}

void OnboardingView::updateControls()
{
    m_back->setVisible(m_step >= 1);
    m_skip->setVisible(m_step < kLastStep);
    m_continue->setVisible(m_step < kLastStep);
    m_getStarted->setVisible(m_step >= kLastStep);
}

// ---- moving between pages

void OnboardingView::advance() { setStep(std::min(m_step + 1, kLastStep)); }

void OnboardingView::back() { setStep(std::max(m_step - 1, 0)); }

void OnboardingView::setStep(int step)
{
    if (step == m_step)
        return;
    m_step = step;
    ++m_heroPulse;
    m_dots->setStep(step); // the dots keep their spring even with reduce motion
    showPage(!m_reduceMotion);
    updateControls();
    pageCameOnScreen();
}

void OnboardingView::showPage(bool crossFade)
{
    QPointer<QWidget> leaving;
    if (QWidget* old = m_page) {
        if (crossFade && old->isVisible()) {
            auto* ghost = new FadingSnapshot(old->grab(), m_pageArea);
            leaving = ghost;
            ghost->setGeometry(old->geometry());
            auto* fade = new QVariantAnimation(ghost);
            fade->setStartValue(1.0);
            fade->setEndValue(0.0);
            fade->setDuration(kPageMs);
            fade->setEasingCurve(easeInOut());
            connect(fade, &QVariantAnimation::valueChanged, ghost,
                    [ghost](const QVariant& v) { ghost->setOpacity(v.toDouble()); });
            connect(fade, &QAbstractAnimation::finished, ghost, &QObject::deleteLater);
            ghost->show();
            fade->start();
        }
        m_pageLayout->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
    m_page = nullptr;
    m_trashSwitch = nullptr;
    m_result = nullptr;
    m_figure = nullptr;

    QWidget* page = buildPage();
    QWidget* holder = page;
    if (crossFade) {
        holder = new QWidget;
        column(holder, 0)->addWidget(page);
        auto* effect = new MotionEffect;
        effect->set(0, QPointF());
        holder->setGraphicsEffect(effect);
        auto* fade = new QVariantAnimation(holder);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        fade->setDuration(kPageMs);
        fade->setEasingCurve(easeInOut());
        connect(fade, &QVariantAnimation::valueChanged, holder,
                [effect](const QVariant& v) { effect->set(v.toDouble(), QPointF()); });
        connect(fade, &QAbstractAnimation::finished, holder, [holder] { holder->setGraphicsEffect(nullptr); });
        fade->start();
    }
    m_page = holder;
    m_pageLayout->addWidget(holder);
    if (leaving)
        leaving->raise();
}

QWidget* OnboardingView::buildPage()
{
    switch (m_step) {
    case 0: return welcome();
    case 1: return safety();
    case 2: return personalize();
    default: return activation();
    }
}

// ---- pages

namespace {

GlowHero* hero(const QString& symbol, const QColor& tint, bool bounce)
{
    auto* h = new GlowHero(symbol, tint);
    if (bounce)
        h->bounce();
    return h;
}

} // namespace

QWidget* OnboardingView::welcome()
{
    auto* page = new OnboardingPage;
    auto* col = column(page, m(22));
    col->addStretch(1);
    col->addWidget(hero(QStringLiteral("internaldrive.fill"), Style::accent(), !m_reduceMotion && m_heroPulse > 0), 0,
                   Qt::AlignHCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(m(12));
    texts->addWidget(label(tr("Welcome to Dustlet"), displayFont(38), Style::primary(), Qt::AlignHCenter));
    texts->addWidget(
        label(DesktopTerms::welcomeTagline(), Style::font(Style::Text::title3), secondaryText(), Qt::AlignHCenter));
    col->addLayout(texts);
    col->addStretch(1);
    staggeredAppear(page, 0, m_reduceMotion);
    return page;
}

QWidget* OnboardingView::safety()
{
    const QColor secondary = secondaryText();
    const QColor accent = Style::accent();
    const QColor onRows = secondaryText({withAlpha(Style::primary(), kRowFill), withAlpha(accent, kTrashFill)});
    auto* page = new OnboardingPage;
    auto* col = column(page, m(18));
    col->addStretch(1);

    auto* header = new QVBoxLayout;
    header->setSpacing(m(6));
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(m(8));
    const QFont titleFont = Style::rounded(Style::Text::largeTitle, QFont::Bold);
    titleRow->addWidget(new SymbolView(QStringLiteral("checkmark.shield.fill"),
                                       Style::pixelSize(Style::Text::largeTitle), Style::green(), page),
                        0, Qt::AlignVCenter);
    const QColor green = Style::legible(Style::green(), palette());
    titleRow->addWidget(label(tr("Safe by design"), titleFont, green), 1);
    header->addLayout(titleRow);
    header->addWidget(label(tr("Dustlet is built so you never lose anything that matters."),
                            Style::font(Style::Text::title3), secondary));
    col->addLayout(header);

    auto* rows = new QVBoxLayout;
    rows->setSpacing(m(10));
    int index = 0;
    for (const Feature& f : features()) {
        auto* row = new FeatureRow(QString::fromLatin1(f.symbol), tr(f.title), tr(f.subtitle), onRows, page);
        staggeredAppear(row, index++, m_reduceMotion);
        rows->addWidget(row);
    }
    col->addLayout(rows);

    auto* trash = new RowPanel(withAlpha(accent, kTrashFill), withAlpha(accent, 0.25), m(14), page);
    const QString trashTitle = tr("Move cleaned items to the Trash");
    QHBoxLayout* trashRow = chipRow(trash, QStringLiteral("trash.fill"), trashTitle,
                                    tr("Recommended \u2014 recover anything you change your mind about."), onRows);
    auto* toggle = new ToggleSwitch(trash);
    toggle->setAccessibleName(trashTitle);
    toggle->setChecked(m_settings.moveToTrash());
    connect(toggle, &ToggleSwitch::toggled, this, [this](bool on) { m_settings.setMoveToTrash(on); });
    connect(&m_settings, &AppSettings::moveToTrashChanged, toggle, [this, toggle] {
        const QSignalBlocker quiet(toggle);
        toggle->setChecked(m_settings.moveToTrash());
    });
    trashRow->addWidget(toggle, 0, Qt::AlignVCenter);
    m_trashSwitch = toggle;
    staggeredAppear(trash, 3, m_reduceMotion);
    col->addWidget(trash);

    col->addStretch(1);
    return page;
}

QWidget* OnboardingView::personalize()
{
    const QColor secondary = secondaryText();
    const QColor onRows = secondaryText({withAlpha(Style::primary(), kRowFill)});
    const QColor onCards = secondaryText({ChoiceCard::fill(false), ChoiceCard::fill(true)});
    auto* page = new OnboardingPage;
    auto* col = column(page, m(18));

    auto* header = new QVBoxLayout;
    header->setSpacing(m(6));
    header->addWidget(
        label(DesktopTerms::usageQuestion(), Style::rounded(Style::Text::largeTitle, QFont::Bold), Style::primary()));
    header->addWidget(label(tr("This just decides how much detail you see \u2014 you can switch any time."),
                            Style::font(Style::Text::title3), secondary));
    col->addLayout(header);

    auto* choices = new QHBoxLayout;
    choices->setSpacing(m(14));
    const bool developer = m_settings.developerMode();
    auto* simple = new ChoiceCard(
        QStringLiteral("sparkles"), tr("Just clean up"), tr("Everyday caches, one tap."), !developer,
        [this] { m_settings.setDeveloperMode(false); }, page);
    // Xcode is named only where the platform has its targets.
    const QString devCaches = m_offered(QStringLiteral("derived")) ? tr("Also Xcode, npm, Docker & node_modules.")
                                                                   : tr("Also npm, Gradle, Docker & node_modules.");
    auto* dev = new ChoiceCard(
        QStringLiteral("chevron.left.forwardslash.chevron.right"), tr("I'm a developer"), devCaches, developer,
        [this] { m_settings.setDeveloperMode(true); }, page);
    for (ChoiceCard* card : {simple, dev}) {
        card->setSecondaryText(onCards);
        choices->addWidget(card, 1);
    }
    connect(&m_settings, &AppSettings::developerModeChanged, page, [this, simple, dev] {
        simple->setSelected(!m_settings.developerMode());
        dev->setSelected(m_settings.developerMode());
    });
    col->addLayout(choices);

    // Only the optional caches this platform has; with none the section is left out.
    QList<ExtraRow> offered;
    for (const ExtraRow& row : extraRows())
        if (m_offered(QString::fromLatin1(row.targetId)))
            offered.append(row);
    if (!offered.isEmpty()) {
        auto* section = new QVBoxLayout;
        section->setSpacing(m(8));
        section->addWidget(label(tr("RECLAIM A LITTLE MORE \u2014 OPTIONAL"),
                                 Style::font(Style::Text::caption2, QFont::Bold), secondary));
        auto* group = new RowPanel(withAlpha(Style::primary(), kRowFill), QColor(), m(14), page);
        auto* groupRows = column(group, 0);
        const int indent = m(12) + IconChip::kSide + m(14);
        for (int i = 0; i < offered.size(); ++i) {
            const ExtraRow& row = offered[i];
            if (i > 0)
                groupRows->addWidget(new Hairline(indent, group));
            auto* line = new QWidget(group);
            line->setObjectName(QString::fromLatin1(row.targetId));
            const QString title = tr(row.title);
            QHBoxLayout* l = chipRow(line, QString::fromLatin1(row.symbol), title, tr(row.subtitle), onRows);
            l->addSpacing(m(8));
            auto* toggle = new ToggleSwitch(line);
            toggle->setAccessibleName(title);
            toggle->setObjectName(QString::fromLatin1(row.targetId));
            toggle->setChecked((m_settings.*row.get)());
            const auto set = row.set;
            const auto get = row.get;
            connect(toggle, &ToggleSwitch::toggled, this, [this, set](bool on) { (m_settings.*set)(on); });
            connect(&m_settings, &AppSettings::settingChanged, toggle, [this, toggle, get] {
                const QSignalBlocker quiet(toggle);
                toggle->setChecked((m_settings.*get)());
            });
            l->addWidget(toggle, 0, Qt::AlignVCenter);
            groupRows->addWidget(line);
        }
        section->addWidget(group);
        col->addLayout(section);
    }
    col->addStretch(1);
    staggeredAppear(page, 0, m_reduceMotion);
    return page;
}

QWidget* OnboardingView::activation()
{
    auto* page = new OnboardingPage;
    auto* col = column(page, m(18));
    col->addStretch(1);
    col->addWidget(hero(QStringLiteral("checkmark.circle.fill"), Style::green(), !m_reduceMotion && m_heroPulse > 0), 0,
                   Qt::AlignHCenter);
    col->addWidget(label(tr("You're all set"), displayFont(38), Style::primary(), Qt::AlignHCenter));

    const QColor secondary = secondaryText();
    auto* result = new QStackedWidget(page);
    result->setFixedHeight(m(64));
    auto* sizing = new QWidget(result);
    auto* sizingRow = new QHBoxLayout(sizing);
    sizingRow->setContentsMargins(0, 0, 0, 0);
    sizingRow->setSpacing(m(8));
    sizingRow->addStretch(1);
    sizingRow->addWidget(new ProgressSpinner(16, sizing), 0, Qt::AlignVCenter);
    sizingRow->addWidget(
        makePlainLabel(tr("Sizing up what you can clean\u2026"), Style::font(Style::Text::body), secondary, sizing), 0,
        Qt::AlignVCenter);
    sizingRow->addStretch(1);
    result->addWidget(sizing);
    const QColor figureColor = Style::accentText(palette());
    auto* figure = new RevealFigure(tr("Ready to free up"), secondary, figureColor, result);
    figure->setValueText(formatBytes(m_revealValue));
    result->addWidget(figure);
    col->addWidget(result);
    m_result = result;
    m_figure = figure;

    col->addWidget(label(DesktopTerms::openAnyTime(), Style::font(Style::Text::callout), secondary, Qt::AlignHCenter));
    col->addStretch(1);
    staggeredAppear(page, 0, m_reduceMotion);
    return page;
}

QList<ToggleSwitch*> OnboardingView::extraSwitches() const
{
    QList<ToggleSwitch*> out;
    if (!m_page || m_step != 2)
        return out;
    for (ToggleSwitch* s : m_page->findChildren<ToggleSwitch*>())
        out.append(s);
    return out;
}

QList<ChoiceCard*> OnboardingView::choiceCards() const
{
    return m_page && m_step == 2 ? m_page->findChildren<ChoiceCard*>() : QList<ChoiceCard*>();
}

// ---- the last page: sizing and the reveal

void OnboardingView::pageCameOnScreen()
{
    if (m_step != kLastStep)
        return;
    if (!m_didKickScan) {
        m_didKickScan = true;
        // A model started earlier only refreshes its disk figures on start(): the targets the
        // rebuild has just added are measured here.
        const bool started = m_model.hasStarted();
        m_model.rebuildTargets();
        if (started)
            m_model.scanAll();
        m_model.start();
    }
    m_lastScanning = m_model.isScanning();
    updateResultArea();
    if (!m_lastScanning)
        revealFinalValue();
}

void OnboardingView::followScanning()
{
    if (m_step != kLastStep || m_finished)
        return;
    updateResultArea();
    const bool scanning = m_model.isScanning();
    if (scanning == m_lastScanning)
        return;
    m_lastScanning = scanning;
    if (!scanning)
        revealFinalValue();
}

void OnboardingView::updateResultArea()
{
    if (m_result)
        m_result->setCurrentIndex(m_model.isScanning() ? 0 : 1);
}

void OnboardingView::revealFinalValue()
{
    const qint64 total = m_model.totalReclaimable();
    m_reveal->stop();
    if (m_reduceMotion) {
        setRevealValue(total);
        return;
    }
    // Counted up through doubles: the animation framework has no 64-bit integer interpolation.
    m_reveal->setStartValue(double(m_revealValue));
    m_reveal->setEndValue(double(total));
    m_reveal->start();
}

void OnboardingView::setRevealValue(qint64 value)
{
    m_revealValue = value;
    if (auto* figure = static_cast<RevealFigure*>(m_figure.data()))
        figure->setValueText(formatBytes(value));
}

bool OnboardingView::isShowingSizing() const { return m_result && m_result->currentIndex() == 0; }

QString OnboardingView::revealText() const
{
    if (!m_result || m_result->currentIndex() != 1)
        return QString();
    return static_cast<RevealFigure*>(m_figure.data())->valueText();
}

// ---- leaving

namespace {
// A target listed without a size and not being measured.
bool hasUnmeasuredTarget(const AppModel& model)
{
    return std::any_of(model.targets().cbegin(), model.targets().cend(),
                       [](const TargetState& t) { return !t.size && !t.isScanning; });
}
} // namespace

void OnboardingView::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_reveal->stop();
    m_settings.setHasCompletedOnboarding(true);
    const bool started = m_model.hasStarted();
    m_model.rebuildTargets();
    // A started model measures nothing on start(): targets the rebuild added (choices changed
    // since the last page sized everything, or the flow was left before it) are measured here.
    if (started && hasUnmeasuredTarget(m_model))
        m_model.scanAll();
    // The host closes the window here and may let this view go: nothing of it is used after.
    AppModel& model = m_model;
    const std::function<void()> onFinish = m_onFinish;
    if (onFinish)
        onFinish();
    model.start();
}

// ---- the window's surface

void OnboardingView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_entered)
        return;
    m_entered = true;
    if (m_reduceMotion)
        m_cardShown = true;
    else
        QTimer::singleShot(kCardDelayMs, this, &OnboardingView::enterCard);
}

void OnboardingView::enterCard()
{
    m_cardShown = true;
    auto* effect = qobject_cast<MotionEffect*>(m_card->graphicsEffect());
    if (!effect)
        return;
    auto* spring = new QVariantAnimation(this);
    spring->setStartValue(0.0);
    spring->setEndValue(1.0);
    spring->setDuration(springDurationMs(kCardResponse));
    spring->setEasingCurve(OnboardingMotion::spring());
    connect(spring, &QVariantAnimation::valueChanged, effect, [effect](const QVariant& v) {
        const qreal t = v.toDouble();
        effect->set(t, QPointF(), 0.9 + 0.1 * t, 14 * (1 - t));
    });
    connect(spring, &QAbstractAnimation::finished, this, [this] { m_card->setGraphicsEffect(nullptr); });
    spring->start(QAbstractAnimation::DeleteWhenStopped);
}

void OnboardingView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_aurora->setGeometry(rect());
    m_card->setSide(OnboardingCard::sideFor(size()));
    m_card->move((width() - m_card->width()) / 2, (height() - m_card->height()) / 2);
}

void OnboardingView::paintEvent(QPaintEvent*)
{
    if (!m_opaqueBackdrop)
        return;
    QPainter p(this);
    AuroraBackground::paintBackdrop(p, rect());
}
