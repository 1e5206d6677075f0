#include "views/panel/TargetRowView.h"

#include "views/components/Labels.h"

#include "platform/ByteCountFormatter.h"
#include "platform/Paths.h"
#include "views/components/ElidedLabel.h"
#include "views/components/FocusRing.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/Divider.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The popover window: a bordered box under the pointer's reach; it closes on an outside click.
class Popover : public QFrame {
public:
    explicit Popover(QWidget* anchor) : QFrame(anchor, Qt::Popup | Qt::FramelessWindowHint)
    {
        setObjectName(QStringLiteral("infoPopover"));
        setAttribute(Qt::WA_DeleteOnClose);
        setFrameShape(QFrame::StyledPanel);
        setAutoFillBackground(true);
    }
};


} // namespace

TargetRowView::TargetRowView(AppModel& model, const TargetState& state, std::function<void()> onClean, QWidget* parent)
    : QWidget(parent), m_model(model), m_state(state), m_onClean(std::move(onClean))
{
    setObjectName(QStringLiteral("targetRow:") + state.id());
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Style::metric(16), 0, Style::metric(16), 0);
    row->setSpacing(Style::metric(10));

    m_check = new QCheckBox(this);
    m_check->setToolTip(tr("Include in Clean All"));
    m_check->setAccessibleName(state.target.name);
    connect(m_check, &QCheckBox::clicked, this, [this](bool on) { m_model.settings().setEnabled(on, m_state.id()); });
    FocusRing::attach(m_check);
    row->addWidget(m_check);

    m_symbol = new SymbolView(state.target.symbol, Style::pixelSize(Style::Text::body) + 2, this);
    m_symbol->setFixedWidth(Style::metric(22));
    row->addWidget(m_symbol);

    m_texts = new QWidget(this);
    auto* texts = new QVBoxLayout(m_texts);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(1);
    m_name = new ElidedLabel(state.target.name, m_texts);
    m_name->setElideMode(Qt::ElideRight);
    m_name->setFont(Style::font(Style::Text::callout, QFont::Medium));
    m_name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    texts->addWidget(m_name);
    m_detail = new ElidedLabel(state.target.detail, m_texts);
    m_detail->setFont(Style::font(Style::Text::caption2));
    m_detail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    texts->addWidget(m_detail);
    m_texts->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    row->addWidget(m_texts, 1, Qt::AlignVCenter);

    m_info = new QToolButton(this);
    m_info->setObjectName(QStringLiteral("infoButton"));
    m_info->setAutoRaise(true);
    const int infoPx = Style::pixelSize(Style::Text::caption) + 2;
    m_info->setIcon(Symbol::icon(QStringLiteral("info.circle"), Style::secondary(), infoPx));
    m_info->setIconSize(QSize(infoPx, infoPx));
    m_info->setToolTip(tr("What this is and why it's safe to remove"));
    m_info->setAccessibleName(m_info->toolTip());
    connect(m_info, &QToolButton::clicked, this, &TargetRowView::showInfo);
    FocusRing::attach(m_info);
    row->addWidget(m_info);

    // As wide as the widest size with the spinner beside it: nothing moves while a size counts up.
    const int spinnerPx = Style::metric(14);
    m_sizeColumn = new QWidget(this);
    m_sizeColumn->setObjectName(QStringLiteral("sizeColumn"));
    m_sizeColumn->setFixedWidth(std::max(Style::metric(62), sizeColumnWidth(Style::font(Style::Text::callout, QFont::Medium))
                                                                + Style::metric(6) + spinnerPx));
    auto* sizeRow = new QHBoxLayout(m_sizeColumn);
    sizeRow->setContentsMargins(0, 0, 0, 0);
    sizeRow->setSpacing(Style::metric(6));
    sizeRow->addStretch(1);
    m_size = makePlainLabel(QString(), Style::font(Style::Text::callout), Style::secondary(), m_sizeColumn);
    sizeRow->addWidget(m_size);
    m_sizeSpinner = new ProgressSpinner(spinnerPx, m_sizeColumn);
    sizeRow->addWidget(m_sizeSpinner);
    row->addWidget(m_sizeColumn);

    const int cleanPx = Style::metric(22);
    m_clean = new QToolButton(this);
    m_clean->setObjectName(QStringLiteral("cleanButton"));
    m_clean->setAutoRaise(true);
    m_clean->setFixedSize(cleanPx, cleanPx);
    m_clean->setIconSize(QSize(spinnerPx, spinnerPx));
    connect(m_clean, &QToolButton::clicked, this, [this] {
        if (m_onClean)
            m_onClean();
    });
    FocusRing::attach(m_clean);
    m_cleanSpinner = new ProgressSpinner(spinnerPx, m_clean);
    m_cleanSpinner->move((cleanPx - spinnerPx) / 2, (cleanPx - spinnerPx) / 2);
    row->addWidget(m_clean);

    setState(state);
}

