#include "platform/AccessibilityPrefs.h"

#include "platform/Paths.h"

#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace AccessibilityPrefs {

namespace {
QMutex g_mutex;
std::optional<Prefs> g_override;
std::optional<Prefs> g_read;

#ifndef Q_OS_MACOS
// GNOME and the desktops built on its settings.
std::optional<bool> gnomeAnimations()
{
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (gsettings.isEmpty())
        return std::nullopt;
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(
        gsettings,
        {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("enable-animations")});
    if (!p.waitForFinished(1000)) {
        p.kill();
        p.waitForFinished(500);
        return std::nullopt;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    const QByteArray out = p.readAllStandardOutput().trimmed();
    if (out == "true")
        return true;
    if (out == "false")
        return false;
    return std::nullopt;
}

// KDE Plasma: an animation speed factor of 0 means no animations.
std::optional<bool> kdeAnimations()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.startsWith(QLatin1Char('/')))
        config = Paths::home() + QStringLiteral("/.config");
    const QString file = config + QStringLiteral("/kdeglobals");
    if (!QFile::exists(file))
        return std::nullopt;
    QSettings kde(file, QSettings::IniFormat);
    const QVariant factor = kde.value(QStringLiteral("KDE/AnimationDurationFactor"));
    if (!factor.isValid())
        return std::nullopt;
    bool ok = false;
    const double f = factor.toDouble(&ok);
    return ok ? std::optional<bool>(f > 0) : std::nullopt;
}

Prefs readDesktop()
{
    Prefs p;
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    std::optional<bool> animations = desktop.contains(QLatin1String("KDE")) ? kdeAnimations() : gnomeAnimations();
    p.reduceMotion = animations.has_value() && !*animations;
    return p;
}
#endif
} // namespace

#ifdef Q_OS_MACOS
namespace detail {
Prefs readDesktop(); // AccessibilityPrefsMac.mm: the workspace's accessibility display options
}
using detail::readDesktop;
#endif

Prefs current()
{
    QMutexLocker lock(&g_mutex);
    if (g_override)
        return *g_override;
    if (!g_read)
        g_read = readDesktop();
    return *g_read;
}

void overrideForTesting(std::optional<Prefs> prefs)
{
    QMutexLocker lock(&g_mutex);
    g_override = prefs;
}

} // namespace AccessibilityPrefs
