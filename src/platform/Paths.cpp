#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <climits>
#include <cstdlib>

namespace Paths {

QString home()
{
    QString h = QDir::homePath();
    const QString canonical = QFileInfo(h).canonicalFilePath();
    if (!canonical.isEmpty())
        h = canonical;
    while (h.size() > 1 && h.endsWith(QLatin1Char('/')))
        h.chop(1);
    return h;
}

QString expandTilde(const QString& path)
{
    if (path == QLatin1String("~"))
        return home();
    if (path.startsWith(QLatin1String("~/")))
        return home() + path.mid(1);
    return path;
}

QString abbreviateHome(const QString& path)
{
    const QString h = home();
    if (h.isEmpty() || h == QLatin1String("/"))
        return path;
    if (path == h)
        return QStringLiteral("~");
    if (path.startsWith(h + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(h.size());
    return path;
}

QString clean(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return path;
    QStringList out;
    for (const QString& piece : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String("."))
            continue;
        if (piece == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(piece);
    }
    return QLatin1Char('/') + out.join(QLatin1Char('/'));
}

QString resolveSymlinks(const QString& path)
{
    // A NUL would end the path early on its way to the system, which would then resolve another
    // path than this one: such a path is given back as it is (and names nothing).
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)))
        return path;
    // Walk the pieces without cleaning first: ".." after a link must apply to the link's target.
    const QStringList pieces = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    int existing = pieces.size();
    QString resolved;
    while (existing >= 0) {
        const QString prefix = QLatin1Char('/') + pieces.mid(0, existing).join(QLatin1Char('/'));
        char buf[PATH_MAX];
        if (::realpath(prefix.toLocal8Bit().constData(), buf)) {
            resolved = QString::fromLocal8Bit(buf);
            break;
        }
        --existing;
    }
    if (existing < 0)
        return clean(path);
    const QStringList rest = pieces.mid(existing);
    if (rest.isEmpty())
        return resolved;
    // ".." after a missing piece does not lead back anywhere: the system finds no such path. The
    // rest is kept as it is then, so that the result does not exist either.
    if (rest.contains(QLatin1String("..")))
        return (resolved == QLatin1String("/") ? resolved : resolved + QLatin1Char('/')) + rest.join(QLatin1Char('/'));
    return clean(resolved + QLatin1Char('/') + rest.join(QLatin1Char('/')));
}

QString resolveParent(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return path;
    const QString cleaned = clean(path);
    const qsizetype slash = cleaned.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return cleaned;
    const QString parent = resolveSymlinks(cleaned.left(slash));
    return clean(parent + QLatin1Char('/') + cleaned.mid(slash + 1));
}

QByteArray realPath(const QByteArray& path)
{
    char buf[PATH_MAX];
    if (path.isEmpty() || path.contains('\0') || !::realpath(path.constData(), buf))
        return {};
    return QByteArray(buf);
}

QString lastComponent(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? p : p.mid(slash + 1);
}

namespace {

// Both forms of the test, on text and on bytes: `slash` is "/" in the view's own element type.
template <typename View, typename Char>
int compareBelow(View path, View folder, Char slash)
{
    // A trailing "/" names the same place; the root keeps its one.
    const auto trimmed = [slash](View v) {
        while (v.size() > 1 && v.back() == slash)
            v.chop(1);
        return v;
    };
    path = trimmed(path);
    folder = trimmed(folder);
    if (folder.isEmpty() || path.isEmpty())
        return -1; // neither
    if (path == folder)
        return 0; // the same
    if (folder.size() == 1 && folder.front() == slash)
        return path.front() == slash ? 1 : -1;
    return path.size() > folder.size() + 1 && path.startsWith(folder) && path[folder.size()] == slash ? 1 : -1;
}

} // namespace

bool isBelow(QStringView path, QStringView folder) { return compareBelow(path, folder, QLatin1Char('/')) > 0; }
bool isBelow(QByteArrayView path, QByteArrayView folder) { return compareBelow(path, folder, '/') > 0; }
bool equalsOrBelow(QStringView path, QStringView folder) { return compareBelow(path, folder, QLatin1Char('/')) >= 0; }
bool equalsOrBelow(QByteArrayView path, QByteArrayView folder) { return compareBelow(path, folder, '/') >= 0; }

} // namespace Paths
