#include "views/components/ConfirmSheet.h"

#include "views/components/Labels.h"

#include "platform/ByteCountFormatter.h"
#include "views/components/Divider.h"
#include "views/components/FitScrollArea.h"
#include "views/components/FocusRing.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLabel* plainLabel(const QString& text, Style::Text style, const QColor& color,
                   std::optional<QFont::Weight> weight = std::nullopt)
{
    return makePlainLabel(text, Style::font(style, weight), color);
}


// One item line of the list, without its divider.
int itemRowHeight() { return Style::metric(32); }

// `tint` laid over the window colour at `opacity`, as an opaque colour (what text is read against).
QColor over(const QColor& tint, double opacity)
{
    const QColor window = QApplication::palette().color(QPalette::Window);
    return Style::dimmed(window, tint, opacity, 1.0);
}

} // namespace

int ConfirmSheet::listHeightFor(qsizetype count)
{
    // A line and its divider: 33 at the design's font.
    const qint64 natural = qint64(count) * (itemRowHeight() + 1) + Style::metric(4);
    return int(std::min<qint64>(natural, Style::metric(200)));
}

QString ConfirmSheet::countLine(qsizetype count)
{
    // Two texts rather than a suffix, so that each language words its own plural.
    return (count == 1 ? QCoreApplication::translate("ConfirmSheet", "%1 item")
                       : QCoreApplication::translate("ConfirmSheet", "%1 items"))
        .arg(count);
}

