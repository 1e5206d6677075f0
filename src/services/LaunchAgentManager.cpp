#include "services/LaunchAgentManager.h"

#include "platform/FolderEntry.h"
#include "platform/NoFollow.h"
#include "platform/ToolPaths.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>

namespace LaunchAgentManager {

QList<StartupItem> list(const StartupEntries::Format& format)
{
    QList<StartupItem> items = plists(format.folder, true, format);
    items += plists(format.disabledFolder(), false, format);
    return items;
}

QList<StartupItem> plists(const QString& folder, bool enabled, const StartupEntries::Format& format)
{
    const QDir dir(folder);
    if (!dir.exists())
        return {};
    // Every entry counts (a folder or a FIFO with a fitting name too); reading refuses what is
    // not a regular file.
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    QList<StartupItem> items;
    for (const QString& name : names) {
        if (!name.endsWith(format.extension, Qt::CaseSensitive))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        const StartupEntries::EntryInfo info = format.read(path);
        StartupItem item;
        item.id = path;
        item.label = info.label.value_or(name.chopped(format.extension.size()));
        item.program = info.program.value_or(QStringLiteral("—"));
        item.enabled = enabled;
        item.fileName = name;
        items.append(item);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(items.begin(), items.end(), [&collator](const StartupItem& a, const StartupItem& b) {
        return collator.compare(a.label, b.label) < 0;
    });
    return items;
}

bool setEnabled(bool on, const StartupItem& item, const StartupEntries::Format& format)
{
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
