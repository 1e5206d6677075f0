// The startup items window: entries with one switched off, one being switched, and none at all.
#include "RenderKit.h"

#include "platform/StartupEntries.h"
#include "views/tools/StartupItemsModel.h"
#include "views/tools/StartupItemsView.h"

#include <QDir>
#include <QFile>

namespace {

using namespace RenderKit;

void writeEntry(const QString& folder, const QString& file, const QByteArray& name, const QByteArray& exec)
{
    QDir().mkpath(folder);
    QFile f(folder + QLatin1Char('/') + file);
    if (f.open(QIODevice::WriteOnly))
        f.write("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n");
}

void startup()
{
    const StartupEntries::Format format = StartupEntries::native();
    QDir(format.folder).removeRecursively();
    {
        auto* view = new StartupItemsView(new StartupItemsModel(format));
        shoot(view, QStringLiteral("startup-empty"));
    }
    const QByteArray home = RenderKit::home().toUtf8();
    writeEntry(format.folder, QStringLiteral("backup-agent.desktop"), "Backup Agent",
               home + "/.local/bin/backup-agent --background");
    writeEntry(format.folder, QStringLiteral("chat.desktop"), "Chat", "/usr/bin/chat-client --minimized %U");
    writeEntry(format.folder, QStringLiteral("syncthing.desktop"), "Syncthing <b>folders</b> & files",
               "/usr/bin/syncthing serve --no-browser --logfile=default");
    writeEntry(format.folder, QStringLiteral("update-checker.desktop"), "Update Checker",
               "\"/opt/Very Long Vendor Name/update checker/bin/update-checker-with-a-long-name\" --quiet");
    writeEntry(format.disabledFolder(), QStringLiteral("old-helper.desktop"), "Old Helper",
               home + "/Applications/old-helper/helper");
    // Entries for every user: one as it is, one the user has switched off.
    const QString system = format.systemFolders.first();
    writeEntry(system, QStringLiteral("print-applet.desktop"), "Print Queue Applet", "/usr/bin/print-applet");
    writeEntry(system, QStringLiteral("tracker.desktop"), "File Indexer", "/usr/libexec/tracker-miner");
    {
        QFile hide(format.folder + QStringLiteral("/tracker.desktop"));
        if (hide.open(QIODevice::WriteOnly))
            hide.write("[Desktop Entry]\nHidden=true\n");
    }
    {
        auto* model = new StartupItemsModel(format);
        auto* view = new StartupItemsView(model);
        shoot(view, QStringLiteral("startup-list"));
    }
    {
        auto* model = new StartupItemsModel(format);
        auto* view = new StartupItemsView(model);
        model->load();
        model->setBusyID(format.folder + QStringLiteral("/chat.desktop"));
        // Loading again when shown would clear nothing: the busy row stays.
        shoot(view, QStringLiteral("startup-busy"));
    }
}

} // namespace

DUSTLET_RENDER("startup", 60, startup);
