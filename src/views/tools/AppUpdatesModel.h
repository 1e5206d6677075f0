#pragma once
#include "services/HomebrewUpdater.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// The state of the app and tool updates window: whether Homebrew is there, the outdated
// packages it reports, and the upgrade of one package or of all. Every command runs in the
// background; the results are published here on the main thread, and every assignment to a
// published property emits, also when the value is the same.
class AppUpdatesModel : public QObject {
    Q_OBJECT
public:
    enum class State { idle, checking, ready, unavailable };
    Q_ENUM(State)

private:
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    Q_PROPERTY(QList<OutdatedPackage> packages READ packages NOTIFY packagesChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(std::optional<QString> status READ status NOTIFY statusChanged)
    Q_PROPERTY(bool listingFailed READ listingFailed NOTIFY listingFailedChanged)

public:
    static constexpr double kPresenceTimeoutSeconds = 20;
    static constexpr double kUpgradeAllTimeoutSeconds = 1800;

    explicit AppUpdatesModel(QObject* parent = nullptr);

    State state() const { return m_state; }
    const QList<OutdatedPackage>& packages() const { return m_packages; }
    bool busy() const { return m_busy; }
    const std::optional<QString>& status() const { return m_status; }
    // True when the last listing failed (Homebrew ran but gave no report), so an empty list
    // does not mean everything is up to date.
    bool listingFailed() const { return m_listingFailed; }

    // Looks for brew in the login shell, then lists what is outdated.
    void check();
    // Upgrades one package, then lists again.
    void upgrade(const OutdatedPackage& package);
    // Upgrades everything Homebrew considers outdated, then lists again.
    void upgradeAll();

    // What the window shows (also for pictures of it).
    void setState(State value);
    void setPackages(const QList<OutdatedPackage>& value);
    void setBusy(bool value);
    void setStatus(const std::optional<QString>& value);
    void setListingFailed(bool value);

Q_SIGNALS:
    void stateChanged();
    void packagesChanged();
    void busyChanged();
    void statusChanged();
    void listingFailedChanged();

private:
    QCoro::Task<> runCheck();
    QCoro::Task<> runUpgrade(OutdatedPackage package);
    QCoro::Task<> runUpgradeAll();
    // Lists again and publishes the list; false when the model went away meanwhile.
    QCoro::Task<bool> relist();

    State m_state = State::idle;
    QList<OutdatedPackage> m_packages;
    bool m_busy = false;
    std::optional<QString> m_status;
    bool m_listingFailed = false;
};
