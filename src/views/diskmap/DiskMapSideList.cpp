#include "views/diskmap/DiskMapSideList.h"

#include "views/components/Labels.h"
#include "views/components/Style.h"
#include "views/diskmap/DiskMapModel.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVariantAnimation>

namespace {

struct RowMetrics {
    int padX, padY, swatch, spacing, barHeight, barGap, nameHeight, rowHeight, dividerIndent;
};

RowMetrics rowMetrics()
{
    RowMetrics m{};
    m.padX = Style::metric(10);
    m.padY = Style::metric(6);
    m.swatch = Style::metric(10);
    m.spacing = Style::metric(8);
    m.barHeight = 3;
    m.barGap = Style::metric(3);
    m.nameHeight = QFontMetrics(Style::font(Style::Text::caption)).height();
    m.rowHeight = m.padY * 2 + m.nameHeight + m.barGap + m.barHeight + 1; // + the divider
    m.dividerIndent = Style::metric(28);
    return m;
}

} // namespace

// ---- model ----

DiskMapListModel::DiskMapListModel(QObject* parent) : QAbstractListModel(parent) {}

void DiskMapListModel::setChildren(const NodeList& children, qint64 parentSize)
{
    beginResetModel();
    m_children = children;
    m_parentSize = parentSize;
    m_selectedRow = -1;
    endResetModel();
}

int DiskMapListModel::rowOf(const DiskNode& node) const { return int(m_children.indexOf(node, true)); }

void DiskMapListModel::setSelected(const std::optional<DiskNode>& node)
{
    const int old = m_selectedRow;
    m_selectedRow = node ? rowOf(*node) : -1;
    if (old >= 0)
        Q_EMIT dataChanged(index(old), index(old), {SelectedRole});
    if (m_selectedRow >= 0 && m_selectedRow != old)
        Q_EMIT dataChanged(index(m_selectedRow), index(m_selectedRow), {SelectedRole});
}

int DiskMapListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_children.size());
}

QVariant DiskMapListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_children.size())
        return {};
    const DiskNode n = m_children.at(index.row());
    const double share = DiskMapStyle::share(n.size(), m_parentSize);
    switch (role) {
    case Qt::DisplayRole: return DiskMapStyle::displayName(n);
    case Qt::ToolTipRole: return plainToolTip(tr("%1 — %2").arg(n.name(), DiskMapStyle::sizeText(n.size())));
    case Qt::AccessibleTextRole:
        return tr("%1, %2").arg(n.name(),
                                n.isDirectory() ? QStringLiteral("folder") : DiskMapStyle::categoryWord(n.category()));
    case Qt::AccessibleDescriptionRole: {
        QString text = tr("%1, %2 percent")
                           .arg(DiskMapStyle::sizeText(n.size()), QString::number(DiskMapStyle::sharePercent(share)));
        if (n.isDirectory() && n.hasChildren())
            text += QStringLiteral(". ") + tr("Double-tap to open");
        return text;
    }
    case ShareRole: return share;
    case SelectedRole: return index.row() == m_selectedRow;
    default: return {};
    }
}

// ---- delegate ----

DiskMapRowDelegate::DiskMapRowDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_now([] { return QDateTime::currentDateTimeUtc(); })
{
}

double DiskMapRowDelegate::filledWidth(double barWidth, double share) { return std::max(barWidth * share, 2.0); }

QSize DiskMapRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(Style::metric(260), rowMetrics().rowHeight);
}

