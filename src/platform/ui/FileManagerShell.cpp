#include "platform/ui/FileManagerShell.h"

#include "platform/Paths.h"
#include "platform/UserDirs.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QProcess>

#include <utility>

namespace FileManagerShell {

namespace {
Handler& handler()
{
    static Handler h;
    return h;
}

#ifndef Q_OS_MACOS
QString parentOf(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const int slash = p.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : p.left(slash);
}

// The freedesktop file-manager interface; false when no file manager answers on the session bus.
bool showItemsOverDBus(const QString& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (!bus.interface()->isServiceRegistered(service).value()
        && !bus.interface()->activatableServiceNames().value().contains(service))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                                       service, QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    return bus.send(call);
}
#endif
} // namespace

QString revealLabel()
{
#ifdef Q_OS_MACOS
    return QCoreApplication::translate("FileManagerShell", "Reveal in Finder");
#else
    return QCoreApplication::translate("FileManagerShell", "Show in File Manager");
#endif
}

QString revealProjectLabel()
{
#ifdef Q_OS_MACOS
    return QCoreApplication::translate("FileManagerShell", "Reveal project in Finder");
#else
    return QCoreApplication::translate("FileManagerShell", "Show Project in File Manager");
#endif
}

void setHandlerForTesting(Handler h) { handler() = std::move(h); }

void reveal(const QString& path)
{
    if (handler())
        return handler()(Action::Reveal, path);
#ifdef Q_OS_MACOS
    // The file viewer selects the item ("open -R").
    QProcess::startDetached(QStringLiteral("/usr/bin/open"), {QStringLiteral("-R"), path});
#else
    if (!showItemsOverDBus(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(parentOf(path)));
#endif
}

void open(const QString& path)
{
    if (handler())
        return handler()(Action::Open, path);
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void openUrl(const QUrl& url)
{
    if (handler())
        return handler()(Action::OpenUrl, url.toString());
    QDesktopServices::openUrl(url);
}

QUrl trashUrl()
{
#ifdef Q_OS_MACOS
    return QUrl::fromLocalFile(Paths::home() + QStringLiteral("/.Trash"));
#else
    // The desktop Trash's items, which every file manager can show as a folder.
    return QUrl::fromLocalFile(UserDirs::dataHome() + QStringLiteral("/Trash/files"));
#endif
}

QIcon itemIcon(const QString& path)
{
#ifdef Q_OS_MACOS
    return QFileIconProvider().icon(QFileInfo(path));
#else
    // A "….app" folder is only a folder to this desktop; its icon file is in a format Qt does
    // not read here.
    Q_UNUSED(path);
    return {};
#endif
}

} // namespace FileManagerShell
