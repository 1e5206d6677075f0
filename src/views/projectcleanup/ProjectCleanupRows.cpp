#include "views/projectcleanup/ProjectCleanupRows.h"

#include "platform/ByteCountFormatter.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "platform/ui/FileManagerShell.h"
#include "views/components/Labels.h"
#include "views/components/RowDiff.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>

#include <algorithm>

namespace {

// The text to show for a path kept as a raw-path key.
QString shown(const QString& key) { return RawPath::display(RawPath::fromKey(key)); }

// Whether revealing the shown text reaches the folder itself.
QString revealable(const QString& key)
{
    const QByteArray raw = RawPath::fromKey(key);
    return RawPath::roundTrips(raw) ? QString::fromUtf8(raw) : QString();
}

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// Layout of the rows, in points for a 13-point body.
int padH() { return Style::metric(12); }
int padV() { return Style::metric(6); }
int rowGap() { return Style::metric(10); }
int headerGap() { return Style::metric(8); }
int buttonSide() { return Style::metric(22); }
int glyphSide() { return Style::metric(14); }
int badgePadH() { return Style::metric(5); }
constexpr int kBadgePadV = 1;
// An unselected row is drawn as if at 70 % opacity (its texts never below 4.5:1).
constexpr double kUnselectedFade = 0.3;
// Pixels added to a measured text's width before it is drawn.
constexpr int kSlack = 3;

int indicatorSize(const QWidget* widget)
{
    const QStyle* style = widget ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
}

QFont titleFont() { return Style::font(Style::Text::callout, QFont::Medium); }
QFont badgeFont() { return Style::font(Style::Text::caption2, QFont::DemiBold); }
QFont pathFont() { return Style::monospaced(Style::Text::caption2); }
QFont sizeFont() { return Style::monospaced(Style::Text::callout); }
QFont ageFont() { return Style::font(Style::Text::caption2); }
QFont headerNameFont() { return Style::font(Style::Text::callout, QFont::DemiBold); }
QFont headerTotalFont() { return Style::monospaced(Style::Text::callout, QFont::DemiBold); }

int badgeHeight() { return QFontMetrics(badgeFont()).height() + 2 * kBadgePadV; }
int badgeWidth(const QString& text) { return QFontMetrics(badgeFont()).horizontalAdvance(text) + 2 * badgePadH(); }

// The fill of a badge: the secondary colour at 15 % over `background`.
QColor badgeFill(const QPalette& pal, const QColor& background)
{
    return Style::dimmed(Style::secondary(pal), background, 0.85, 1.0);
}

// Draws a capsule badge with `text` in `r`.
void drawBadge(QPainter* p, const QPalette& pal, const QColor& background, const QString& text, const QRect& r,
               double fade)
{
    const QColor fill = badgeFill(pal, background);
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(r), r.height() / 2.0, r.height() / 2.0);
    p->fillPath(capsule, fill);
    p->setFont(badgeFont());
    p->setPen(Style::dimmed(Style::secondaryOn(Style::primary(pal), fill), fill, fade));
    p->drawText(r, Qt::AlignCenter, text);
}

void drawGlyph(QPainter* p, const QString& symbol, const QRect& button, const QColor& tint)
{
    const int side = glyphSide();
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    p->drawPixmap(QRect(button.center().x() - side / 2 + 1, button.center().y() - side / 2 + 1, side, side),
                  Symbol::pixmap(symbol, side, tint, dpr));
}

} // namespace

// ---------------------------------------------------------------------------------------------

ProjectCleanupRows::ProjectCleanupRows(QObject* parent) : QAbstractListModel(parent) {}

QString ProjectCleanupRows::age(const std::optional<QDateTime>& date)
{
    return age(date, QDateTime::currentDateTimeUtc());
}

QString ProjectCleanupRows::age(const std::optional<QDateTime>& date, const QDateTime& now)
{
    if (!date)
        return QStringLiteral("\u2014");
    const qint64 days = date->secsTo(now) / 86'400;   // truncated towards zero
    if (days <= 0)
        return QStringLiteral("today");
    if (days == 1)
        return QStringLiteral("yesterday");
    if (days < 30)
        return QString::number(days) + QStringLiteral(" days ago");
    if (days < 365)
        return QString::number(days / 30) + QStringLiteral(" mo ago");
    return QString::number(days / 365) + QStringLiteral(" yr ago");
}