DiskMapRowDelegate::Layout DiskMapRowDelegate::layout(const QRect& row, const QModelIndex& index) const
{
    Layout l;
    const auto* model = qobject_cast<const DiskMapListModel*>(index.model());
    if (!model)
        return l;
    const DiskNode& n = model->node(index.row());
    const RowMetrics m = rowMetrics();
    l.nameFont = Style::font(Style::Text::caption);
    l.sizeFont = l.nameFont;
    l.categoryFont = l.nameFont;
    l.categoryFont.setPixelSize(std::max(1, Style::metric(9)));
    const QFontMetrics nm(l.nameFont), sm(l.sizeFont), cm(l.categoryFont);

    const QRect content = row.adjusted(m.padX, m.padY, -m.padX, -m.padY - 1);
    // The size at the trailing edge, the swatch at the leading one, the name between them with
    // the share bar under it.
    l.sizeText = DiskMapStyle::sizeText(n.size());
    const int sizeWidth = sm.horizontalAdvance(l.sizeText);
    l.size = QRect(content.right() - sizeWidth + 1, content.top(), sizeWidth, content.height());
    l.swatch = QRectF(content.left(), content.center().y() - m.swatch / 2.0 + 0.5, m.swatch, m.swatch);
    const int left = content.left() + m.swatch + m.spacing;
    const int width = std::max(0, content.right() - sizeWidth - m.spacing - left + 1);
    if (m_differentiate && !n.isSynthetic())
        l.categoryText = DiskMapStyle::categoryLabel(n.category());
    const int gap = Style::metric(5);
    const int categoryWidth = l.categoryText.isEmpty() ? 0 : cm.horizontalAdvance(l.categoryText) + gap;
    l.nameText =
        nm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, std::max(0, width - categoryWidth));
    l.name = QRect(left, content.top(), std::min(width, nm.horizontalAdvance(l.nameText)), m.nameHeight);
    if (!l.categoryText.isEmpty())
        l.category = QRect(l.name.right() + 1 + gap, content.top(), categoryWidth - gap, m.nameHeight);
    l.bar = QRectF(left, content.top() + m.nameHeight + m.barGap, width, m.barHeight);
    l.dividerStart = row.left() + m.dividerIndent;
    return l;
}

DiskMapRowDelegate::TextRects DiskMapRowDelegate::textRects(const QRect& row, const QModelIndex& index) const
{
    const Layout l = layout(row, index);
    return TextRects{l.name, l.category, l.size};
}

void DiskMapRowDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = qobject_cast<const DiskMapListModel*>(index.model());
    if (!model)
        return;
    const DiskNode& n = model->node(index.row());
    const Layout l = layout(option.rect, index);
    const QPalette& pal = option.palette;
    const QRect row = option.rect;
    const bool selected = index.data(DiskMapListModel::SelectedRole).toBool();

    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    QColor background = pal.color(QPalette::Base);
    if (selected) {
        QColor tint = Style::accent(pal);
        tint.setAlphaF(0.18f);
        p->fillRect(row.adjusted(0, 0, 0, -1), tint);
        // The text is measured against the tinted row.
        const QColor a = Style::accent(pal);
        background = QColor::fromRgbF(background.redF() * 0.82f + a.redF() * 0.18f,
                                      background.greenF() * 0.82f + a.greenF() * 0.18f,
                                      background.blueF() * 0.82f + a.blueF() * 0.18f);
    }
    const QColor text = pal.color(QPalette::Text);
    const QColor secondary = Style::secondaryOn(text, background);
    const QColor swatchColor = DiskMapStyle::color(n, m_mode, m_now());

    p->setFont(l.sizeFont);
    p->setPen(secondary);
    p->drawText(l.size, Qt::AlignVCenter | Qt::AlignRight, l.sizeText);

    QPainterPath sw;
    sw.addRoundedRect(l.swatch, 2, 2);
    p->fillPath(sw, swatchColor);

    p->setFont(l.nameFont);
    p->setPen(text);
    p->drawText(l.name, Qt::AlignVCenter | Qt::AlignLeft, l.nameText);
    if (!l.categoryText.isEmpty()) {
        p->setFont(l.categoryFont);
        p->setPen(secondary);
        p->drawText(l.category, Qt::AlignVCenter | Qt::AlignLeft, l.categoryText);
    }
    const QRectF& bar = l.bar;
    QPainterPath track;
    track.addRoundedRect(bar, bar.height() / 2, bar.height() / 2);
    QColor trackColor = secondary;
    trackColor.setAlphaF(0.15f);
    p->fillPath(track, trackColor);
    QPainterPath filled;
    const double share = index.data(DiskMapListModel::ShareRole).toDouble();
    filled.addRoundedRect(
        QRectF(bar.left(), bar.top(), std::min(bar.width(), filledWidth(bar.width(), share)), bar.height()),
        bar.height() / 2, bar.height() / 2);
    p->fillPath(filled, swatchColor);

    // The divider, starting under the name.
    QColor divider = pal.color(QPalette::Text);
    divider.setAlphaF(0.12f);
    p->setPen(QPen(divider, 1));
    p->drawLine(QPointF(l.dividerStart, row.bottom() + 0.5), QPointF(row.right(), row.bottom() + 0.5));
    p->restore();
}

