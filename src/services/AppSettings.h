#pragma once
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class UserDefaults;

// What the menu-bar label shows beside the icon.
enum class MenuBarDisplay { percent, free, icon };
QString rawValue(MenuBarDisplay value);
std::optional<MenuBarDisplay> MenuBarDisplayFromRaw(const QString& raw);
const QList<MenuBarDisplay>& allMenuBarDisplays();

// How often caches are cleaned automatically.
enum class CleanupSchedule { off, daily, weekly };
QString rawValue(CleanupSchedule value);
std::optional<CleanupSchedule> CleanupScheduleFromRaw(const QString& raw);
const QList<CleanupSchedule>& allCleanupSchedules();

// The user's settings over the user defaults. Every setting is read once when the store is
// made and written under its own name the moment it is assigned (even to the same value).
class AppSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(double refreshInterval READ refreshInterval WRITE setRefreshInterval NOTIFY refreshIntervalChanged)
    Q_PROPERTY(double lowSpaceThresholdGB READ lowSpaceThresholdGB WRITE setLowSpaceThresholdGB NOTIFY
                   lowSpaceThresholdGBChanged)
    Q_PROPERTY(bool lowSpaceAlertsEnabled READ lowSpaceAlertsEnabled WRITE setLowSpaceAlertsEnabled NOTIFY
                   lowSpaceAlertsEnabledChanged)
    Q_PROPERTY(QStringList customFolders READ customFolders WRITE setCustomFolders NOTIFY customFoldersChanged)
    Q_PROPERTY(QSet<QString> disabledTargetIDs READ disabledTargetIDs WRITE setDisabledTargetIDs NOTIFY
                   disabledTargetIDsChanged)
    Q_PROPERTY(bool moveToTrash READ moveToTrash WRITE setMoveToTrash NOTIFY moveToTrashChanged)
    Q_PROPERTY(QStringList projectRoots READ projectRoots WRITE setProjectRoots NOTIFY projectRootsChanged)
    Q_PROPERTY(QStringList ignoredFinderPaths READ ignoredFinderPaths WRITE setIgnoredFinderPaths NOTIFY
                   ignoredFinderPathsChanged)
    Q_PROPERTY(double finderMinAgeDays READ finderMinAgeDays WRITE setFinderMinAgeDays NOTIFY finderMinAgeDaysChanged)
    Q_PROPERTY(bool sortBySize READ sortBySize WRITE setSortBySize NOTIFY sortBySizeChanged)
    Q_PROPERTY(
        CleanupSchedule cleanupSchedule READ cleanupSchedule WRITE setCleanupSchedule NOTIFY cleanupScheduleChanged)
    Q_PROPERTY(bool hasCompletedOnboarding READ hasCompletedOnboarding WRITE setHasCompletedOnboarding NOTIFY
                   hasCompletedOnboardingChanged)
    Q_PROPERTY(MenuBarDisplay menuBarDisplay READ menuBarDisplay WRITE setMenuBarDisplay NOTIFY menuBarDisplayChanged)
    Q_PROPERTY(bool developerMode READ developerMode WRITE setDeveloperMode NOTIFY developerModeChanged)
    Q_PROPERTY(bool cleanSavedState READ cleanSavedState WRITE setCleanSavedState NOTIFY cleanSavedStateChanged)
    Q_PROPERTY(bool cleanMusicCache READ cleanMusicCache WRITE setCleanMusicCache NOTIFY cleanMusicCacheChanged)
    Q_PROPERTY(
        bool cleanMailDownloads READ cleanMailDownloads WRITE setCleanMailDownloads NOTIFY cleanMailDownloadsChanged)

