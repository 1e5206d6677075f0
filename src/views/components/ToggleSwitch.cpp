#include "views/components/ToggleSwitch.h"

#include "views/components/FocusRing.h"
#include "views/components/Style.h"

#include <QPainter>
#include <QPainterPath>

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    FocusRing::attach(this);
}

QSize ToggleSwitch::sizeHint() const { return QSize(Style::metric(32), Style::metric(18)); }

void ToggleSwitch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    const QPalette& pal = palette();
    const QColor window = pal.color(QPalette::Window);
    // Off: a track that keeps a 3:1 contrast against the window, as a control's outline must.
    QColor fill = isChecked() ? Style::accent(pal) : Style::dimmed(pal.color(QPalette::WindowText), window, 0.6, 3.0);
    if (!isEnabled())
        fill.setAlphaF(0.4f);
    QPainterPath path;
    path.addRoundedRect(track, radius, radius);
    p.fillPath(path, fill);

    const qreal inset = 2.0;
    const qreal d = track.height() - 2 * inset;
    const qreal x = isChecked() ? track.right() - inset - d : track.left() + inset;
    const QRectF knob(x, track.top() + inset, d, d);
    p.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    p.setBrush(Qt::white);
    p.drawEllipse(knob);
}