QList<ProjectCleanupRows::Row> ProjectCleanupRows::flatRows(const QList<ProjectDir>& dirs)
{
    QList<Row> rows;
    rows.reserve(dirs.size());
    for (const ProjectDir& dir : dirs)
        rows.append(Row{false, dir, {}, {}, 0});
    return rows;
}

QList<ProjectCleanupRows::Row> ProjectCleanupRows::groupedRows(const QList<ProjectGroup>& groups)
{
    QList<Row> rows;
    for (const ProjectGroup& group : groups) {
        Row header;
        header.isHeader = true;
        header.groupPath = group.path;
        for (const ProjectDir& dir : group.dirs)
            header.groupPaths.append(dir.path);
        header.groupTotal = group.totalSize();
        rows.append(header);
        for (const ProjectDir& dir : group.dirs)
            rows.append(Row{false, dir, {}, {}, 0});
    }
    return rows;
}

void ProjectCleanupRows::setRows(const QList<Row>& rows)
{
    if (rows == m_rows)
        return;
    // The same rows with changed contents (a project's total): redrawn in place.
    const bool sameKeys = rows.size() == m_rows.size()
        && std::equal(rows.begin(), rows.end(), m_rows.begin(),
                      [](const Row& a, const Row& b) { return a.key() == b.key(); });
    if (sameKeys) {
        m_rows = rows;
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1));
        return;
    }
    QList<std::pair<int, int>> runs;
    if (!m_rows.isEmpty() && onlyInserted(m_rows, rows, runs)) {
        for (const auto& [at, count] : runs) {
            beginInsertRows({}, at, at + count - 1);
            for (int k = 0; k < count; ++k)
                m_rows.insert(at + k, rows[at + k]);
            endInsertRows();
        }
        return;
    }
    runs.clear();
    if (!rows.isEmpty() && onlyInserted(rows, m_rows, runs)) {
        // Only rows taken away (folders trashed or pinned): removed from the last run up.
        for (auto it = runs.crbegin(); it != runs.crend(); ++it) {
            beginRemoveRows({}, it->first, it->first + it->second - 1);
            m_rows.remove(it->first, it->second);
            endRemoveRows();
        }
        if (m_rows != rows) {   // a project's total changed with it
            m_rows = rows;
            Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1));
        }
        return;
    }
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

void ProjectCleanupRows::setSelected(const QSet<QString>& selected)
{
    m_selected = selected;
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {Qt::CheckStateRole, FullySelectedRole});
}

void ProjectCleanupRows::setNow(const std::optional<QDateTime>& now)
{
    m_now = now;
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {AgeTextRole});
}

int ProjectCleanupRows::headerRowFor(int row) const
{
    for (int r = std::min(row, int(m_rows.size()) - 1); r >= 0; --r) {
        if (m_rows[r].isHeader)
            return r;
    }
    return -1;
}

int ProjectCleanupRows::nextHeaderRow(int row) const
{
    for (int r = row + 1; r < m_rows.size(); ++r) {
        if (m_rows[r].isHeader)
            return r;
    }
    return -1;
}

int ProjectCleanupRows::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

