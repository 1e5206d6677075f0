#include "views/panel/MenuBarLabel.h"

#include "AppModel.h"
#include "platform/AppEvents.h"
#include "platform/ui/StatusItem.h"
#include "services/AppSettings.h"
#include "views/WindowIds.h"
#include "views/Windows.h"
#include "views/components/DiskUsageRingView.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

MenuBarLabel::MenuBarLabel(AppModel& model, Windows& windows, AppEvents& events, QObject* parent)
    : QObject(parent), m_model(model), m_windows(windows)
{
    connect(&events, &AppEvents::posted, this, &MenuBarLabel::handle);
    connect(&m_model, &AppModel::diskChanged, this, &MenuBarLabel::refresh);
    connect(&m_model.settings(), &AppSettings::settingChanged, this, [this](const QString& key) {
        if (key == QLatin1String("menuBarDisplay") || key == QLatin1String("lowSpaceThresholdGB"))
            refresh();
    });
    // A new desktop palette (light to dark) draws the icon again in the colours that suit it.
    qApp->installEventFilter(this);
}

bool MenuBarLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        refresh();
    return QObject::eventFilter(watched, event);
}

QString MenuBarLabel::warningIconName() { return QStringLiteral("internaldrive.fill.badge.exclamationmark"); }
QString MenuBarLabel::plainIconName() { return QStringLiteral("internaldrive"); }

QString MenuBarLabel::iconName() const
{
    return m_model.disk().availableImportant < m_model.settings().lowSpaceThresholdBytes() ? warningIconName()
                                                                                          : plainIconName();
}

std::optional<QString> MenuBarLabel::text() const { return m_model.menuBarText(); }

QString MenuBarLabel::toolTip() const
{
    const DiskInfo disk = m_model.disk();
    if (disk.total < 1)
        return QCoreApplication::applicationName();
    if (m_model.settings().menuBarDisplay() == MenuBarDisplay::free)
        return tr("Dustlet \u2014 %1 free").arg(text().value_or(QString()));
    const int percent = DiskUsageRingView::figures(disk).percent;
    return tr("Dustlet \u2014 %1 used").arg(QString::number(percent) + QLatin1Char('%'));
}

std::pair<QColor, QColor> MenuBarLabel::trayColors(const QPalette& palette)
{
    // A dark desktop most likely has a dark bar: a light glyph. The outline keeps it readable
    // on a bar of the other kind.
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    return dark ? std::pair(QColor(0xf4, 0xf4, 0xf4), QColor(0, 0, 0, 200))
                : std::pair(QColor(0x1c, 0x1c, 0x1e), QColor(255, 255, 255, 220));
}

QImage MenuBarLabel::trayImage(bool warning, int pixelSize, qreal devicePixelRatio, const QColor& glyph, const QColor& halo)
{
    const int device = int(std::lround(pixelSize * devicePixelRatio));
    QImage image(device, device, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // The outline: one pixel of a 16-pixel icon, and as much more as the icon is larger.
    const qreal ring = std::max<qreal>(1.0, device / 16.0);
    const int inner = std::max(1, int(std::lround(device - 2 * ring)));

    // The drive, solid (an outline drive is a one-pixel line at 16 pixels), its outline first:
    // its shape stamped around it in the outline colour.
    const QString drive = QStringLiteral("internaldrive.fill");
    const QImage shape = Symbol::pixmap(drive, inner, Qt::black, 1.0).toImage();
    QImage outline(device, device, QImage::Format_ARGB32_Premultiplied);
    outline.fill(Qt::transparent);
    {
        QPainter p(&outline);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                p.drawImage(QPointF(ring + dx * ring, ring + dy * ring), shape);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(outline.rect(), QColor(halo.red(), halo.green(), halo.blue()));
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(halo.alphaF());
    p.drawImage(0, 0, outline);
    p.setOpacity(1.0);
    p.drawPixmap(QPointF(ring, ring), Symbol::pixmap(drive, inner, glyph, 1.0));

    if (warning) {
        // A badge over the lower right: red with a white "!", ringed in the outline colour. A
        // template (no outline colour) has only a shape: the badge is cut free of the drive and
        // the "!" cut out of the badge.
        const bool shapeOnly = halo.alpha() == 0;
        const qreal d = device * 0.6;
        const QRectF badge(device - d, device - d, d, d);
        const QRectF around = badge.adjusted(-ring, -ring, ring, ring);
        const qreal bar = std::max<qreal>(1.0, d * 0.17);
        const QPointF c = badge.center();
        QPainterPath mark;
        mark.addRoundedRect(QRectF(c.x() - bar / 2, badge.top() + d * 0.18, bar, d * 0.42), bar / 2, bar / 2);
        mark.addEllipse(QPointF(c.x(), badge.top() + d * 0.76), bar * 0.6, bar * 0.6);
        p.setPen(Qt::NoPen);
        if (shapeOnly) {
            p.setCompositionMode(QPainter::CompositionMode_Clear);
            p.drawEllipse(around);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.setBrush(glyph);
            p.drawEllipse(badge);
            p.setCompositionMode(QPainter::CompositionMode_Clear);
            p.drawPath(mark);
        } else {
            p.setBrush(QColor(halo.red(), halo.green(), halo.blue(), std::max(halo.alpha(), 230)));
            p.drawEllipse(around);
            p.setBrush(Style::prominentFill(Style::red(), Qt::white));
            p.drawEllipse(badge);
            p.setBrush(Qt::white);
            p.drawPath(mark);
        }
    }
    p.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QIcon MenuBarLabel::icon() const
{
    const bool warning = iconName() == warningIconName();
    QIcon icon;
    if (StatusItem::usesTemplateImage()) {
        // The system colours a template for its bar: only the shape counts.
        for (qreal dpr : {1.0, 2.0})
            icon.addPixmap(QPixmap::fromImage(trayImage(warning, 16, dpr, Qt::black, Qt::transparent)));
        return icon;
    }
    const auto [glyph, halo] = trayColors(QApplication::palette());
    for (int px : {16, 22, 24, 32, 48})
        for (qreal dpr : {1.0, 2.0})
            icon.addPixmap(QPixmap::fromImage(trayImage(warning, px, dpr, glyph, halo)));
    return icon;
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
        m_item->setToolTip(toolTip());
    }
    Q_EMIT changed();
}

void MenuBarLabel::handle(const QString& name)
{
    if (name != AppEvents::requestCleanAll())
        return;
    m_model.requestCleanAll();
    // Opening activates the application ignoring other applications.
    m_windows.open(QString::fromLatin1(WindowId::confirm));
}
