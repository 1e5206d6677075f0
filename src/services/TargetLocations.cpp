#include "services/TargetLocations.h"

#include "platform/FileWalker.h"
#include "platform/NoFollow.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

using NoFollow::Fd;

namespace TargetLocations {

QStringList places(const QString& path, bool builtIn)
{
    const QString expanded = Paths::expandTilde(path);
    // A part of the home Trash stands for that part of every Trash folder of the user, those on
    // the other volumes too, as the desktop's own "Empty Trash" takes them all.
    if (const Trash::Part part = builtIn ? Trash::partOf(QFile::encodeName(expanded)) : Trash::Part::none;
        part != Trash::Part::none) {
        QStringList out{expanded};
        for (const QByteArray& other : Trash::otherVolumeParts(part)) {
            if (!out.contains(QFile::decodeName(other)))
                out.append(QFile::decodeName(other));
        }
        return out;
    }
    QStringList pieces = expanded.split(QLatin1Char('/'));
    const qsizetype at = pieces.indexOf(QStringLiteral("*"));
    if (!builtIn || at < 1)
        return {expanded};
    QString folder = pieces.mid(0, at).join(QLatin1Char('/'));
    if (folder.isEmpty())
        folder = QStringLiteral("/");
    const QString rest = pieces.mid(at + 1).join(QLatin1Char('/'));
    QStringList out;
    // Opened without following a link: a link planted on the way leads to no place at all.
    const Fd fd = NoFollow::openFolder(QFile::encodeName(Paths::clean(folder)));
    FileWalker::Listing listing;
    if (!fd || !listing.readAt(fd.get(), true, true))
        return out;
    for (size_t i = 0; i < listing.size(); ++i) {
        const QByteArray name(listing.cName(i), qsizetype(listing.name(i).size()));
        const QString decoded = QFile::decodeName(name);
        struct stat st {};
        // Folders only, not links; a name that does not survive decoding could name another item.
        if (QFile::encodeName(decoded) != name || ::fstatat(fd.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISDIR(st.st_mode))
            continue;
        const QString found = Paths::clean(folder + QLatin1Char('/') + decoded);
        out += places(rest.isEmpty() ? found : found + QLatin1Char('/') + rest, builtIn);
    }
    return out;
}

std::optional<QString> location(const QString& path, bool builtIn)
{
    const QString expanded = Paths::expandTilde(path);
    const QString resolved = Paths::resolveSymlinks(expanded);
    if (!builtIn)
        return resolved;
    if (resolved != Paths::clean(expanded))
        return std::nullopt;
    struct stat st {};
    if (::lstat(QFile::encodeName(resolved).constData(), &st) == 0 && S_ISLNK(st.st_mode))
        return std::nullopt; // a dangling link stands where the place should be
    return resolved;
}

} // namespace TargetLocations