QVariant ProjectCleanupRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows[index.row()];
    if (row.isHeader) {
        switch (role) {
        case IsHeaderRole: return true;
        case PathRole: return row.groupPath;
        case RevealPathRole: return revealable(row.groupPath);
        case Qt::DisplayRole:
        case ProjectNameRole: return Paths::lastComponent(shown(row.groupPath));
        case SizeTextRole: return formatBytes(row.groupTotal);
        case CountTextRole: return QString::number(row.groupPaths.size());
        case FullySelectedRole:
            return std::all_of(row.groupPaths.begin(), row.groupPaths.end(),
                               [this](const QString& p) { return m_selected.contains(p); });
        case Qt::AccessibleTextRole: return Paths::lastComponent(shown(row.groupPath));
        default: return {};
        }
    }
    const ProjectDir& dir = row.dir;
    switch (role) {
    case IsHeaderRole: return false;
    case PathRole: return dir.path;
    case RevealPathRole: return revealable(dir.path);
    case Qt::DisplayRole:
    case ProjectNameRole: return Paths::lastComponent(parentOf(shown(dir.path)));
    case KindLabelRole: return dir.kindLabel;
    case DisplayPathRole:
    case Qt::AccessibleDescriptionRole: return Paths::abbreviateHome(shown(dir.path));
    case SizeTextRole: return formatBytes(dir.size);
    case AgeTextRole:
        return age(dir.modified, m_now.value_or(QDateTime::currentDateTimeUtc()));
    case Qt::CheckStateRole: return m_selected.contains(dir.path) ? Qt::Checked : Qt::Unchecked;
    case Qt::AccessibleTextRole:
        return QCoreApplication::translate("ProjectCleanupView", "%1 %2")
            .arg(Paths::lastComponent(parentOf(shown(dir.path))), dir.kindLabel);
    default: return {};
    }
}

Qt::ItemFlags ProjectCleanupRows::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return Qt::NoItemFlags;
    if (m_rows[index.row()].isHeader)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable;
}

// ---------------------------------------------------------------------------------------------

ProjectCleanupDelegate::ProjectCleanupDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

ProjectCleanupDelegate::FolderLayout ProjectCleanupDelegate::folderLayout(const QRect& r, const QModelIndex& index)
{
    FolderLayout l;
    const int body = r.height() - 1;   // the divider is the last line
    const int check = indicatorSize(nullptr);
    l.check = QRect(r.left() + padH(), r.top() + (body - check) / 2, check, check);
    const int side = buttonSide();
    l.pin = QRect(r.right() - padH() - side + 1, r.top() + (body - side) / 2, side, side);
    l.reveal = QRect(l.pin.left() - rowGap() - side, l.pin.top(), side, side);

    // The size over the age, aligned at their trailing edge.
    const QFontMetrics sm(sizeFont()), am(ageFont());
    const int figuresWidth = std::max(sm.horizontalAdvance(index.data(ProjectCleanupRows::SizeTextRole).toString()),
                                      am.horizontalAdvance(index.data(ProjectCleanupRows::AgeTextRole).toString()));
    const int figuresRight = l.reveal.left() - rowGap();
    const int figuresTop = r.top() + (body - (sm.height() + 1 + am.height())) / 2;
    l.size = QRect(figuresRight - figuresWidth, figuresTop, figuresWidth, sm.height());
    l.age = QRect(figuresRight - figuresWidth, figuresTop + sm.height() + 1, figuresWidth, am.height());

    // The project name with the kind's badge, over the path.
    const int textLeft = l.check.right() + 1 + rowGap();
    const int textRoom = std::max(0, l.size.left() - Style::metric(8) - textLeft);
    const QFontMetrics tm(titleFont()), pm(pathFont());
    const int firstLine = std::max(tm.height(), badgeHeight());
    const int textTop = r.top() + (body - (firstLine + 1 + pm.height())) / 2;
    const QString kind = index.data(ProjectCleanupRows::KindLabelRole).toString();
    const int nameRoom = std::max(0, textRoom - Style::metric(6) - badgeWidth(kind));
    // A few pixels of slack: a painter on a high-density device may measure the name a little wider.
    const int nameWidth =
        std::min(nameRoom, tm.horizontalAdvance(index.data(ProjectCleanupRows::ProjectNameRole).toString()) + kSlack);
    l.name = QRect(textLeft, textTop, nameWidth, firstLine);
    l.badge = QRect(textLeft + nameWidth + Style::metric(6), textTop + (firstLine - badgeHeight()) / 2, badgeWidth(kind),
                    badgeHeight());
    l.path = QRect(textLeft, textTop + firstLine + 1, textRoom, pm.height());
    return l;
}

