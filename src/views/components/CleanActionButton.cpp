#include "views/components/CleanActionButton.h"

#include "views/components/FocusRing.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

CleanActionButton::CleanActionButton(const QString& title, const QString& systemImage, bool enabled,
                                     std::function<void()> action, QWidget* parent)
    : QPushButton(parent), m_symbol(systemImage)
{
    setTitle(title);
    setFont(Style::font(Style::Text::body, QFont::Medium));
    const int iconPx = Style::metric(16);
    setIconSize(QSize(iconPx, iconPx));
    setMinimumHeight(Style::metric(30));
    setAttribute(Qt::WA_Hover); // repainted as the pointer comes and goes
    setDefault(true);
    setEnabled(enabled);
    updateIcon();
    FocusRing::attach(this);
    connect(this, &QPushButton::clicked, this, [action = std::move(action)] {
        if (action)
            action();
    });
}

void CleanActionButton::setTitle(const QString& title)
{
    m_title = title;
    // Shown as given: a "&" in a name stays a "&", not a mnemonic.
    QString shown = title;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    setText(shown);
    updateGeometry();
}

QColor CleanActionButton::fillColor() const
{
    if (!isEnabled()) {
        const QPalette& p = palette();
        return Style::dimmed(p.color(QPalette::Active, QPalette::Button), p.color(QPalette::Active, QPalette::Window),
                             0.3, 1.0);
    }
    // Darker under the pointer and when pressed: still (more than) 4.5:1 for the white label.
    const QColor fill = Style::prominentFill(Style::accent(palette()), Qt::white);
    if (isDown())
        return fill.darker(118);
    return underMouse() ? fill.darker(108) : fill;
}

QColor CleanActionButton::labelColor() const
{
    if (isEnabled())
        return Qt::white;
    // Disabled: a dimmed label that still reads on its fill.
    return Style::secondaryOn(palette().color(QPalette::Active, QPalette::ButtonText), fillColor());
}

void CleanActionButton::updateIcon()
{
    if (m_symbol.isEmpty())
        return;
    QIcon icon;
    const int px = iconSize().width();
    for (qreal dpr : {1.0, 2.0})
        icon.addPixmap(Symbol::pixmap(m_symbol, px, labelColor(), dpr), isEnabled() ? QIcon::Normal : QIcon::Disabled);
    setIcon(icon);
}

void CleanActionButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::StyleChange) {
        // Keep a cleared icon cleared (a caller that shows a spinner in its place).
        if (!icon().isNull())
            updateIcon();
        update();
    }
}

namespace {
int sidePadding() { return Style::metric(14); }
} // namespace

QString CleanActionButton::shownText() const
{
    QString shown = text();
    shown.replace(QLatin1String("&&"), QLatin1String("&"));
    return shown;
}

// Symbol, gap and text side by side.
int CleanActionButton::contentWidth(const QString& text) const
{
    const int iconPx = icon().isNull() ? 0 : iconSize().width();
    const int gap = iconPx > 0 && !text.isEmpty() ? Style::metric(6) : 0;
    return iconPx + gap + (text.isEmpty() ? 0 : QFontMetrics(font()).horizontalAdvance(text));
}

QSize CleanActionButton::sizeHint() const
{
    const QFontMetrics fm(font());
    const int height = std::max(minimumHeight(), fm.height() + 2 * Style::metric(7));
    return QSize(contentWidth(shownText()) + 2 * sidePadding() + 1, height);
}

QSize CleanActionButton::minimumSizeHint() const
{
    // Room for the symbol and a shortened title.
    return QSize(contentWidth(QStringLiteral("M\u2026")) + 2 * sidePadding(), sizeHint().height());
}

void CleanActionButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF fillRect = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(fillRect, 5, 5);
    p.fillPath(shape, fillColor());
    p.setPen(QPen(fillColor().darker(isEnabled() ? 115 : 105), 1));
    p.drawPath(shape);
    if (FocusRing::isShown(this)) {
        // A line of the window colour inside the ring sets the ring off from the fill.
        p.setPen(QPen(palette().color(QPalette::Window), 1.5));
        p.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 3, 3);
    }

    // Symbol and title, centred together; the title shortened with "…" when the button is narrow.
    const QColor label = labelColor();
    const QFontMetrics fm(font());
    const bool hasIcon = !icon().isNull();
    const int iconPx = hasIcon ? iconSize().width() : 0;
    const int gap =
        contentWidth(shownText()) - iconPx - (shownText().isEmpty() ? 0 : fm.horizontalAdvance(shownText()));
    const int room = std::max(0, width() - 2 * sidePadding() - iconPx - gap);
    const QString shown = fm.elidedText(shownText(), Qt::ElideRight, room);
    const int textWidth = shown.isEmpty() ? 0 : fm.horizontalAdvance(shown);
    const int total = iconPx + gap + textWidth;
    qreal x = fillRect.center().x() - total / 2.0;
    if (hasIcon) {
        const QPixmap pm = Symbol::pixmap(m_symbol, iconPx, label, devicePixelRatioF());
        p.drawPixmap(QPointF(x, fillRect.center().y() - iconPx / 2.0), pm);
        x += iconPx + gap;
    }
    if (!shown.isEmpty()) {
        p.setPen(label);
        p.setFont(font());
        p.drawText(QRectF(x, fillRect.top(), textWidth + 1, fillRect.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   shown);
    }
}
