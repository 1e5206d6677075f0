#include "views/largefiles/FileFinderRows.h"

#include "platform/ByteCountFormatter.h"
#include "platform/Paths.h"
#include "platform/ui/FileManagerShell.h"
#include "views/components/Labels.h"
#include "views/components/RowDiff.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

QString headerText(const FileFinderRows::Row& row)
{
    return FileFinderRows::tr("%n copies · %1 each", nullptr, int(row.copies)).arg(formatBytes(row.groupSize));
}

QString saveText(const FileFinderRows::Row& row)
{
    return FileFinderRows::tr("save %1").arg(formatBytes(row.saves));
}

FileFinderRows::Row fileRow(const ScannedFile& file, const QString& keyPrefix)
{
    FileFinderRows::Row row;
    row.file = file;
    row.id = file.id();
    row.path = file.path();
    row.key = keyPrefix + row.id;
    return row;
}

// The whole pixels a text needs. QFontMetrics::horizontalAdvance rounds to the nearest pixel, while
// eliding and drawing lay the text out at fractional precision, so a rect of the rounded width can
// be a fraction too narrow and cut the last letters off.
int textWidth(const QFont& font, const QString& text)
{
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

int indicatorSize(const QWidget* widget)
{
    const QStyle* style = widget ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
}

// Layout of a row, in points for a 13-point body.
int padH() { return Style::metric(12); }
int padV() { return Style::metric(6); }
int gap() { return Style::metric(10); }
int revealSide() { return Style::metric(22); }

} // namespace

FileFinderRows::FileFinderRows(std::function<void(const QString&)> toggle,
                               std::function<bool(const QString&)> canTrash, QObject* parent)
    : QAbstractListModel(parent), m_toggle(std::move(toggle)), m_canTrash(std::move(canTrash))
{
}

QList<FileFinderRows::Row> FileFinderRows::largestRows(const FileScanResult& result)
{
    QList<Row> rows;
    rows.reserve(result.largest.size());
    for (const ScannedFile& file : result.largest)
        rows.append(fileRow(file, QString()));
    return rows;
}

QList<FileFinderRows::Row> FileFinderRows::duplicateRows(const FileScanResult& result)
{
    QList<Row> rows;
    for (const DuplicateGroup& group : result.duplicates) {
        Row header;
        header.isHeader = true;
        header.key = QStringLiteral("group:") + group.id;
        header.copies = group.files.size();
        header.groupSize = group.size;
        header.saves = reclaimableBytes(group); // a sparse copy frees less than the first one holds
        rows.append(header);
        for (const ScannedFile& file : group.files)
            rows.append(fileRow(file, group.id + QLatin1Char('/')));
    }
    return rows;
}

void FileFinderRows::setRows(const QList<Row>& rows)
{
    if (rows == m_rows)
        return;
    QList<std::pair<int, int>> inserts;
    if (!m_rows.isEmpty() && onlyInserted(m_rows, rows, inserts)) {
        for (const auto& [at, count] : inserts) {
            beginInsertRows({}, at, at + count - 1);
            for (int k = 0; k < count; ++k)
                m_rows.insert(at + k, rows[at + k]);
            endInsertRows();
        }
        return;
    }
    beginResetModel();
    m_rows = rows;
    if (rows.isEmpty())
        m_canTrashCache.clear();
    endResetModel();
}

void FileFinderRows::setSelected(const QSet<QString>& selected)
{
    m_selected = selected;
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {Qt::CheckStateRole});
}

int FileFinderRows::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

bool FileFinderRows::canTrash(const QString& id) const
{
    const auto it = m_canTrashCache.constFind(id);
    if (it != m_canTrashCache.constEnd())
        return *it;
    const bool allowed = m_canTrash ? m_canTrash(id) : false;
    m_canTrashCache.insert(id, allowed);
    return allowed;
}

QVariant FileFinderRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows[index.row()];
    if (row.isHeader) {
        switch (role) {
        case IsHeaderRole: return true;
        case Qt::DisplayRole:
        case HeaderTextRole: return headerText(row);
        case SaveTextRole: return saveText(row);
        default: return {};
        }
    }
    switch (role) {
    case IsHeaderRole: return false;
    case Qt::DisplayRole: return Paths::lastComponent(row.path);
    case IdRole: return row.id;
    case PathRole: return row.path;
    case PathRoundTripsRole: return row.file.pathRoundTrips();
    case SubtitleRole:
    case Qt::AccessibleDescriptionRole: return Paths::abbreviateHome(row.path);
    case SizeTextRole: return formatBytes(row.file.size);
    case CanTrashRole: return canTrash(row.id);
    case Qt::CheckStateRole: return m_selected.contains(row.id) ? Qt::Checked : Qt::Unchecked;
    default: return {};
    }
}

