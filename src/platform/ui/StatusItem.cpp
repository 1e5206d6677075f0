#include "platform/ui/StatusItem.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>

#ifdef Q_OS_MACOS
#include "platform/macos/StatusItemMac.h"
struct StatusItem::Mac : StatusItemMac {
    using StatusItemMac::StatusItemMac;
};
#endif

StatusItem::StatusItem(QObject* parent) : QObject(parent)
{
#ifdef Q_OS_MACOS
    m_mac = std::make_unique<Mac>([this] { Q_EMIT clicked(); });
#else
    m_tray = new QSystemTrayIcon(this);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT clicked();
    });
#endif
}

StatusItem::~StatusItem() = default;

bool StatusItem::isAvailable()
{
#ifdef Q_OS_MACOS
    return true;
#else
    return QSystemTrayIcon::isSystemTrayAvailable();
#endif
}

void StatusItem::setIcon(const QIcon& icon)
{
    m_icon = icon;
    apply();
}

void StatusItem::setText(const std::optional<QString>& text)
{
    m_text = text;
    apply();
}

QString StatusItem::toolTip() const
{
    return m_text.value_or(QCoreApplication::applicationName());
}

void StatusItem::show()
{
    m_shown = true;
#ifdef Q_OS_MACOS
    m_mac->show();
#else
    m_tray->show();
#endif
    apply();
}

bool StatusItem::isVisible() const
{
#ifdef Q_OS_MACOS
    return m_shown;
#else
    return m_tray->isVisible();
#endif
}

std::optional<QRect> StatusItem::frame() const
{
#ifdef Q_OS_MACOS
    return m_mac->frame();
#else
    const QRect g = m_tray->geometry();
    if (!m_tray->isVisible() || !g.isValid() || g.isEmpty())
        return std::nullopt;
    return g;
#endif
}

void StatusItem::apply()
{
#ifdef Q_OS_MACOS
    m_mac->update(m_icon, m_text.value_or(QString()), toolTip());
#else
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(toolTip());
#endif
}
