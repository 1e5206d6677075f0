#include "views/diskmap/DiskMapCanvas.h"

#include "platform/Background.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/diskmap/DiskMapModel.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include <array>

namespace {

bool isSmall(const QRectF& painted) { return painted.width() < 6 || painted.height() < 6; }

// Tile labels are dark on a light halo of the tile's own lighter shade: every tile colour keeps
// them above a 4.5:1 contrast wherever the gradient runs.
const QColor kLabelInk(0x14, 0x14, 0x16);

void haloText(QPainter& p, const QPointF& baseline, const QString& text, const QFont& font, const QColor& ink,
              const QColor& halo)
{
    // The halo is the text drawn around itself a pixel away: glyphs come from the cache, which
    // keeps a map of many labels quick to draw.
    p.setFont(font);
    p.setPen(halo);
    static const QPointF offsets[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    for (const QPointF& d : offsets)
        p.drawText(baseline + d, text);
    p.setPen(ink);
    p.drawText(baseline, text);
}

// A font of its own for drawing on another thread: a copy shares the original's cache of font
// engines, which the main thread may clear while the copy draws.
QFont threadFont(const QFont& f)
{
    QFont own(f.families(), -1, f.weight(), f.italic());
    if (f.pixelSize() > 0)
        own.setPixelSize(f.pixelSize());
    else
        own.setPointSizeF(f.pointSizeF());
    own.setStyleStrategy(f.styleStrategy());
    own.setStyleHint(f.styleHint(), f.styleStrategy());
    own.setStretch(f.stretch());
    own.setHintingPreference(f.hintingPreference());
    return own;
}

} // namespace

DiskMapCanvas::DiskMapCanvas(DiskMapModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_now([] { return QDateTime::currentDateTimeUtc(); })
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(tr("Disk usage treemap"));

    m_clickTimer = new QTimer(this);
    m_clickTimer->setSingleShot(true);
    connect(m_clickTimer, &QTimer::timeout, this, [this] {
        const int i = tileIndexAt(m_clickPoint);
        m_model.setSelection(i < 0 ? std::nullopt : std::optional<DiskNode>(m_layoutNodes.at(i)));
    });

    // The placeholder when there is nothing to draw: it takes no input.
    m_placeholder = new QWidget(this);
    m_placeholder->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* column = new QVBoxLayout(m_placeholder);
    column->setSpacing(8);
    const QColor dim = Style::secondary(palette());
    auto* symbol = new SymbolView(QStringLiteral("externaldrive"), Style::pixelSize(Style::Text::largeTitle), dim);
    column->addWidget(symbol, 0, Qt::AlignHCenter);
    auto* text = new QLabel(tr("Nothing to show here"));
    text->setTextFormat(Qt::PlainText);
    text->setFont(Style::font(Style::Text::body));
    QPalette pal = text->palette();
    pal.setColor(QPalette::WindowText, dim);
    text->setPalette(pal);
    column->addWidget(text, 0, Qt::AlignHCenter);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_placeholder, 0, Qt::AlignCenter);

    connect(&m_model, &DiskMapModel::rootChanged, this, &DiskMapCanvas::folderChanged);
    connect(&m_model, &DiskMapModel::stackChanged, this, &DiskMapCanvas::folderChanged);
    connect(&m_model, &DiskMapModel::selectionChanged, this, &DiskMapCanvas::selectionChanged);
    connect(&m_model, &DiskMapModel::isScanningChanged, this, &DiskMapCanvas::updatePlaceholder);
    folderChanged();
}

DiskMapCanvas::~DiskMapCanvas()
{
    m_aside->abandoned = true;
    const std::lock_guard wait(m_aside->drawing);
}

void DiskMapCanvas::setColorMode(DiskColorMode mode)
{
    m_mode = mode;
    m_cacheValid = false;
    update();
}

void DiskMapCanvas::setNow(std::function<QDateTime()> now)
{
    m_now = std::move(now);
    m_cacheValid = false;
    update();
}

void DiskMapCanvas::setReduceTransparency(bool on)
{
    m_reduceTransparency = on;
    update();
}

// A picture of a large live folder, made aside: its layout and every tile in its plain state.
struct DiskMapCanvas::Picture {
    NodeList nodes;
    QSize size;
    qreal dpr = 1;
    DiskColorMode mode = DiskColorMode::type;
    PaintStyle style;
    Treemap::Layout layout;
    QImage image;
};

