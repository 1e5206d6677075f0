#include "views/tools/StartupItemsView.h"

#include "platform/Paths.h"
#include "platform/ui/FileManagerShell.h"
#include "services/LoginItemState.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/EmptyState.h"
#include "views/components/FocusRing.h"
#include "views/components/Labels.h"
#include "views/components/LinkButton.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/ToggleSwitch.h"
#include "views/components/ToolHeader.h"
#include "views/components/WindowCenterer.h"
#include "views/tools/StartupItemsModel.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

StartupItemRow::StartupItemRow(const StartupItem& item, bool busy, QWidget* parent) : QWidget(parent), m_item(item)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Style::metric(16), Style::metric(8), Style::metric(16), Style::metric(8));
    row->setSpacing(Style::metric(12));

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Style::metric(2));
    // A switched-off entry is dimmed: its texts half-way to the background (still 4.5:1), its
    // symbol at half strength.
    const QColor background = palette().color(QPalette::Window);
    const auto shade = [&](const QColor& c) { return item.enabled ? c : Style::inactive(c, background); };
    auto* label = new ElidedLabel(item.label, this);
    label->setFont(Style::font(Style::Text::callout, QFont::Medium));
    label->setColor(shade(Style::primary(palette())));
    label->setToolTip(plainToolTip(item.label));
    texts->addWidget(label);
    // The home folder is shortened only where it leads the path.
    const QString program = Paths::abbreviateHome(item.program);
    m_program = new ElidedLabel(program, this);
    m_program->setFont(Style::monospaced(Style::Text::caption2));
    m_program->setColor(shade(Style::secondary(palette())));
    m_program->setToolTip(plainToolTip(program));
    texts->addWidget(m_program);
    row->addLayout(texts, 1);
    row->addSpacing(Style::metric(8));

    m_reveal = new QToolButton(this);
    m_reveal->setAutoRaise(true);
    QColor revealTint = Style::secondary(palette());
    if (!item.enabled)
        revealTint.setAlphaF(0.5f);
    m_reveal->setIcon(Symbol::icon(QStringLiteral("magnifyingglass"), revealTint));
    FocusRing::attach(m_reveal);
    m_reveal->setToolTip(FileManagerShell::revealLabel());
    m_reveal->setAccessibleName(FileManagerShell::revealLabel());
    m_reveal->setCursor(Qt::PointingHandCursor);
    connect(m_reveal, &QToolButton::clicked, this, [this] { Q_EMIT revealRequested(m_item); });
    row->addWidget(m_reveal);

    if (busy) {
        // In the switch's place and size, so that nothing beside it moves.
        auto* slot = new QWidget(this);
        slot->setFixedSize(ToggleSwitch().sizeHint());
        auto* centred = new QHBoxLayout(slot);
        centred->setContentsMargins(0, 0, 0, 0);
        m_spinner = new ProgressSpinner(Style::metric(16), slot);
        centred->addWidget(m_spinner, 0, Qt::AlignCenter);
        row->addWidget(slot);
    } else {
        m_switch = new ToggleSwitch(this);
        m_switch->setChecked(item.enabled);
        m_switch->setAccessibleName(item.label);
        connect(m_switch, &ToggleSwitch::clicked, this, [this] {
            // The listing decides the state: put the box back until it comes.
            m_switch->setChecked(m_item.enabled);
            Q_EMIT toggleRequested(m_item);
        });
        row->addWidget(m_switch);
    }
}

QString StartupItemRow::programText() const { return m_program->text(); }
qreal StartupItemRow::opacity() const { return m_item.enabled ? 1.0 : 0.5; }

StartupItemsView::StartupItemsView(QWidget* parent) : StartupItemsView(nullptr, parent) {}

