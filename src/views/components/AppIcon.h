#pragma once
#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's own icon (resources/dustlet.svg, embedded): for its windows, the About window,
// and the desktop's launcher through the installed copy named "dustlet".
namespace AppIcon {

// The embedded picture's resource path.
QString resourcePath();
// The icon at a size, drawn from the picture.
QPixmap pixmap(int pixelSize, qreal devicePixelRatio = 1.0);
// The icon at the sizes windows and task switchers ask for.
QIcon icon();

} // namespace AppIcon