ProjectCleanupDelegate::HeaderLayout ProjectCleanupDelegate::headerLayout(const QRect& r, const QModelIndex& index)
{
    HeaderLayout l;
    const int side = buttonSide();
    l.circle = QRect(r.left() + padH() - Style::metric(3), r.top() + (r.height() - side) / 2, side, side);
    l.reveal = QRect(r.right() - padH() - side + 1, r.top() + (r.height() - side) / 2, side, side);
    const int folderSide = Style::pixelSize(Style::Text::callout);
    l.folder = QRect(l.circle.right() + 1 + headerGap(), r.center().y() - folderSide / 2, folderSide, folderSide);

    const int totalWidth = QFontMetrics(headerTotalFont()).horizontalAdvance(index.data(ProjectCleanupRows::SizeTextRole).toString());
    l.total = QRect(l.reveal.left() - headerGap() - totalWidth, r.top(), totalWidth, r.height());

    const QString count = index.data(ProjectCleanupRows::CountTextRole).toString();
    const int nameLeft = l.folder.right() + 1 + headerGap();
    const int nameRoom = std::max(0, l.total.left() - headerGap() - badgeWidth(count) - headerGap() - nameLeft);
    const int nameWidth = std::min(
        nameRoom, QFontMetrics(headerNameFont()).horizontalAdvance(index.data(ProjectCleanupRows::ProjectNameRole).toString()) + kSlack);
    l.name = QRect(nameLeft, r.top(), nameWidth, r.height());
    l.badge = QRect(nameLeft + nameWidth + headerGap(), r.center().y() - badgeHeight() / 2, badgeWidth(count), badgeHeight());
    return l;
}

QSize ProjectCleanupDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.data(ProjectCleanupRows::IsHeaderRole).toBool()) {
        const int content = std::max({QFontMetrics(headerNameFont()).height(), buttonSide(), badgeHeight()});
        return QSize(option.rect.width(), 2 * padV() + content);
    }
    const int firstLine = std::max(QFontMetrics(titleFont()).height(), badgeHeight());
    const int texts = firstLine + 1 + QFontMetrics(pathFont()).height();
    const int figures = QFontMetrics(sizeFont()).height() + 1 + QFontMetrics(ageFont()).height();
    const int content = std::max({texts, figures, indicatorSize(option.widget), buttonSide()});
    return QSize(option.rect.width(), 2 * padV() + content + 1);
}

void ProjectCleanupDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    if (index.data(ProjectCleanupRows::IsHeaderRole).toBool())
        paintHeader(p, option, index);
    else
        paintFolder(p, option, index);
    p->restore();
}

void ProjectCleanupDelegate::paintHeader(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect r = option.rect;
    const HeaderLayout l = headerLayout(r, index);
    const QPalette& pal = option.palette;
    const QColor bar = Style::bar(pal);
    p->fillRect(r, bar);
    QPalette onBar = pal;
    onBar.setColor(QPalette::Window, bar);
    const QColor secondary = Style::secondary(onBar);

    const bool full = index.data(ProjectCleanupRows::FullySelectedRole).toBool();
    drawGlyph(p, full ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"), l.circle,
              full ? Style::accentText(onBar) : secondary);
    if (option.state & QStyle::State_HasFocus) {
        p->setPen(QPen(Style::focusRing(onBar), 2));
        p->setBrush(Qt::NoBrush);
        p->drawEllipse(QRectF(l.circle).adjusted(2, 2, -2, -2));
    }
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    p->drawPixmap(l.folder, Symbol::pixmap(QStringLiteral("folder.fill"), l.folder.width(), secondary, dpr));
    drawGlyph(p, QStringLiteral("magnifyingglass"), l.reveal,
              index.data(ProjectCleanupRows::RevealPathRole).toString().isEmpty()
                  ? pal.color(QPalette::Disabled, QPalette::WindowText)
                  : secondary);

    p->setFont(headerTotalFont());
    p->setPen(Style::primary(onBar));
    p->drawText(l.total, Qt::AlignRight | Qt::AlignVCenter, index.data(ProjectCleanupRows::SizeTextRole).toString());
    p->setFont(headerNameFont());
    p->drawText(l.name, Qt::AlignLeft | Qt::AlignVCenter,
                p->fontMetrics().elidedText(index.data(ProjectCleanupRows::ProjectNameRole).toString(), Qt::ElideMiddle,
                                            l.name.width()));
    drawBadge(p, onBar, bar, index.data(ProjectCleanupRows::CountTextRole).toString(), l.badge, 0.0);
}