void DiskMapCanvas::folderChanged()
{
    m_dirty = true;
    m_cacheValid = false;
    // The pointer rests on what it rested on only while that item is still shown: one moved to
    // the Trash, or left behind by a zoom, is neither described nor given a tooltip any more.
    if (m_hovered) {
        if (std::optional<DiskNode> now = shownNow(*m_hovered))
            m_hovered = std::move(now);
        else
            setHover(std::nullopt, std::nullopt);
    }
    updatePlaceholder();
    updateAccessibleText();
    update();
}

void DiskMapCanvas::selectionChanged()
{
    m_selectedIndex = m_dirty && !drawsAside() ? -1 : indexOf(m_model.selection());
    update();
}

bool DiskMapCanvas::drawsAside() const
{
    return m_model.isScanning() && m_model.currentChildren().size() >= kDrawnAside;
}

void DiskMapCanvas::makeLayout() const
{
    m_dirty = false;
    ++m_layoutCount;
    m_layoutNodes = m_model.currentChildren();
    m_layout = Treemap::Layout(m_layoutNodes, QRectF(0, 0, width(), height()));
    m_hoverIndex = indexOf(m_hovered);
    m_selectedIndex = indexOf(m_model.selection());
}

const Treemap::Layout& DiskMapCanvas::layout() const
{
    if (m_dirty && !drawsAside())
        makeLayout();
    return m_layout;
}

QList<Treemap::Tile> DiskMapCanvas::tiles() const
{
    if (m_dirty)
        makeLayout();
    QList<Treemap::Tile> out;
    out.reserve(m_layout.tileCount());
    m_layout.forEach([&](qsizetype i, const QRectF& r) { out.append(Treemap::Tile{m_layoutNodes.at(i), r}); });
    return out;
}

void DiskMapCanvas::drawAside()
{
    if (m_drawing)
        return; // the newest children are drawn once the picture on its way is in
    m_drawing = true;
    auto picture = std::make_shared<Picture>();
    picture->nodes = m_model.currentChildren();
    picture->size = size();
    picture->dpr = devicePixelRatioF();
    picture->mode = m_mode;
    picture->style = paintStyle();
    QPointer<DiskMapCanvas> self(this);
    Background::userInitiated().start([picture, self, aside = m_aside] {
        const std::lock_guard held(aside->drawing);
        if (aside->abandoned)
            return;
        picture->style.nameFont = threadFont(picture->style.nameFont);
        picture->style.sizeFont = threadFont(picture->style.sizeFont);
        picture->layout = Treemap::Layout(picture->nodes, QRectF(QPointF(0, 0), QSizeF(picture->size)));
        picture->image = paintPlain(picture->layout, picture->nodes, picture->mode, picture->style, picture->size,
                                    picture->dpr, &aside->abandoned);
        if (aside->abandoned)
            return;
        QMetaObject::invokeMethod(
            qApp,
            [picture, self] {
            if (self)
                self->pictureDrawn(picture);
            },
            Qt::QueuedConnection);
    });
}

void DiskMapCanvas::pictureDrawn(const std::shared_ptr<Picture>& picture)
{
    m_drawing = false;
    if (picture->size != size() || picture->dpr != devicePixelRatioF() || picture->mode != m_mode) {
        update(); // drawn for another size or colouring: the next paint asks again
        return;
    }
    // Put on screen even when newer children have come meanwhile: they follow in the next one.
    const bool current = picture->nodes.sameAs(m_model.currentChildren());
    m_layout = std::move(picture->layout);
    m_layoutNodes = picture->nodes;
    m_cache = std::move(picture->image);
    m_cacheValid = true;
    ++m_layoutCount;
    m_hoverIndex = indexOf(m_hovered);
    m_selectedIndex = indexOf(m_model.selection());
    if (current)
        m_dirty = false;
    update();
}

std::optional<DiskNode> DiskMapCanvas::shownNow(const DiskNode& node) const
{
    // By path (the folded node by its id), not by size: a live scan grows a folder under the pointer.
    const NodeList& shown = m_model.currentChildren();
    const qsizetype i = shown.indexOf(node, false);
    return i < 0 ? std::nullopt : std::optional<DiskNode>(shown.at(i));
}

qsizetype DiskMapCanvas::indexOf(const std::optional<DiskNode>& node) const
{
    return node ? m_layoutNodes.indexOf(*node, true) : -1;
}

