#include "views/diskmap/DiskMapStartScreen.h"

#include "models/ScanPreset.h"
#include "views/components/FitScrollArea.h"
#include "views/components/LayoutItems.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

PresetCard::PresetCard(const QString& label, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol)
{
    setText(label);
    setAccessibleName(label);
    setObjectName(QStringLiteral("presetCard"));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize PresetCard::sizeHint() const
{
    const QFontMetrics fm(Style::font(Style::Text::callout));
    return QSize(std::max(Style::metric(120), fm.horizontalAdvance(text()) + Style::metric(16)), Style::metric(84));
}

QSize PresetCard::minimumSizeHint() const { return QSize(Style::metric(10), Style::metric(84)); }

void PresetCard::enterEvent(QEnterEvent* e)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(e);
}

void PresetCard::leaveEvent(QEvent* e)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void PresetCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(box, 12, 12);
    QColor fill = Style::primary(palette());
    fill.setAlphaF(isDown() ? 0.12f : m_hovered ? 0.08f : 0.05f);
    p.fillPath(shape, fill);
    QColor outline = Style::secondary(palette());
    outline.setAlphaF(0.15f);
    p.strokePath(shape, QPen(hasFocus() ? Style::accent(palette()) : outline, hasFocus() ? 2 : 1));

    const QFont font = Style::font(Style::Text::callout);
    const QFontMetrics fm(font);
    const int symbolSize = Style::metric(22);
    const int frame = Style::metric(26);
    const int spacing = Style::metric(8);
    const int total = frame + spacing + fm.height();
    const int top = (height() - total) / 2;
    const qreal dpr = devicePixelRatioF();
    const QPixmap pm = Symbol::pixmap(m_symbol, symbolSize, Style::accent(palette()), dpr);
    p.drawPixmap(QPointF((width() - symbolSize) / 2.0, top + (frame - symbolSize) / 2.0), pm);
    p.setFont(font);
    p.setPen(Style::primary(palette()));
    const QString label = fm.elidedText(text(), Qt::ElideRight, width() - Style::metric(12));
    p.drawText(QRect(0, top + frame + spacing, width(), fm.height()), Qt::AlignHCenter | Qt::AlignVCenter, label);
}

DiskMapStartScreen::DiskMapStartScreen(QWidget* parent) : QWidget(parent)
{
    // In a window held to a small screen the cards scroll.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new FitScrollArea(this);
    scroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    scroll->setLeastHeight(Style::metric(84));
    auto* content = new QWidget(scroll);
    scroll->setWidget(content);
    outer->addWidget(scroll);

    auto* column = new QVBoxLayout(content);
    const int inset = Style::metric(28);
    column->setContentsMargins(inset, inset, inset, inset);
    column->setSpacing(Style::metric(18));
    column->addStretch(1);

    auto* symbol =
        new SymbolView(QStringLiteral("rectangle.3.group"), Style::metric(52), Style::accent(palette()), content);
    column->addWidget(symbol, 0, Qt::AlignHCenter);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(Style::metric(4));
    auto* title = new QLabel(tr("What do you want to scan?"), content);
    title->setTextFormat(Qt::PlainText);
    title->setFont(Style::font(Style::Text::title2, QFont::DemiBold));
    title->setAlignment(Qt::AlignHCenter);
    titles->addWidget(title);
    auto* line = new QLabel(tr("Pick a location to map what's using its space."), content);
    line->setTextFormat(Qt::PlainText);
    line->setFont(Style::font(Style::Text::body));
    line->setAlignment(Qt::AlignHCenter);
    line->setWordWrap(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::WindowText, Style::secondary(palette()));
    line->setPalette(pal);
    titles->addWidget(line);
    column->addLayout(titles);

    auto* gridBox = new QWidget(content);
    gridBox->setFixedWidth(Style::metric(460));
    m_grid = new QGridLayout(gridBox);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(Style::metric(12));
    m_grid->setVerticalSpacing(Style::metric(12));
    for (int c = 0; c < 3; ++c)
        m_grid->setColumnStretch(c, 1);
    column->addWidget(gridBox, 0, Qt::AlignHCenter);
    column->addStretch(1);
    rebuild();
}

QList<PresetCard*> DiskMapStartScreen::cards() const
{
    QList<PresetCard*> out;
    for (int i = 0; i < m_grid->count(); ++i)
        if (auto* card = qobject_cast<PresetCard*>(m_grid->itemAt(i)->widget()))
            out.append(card);
    return out;
}

void DiskMapStartScreen::rebuild()
{
    discardLayoutItems(m_grid);
    int at = 0;
    const auto add = [&](PresetCard* card) {
        m_grid->addWidget(card, at / 3, at % 3);
        ++at;
    };
    const QList<ScanPreset> places = ScanPreset::all() + ScanPreset::mountedVolumes();
    for (const ScanPreset& preset : places) {
        auto* card = new PresetCard(preset.displayLabel(), preset.symbol);
        const QString path = preset.path;
        connect(card, &QAbstractButton::clicked, this, [this, path] { Q_EMIT scanRequested(path); });
        add(card);
    }
    auto* choose = new PresetCard(tr("Choose Folder…"), QStringLiteral("folder.badge.plus"));
    connect(choose, &QAbstractButton::clicked, this, &DiskMapStartScreen::chooseFolderRequested);
    add(choose);
}
