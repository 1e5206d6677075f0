#include "views/panel/MenuPanelView.h"

#include "views/components/Labels.h"

#include "platform/ByteCountFormatter.h"
#include "platform/Clock.h"
#include "platform/DesktopTerms.h"
#include "views/WindowIds.h"
#include "views/Windows.h"
#include "views/components/CleanActionButton.h"
#include "views/components/DiskUsageRingView.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/FitScrollArea.h"
#include "views/components/FocusRing.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/panel/TargetRowView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace {

// The tool buttons under the list, in the order shown (and tabbed through): the window each
// opens and the large-files tab it shows first (-1: none).
struct Tool {
    const char* title; // English source text (context "MenuPanelView")
    const char* symbol;
    const char* id;
    const char* key; // the button's name: "tool:<key>"
    int tab;
};
const Tool kTools[] = {
    {QT_TRANSLATE_NOOP("MenuPanelView", "Disk Map"), "rectangle.3.group", WindowId::diskmap, "diskmap", -1},
    {QT_TRANSLATE_NOOP("MenuPanelView", "Large Files"), "doc.text.magnifyingglass", WindowId::largefiles, "largefiles",
     0},
    {QT_TRANSLATE_NOOP("MenuPanelView", "Duplicates"), "doc.on.doc", WindowId::largefiles, "duplicates", 1},
    {QT_TRANSLATE_NOOP("MenuPanelView", "Uninstall"), "xmark.bin", WindowId::uninstaller, "uninstaller", -1},
};

// The windows of the "More" menu, in order; some only in developer mode.
struct MoreItem {
    const char* title; // English source text (context "MenuPanelView")
    const char* symbol;
    const char* id;
    bool developerOnly;
};
const MoreItem kMoreItems[] = {
    {QT_TRANSLATE_NOOP("MenuPanelView", "Project Cleanup"), "shippingbox", WindowId::projectcleanup, true},
    {QT_TRANSLATE_NOOP("MenuPanelView", "Free Up Snapshots"), "clock.arrow.circlepath", WindowId::snapshots, false},
    {QT_TRANSLATE_NOOP("MenuPanelView", "Startup Items"), "power", WindowId::startup, false},
    {QT_TRANSLATE_NOOP("MenuPanelView", "App & Tool Updates"), "arrow.triangle.2.circlepath", WindowId::appupdates,
     true},
};

// The panel's lengths, scaled with the application font.
int rowHeight() { return Style::metric(MenuPanelView::kRowHeight); }
int headerHeight() { return Style::metric(MenuPanelView::kHeaderHeight); }

void setTextColor(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

void paintDivider(QWidget* w)
{
    QPainter p(w);
    p.setPen(Style::separator(w->palette()));
    p.drawLine(Style::metric(48), w->height() - 1, w->width(), w->height() - 1);
}

// The size of a group or target, or its spinner, in a column as wide as the widest size.
QWidget* sizeColumn(QLabel* size, ProgressSpinner* spinner, QWidget* parent)
{
    auto* column = new QWidget(parent);
    column->setObjectName(QStringLiteral("sizeColumn"));
    column->setFixedWidth(std::max(sizeColumnWidth(size->font()), spinner->sizeHint().width()));
    auto* row = new QHBoxLayout(column);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addStretch(1);
    size->setParent(column);
    size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(size);
    spinner->setParent(column);
    row->addWidget(spinner);
    return column;
}

// The rescan arrow, drawn turned by its angle about its centre.
class SpinningButton : public QToolButton {
public:
    explicit SpinningButton(QWidget* parent) : QToolButton(parent)
    {
        setAutoRaise(true);
        setFixedSize(Style::metric(26), Style::metric(26));
        setCursor(Qt::ArrowCursor);
        FocusRing::attach(this);
    }
    void setAngle(double degrees)
    {
        m_angle = degrees;
        update();
    }
    double angle() const { return m_angle; }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QToolButton::paintEvent(e);
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(width() / 2.0, height() / 2.0);
        p.rotate(m_angle);
        const int px = Style::metric(14);
        const QPixmap pm =
            Symbol::pixmap(QStringLiteral("arrow.clockwise"), px, Style::secondary(palette()), devicePixelRatioF());
        p.drawPixmap(QPointF(-px / 2.0, -px / 2.0), pm);
    }

private:
    double m_angle = 0;
};

