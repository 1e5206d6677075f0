#include "platform/Trash.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString dataHome()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG folder is to be ignored, as the desktop's own tools do.
    if (!xdg.isEmpty() && xdg.startsWith(QLatin1Char('/')))
        return Paths::clean(xdg);
    return Paths::home() + QStringLiteral("/.local/share");
}

bool below(const QString& path, const QString& folder)
{
    return path.size() > folder.size() + 1 && path.startsWith(folder) && path[folder.size()] == QLatin1Char('/');
}

bool exists(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// rename() that fails instead of replacing an existing destination.
bool renameNoReplace(const QByteArray& from, const QByteArray& to)
{
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#elif defined(__APPLE__)
    if (::renamex_np(from.constData(), to.constData(), RENAME_EXCL) == 0)
        return true;
    if (errno != ENOTSUP)
        return false;
#endif
    // The file system cannot do it atomically: test, then move.
    if (exists(to))
        return false;
    return ::rename(from.constData(), to.constData()) == 0;
}

} // namespace

namespace Trash {

std::optional<QString> moveToTrash(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    // Without the data folder Qt moves the item into "./files" of the current directory: when it
    // cannot be made, nothing is moved at all.
    if (!QDir().mkpath(dataHome()))
        return std::nullopt;
    QString where;
    if (!QFile::moveToTrash(path, &where))
        return std::nullopt;
    if (where.isEmpty() || !where.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return where;
}

bool putBack(const QString& trashPath, const QString& original)
{
    if (trashPath.isEmpty() || original.isEmpty())
        return false;
    const QByteArray from = QFile::encodeName(trashPath);
    const QByteArray to = QFile::encodeName(original);
    if (!exists(from))
        return false;
    QDir().mkpath(QFileInfo(original).absolutePath());
    if (!renameNoReplace(from, to))
        return false;
    // The desktop Trash keeps one record per item in "info", named after the item in "files".
    const QFileInfo inTrash(trashPath);
    const QDir filesDir = inTrash.absoluteDir();
    if (filesDir.dirName() == QLatin1String("files")) {
        const QString info = QFileInfo(filesDir.absolutePath()).absolutePath() + QStringLiteral("/info/")
                           + inTrash.fileName() + QStringLiteral(".trashinfo");
        QFile::remove(info);
    }
    return true;
}

QStringList folders()
{
    return {dataHome() + QStringLiteral("/Trash"), Paths::home() + QStringLiteral("/.Trash")};
}

bool isInTrash(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    const QString cleaned = Paths::clean(path);
    // The item itself is what would be moved, so only the folders leading to it are resolved.
    const qsizetype slash = cleaned.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash > 0 ? cleaned.left(slash) : QStringLiteral("/");
    const QString resolved = Paths::clean(Paths::resolveSymlinks(parent) + QLatin1Char('/') + cleaned.mid(slash + 1));
    for (const QString& folder : folders()) {
        const QString resolvedFolder = Paths::resolveSymlinks(folder);
        for (const QString& f : {folder, resolvedFolder}) {
            if (below(cleaned, f) || below(resolved, f))
                return true;
        }
    }
    return false;
}

QStringList targetPaths()
{
    QStringList paths{QStringLiteral("~/.Trash")};
#ifndef Q_OS_MACOS
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    const QString home = Paths::home();
    if (data.isEmpty() || !data.startsWith(QLatin1Char('/')))
        data = QStringLiteral("~/.local/share");
    else if (data == home || data.startsWith(home + QLatin1Char('/')))
        data = QLatin1Char('~') + data.mid(home.size());
    paths << data + QStringLiteral("/Trash/files") << data + QStringLiteral("/Trash/info");
#endif
    return paths;
}

} // namespace Trash
