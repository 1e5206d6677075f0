#include "services/SafetyRule.h"

#include "platform/Paths.h"
#include "platform/UserDirs.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>

#include <atomic>

#include <sys/stat.h>

namespace {

// Whether paths are compared without letter case (after Unicode normalisation): true where the
// home volume is case-insensitive (set once at start-up), false on Linux.
std::atomic<bool> g_caseInsensitive{false};

struct SafetyLists {
    QString key;
    bool folded = false;
    QSet<QString> protectedPaths;
    QStringList protectedPrefixes;
    QStringList allowedRoots;
    // The protected folders that keep keys and credentials, keyrings, and browser and mail
    // profiles: not even a tool may move what lies in them (all of them are protected prefixes).
    QStringList secretPrefixes;
};

// The form in which paths are compared: as they are, or case-folded after normalisation, so that
// "~/library/mail" and a decomposed "é" meet the rows they stand for on such a volume.
QString comparable(const QString& path, bool folded)
{
    return folded ? path.normalized(QString::NormalizationForm_D).toCaseFolded() : path;
}

// Off macOS, the desktop's equivalents: its user folders (named as user-dirs.dirs says, so a
// localised "~/Bilder" counts), the pictures and music folders as whole subtrees like on macOS,
// the configuration and data folders themselves (like ~/Library; the cache folder stays
// emptiable), and the places that hold certificates, keyrings, and browser and mail profiles
// (keys are protected everywhere). Each place also counts where its links lead, as paths reach
// the rule resolved.
void addDesktopPlaces(SafetyLists& l, const QString& home)
{
    using UserDirs::Dir;
    const QString config = UserDirs::configHome();
    const QString data = UserDirs::dataHome();
    QStringList paths{home + "/.config", home + "/.local", home + "/.local/share", config, data};
    for (Dir d : {Dir::Desktop, Dir::Documents, Dir::Download, Dir::Music, Dir::Pictures, Dir::PublicShare,
                  Dir::Templates, Dir::Videos}) {
        if (const std::optional<QString> p = UserDirs::path(d))
            paths.append(*p);
    }
    QStringList secrets{home + "/.pki", home + "/.mozilla", home + "/.thunderbird"};
    for (const QString& folder : QSet<QString>{home + "/.config", config}) {
        for (const char* profile : {"/google-chrome", "/chromium", "/mozilla"})
            secrets.append(folder + QLatin1String(profile));
    }
    for (const QString& folder : QSet<QString>{home + "/.local/share", data}) {
        for (const char* keys : {"/keyrings", "/evolution"})
            secrets.append(folder + QLatin1String(keys));
    }
    QStringList prefixes = secrets;
    for (Dir d : {Dir::Pictures, Dir::Music}) {
        if (const std::optional<QString> p = UserDirs::path(d))
            prefixes.append(*p);
    }
    for (const QString& p : std::as_const(paths)) {
        l.protectedPaths.insert(Paths::clean(p));
        l.protectedPaths.insert(Paths::clean(Paths::resolveSymlinks(p)));
    }
    for (const QString& p : std::as_const(prefixes)) {
        for (const QString& form : {Paths::clean(p), Paths::clean(Paths::resolveSymlinks(p))}) {
            if (!l.protectedPrefixes.contains(form))
                l.protectedPrefixes.append(form);
            if (secrets.contains(p) && !l.secretPrefixes.contains(form))
                l.secretPrefixes.append(form);
        }
    }
}

SafetyLists build(const QString& key, bool folded, HostPlatform platform)
{
    const QString home = Paths::home();
    SafetyLists l;
    l.key = key;
    l.folded = folded;
    l.protectedPaths = {home,
                        "/",
                        "/Users",
                        "/System",
                        "/Library",
                        "/Applications",
                        "/private",
                        "/var",
                        home + "/Documents",
                        home + "/Desktop",
                        home + "/Downloads",
                        home + "/Movies",
                        home + "/Music",
                        home + "/Pictures",
                        home + "/Library"};
    l.protectedPrefixes = {home + "/Library/Application Support/MobileSync", home + "/Library/Mail",
                           home + "/Library/Messages", home + "/Pictures", home + "/Library/Caches/CloudKit",
                           home + "/Library/Caches/com.apple.bird", home + "/Library/Containers/com.apple.bird",
                           home + "/Music",
                           // Keys and credentials, on every platform.
                           home + "/.ssh", home + "/.gnupg", home + "/Library/Keychains"};
    l.allowedRoots = {home, "/private/var/folders", "/Library/Caches"};
    l.secretPrefixes = {home + "/.ssh", home + "/.gnupg", home + "/Library/Keychains", home + "/Library/Mail"};
    if (platform != HostPlatform::macOS)
        addDesktopPlaces(l, home);
    if (folded) {
        QSet<QString> paths;
        for (const QString& p : std::as_const(l.protectedPaths))
            paths.insert(comparable(p, true));
        l.protectedPaths = paths;
        for (QString& p : l.protectedPrefixes)
            p = comparable(p, true);
        for (QString& p : l.allowedRoots)
            p = comparable(p, true);
        for (QString& p : l.secretPrefixes)
            p = comparable(p, true);
    }
    return l;
}

const SafetyLists& lists(HostPlatform platform)
{
    // Built once per home folder and platform: neither the home nor the desktop's folders change
    // while the program runs, but each test points HOME and the XDG folders somewhere new.
    thread_local SafetyLists cached;
    const QString key = QDir::homePath() + QChar(0) + QString::number(int(platform)) + QChar(0)
        + qEnvironmentVariable("XDG_CONFIG_HOME") + QChar(0) + qEnvironmentVariable("XDG_DATA_HOME");
    const bool folded = g_caseInsensitive.load(std::memory_order_relaxed);
    if (cached.key != key || cached.folded != folded || cached.allowedRoots.isEmpty())
        cached = build(key, folded, platform);
    return cached;
}

} // namespace

