#include "views/components/EmptyState.h"

#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

EmptyState::EmptyState(const QString& icon, const QString& title, const std::optional<QString>& message,
                       QWidget* actions, QWidget* parent)
    : QWidget(parent)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(Style::metric(24), Style::metric(24), Style::metric(24), Style::metric(24));
    outer->addStretch(1);

    auto* stack = new QWidget(this);
    stack->setMaximumWidth(Style::metric(340));
    stack->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    auto* column = new QVBoxLayout(stack);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(Style::metric(10));

    m_icon = new SymbolView(icon, Style::metric(34), Style::secondary(palette()), stack);
    column->addWidget(m_icon, 0, Qt::AlignHCenter);

    m_title = new QLabel(stack);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(Style::font(Style::Text::headline));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setWordWrap(true);
    setTitle(title);
    column->addWidget(m_title);

    if (message) {
        m_message = new QLabel(QCoreApplication::translate("EmptyState", message->toUtf8().constData()), stack);
        m_message->setTextFormat(Qt::PlainText);
        m_message->setFont(Style::font(Style::Text::callout));
        m_message->setAlignment(Qt::AlignCenter);
        m_message->setWordWrap(true);
        QPalette pal = m_message->palette();
        pal.setColor(QPalette::WindowText, Style::secondary(palette()));
        m_message->setPalette(pal);
        column->addWidget(m_message);
    }

    if (actions) {
        actions->setParent(stack);
        auto* holder = new QVBoxLayout;
        holder->setContentsMargins(0, Style::metric(4), 0, 0);
        holder->addWidget(actions, 0, Qt::AlignHCenter);
        column->addLayout(holder);
    }

    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addWidget(stack, 100);
    centred->addStretch(1);
    outer->addLayout(centred);
    outer->addStretch(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QString EmptyState::iconName() const { return m_icon->name(); }
QString EmptyState::titleText() const { return m_title->text(); }

void EmptyState::setIcon(const QString& icon) { m_icon->setName(icon); }

void EmptyState::setTitle(const QString& title)
{
    m_title->setText(QCoreApplication::translate("EmptyState", title.toUtf8().constData()));
}