// A pinned section header of the developer list.
class SectionHeader : public QWidget {
public:
    SectionHeader(CleanupCategory category, QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("sectionHeader:") + rawValue(category));
        setFixedHeight(headerHeight());
        setAutoFillBackground(true);
        QPalette pal = palette();
        // A bar: slightly set off from the list, opaque so rows pass under it.
        const QColor bar = Style::bar(pal);
        pal.setColor(QPalette::Window, bar);
        setPalette(pal);
        const QColor text = Style::secondaryOn(Style::primary(), bar);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(Style::metric(16), 0, Style::metric(16), 0);
        row->setSpacing(Style::metric(6));
        row->addWidget(new SymbolView(MenuPanelView::sectionSymbol(category), Style::pixelSize(Style::Text::caption2),
                                      text, this));
        m_title = makePlainLabel(MenuPanelView::sectionTitle(category).toUpper(),
                                 Style::font(Style::Text::caption2, QFont::DemiBold), text, this);
        m_title->setObjectName(QStringLiteral("sectionTitle"));
        row->addWidget(m_title);
        row->addStretch(1);
    }

private:
    QLabel* m_title;
};

} // namespace

// ---- SimpleGroupRow ----

SimpleGroupRow::SimpleGroupRow(AppModel& model, const AppModel::SimpleGroup& group, QWidget* parent)
    : QWidget(parent), m_model(model), m_group(group)
{
    setObjectName(QStringLiteral("groupRow:") + group.id);
    setFixedHeight(rowHeight());
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Style::metric(16), 0, Style::metric(16), 0);
    row->setSpacing(Style::metric(10));

    m_check = new QCheckBox(this);
    m_check->setToolTip(tr("Include in clean-up"));
    connect(m_check, &QCheckBox::clicked, this, [this](bool on) { m_model.setGroupEnabled(on, m_group); });
    FocusRing::attach(m_check);
    row->addWidget(m_check);

    m_symbol = new SymbolView(group.symbol, Style::pixelSize(Style::Text::body) + 2, this);
    m_symbol->setFixedWidth(Style::metric(22));
    row->addWidget(m_symbol);

    m_title = new ElidedLabel(group.title, this);
    m_title->setObjectName(QStringLiteral("groupTitle"));
    m_title->setElideMode(Qt::ElideRight);
    m_title->setFont(Style::font(Style::Text::callout, QFont::Medium));
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_title, 1);
    row->addSpacing(std::max(0, Style::metric(8) - row->spacing()));

    m_size = makePlainLabel(QString(), Style::font(Style::Text::callout, QFont::Medium), Style::primary(), this);
    m_spinner = new ProgressSpinner(Style::metric(14), this);
    row->addWidget(sizeColumn(m_size, m_spinner, this));

    setGroup(group);
}

void SimpleGroupRow::setGroup(const AppModel::SimpleGroup& group)
{
    m_group = group;
    const bool enabled = m_model.isGroupEnabled(group);
    m_check->setChecked(enabled);
    m_check->setAccessibleName(tr("Include %1 in clean-up").arg(group.title));
    m_symbol->setName(group.symbol);
    m_symbol->setTint(enabled ? Style::accent() : Style::secondary());
    m_title->setText(group.title);
    // Excluded: the title dimmed towards the background, still readable (4.5:1).
    m_title->setColor(enabled ? Style::primary(palette())
                              : Style::inactive(Style::primary(palette()), palette().color(QPalette::Window)));
    m_spinner->setVisible(group.isScanning);
    m_size->setVisible(!group.isScanning);
    m_size->setText(formatBytes(group.size));
    setTextColor(m_size, group.size >= 1 ? Style::primary() : Style::secondary());
}