ConfirmSheet::ConfirmSheet(const QString& title, const std::optional<QString>& sizeText,
                           const std::optional<QString>& whySafe, const QList<Item>& items, bool allowPermanentDelete,
                           std::function<void()> onCancel, std::function<void(bool)> onConfirm, QWidget* parent)
    : QWidget(parent), m_onCancel(std::move(onCancel)), m_onConfirm(std::move(onConfirm))
{
    setFixedWidth(Style::metric(380));
    auto* column = new QVBoxLayout(this);
    const int margin = Style::metric(18);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(Style::metric(14));

    // Header: the question and, when known, what it frees.
    auto* header = new QHBoxLayout;
    header->setSpacing(Style::metric(10));
    header->addWidget(new SymbolView(QStringLiteral("trash.circle.fill"), Style::pixelSize(Style::Text::largeTitle) + 6,
                                     Style::orange()),
                      0, Qt::AlignVCenter);
    auto* headerText = new QVBoxLayout;
    headerText->setSpacing(Style::metric(2));
    m_question = plainLabel(QCoreApplication::translate("ConfirmSheet", "Clean %1?").arg(title), Style::Text::headline,
                            Style::primary());
    m_question->setWordWrap(true);
    headerText->addWidget(m_question);
    if (sizeText) {
        m_sizeLine = plainLabel(
            QCoreApplication::translate("ConfirmSheet", "Frees about %1. This data regenerates automatically.")
                .arg(*sizeText),
            Style::Text::callout, Style::secondary());
        m_sizeLine->setWordWrap(true);
        headerText->addWidget(m_sizeLine);
    }
    header->addLayout(headerText, 1);
    column->addLayout(header);

    if (whySafe) {
        auto* box = new QFrame;
        box->setObjectName(QStringLiteral("whySafeBox"));
        // A light green wash; its text keeps 4.5:1 against the washed colour, not the window's.
        const QColor wash = over(Style::green(), 0.1);
        box->setStyleSheet(QStringLiteral("#whySafeBox { background-color: %1; border-radius: %2px; }")
                               .arg(wash.name(), QString::number(Style::metric(8))));
        auto* row = new QHBoxLayout(box);
        const int pad = Style::metric(10);
        row->setContentsMargins(pad, pad, pad, pad);
        row->setSpacing(Style::metric(8));
        row->addWidget(new SymbolView(QStringLiteral("checkmark.shield.fill"), Style::metric(14), Style::green()), 0,
                       Qt::AlignTop);
        auto* text = plainLabel(*whySafe, Style::Text::callout, Style::secondaryOn(Style::primary(), wash));
        text->setWordWrap(true);
        row->addWidget(text, 1);
        column->addWidget(box);
    }

    if (!items.isEmpty()) {
        auto* countRow = new QHBoxLayout;
        countRow->addWidget(plainLabel(QCoreApplication::translate("ConfirmSheet", "Will clear"), Style::Text::caption,
                                       Style::secondary(), QFont::DemiBold));
        countRow->addStretch(1);
        m_count = plainLabel(countLine(items.size()), Style::Text::caption, Style::tertiary());
        countRow->addWidget(m_count);
        column->addLayout(countRow);

        // The list lies on a faint grey; its texts are measured against that.
        const QColor listBackground = over(QColor(128, 128, 128), 0.08);
        auto* rows = new QWidget;
        rows->setObjectName(QStringLiteral("itemRows"));
        rows->setAttribute(Qt::WA_TranslucentBackground);
        auto* rowsLayout = new QVBoxLayout(rows);
        rowsLayout->setContentsMargins(0, 0, 0, 0);
        rowsLayout->setSpacing(0);
        const QFont sizeFont = Style::monospaced(Style::Text::callout);
        const int sizeWidth = sizeColumnWidth(sizeFont);
        for (qsizetype i = 0; i < items.size(); ++i) {
            auto* line = new QWidget;
            line->setFixedHeight(itemRowHeight());
            auto* h = new QHBoxLayout(line);
            h->setContentsMargins(Style::metric(10), Style::metric(6), Style::metric(10), Style::metric(6));
            h->setSpacing(Style::metric(8));
            auto* label =
                new SelectableElidedLabel(items[i].label, Style::font(Style::Text::callout), Style::primary());
            label->setMinimumWidth(Style::metric(40));
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            h->addWidget(label, 1);
            h->addSpacing(Style::metric(8));
            if (items[i].size) {
                auto* size = plainLabel(formatBytes(*items[i].size), Style::Text::callout,
                                        Style::secondaryOn(Style::primary(), listBackground));
                size->setFont(sizeFont);
                size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                size->setFixedWidth(sizeWidth);
                h->addWidget(size);
            }
            rowsLayout->addWidget(line);
            if (i + 1 < items.size())
                rowsLayout->addWidget(makeDivider());
        }
        rowsLayout->addStretch(1);
        // Its own height, down to two rows in a window held to a small screen.
        m_list = new FitScrollArea;
        m_list->setObjectName(QStringLiteral("itemList"));
        m_list->setWidget(rows);
        m_list->setNaturalHeight(listHeightFor(items.size()));
        m_list->setLeastHeight(listHeightFor(2));
        m_list->setStyleSheet(QStringLiteral("#itemList { background-color: %1; border-radius: %2px; }"
                                             " #itemList > QWidget > QWidget#itemRows { background: transparent; }")
                                  .arg(listBackground.name(), QString::number(Style::metric(8))));
        m_list->viewport()->setAutoFillBackground(false);
        column->addWidget(m_list);
    }

    if (allowPermanentDelete) {
        m_permanent = new QCheckBox(QCoreApplication::translate("ConfirmSheet", "Delete permanently (skip the Trash)"));
        m_permanent->setFont(Style::font(Style::Text::caption));
        FocusRing::attach(m_permanent);
        m_permanent->setToolTip(QCoreApplication::translate(
            "ConfirmSheet",
            "Useful for very large build folders \u2014 frees the space immediately, but can't be recovered."));
        connect(m_permanent, &QCheckBox::toggled, this, [this](bool on) {
            m_deletePermanently = on;
            updateConfirmTitle();
        });
        column->addWidget(m_permanent);
    }

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(Style::metric(10));
    buttons->addStretch(1);
    m_cancel = new QPushButton(QCoreApplication::translate("ConfirmSheet", "Cancel"));
    m_confirm = new QPushButton;
    m_confirm->setDefault(true);
    m_confirm->setAutoDefault(true);
    m_confirm->setObjectName(QStringLiteral("confirmButton"));
    // A destructive red that keeps its white label at 4.5:1, also when disabled (a grey that
    // keeps a dimmed label readable).
    const QColor fill = Style::prominentFill(Style::red(), Qt::white);
    const QColor disabledFill = QColor(0xc8, 0xc8, 0xc8);
    m_confirm->setStyleSheet(QStringLiteral("#confirmButton { background-color: %1; color: white; border-radius: %2px;"
                                            " padding: %3px %4px; }"
                                            " #confirmButton:pressed { background-color: %5; }"
                                            " #confirmButton:disabled { background-color: %6; color: %7; }")
                                 .arg(fill.name(), QString::number(Style::metric(5)), QString::number(Style::metric(4)),
                                      QString::number(Style::metric(14)), fill.darker(115).name(), disabledFill.name(),
                                      Style::secondaryOn(Qt::black, disabledFill).name()));
    FocusRing::attach(m_cancel);
    FocusRing::attach(m_confirm);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_confirm);
    column->addLayout(buttons);
    updateConfirmTitle();

    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_onCancel)
            m_onCancel();
    });
    connect(m_confirm, &QPushButton::clicked, this, &ConfirmSheet::confirm);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, m_cancel, &QPushButton::click);
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* ret = new QShortcut(QKeySequence(key), this);
        ret->setContext(Qt::WindowShortcut);
        connect(ret, &QShortcut::activated, this, &ConfirmSheet::confirm);
    }
}

void ConfirmSheet::setConfirmEnabled(bool enabled)
{
    m_confirmEnabled = enabled;
    m_confirm->setEnabled(enabled);
}

void ConfirmSheet::confirm()
{
    if (!m_confirmEnabled)
        return;
    if (m_onConfirm)
        m_onConfirm(m_deletePermanently);
}

void ConfirmSheet::updateConfirmTitle()
{
    m_confirm->setText(m_deletePermanently ? QCoreApplication::translate("ConfirmSheet", "Delete")
                                           : QCoreApplication::translate("ConfirmSheet", "Clean"));
}

QString ConfirmSheet::questionText() const { return m_question->text(); }

std::optional<QString> ConfirmSheet::sizeLineText() const
{
    if (!m_sizeLine)
        return std::nullopt;
    return m_sizeLine->text();
}

std::optional<QString> ConfirmSheet::countText() const
{
    if (!m_count)
        return std::nullopt;
    return m_count->text();
}

int ConfirmSheet::listHeight() const { return m_list ? m_list->height() : 0; }

int ConfirmSheet::leastHeightForWidth(int width) const
{
    const int full = heightForWidth(width);
    return m_list ? full - (m_list->sizeHint().height() - m_list->minimumSizeHint().height()) : full;
}
