// dustlet-bench targets: the application model as the panel builds it, for checks from outside.
// With the current HOME and XDG_* folders, it makes the real AppModel with the real services in
// developer mode (over a settings store of its own in a temporary folder, so the user's settings
// are neither read nor written), measures every target it lists, and prints one line per target,
// "<id> <bytes>" ("-" when the target has no size), then "total <bytes>", the reclaimable total
// as the panel shows it.
#include "../BenchCommand.h"

#include "AppModel.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QTemporaryDir>

#include <cstdio>

static Bench::Register reg("targets", "        every target's size and the reclaimable total (AppModel)",
                           [](const QStringList& args) {
    if (!args.isEmpty()) {
        std::fprintf(stderr, "usage: dustlet-bench targets\n");
        return 2;
    }
    QTemporaryDir settingsDir;
    if (!settingsDir.isValid()) {
        std::fprintf(stderr, "targets: no temporary folder for the settings\n");
        return 1;
    }
    QCoreApplication app(Bench::argc(), Bench::argv());
    UserDefaults defaults(settingsDir.filePath(QStringLiteral("defaults.plist")));
    AppModel model(AppModel::realEnvironment(defaults));
    model.settings().setDeveloperMode(true);
    model.rebuildTargets();
    QCoro::waitFor(model.scanAll());
    for (const TargetState& t : model.targets()) {
        const QByteArray size = t.size ? QByteArray::number(*t.size) : QByteArray("-");
        std::printf("%s %s\n", t.target.id.toUtf8().constData(), size.constData());
    }
    std::printf("total %lld\n", static_cast<long long>(model.totalReclaimable()));
    return 0;
});
