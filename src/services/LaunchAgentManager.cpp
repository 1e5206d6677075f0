#include "services/LaunchAgentManager.h"

#include "platform/AutostartEntry.h"
#include "platform/FolderEntry.h"
#include "platform/NoFollow.h"
#include "platform/PlistReader.h"
#include "platform/ToolPaths.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <algorithm>

namespace LaunchAgentManager {

constexpr qint64 kMaxEntryBytes = 64 * 1024;

namespace {

void sortByLabel(QList<StartupItem>& items)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(items.begin(), items.end(), [&collator](const StartupItem& a, const StartupItem& b) {
        return collator.compare(a.label, b.label) < 0;
    });
}

// The names of a folder's entries that end in the format's extension, in listing order. Every
// entry counts (a folder or a FIFO with a fitting name too); reading refuses what is not a
// regular file.
QStringList entryNames(const QString& folder, const StartupEntries::Format& format)
{
    const QDir dir(folder);
    if (!dir.exists())
        return {};
    QStringList names;
    for (const QString& name :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted))
        if (name.endsWith(format.extension, Qt::CaseSensitive))
            names << name;
    return names;
}

StartupItem makeItem(const QString& folder, const QString& name, const StartupEntries::EntryInfo& info, bool enabled,
                     const StartupEntries::Format& format)
{
    StartupItem item;
    item.id = folder + QLatin1Char('/') + name;
    item.label = info.label.value_or(name.chopped(format.extension.size()));
    item.program = info.program.value_or(QStringLiteral("—"));
    item.enabled = enabled;
    item.fileName = name;
    return item;
}

// Autostart entries: the user's, each standing in for the system entry of its name (whose label
// and program it shows when it names none itself), then the system entries no user entry stands
// in for, then what earlier versions moved to "Disabled"; on or off by their keys.
QList<StartupItem> autostartList(const StartupEntries::Format& format)
{
    QList<StartupItem> on;
    QList<StartupItem> off;
    QSet<QString> seen;
    const auto add = [&](const QString& folder, const QString& name, StartupEntries::EntryInfo info) {
        seen.insert(name);
        if (const auto system = AutostartEntry::systemEntry(format.systemFolders, name);
            system && folder == format.folder && (!info.label || !info.program)) {
            const StartupEntries::EntryInfo shadowed = format.read(system->path);
            info.label = info.label ? info.label : shadowed.label;
            info.program = info.program ? info.program : shadowed.program;
        }
        (info.switchedOff ? off : on).append(makeItem(folder, name, info, !info.switchedOff, format));
    };
    for (const QString& name : entryNames(format.folder, format))
        add(format.folder, name, format.read(format.folder + QLatin1Char('/') + name));
    for (const QString& folder : format.systemFolders)
        for (const QString& name : entryNames(folder, format))
            if (!seen.contains(name))
                add(folder, name, format.read(folder + QLatin1Char('/') + name));
    for (const QString& name : entryNames(format.disabledFolder(), format))
        off.append(makeItem(format.disabledFolder(), name,
                            format.read(format.disabledFolder() + QLatin1Char('/') + name), false, format));
    sortByLabel(on);
    sortByLabel(off);
    return on + off;
}

// Switches an autostart entry by its keys: off writes a user entry of its name that says
// "Hidden=true" (a copy of the system entry when the user has none); on takes the switching keys
// out of the user entry, or removes a user entry that does nothing but hide the system one. An
// entry in "Disabled" (moved there by an earlier version) is switched on by moving it back.
bool setAutostartEnabled(bool on, const StartupItem& item, const StartupEntries::Format& format)
{
    const std::optional<QByteArray> name = FolderEntry::encodedName(item.fileName);
    if (!name)
        return false;
    const QString disabled = format.disabledFolder() + QLatin1Char('/') + item.fileName;
    if (item.id == disabled) {
        if (!on)
            return true;
        NoFollow::makeFolders(QFile::encodeName(format.folder));
        return FolderEntry::moveNoReplace(format.disabledFolder(), *name, format.folder);
    }
    const QString userPath = format.folder + QLatin1Char('/') + item.fileName;
    const std::optional<AutostartEntry::SystemEntry> system =
        AutostartEntry::systemEntry(format.systemFolders, item.fileName);
    // The item must be the entry of its name that the desktop reads.
    const bool userLexists = QFileInfo(userPath).exists() || QFileInfo(userPath).isSymLink();
    if (item.id != userPath && !(system && item.id == system->path && !userLexists))
        return false;
    const std::optional<QByteArray> user =
        userLexists ? PlistReader::readRegularFile(userPath, kMaxEntryBytes) : std::optional<QByteArray>();
    if (userLexists && !user)
        return false; // not a regular file (or unreadable): left as it is
    const std::optional<QByteArray> current =
        user ? user : (system ? std::optional<QByteArray>(system->text) : std::nullopt);
    if (!current)
        return false;
    if (AutostartEntry::isSwitchedOff(*current) != on)
        return true; // already as asked
    if (!on)
        return AutostartEntry::write(format.folder, item.fileName, AutostartEntry::switchedOff(*current));
    if (user && system && AutostartEntry::onlyHides(*user, system->text)) {
        // The system entry starts again once nothing hides it (or, switched off itself, through a
        // user copy that does not say so).
        if (!AutostartEntry::isSwitchedOff(system->text))
            return AutostartEntry::remove(format.folder, item.fileName);
        return AutostartEntry::write(format.folder, item.fileName, AutostartEntry::switchedOn(system->text));
    }
    return AutostartEntry::write(format.folder, item.fileName, AutostartEntry::switchedOn(*current));
}

} // namespace

QList<StartupItem> list(const StartupEntries::Format& format)
{
    if (format.switchesByKeys())
        return autostartList(format);
    QList<StartupItem> items = plists(format.folder, true, format);
    items += plists(format.disabledFolder(), false, format);
    return items;
}

QList<StartupItem> plists(const QString& folder, bool enabled, const StartupEntries::Format& format)
{
    QList<StartupItem> items;
    for (const QString& name : entryNames(folder, format))
        items.append(makeItem(folder, name, format.read(folder + QLatin1Char('/') + name), enabled, format));
    sortByLabel(items);
    return items;
}

bool setEnabled(bool on, const StartupItem& item, const StartupEntries::Format& format)
{
    if (format.switchesByKeys())
        return setAutostartEnabled(on, item, format);
    const QString target = on ? format.folder : format.disabledFolder();
    // Made without following a link: a folder on the way replaced by one is refused below.
    NoFollow::makeFolders(QFile::encodeName(target));
    const QString destination = target + QLatin1Char('/') + item.fileName;
    if (destination == item.id)
        return true;
    // The item must be an entry of one of the two folders, named as it says.
    const QString source = on ? format.disabledFolder() : format.folder;
    const std::optional<QByteArray> name = FolderEntry::encodedName(item.fileName);
    if (!name || item.id != source + QLatin1Char('/') + item.fileName)
        return false;
    if (!on && format.usesLaunchctl())
        launchctl(QStringLiteral("unload"), item.id);
    if (!FolderEntry::moveNoReplace(source, *name, target))
        return false;
    if (on && format.usesLaunchctl())
        launchctl(QStringLiteral("load"), destination);
    return true;
}

void launchctl(const QString& verb, const QString& path)
{
    QProcess process;
    process.setProgram(ToolPaths::launchctl());
    process.setArguments({verb, path});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1))
        return;
    process.waitForFinished(-1);
}

} // namespace LaunchAgentManager
