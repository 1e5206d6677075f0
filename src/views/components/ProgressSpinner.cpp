#include "views/components/ProgressSpinner.h"

#include <QPainter>
#include <QTimer>

namespace {
constexpr int kTicks = 12;
}

ProgressSpinner::ProgressSpinner(int pixelSize, QWidget* parent)
    : QWidget(parent), m_size(pixelSize), m_timer(new QTimer(this))
{
    setFixedSize(pixelSize, pixelSize);
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kTicks;
        update();
    });
}

QSize ProgressSpinner::sizeHint() const { return QSize(m_size, m_size); }

bool ProgressSpinner::isSpinning() const { return m_timer->isActive(); }

void ProgressSpinner::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    m_timer->start();
}

void ProgressSpinner::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    m_timer->stop();
}

void ProgressSpinner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width() / 2.0, height() / 2.0);
    const qreal outer = m_size / 2.0 - 0.5;
    const qreal inner = outer * 0.45;
    QColor c = palette().color(QPalette::Active, QPalette::WindowText);
    for (int i = 0; i < kTicks; ++i) {
        // The newest tick is darkest; the others fade behind it.
        const int age = (m_step - i + kTicks) % kTicks;
        c.setAlphaF(0.9 - 0.7 * age / (kTicks - 1));
        QPen pen(c, std::max(1.5, m_size / 9.0), Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.save();
        p.rotate(i * 360.0 / kTicks);
        p.drawLine(QPointF(0, -inner), QPointF(0, -outer));
        p.restore();
    }
}
