#pragma once
#include "platform/StartupEntries.h"
#include "services/LaunchAgentManager.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// The state of the startup items window: the listing and the one entry being switched.
// Every assignment emits its change signal.
class StartupItemsModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<StartupItem> items READ items WRITE setItems NOTIFY itemsChanged)
    Q_PROPERTY(std::optional<QString> busyID READ busyID WRITE setBusyID NOTIFY busyIDChanged)
public:
    // `format`: which entries to list (the platform's own unless a test picks one).
    explicit StartupItemsModel(QObject* parent = nullptr);
    explicit StartupItemsModel(StartupEntries::Format format, QObject* parent = nullptr);

    const QList<StartupItem>& items() const { return m_items; }
    void setItems(const QList<StartupItem>& value);
    std::optional<QString> busyID() const { return m_busyID; }
    void setBusyID(const std::optional<QString>& value);
    const StartupEntries::Format& format() const { return m_format; }

    // Lists the entries afresh, in their sorted order (on this thread): when the window opens.
    void load();
    // Lists the entries afresh but keeps the order shown, so that nothing moves under the
    // pointer: each entry keeps its row with what lies on disk now, an entry that is gone leaves
    // its row, a new one is added at the end. Nothing is assigned when nothing changed.
    void refresh();
    // Switches the entry to the opposite of its state in the background, then refreshes: only
    // its own row changes.
    void toggle(const StartupItem& item);

    // `fresh` in the order of `shown`: each shown entry is replaced by the fresh one of the same
    // path, or else of the same file name (a launch agent that moved between its folders, a
    // system autostart entry now stood in for by the user's); fresh entries that replace none
    // follow in their own order.
    static QList<StartupItem> inShownOrder(const QList<StartupItem>& shown, const QList<StartupItem>& fresh);

Q_SIGNALS:
    void itemsChanged();
    void busyIDChanged();
    // A switch finished and the list was read again.
    void toggled(const QString& id);

private:
    QCoro::Task<> runToggle(StartupItem item);

    StartupEntries::Format m_format;
    QList<StartupItem> m_items;
    std::optional<QString> m_busyID;
};
