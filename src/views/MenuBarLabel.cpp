#include "views/MenuBarLabel.h"

#include "AppModel.h"
#include "platform/AppEvents.h"
#include "platform/ui/StatusItem.h"
#include "services/AppSettings.h"
#include "views/Windows.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QApplication>
#include <QPainter>

MenuBarLabel::MenuBarLabel(AppModel& model, Windows& windows, AppEvents& events, QObject* parent)
    : QObject(parent), m_model(model), m_windows(windows)
{
    connect(&events, &AppEvents::posted, this, &MenuBarLabel::handle);
    connect(&m_model, &AppModel::diskChanged, this, &MenuBarLabel::refresh);
    connect(&m_model.settings(), &AppSettings::settingChanged, this, [this](const QString& key) {
        if (key == QLatin1String("menuBarDisplay") || key == QLatin1String("lowSpaceThresholdGB"))
            refresh();
    });
}

QString MenuBarLabel::warningIconName() { return QStringLiteral("internaldrive.fill.badge.exclamationmark"); }
QString MenuBarLabel::plainIconName() { return QStringLiteral("internaldrive"); }

QString MenuBarLabel::iconName() const
{
    return m_model.disk().availableImportant < m_model.settings().lowSpaceThresholdBytes() ? warningIconName()
                                                                                          : plainIconName();
}

std::optional<QString> MenuBarLabel::text() const { return m_model.menuBarText(); }

QIcon MenuBarLabel::icon() const
{
    return Symbol::icon(iconName(), QApplication::palette().color(QPalette::WindowText), 22);
}

QPixmap MenuBarLabel::render(const QColor& color, int height, qreal devicePixelRatio) const
{
    const int iconSize = height - 6;
    const std::optional<QString> label = text();
    QFont font = Style::font(Style::Text::body);
    const QFontMetrics fm(font);
    const int textWidth = label ? 3 + fm.horizontalAdvance(*label) : 0;
    QPixmap pm(QSize(iconSize + textWidth, height) * devicePixelRatio);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(QPoint(0, (height - iconSize) / 2), Symbol::pixmap(iconName(), iconSize, color, devicePixelRatio));
    if (label) {
        p.setFont(font);
        p.setPen(color);
        p.drawText(QRect(iconSize + 3, 0, textWidth - 3, height), Qt::AlignLeft | Qt::AlignVCenter, *label);
    }
    return pm;
}

void MenuBarLabel::attach(StatusItem& item)
{
    m_item = &item;
    refresh();
}

void MenuBarLabel::refresh()
{
    if (m_item) {
        m_item->setIcon(icon());
        m_item->setText(text());
    }
    Q_EMIT changed();
}

void MenuBarLabel::handle(const QString& name)
{
    if (name != AppEvents::requestCleanAll())
        return;
    m_model.requestCleanAll();
    // Opening activates the application ignoring other applications.
    m_windows.open(QStringLiteral("confirm"));
}
