#include "views/components/AppIcon.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace AppIcon {

QString resourcePath() { return QStringLiteral(":/app/dustlet.svg"); }

QPixmap pixmap(int pixelSize, qreal devicePixelRatio)
{
    const int device = int(std::lround(pixelSize * devicePixelRatio));
    QPixmap pm(device, device);
    pm.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath());
    if (!renderer.isValid())
        return QPixmap();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p, QRectF(0, 0, device, device));
    p.end();
    pm.setDevicePixelRatio(devicePixelRatio);
    return pm;
}

QIcon icon()
{
    QIcon icon;
    for (int px : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(pixmap(px));
    return icon;
}

} // namespace AppIcon
