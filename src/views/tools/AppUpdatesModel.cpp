#include "views/tools/AppUpdatesModel.h"

#include "platform/Background.h"
#include "services/ShellRunner.h"

#include <QCoro/QCoroFuture>
#include <QPointer>
#include <QtConcurrent>

// Futures are awaited from named variables: GCC 12 can destroy a temporary that captures data
// twice when it stands inside a co_await expression.

AppUpdatesModel::AppUpdatesModel(QObject* parent) : QObject(parent) {}

void AppUpdatesModel::setState(State value)
{
    m_state = value;
    Q_EMIT stateChanged();
}

void AppUpdatesModel::setPackages(const QList<OutdatedPackage>& value)
{
    m_packages = value;
    Q_EMIT packagesChanged();
}

void AppUpdatesModel::setBusy(bool value)
{
    m_busy = value;
    Q_EMIT busyChanged();
}

void AppUpdatesModel::setStatus(const std::optional<QString>& value)
{
    m_status = value;
    Q_EMIT statusChanged();
}

void AppUpdatesModel::setListingFailed(bool value)
{
    m_listingFailed = value;
    Q_EMIT listingFailedChanged();
}

void AppUpdatesModel::check()
{
    setState(State::checking);
    runCheck();
}

QCoro::Task<bool> AppUpdatesModel::relist()
{
    QPointer<AppUpdatesModel> self(this);
    const QFuture<std::optional<QList<OutdatedPackage>>> listing =
        QtConcurrent::run(&Background::utility(), &HomebrewUpdater::listOutdated);
    const std::optional<QList<OutdatedPackage>> list = co_await listing;
    if (!self)
        co_return false;
    setPackages(list.value_or(QList<OutdatedPackage>{}));
    setListingFailed(!list.has_value());
    co_return true;
}

QCoro::Task<> AppUpdatesModel::runCheck()
{
    QPointer<AppUpdatesModel> self(this);
    const QFuture<ShellResult> presence = QtConcurrent::run(&Background::utility(), [] {
        return ShellRunner::runLogin(QStringLiteral("command -v brew"), kPresenceTimeoutSeconds);
    });
    const ShellResult found = co_await presence;
    if (!self)
        co_return;
    if (found.status != 0) {
        setState(State::unavailable);
        co_return;
    }
    if (!co_await relist())
        co_return;
    setState(State::ready);
}

void AppUpdatesModel::upgrade(const OutdatedPackage& package)
{
    setBusy(true);
    // Status lines are joined from the package's name as it is, not translated.
    setStatus(QStringLiteral("Updating ") + package.name + QStringLiteral("…"));
    runUpgrade(package);
}

QCoro::Task<> AppUpdatesModel::runUpgrade(OutdatedPackage package)
{
    QPointer<AppUpdatesModel> self(this);
    const QFuture<ShellResult> upgrading =
        QtConcurrent::run(&Background::utility(), [package] { return HomebrewUpdater::upgrade(package); });
    const ShellResult result = co_await upgrading;
    if (!self)
        co_return;
    // Listed again whatever the outcome: a package that did get upgraded leaves the list.
    if (!co_await relist())
        co_return;
    setStatus(result.status != 0 ? QStringLiteral("Couldn't update ") + package.name + QStringLiteral(".")
                                 : QStringLiteral("Updated ") + package.name + QStringLiteral("."));
    setBusy(false);
}

void AppUpdatesModel::upgradeAll()
{
    setBusy(true);
    setStatus(QStringLiteral("Updating everything…"));
    runUpgradeAll();
}

QCoro::Task<> AppUpdatesModel::runUpgradeAll()
{
    QPointer<AppUpdatesModel> self(this);
    // Its outcome is not examined: the list read after it shows what is still outdated.
    const QFuture<ShellResult> upgrading = QtConcurrent::run(&Background::utility(), [] {
        return ShellRunner::runLogin(QStringLiteral("brew upgrade --greedy"), kUpgradeAllTimeoutSeconds);
    });
    co_await upgrading;
    if (!self)
        co_return;
    if (!co_await relist())
        co_return;
    setStatus(QStringLiteral("Done."));
    setBusy(false);
}