int DiskMapCanvas::tileIndexAt(const QPointF& point) const { return int(layout().itemAt(point)); }

std::optional<DiskNode> DiskMapCanvas::menuTarget() const { return m_hovered ? m_hovered : m_model.selection(); }

void DiskMapCanvas::setHover(const std::optional<DiskNode>& node, const std::optional<QPointF>& point)
{
    m_hovered = node;
    m_hoverPoint = point;
    m_hoverIndex = indexOf(node);
    update();
    Q_EMIT hoverChanged();
}

void DiskMapCanvas::hoverAt(const QPointF& point)
{
    const int i = tileIndexAt(point);
    m_hovered = i < 0 ? std::nullopt : std::optional<DiskNode>(m_layoutNodes.at(i));
    m_hoverPoint = point;
    m_hoverIndex = i;
    update();
    Q_EMIT hoverChanged();
}

void DiskMapCanvas::updatePlaceholder()
{
    m_placeholder->setVisible(!m_model.isScanning() && layout().tileCount() == 0);
}

void DiskMapCanvas::updateAccessibleText()
{
    const std::optional<DiskNode> current = m_model.current();
    const QString text = current
        ? tr("%1, %2 items, %3. Use the list on the right to browse items.")
              .arg(current->name(), QString::number(current->childCount()), DiskMapStyle::sizeText(current->size()))
        : tr("No folder scanned");
    if (text != accessibleDescription())
        setAccessibleDescription(text);
}

void DiskMapCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_dirty = true;
    m_cacheValid = false;
    updatePlaceholder();
}

void DiskMapCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void DiskMapCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (std::exchange(m_afterDoubleClick, false))
        return; // the release that ends a double click
    // A single click waits out the double-click time: a second click makes it a zoom instead.
    m_clickPoint = event->position();
    m_clickTimer->start(QApplication::doubleClickInterval());
}

void DiskMapCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_clickTimer->stop();
    m_afterDoubleClick = true;
    const int i = tileIndexAt(event->position());
    if (i >= 0)
        m_model.zoom(m_layoutNodes.at(i));
}

void DiskMapCanvas::mouseMoveEvent(QMouseEvent* event) { hoverAt(event->position()); }

void DiskMapCanvas::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setHover(std::nullopt, std::nullopt);
}

void DiskMapCanvas::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up: m_model.moveSelection(-1); break;
    case Qt::Key_Down: m_model.moveSelection(1); break;
    case Qt::Key_Left:
    case Qt::Key_Escape: m_model.goUp(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const std::optional<DiskNode> s = m_model.selection(); s && s->isDirectory() && s->hasChildren())
            m_model.zoom(*s);
        break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void DiskMapCanvas::contextMenuEvent(QContextMenuEvent* event)
{
    const std::optional<DiskNode> target = menuTarget();
    if (!target || !m_menuBuilder)
        return;
    // The menu opens where the tooltip is drawn: it goes until the pointer moves again.
    if (m_hoverPoint) {
        m_hoverPoint.reset();
        update();
    }
    QMenu menu(this);
    m_menuBuilder(menu, *target);
    if (!menu.isEmpty())
        menu.exec(event->globalPos());
}

DiskMapCanvas::PaintStyle DiskMapCanvas::paintStyle() const
{
    PaintStyle ps;
    ps.nameFont = Style::font(Style::Text::caption, QFont::Medium);
    ps.sizeFont = Style::font(Style::Text::caption2);
    ps.nameAscent = QFontMetricsF(ps.nameFont).ascent();
    ps.sizeAscent = QFontMetricsF(ps.sizeFont).ascent();
    ps.textX = Style::metric(6);
    ps.nameY = Style::metric(5);
    ps.sizeY = Style::metric(21);
    ps.now = m_now();
    return ps;
}

