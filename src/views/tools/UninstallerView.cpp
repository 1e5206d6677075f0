#include "views/tools/UninstallerView.h"

#include "AppModel.h"
#include "platform/ByteCountFormatter.h"
#include "platform/ui/FileManagerShell.h"
#include "views/tools/UninstallerModel.h"
#include "views/components/CleanActionButton.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/EmptyState.h"
#include "views/components/FocusRing.h"
#include "views/components/Labels.h"
#include "views/components/LinkButton.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// The kinds of item, as the uninstaller names them (shown translated).
[[maybe_unused]] const char* const kItemLabels[] = {
    QT_TRANSLATE_NOOP("Uninstaller", "Application"),     QT_TRANSLATE_NOOP("Uninstaller", "Preferences"),
    QT_TRANSLATE_NOOP("Uninstaller", "App cache"),       QT_TRANSLATE_NOOP("Uninstaller", "Application support"),
    QT_TRANSLATE_NOOP("Uninstaller", "Container"),       QT_TRANSLATE_NOOP("Uninstaller", "Saved state"),
    QT_TRANSLATE_NOOP("Uninstaller", "Logs"),            QT_TRANSLATE_NOOP("Uninstaller", "Web storage"),
    QT_TRANSLATE_NOOP("Uninstaller", "WebKit data"),     QT_TRANSLATE_NOOP("Uninstaller", "Cookies"),
    QT_TRANSLATE_NOOP("Uninstaller", "App scripts"),     QT_TRANSLATE_NOOP("Uninstaller", "Group container"),
    QT_TRANSLATE_NOOP("Uninstaller", "Launch agent"),
};

QString itemLabel(const QString& label)
{
    return QCoreApplication::translate("Uninstaller", label.toUtf8().constData());
}

// The 28-point rounded badge of an item: the app's symbol in the accent colour, or a document
// symbol for a leftover.
class ItemBadge : public QWidget {
public:
    ItemBadge(bool isBundle, QWidget* parent) : QWidget(parent), m_isBundle(isBundle)
    {
        setFixedSize(Style::metric(28), Style::metric(28));
    }
    void setDimmed(bool dimmed)
    {
        m_dimmed = dimmed;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setOpacity(m_dimmed ? 0.5 : 1.0);
        const QColor tint = m_isBundle ? Style::accent(palette()) : Style::secondary(palette());
        QColor fill = tint;
        fill.setAlphaF(0.15f);
        QPainterPath path;
        const qreal radius = width() * 7.0 / 28.0;
        path.addRoundedRect(QRectF(rect()), radius, radius);
        p.fillPath(path, fill);
        const int symbol = Style::metric(13);
        const QPixmap pm = Symbol::pixmap(QString::fromLatin1(m_isBundle ? "app.fill" : "doc.on.doc.fill"),
                                          symbol, tint, devicePixelRatioF());
        p.drawPixmap(QPoint((width() - symbol) / 2, (height() - symbol) / 2), pm);
    }

private:
    bool m_isBundle;
    bool m_dimmed = false;
};

// The app's icon, or the application symbol where the desktop has none for it.
QWidget* appIcon(const QString& appPath, QWidget* parent)
{
    const int size = Style::metric(52);
    const QIcon icon = FileManagerShell::itemIcon(appPath);
    if (icon.isNull())
        return new SymbolView(QStringLiteral("app.fill"), size, Style::accent(parent->palette()), parent);
    auto* label = new QLabel(parent);
    label->setFixedSize(size, size);
    label->setPixmap(icon.pixmap(size, size));
    return label;
}

} // namespace

