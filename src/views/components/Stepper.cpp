#include "views/components/Stepper.h"

#include "views/components/FocusRing.h"
#include "views/components/Style.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {
QToolButton* stepButton(const QString& text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus); // the stepper itself takes the focus and the arrow keys
    b->setFixedSize(Style::metric(22), Style::metric(20));
    return b;
}
} // namespace

Stepper::Stepper(double lower, double upper, double step, LabelText label, QWidget* parent)
    : QWidget(parent), m_lower(lower), m_upper(upper), m_step(step), m_value(lower), m_text(std::move(label))
{
    setFocusPolicy(Qt::TabFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Style::metric(6));
    m_label = new QLabel(this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFont(Style::font(Style::Text::body));
    m_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_label);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    m_down = stepButton(QStringLiteral("\u2212"), this);
    m_up = stepButton(QStringLiteral("+"), this);
    buttons->addWidget(m_down);
    buttons->addWidget(m_up);
    row->addLayout(buttons);
    connect(m_down, &QToolButton::clicked, this, &Stepper::stepDown);
    connect(m_up, &QToolButton::clicked, this, &Stepper::stepUp);
    FocusRing::attach(this);
    refresh();
}

void Stepper::setValue(double value)
{
    m_value = value;
    refresh();
}

QString Stepper::labelText() const { return m_label->text(); }

double Stepper::clamped() const { return std::isnan(m_value) ? m_lower : std::clamp(m_value, m_lower, m_upper); }

void Stepper::stepUp()
{
    if (canStepUp())
        stepTo(std::clamp(clamped() + m_step, m_lower, m_upper));
}

void Stepper::stepDown()
{
    if (canStepDown())
        stepTo(std::clamp(clamped() - m_step, m_lower, m_upper));
}

void Stepper::stepTo(double value)
{
    m_value = value;
    refresh();
    Q_EMIT valueChanged(m_value);
}

void Stepper::refresh()
{
    m_label->setText(m_text(m_value));
    m_down->setEnabled(canStepDown());
    m_up->setEnabled(canStepUp());
}

void Stepper::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        stepUp();
    else if (event->key() == Qt::Key_Down)
        stepDown();
    else
        QWidget::keyPressEvent(event);
}

void Stepper::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LanguageChange)
        refresh();
}
