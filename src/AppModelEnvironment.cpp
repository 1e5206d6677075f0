// The application's own environment for the model. Kept apart from AppModel.cpp so that a
// program (or test) that builds its model with other services does not pull these in.
#include "AppModel.h"

#include "models/DiskInfo.h"
#include "platform/Bundle.h"
#include "platform/Clock.h"
#include "platform/NotificationCenter.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "platform/UserDefaults.h"
#include "platform/Volume.h"
#include "services/Cleaner.h"
#include "services/Scanner.h"

#include <QCoreApplication>
#include <QDBusConnection>

AppModelEnvironment AppModel::realEnvironment(UserDefaults& defaults)
{
    AppModelEnvironment env;
    env.defaults = &defaults;
    env.home = [] { return Paths::home(); };
    env.diskInfo = [](const QString& path) { return DiskInfo::current(path); };
    env.clock = &SystemClock::shared();
    env.size = [](const CleanupTarget& target, Scanner::Progress progress) {
        return Scanner::measure(target, std::move(progress));
    };
    env.clean = [](const CleanupTarget& target, bool moveToTrash, ClearingLogPtr log) {
        return Cleaner::clean(target, moveToTrash, std::move(log));
    };
    env.validateCustom = [](const QString& path) { return Cleaner::validateCustom(path); };
    env.putBack = [](const QString& trashPath, const QString& original) { return Trash::putBack(trashPath, original); };
    env.tidyTrash = [] { Trash::removeLeftovers(); };
    return env;
}

AppModel& AppModel::shared()
{
    static AppModel* model = [] {
        // Read once: whether the home volume tells names apart by letter case decides how the
        // safety rule compares paths.
        Cleaner::setCaseInsensitivePaths(!Volume::isCaseSensitive(Paths::home()));
        AppModelEnvironment env = realEnvironment(UserDefaults::standard());
        env.bundleIdentifier = Bundle::identifier();
        if (!env.bundleIdentifier.isEmpty())
            env.notifications =
                new DBusNotificationCenter(QDBusConnection::sessionBus(), QStringLiteral("Dustlet"), qApp);
        return new AppModel(std::move(env), qApp);
    }();
    return *model;
}
