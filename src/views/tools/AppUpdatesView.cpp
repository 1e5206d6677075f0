#include "views/tools/AppUpdatesView.h"

#include "platform/ui/FileManagerShell.h"
#include "views/tools/AppUpdatesModel.h"
#include "views/components/CleanActionButton.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/EmptyState.h"
#include "views/components/Labels.h"
#include "views/components/LinkButton.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/RowList.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/ToolHeader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// A push button whose title is shown as given ("&" stays "&").
QPushButton* plainButton(const QString& title, QWidget* parent)
{
    QString shown = title;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    auto* b = new QPushButton(shown, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

OutdatedPackageRow::OutdatedPackageRow(const OutdatedPackage& package, bool busy, std::function<void()> update,
                                       QWidget* parent)
    : QWidget(parent), m_symbol(package.isCask ? QStringLiteral("app.dashed") : QStringLiteral("terminal"))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Style::metric(16), Style::metric(8), Style::metric(16), Style::metric(8));
    row->setSpacing(Style::metric(12));
    auto* symbol = new SymbolView(m_symbol, Style::pixelSize(Style::Text::body) + 3, Style::secondary(palette()), this);
    symbol->setFixedWidth(std::max(Style::metric(18), symbol->sizeHint().width()));
    row->addWidget(symbol, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Style::metric(1));
    // The name as Homebrew reports it.
    auto* name = new ElidedLabel(package.name, this);
    name->setFont(Style::font(Style::Text::callout, QFont::Medium));
    name->setToolTip(plainToolTip(package.name));
    texts->addWidget(name);
    m_versions = new ElidedLabel(tr("%1 → %2").arg(package.installed, package.current), this);
    m_versions->setElideMode(Qt::ElideRight);
    m_versions->setFont(Style::monospaced(Style::Text::caption2));
    m_versions->setColor(Style::secondary(palette()));
    texts->addWidget(m_versions);
    row->addLayout(texts, 1);

    m_update = plainButton(tr("Update"), this);
    m_update->setEnabled(!busy);
    connect(m_update, &QPushButton::clicked, this, [update = std::move(update)] { update(); });
    row->addWidget(m_update, 0, Qt::AlignVCenter);
}

QString OutdatedPackageRow::versionsText() const { return m_versions->text(); }

QUrl AppUpdatesView::homebrewSite() { return QUrl(QStringLiteral("https://brew.sh")); }

AppUpdatesView::AppUpdatesView(QWidget* parent) : AppUpdatesView(nullptr, parent) {}

AppUpdatesView::AppUpdatesView(AppUpdatesModel* model, QWidget* parent)
    : QWidget(parent), m_model(model ? model : new AppUpdatesModel)
{
    m_model->setParent(this);
    build();
    connect(m_model, &AppUpdatesModel::packagesChanged, this, &AppUpdatesView::rebuildList);
    connect(m_model, &AppUpdatesModel::busyChanged, this, &AppUpdatesView::rebuildList);
    for (auto signal : {&AppUpdatesModel::stateChanged, &AppUpdatesModel::statusChanged,
                        &AppUpdatesModel::listingFailedChanged})
        connect(m_model, signal, this, &AppUpdatesView::refresh);
    rebuildList();
}

