// The uninstaller window: before choosing, searching, the app with its leftovers (one
// deselected), removing, and the result message.
#include "RenderKit.h"

#include "AppModel.h"
#include "views/tools/UninstallerModel.h"
#include "views/tools/UninstallerView.h"
#include "views/components/TransientMessage.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QSemaphore>

#include <memory>

namespace {

using namespace RenderKit;

void writeFile(const QString& path, qint64 bytes)
{
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(QByteArray(bytes, 'x'));
}

QString fixtureApp()
{
    const QString h = RenderKit::home();
    const QString app = h + QStringLiteral("/Applications/Sketch Pad.app");
    QDir().mkpath(app + QStringLiteral("/Contents"));
    QFile info(app + QStringLiteral("/Contents/Info.plist"));
    if (info.open(QIODevice::WriteOnly))
        info.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                   "<key>CFBundleName</key><string>Sketch Pad</string>"
                   "<key>CFBundleIdentifier</key><string>com.example.sketchpad</string></dict></plist>\n");
    writeFile(app + QStringLiteral("/Contents/MacOS/sketchpad"), 3'400'000);
    writeFile(h + QStringLiteral("/Library/Preferences/com.example.sketchpad.plist"), 2'000);
    writeFile(h + QStringLiteral("/Library/Caches/com.example.sketchpad/cache.db"), 48'000'000);
    writeFile(h + QStringLiteral("/Library/Application Support/com.example.sketchpad/store.db"), 1'200'000);
    writeFile(h + QStringLiteral("/Library/Logs/com.example.sketchpad/today.log"), 90'000);
    QDir().mkpath(h + QStringLiteral("/Library/Saved Application State/com.example.sketchpad.savedState"));
    writeFile(h + QStringLiteral("/Library/Group Containers/ABCDE12345.com.example.sketchpad/shared.db"), 640'000);
    writeFile(h + QStringLiteral("/Library/LaunchAgents/com.example.sketchpad.helper.plist"), 900);
    writeFile(h + QStringLiteral("/Library/Application Support/Sketch Pad/settings.json"), 4'000);
    return app;
}

UninstallerModel* listed(const QString& app)
{
    auto* model = new UninstallerModel;
    QEventLoop loop;
    QObject::connect(model, &UninstallerModel::searchFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    model->load(app);
    loop.exec();
    return model;
}

void uninstaller()
{
    AppModel& appModel = RenderKit::model();
    shoot(new UninstallerView(appModel, new UninstallerModel), QStringLiteral("uninstaller-empty"));

    const QString app = fixtureApp();
    {
        // A search that lasts until the picture is taken, so it shows the searching state itself.
        auto release = std::make_shared<QSemaphore>();
        UninstallerModel::Services services;
        services.leftovers = [release](const AppInfo&) {
            release->acquire();
            return QList<UninstallItem>();
        };
        auto* model = new UninstallerModel(services);
        auto* view = new UninstallerView(appModel, model);
        model->load(app);
        shoot(view, QStringLiteral("uninstaller-searching"));
        release->release();
    }
    {
        auto* model = listed(app);
        auto* view = new UninstallerView(appModel, model);
        if (model->items().size() > 2)
            model->setItemSelected(model->items()[2].id, false);
        shoot(view, QStringLiteral("uninstaller-leftovers"));
    }
    {
        auto* model = listed(app);
        auto* view = new UninstallerView(appModel, model);
        model->setIsRemoving(true);
        shoot(view, QStringLiteral("uninstaller-removing"));
    }
    {
        auto* model = new UninstallerModel;
        auto* view = new UninstallerView(appModel, model);
        model->message().show(QStringLiteral("Removed Sketch Pad — freed 53.3 MB. Items are in the Trash."));
        shoot(view, QStringLiteral("uninstaller-message"));
    }
    {
        auto* model = new UninstallerModel;
        auto* view = new UninstallerView(appModel, model);
        model->load(QStringLiteral("/System/Applications/Calculator.app"));
        shoot(view, QStringLiteral("uninstaller-protected"));
    }
}

} // namespace

DUSTLET_RENDER("uninstaller", 61, uninstaller);