void SimpleGroupRow::setShowsDivider(bool shows)
{
    m_divider = shows;
    update();
}

void SimpleGroupRow::paintEvent(QPaintEvent*)
{
    if (m_divider)
        paintDivider(this);
}

QColor SimpleGroupRow::titleColor() const { return m_title->color(); }
QColor SimpleGroupRow::symbolTint() const { return m_symbol->tint(); }
bool SimpleGroupRow::isSpinnerShown() const { return !m_spinner->isHidden(); }
QString SimpleGroupRow::sizeText() const { return m_size->isHidden() ? QString() : m_size->text(); }
QColor SimpleGroupRow::sizeColor() const { return m_size->palette().color(QPalette::WindowText); }

// ---- The sectioned list ----

// Rows and headers are placed by hand: sections follow each other, a header of 28 above rows of
// 44, and each header stays at the top of the visible part while its section scrolls under it.
class MenuPanelView::SectionList : public QWidget {
public:
    SectionList(AppModel& model, std::function<void(const QString&)> onClean, QWidget* parent)
        : QWidget(parent), m_model(model), m_onClean(std::move(onClean))
    {
    }

    void showSections(const QList<AppModel::Section>& sections)
    {
        QHash<QString, TargetRowView*> rows;
        QHash<int, QWidget*> headers;
        m_placed.clear();
        int top = 0;
        for (const AppModel::Section& section : sections) {
            QWidget* header = m_headers.take(int(section.category));
            if (!header) {
                header = new SectionHeader(section.category, this);
                header->show();
            }
            headers.insert(int(section.category), header);
            Placed placed{header, top, headerHeight() + rowHeight() * int(section.items.size()), {}};
            for (qsizetype i = 0; i < section.items.size(); ++i) {
                const TargetState& state = section.items[i];
                TargetRowView* row = m_rows.take(state.id());
                if (row) {
                    row->setState(state);
                } else {
                    const QString id = state.id();
                    row = new TargetRowView(
                        m_model, state, [this, id] { m_onClean(id); }, this);
                    row->show();
                }
                row->setShowsDivider(i + 1 < section.items.size());
                rows.insert(state.id(), row);
                placed.rows.append(row);
            }
            m_placed.append(placed);
            top += placed.height;
        }
        // What is no longer listed goes.
        qDeleteAll(m_rows);
        qDeleteAll(m_headers);
        m_rows = rows;
        m_headers = headers;
        setFixedHeight(std::max(top, 1));
        relayout();
    }

    void setScrollOffset(int y)
    {
        m_scrollY = y;
        pinHeaders();
    }

    TargetRowView* row(const QString& id) const { return m_rows.value(id); }
    QWidget* header(CleanupCategory c) const { return m_headers.value(int(c)); }
    QList<TargetRowView*> orderedRows() const
    {
        QList<TargetRowView*> out;
        for (const Placed& p : m_placed)
            out += p.rows;
        return out;
    }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QWidget::resizeEvent(e);
        relayout();
    }

private:
    struct Placed {
        QWidget* header;
        int top;
        int height;
        QList<TargetRowView*> rows;
    };

    void relayout()
    {
        for (const Placed& p : std::as_const(m_placed)) {
            int y = p.top + headerHeight();
            for (TargetRowView* row : p.rows) {
                row->setGeometry(0, y, width(), rowHeight());
                y += rowHeight();
            }
        }
        pinHeaders();
    }

    void pinHeaders()
    {
        for (const Placed& p : std::as_const(m_placed)) {
            const int y = std::clamp(m_scrollY, p.top, p.top + p.height - headerHeight());
            p.header->setGeometry(0, y, width(), headerHeight());
            p.header->raise();
        }
    }

    AppModel& m_model;
    std::function<void(const QString&)> m_onClean;
    QHash<QString, TargetRowView*> m_rows;
    QHash<int, QWidget*> m_headers;
    QList<Placed> m_placed;
    int m_scrollY = 0;
};

