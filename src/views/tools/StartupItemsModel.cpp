#include "views/tools/StartupItemsModel.h"

#include "platform/Background.h"
#include "services/LoginItemState.h"

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

void StartupItemsModel::refresh()
{
    // Unchanged, the rows stay as they are (a window being activated rebuilds nothing under the
    // click that activated it).
    const QList<StartupItem> fresh = inShownOrder(m_items, LaunchAgentManager::list(m_format));
    if (fresh != m_items)
        setItems(fresh);
}

QList<StartupItem> StartupItemsModel::inShownOrder(const QList<StartupItem>& shown, const QList<StartupItem>& fresh)
{
    QList<bool> taken(fresh.size(), false);
    QList<qsizetype> match(shown.size(), -1);
    // Same path first, so that two entries of one file name (one in each folder) keep theirs.
    const auto pick = [&](auto same) {
        for (qsizetype s = 0; s < shown.size(); ++s) {
            for (qsizetype f = 0; match[s] < 0 && f < fresh.size(); ++f) {
                if (!taken[f] && same(shown[s], fresh[f])) {
                    taken[f] = true;
                    match[s] = f;
                }
            }
        }
    };
    pick([](const StartupItem& a, const StartupItem& b) { return a.id == b.id; });
    pick([](const StartupItem& a, const StartupItem& b) { return a.fileName == b.fileName; });
    QList<StartupItem> out;
    for (const qsizetype f : std::as_const(match))
        if (f >= 0)
            out.append(fresh[f]);
    for (qsizetype f = 0; f < fresh.size(); ++f)
        if (!taken[f])
            out.append(fresh[f]);
    return out;
}

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
    refresh();
    setBusyID(std::nullopt);
    // The entry may have been this program's own: the settings window follows.
    LoginItemState::shared().refresh();
    Q_EMIT toggled(item.id);
}
