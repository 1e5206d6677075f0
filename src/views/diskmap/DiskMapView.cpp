#include "views/diskmap/DiskMapView.h"

#include "AppModel.h"
#include "models/ScanPreset.h"
#include "platform/AccessibilityPrefs.h"
#include "platform/Paths.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FileManagerShell.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/Labels.h"
#include "views/components/LayoutItems.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/ScanMenuButton.h"
#include "views/components/SegmentedControl.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/TransientMessage.h"
#include "views/diskmap/DiskMapCanvas.h"
#include "views/diskmap/DiskMapSideList.h"
#include "views/diskmap/DiskMapStartScreen.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* textLabel(const QString& text, Style::Text style, const QColor& color, QWidget* parent = nullptr)
{
    return makePlainLabel(text, Style::font(style), color, parent);
}

// A small rounded square of one colour (legend).
class Swatch : public QWidget {
public:
    Swatch(const QColor& color, int side, double radius, QWidget* parent = nullptr)
        : QWidget(parent), m_color(color), m_radius(radius)
    {
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), m_radius, m_radius);
        p.fillPath(path, m_color);
    }

private:
    QColor m_color;
    double m_radius;
};

// The age legend's bar: green through yellow to red, in a capsule.
class AgeBar : public QWidget {
public:
    explicit AgeBar(QWidget* parent = nullptr) : QWidget(parent) { setFixedSize(Style::metric(140), Style::metric(9)); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, width(), 0);
        const QList<QColor> stops = DiskMapStyle::ageLegendStops();
        for (qsizetype i = 0; i < stops.size(); ++i)
            g.setColorAt(double(i) / double(stops.size() - 1), stops[i]);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
        p.fillPath(path, g);
    }
};

// Button texts eat "&" as a mnemonic.
QString buttonText(const QString& text)
{
    QString t = text;
    return t.replace(QLatin1Char('&'), QLatin1String("&&"));
}

// A breadcrumb: its name shortened in the middle to the width the row gives it (never wider than
// `maxWidth`), so that neither end of the name, nor a bracket, is ever cut off.
class CrumbButton : public QToolButton {
public:
    CrumbButton(const QString& full, const QFont& font, int maxWidth, QWidget* parent)
        : QToolButton(parent), m_full(full), m_maxWidth(maxWidth)
    {
        setFont(font);
        setAutoRaise(true);
        const QFontMetrics fm(font);
        const QString shown = fm.elidedText(full, Qt::ElideMiddle, maxWidth);
        setText(buttonText(shown));
        m_natural = QToolButton::sizeHint();
        m_padding = std::max(0, m_natural.width() - fm.horizontalAdvance(shown));
        m_minimum = std::min(m_natural.width(), m_padding + fm.horizontalAdvance(QChar(0x2026)));
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return m_natural; }
    QSize minimumSizeHint() const override { return QSize(m_minimum, m_natural.height()); }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QToolButton::resizeEvent(event);
        const int room = std::min(m_maxWidth, width() - m_padding);
        // Squeezed below even an ellipsis, it still shows one rather than an empty button.
        const QString shown = QFontMetrics(font()).elidedText(m_full, Qt::ElideMiddle, std::max(0, room));
        setText(buttonText(shown.isEmpty() && !m_full.isEmpty() ? QString(QChar(0x2026)) : shown));
    }

private:
    QString m_full;
    int m_maxWidth;
    QSize m_natural;
    int m_padding = 0;
    int m_minimum = 0;
};

QToolButton* symbolButton(const QString& symbol, const QString& help, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setIcon(Symbol::icon(symbol, Style::primary(parent->palette()), Style::metric(16)));
    b->setIconSize(QSize(Style::metric(16), Style::metric(16)));
    b->setToolTip(help);
    b->setAccessibleName(help);
    return b;
}

} // namespace

