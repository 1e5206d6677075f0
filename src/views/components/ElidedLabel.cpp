#include "views/components/ElidedLabel.h"

#include <QPainter>

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QWidget(parent), m_text(text)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(text);
}

void ElidedLabel::setText(const QString& text)
{
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void ElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_mode = mode;
    update();
}

QColor ElidedLabel::color() const { return m_color.value_or(palette().color(QPalette::WindowText)); }

void ElidedLabel::setColor(const QColor& color)
{
    m_color = color;
    update();
}

QString ElidedLabel::displayedText() const
{
    QString line = m_text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return fontMetrics().elidedText(line, m_mode, width());
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    return QSize(fm.horizontalAdvance(m_text), fm.height());
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    return QSize(qMin(fm.horizontalAdvance(m_text), fm.horizontalAdvance(QStringLiteral("M…M"))), fm.height());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(color());
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, displayedText());
}