StartupItemsView::StartupItemsView(StartupItemsModel* model, QWidget* parent)
    : QWidget(parent), m_model(model ? model : new StartupItemsModel(this))
{
    if (m_model->parent() == nullptr)
        m_model->setParent(this);
    setObjectName(QStringLiteral("startupItemsView"));
    setFixedSize(Style::metric(520), Style::metric(480));
    auto* centerer = new WindowCenterer(this);
    centerer->lower();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(new ToolHeader(
        QStringLiteral("power"), QStringLiteral(QT_TRANSLATE_NOOP("ToolHeader", "Startup & Background Items")),
        QStringLiteral(QT_TRANSLATE_NOOP("ToolHeader",
                                         "These run automatically in the background. Turn off anything you don't "
                                         "recognize — it's only stopped from launching, never deleted, and you can "
                                         "switch it back on any time.")),
        this));
    column->addWidget(makeDivider(this));

    m_empty = new EmptyState(
        QStringLiteral("checkmark.circle"), QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "No background items")),
        QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "Nothing launches automatically for your account.")), nullptr,
        this);
    column->addWidget(m_empty, 1);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list = new QWidget(m_scroll);
    m_listLayout = new QVBoxLayout(m_list);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(0);
    m_listLayout->addStretch(1);
    m_scroll->setWidget(m_list);
    column->addWidget(m_scroll, 1);

    column->addWidget(makeDivider(this));

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(Style::metric(16), Style::metric(10), Style::metric(16), Style::metric(10));
    const StartupEntries::Format& format = m_model->format();
    m_note = makePlainLabel(QCoreApplication::translate("StartupItemsView", format.loginItemsNote()),
                            Style::font(Style::Text::caption), Style::secondary(palette()), this);
    m_note->setWordWrap(true);
    footer->addWidget(m_note, 1);
    if (const std::optional<QUrl> pane = format.loginItemsPane()) {
        m_loginItems = new LinkButton(tr("Open Login Items…"), Style::font(Style::Text::body), this);
        connect(m_loginItems, &QPushButton::clicked, this, [url = *pane] { FileManagerShell::openUrl(url); });
        footer->addWidget(m_loginItems);
    }
    column->addLayout(footer);

    // The login item switched elsewhere (the settings window) or found changed: listed again,
    // the rows standing still.
    connect(&LoginItemState::shared(), &LoginItemState::changed, this, [this] {
        if (isVisible())
            m_model->refresh();
    });
    connect(m_model, &StartupItemsModel::itemsChanged, this, &StartupItemsView::rebuild);
    connect(m_model, &StartupItemsModel::busyIDChanged, this, &StartupItemsView::rebuild);
    rebuild();
}

void StartupItemsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_model->load();
}

void StartupItemsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Another program may have changed the entries meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_model->refresh();
        LoginItemState::shared().refresh();
    }
}

StartupItemRow* StartupItemsView::rowFor(const QString& id) const { return m_rows.value(id).data(); }

QList<StartupItemRow*> StartupItemsView::rows() const
{
    QList<StartupItemRow*> out;
    for (const StartupItem& item : m_model->items())
        if (StartupItemRow* r = rowFor(item.id))
            out.append(r);
    return out;
}

void StartupItemsView::rebuild()
{
    // Rows are rebuilt from the model; the scroll position stays.
    while (m_listLayout->count() > 1) {
        QLayoutItem* entry = m_listLayout->takeAt(0);
        if (QWidget* w = entry->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete entry;
    }
    m_rows.clear();
    const QList<StartupItem>& items = m_model->items();
    const std::optional<QString> busy = m_model->busyID();
    int at = 0;
    for (const StartupItem& item : items) {
        auto* row = new StartupItemRow(item, busy && *busy == item.id, m_list);
        connect(row, &StartupItemRow::toggleRequested, m_model, &StartupItemsModel::toggle);
        connect(row, &StartupItemRow::revealRequested, this,
                [](const StartupItem& it) { FileManagerShell::reveal(it.id); });
        m_listLayout->insertWidget(at++, row);
        m_listLayout->insertWidget(at++, makeDivider(m_list, Style::metric(16)));
        m_rows.insert(item.id, row);
    }
    m_empty->setVisible(items.isEmpty());
    m_scroll->setVisible(!items.isEmpty());
}