DiskMapView::DiskMapView(AppModel& appModel, DiskMapEnvironment environment, QWidget* parent)
    : QWidget(parent),
      m_appModel(appModel),
      m_model(new DiskMapModel(std::move(environment), this)),
      m_now([] { return QDateTime::currentDateTimeUtc(); })
{
    setMinimumSize(760, 480);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_screens = new QStackedWidget(this);
    m_start = new DiskMapStartScreen(m_screens);
    connect(m_start, &DiskMapStartScreen::scanRequested, this, &DiskMapView::scanPath);
    connect(m_start, &DiskMapStartScreen::chooseFolderRequested, this, &DiskMapView::chooseFolder);
    m_screens->addWidget(m_start);
    m_mapScreen = buildMapScreen();
    m_screens->addWidget(m_mapScreen);
    column->addWidget(m_screens);

    const AccessibilityPrefs::Prefs prefs = AccessibilityPrefs::current();
    m_list->setReduceMotion(prefs.reduceMotion);
    m_list->rowDelegate().setDifferentiateWithoutColor(prefs.differentiateWithoutColor);
    m_canvas->setReduceTransparency(prefs.reduceTransparency);

    const auto menu = [this](QMenu& m, const DiskNode& n) { fillNodeMenu(m, n); };
    m_canvas->setMenuBuilder(menu);
    m_list->setMenuBuilder(menu);

    connect(m_model, &DiskMapModel::rootChanged, this, [this] {
        updateScreen();
        if (!m_model->isScanning())
            rebuildBreadcrumbs();
        rebuildLegend();
        updateDetail();
    });
    connect(m_model, &DiskMapModel::stackChanged, this, [this] {
        rebuildBreadcrumbs();
        rebuildLegend();
        updateDetail();
    });
    connect(m_model, &DiskMapModel::isScanningChanged, this, [this] {
        updateScreen();
        updateToolbar();
        rebuildBreadcrumbs();
    });
    connect(m_model, &DiskMapModel::scannedBytesChanged, this, &DiskMapView::updateToolbar);
    connect(m_model, &DiskMapModel::selectionChanged, this, &DiskMapView::updateDetail);
    connect(m_canvas, &DiskMapCanvas::hoverChanged, this, &DiskMapView::updateDetail);

    updateScreen();
    updateToolbar();
    rebuildBreadcrumbs();
    rebuildLegend();
    updateDetail();
}

DiskMapView::~DiskMapView()
{
    // The screens' widgets hold the model: they go first.
    delete m_screens;
}

void DiskMapView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The model records deletions in the application's history; it holds the link weakly.
    m_model->setAppModel(&m_appModel);
}

bool DiskMapView::hasScanned() const { return m_model->root().has_value() || m_model->isScanning(); }

bool DiskMapView::isShowingStartScreen() const { return m_screens->currentWidget() == m_start; }

void DiskMapView::setColorMode(DiskColorMode mode)
{
    m_mode = mode;
    m_modePicker->setCurrentIndex(int(mode));
    m_canvas->setColorMode(mode);
    m_list->setColorMode(mode);
    rebuildLegend();
}

void DiskMapView::setNow(std::function<QDateTime()> now)
{
    m_now = now;
    m_canvas->setNow(now);
    m_list->rowDelegate().setNow(std::move(now));
}

void DiskMapView::scanPath(const QString& path) { m_model->scan(path); }

void DiskMapView::chooseFolder() { m_model->pickFolderAndScan(window()); }

void DiskMapView::updateScreen()
{
    QWidget* wanted = hasScanned() ? m_mapScreen : static_cast<QWidget*>(m_start);
    if (m_screens->currentWidget() == wanted)
        return;
    if (wanted == m_start)
        m_start->rebuild(); // volumes may have come or gone
    m_screens->setCurrentWidget(wanted);
}

// ---- map screen ----

QWidget* DiskMapView::buildMapScreen()
{
    auto* screen = new QWidget(m_screens);
    auto* column = new QVBoxLayout(screen);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildToolbar());
    column->addWidget(makeDivider(screen));

    m_legend = new QWidget(screen);
    m_legend->setLayout(new QVBoxLayout);
    m_legend->layout()->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_legend);
    m_legendDivider = makeDivider(screen);
    column->addWidget(m_legendDivider);

    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    m_canvas = new DiskMapCanvas(*m_model, screen);
    body->addWidget(m_canvas, 1);
    m_listDivider = makeVerticalDivider(screen);
    body->addWidget(m_listDivider);
    m_list = new DiskMapSideList(*m_model, screen);
    m_list->setFixedWidth(Style::metric(260));
    body->addWidget(m_list);
    column->addLayout(body, 1);
    // What the last move to the Trash has to tell, over the detail bar.
    column->addWidget(makeMessageLine(m_model->messageHolder(), screen));

    column->addWidget(makeDivider(screen));
    column->addWidget(buildDetailBar());
    return screen;
}