void AppUpdatesView::build()
{
    auto* column = makeToolWindowColumn(
        this, 520, 480,
        new ToolHeader(QStringLiteral("arrow.up.circle"), QStringLiteral(QT_TRANSLATE_NOOP("ToolHeader", "App & Tool Updates")),
                       QStringLiteral(QT_TRANSLATE_NOOP(
                           "ToolHeader", "Outdated apps and tools you installed with Homebrew. Dustlet never bundles "
                                         "installers or updates silently — it just runs your own `brew upgrade` when "
                                         "you ask."))));
    column->addWidget(makeDivider(this));

    m_content = new QStackedWidget(this);

    m_checking = new QWidget(m_content);
    auto* checking = new QVBoxLayout(m_checking);
    checking->setSpacing(Style::metric(10));
    checking->addStretch(1);
    checking->addWidget(new ProgressSpinner(Style::metric(24), m_checking), 0, Qt::AlignHCenter);
    checking->addWidget(makePlainLabel(tr("Checking with Homebrew…"), Style::font(Style::Text::body),
                                       Style::secondary(palette()), m_checking),
                        0, Qt::AlignHCenter);
    checking->addStretch(1);
    m_content->addWidget(m_checking);

    const QUrl site = homebrewSite();
    m_link = new LinkButton(tr("Get Homebrew at %1").arg(site.host()), Style::font(Style::Text::callout));
    connect(m_link, &QPushButton::clicked, this, [site] { FileManagerShell::openUrl(site); });
    m_unavailable = new EmptyState(QStringLiteral("shippingbox"),
                                   QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "Homebrew isn't installed")),
                                   std::nullopt, m_link, m_content);
    m_content->addWidget(m_unavailable);

    m_upToDate = new EmptyState(QStringLiteral("checkmark.circle"),
                                QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "Everything's up to date")), std::nullopt,
                                nullptr, m_content);
    m_content->addWidget(m_upToDate);

    // A listing that failed is not an empty one.
    m_failed = new EmptyState(QStringLiteral("exclamationmark.triangle.fill"),
                              QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "Couldn't get the list from Homebrew.")),
                              std::nullopt, nullptr, m_content);
    m_content->addWidget(m_failed);

    m_list = new RowList(m_content);
    m_content->addWidget(m_list);
    column->addWidget(m_content, 1);
    column->addWidget(makeDivider(this));

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(Style::metric(16), Style::metric(10), Style::metric(16), Style::metric(10));
    footer->setSpacing(Style::metric(8));
    // One line; a long status is shortened at its end. It also takes the free width.
    m_status = new ElidedLabel(QString(), this);
    m_status->setElideMode(Qt::ElideRight);
    m_status->setFont(Style::font(Style::Text::caption));
    m_status->setColor(Style::secondary(palette()));
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    footer->addWidget(m_status, 1);
    m_spinner = new ProgressSpinner(16, this);
    footer->addWidget(m_spinner);
    m_recheck = plainButton(tr("Re-check"), this);
    connect(m_recheck, &QPushButton::clicked, this, [this] { m_model->check(); });
    footer->addWidget(m_recheck);
    m_updateAll = new CleanActionButton(tr("Update All"), QString(), false, [this] { m_model->upgradeAll(); }, this);
    footer->addWidget(m_updateAll);
    column->addLayout(footer);
}

void AppUpdatesView::rebuildList()
{
    QList<QWidget*> rows;
    for (const OutdatedPackage& package : m_model->packages())
        rows << new OutdatedPackageRow(package, m_model->busy(), [this, package] { m_model->upgrade(package); },
                                       m_list->rowParent());
    m_list->setRows(rows);
    refresh();
}

void AppUpdatesView::refresh()
{
    using State = AppUpdatesModel::State;
    const State state = m_model->state();
    QWidget* shown = m_checking;
    if (state == State::unavailable)
        shown = m_unavailable;
    else if (state == State::ready && m_model->packages().isEmpty())
        shown = m_model->listingFailed() ? m_failed : m_upToDate;
    else if (state == State::ready)
        shown = m_list;
    m_content->setCurrentWidget(shown);

    const std::optional<QString>& status = m_model->status();
    m_status->setText(status.value_or(QString()));
    m_status->setToolTip(status ? plainToolTip(*status) : QString());

    const bool busy = m_model->busy();
    m_spinner->setVisible(busy);
    m_recheck->setEnabled(!busy);
    m_updateAll->setEnabled(!busy && state == State::ready && !m_model->packages().isEmpty());
}

void AppUpdatesView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_model->state() == AppUpdatesModel::State::idle)
        m_model->check();
}

AppUpdatesView::Content AppUpdatesView::content() const
{
    QWidget* shown = m_content->currentWidget();
    if (shown == m_unavailable)
        return Content::unavailable;
    if (shown == m_upToDate)
        return Content::upToDate;
    if (shown == m_failed)
        return Content::listFailed;
    return shown == m_list ? Content::list : Content::checking;
}

QList<OutdatedPackageRow*> AppUpdatesView::rows() const { return m_list->rows<OutdatedPackageRow>(); }

QString AppUpdatesView::statusText() const { return m_status->text(); }

bool AppUpdatesView::showsStatus() const { return !m_status->text().isEmpty(); }
