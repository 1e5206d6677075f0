#include "services/Uninstaller.h"

#include "platform/AppBundle.h"
#include "platform/FolderEntry.h"
#include "platform/Paths.h"
#include "services/Cleaner.h"
#include "services/Scanner.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <sys/stat.h>

namespace {

bool entryExists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool isRealFolder(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Absolute, without "." or ".." pieces, repeated or trailing "/".
bool isCleanAbsolute(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) && path != QLatin1String("/") && Paths::clean(path) == path;
}

class Collector {
public:
    QList<UninstallItem> items;

    // The add step: each existing path once, under the label of its first row, and only where
    // it may be removed.
    void add(const QString& candidate, const QString& label, bool isBundle)
    {
        const QString expanded = Paths::expandTilde(candidate);
        if (m_seen.contains(expanded) || !entryExists(expanded))
            return;
        m_seen.insert(expanded);
        // Listed where it really lies (the links of its folders resolved once, now): the removal
        // moves it from there only while no folder on the way has changed.
        const QString path = Paths::clean(Paths::resolveParent(expanded));
        if (m_seen.contains(path) && path != expanded)
            return;
        m_seen.insert(path);
        const bool allowed = isBundle ? Uninstaller::isRemovableBundle(expanded) : Uninstaller::mayRemove(expanded);
        if (!allowed)
            return;
        UninstallItem item;
        item.label = label;
        item.path = path;
        item.size = Scanner::directorySize(path);
        item.isBundle = isBundle;
        items.append(item);
    }

    // Every entry of `folder` whose name holds `needle`, in listing order.
    void addContaining(const QString& folder, const QString& needle, const QString& label)
    {
        const QStringList names = QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QString& name : names) {
            // A name that does not survive decoding would stand for another entry.
            if (!name.contains(needle, Qt::CaseSensitive) || !FolderEntry::encodedName(name))
                continue;
            add(folder + QLatin1Char('/') + name, label, false);
        }
    }

private:
    QSet<QString> m_seen;
};

} // namespace

namespace Uninstaller {

bool isPlainComponent(const QString& value)
{
    return !value.isEmpty() && value != QLatin1String(".") && value != QLatin1String("..")
        && !value.contains(QLatin1Char('/')) && !value.contains(QChar(0));
}

AppInfo inspect(const QString& appPath)
{
    const AppBundle::Info bundle = AppBundle::read(appPath);
    AppInfo info;
    info.appPath = appPath;
    if (bundle.name) {
        info.name = *bundle.name;
    } else {
        info.name = Paths::lastComponent(appPath);
        info.name.remove(QStringLiteral(".app"), Qt::CaseSensitive);
    }
    info.bundleID = bundle.identifier;
    return info;
}

QList<UninstallItem> leftovers(const AppInfo& app)
{
    const QString library = Paths::home() + QStringLiteral("/Library");
    Collector c;
    c.add(app.appPath, QStringLiteral("Application"), true);

    // A name or identifier that is not one plain component would lead out of its row's folder.
    const std::optional<QString> id = app.bundleID && isPlainComponent(*app.bundleID) ? app.bundleID : std::nullopt;
    if (id) {
        const QString& b = *id;
        c.add(library + "/Preferences/" + b + ".plist", QStringLiteral("Preferences"), false);
        c.add(library + "/Caches/" + b, QStringLiteral("App cache"), false);
        c.add(library + "/Application Support/" + b, QStringLiteral("Application support"), false);
        c.add(library + "/Containers/" + b, QStringLiteral("Container"), false);
        c.add(library + "/Saved Application State/" + b + ".savedState", QStringLiteral("Saved state"), false);
        c.add(library + "/Logs/" + b, QStringLiteral("Logs"), false);
        c.add(library + "/HTTPStorages/" + b, QStringLiteral("Web storage"), false);
        c.add(library + "/WebKit/" + b, QStringLiteral("WebKit data"), false);
        c.add(library + "/Cookies/" + b + ".binarycookies", QStringLiteral("Cookies"), false);
        c.add(library + "/Application Scripts/" + b, QStringLiteral("App scripts"), false);
        c.addContaining(library + "/Group Containers", b, QStringLiteral("Group container"));
        c.addContaining(library + "/LaunchAgents", b, QStringLiteral("Launch agent"));
    }
    if (isPlainComponent(app.name)) {
        const QString& n = app.name;
        c.add(library + "/Application Support/" + n, QStringLiteral("Application support"), false);
        c.add(library + "/Caches/" + n, QStringLiteral("App cache"), false);
        c.add(library + "/Logs/" + n, QStringLiteral("Logs"), false);
    }
    return c.items;
}

bool isRemovableBundle(const QString& path)
{
    if (!isCleanAbsolute(path) || !path.endsWith(QLatin1String(".app")) || !isRealFolder(path))
        return false;
    const QString located = Paths::clean(Paths::resolveParent(path));
    return !Cleaner::isProtected(path) && Cleaner::mayTrashPicked(located, Cleaner::PickedIn::uninstaller, true);
}

bool mayRemove(const QString& path)
{
    // The path is moved as it is written: a "." or ".." piece would name another item than
    // the one tested.
    if (!isCleanAbsolute(path))
        return false;
    return Cleaner::canTrashOnRequest(path, Cleaner::PickedIn::uninstaller);
}

Removal remove(const QStringList& paths)
{
    Removal result;
    for (const QString& path : paths) {
        // The path is moved as it is written: a "." or ".." piece would name another item than
        // the one listed.
        if (!isCleanAbsolute(path))
            continue;
        const qint64 size = Scanner::directorySize(path);
        // Moved from where it was listed, with every folder on the way opened without following
        // a link, and only while the rule lets it go there.
        Cleaner::PickedItem item;
        item.path = QFile::encodeName(path);
        const Cleaner::PickedMove moved = Cleaner::trashPicked(item, Cleaner::PickedIn::uninstaller);
        if (moved.result == Cleaner::PickedMove::Result::changed)
            result.changed.append(path);
        if (!moved.item)
            continue;
        result.freed += size;
        result.trashed.append(*moved.item);
    }
    return result;
}

} // namespace Uninstaller