QWidget* DiskMapView::buildToolbar()
{
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(Style::metric(12), Style::metric(8), Style::metric(12), Style::metric(8));
    row->setSpacing(Style::metric(10));

    auto* scan = new ScanMenuButton([] { return ScanPreset::all() + ScanPreset::mountedVolumes(); }, bar);
    connect(scan, &ScanMenuButton::scanRequested, this, &DiskMapView::scanPath);
    connect(scan, &ScanMenuButton::chooseFolderRequested, this, &DiskMapView::chooseFolder);
    m_scanButton = scan;
    row->addWidget(m_scanButton);

    m_rescanButton = symbolButton(QStringLiteral("arrow.clockwise"), tr("Rescan"), bar);
    m_rescanButton->setObjectName(QStringLiteral("rescanButton"));
    connect(m_rescanButton, &QToolButton::clicked, this, [this] { m_model->scan(); });
    row->addWidget(m_rescanButton);

    m_progress = new QWidget(bar);
    auto* progressRow = new QHBoxLayout(m_progress);
    progressRow->setContentsMargins(0, 0, 0, 0);
    progressRow->setSpacing(Style::metric(8));
    progressRow->addWidget(new ProgressSpinner(Style::metric(14), m_progress));
    m_progressText = textLabel(QString(), Style::Text::callout, Style::secondary(palette()), m_progress);
    progressRow->addWidget(m_progressText);
    m_stopButton = new QPushButton(tr("Stop"), m_progress);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_model->stop(); });
    progressRow->addWidget(m_stopButton);
    row->addWidget(m_progress);

    // The breadcrumbs shrink with the window rather than widen it.
    m_breadcrumbs = new QWidget(bar);
    m_breadcrumbs->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_breadcrumbRow = new QHBoxLayout(m_breadcrumbs);
    m_breadcrumbRow->setContentsMargins(0, 0, 0, 0);
    m_breadcrumbRow->setSpacing(Style::metric(4));
    row->addWidget(m_breadcrumbs, 1);
    row->addStretch(0);

    m_modePicker = new SegmentedControl({tr("Type"), tr("Age")}, bar);
    m_modePicker->setObjectName(QStringLiteral("modePicker"));
    m_modePicker->setToolTip(tr("Color tiles by file type or by age"));
    m_modePicker->setCurrentIndex(int(m_mode));
    connect(m_modePicker, &SegmentedControl::activated, this,
            [this](int index) { setColorMode(DiskColorMode(index)); });
    row->addWidget(m_modePicker);
    return bar;
}

void DiskMapView::updateToolbar()
{
    const bool scanning = m_model->isScanning();
    m_rescanButton->setEnabled(!scanning);
    m_progress->setVisible(scanning);
    m_breadcrumbs->setVisible(!scanning);
    m_modePicker->setVisible(!scanning);
    if (scanning)
        m_progressText->setText(tr("Scanning… %1").arg(DiskMapStyle::sizeText(m_model->scannedBytes())));
}

void DiskMapView::rebuildBreadcrumbs()
{
    discardLayoutItems(m_breadcrumbRow);
    const QList<DiskNode> crumbs = m_model->breadcrumb();
    const int maxWidth = Style::metric(220);
    for (qsizetype i = 0; i < crumbs.size(); ++i) {
        if (i > 0) {
            const int px = Style::pixelSize(Style::Text::caption2);
            m_breadcrumbRow->addWidget(
                new SymbolView(QStringLiteral("chevron.right"), px, Style::tertiary(palette()), m_breadcrumbs));
        }
        const QString text = i == 0 ? DiskMapStyle::displayPath(crumbs[i]) : crumbs[i].name();
        const bool last = i == crumbs.size() - 1;
        const QFont font = Style::font(Style::Text::callout, last ? QFont::DemiBold : QFont::Normal);
        auto* b = new CrumbButton(text, font, maxWidth, m_breadcrumbs);
        b->setObjectName(QStringLiteral("crumb"));
        b->setAccessibleName(text);
        b->setToolTip(plainToolTip(text));
        const int depth = int(i);
        connect(b, &QToolButton::clicked, this, [this, depth] { m_model->goTo(depth); });
        m_breadcrumbRow->addWidget(b);
    }
    m_breadcrumbRow->addStretch(1);
}

QList<QToolButton*> DiskMapView::breadcrumbButtons() const
{
    QList<QToolButton*> out;
    for (int i = 0; i < m_breadcrumbRow->count(); ++i)
        if (auto* b = qobject_cast<QToolButton*>(m_breadcrumbRow->itemAt(i)->widget()))
            out << b;
    return out;
}

QStringList DiskMapView::breadcrumbTexts() const
{
    QStringList out;
    for (QToolButton* b : breadcrumbButtons())
        out << b->accessibleName();
    return out;
}

QList<FileCategory> DiskMapView::legendCategories() const
{
    return DiskMapStyle::presentCategories(m_model->currentChildren());
}

