#pragma once
#include "services/Uninstaller.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class AppModel;
class QWidget;
class TransientMessage;

// The state of the uninstaller window: the chosen app, its items with their selection, and the
// last outcome. Every assignment emits its change signal.
//
// Each load (and each return to the empty state) starts a new generation. The leftover search
// and the removal remember the generation they were started in: a search result is applied, and
// a removal resets the window, only while that generation is still the current one, so work for
// an app the user has since replaced never touches the app now shown. A removal's history entry
// and message are kept in any case.
class UninstallerModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<AppInfo> app READ app WRITE setApp NOTIFY appChanged)
    Q_PROPERTY(QList<UninstallItem> items READ items WRITE setItems NOTIFY itemsChanged)
    Q_PROPERTY(QSet<QUuid> selected READ selected WRITE setSelected NOTIFY selectedChanged)
    Q_PROPERTY(bool isScanning READ isScanning WRITE setIsScanning NOTIFY isScanningChanged)
    Q_PROPERTY(bool isRemoving READ isRemoving WRITE setIsRemoving NOTIFY isRemovingChanged)
    Q_PROPERTY(std::optional<QString> resultMessage READ resultMessage NOTIFY resultMessageChanged)
public:
    static constexpr int kMessageDelayMs = 8000;

    // The service calls, replaceable by tests.
    struct Services {
        std::function<AppInfo(const QString& appPath)> inspect = Uninstaller::inspect;
        std::function<QList<UninstallItem>(const AppInfo&)> leftovers = Uninstaller::leftovers;
        std::function<Uninstaller::Removal(const QStringList& paths)> remove = Uninstaller::remove;
    };

    explicit UninstallerModel(QObject* parent = nullptr);
    explicit UninstallerModel(Services services, QObject* parent = nullptr);

    std::optional<AppInfo> app() const { return m_app; }
    void setApp(const std::optional<AppInfo>& value);
    const QList<UninstallItem>& items() const { return m_items; }
    void setItems(const QList<UninstallItem>& value);
    const QSet<QUuid>& selected() const { return m_selected; }
    void setSelected(const QSet<QUuid>& value);
    bool isScanning() const { return m_isScanning; }
    void setIsScanning(bool value);
    bool isRemoving() const { return m_isRemoving; }
    void setIsRemoving(bool value);
    std::optional<QString> resultMessage() const;
    // The self-clearing message behind `resultMessage` (tests shorten its delay).
    TransientMessage& message() const { return *m_message; }

    // The sum of the selected items' sizes.
    qint64 totalSelectedSize() const;
    // There are items and all of them are selected.
    bool allSelected() const;

    // Selects every item, or none when all were selected.
    void toggleSelectAll();
    // Adds or takes out one item.
    void setItemSelected(const QUuid& id, bool on);
    // Shows the application picker (modal to `parent`) and loads the chosen app.
    void chooseApp(QWidget* parent = nullptr);
    // Refuses a protected system app; otherwise inspects the app and starts its leftover search.
    void load(const QString& appPath);
    // Back to the empty state.
    void reset();
    // Moves the selected items to the Trash and records the removal in `appModel`'s history.
    void uninstall(AppModel& appModel);

Q_SIGNALS:
    void appChanged();
    void itemsChanged();
    void selectedChanged();
    void isScanningChanged();
    void isRemovingChanged();
    void resultMessageChanged();
    // The search of a load finished (also when its result was dropped as stale).
    void searchFinished();
    // A removal finished and was recorded.
    void removalFinished();

private:
    QCoro::Task<> search(AppInfo info, quint64 generation);
    QCoro::Task<> removal(QStringList paths, QString name, AppModel* appModel, quint64 generation);

    Services m_services;
    std::optional<AppInfo> m_app;
    QList<UninstallItem> m_items;
    QSet<QUuid> m_selected;
    bool m_isScanning = false;
    bool m_isRemoving = false;
    TransientMessage* m_message;
    quint64 m_generation = 0;
};