QImage DiskMapCanvas::paintPlain(const Treemap::Layout& layout, const NodeList& nodes, DiskColorMode mode,
                                 const PaintStyle& ps, const QSize& size, qreal dpr, const std::atomic<bool>* stop)
{
    bool halted = false;
    const auto stopped = [&] { return halted || (halted = stop && stop->load(std::memory_order_relaxed)); };
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter cp(&image);
    // Coloured by type, a tile's flat colour is one of a few: each is worked out once.
    std::array<std::optional<QColor>, 10> byCategory;
    const auto plainColor = [&](qsizetype i) {
        if (mode == DiskColorMode::type) {
            const size_t slot = nodes.isSyntheticAt(i) ? 9 : size_t(nodes.categoryAt(i));
            if (!byCategory[slot])
                byCategory[slot] = DiskMapStyle::middle(DiskMapStyle::color(nodes.at(i), mode, ps.now));
            return *byCategory[slot];
        }
        return DiskMapStyle::middle(DiskMapStyle::color(nodes.at(i), mode, ps.now));
    };
    // Tiles a few pixels across show no gradient, corner or outline: a plain fill is all of
    // them, and a folder of 100,000 items is mostly such tiles.
    layout.forEach([&](qsizetype i, const QRectF& rect) {
        const QRectF r = DiskMapStyle::paintedRect(rect);
        if (halted || ((i & 1023) == 0 && stopped()))
            return;
        if (r.width() > 0 && r.height() > 0 && isSmall(r))
            cp.fillRect(r, plainColor(i));
    });
    cp.setRenderHint(QPainter::Antialiasing);
    layout.forEach([&](qsizetype i, const QRectF& rect) {
        if (!isSmall(DiskMapStyle::paintedRect(rect)) && !stopped())
            paintTile(cp, rect, nodes.at(i), mode, false, false, ps);
    });
    return image;
}

void DiskMapCanvas::paintEvent(QPaintEvent*)
{
    const qreal dpr = devicePixelRatioF();
    if (m_dirty && drawsAside()) {
        drawAside(); // meanwhile the last picture stays
    } else {
        const Treemap::Layout& l = layout();
        // Every tile in its plain state is drawn once per layout; a hover or a selection only
        // draws its own tiles again over that picture.
        if (!m_cacheValid || m_cache.size() != size() * dpr || m_cache.devicePixelRatio() != dpr) {
            m_cache = paintPlain(l, m_layoutNodes, m_mode, paintStyle(), size(), dpr);
            m_cacheValid = true;
        }
    }
    QPainter p(this);
    if (!m_cache.isNull())
        p.drawImage(0, 0, m_cache);
    p.setRenderHint(QPainter::Antialiasing);
    const PaintStyle ps = paintStyle();
    const qsizetype count = m_layoutNodes.size();
    if (m_hoverIndex >= 0 && m_hoverIndex < count && m_hoverIndex != m_selectedIndex)
        paintTile(p, m_layout.rectOf(m_hoverIndex), m_layoutNodes.at(m_hoverIndex), m_mode, true, false, ps);
    if (m_selectedIndex >= 0 && m_selectedIndex < count)
        paintTile(p, m_layout.rectOf(m_selectedIndex), m_layoutNodes.at(m_selectedIndex), m_mode,
                  m_selectedIndex == m_hoverIndex, true, ps);
    if (m_hovered && m_hoverPoint)
        paintTooltip(p, *m_hovered, *m_hoverPoint);
}

void DiskMapCanvas::paintTile(QPainter& p, const QRectF& rect, const DiskNode& node, DiskColorMode mode, bool hovered,
                              bool selected, const PaintStyle& ps)
{
    const QRectF r = DiskMapStyle::paintedRect(rect);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const double radius = DiskMapStyle::cornerRadius(r);
    const QColor base = DiskMapStyle::color(node, mode, ps.now);
    const QColor light = DiskMapStyle::lighter(base);
    const float overlay = selected ? 0.26f : hovered ? 0.14f : 0.0f;
    QLinearGradient gradient(r.topLeft(), r.bottomRight());
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, DiskMapStyle::darker(base));
    const QPen stroke(QColor::fromRgbF(0, 0, 0, 0.22f), selected ? 2.0 : 0.5);
    if (overlay > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(gradient);
        p.drawRoundedRect(r, radius, radius);
        p.setBrush(QColor::fromRgbF(1, 1, 1, overlay));
        p.setPen(stroke);
        p.drawRoundedRect(r, radius, radius);
    } else {
        // Fill and outline in one pass.
        p.setBrush(gradient);
        p.setPen(stroke);
        p.drawRoundedRect(r, radius, radius);
    }

    if (!DiskMapStyle::showsName(r))
        return;
    // The halo is the tile's own colour where the label starts (with the overlay on it).
    const QColor halo =
        QColor::fromRgbF(light.redF() + (1 - light.redF()) * overlay, light.greenF() + (1 - light.greenF()) * overlay,
                         light.blueF() + (1 - light.blueF()) * overlay);
    const Labels labels = labelsFor(r, node, ps);
    p.save();
    p.setClipRect(labels.clip);
    haloText(p, labels.nameBaseline, labels.name, ps.nameFont, kLabelInk, halo);
    if (!labels.size.isEmpty()) {
        const QColor ink = Style::dimmed(kLabelInk, halo, 0.15);
        haloText(p, labels.sizeBaseline, labels.size, ps.sizeFont, ink, halo);
    }
    p.restore();
}