void DiskMapView::rebuildLegend()
{
    const std::optional<DiskNode> current = m_model->current();
    const bool shows = current && current->hasChildren();
    m_legend->setVisible(shows);
    m_legendDivider->setVisible(shows);
    m_listDivider->setVisible(shows);
    m_list->setVisible(shows);
    if (!shows)
        return;
    const QList<FileCategory> categories = m_mode == DiskColorMode::type ? legendCategories() : QList<FileCategory>{};
    // A live folder grows many times a second: build the row again only when it reads differently.
    if (m_legendBuilt && m_legendMode == m_mode && m_legendShown == categories)
        return;
    m_legendBuilt = true;
    m_legendMode = m_mode;
    m_legendShown = categories;

    QLayout* holder = m_legend->layout();
    discardLayoutItems(holder);
    const QColor dim = Style::secondary(palette());
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(Style::metric(12), Style::metric(6), Style::metric(12), Style::metric(6));
    if (m_mode == DiskColorMode::type) {
        row->setSpacing(Style::metric(14));
        for (FileCategory c : categories) {
            auto* item = new QWidget(content);
            auto* pair = new QHBoxLayout(item);
            pair->setContentsMargins(0, 0, 0, 0);
            pair->setSpacing(Style::metric(5));
            pair->addWidget(new Swatch(DiskMapStyle::categoryColor(c), Style::metric(9), 2, item));
            pair->addWidget(textLabel(DiskMapStyle::categoryLabel(c), Style::Text::caption2, dim, item));
            row->addWidget(item);
        }
        row->addStretch(1);
        auto* scroll = new QScrollArea;
        scroll->setObjectName(QStringLiteral("legend:type"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidgetResizable(true);
        scroll->setWidget(content);
        scroll->setFixedHeight(content->sizeHint().height());
        holder->addWidget(scroll);
    } else {
        content->setObjectName(QStringLiteral("legend:age"));
        row->setSpacing(Style::metric(8));
        row->addWidget(textLabel(tr("Recent"), Style::Text::caption2, dim, content));
        row->addWidget(new AgeBar(content));
        row->addWidget(textLabel(tr("Over a year"), Style::Text::caption2, dim, content));
        row->addStretch(1);
        holder->addWidget(content);
    }
}

// ---- detail bar ----

QWidget* DiskMapView::buildDetailBar()
{
    auto* bar = new QWidget;
    bar->setObjectName(QStringLiteral("detailBar"));
    bar->setFixedHeight(
        std::max(Style::metric(44), QFontMetrics(Style::font(Style::Text::title3)).height() + Style::metric(16)));
    auto* stack = new QHBoxLayout(bar);
    stack->setContentsMargins(0, 0, 0, 0);

    m_detailEmpty = new QWidget(bar);
    auto* empty = new QHBoxLayout(m_detailEmpty);
    empty->setContentsMargins(Style::metric(12), Style::metric(8), Style::metric(12), Style::metric(8));
    auto* none =
        textLabel(tr("Select a folder to scan"), Style::Text::body, Style::secondary(palette()), m_detailEmpty);
    none->setObjectName(QStringLiteral("detailNone"));
    empty->addWidget(none);
    empty->addStretch(1);
    stack->addWidget(m_detailEmpty);

    m_detailNode = new QWidget(bar);
    auto* row = new QHBoxLayout(m_detailNode);
    row->setContentsMargins(Style::metric(12), Style::metric(8), Style::metric(12), Style::metric(8));
    row->setSpacing(Style::metric(12));
    m_detailSymbol =
        new SymbolView(QStringLiteral("folder.fill"), Style::metric(18), Style::accent(palette()), m_detailNode);
    row->addWidget(m_detailSymbol);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    m_detailTitle = new ElidedLabel(QString(), m_detailNode);
    m_detailTitle->setObjectName(QStringLiteral("detailTitle"));
    m_detailTitle->setFont(Style::font(Style::Text::callout, QFont::Medium));
    m_detailTitle->setColor(Style::primary(palette()));
    m_detailTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    texts->addWidget(m_detailTitle);
    m_detailPath = new ElidedLabel(QString(), m_detailNode);
    m_detailPath->setObjectName(QStringLiteral("detailPath"));
    m_detailPath->setFont(Style::monospaced(Style::Text::caption2));
    m_detailPath->setColor(Style::secondary(palette()));
    m_detailPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    texts->addWidget(m_detailPath);
    row->addLayout(texts, 1);
    m_detailSize = textLabel(QString(), Style::Text::title3, Style::primary(palette()), m_detailNode);
    m_detailSize->setObjectName(QStringLiteral("detailSize"));
    m_detailSize->setFont(Style::font(Style::Text::title3, QFont::DemiBold));
    row->addWidget(m_detailSize);
    m_revealButton = symbolButton(QStringLiteral("magnifyingglass"), FileManagerShell::revealLabel(), m_detailNode);
    m_revealButton->setObjectName(QStringLiteral("revealButton"));
    connect(m_revealButton, &QToolButton::clicked, this, [this] {
        if (const std::optional<DiskNode> s = m_model->selection(); s && s->pathRoundTrips())
            FileManagerShell::reveal(s->path());
    });
    row->addWidget(m_revealButton);
    m_trashButton = symbolButton(QStringLiteral("trash"), tr("Move to Trash"), m_detailNode);
    m_trashButton->setObjectName(QStringLiteral("trashButton"));
    connect(m_trashButton, &QToolButton::clicked, this, [this] {
        if (const std::optional<DiskNode> s = m_model->selection())
            requestTrash(*s);
    });
    row->addWidget(m_trashButton);
    stack->addWidget(m_detailNode);
    return bar;
}

std::optional<DiskNode> DiskMapView::detailNode() const
{
    if (m_model->selection())
        return m_model->selection();
    if (m_canvas->hovered())
        return m_canvas->hovered();
    return m_model->current();
}

void DiskMapView::updateDetail()
{
    const std::optional<DiskNode> node = detailNode();
    m_detailEmpty->setVisible(!node);
    m_detailNode->setVisible(node.has_value());
    if (!node)
        return;
    m_detailSymbol->setName(node->isDirectory() ? QStringLiteral("folder.fill") : QStringLiteral("doc.fill"));
    const QString path = DiskMapStyle::displayPath(*node);
    const bool isRoot = m_model->root() && m_model->root()->id() == node->id();
    m_detailTitle->setText(isRoot ? path : node->name());
    m_detailPath->setText(path);
    m_detailSize->setText(DiskMapStyle::sizeText(node->size()));
    const std::optional<DiskNode> selection = m_model->selection();
    const bool actions = selection && !selection->isSynthetic();
    m_revealButton->setVisible(actions);
    m_trashButton->setVisible(actions);
    if (actions) {
        m_revealButton->setEnabled(selection->pathRoundTrips());
        m_trashButton->setEnabled(m_model->canTrash(*selection));
    }
}

// ---- menu and Trash ----

void DiskMapView::fillNodeMenu(QMenu& menu, const DiskNode& node)
{
    const auto zoomIn = [this, node] { m_model->zoom(node); };
    if (node.isSynthetic()) {
        if (node.hasChildren()) {
            menu.addAction(tr("Zoom In"), this, zoomIn);
        } else {
            QAction* a = menu.addAction(tr("Smaller items folded together"));
            a->setEnabled(false);
        }
        return;
    }
    if (node.isDirectory() && node.hasChildren()) {
        menu.addAction(tr("Zoom In"), this, zoomIn);
        menu.addSeparator();
    }
    // A path that is not the item's own (its name is not UTF-8) is never handed on.
    const bool named = node.pathRoundTrips();
    const QString path = node.path();
    QAction* reveal = menu.addAction(FileManagerShell::revealLabel(), this, [path] { FileManagerShell::reveal(path); });
    reveal->setEnabled(named);
    QAction* open = menu.addAction(tr("Open"), this, [path] { FileManagerShell::open(path); });
    open->setEnabled(named);
    menu.addSeparator();
    QAction* trash = menu.addAction(Symbol::icon(QStringLiteral("trash"), Style::red(), 16), tr("Move to Trash"), this,
                                    [this, node] { requestTrash(node); });
    trash->setEnabled(named);
}

void DiskMapView::requestTrash(const DiskNode& node)
{
    // The same test the model applies again when the move is confirmed.
    if (!m_model->canTrash(node))
        return;
    m_pendingTrash = node;
    Dialogs::ConfirmRequest request;
    request.title = tr("Move “%1” to the Trash?").arg(node.name());
    request.message = tr("Frees %1. You can put it back from the Trash.").arg(DiskMapStyle::sizeText(node.size()));
    request.confirmLabel = tr("Move to Trash");
    request.destructive = true;
    QPointer<DiskMapView> self(this);
    Dialogs::confirm(window(), request, [self, node](bool confirmed) {
        if (!self)
            return;
        self->m_pendingTrash.reset();
        if (confirmed)
            self->m_model->trash(node);
    });
}
