#include "views/components/TransientMessage.h"

#include <QTimer>


TransientMessage::TransientMessage(int delayMs, QObject* parent) : QObject(parent), m_delayMs(delayMs) {}

void TransientMessage::show(const QString& text)
{
    const quint64 generation = ++m_generation;
    m_text = text;
    Q_EMIT changed(m_text);
    QTimer::singleShot(m_delayMs, this, [this, generation] {
        if (generation == m_generation && m_text) {
            m_text.reset();
            Q_EMIT changed(m_text);
        }
    });
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
