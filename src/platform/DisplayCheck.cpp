#include "platform/DisplayCheck.h"

#include <QFile>
#include <QStringList>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#if DUSTLET_HAS_XCB
#include <xcb/xcb.h>
#endif

namespace {

// Whether the X server named `display` takes a connection (an unreachable one is refused at
// once; without the X library at build time the toolkit is left to find out).
bool xDisplayAnswers(const QString& display)
{
#if DUSTLET_HAS_XCB
    xcb_connection_t* connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    const bool answers = connection && xcb_connection_has_error(connection) == 0;
    if (connection)
        xcb_disconnect(connection);
    return answers;
#else
    Q_UNUSED(display);
    return true;
#endif
}

// Whether the Wayland compositor named `display` (a socket name in XDG_RUNTIME_DIR, or a path)
// takes a connection.
bool waylandDisplayAnswers(const QString& display)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!display.startsWith(QLatin1Char('/')) && runtime.isEmpty())
        return false;
    const QByteArray path =
        QFile::encodeName(display.startsWith(QLatin1Char('/')) ? display : runtime + QLatin1Char('/') + display);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

} // namespace

namespace DisplayCheck {

std::optional<QString> missingDisplayMessage()
{
#ifdef Q_OS_MACOS
    return std::nullopt;
#else
    // The platforms tried, in order ("wayland;xcb"), each possibly with options ("xcb:x=y"); by
    // default X11, or Wayland first in a Wayland session.
    const QStringList platforms = qEnvironmentVariable("QT_QPA_PLATFORM").split(QLatin1Char(';'), Qt::SkipEmptyParts);
    bool mayX = platforms.isEmpty();
    bool mayWayland = platforms.isEmpty();
    for (const QString& entry : platforms) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (name.startsWith(QLatin1String("xcb")))
            mayX = true;
        else if (name.startsWith(QLatin1String("wayland")))
            mayWayland = true;
        else
            return std::nullopt; // one that needs no display server
    }
    const QString x = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (x.isEmpty() && wayland.isEmpty())
        return QStringLiteral("dustlet: no display to show the tray icon on (DISPLAY and WAYLAND_DISPLAY are unset)");
    // A display is named: one the toolkit may use must answer.
    QStringList tried;
    if (mayWayland && !wayland.isEmpty()) {
        if (waylandDisplayAnswers(wayland))
            return std::nullopt;
        tried.append(wayland);
    }
    if (mayX && !x.isEmpty()) {
        if (xDisplayAnswers(x))
            return std::nullopt;
        tried.prepend(x);
    }
    if (tried.isEmpty())
        return std::nullopt; // none that this platform uses is named: the toolkit says what it lacks
    return QStringLiteral("dustlet: can't open the display %1").arg(tried.join(QStringLiteral(", ")));
#endif
}

} // namespace DisplayCheck
