#include "platform/ui/StatusItem.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QGuiApplication>
#include <QMenu>
#include <QStyleHints>
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
    m_mac = std::make_unique<Mac>([this] { Q_EMIT clicked(); },
                                  [this] {
        if (m_menu)
            m_menu->popup(QCursor::pos());
    });
#else
    m_tray = new QSystemTrayIcon(this);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (reason == QSystemTrayIcon::Trigger) {
            m_lastTrigger = now;
            Q_EMIT clicked();
        } else if (reason == QSystemTrayIcon::DoubleClick) {
            // Trays that report the first click of a double click have toggled already; one
            // that reports only the double click gets its one click here.
            const qint64 window = QGuiApplication::styleHints()->mouseDoubleClickInterval() + 250;
            if (m_lastTrigger < 0 || now - m_lastTrigger > window)
                Q_EMIT clicked();
            m_lastTrigger = -1;
        }
    });
#endif
}

StatusItem::~StatusItem() = default;

bool StatusItem::usesTemplateImage()
{
#ifdef Q_OS_MACOS
    return true;
#else
    return false;
#endif
}

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

void StatusItem::setToolTip(const QString& toolTip)
{
    m_toolTip = toolTip;
    apply();
}

QString StatusItem::toolTip() const { return m_toolTip.isEmpty() ? QCoreApplication::applicationName() : m_toolTip; }

void StatusItem::setContextMenu(QMenu* menu)
{
    m_menu = menu;
#ifndef Q_OS_MACOS
    m_tray->setContextMenu(menu);
#endif
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