void ProjectCleanupDelegate::paintFolder(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect r = option.rect;
    const FolderLayout l = folderLayout(r, index);
    const QPalette& pal = option.palette;
    const QColor background = pal.color(QPalette::Window);
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    const double fade = checked ? 0.0 : kUnselectedFade;
    const QColor primary = Style::dimmed(Style::primary(pal), background, fade);
    const QColor secondary = Style::dimmed(Style::secondary(pal), background, fade);

    QStyleOptionButton box;
    box.rect = l.check;
    box.state = (checked ? QStyle::State_On : QStyle::State_Off) | QStyle::State_Enabled;
    if (option.state & QStyle::State_HasFocus)
        box.state |= QStyle::State_HasFocus;
    box.palette = pal;
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, p, option.widget);

    drawGlyph(p, QStringLiteral("pin.slash"), l.pin, secondary);
    drawGlyph(p, QStringLiteral("magnifyingglass"), l.reveal,
              index.data(ProjectCleanupRows::RevealPathRole).toString().isEmpty()
                  ? pal.color(QPalette::Disabled, QPalette::WindowText)
                  : secondary);

    p->setFont(sizeFont());
    p->setPen(primary);
    p->drawText(l.size, Qt::AlignRight | Qt::AlignVCenter, index.data(ProjectCleanupRows::SizeTextRole).toString());
    p->setFont(ageFont());
    p->setPen(secondary);
    p->drawText(l.age, Qt::AlignRight | Qt::AlignVCenter, index.data(ProjectCleanupRows::AgeTextRole).toString());

    p->setFont(titleFont());
    p->setPen(primary);
    p->drawText(l.name, Qt::AlignLeft | Qt::AlignVCenter,
                p->fontMetrics().elidedText(index.data(ProjectCleanupRows::ProjectNameRole).toString(), Qt::ElideRight,
                                            l.name.width()));
    drawBadge(p, pal, background, index.data(ProjectCleanupRows::KindLabelRole).toString(), l.badge, fade);
    p->setFont(pathFont());
    p->setPen(secondary);
    p->drawText(l.path, Qt::AlignLeft | Qt::AlignVCenter,
                p->fontMetrics()
                    .elidedText(index.data(ProjectCleanupRows::DisplayPathRole).toString(), Qt::ElideMiddle, l.path.width()));

    // The divider under the row, indented past the checkbox.
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(Style::separator(pal));
    p->drawLine(r.left() + Style::metric(38), r.bottom(), r.right(), r.bottom());
}

bool ProjectCleanupDelegate::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                                         const QModelIndex& index)
{
    if (!index.isValid())
        return false;
    const bool header = index.data(ProjectCleanupRows::IsHeaderRole).toBool();
    const QString path = index.data(ProjectCleanupRows::PathRole).toString();
    const QString reveal = index.data(ProjectCleanupRows::RevealPathRole).toString();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        // A folder row takes every left click; a header only those on its two buttons.
        if (e->button() != Qt::LeftButton)
            return false;
        if (!header)
            return true;
        const QPoint at = e->position().toPoint();
        const HeaderLayout l = headerLayout(option.rect, index);
        return l.circle.contains(at) || l.reveal.contains(at);
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || !option.rect.contains(e->position().toPoint()))
            return false;
        const QPoint at = e->position().toPoint();
        if (header) {
            const HeaderLayout l = headerLayout(option.rect, index);
            if (l.circle.contains(at)) {
                Q_EMIT groupToggleRequested(path);
                return true;
            }
            if (l.reveal.contains(at)) {
                if (!reveal.isEmpty())
                    Q_EMIT revealRequested(reveal);
                return true;
            }
            return false;
        }
        const FolderLayout l = folderLayout(option.rect, index);
        if (l.reveal.contains(at)) {
            if (!reveal.isEmpty())
                Q_EMIT revealRequested(reveal);
        } else if (l.pin.contains(at)) {
            Q_EMIT pinRequested(path);
        } else {
            Q_EMIT toggleRequested(path);
        }
        return true;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        if (header)
            Q_EMIT groupToggleRequested(path);
        else
            Q_EMIT toggleRequested(path);
        return true;
    }
    default:
        return false;
    }
}