bool FileFinderRows::setData(const QModelIndex& index, const QVariant&, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= m_rows.size())
        return false;
    const Row& row = m_rows[index.row()];
    if (row.isHeader || !canTrash(row.id))
        return false;
    if (m_toggle)
        m_toggle(row.id);
    return true;
}

Qt::ItemFlags FileFinderRows::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return Qt::NoItemFlags;
    const Row& row = m_rows[index.row()];
    if (row.isHeader)
        return Qt::ItemIsEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled;
    if (canTrash(row.id))
        f |= Qt::ItemIsUserCheckable;
    return f;
}

// ---------------------------------------------------------------------------------------------

FileFinderRowDelegate::FileFinderRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QRect FileFinderRowDelegate::checkBoxRect(const QRect& row)
{
    const int side = indicatorSize(nullptr);
    const int body = row.height() - 1;   // the divider is the last line
    return QRect(row.left() + padH(), row.top() + (body - side) / 2, side, side);
}

QRect FileFinderRowDelegate::revealRect(const QRect& row)
{
    const int side = revealSide();
    const int body = row.height() - 1;
    return QRect(row.right() - padH() - side + 1, row.top() + (body - side) / 2, side, side);
}

QSize FileFinderRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.data(FileFinderRows::IsHeaderRole).toBool()) {
        const QFontMetrics fm(Style::font(Style::Text::caption, QFont::DemiBold));
        return QSize(option.rect.width(), Style::metric(10) + fm.height() + Style::metric(4));
    }
    const QFontMetrics title(Style::font(Style::Text::callout));
    const QFontMetrics sub(Style::monospaced(Style::Text::caption2));
    const int texts = title.height() + 1 + sub.height();
    const int content = std::max({texts, indicatorSize(option.widget), revealSide()});
    return QSize(option.rect.width(), 2 * padV() + content + 1);
}

FileFinderRowDelegate::TextRects FileFinderRowDelegate::textRects(const QRect& r, const QModelIndex& index)
{
    TextRects t;
    if (index.data(FileFinderRows::IsHeaderRole).toBool()) {
        const QRect text = r.adjusted(padH(), Style::metric(10), -padH(), -Style::metric(4));
        const int saveWidth = textWidth(Style::font(Style::Text::caption),
                                        index.data(FileFinderRows::SaveTextRole).toString());
        t.save = QRect(text.right() + 1 - saveWidth, text.top(), saveWidth, text.height());
        const int left = std::min(text.width() - saveWidth - gap(),
                                  textWidth(Style::font(Style::Text::caption, QFont::DemiBold),
                                            index.data(FileFinderRows::HeaderTextRole).toString()));
        t.header = QRect(text.left(), text.top(), std::max(0, left), text.height());
        return t;
    }
    const int body = r.height() - 1;   // the divider is the last line
    const int sizeWidth = textWidth(Style::font(Style::Text::callout),
                                    index.data(FileFinderRows::SizeTextRole).toString());
    t.size = QRect(revealRect(r).left() - gap() - sizeWidth, r.top(), sizeWidth, body);

    const int textLeft = checkBoxRect(r).right() + 1 + gap();
    const int width = std::max(0, t.size.left() - Style::metric(8) - textLeft);
    const QFontMetrics tm(Style::font(Style::Text::callout)), sm(Style::monospaced(Style::Text::caption2));
    const int top = r.top() + (body - (tm.height() + 1 + sm.height())) / 2;
    t.title = QRect(textLeft, top, width, tm.height());
    t.subtitle = QRect(textLeft, top + tm.height() + 1, width, sm.height());
    return t;
}

void FileFinderRowDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect r = option.rect;
    const QPalette& pal = option.palette;
    const TextRects at = textRects(r, index);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);

    if (index.data(FileFinderRows::IsHeaderRole).toBool()) {
        p->setFont(Style::font(Style::Text::caption));
        p->setPen(Style::legible(Style::green(), pal));
        p->drawText(at.save, Qt::AlignRight | Qt::AlignVCenter, index.data(FileFinderRows::SaveTextRole).toString());
        const QFont bold = Style::font(Style::Text::caption, QFont::DemiBold);
        p->setFont(bold);
        p->setPen(Style::secondary(pal));
        p->drawText(at.header, Qt::AlignLeft | Qt::AlignVCenter,
                    QFontMetrics(bold).elidedText(index.data(FileFinderRows::HeaderTextRole).toString(),
                                                  Qt::ElideRight, at.header.width()));
        p->restore();
        return;
    }

    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    const bool enabled = index.data(FileFinderRows::CanTrashRole).toBool();

    // The checkbox, drawn by the style as a real one would be.
    QStyleOptionButton box;
    box.rect = checkBoxRect(r);
    box.state = (checked ? QStyle::State_On : QStyle::State_Off) | (enabled ? QStyle::State_Enabled : QStyle::State_None);
    if ((option.state & QStyle::State_HasFocus) && enabled)
        box.state |= QStyle::State_HasFocus;
    box.palette = pal;
    box.palette.setCurrentColorGroup(enabled ? QPalette::Active : QPalette::Disabled);
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, p, option.widget);

    // The reveal button; off for a file its shown path does not name.
    const QRect reveal = revealRect(r);
    const int glyph = Style::metric(14);
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    const bool canReveal = index.data(FileFinderRows::PathRoundTripsRole).toBool();
    const QColor glyphColor = canReveal ? Style::secondary(pal) : pal.color(QPalette::Disabled, QPalette::WindowText);
    const QPixmap magnifier = Symbol::pixmap(QStringLiteral("magnifyingglass"), glyph, glyphColor, dpr);
    p->drawPixmap(QRect(reveal.center().x() - glyph / 2 + 1, reveal.center().y() - glyph / 2 + 1, glyph, glyph),
                  magnifier);

    // Size, then the name over the path. An unticked row is drawn dimmer, in the contrast-safe
    // secondary and tertiary colours.
    const QColor strong = checked ? Style::primary(pal) : Style::secondary(pal);
    const QColor weak = checked ? Style::secondary(pal) : Style::tertiary(pal);
    p->setFont(Style::font(Style::Text::callout));
    p->setPen(weak);
    p->drawText(at.size, Qt::AlignRight | Qt::AlignVCenter, index.data(FileFinderRows::SizeTextRole).toString());

    const QFont titleFont = Style::font(Style::Text::callout);
    const QFont subFont = Style::monospaced(Style::Text::caption2);
    p->setFont(titleFont);
    p->setPen(strong);
    p->drawText(at.title, Qt::AlignLeft | Qt::AlignVCenter,
                QFontMetrics(titleFont).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle,
                                                   at.title.width()));
    p->setFont(subFont);
    p->setPen(weak);
    p->drawText(at.subtitle, Qt::AlignLeft | Qt::AlignVCenter,
                QFontMetrics(subFont).elidedText(index.data(FileFinderRows::SubtitleRole).toString(), Qt::ElideMiddle,
                                                 at.subtitle.width()));

    // The divider under the row, indented past the checkbox.
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(Style::separator(pal));
    p->drawLine(r.left() + Style::metric(38), r.bottom(), r.right(), r.bottom());
    p->restore();
}

bool FileFinderRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                        const QModelIndex& index)
{
    if (!index.isValid() || index.data(FileFinderRows::IsHeaderRole).toBool())
        return false;
    const bool checkable = index.flags().testFlag(Qt::ItemIsUserCheckable);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint at = e->position().toPoint();
        return e->button() == Qt::LeftButton
            && (checkBoxRect(option.rect).contains(at) || revealRect(option.rect).contains(at));
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton)
            return false;
        const QPoint at = e->position().toPoint();
        if (checkBoxRect(option.rect).contains(at)) {
            if (checkable)
                model->setData(index, {}, Qt::CheckStateRole);
            return true;
        }
        if (revealRect(option.rect).contains(at)) {
            if (index.data(FileFinderRows::PathRoundTripsRole).toBool())
                FileManagerShell::reveal(index.data(FileFinderRows::PathRole).toString());
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        if (checkable)
            model->setData(index, {}, Qt::CheckStateRole);
        return true;
    }
    default:
        return false;
    }
}

bool FileFinderRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                      const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QString tip;
    if (index.data(FileFinderRows::IsHeaderRole).toBool())
        tip = index.data(FileFinderRows::HeaderTextRole).toString();
    else if (revealRect(option.rect).contains(event->pos()))
        tip = FileManagerShell::revealLabel();
    else
        tip = plainToolTip(index.data(FileFinderRows::PathRole).toString());
    QToolTip::showText(event->globalPos(), tip, view, option.rect);
    return true;
}