// ---- MenuPanelView ----

MenuPanelView::MenuPanelView(AppModel& model, Windows& windows, Clock* clock, QWidget* parent, HostPlatform platform)
    : QWidget(parent),
      m_model(model),
      m_windows(windows),
      m_clock(clock ? clock : &SystemClock::shared()),
      m_platform(platform)
{
    setObjectName(QStringLiteral("menuPanelView"));
    setFixedWidth(Style::metric(kWidth));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    column->addWidget(makeHeader());
    column->addWidget(makeDivider(this));

    // Both lists take their whole height, and scroll only when the panel would be taller than
    // the screen: then the header and the footer stay, and the list gives way.
    m_simpleScroll = new FitScrollArea(this);
    m_simpleScroll->setObjectName(QStringLiteral("simpleListScroll"));
    m_simple = new QWidget(m_simpleScroll);
    m_simple->setObjectName(QStringLiteral("simpleList"));
    auto* simpleLayout = new QVBoxLayout(m_simple);
    simpleLayout->setContentsMargins(0, Style::metric(4), 0, Style::metric(4));
    simpleLayout->setSpacing(0);
    m_simpleScroll->setWidget(m_simple);
    m_simpleScroll->setLeastHeight(rowHeight() + Style::metric(8));
    column->addWidget(m_simpleScroll);

    m_scroll = new FitScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("targetList"));
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setLeastHeight(headerHeight() + rowHeight());
    m_sections = new SectionList(
        m_model,
        [this](const QString& id) {
        m_model.requestClean(id);
        open(QString::fromLatin1(WindowId::confirm));
        },
        m_scroll);
    m_scroll->setWidget(m_sections);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { m_sections->setScrollOffset(value); });
    column->addWidget(m_scroll);

    column->addWidget(makeDivider(this));
    column->addWidget(makeFooter());

    const auto queue = [this] { scheduleUpdate(); };
    connect(&m_model, &AppModel::diskChanged, this, queue);
    connect(&m_model, &AppModel::targetsChanged, this, queue);
    connect(&m_model, &AppModel::isCleaningAllChanged, this, queue);
    connect(&m_model, &AppModel::statusMessageChanged, this, queue);
    connect(&m_model, &AppModel::lastScanChanged, this, queue);
    connect(&m_model, &AppModel::changed, this, queue);
    connect(&m_model.settings(), &AppSettings::settingChanged, this, queue);

    update_();
}

MenuPanelView::~MenuPanelView() = default;

QWidget* MenuPanelView::makeHeader()
{
    auto* block = new QWidget(this);
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(Style::metric(16), Style::metric(14), Style::metric(16), Style::metric(14));
    column->setSpacing(Style::metric(12));

    auto* row = new QHBoxLayout;
    row->setSpacing(Style::metric(2));
    auto* title = new QHBoxLayout;
    title->setSpacing(Style::metric(6));
    title->addWidget(new SymbolView(QStringLiteral("sparkles"), Style::pixelSize(Style::Text::headline) + 2,
                                    Style::accent(), block));
    title->addWidget(
        makePlainLabel(QStringLiteral("Dustlet"), Style::font(Style::Text::headline), Style::primary(), block));
    row->addLayout(title);
    row->addStretch(1);
    m_freshness = makePlainLabel(QString(), Style::font(Style::Text::caption2), Style::tertiary(), block);
    m_freshness->setObjectName(QStringLiteral("freshness"));
    m_freshness->setContentsMargins(0, 0, Style::metric(2), 0);
    row->addWidget(m_freshness);

    auto* rescan = new SpinningButton(block);
    rescan->setObjectName(QStringLiteral("rescanButton"));
    rescan->setToolTip(tr("Rescan sizes"));
    rescan->setAccessibleName(tr("Rescan sizes"));
    m_rescan = rescan;
    m_spinAnimation = new QVariantAnimation(this);
    m_spinAnimation->setDuration(600);
    m_spinAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_spinAnimation, &QVariantAnimation::valueChanged, rescan,
            [rescan](const QVariant& v) { rescan->setAngle(v.toDouble()); });
    connect(rescan, &QToolButton::clicked, this, &MenuPanelView::rescan);
    row->addWidget(rescan);
    column->addLayout(row);

    m_ring = new DiskUsageRingView(m_model.disk(), block);
    column->addWidget(m_ring);
    return block;
}

