#include "views/components/ToggleSwitch.h"

#include "views/components/Style.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kWidth = 38;
constexpr int kHeight = 22;
constexpr int kInset = 2;   // between the track's edge and the knob
} // namespace

ToggleSwitch::ToggleSwitch(const QString& accessibleName, QWidget* parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setAccessibleName(accessibleName);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

// Two pixels around the track for the focus ring.
QSize ToggleSwitch::sizeHint() const { return QSize(kWidth + 4, kHeight + 4); }

bool ToggleSwitch::hitButton(const QPoint& pos) const { return rect().contains(pos); }

void ToggleSwitch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(0, 0, kWidth, kHeight).translated((width() - kWidth) / 2.0, (height() - kHeight) / 2.0);
    const qreal radius = track.height() / 2;

    const QPalette pal = palette();
    QColor fill = isChecked() ? Style::accent(pal) : Style::tertiary(pal);
    if (!isChecked())
        fill.setAlphaF(0.45);
    if (!isEnabled())
        fill.setAlphaF(fill.alphaF() * 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(track, radius, radius);

    const qreal knob = track.height() - 2 * kInset;
    const qreal x = isChecked() ? track.right() - kInset - knob : track.left() + kInset;
    QColor shade(0, 0, 0, 40);
    p.setBrush(shade);
    p.drawEllipse(QRectF(x, track.top() + kInset + 0.5, knob, knob));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, track.top() + kInset, knob, knob));

    if (hasFocus()) {
        QColor ring = Style::accent(pal);
        ring.setAlphaF(0.6);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ring, 2));
        p.drawRoundedRect(track.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    }
}
