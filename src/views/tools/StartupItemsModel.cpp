#include "views/tools/StartupItemsModel.h"

#include "platform/Background.h"

#include <QCoro/QCoroFuture>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

StartupItemsModel::StartupItemsModel(QObject* parent) : StartupItemsModel(StartupEntries::native(), parent) {}

StartupItemsModel::StartupItemsModel(StartupEntries::Format format, QObject* parent)
    : QObject(parent), m_format(std::move(format))
{
}

void StartupItemsModel::setItems(const QList<StartupItem>& value)
{
    m_items = value;
    Q_EMIT itemsChanged();
}

void StartupItemsModel::setBusyID(const std::optional<QString>& value)
{
    m_busyID = value;
    Q_EMIT busyIDChanged();
}

void StartupItemsModel::load() { setItems(LaunchAgentManager::list(m_format)); }

void StartupItemsModel::toggle(const StartupItem& item)
{
    setBusyID(item.id);
    runToggle(item);
}

QCoro::Task<> StartupItemsModel::runToggle(StartupItem item)
{
    QPointer<StartupItemsModel> self(this);
    const StartupEntries::Format format = m_format;
    // The outcome is not used: the fresh listing shows what lies on disk. (The job is named
    // before it is awaited: g++ 12 destroys the captures of a lambda written inside a co_await
    // expression twice.)
    const auto job = [item, format] { return LaunchAgentManager::setEnabled(!item.enabled, item, format); };
    co_await QtConcurrent::run(&Background::utility(), job);
    if (!self)
        co_return;
    load();
    setBusyID(std::nullopt);
    Q_EMIT toggled(item.id);
}