// ---- list ----

DiskMapSideList::DiskMapSideList(DiskMapModel& model, QWidget* parent)
    : QListView(parent), m_model(model), m_list(new DiskMapListModel(this)), m_delegate(new DiskMapRowDelegate(this))
{
    setModel(m_list);
    setItemDelegate(m_delegate);
    setUniformItemSizes(true);
    // A live root of a million rows is laid out in parts, each its own short event, the first at
    // once; a folder of a few thousand rows in one go.
    setLayoutMode(QListView::Batched);
    setBatchSize(kLayoutBatch);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setAccessibleName(tr("Items"));

    connect(this, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            m_model.setSelection(m_list->node(index.row()));
    });
    connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        const DiskNode n = m_list->node(index.row());
        if (n.isDirectory() && n.hasChildren())
            m_model.zoom(n);
    });
    connect(&m_model, &DiskMapModel::rootChanged, this, &DiskMapSideList::folderChanged);
    connect(&m_model, &DiskMapModel::stackChanged, this, &DiskMapSideList::folderChanged);
    connect(&m_model, &DiskMapModel::selectionChanged, this, &DiskMapSideList::selectionChanged);

    m_scroll = new QVariantAnimation(this);
    m_scroll->setDuration(220);
    m_scroll->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_scroll, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& v) { verticalScrollBar()->setValue(int(v.toDouble())); });
    folderChanged();
}

void DiskMapSideList::setColorMode(DiskColorMode mode)
{
    m_delegate->setColorMode(mode);
    viewport()->update();
}

void DiskMapSideList::folderChanged()
{
    // A live folder grows while the scan runs: keep the place the user scrolled to.
    const int value = verticalScrollBar()->value();
    const std::optional<DiskNode> shown = m_model.current();
    m_list->setChildren(m_model.currentChildren(), shown ? shown->size() : 0);
    if (m_model.selection())
        m_list->setSelected(m_model.selection());
    verticalScrollBar()->setValue(value);
}

void DiskMapSideList::selectionChanged()
{
    const std::optional<DiskNode> s = m_model.selection();
    m_list->setSelected(s);
    if (!s)
        return;
    const int row = m_list->selectedRow();
    if (row >= 0)
        scrollToRow(row);
}

void DiskMapSideList::scrollToRow(int row)
{
    const QRect r = visualRect(m_list->index(row));
    QScrollBar* bar = verticalScrollBar();
    const int target =
        std::clamp(bar->value() + r.center().y() - viewport()->height() / 2, bar->minimum(), bar->maximum());
    m_scroll->stop();
    if (m_reduceMotion || target == bar->value()) {
        bar->setValue(target);
        return;
    }
    m_scroll->setStartValue(double(bar->value()));
    m_scroll->setEndValue(double(target));
    m_scroll->start();
}

void DiskMapSideList::contextMenuEvent(QContextMenuEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid() || !m_menuBuilder)
        return;
    QMenu menu(this);
    m_menuBuilder(menu, m_list->node(index.row()));
    if (!menu.isEmpty())
        menu.exec(event->globalPos());
}
