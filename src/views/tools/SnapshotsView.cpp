#include "views/tools/SnapshotsView.h"

#include "platform/ByteCountFormatter.h"
#include "views/tools/SnapshotsModel.h"
#include "views/components/CleanActionButton.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/EmptyState.h"
#include "views/components/Labels.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/RowList.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/ToolHeader.h"
#include "views/components/TransientMessage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// A kept row is drawn as if at 60 % opacity: its colours move 40 % of the way to the
// background, but no text falls below a legible contrast.
constexpr double kKeptFade = 0.4;

QColor windowColor(const QWidget* w) { return w->palette().color(QPalette::Window); }

QColor blend(const QColor& over, double alpha, const QColor& under)
{
    const QColor a = over.toRgb(), b = under.toRgb();
    return QColor::fromRgbF(float(a.redF() * alpha + b.redF() * (1 - alpha)), float(a.greenF() * alpha + b.greenF() * (1 - alpha)),
                            float(a.blueF() * alpha + b.blueF() * (1 - alpha)));
}

} // namespace

SnapshotRow::SnapshotRow(const LocalSnapshot& snapshot, bool kept, QWidget* parent) : QWidget(parent), m_kept(kept)
{
    const QColor bg = windowColor(this);
    const double fade = kept ? kKeptFade : 0.0;
    const QColor secondary = Style::dimmed(Style::secondary(palette()), bg, fade);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Style::metric(16), Style::metric(8), Style::metric(16), Style::metric(8));
    row->setSpacing(Style::metric(12));
    row->addWidget(new SymbolView(QStringLiteral("camera.aperture"), Style::pixelSize(Style::Text::body) + 3,
                                  Style::dimmed(Style::secondary(palette()), bg, fade, 1.0), this),
                   0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Style::metric(2));
    // A timestamp not of the system's form is shown as it is, and may be long.
    m_date = new ElidedLabel(snapshot.displayDate(), this);
    m_date->setElideMode(Qt::ElideRight);
    m_date->setFont(Style::font(Style::Text::callout, QFont::Medium));
    m_date->setColor(Style::dimmed(Style::primary(palette()), bg, fade));
    texts->addWidget(m_date);
    texts->addWidget(new SelectableElidedLabel(snapshot.name, Style::monospaced(Style::Text::caption2), secondary, this));
    row->addLayout(texts, 1);
    row->addSpacing(Style::metric(8));

    if (kept) {
        const QColor fill = blend(Style::green(), 0.18, bg);
        QPalette onFill = palette();
        onFill.setColor(QPalette::Window, fill);
        const QColor text = Style::dimmed(Style::legible(Style::green(), onFill), fill, fade);
        m_badge = makePlainLabel(tr("Kept"), Style::font(Style::Text::caption2, QFont::Medium), text, this);
        const int radius = (m_badge->fontMetrics().height() + 4) / 2;
        m_badge->setObjectName(QStringLiteral("keptBadge"));
        m_badge->setStyleSheet(QStringLiteral("#keptBadge { background-color: %1; border-radius: %2px; padding: %3px %4px; }")
                                   .arg(fill.name(), QString::number(radius), QString::number(Style::metric(2)),
                                        QString::number(Style::metric(6))));
    } else {
        m_badge = makePlainLabel(tr("Will remove"), Style::font(Style::Text::caption2), Style::secondary(palette()), this);
    }
    row->addWidget(m_badge, 0, Qt::AlignVCenter);
}

QString SnapshotRow::badgeText() const { return m_badge->text(); }

QColor SnapshotRow::dateColor() const { return m_date->color(); }

SnapshotsView::SnapshotsView(QWidget* parent) : SnapshotsView(nullptr, parent) {}

SnapshotsView::SnapshotsView(SnapshotsModel* model, QWidget* parent)
    : QWidget(parent), m_model(model ? model : new SnapshotsModel), m_listsOnShow(!model)
{
    m_model->setParent(this);
    build();
    connect(m_model, &SnapshotsModel::snapshotsChanged, this, &SnapshotsView::rebuildList);
    connect(m_model, &SnapshotsModel::keepNewestChanged, this, &SnapshotsView::rebuildList);
    for (auto signal : {&SnapshotsModel::isWorkingChanged, &SnapshotsModel::statusMessageChanged,
                        &SnapshotsModel::purgeableChanged, &SnapshotsModel::hasListedChanged,
                        &SnapshotsModel::isListingChanged})
        connect(m_model, signal, this, &SnapshotsView::refresh);
    rebuildList();
}

