#include "views/components/ElidedLabel.h"

#include "views/components/Labels.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

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

void ElidedLabel::setKeptPrefix(const QString& prefix)
{
    m_kept = prefix;
    updateGeometry();
}

void ElidedLabel::setColor(const QColor& color)
{
    m_color = color;
    update();
}

QColor ElidedLabel::color() const { return m_color.value_or(palette().color(QPalette::WindowText)); }

QString ElidedLabel::displayedText() const
{
    QString line = m_text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString shown = fontMetrics().elidedText(line, m_mode, width());
    // The kept part stays whole: at its minimum width the metrics may round one letter short.
    if (m_mode == Qt::ElideRight && !m_kept.isEmpty() && line.startsWith(m_kept) && !shown.startsWith(m_kept))
        return line == m_kept ? line : m_kept + QChar(0x2026);
    return shown;
}

bool ElidedLabel::isElided() const
{
    QString line = m_text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return displayedText() != line;
}

QString ElidedLabel::effectiveToolTip() const
{
    if (!toolTip().isEmpty())
        return toolTip();
    return isElided() ? plainToolTip(m_text) : QString();
}

bool ElidedLabel::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString tip = effectiveToolTip();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), tip, this);
        }
        return true;
    }
    return QWidget::event(e);
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    return QSize(fm.horizontalAdvance(m_text), fm.height());
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const int full = fm.horizontalAdvance(m_text);
    if (m_mode == Qt::ElideRight && !m_kept.isEmpty() && m_text.startsWith(m_kept))
        return QSize(qMin(full, fm.horizontalAdvance(m_kept + QChar(0x2026))), fm.height());
    return QSize(qMin(full, fm.horizontalAdvance(QStringLiteral("M…M"))), fm.height());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(color());
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, displayedText());
}