bool ProjectCleanupDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                       const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QString tip;
    if (index.data(ProjectCleanupRows::IsHeaderRole).toBool()) {
        const HeaderLayout l = headerLayout(option.rect, index);
        if (l.circle.contains(event->pos()))
            tip = QCoreApplication::translate("ProjectCleanupView", "Select all in this project");
        else if (l.reveal.contains(event->pos()))
            tip = FileManagerShell::revealProjectLabel();
        else
            tip = plainToolTip(Paths::abbreviateHome(shown(index.data(ProjectCleanupRows::PathRole).toString())));
    } else {
        const FolderLayout l = folderLayout(option.rect, index);
        if (l.reveal.contains(event->pos()))
            tip = FileManagerShell::revealLabel();
        else if (l.pin.contains(event->pos()))
            tip = QCoreApplication::translate("ProjectCleanupView", "Never suggest this folder");
        else
            tip = plainToolTip(index.data(ProjectCleanupRows::DisplayPathRole).toString());
    }
    QToolTip::showText(event->globalPos(), tip, view, option.rect);
    return true;
}

// ---------------------------------------------------------------------------------------------

ProjectCleanupList::ProjectCleanupList(QWidget* parent) : QListView(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUniformItemSizes(false);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // The rows sit on the window's own colour, which the text colours are measured against.
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
}

QModelIndex ProjectCleanupList::pinnedHeaderIndex() const
{
    auto* rows = qobject_cast<ProjectCleanupRows*>(model());
    if (!rows || rows->rowCount() == 0)
        return {};
    const QModelIndex top = indexAt(QPoint(1, 0));
    if (!top.isValid())
        return {};
    const int header = rows->headerRowFor(top.row());
    if (header < 0)
        return {};
    const QModelIndex index = rows->index(header);
    // A header still in its own place needs no pinned copy.
    return visualRect(index).top() < 0 ? index : QModelIndex();
}

QRect ProjectCleanupList::pinnedHeaderRect() const
{
    const QModelIndex index = pinnedHeaderIndex();
    if (!index.isValid())
        return {};
    auto* rows = static_cast<ProjectCleanupRows*>(model());
    const int height = visualRect(index).height();
    int top = 0;
    const int next = rows->nextHeaderRow(index.row());
    if (next >= 0)
        top = std::min(0, visualRect(rows->index(next)).top() - height);
    return QRect(0, top, viewport()->width(), height);
}

void ProjectCleanupList::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    const QModelIndex index = pinnedHeaderIndex();
    if (!index.isValid())
        return;
    QPainter p(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = pinnedHeaderRect();
    option.index = index;
    if (currentIndex() == index && hasFocus())
        option.state |= QStyle::State_HasFocus;
    itemDelegateForIndex(index)->paint(&p, option, index);
}

bool ProjectCleanupList::viewportEvent(QEvent* event)
{
    // Clicks and tooltips over the pinned header belong to it, not to the rows under it.
    QPoint at;
    bool pointer = false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        at = static_cast<QMouseEvent*>(event)->position().toPoint();
        pointer = true;
        break;
    case QEvent::ToolTip:
        at = static_cast<QHelpEvent*>(event)->pos();
        pointer = true;
        break;
    default:
        break;
    }
    if (pointer) {
        const QRect pinned = pinnedHeaderRect();
        if (pinned.contains(at)) {
            const QModelIndex index = pinnedHeaderIndex();
            QStyleOptionViewItem option;
            initViewItemOption(&option);
            option.rect = pinned;
            option.index = index;
            QAbstractItemDelegate* delegate = itemDelegateForIndex(index);
            if (event->type() == QEvent::ToolTip)
                delegate->helpEvent(static_cast<QHelpEvent*>(event), this, option, index);
            else
                delegate->editorEvent(event, model(), option, index);
            return true;
        }
    }
    return QListView::viewportEvent(event);
}
