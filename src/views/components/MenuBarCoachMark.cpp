#include "views/components/MenuBarCoachMark.h"

#include "platform/DesktopTerms.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextOption>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {
// Lengths for a 13-point body, grown with a larger application font (never shrunk: the band
// keeps at least its design size).
qreal grown(qreal points) { return points * std::max(1.0, Style::scale()); }

qreal arrowSize() { return grown(26); }
qreal spacing() { return grown(8); } // between arrow and bubble
qreal padding() { return grown(14); } // inside the bubble
qreal centerY() { return grown(88); } // column centre, from the edge the tray is on
qreal driveSize() { return grown(16); } // the drive beside the headline, then 8 to the text
qreal radius() { return grown(12); }

QString headline(bool down)
{
    return down ? MenuBarCoachMark::tr("Dustlet lives down here") : MenuBarCoachMark::tr("Dustlet lives up here");
}
QString message() { return DesktopTerms::hintMessage(); }
QString gotIt() { return MenuBarCoachMark::tr("Got it"); }
} // namespace

MenuBarCoachMark::MenuBarCoachMark(qreal iconX, std::function<void()> onDismiss, qreal bubbleWidth, QWidget* parent)
    : QWidget(parent), m_iconX(iconX), m_onDismiss(std::move(onDismiss)), m_bubbleWidth(bubbleWidth)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_appear = new QVariantAnimation(this);
    m_appear->setStartValue(0.0);
    m_appear->setEndValue(1.0);
    m_appear->setDuration(450);
    m_appear->setEasingCurve(QEasingCurve::OutCubic); // a critically damped spring
    connect(m_appear, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_progress = v.toDouble();
        update();
    });

    m_bounceAnimation = new QVariantAnimation(this);
    m_bounceAnimation->setKeyValueAt(0.0, 0.0);
    m_bounceAnimation->setKeyValueAt(0.15, -6.0);
    m_bounceAnimation->setKeyValueAt(0.3, 0.0);
    m_bounceAnimation->setKeyValueAt(1.0, 0.0);
    m_bounceAnimation->setDuration(1600);
    m_bounceAnimation->setLoopCount(-1);
    connect(m_bounceAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_bounce = v.toDouble();
        update();
    });
}

qreal MenuBarCoachMark::columnCenterX(qreal width, qreal iconX, qreal bubbleWidth)
{
    const qreal half = bubbleWidth * 0.5 + 12;
    return std::min(width - half, std::max(iconX, half));
}

void MenuBarCoachMark::setAnimated(bool animated) { m_animated = animated; }

void MenuBarCoachMark::setPointsDown(bool down)
{
    m_down = down;
    update();
}

void MenuBarCoachMark::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        if (m_animated) {
            m_appear->start();
            m_bounceAnimation->start();
        } else {
            m_progress = 1;
            update();
        }
    }
}

void MenuBarCoachMark::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (m_onDismiss)
        m_onDismiss();
}

int MenuBarCoachMark::bandHeight() { return int(std::lround(grown(200))); }

qreal MenuBarCoachMark::bubbleWidth() const
{
    // The design's width, grown with the font, and wide enough for the headline's one line.
    const QFontMetricsF head(Style::font(Style::Text::headline));
    const qreal headRow = driveSize() + grown(8) + head.horizontalAdvance(headline(m_down));
    return std::max(grown(m_bubbleWidth), std::ceil(headRow + 2 * padding()));
}

qreal MenuBarCoachMark::bubbleHeight() const
{
    const qreal inner = bubbleWidth() - 2 * padding();
    const QFontMetricsF head(Style::font(Style::Text::headline));
    const QFontMetricsF sub(Style::font(Style::Text::subheadline));
    const QFontMetricsF cap(Style::font(Style::Text::caption, QFont::DemiBold));
    const QRectF msg = sub.boundingRect(QRectF(0, 0, inner, 1000), Qt::AlignHCenter | Qt::TextWordWrap, message());
    const qreal headRow = std::max<qreal>(head.height(), driveSize());
    return padding() + headRow + grown(6) + msg.height() + grown(6 + 2) + cap.height() + padding();
}

QRectF MenuBarCoachMark::columnRect() const
{
    const qreal w = bubbleWidth();
    const qreal h = arrowSize() + spacing() + bubbleHeight();
    const qreal cx = columnCenterX(width(), m_iconX, w);
    // As far from the edge the tray is on as the design has it from the top.
    const qreal cy = m_down ? height() - centerY() : centerY();
    return QRectF(cx - w / 2, cy - h / 2, w, h);
}

QRectF MenuBarCoachMark::bubbleRect() const
{
    const QRectF col = columnRect();
    return QRectF(col.left(), m_down ? col.top() : col.top() + arrowSize() + spacing(), col.width(), bubbleHeight());
}