UninstallItemRow::UninstallItemRow(const UninstallItem& item, bool selected, QWidget* parent)
    : QWidget(parent), m_item(item), m_selected(selected)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Style::metric(16), Style::metric(8), Style::metric(16), Style::metric(8));
    row->setSpacing(Style::metric(12));

    m_check = new QCheckBox(this);
    m_check->setChecked(selected);
    m_check->setAccessibleName(itemLabel(item.label));
    connect(m_check, &QCheckBox::clicked, this, [this](bool on) {
        // The model owns the selection; the row follows it.
        m_check->setChecked(m_selected);
        Q_EMIT selectionRequested(m_item.id, on);
    });
    FocusRing::attach(m_check);
    row->addWidget(m_check);
    m_badge = new ItemBadge(item.isBundle, this);
    row->addWidget(m_badge);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Style::metric(1));
    m_label = new ElidedLabel(itemLabel(item.label), this);
    m_label->setFont(Style::font(Style::Text::callout, QFont::Medium));
    texts->addWidget(m_label);
    m_path = new ElidedLabel(item.path, this);
    m_path->setFont(Style::monospaced(Style::Text::caption2));
    m_path->setToolTip(plainToolTip(item.path));
    texts->addWidget(m_path);
    row->addLayout(texts, 1);

    m_size = makePlainLabel(formatBytes(item.size), Style::font(Style::Text::callout), Style::primary(palette()), this);
    m_size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_size);

    setSelected(selected);
}

void UninstallItemRow::setSelected(bool on)
{
    m_selected = on;
    m_check->setChecked(on);
    // An item left out is dimmed: texts half-way to the background (still 4.5:1), the badge at
    // half strength.
    const QColor background = palette().color(QPalette::Window);
    const auto shade = [&](const QColor& c) { return on ? c : Style::inactive(c, background); };
    m_label->setColor(shade(Style::primary(palette())));
    m_path->setColor(shade(Style::secondary(palette())));
    QPalette pal = m_size->palette();
    pal.setColor(QPalette::WindowText,
                 shade(m_item.size >= 1 ? Style::primary(palette()) : Style::secondary(palette())));
    m_size->setPalette(pal);
    static_cast<ItemBadge*>(m_badge)->setDimmed(!on);
}

qreal UninstallItemRow::opacity() const { return m_selected ? 1.0 : 0.5; }
QString UninstallItemRow::labelText() const { return m_label->text(); }
QString UninstallItemRow::pathText() const { return m_path->text(); }
QString UninstallItemRow::sizeText() const { return m_size->text(); }
QColor UninstallItemRow::sizeColor() const { return m_size->palette().color(QPalette::WindowText); }

void UninstallItemRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT selectionRequested(m_item.id, !m_selected);
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

UninstallerView::UninstallerView(AppModel& model, QWidget* parent) : UninstallerView(model, nullptr, parent) {}

UninstallerView::UninstallerView(AppModel& model, UninstallerModel* uninstaller, QWidget* parent)
    : QWidget(parent), m_model(model), m_uninstaller(uninstaller ? uninstaller : new UninstallerModel(this))
{
    if (!m_uninstaller->parent())
        m_uninstaller->setParent(this);
    setObjectName(QStringLiteral("uninstallerView"));
    setFixedSize(Style::metric(460), Style::metric(520));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);

    for (auto signal : {&UninstallerModel::appChanged, &UninstallerModel::itemsChanged,
                        &UninstallerModel::isScanningChanged, &UninstallerModel::isRemovingChanged})
        connect(m_uninstaller, signal, this, &UninstallerView::rebuild);
    connect(m_uninstaller, &UninstallerModel::selectedChanged, this, &UninstallerView::updateSelection);
    connect(m_uninstaller, &UninstallerModel::resultMessageChanged, this, [this] {
        if (!m_message)
            return;
        const std::optional<QString> text = m_uninstaller->resultMessage();
        m_message->setText(text.value_or(QString()));
        m_message->setVisible(text.has_value());
    });
    rebuild();
}

QList<UninstallItemRow*> UninstallerView::rows() const
{
    QList<UninstallItemRow*> out;
    for (const UninstallItem& item : m_uninstaller->items())
        if (UninstallItemRow* r = m_rows.value(item.id).data())
            out.append(r);
    return out;
}