namespace Cleaner {

void setCaseInsensitivePaths(bool caseInsensitive) { g_caseInsensitive.store(caseInsensitive); }

bool isProtected(const QString& path) { return isProtected(path, hostPlatform()); }

bool isProtected(const QString& rawPath, HostPlatform platform)
{
    // A NUL would end the path early at the system's door: what is tested is not what is used.
    if (!rawPath.startsWith(QLatin1Char('/')) || rawPath.contains(QChar(0)))
        return true;
    const SafetyLists& l = lists(platform);
    const QString path = comparable(Paths::clean(rawPath), l.folded);
    if (l.protectedPaths.contains(path))
        return true;
    for (const QString& prefix : l.protectedPrefixes) {
        if (Paths::equalsOrBelow(path, prefix))
            return true;
    }
    return false;
}

bool isSafe(const QString& path) { return isSafe(path, hostPlatform()); }

bool isSafe(const QString& rawPath, HostPlatform platform)
{
    if (isProtected(rawPath, platform))
        return false;
    const SafetyLists& l = lists(platform);
    const QString path = comparable(Paths::clean(rawPath), l.folded);
    bool underRoot = false;
    for (const QString& root : l.allowedRoots) {
        if (Paths::equalsOrBelow(path, root)) {
            underRoot = true;
            break;
        }
    }
    if (!underRoot)
        return false;
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).size() > 2;
}

bool mayTrashPicked(const QString& rawPath, PickedIn tool, bool isFolder)
{
    if (!rawPath.startsWith(QLatin1Char('/')) || rawPath.contains(QChar(0)))
        return false;
    const QString path = Paths::clean(rawPath);
    if (isSafe(path))
        return true;
    switch (tool) {
    case PickedIn::diskMap:
    case PickedIn::fileFinder: {
        // What the user picked below the home folder may go, also where the rule would not empty
        // it (a file in the music folder); the home folder itself never, nor keys and profiles.
        const QString home = Paths::home();
        if (home == QLatin1String("/") || !Paths::isBelow(path, home))
            return false;
        const SafetyLists& l = lists(hostPlatform());
        const QString compared = comparable(path, l.folded);
        for (const QString& secret : l.secretPrefixes) {
            if (Paths::equalsOrBelow(compared, secret))
                return false;
        }
        return true;
    }
    case PickedIn::uninstaller:
        // The app itself may lie outside the home folder: a bundle folder in no protected place.
        return isFolder && path.endsWith(QLatin1String(".app")) && !isProtected(path);
    case PickedIn::projectCleanup: return false;
    }
    return false;
}

bool canTrashOnRequest(const QString& path, PickedIn tool)
{
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)))
        return false;
    // Where the item lies: its folders' links resolved, the item itself as it is. A path through
    // a missing folder keeps its ".." pieces; the rule judges the place those pieces spell.
    const QString at = Paths::clean(Paths::resolveParent(path));
    struct stat st {};
    const bool exists = ::lstat(QFile::encodeName(at).constData(), &st) == 0;
    if (!mayTrashPicked(at, tool, exists && S_ISDIR(st.st_mode)))
        return false;
    if (!exists || !S_ISLNK(st.st_mode))
        return true;
    // A link goes as itself, yet what it leads to must be allowed as well (a link to the home
    // folder is the home folder to the user).
    struct stat target {};
    const QString leadsTo = Paths::clean(Paths::resolveSymlinks(at));
    return mayTrashPicked(leadsTo, tool,
                          ::stat(QFile::encodeName(at).constData(), &target) == 0 && S_ISDIR(target.st_mode));
}

} // namespace Cleaner
