#include "services/Cleaner.h"

#include "platform/Paths.h"

#include <QDir>
#include <QSet>
#include <QStringList>

namespace {

struct SafetyLists {
    QString homeKey;
    QSet<QString> protectedPaths;
    QStringList protectedPrefixes;
    QStringList allowedRoots;
};

SafetyLists build(const QString& homeKey)
{
    const QString home = Paths::home();
    SafetyLists l;
    l.homeKey = homeKey;
    l.protectedPaths = {home, "/", "/Users", "/System", "/Library", "/Applications", "/private", "/var",
                        home + "/Documents", home + "/Desktop", home + "/Downloads", home + "/Movies",
                        home + "/Music", home + "/Pictures", home + "/Library"};
    l.protectedPrefixes = {home + "/Library/Application Support/MobileSync", home + "/Library/Mail",
                           home + "/Library/Messages", home + "/Pictures", home + "/Library/Caches/CloudKit",
                           home + "/Library/Caches/com.apple.bird", home + "/Library/Containers/com.apple.bird",
                           home + "/Music"};
    l.allowedRoots = {home, "/private/var/folders", "/Library/Caches"};
    return l;
}

const SafetyLists& lists()
{
    // Built once per home folder: the home does not change while the program runs, but each
    // test points HOME somewhere new.
    thread_local SafetyLists cached;
    const QString key = QDir::homePath();
    if (cached.homeKey != key || cached.allowedRoots.isEmpty())
        cached = build(key);
    return cached;
}

bool equalsOrBelow(const QString& path, const QString& folder)
{
    return path == folder
        || (path.size() > folder.size() && path.startsWith(folder) && path[folder.size()] == QLatin1Char('/'));
}

} // namespace

namespace Cleaner {

bool isProtected(const QString& rawPath)
{
    if (!rawPath.startsWith(QLatin1Char('/')))
        return true;
    const QString path = Paths::clean(rawPath);
    const SafetyLists& l = lists();
    if (l.protectedPaths.contains(path))
        return true;
    for (const QString& prefix : l.protectedPrefixes) {
        if (equalsOrBelow(path, prefix))
            return true;
    }
    return false;
}

bool isSafe(const QString& rawPath)
{
    if (isProtected(rawPath))
        return false;
    const QString path = Paths::clean(rawPath);
    const SafetyLists& l = lists();
    bool underRoot = false;
    for (const QString& root : l.allowedRoots) {
        if (equalsOrBelow(path, root)) {
            underRoot = true;
            break;
        }
    }
    if (!underRoot)
        return false;
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).size() > 2;
}

bool canTrashOnRequest(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    const QString resolved = Paths::resolveSymlinks(path);
    if (isSafe(resolved))
        return true;
    // What the user picked below the home folder may go, also where the rule would not empty it
    // (a file in the music folder); the home folder itself never.
    const QString home = Paths::home();
    return resolved.size() > home.size() + 1 && resolved.startsWith(home) && resolved[home.size()] == QLatin1Char('/');
}

} // namespace Cleaner