void UninstallerView::rebuild()
{
    if (m_content) {
        // Possibly inside one of its own buttons' actions: let that finish first.
        m_content->hide();
        m_layout->removeWidget(m_content);
        m_content->deleteLater();
    }
    // Every part is made afresh; those the new state does not show stay unset.
    m_rows.clear();
    m_scanning = nullptr;
    m_empty = nullptr;
    m_choose = nullptr;
    m_message = m_appName = m_bundleID = m_found = m_selectedCount = m_total = nullptr;
    m_chooseDifferent = m_selectAll = nullptr;
    m_move = nullptr;
    m_busy = nullptr;
    const std::optional<AppInfo> app = m_uninstaller->app();
    m_content = app ? buildAppState(*app) : buildEmptyState();
    m_layout->addWidget(m_content);
    m_content->show();
    updateSelection();
}

QWidget* UninstallerView::buildEmptyState()
{
    auto* actions = new QWidget;
    // Wide enough that the message wraps at the placeholder's width, not the button's.
    actions->setMinimumWidth(Style::metric(300));
    auto* column = new QVBoxLayout(actions);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(Style::metric(10));
    m_choose = new CleanActionButton(tr("Choose App…"), QString(), true, [this] { m_uninstaller->chooseApp(this); },
                                     actions);
    column->addWidget(m_choose, 0, Qt::AlignHCenter);
    const std::optional<QString> text = m_uninstaller->resultMessage();
    m_message = makePlainLabel(text.value_or(QString()), Style::font(Style::Text::caption), Style::secondary(palette()),
                               actions);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setVisible(text.has_value());
    column->addWidget(m_message);

    m_empty = new EmptyState(
        QStringLiteral("trash.square"), QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "Uninstall an App")),
        QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "Remove an app together with its leftover caches, preferences, "
                                                       "and support files — all moved to the Trash, so you can undo it.")),
        actions, this);
    return m_empty;
}

QWidget* UninstallerView::buildAppState(const AppInfo& app)
{
    auto* state = new QWidget(this);
    auto* column = new QVBoxLayout(state);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildAppHeader(app, state));
    column->addWidget(makeDivider(state));
    column->addWidget(buildItemList(state), 1);
    column->addWidget(makeDivider(state));
    column->addWidget(buildFooter(state));
    return state;
}

QWidget* UninstallerView::buildAppHeader(const AppInfo& app, QWidget* parent)
{
    auto* header = new QWidget(parent);
    auto* row = new QHBoxLayout(header);
    const int pad = Style::metric(16);
    row->setContentsMargins(pad, pad, pad, pad);
    row->setSpacing(Style::metric(14));
    row->addWidget(appIcon(app.appPath, header));

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Style::metric(2));
    m_appName = makePlainLabel(app.name, Style::font(Style::Text::title3, QFont::DemiBold), Style::primary(palette()),
                               header);
    m_appName->setToolTip(plainToolTip(app.name));
    m_appName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    texts->addWidget(m_appName);
    if (app.bundleID) {
        m_bundleID = makePlainLabel(*app.bundleID, Style::monospaced(Style::Text::caption), Style::secondary(palette()),
                                    header);
        m_bundleID->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        texts->addWidget(m_bundleID);
    }
    row->addLayout(texts, 1);

    m_chooseDifferent = new LinkButton(tr("Choose Different…"), Style::font(Style::Text::body), header);
    connect(m_chooseDifferent, &QPushButton::clicked, this, [this] { m_uninstaller->reset(); });
    row->addWidget(m_chooseDifferent);
    return header;
}

