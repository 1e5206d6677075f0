// dustlet-bench panel TREE [--small N]: the panel's sizing of every target, as the application
// does it (AppModel::scanAll over the real Scanner), in a fresh home whose targets are the
// catalog's (empty here), TREE as one folder target and N small folder targets (default 20).
// Prints the time until the last target has its size, and the size of TREE's target.
#include "../BenchCommand.h"

#include "AppModel.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include <cstdio>

namespace {

// A folder of `files` small files in a few subfolders.
bool writeSmallTree(const QString& root, int files)
{
    for (int i = 0; i < files; ++i) {
        const QString dir = QStringLiteral("%1/d%2").arg(root).arg(i % 5);
        if (i < 5 && !QDir().mkpath(dir))
            return false;
        QFile f(QStringLiteral("%1/f%2").arg(dir).arg(i));
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(100 + (i % 7) * 700, 'x')) < 0)
            return false;
    }
    return true;
}

} // namespace

static Bench::Register reg("panel", "TREE [--small N]   all targets sized through AppModel::scanAll",
                           [](const QStringList& args) {
    if (args.isEmpty()) {
        std::fprintf(stderr, "panel: TREE needed\n");
        return 2;
    }
    const QString tree = QFileInfo(args.first()).absoluteFilePath();
    const int small = Bench::option(args, QStringLiteral("--small")).value_or(QStringLiteral("20")).toInt();
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    // A home of its own: nothing of the real one is read or written.
    const QString home = QFileInfo(scratch.path()).canonicalFilePath();
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + QStringLiteral("/.cache")));
    QStringList folders{tree};
    for (int i = 0; i < small; ++i) {
        const QString folder = QStringLiteral("%1/small/target%2").arg(home).arg(i);
        if (!writeSmallTree(folder, 200 + 100 * i))
            return 1;
        folders << folder;
    }

    QCoreApplication app(Bench::argc(), Bench::argv());
    UserDefaults defaults(home + QStringLiteral("/defaults.plist"));
    // The model as the application makes it, in this home.
    AppModelEnvironment env = AppModel::realEnvironment(defaults);
    AppModel model(std::move(env));
    model.settings().setCustomFolders(folders);
    model.rebuildTargets();

    qint64 progressEvents = 0;
    QObject::connect(&model, &AppModel::targetsChanged, [&] { ++progressEvents; });
    QElapsedTimer timer;
    timer.start();
    QCoro::waitFor(model.scanAll());
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    qint64 treeBytes = -1;
    int sized = 0;
    for (const TargetState& t : model.targets()) {
        if (t.isScanning)
            return 1; // scanAll returned before a measurement ended
        if (t.size)
            ++sized;
        if (t.target.id == QStringLiteral("custom:") + tree)
            treeBytes = t.size.value_or(-1);
    }
    std::printf("seconds %.3f\ntargets %lld\nsized %d\nbytes %lld\nmodel_updates %lld\n", seconds,
                (long long)model.targets().size(), sized, (long long)treeBytes, (long long)progressEvents);
    return treeBytes >= 0 ? 0 : 1;
});
