#include "views/about/AboutView.h"

#include "AppModel.h"
#include "platform/Bundle.h"
#include "platform/ByteCountFormatter.h"
#include "platform/DateFormatter.h"
#include "platform/ui/FileManagerShell.h"
#include "services/AppSettings.h"
#include "services/CleanHistoryStore.h"
#include "services/Updater.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/Labels.h"
#include "views/components/LayoutItems.h"
#include "views/components/LinkButton.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/WindowCenterer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QString t(const char* text) { return QCoreApplication::translate("AboutView", text); }

} // namespace

// ---- AboutHistoryRow

AboutHistoryRow::Mark AboutHistoryRow::markFor(const CleanRecord& record)
{
    const bool restored = record.restored.value_or(false);
    if (record.trashed && !restored && record.items && !record.items->isEmpty())
        return Mark::putBack;
    if (restored)
        return Mark::restored;
    return Mark::none;
}

QString AboutHistoryRow::iconName() const
{
    return m_record.trashed ? QStringLiteral("trash") : QStringLiteral("bolt.fill");
}

AboutHistoryRow::AboutHistoryRow(const CleanRecord& record, QWidget* parent) : QWidget(parent), m_record(record)
{
    setObjectName(QStringLiteral("historyRow"));
    const QColor secondary = Style::secondary(palette());
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, Style::metric(2), 0, Style::metric(2));
    row->setSpacing(Style::metric(10));

    auto* icon = new SymbolView(iconName(), Style::pixelSize(Style::Text::caption), secondary, this);
    icon->setFixedWidth(Style::metric(16));
    row->addWidget(icon, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Style::metric(1));
    // Verbatim; a long name is cut at its end and shown whole in the tooltip.
    m_name = new ElidedLabel(record.targetName, this);
    m_name->setObjectName(QStringLiteral("recordName"));
    m_name->setElideMode(Qt::ElideRight);
    m_name->setFont(Style::font(Style::Text::callout));
    m_name->setColor(Style::primary(palette()));
    texts->addWidget(m_name);
    m_date = makePlainLabel(formatMediumDateShortTime(record.date.toLocalTime()), Style::font(Style::Text::caption2),
                            secondary, this);
    m_date->setObjectName(QStringLiteral("recordDate"));
    texts->addWidget(m_date);
    row->addLayout(texts, 1);

    switch (mark()) {
    case Mark::putBack:
        m_putBack = new LinkButton(t(QT_TRANSLATE_NOOP("AboutView", "Put Back")), Style::font(Style::Text::caption), this);
        m_putBack->setToolTip(t(QT_TRANSLATE_NOOP("AboutView", "Restore these items from the Trash")));
        connect(m_putBack, &QPushButton::clicked, this, [this] { Q_EMIT putBackRequested(m_record); });
        row->addWidget(m_putBack, 0, Qt::AlignVCenter);
        break;
    case Mark::restored: {
        m_restored = new QWidget(this);
        m_restored->setObjectName(QStringLiteral("restoredMark"));
        auto* mark = new QHBoxLayout(m_restored);
        mark->setContentsMargins(0, 0, 0, 0);
        mark->setSpacing(Style::metric(3));
        mark->addWidget(new SymbolView(QStringLiteral("arrow.uturn.backward"), Style::pixelSize(Style::Text::caption2),
                                       secondary, m_restored));
        mark->addWidget(makePlainLabel(t(QT_TRANSLATE_NOOP("AboutView", "Restored")),
                                       Style::font(Style::Text::caption2), secondary, m_restored));
        row->addWidget(m_restored, 0, Qt::AlignVCenter);
        break;
    }
    case Mark::none:
        break;
    }

    // Green, or struck through in the secondary colour once put back.
    const bool restored = record.restored.value_or(false);
    QFont sizeFont = Style::font(Style::Text::callout);
    sizeFont.setStrikeOut(restored);
    m_size = makePlainLabel(formatBytes(record.freed), sizeFont,
                            restored ? secondary : Style::legible(Style::green(), palette()), this);
    m_size->setObjectName(QStringLiteral("recordSize"));
    m_size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_size, 0, Qt::AlignVCenter);
}

// ---- AboutView

AboutView::AboutView(AppModel& model, Updater& updater, QWidget* parent)
    : QWidget(parent), m_model(model), m_updater(updater)
{
    setObjectName(QStringLiteral("aboutView"));
    setFixedSize(Style::metric(440), Style::metric(480));
    (new WindowCenterer(this))->lower();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header());
    column->addWidget(makeDivider(this));
    column->addWidget(historySection(), 1);

    connect(&m_model, &AppModel::totalFreedAllTimeChanged, this, &AboutView::showTotal);
    connect(&m_model, &AppModel::historyChanged, this, &AboutView::showHistory);
    connect(&m_updater, &Updater::canCheckForUpdatesChanged, this,
            [this] { m_checkUpdates->setEnabled(m_updater.canCheckForUpdates()); });
    showTotal();
    showHistory();
}

QString AboutView::versionText(const QString& shortVersion, const QString& build)
{
    return QStringLiteral("Version ") + (shortVersion.isEmpty() ? QStringLiteral("1.0") : shortVersion)
         + QStringLiteral(" (") + (build.isEmpty() ? QStringLiteral("1") : build) + QLatin1Char(')');
}

