#include "views/tools/UninstallerModel.h"

#include "AppModel.h"
#include "platform/AppBundle.h"
#include "platform/Background.h"
#include "platform/ByteCountFormatter.h"
#include "platform/Paths.h"
#include "platform/ui/Dialogs.h"
#include "services/Cleaner.h"
#include "views/components/TransientMessage.h"

#include <QCoro/QCoroFuture>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

UninstallerModel::UninstallerModel(QObject* parent) : UninstallerModel(Services{}, parent) {}

UninstallerModel::UninstallerModel(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_message(new TransientMessage(kMessageDelayMs, this))
{
    connect(m_message, &TransientMessage::changed, this, &UninstallerModel::resultMessageChanged);
}

void UninstallerModel::setApp(const std::optional<AppInfo>& value)
{
    m_app = value;
    Q_EMIT appChanged();
}

void UninstallerModel::setItems(const QList<UninstallItem>& value)
{
    m_items = value;
    Q_EMIT itemsChanged();
}

void UninstallerModel::setSelected(const QSet<QUuid>& value)
{
    m_selected = value;
    Q_EMIT selectedChanged();
}

void UninstallerModel::setIsScanning(bool value)
{
    m_isScanning = value;
    Q_EMIT isScanningChanged();
}

void UninstallerModel::setIsRemoving(bool value)
{
    m_isRemoving = value;
    Q_EMIT isRemovingChanged();
}

std::optional<QString> UninstallerModel::resultMessage() const { return m_message->text(); }

qint64 UninstallerModel::totalSelectedSize() const
{
    qint64 total = 0;
    for (const UninstallItem& item : m_items)
        if (m_selected.contains(item.id))
            total += item.size;
    return total;
}

bool UninstallerModel::allSelected() const { return !m_items.isEmpty() && m_selected.size() == m_items.size(); }

void UninstallerModel::toggleSelectAll()
{
    if (allSelected()) {
        setSelected({});
        return;
    }
    QSet<QUuid> all;
    for (const UninstallItem& item : m_items)
        all.insert(item.id);
    setSelected(all);
}

void UninstallerModel::setItemSelected(const QUuid& id, bool on)
{
    QSet<QUuid> next = m_selected;
    if (on)
        next.insert(id);
    else
        next.remove(id);
    setSelected(next);
}

void UninstallerModel::chooseApp(QWidget* parent)
{
    Dialogs::PickRequest request;
    request.acceptLabel = tr("Choose");
    request.startPath = AppBundle::applicationsFolder();
    request.kind = Dialogs::PickKind::Application;
    QPointer<UninstallerModel> self(this);
    Dialogs::pick(parent, request, [self](const std::optional<QString>& path) {
        if (self && path)
            self->load(*path);
    });
}

void UninstallerModel::load(const QString& chosenPath)
{
    // The picker may hand a folder with a trailing "/".
    const QString appPath = chosenPath.startsWith(QLatin1Char('/')) ? Paths::clean(chosenPath) : chosenPath;
    if (appPath.startsWith(QLatin1String("/System/")) || appPath == QLatin1String("/Applications/Safari.app")) {
        m_message->hold(tr("That's a protected system app and can't be removed."));
        return;
    }
    m_message->clear();
    const quint64 generation = ++m_generation;
    const AppInfo info = m_services.inspect(appPath);
    setApp(info);
    setItems({});
    setIsScanning(true);
    search(info, generation);
}

QCoro::Task<> UninstallerModel::search(AppInfo info, quint64 generation)
{
    QPointer<UninstallerModel> self(this);
    // The job is named before it is awaited: g++ 12 destroys the captures of a lambda written
    // inside a co_await expression twice.
    const auto job = [leftovers = m_services.leftovers, info] { return leftovers(info); };
    const QList<UninstallItem> found = co_await QtConcurrent::run(&Background::userInitiated(), job);
    if (!self)
        co_return;
    // A search for an app that has since been replaced (or put away) must not touch this one.
    if (generation == m_generation) {
        setItems(found);
        QSet<QUuid> all;
        for (const UninstallItem& item : found)
            all.insert(item.id);
        setSelected(all);
        setIsScanning(false);
    }
    Q_EMIT searchFinished();
}

void UninstallerModel::reset()
{
    ++m_generation;
    setApp(std::nullopt);
    setItems({});
    setSelected({});
    m_message->clear();
}

void UninstallerModel::uninstall(AppModel& appModel)
{
    QStringList paths;
    for (const UninstallItem& item : m_items)
        if (m_selected.contains(item.id))
            paths.append(item.path);
    if (paths.isEmpty() || !m_app || m_isRemoving)
        return;
    setIsRemoving(true);
    removal(paths, m_app->name, &appModel, m_generation);
}

QCoro::Task<> UninstallerModel::removal(QStringList paths, QString name, AppModel* appModelPtr, quint64 generation)
{
    QPointer<UninstallerModel> self(this);
    QPointer<AppModel> appModel(appModelPtr);
    const auto job = [remove = m_services.remove, paths] { return remove(paths); };
    const Uninstaller::Removal result = co_await QtConcurrent::run(&Background::userInitiated(), job);
    // What reached the Trash joins the history whatever happened to the window meanwhile.
    if (appModel)
        appModel->recordExternalDeletion(QStringLiteral("Uninstalled ") + name, result.freed, result.trashed);
    if (!self)
        co_return;
    setIsRemoving(false);
    if (generation == m_generation)
        reset();
    // What reached the Trash was removed, whatever it measured: items that take no space (empty
    // folders, links) still moved and can be put back from the history.
    const bool moved = result.freed >= 1 || !result.trashed.isEmpty();
    const QString message = !moved ? tr("Couldn't remove %1.").arg(name)
        : result.freed >= 1 ? tr("Removed %1 — freed %2. Items are in the Trash.").arg(name, formatBytes(result.freed))
                            : tr("Removed %1. Items are in the Trash; About can put them back.").arg(name);
    // What changed since the leftovers were found stayed where it is; the message says so.
    m_message->show(result.changed.isEmpty()
                        ? message
                        : message + QLatin1Char('\n') + Cleaner::changedSinceScan(result.changed.first()));
    Q_EMIT removalFinished();
}