bool TargetRowView::isEnabledTarget() const { return !m_model.settings().disabledTargetIDs().contains(m_state.id()); }

TargetRowView::SizeState TargetRowView::sizeState() const
{
    if (m_state.isScanning)
        return SizeState::scanning;
    return m_state.size ? SizeState::measured : SizeState::unknown;
}

QString TargetRowView::sizeText() const { return m_size->isHidden() ? QString() : m_size->text(); }

QString TargetRowView::sizeToolTip() const { return m_sizeColumn->toolTip(); }

QColor TargetRowView::nameColor() const { return m_name->color(); }

QColor TargetRowView::detailColor() const { return m_detail->color(); }

QColor TargetRowView::symbolTint() const { return m_symbol->tint(); }

bool TargetRowView::isCleanSpinnerShown() const { return !m_cleanSpinner->isHidden(); }

bool TargetRowView::isSizeSpinnerShown() const { return !m_sizeSpinner->isHidden(); }

void TargetRowView::setState(const TargetState& state)
{
    m_state = state;
    m_name->setText(state.target.name);
    m_detail->setText(state.target.detail);
    m_symbol->setName(state.target.symbol);
    m_clean->setToolTip(plainToolTip(tr("Clean %1").arg(state.target.name)));
    m_clean->setAccessibleName(tr("Clean %1").arg(state.target.name));

    // Size column: spinner (with the running count once there is one), a dash, or the size.
    auto setSizeColor = [this](const QColor& c) {
        QPalette p = m_size->palette();
        p.setColor(QPalette::WindowText, c);
        m_size->setPalette(p);
    };
    switch (sizeState()) {
    case SizeState::scanning: {
        const bool counting = state.size && *state.size >= 1;
        m_size->setText(counting ? formatBytes(*state.size) : QString());
        m_size->setFont(Style::font(Style::Text::callout));
        m_size->setVisible(counting);
        setSizeColor(Style::secondary());
        m_sizeSpinner->show();
        m_sizeColumn->setToolTip(tr("Scanning\u2026"));
        break;
    }
    case SizeState::unknown:
        m_size->setText(QStringLiteral("\u2014"));
        m_size->setFont(Style::font(Style::Text::callout));
        m_size->show();
        setSizeColor(Style::secondary());
        m_sizeSpinner->hide();
        m_sizeColumn->setToolTip(tr("Rescan to measure this size"));
        break;
    case SizeState::measured:
        m_size->setText(formatBytes(*state.size));
        m_size->setFont(Style::font(Style::Text::callout, QFont::Medium));
        m_size->show();
        setSizeColor(*state.size >= 1 ? Style::primary() : Style::secondary());
        m_sizeSpinner->hide();
        m_sizeColumn->setToolTip(QString());
        break;
    }
    refresh();
}

void TargetRowView::refresh()
{
    const bool enabled = isEnabledTarget();
    m_check->setChecked(enabled);
    m_symbol->setTint(enabled ? Style::accent() : Style::secondary());
    // Excluded: name and detail dimmed towards the background, still readable (4.5:1).
    const QColor background = palette().color(QPalette::Window);
    m_name->setColor(enabled ? Style::primary(palette()) : Style::inactive(Style::primary(palette()), background));
    m_detail->setColor(enabled ? Style::secondary(palette()) : Style::inactive(Style::secondary(palette()), background));

    // An excluded target can still be cleaned alone; nothing can while a cleanup runs.
    m_clean->setEnabled(!m_state.isCleaning && !m_model.isCleaningAll());
    if (m_state.isCleaning) {
        m_clean->setIcon(QIcon());
        m_cleanSpinner->show();
    } else {
        m_cleanSpinner->hide();
        m_clean->setIcon(Symbol::icon(QStringLiteral("trash"), Style::secondary(), m_clean->iconSize().width()));
    }
}