DiskMapCanvas::Labels DiskMapCanvas::labelsFor(const QRectF& r, const DiskNode& node, const PaintStyle& ps)
{
    Labels l;
    l.clip = r.adjusted(4, 2, -4, -2);
    l.name = DiskMapStyle::displayName(node);
    l.nameBaseline = r.topLeft() + QPointF(ps.textX, ps.nameY + ps.nameAscent);
    const QFontMetricsF nm(ps.nameFont);
    l.nameRect = QRectF(r.left() + ps.textX, r.top() + ps.nameY, nm.horizontalAdvance(l.name), nm.height()) & l.clip;
    if (DiskMapStyle::showsSize(r)) {
        const QFontMetricsF sm(ps.sizeFont);
        l.size = DiskMapStyle::sizeText(node.size());
        l.sizeBaseline = r.topLeft() + QPointF(ps.textX, ps.sizeY + ps.sizeAscent);
        l.sizeRect =
            QRectF(r.left() + ps.textX, r.top() + ps.sizeY, sm.horizontalAdvance(l.size), sm.height()) & l.clip;
    }
    return l;
}

QList<QRectF> DiskMapCanvas::labelRects() const
{
    const PaintStyle ps = paintStyle();
    QList<QRectF> out;
    for (const Treemap::Tile& tile : tiles()) {
        const QRectF r = DiskMapStyle::paintedRect(tile.rect);
        if (!DiskMapStyle::showsName(r))
            continue;
        const Labels l = labelsFor(r, tile.node, ps);
        out << l.nameRect;
        if (!l.size.isEmpty())
            out << l.sizeRect;
    }
    return out;
}

void DiskMapCanvas::paintTooltip(QPainter& p, const DiskNode& node, const QPointF& point)
{
    const QFont nameFont = Style::font(Style::Text::caption, QFont::Medium);
    const QFont lineFont = Style::font(Style::Text::caption2);
    const QFontMetricsF nm(nameFont), lm(lineFont);
    const double padX = Style::metric(9), padY = Style::metric(5);
    const double maxText = Style::metric(220) - 2 * padX;
    const QString name = nm.elidedText(DiskMapStyle::displayName(node), Qt::ElideMiddle, maxText);
    const QString line = lm.elidedText(tr("%1 · ").arg(DiskMapStyle::sizeText(node.size()))
                                           + DiskMapStyle::categoryLabel(node.category()),
                                       Qt::ElideRight, maxText);
    const double w = std::max(nm.horizontalAdvance(name), lm.horizontalAdvance(line)) + 2 * padX;
    const double h = nm.height() + 1 + lm.height() + 2 * padY;
    const QPointF c = DiskMapStyle::tooltipCenter(point, QSizeF(size()));
    const QRectF box(c.x() - w / 2, c.y() - h / 2, w, h);

    p.save();
    // A soft shadow below the box.
    for (int i = 1; i <= 3; ++i) {
        QPainterPath sh;
        sh.addRoundedRect(box.translated(0, 2).adjusted(-i, -i + 1, i, i), 7 + i, 7 + i);
        p.fillPath(sh, QColor::fromRgbF(0, 0, 0, 0.2f / 3));
    }
    QPainterPath bg;
    bg.addRoundedRect(box, 7, 7);
    QColor fill = palette().color(QPalette::Window);
    if (!m_reduceTransparency)
        fill.setAlphaF(0.94f);
    p.fillPath(bg, fill);
    QColor border = Style::secondary(palette());
    border.setAlphaF(0.2f);
    p.strokePath(bg, QPen(border, 1));

    p.setFont(nameFont);
    p.setPen(Style::primary(palette()));
    const double top = box.top() + padY;
    p.drawText(QPointF(c.x() - nm.horizontalAdvance(name) / 2, top + nm.ascent()), name);
    p.setFont(lineFont);
    p.setPen(Style::secondary(palette()));
    p.drawText(QPointF(c.x() - lm.horizontalAdvance(line) / 2, top + nm.height() + 1 + lm.ascent()), line);
    p.restore();
}