public:
    explicit AppSettings(UserDefaults& defaults, QObject* parent = nullptr);

    UserDefaults& defaults() const { return m_defaults; }

    double refreshInterval() const { return m_refreshInterval; }
    double lowSpaceThresholdGB() const { return m_lowSpaceThresholdGB; }
    bool lowSpaceAlertsEnabled() const { return m_lowSpaceAlertsEnabled; }
    QStringList customFolders() const { return m_customFolders; }
    QSet<QString> disabledTargetIDs() const { return m_disabledTargetIDs; }
    bool moveToTrash() const { return m_moveToTrash; }
    QStringList projectRoots() const { return m_projectRoots; }
    QStringList ignoredFinderPaths() const { return m_ignoredFinderPaths; }
    double finderMinAgeDays() const { return m_finderMinAgeDays; }
    bool sortBySize() const { return m_sortBySize; }
    CleanupSchedule cleanupSchedule() const { return m_cleanupSchedule; }
    std::optional<QDateTime> lastAutoCleanup() const { return m_lastAutoCleanup; }
    bool hasCompletedOnboarding() const { return m_hasCompletedOnboarding; }
    MenuBarDisplay menuBarDisplay() const { return m_menuBarDisplay; }
    bool developerMode() const { return m_developerMode; }
    bool cleanSavedState() const { return m_cleanSavedState; }
    bool cleanMusicCache() const { return m_cleanMusicCache; }
    bool cleanMailDownloads() const { return m_cleanMailDownloads; }

    void setRefreshInterval(double value);
    void setLowSpaceThresholdGB(double value);
    void setLowSpaceAlertsEnabled(bool value);
    void setCustomFolders(const QStringList& value);
    void setDisabledTargetIDs(const QSet<QString>& value);
    void setMoveToTrash(bool value);
    void setProjectRoots(const QStringList& value);
    void setIgnoredFinderPaths(const QStringList& value);
    void setFinderMinAgeDays(double value);
    void setSortBySize(bool value);
    void setCleanupSchedule(CleanupSchedule value);
    void setLastAutoCleanup(const std::optional<QDateTime>& value);
    void setHasCompletedOnboarding(bool value);
    void setMenuBarDisplay(MenuBarDisplay value);
    void setDeveloperMode(bool value);
    void setCleanSavedState(bool value);
    void setCleanMusicCache(bool value);
    void setCleanMailDownloads(bool value);

    // Switches one target on or off; the set is assigned (and written) once.
    void setEnabled(bool enabled, const QString& id);

    // The low-space threshold in bytes (decimal gigabytes), saturated to the Int64 range.
    qint64 lowSpaceThresholdBytes() const;

    // finderMinAgeDays as a whole number of days, clamped to 0 … 36,500.
    int finderMinAgeDaysClamped() const;

Q_SIGNALS:
    void refreshIntervalChanged();
    void lowSpaceThresholdGBChanged();
    void lowSpaceAlertsEnabledChanged();
    void customFoldersChanged();
    void disabledTargetIDsChanged();
    void moveToTrashChanged();
    void projectRootsChanged();
    void ignoredFinderPathsChanged();
    void finderMinAgeDaysChanged();
    void sortBySizeChanged();
    void cleanupScheduleChanged();
    void lastAutoCleanupChanged();
    void hasCompletedOnboardingChanged();
    void menuBarDisplayChanged();
    void developerModeChanged();
    void cleanSavedStateChanged();
    void cleanMusicCacheChanged();
    void cleanMailDownloadsChanged();
    // Any setting was assigned; `key` is its name.
    void settingChanged(const QString& key);

private:
    void published(void (AppSettings::*signal)(), const char* key);

    UserDefaults& m_defaults;
    double m_refreshInterval = 5.0;
    double m_lowSpaceThresholdGB = 10.0;
    bool m_lowSpaceAlertsEnabled = true;
    QStringList m_customFolders;
    QSet<QString> m_disabledTargetIDs;
    bool m_moveToTrash = true;
    QStringList m_projectRoots;
    QStringList m_ignoredFinderPaths;
    double m_finderMinAgeDays = 0;
    bool m_sortBySize = false;
    CleanupSchedule m_cleanupSchedule = CleanupSchedule::off;
    std::optional<QDateTime> m_lastAutoCleanup;
    bool m_hasCompletedOnboarding = false;
    MenuBarDisplay m_menuBarDisplay = MenuBarDisplay::percent;
    bool m_developerMode = false;
    bool m_cleanSavedState = false;
    bool m_cleanMusicCache = false;
    bool m_cleanMailDownloads = true;
};
