#include "views/components/TransientMessage.h"

#include "views/components/Labels.h"
#include "views/components/Style.h"

#include <QTimer>


TransientMessage::TransientMessage(int delayMs, QObject* parent) : QObject(parent), m_delayMs(delayMs) {}

void TransientMessage::show(const QString& text)
{
    const quint64 generation = ++m_generation;
    m_text = text;
    Q_EMIT changed(m_text);
    auto clearIfCurrent = [this, generation] {
        if (generation == m_generation && m_text) {
            m_text.reset();
            Q_EMIT changed(m_text);
        }
    };
    if (m_startDelay)
        m_startDelay(m_delayMs, clearIfCurrent);
    else
        QTimer::singleShot(m_delayMs, this, clearIfCurrent);
}

void TransientMessage::hold(const QString& text)
{
    ++m_generation;
    m_text = text;
    Q_EMIT changed(m_text);
}

void TransientMessage::clear()
{
    ++m_generation;
    if (!m_text)
        return;
    m_text.reset();
    Q_EMIT changed(m_text);
}

QLabel* makeMessageLine(TransientMessage& message, QWidget* parent)
{
    QLabel* line = makePlainLabel(message.text().value_or(QString()), Style::font(Style::Text::caption),
                                  Style::secondary(parent ? parent->palette() : QPalette()), parent);
    line->setObjectName(QStringLiteral("toolMessage"));
    line->setWordWrap(true);
    line->setContentsMargins(Style::metric(12), Style::metric(6), Style::metric(12), Style::metric(6));
    line->setVisible(message.text().has_value());
    QObject::connect(&message, &TransientMessage::changed, line, [line](const std::optional<QString>& text) {
        line->setText(text.value_or(QString()));
        line->setVisible(text.has_value());
    });
    return line;
}