QToolButton* MenuPanelView::makeToolButton(const QString& title, const QString& symbol, const QString& objectName)
{
    auto* b = new QToolButton(this);
    b->setObjectName(objectName);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const int px = Style::metric(16);
    b->setIcon(Symbol::icon(symbol, Style::primary(), px));
    b->setIconSize(QSize(px, px));
    b->setMinimumHeight(Style::metric(32));
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setToolTip(title);
    b->setAccessibleName(title);
    FocusRing::attach(b);
    return b;
}

QWidget* MenuPanelView::makeFooter()
{
    auto* block = new QWidget(this);
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(Style::metric(16), Style::metric(12), Style::metric(16), Style::metric(12));
    column->setSpacing(Style::metric(10));

    // Status line.
    m_status = new QWidget(block);
    auto* statusRow = new QHBoxLayout(m_status);
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->setSpacing(Style::metric(5));
    m_statusSymbol = new SymbolView(QStringLiteral("checkmark.circle"), Style::pixelSize(Style::Text::caption) + 2,
                                    Style::secondary(), m_status);
    m_statusSymbol->setObjectName(QStringLiteral("statusSymbol"));
    statusRow->addWidget(m_statusSymbol);
    m_statusLabel = new ElidedLabel(QString(), m_status);
    m_statusLabel->setObjectName(QStringLiteral("statusLine"));
    m_statusLabel->setFont(Style::font(Style::Text::caption));
    m_statusLabel->setColor(Style::secondary());
    m_statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    statusRow->addWidget(m_statusLabel, 1);
    column->addWidget(m_status);

    // Total line, on one baseline.
    auto* totalRow = new QHBoxLayout;
    totalRow->setSpacing(Style::metric(6));
    m_total = makePlainLabel(QString(), Style::font(Style::Text::title2, QFont::DemiBold), Style::primary(), block);
    m_total->setObjectName(QStringLiteral("total"));
    auto* word = makePlainLabel(tr("reclaimable"), Style::font(Style::Text::callout), Style::secondary(), block);
    const int lift = QFontMetrics(m_total->font()).descent() - QFontMetrics(word->font()).descent();
    word->setContentsMargins(0, 0, 0, std::max(0, lift));
    totalRow->addWidget(m_total, 0, Qt::AlignBottom);
    totalRow->addWidget(word, 0, Qt::AlignBottom);
    totalRow->addStretch(1);
    column->addLayout(totalRow);

    // Clean up.
    m_cleanUp = new CleanActionButton(
        cleanButtonTitle(), QStringLiteral("sparkles"), true,
        [this] {
        m_model.requestCleanAll();
        open(QString::fromLatin1(WindowId::confirm));
        },
        block);
    m_cleanUp->setObjectName(QStringLiteral("cleanUpButton"));
    m_cleanUpIcon = m_cleanUp->icon();
    m_cleanUp->setMinimumHeight(Style::metric(32));
    m_cleanUp->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_cleanUpSpinner = new ProgressSpinner(Style::metric(16), m_cleanUp);
    m_cleanUp->setEnabled(false);
    QPalette sp = m_cleanUpSpinner->palette();
    // The button is disabled while the spinner shows: drawn in its disabled label colour.
    sp.setColor(QPalette::Active, QPalette::WindowText, m_cleanUp->labelColor());
    m_cleanUpSpinner->setPalette(sp);
    m_cleanUpSpinner->hide();
    column->addWidget(m_cleanUp);

    // Tools.
    auto* tools = new QHBoxLayout;
    tools->setSpacing(Style::metric(6));
    for (const Tool& t : kTools) {
        const QString id = QString::fromLatin1(t.id);
        // The uninstaller removes application bundles, which only some platforms have.
        if (id == QLatin1String(WindowId::uninstaller) && !DesktopTerms::hasApplicationBundles(m_platform))
            continue;
        const QString key = QString::fromLatin1(t.key);
        QToolButton* b = makeToolButton(tr(t.title), QString::fromLatin1(t.symbol), QStringLiteral("tool:") + key);
        const int tab = t.tab;
        connect(b, &QToolButton::clicked, this, [this, id, tab] {
            if (tab >= 0)
                m_model.setLargeFilesTab(tab);
            open(id);
        });
        m_tools.insert(key, b);
        tools->addWidget(b, 1);
    }
    m_more = makeToolButton(tr("More"), QStringLiteral("ellipsis"), QStringLiteral("tool:more"));
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("toolMenu"));
    connect(m_more, &QToolButton::clicked, this,
            [this] { m_menu->popup(m_more->mapToGlobal(QPoint(0, m_more->height()))); });
    tools->addWidget(m_more, 1);
    column->addLayout(tools);

    column->addWidget(makeDivider(block));

    // Settings, About, Quit.
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(Style::metric(4));
    auto textButton = [block](const QString& title, const QString& symbol, const QString& name) {
        auto* b = new QToolButton(block);
        b->setObjectName(name);
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setText(title);
        const int px = Style::metric(14);
        b->setIcon(Symbol::icon(symbol, Style::primary(), px));
        b->setIconSize(QSize(px, px));
        b->setFont(Style::font(Style::Text::callout));
        FocusRing::attach(b);
        return b;
    };
    m_settingsButton = textButton(tr("Settings"), QStringLiteral("gearshape"), QStringLiteral("settingsButton"));
    connect(m_settingsButton, &QToolButton::clicked, this, [this] { open(QString::fromLatin1(WindowId::settings)); });
    m_aboutButton = textButton(tr("About"), QStringLiteral("info.circle"), QStringLiteral("aboutButton"));
    connect(m_aboutButton, &QToolButton::clicked, this, [this] { open(QString::fromLatin1(WindowId::about)); });
    m_quitButton = textButton(tr("Quit"), QStringLiteral("power"), QStringLiteral("quitButton"));
    connect(m_quitButton, &QToolButton::clicked, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    bottom->addWidget(m_settingsButton);
    bottom->addWidget(m_aboutButton);
    bottom->addStretch(1);
    bottom->addWidget(m_quitButton);
    column->addLayout(bottom);
    return block;
}