QWidget* UninstallerView::buildItemList(QWidget* parent)
{
    if (m_uninstaller->isScanning()) {
        auto* area = new QWidget(parent);
        auto* outer = new QVBoxLayout(area);
        outer->addStretch(1);
        auto* spinner = new ProgressSpinner(Style::metric(24), area);
        outer->addWidget(spinner, 0, Qt::AlignHCenter);
        outer->addSpacing(Style::metric(10));
        auto* text = makePlainLabel(tr("Finding leftover files…"), Style::font(Style::Text::body),
                                    Style::secondary(palette()), area);
        text->setAlignment(Qt::AlignCenter);
        outer->addWidget(text);
        outer->addStretch(1);
        m_scanning = area;
        return area;
    }

    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* list = new QWidget(scroll);
    auto* column = new QVBoxLayout(list);
    column->setContentsMargins(0, Style::metric(2), 0, Style::metric(2));
    column->setSpacing(0);

    auto* listHeader = new QHBoxLayout;
    listHeader->setContentsMargins(Style::metric(16), Style::metric(10), Style::metric(16), Style::metric(6));
    const QList<UninstallItem>& items = m_uninstaller->items();
    m_found = makePlainLabel(QLocale().toUpper(tr("%1 found").arg(items.size())),
                             Style::font(Style::Text::caption2, QFont::Bold), Style::secondary(palette()), list);
    listHeader->addWidget(m_found);
    listHeader->addStretch(1);
    m_selectAll = new LinkButton(QString(), Style::font(Style::Text::caption), list);
    connect(m_selectAll, &QPushButton::clicked, this, [this] { m_uninstaller->toggleSelectAll(); });
    listHeader->addWidget(m_selectAll);
    column->addLayout(listHeader);

    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            column->addWidget(makeDivider(list, Style::metric(48)));
        const UninstallItem& item = items[i];
        auto* row = new UninstallItemRow(item, m_uninstaller->selected().contains(item.id), list);
        connect(row, &UninstallItemRow::selectionRequested, m_uninstaller, &UninstallerModel::setItemSelected);
        column->addWidget(row);
        m_rows.insert(item.id, row);
    }
    column->addStretch(1);
    scroll->setWidget(list);
    return scroll;
}

QWidget* UninstallerView::buildFooter(QWidget* parent)
{
    auto* footer = new QWidget(parent);
    auto* row = new QHBoxLayout(footer);
    const int pad = Style::metric(16);
    row->setContentsMargins(pad, pad, pad, pad);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Style::metric(1));
    m_selectedCount = makePlainLabel(QString(), Style::font(Style::Text::caption), Style::secondary(palette()), footer);
    texts->addWidget(m_selectedCount);
    m_total = makePlainLabel(QString(), Style::font(Style::Text::title3, QFont::DemiBold), Style::primary(palette()),
                             footer);
    texts->addWidget(m_total);
    row->addLayout(texts);
    row->addStretch(1);

    if (m_uninstaller->isRemoving()) {
        // The action's place holds a disabled button with a spinner until the removal ends.
        m_busy = new CleanActionButton(QString(), QString(), false, {}, footer);
        m_busy->setMinimumWidth(Style::metric(120));
        auto* inside = new QHBoxLayout(m_busy);
        inside->setContentsMargins(0, 0, 0, 0);
        inside->addWidget(new ProgressSpinner(Style::metric(14), m_busy), 0, Qt::AlignCenter);
        row->addWidget(m_busy);
    } else {
        m_move = new CleanActionButton(tr("Move to Trash"), QStringLiteral("trash"), false,
                                       [this] { m_uninstaller->uninstall(m_model); }, footer);
        row->addWidget(m_move);
    }
    return footer;
}

void UninstallerView::updateSelection()
{
    const QSet<QUuid>& selected = m_uninstaller->selected();
    for (auto it = m_rows.constBegin(); it != m_rows.constEnd(); ++it)
        if (it.value())
            it.value()->setSelected(selected.contains(it.key()));
    if (m_selectAll)
        m_selectAll->setTitle(m_uninstaller->allSelected() ? tr("Deselect All") : tr("Select All"));
    if (m_selectedCount)
        m_selectedCount->setText(tr("%1 selected").arg(selected.size()));
    if (m_total)
        m_total->setText(formatBytes(m_uninstaller->totalSelectedSize()));
    if (m_move)
        m_move->setEnabled(!selected.isEmpty());
}