qreal MenuBarCoachMark::arrowCenterX() const
{
    // Above the bubble, so an icon at a corner (over the 12 px between bubble and screen edge at
    // most) is pointed at all the same: a large arrow there reaches past the edge with its far
    // side, never with its tip.
    const QRectF bubble = bubbleRect();
    return std::clamp(m_iconX, bubble.left(), std::max(bubble.left(), bubble.right()));
}

QRegion MenuBarCoachMark::opaqueRegion() const
{
    const QRectF col = columnRect();
    QPainterPath shape;
    shape.addRoundedRect(bubbleRect(), radius(), radius());
    QRegion region(shape.toFillPolygon().toPolygon());
    const qreal a = arrowSize();
    QImage arrow = Symbol::pixmap(QStringLiteral("arrowshape.up.fill"), int(a), Qt::black).toImage();
    if (m_down)
        arrow = arrow.mirrored(false, true);
    region += QRegion(QBitmap::fromImage(arrow.createAlphaMask()))
                  .translated(int(arrowCenterX() - a / 2), int(m_down ? col.bottom() - a : col.top()));
    return region;
}

void MenuBarCoachMark::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(m_progress);

    const QColor tint = Style::accent(palette());
    const QRectF col = columnRect();

    // Arrow: 10 px away from the icon until it has appeared, moving into place, then bouncing
    // towards the icon.
    const qreal away = grown(10 * (1 - m_progress) + m_bounce);
    const qreal a = arrowSize();
    const qreal arrowX = arrowCenterX();
    const QPixmap up = Symbol::pixmap(QStringLiteral("arrowshape.up.fill"), int(a), tint, devicePixelRatioF());
    if (m_down) {
        const QRectF arrow(arrowX - a / 2, col.bottom() - a - away, a, a);
        p.drawPixmap(arrow.topLeft(), QPixmap::fromImage(up.toImage().mirrored(false, true)));
    } else {
        const QRectF arrow(arrowX - a / 2, col.top() + away, a, a);
        p.drawPixmap(arrow.topLeft(), up);
    }

    // Bubble with its shadow, material background and accent border.
    const QRectF bubble = bubbleRect();
    const qreal r = radius();
    QPainterPath shape;
    shape.addRoundedRect(bubble, r, r);
    for (int i = 6; i >= 1; --i) {
        QPainterPath shadow;
        shadow.addRoundedRect(bubble.translated(0, grown(4)).adjusted(-i * 2, -i * 2, i * 2, i * 2), r + i * 2,
                              r + i * 2);
        p.fillPath(shadow, QColor(0, 0, 0, int(0.25 * 255 / 10)));
    }
    QColor material = palette().color(QPalette::Window);
    material.setAlphaF(0.96);
    p.fillPath(shape, material);
    QColor border = tint;
    border.setAlphaF(0.5);
    p.setPen(QPen(border, 1));
    p.drawPath(QPainterPath(shape).translated(0, 0));

    // Contents, centred.
    const qreal pad = padding();
    const qreal inner = bubble.width() - 2 * pad;
    qreal y = bubble.top() + pad;
    const QFont head = Style::font(Style::Text::headline);
    const QFontMetricsF hm(head);
    const qreal drive = driveSize();
    const qreal textWidth = hm.horizontalAdvance(headline(m_down));
    const qreal headWidth = drive + grown(8) + textWidth;
    const qreal headRow = std::max<qreal>(hm.height(), drive);
    qreal x = bubble.center().x() - headWidth / 2;
    p.drawPixmap(
        QPointF(x, y + (headRow - drive) / 2),
        Symbol::pixmap(QStringLiteral("internaldrive.fill"), int(std::lround(drive)), tint, devicePixelRatioF()));
    p.setPen(Style::primary(palette()));
    p.setFont(head);
    p.drawText(QRectF(x + drive + grown(8), y, textWidth + 1, headRow), Qt::AlignLeft | Qt::AlignVCenter,
               headline(m_down));
    y += headRow + grown(6);

    const QFont sub = Style::font(Style::Text::subheadline);
    p.setFont(sub);
    p.setPen(Style::secondary(palette()));
    const QRectF msgBox(bubble.left() + pad, y, inner, 1000);
    const QRectF msg = QFontMetricsF(sub).boundingRect(msgBox, Qt::AlignHCenter | Qt::TextWordWrap, message());
    p.drawText(msgBox, Qt::AlignHCenter | Qt::TextWordWrap, message());
    y += msg.height() + grown(6 + 2);

    const QFont cap = Style::font(Style::Text::caption, QFont::DemiBold);
    p.setFont(cap);
    p.setPen(Style::accentText(palette()));
    p.drawText(QRectF(bubble.left(), y, bubble.width(), QFontMetricsF(cap).height()), Qt::AlignCenter, gotIt());
}