QString MenuPanelView::sectionSymbol(CleanupCategory category)
{
    switch (category) {
    case CleanupCategory::recommended: return QStringLiteral("sparkles");
    case CleanupCategory::browsers: return QStringLiteral("safari.fill");
    case CleanupCategory::developer: return QStringLiteral("hammer.fill");
    case CleanupCategory::buildArtifacts: return QStringLiteral("shippingbox.fill");
    case CleanupCategory::custom: return QStringLiteral("folder.fill");
    }
    return QString();
}

QString MenuPanelView::sectionTitle(CleanupCategory category)
{
    switch (category) {
    case CleanupCategory::recommended: return tr("Recommended");
    case CleanupCategory::browsers: return tr("Browser caches");
    case CleanupCategory::developer: return tr("Developer caches");
    case CleanupCategory::buildArtifacts: return tr("Build artifacts");
    case CleanupCategory::custom: return tr("Custom folders");
    }
    return QString();
}

QString MenuPanelView::freshnessText(bool scanning, const std::optional<QDateTime>& lastScan, const QDateTime& now)
{
    if (scanning)
        return tr("Scanning\u2026");
    if (!lastScan)
        return QString();
    // Whole seconds, truncated toward zero; a date in the future reads as just now.
    const qint64 s = lastScan->msecsTo(now) / 1000;
    if (s <= 9)
        return tr("just now");
    if (s <= 59)
        return tr("%1s ago").arg(s);
    if (s <= 3599)
        return tr("%1m ago").arg(s / 60);
    return tr("%1h ago").arg(s / 3600);
}