void TargetRowView::setShowsDivider(bool shows)
{
    if (m_divider == shows)
        return;
    m_divider = shows;
    update();
}

void TargetRowView::paintEvent(QPaintEvent*)
{
    if (!m_divider)
        return;
    QPainter p(this);
    p.setPen(Style::separator(palette()));
    p.drawLine(Style::metric(48), height() - 1, width(), height() - 1);
}

QString TargetRowView::locationHeading(qsizetype count)
{
    // Two texts rather than a suffix, so that each language words its own plural.
    return count == 1 ? tr("Location") : tr("Locations");
}

QWidget* TargetRowView::makeInfoContent(const CleanupTarget& target, QWidget* parent)
{
    auto* box = new QWidget(parent);
    box->setFixedWidth(Style::metric(300));
    auto* column = new QVBoxLayout(box);
    const int pad = Style::metric(14);
    column->setContentsMargins(pad, pad, pad, pad);
    column->setSpacing(Style::metric(10));

    auto* title = new QHBoxLayout;
    title->setSpacing(Style::metric(6));
    title->addWidget(new SymbolView(target.symbol, Style::pixelSize(Style::Text::headline) + 2, Style::accent(), box));
    auto* name = makePlainLabel(target.name, Style::font(Style::Text::headline), Style::primary(), box);
    name->setObjectName(QStringLiteral("infoTitle"));
    title->addWidget(name, 1);
    column->addLayout(title);

    auto* safe = new QHBoxLayout;
    safe->setSpacing(Style::metric(8));
    safe->addWidget(new SymbolView(QStringLiteral("checkmark.shield.fill"), Style::metric(14), Style::green(), box), 0,
                    Qt::AlignTop);
    auto* why = makePlainLabel(target.whySafe(), Style::font(Style::Text::callout), Style::secondary(), box);
    why->setObjectName(QStringLiteral("infoWhySafe"));
    why->setWordWrap(true);
    safe->addWidget(why, 1);
    column->addLayout(safe);

    const QStringList paths = target.displayPaths();
    if (!paths.isEmpty()) {
        column->addWidget(makeDivider(box));
        auto* heading = makePlainLabel(locationHeading(paths.size()),
                                       Style::font(Style::Text::caption, QFont::DemiBold), Style::secondary(), box);
        heading->setObjectName(QStringLiteral("locationHeading"));
        column->addWidget(heading);
        auto* lines = new QVBoxLayout;
        lines->setSpacing(2);
        for (const QString& path : paths) {
            auto* label = new SelectableElidedLabel(Paths::abbreviateHome(path), Style::monospaced(Style::Text::caption2),
                                                    Style::secondary(), box);
            label->setObjectName(QStringLiteral("locationPath"));
            lines->addWidget(label);
        }
        column->addLayout(lines);
    }
    return box;
}

void TargetRowView::showInfo()
{
    if (m_popover) {
        m_popover->raise();
        return;
    }
    auto* popover = new Popover(m_info);
    auto* layout = new QVBoxLayout(popover);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeInfoContent(m_state.target, popover));
    popover->adjustSize();

    // Above the button, centred on it (the arrow side at the bottom); below when there is no room.
    const QRect anchor(m_info->mapToGlobal(QPoint(0, 0)), m_info->size());
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size = popover->size();
    int x = anchor.center().x() - size.width() / 2;
    int y = anchor.top() - size.height() - 4;
    if (y < area.top())
        y = anchor.bottom() + 5;
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    popover->move(x, y);
    m_popover = popover;
    popover->show();
}

bool TargetRowView::isShowingInfo() const { return m_popover && m_popover->isVisible(); }