QWidget* AboutView::header()
{
    auto* w = new QWidget(this);
    auto* column = new QVBoxLayout(w);
    const int pad = Style::metric(20);
    column->setContentsMargins(pad, pad, pad, pad);
    column->setSpacing(Style::metric(12));

    auto* symbol = new SymbolView(QStringLiteral("internaldrive.fill"), Style::metric(44), Style::accent(palette()), w);
    column->addWidget(symbol, 0, Qt::AlignHCenter);
    auto* name = makePlainLabel(t(QT_TRANSLATE_NOOP("AboutView", "Dustlet")), Style::font(Style::Text::title, QFont::DemiBold),
                                Style::primary(palette()), w);
    name->setAlignment(Qt::AlignCenter);
    column->addWidget(name);
    // Shown as the bundle gives it.
    m_version = makePlainLabel(versionText(Bundle::shortVersion(), Bundle::build()), Style::font(Style::Text::caption),
                               Style::secondary(palette()), w);
    m_version->setObjectName(QStringLiteral("version"));
    m_version->setAlignment(Qt::AlignCenter);
    column->addWidget(m_version);

    m_checkUpdates = new QPushButton(t(QT_TRANSLATE_NOOP("AboutView", "Check for Updates…")), w);
    m_checkUpdates->setFont(Style::font(Style::Text::callout));
    m_checkUpdates->setAutoDefault(false);
    m_checkUpdates->setEnabled(m_updater.canCheckForUpdates());
    connect(m_checkUpdates, &QPushButton::clicked, this, [this] { m_updater.controller().checkForUpdates(); });
    column->addWidget(m_checkUpdates, 0, Qt::AlignHCenter);

    auto* allTime = new QVBoxLayout;
    allTime->setSpacing(Style::metric(2));
    allTime->setContentsMargins(0, Style::metric(4), 0, 0);
    m_total = makePlainLabel(QString(), Style::font(Style::Text::title2, QFont::Bold),
                             Style::legible(Style::green(), palette()), w);
    m_total->setObjectName(QStringLiteral("allTimeTotal"));
    m_total->setAlignment(Qt::AlignCenter);
    allTime->addWidget(m_total);
    auto* reclaimed = makePlainLabel(t(QT_TRANSLATE_NOOP("AboutView", "reclaimed all-time")),
                                     Style::font(Style::Text::caption2), Style::secondary(palette()), w);
    reclaimed->setAlignment(Qt::AlignCenter);
    allTime->addWidget(reclaimed);
    column->addLayout(allTime);
    return w;
}

QWidget* AboutView::historySection()
{
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* content = new QWidget(scroll);
    auto* column = new QVBoxLayout(content);
    const int pad = Style::metric(16);
    column->setContentsMargins(pad, pad, pad, pad);
    column->setSpacing(Style::metric(8));

    // The heading scrolls with the rows.
    auto* heading = new QHBoxLayout;
    heading->setSpacing(Style::metric(12));
    heading->addWidget(makePlainLabel(t(QT_TRANSLATE_NOOP("AboutView", "Recent cleanups")),
                                      Style::font(Style::Text::headline), Style::primary(palette()), content));
    heading->addStretch(1);
    m_openTrash = new LinkButton(t(QT_TRANSLATE_NOOP("AboutView", "Open Trash")), Style::font(Style::Text::caption), content);
    connect(m_openTrash, &QPushButton::clicked, this, [] { FileManagerShell::openUrl(FileManagerShell::trashUrl()); });
    heading->addWidget(m_openTrash);
    m_clear = new LinkButton(t(QT_TRANSLATE_NOOP("AboutView", "Clear")), Style::font(Style::Text::caption), content);
    connect(m_clear, &QPushButton::clicked, this, &AboutView::clearHistory);
    heading->addWidget(m_clear);
    column->addLayout(heading);

    m_emptyBox = new QWidget(content);
    auto* emptyColumn = new QVBoxLayout(m_emptyBox);
    emptyColumn->setContentsMargins(0, Style::metric(20), 0, Style::metric(20));
    m_empty = makePlainLabel(t(QT_TRANSLATE_NOOP("AboutView", "No cleanups yet.")), Style::font(Style::Text::callout),
                             Style::secondary(palette()), m_emptyBox);
    m_empty->setAlignment(Qt::AlignCenter);
    emptyColumn->addWidget(m_empty);
    column->addWidget(m_emptyBox);

    auto* list = new QWidget(content);
    m_rows = new QVBoxLayout(list);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(Style::metric(8));
    column->addWidget(list);
    column->addStretch(1);
    scroll->setWidget(content);
    return scroll;
}

void AboutView::showTotal() { m_total->setText(formatBytes(m_model.totalFreedAllTime())); }

void AboutView::showHistory()
{
    // Rows are made anew; the old ones go once the click that may have changed them is over.
    discardLayoutItems(m_rows);
    m_rowWidgets.clear();
    const QList<CleanRecord>& history = m_model.history();
    for (const CleanRecord& record : history) {
        // Every record, however many: only the stored copy is cut to the newest 50.
        auto* row = new AboutHistoryRow(record, m_rows->parentWidget());
        connect(row, &AboutHistoryRow::putBackRequested, this, [this](const CleanRecord& r) { m_model.restore(r); });
        m_rows->addWidget(row);
        m_rows->addWidget(makeDivider(m_rows->parentWidget()));
        m_rowWidgets << row;
    }
    const bool empty = history.isEmpty();
    m_emptyBox->setVisible(empty);
    m_openTrash->setVisible(!empty);
    m_clear->setVisible(!empty);
}

void AboutView::clearHistory()
{
    // No confirmation; the all-time total stays, the items stay in the Trash.
    m_model.setHistory({});
    CleanHistoryStore::save(m_model.settings().defaults(), {}, m_model.totalFreedAllTime());
}

QList<AboutHistoryRow*> AboutView::rows() const
{
    QList<AboutHistoryRow*> out;
    for (const QPointer<AboutHistoryRow>& r : m_rowWidgets)
        if (r)
            out << r.data();
    return out;
}