QString MenuPanelView::freshnessText() const
{
    return freshnessText(m_model.isScanning(), m_model.lastScan(), m_clock->now());
}

int MenuPanelView::listHeightFor(qsizetype targets, qsizetype sections)
{
    const qint64 natural = qint64(kRowHeight) * std::max<qint64>(targets, 1) + qint64(kHeaderHeight) * sections;
    return int(std::min<qint64>(360, natural));
}

int MenuPanelView::listHeight() const
{
    // The same sum in the lengths of the current font.
    const qint64 natural = qint64(rowHeight()) * std::max<qint64>(m_model.targets().size(), 1)
        + qint64(headerHeight()) * m_model.groupedTargets().size();
    return int(std::min<qint64>(Style::metric(360), natural));
}

QString MenuPanelView::cleanButtonTitle() const { return tr("Clean up"); }

void MenuPanelView::rescan()
{
    // One more full clockwise turn; the value only grows.
    const double from = static_cast<SpinningButton*>(m_rescan)->angle();
    m_rescanSpin += 360;
    m_spinAnimation->stop();
    m_spinAnimation->setStartValue(from);
    m_spinAnimation->setEndValue(m_rescanSpin);
    m_spinAnimation->start();
    m_model.scanAll();
}

void MenuPanelView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_model.start();
    update_();
}

void MenuPanelView::scheduleUpdate()
{
    if (m_updateQueued)
        return;
    m_updateQueued = true;
    QMetaObject::invokeMethod(
        this, [this] { update_(); }, Qt::QueuedConnection);
}

void MenuPanelView::update_()
{
    m_updateQueued = false;
    ++m_updates;
    m_freshness->setText(freshnessText());
    m_ring->setDisk(m_model.disk());
    const bool developer = m_model.settings().developerMode();
    if (developer) {
        updateTargetList();
        m_scroll->setNaturalHeight(listHeight());
    } else {
        updateSimpleList();
    }
    m_simple->setVisible(!developer);
    m_simpleScroll->setVisible(!developer);
    m_scroll->setVisible(developer);
    updateFooter();
    updateToolMenu();
    updateTabOrder();
}

QList<QWidget*> MenuPanelView::focusChain() const
{
    QList<QWidget*> chain{m_rescan};
    for (SimpleGroupRow* r : m_groupRows)
        chain << r->checkBox();
    for (TargetRowView* r : m_sections->orderedRows())
        chain << r->checkBox() << r->infoButton() << r->cleanButton();
    chain << m_cleanUp;
    for (const Tool& t : kTools)
        if (QToolButton* tool = m_tools.value(QString::fromLatin1(t.key)))
            chain << tool;
    chain << m_more << m_settingsButton << m_aboutButton << m_quitButton;
    return chain;
}

void MenuPanelView::updateTabOrder()
{
    // Rows come and go after the footer was made: put Tab back into the order seen on screen.
    const QList<QWidget*> chain = focusChain();
    for (qsizetype i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}

void MenuPanelView::updateSimpleList()
{
    const QList<AppModel::SimpleGroup> groups = m_model.simpleGroups();
    QHash<QString, SimpleGroupRow*> old;
    for (SimpleGroupRow* r : std::as_const(m_groupRows))
        old.insert(r->group().id, r);
    auto* layout = static_cast<QVBoxLayout*>(m_simple->layout());
    QList<SimpleGroupRow*> rows;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        SimpleGroupRow* row = old.take(groups[i].id);
        if (row) {
            row->setGroup(groups[i]);
        } else {
            row = new SimpleGroupRow(m_model, groups[i], m_simple);
        }
        row->setShowsDivider(i + 1 < groups.size());
        rows.append(row);
    }
    qDeleteAll(old);
    if (rows != m_groupRows) {
        for (SimpleGroupRow* r : std::as_const(rows))
            layout->removeWidget(r);
        for (SimpleGroupRow* r : std::as_const(rows))
            layout->addWidget(r);
    }
    m_groupRows = rows;
}