void SnapshotsView::build()
{
    auto* column = makeToolWindowColumn(
        this, 520, 510,
        new ToolHeader(QStringLiteral("clock.arrow.circlepath"), QT_TRANSLATE_NOOP("ToolHeader", "Free Up Snapshot Space"),
                       QT_TRANSLATE_NOOP("ToolHeader",
                                         "Local snapshots are temporary copies Time Machine keeps so it can back up "
                                         "when your drive isn't connected. macOS frees them automatically under "
                                         "pressure — removing them reclaims that space now. Your Time Machine "
                                         "backups on external or network drives are not touched.")));

    // The count of snapshots and, when there is some, the estimated reclaimable space.
    m_summary = new QWidget(this);
    auto* summary = new QHBoxLayout(m_summary);
    summary->setContentsMargins(Style::metric(16), 0, Style::metric(16), Style::metric(12));
    summary->setSpacing(0);
    const QFont callout = Style::font(Style::Text::callout);
    m_count = makePlainLabel(QString(), callout, Style::secondary(palette()), m_summary);
    summary->addWidget(m_count, 0, Qt::AlignBaseline);
    summary->addStretch(1);
    m_reclaimable = new QWidget(m_summary);
    auto* reclaimable = new QHBoxLayout(m_reclaimable);
    reclaimable->setContentsMargins(0, 0, 0, 0);
    reclaimable->setSpacing(0);
    // One sentence with the size in bold: split around the size, so a translation can move it.
    const QString sentence = tr("≈ %1 reclaimable");
    const qsizetype at = sentence.indexOf(QLatin1String("%1"));
    reclaimable->addWidget(makePlainLabel(sentence.left(at), callout, Style::secondary(palette()), m_reclaimable), 0, Qt::AlignBaseline);
    m_reclaimableBytes = makePlainLabel(QString(), Style::font(Style::Text::callout, QFont::DemiBold),
                                        Style::primary(palette()), m_reclaimable);
    reclaimable->addWidget(m_reclaimableBytes, 0, Qt::AlignBaseline);
    reclaimable->addWidget(makePlainLabel(sentence.mid(at + 2), callout, Style::secondary(palette()), m_reclaimable), 0,
                           Qt::AlignBaseline);
    m_reclaimable->setToolTip(plainToolTip(tr("Estimated purgeable space (mostly these snapshots). The exact amount "
                                              "freed is shown after you reclaim.")));
    summary->addWidget(m_reclaimable, 0, Qt::AlignBaseline);
    column->addWidget(m_summary);
    column->addWidget(makeDivider(this));

    m_content = new QStackedWidget(this);
    m_working = new QWidget(m_content);
    auto* working = new QVBoxLayout(m_working);
    working->addStretch(1);
    working->addWidget(new ProgressSpinner(Style::metric(24), m_working), 0, Qt::AlignHCenter);
    working->addStretch(1);
    m_content->addWidget(m_working);
    m_empty = new EmptyState(QStringLiteral("checkmark.circle"), QT_TRANSLATE_NOOP("EmptyState", "No local snapshots"),
                             QString(QT_TRANSLATE_NOOP("EmptyState", "There's nothing to reclaim right now.")), nullptr,
                             m_content);
    m_content->addWidget(m_empty);
    m_list = new RowList(m_content);
    m_content->addWidget(m_list);
    column->addWidget(m_content, 1);
    column->addWidget(makeDivider(this));

    auto* footer = new QVBoxLayout;
    footer->setContentsMargins(Style::metric(16), Style::metric(10), Style::metric(16), Style::metric(10));
    footer->setSpacing(Style::metric(8));
    m_status = makePlainLabel(QString(), Style::font(Style::Text::caption), Style::secondary(palette()), this);
    m_status->setWordWrap(true);
    footer->addWidget(m_status);
    auto* actions = new QHBoxLayout;
    m_keepNewest = new QCheckBox(tr("Keep the most recent snapshot"), this);
    connect(m_keepNewest, &QCheckBox::toggled, this, [this](bool on) { m_model->setKeepNewest(on); });
    actions->addWidget(m_keepNewest);
    actions->addStretch(1);
    m_spinner = new ProgressSpinner(16, this);
    actions->addWidget(m_spinner);
    m_button = new CleanActionButton(QString(), QStringLiteral("clock.arrow.circlepath"), false, [this] { m_model->reclaim(); }, this);
    actions->addWidget(m_button);
    footer->addLayout(actions);
    column->addLayout(footer);
}

QString SnapshotsView::buttonTitle() const
{
    const qsizetype n = m_model->deletable().size();
    return n > 0 ? tr("Free Up Space (%1)").arg(n) : tr("Free Up Space");
}

void SnapshotsView::rebuildList()
{
    const QList<LocalSnapshot>& snapshots = m_model->snapshots();
    QList<QWidget*> rows;
    for (qsizetype i = 0; i < snapshots.size(); ++i)
        rows << new SnapshotRow(snapshots[i], i == 0 && m_model->keepNewest(), m_list->rowParent());
    m_list->setRows(rows);
    refresh();
}

void SnapshotsView::refresh()
{
    const QList<LocalSnapshot>& snapshots = m_model->snapshots();
    const bool listed = m_model->hasListed();
    m_summary->setVisible(!snapshots.isEmpty());
    m_count->setText(tr("%n local snapshots", nullptr, int(snapshots.size())));
    m_reclaimable->setVisible(m_model->purgeable() >= 1);
    m_reclaimableBytes->setText(formatBytes(m_model->purgeable()));

    m_content->setCurrentWidget(!listed ? m_working : snapshots.isEmpty() ? m_empty : m_list);

    const std::optional<QString> message = m_model->statusMessage();
    m_status->setVisible(message.has_value());
    m_status->setText(message.value_or(QString()));

    // Until the first listing arrives the window is working as during a removal.
    const bool busy = m_model->isWorking() || !listed;
    m_keepNewest->blockSignals(true);
    m_keepNewest->setChecked(m_model->keepNewest());
    m_keepNewest->blockSignals(false);
    m_keepNewest->setEnabled(!busy);
    m_spinner->setVisible(m_model->isWorking());
    m_button->setTitle(buttonTitle());
    m_button->setEnabled(!busy && !m_model->isListing() && !m_model->deletable().isEmpty());
}

void SnapshotsView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_listsOnShow && !e->spontaneous() && !m_model->hasListed() && !m_model->isListing())
        m_model->load();
}

SnapshotsView::Content SnapshotsView::content() const
{
    if (m_content->currentWidget() == m_working)
        return Content::working;
    return m_content->currentWidget() == m_empty ? Content::empty : Content::list;
}

QList<SnapshotRow*> SnapshotsView::rows() const { return m_list->rows<SnapshotRow>(); }

bool SnapshotsView::showsSummary() const { return !m_summary->isHidden(); }

QString SnapshotsView::summaryText() const { return m_count->text(); }

bool SnapshotsView::showsReclaimable() const { return !m_reclaimable->isHidden(); }
