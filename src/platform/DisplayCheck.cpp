#include "platform/DisplayCheck.h"

#include <QStringList>

namespace DisplayCheck {

std::optional<QString> missingDisplayMessage()
{
#ifdef Q_OS_MACOS
    return std::nullopt;
#else
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return std::nullopt;
    // The platforms tried, in order ("wayland;xcb"), each possibly with options ("xcb:x=y").
    const QStringList platforms = qEnvironmentVariable("QT_QPA_PLATFORM").split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& entry : platforms) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (!name.startsWith(QLatin1String("xcb")) && !name.startsWith(QLatin1String("wayland")))
            return std::nullopt; // one that needs no display server
    }
    return QStringLiteral("dustlet: no display to show the tray icon on (DISPLAY and WAYLAND_DISPLAY are unset)");
#endif
}

} // namespace DisplayCheck