void MenuPanelView::updateTargetList()
{
    m_sections->showSections(m_model.groupedTargets());
    m_sections->setScrollOffset(m_scroll->verticalScrollBar()->value());
}

void MenuPanelView::updateFooter()
{
    const std::optional<QString> status = m_model.statusMessage();
    m_status->setVisible(status.has_value());
    m_statusLabel->setText(status.value_or(QString()));
    m_statusLabel->setToolTip(plainToolTip(status.value_or(QString())));
    // A failure does not carry the tick of a success.
    m_statusSymbol->setName(m_model.statusIsFailure() ? QStringLiteral("exclamationmark.triangle.fill")
                                                      : QStringLiteral("checkmark.circle"));

    const qint64 total = m_model.totalReclaimable();
    m_total->setText(formatBytes(total));

    const bool cleaning = m_model.isCleaningAll();
    m_cleanUp->setEnabled(!cleaning && total != 0);
    if (cleaning != !m_cleanUpSpinner->isHidden()) {
        if (cleaning) {
            m_cleanUp->setText(QString());
            m_cleanUp->setIcon(QIcon());
        } else {
            m_cleanUp->setText(cleanButtonTitle());
            m_cleanUp->setIcon(m_cleanUpIcon);
        }
        m_cleanUpSpinner->setVisible(cleaning);
    }
    m_cleanUpSpinner->move((m_cleanUp->width() - m_cleanUpSpinner->width()) / 2,
                           (m_cleanUp->height() - m_cleanUpSpinner->height()) / 2);
}

void MenuPanelView::updateToolMenu()
{
    const bool developer = m_model.settings().developerMode();
    if (m_menuDeveloperMode == developer)
        return;
    m_menuDeveloperMode = developer;
    m_menu->clear();
    for (const MoreItem& item : kMoreItems) {
        if (item.developerOnly && !developer)
            continue;
        // Local snapshots only where the tool that lists them is (it could only ever show none).
        if (qstrcmp(item.id, WindowId::snapshots) == 0 && !DesktopTerms::hasLocalSnapshots())
            continue;
        QString title = tr(item.title);
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* action =
            m_menu->addAction(Symbol::icon(QString::fromLatin1(item.symbol), Style::primary(), 14), title);
        action->setData(QString::fromLatin1(item.id));
        const QString id = QString::fromLatin1(item.id);
        connect(action, &QAction::triggered, this, [this, id] { open(id); });
    }
}

void MenuPanelView::open(const QString& windowId)
{
    if (!m_windows.open(windowId))
        return;
    // The panel gives way to the window it opened (a popup would keep the keyboard).
    if (QWidget* top = window(); top != this && top->windowType() == Qt::Popup)
        top->hide();
}

bool MenuPanelView::showsSectionedList() const { return !m_scroll->isHidden(); }

QList<SimpleGroupRow*> MenuPanelView::groupRows() const { return m_groupRows; }

TargetRowView* MenuPanelView::row(const QString& targetId) const { return m_sections->row(targetId); }

QList<TargetRowView*> MenuPanelView::rows() const { return m_sections->orderedRows(); }

QWidget* MenuPanelView::sectionHeader(CleanupCategory category) const { return m_sections->header(category); }

bool MenuPanelView::isCleanUpSpinnerShown() const { return !m_cleanUpSpinner->isHidden(); }

QString MenuPanelView::totalText() const { return m_total->text(); }

std::optional<QString> MenuPanelView::statusText() const
{
    if (m_status->isHidden())
        return std::nullopt;
    return m_statusLabel->text();
}

QToolButton* MenuPanelView::toolButton(const QString& key) const { return m_tools.value(key); }
