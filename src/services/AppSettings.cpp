#include "services/AppSettings.h"

#include "platform/Numeric.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"

#include <algorithm>
#include <cmath>

QString rawValue(MenuBarDisplay value)
{
    switch (value) {
    case MenuBarDisplay::percent: return QStringLiteral("percent");
    case MenuBarDisplay::free: return QStringLiteral("free");
    case MenuBarDisplay::icon: return QStringLiteral("icon");
    }
    return {};
}

const QList<MenuBarDisplay>& allMenuBarDisplays()
{
    static const QList<MenuBarDisplay> all{MenuBarDisplay::percent, MenuBarDisplay::free, MenuBarDisplay::icon};
    return all;
}

std::optional<MenuBarDisplay> MenuBarDisplayFromRaw(const QString& raw)
{
    for (MenuBarDisplay v : allMenuBarDisplays())
        if (rawValue(v) == raw)
            return v;
    return std::nullopt;
}

QString rawValue(CleanupSchedule value)
{
    switch (value) {
    case CleanupSchedule::off: return QStringLiteral("off");
    case CleanupSchedule::daily: return QStringLiteral("daily");
    case CleanupSchedule::weekly: return QStringLiteral("weekly");
    }
    return {};
}

const QList<CleanupSchedule>& allCleanupSchedules()
{
    static const QList<CleanupSchedule> all{CleanupSchedule::off, CleanupSchedule::daily, CleanupSchedule::weekly};
    return all;
}

std::optional<CleanupSchedule> CleanupScheduleFromRaw(const QString& raw)
{
    for (CleanupSchedule v : allCleanupSchedules())
        if (rawValue(v) == raw)
            return v;
    return std::nullopt;
}

namespace {
QStringList toList(const QSet<QString>& set)
{
    // The set's own iteration order, unsorted.
    return QStringList(set.begin(), set.end());
}

// A stored number, or the default when the key holds none or holds NaN or an infinity (which no
// setting can mean, and which would leave a stepper with no way back into its range).
double finiteNumber(const UserDefaults& defaults, const char* key, double fallback)
{
    const std::optional<double> value = defaults.number(QString::fromLatin1(key));
    return value && std::isfinite(*value) ? *value : fallback;
}
} // namespace

AppSettings::AppSettings(UserDefaults& defaults, QObject* parent) : QObject(parent), m_defaults(defaults)
{
    const UserDefaults& d = defaults;
    m_refreshInterval = finiteNumber(d, "refreshInterval", 5.0);
    m_lowSpaceThresholdGB = finiteNumber(d, "lowSpaceThresholdGB", 10.0);
    m_lowSpaceAlertsEnabled = d.strictBool(QStringLiteral("lowSpaceAlertsEnabled")).value_or(true);
    m_customFolders = d.stringArray(QStringLiteral("customFolders")).value_or(QStringList());
    const QStringList disabled = d.stringArray(QStringLiteral("disabledTargetIDs")).value_or(QStringList());
    m_disabledTargetIDs = QSet<QString>(disabled.begin(), disabled.end());
    m_moveToTrash = d.strictBool(QStringLiteral("moveToTrash")).value_or(true);
    m_projectRoots = d.stringArray(QStringLiteral("projectRoots"))
                         .value_or(QStringList{Paths::expandTilde(QStringLiteral("~/src")),
                                               Paths::expandTilde(QStringLiteral("~/dev"))});
    m_ignoredFinderPaths = d.stringArray(QStringLiteral("ignoredFinderPaths")).value_or(QStringList());
    m_finderMinAgeDays = finiteNumber(d, "finderMinAgeDays", 0.0);
    m_sortBySize = d.lenientBool(QStringLiteral("sortBySize"));
    m_cleanupSchedule = CleanupScheduleFromRaw(d.string(QStringLiteral("cleanupSchedule")).value_or(QString()))
                            .value_or(CleanupSchedule::off);
    m_hasCompletedOnboarding = d.lenientBool(QStringLiteral("hasCompletedOnboarding"));
    m_menuBarDisplay = MenuBarDisplayFromRaw(d.string(QStringLiteral("menuBarDisplay")).value_or(QString()))
                           .value_or(MenuBarDisplay::percent);
    m_developerMode = d.lenientBool(QStringLiteral("developerMode"));
    m_cleanSavedState = d.strictBool(QStringLiteral("cleanSavedState")).value_or(false);
    m_cleanMusicCache = d.strictBool(QStringLiteral("cleanMusicCache")).value_or(false);
    m_cleanMailDownloads = d.strictBool(QStringLiteral("cleanMailDownloads")).value_or(true);
    // Assigned through its writer: a stored date is written back, anything else removed.
    const auto last = d.date(QStringLiteral("lastAutoCleanup"));
    if (last)
        m_defaults.setDate(QStringLiteral("lastAutoCleanup"), *last);
    else if (d.contains(QStringLiteral("lastAutoCleanup")))
        m_defaults.remove(QStringLiteral("lastAutoCleanup"));
    m_lastAutoCleanup = last;
}

void AppSettings::published(void (AppSettings::*signal)(), const char* key)
{
    Q_EMIT(this->*signal)();
    Q_EMIT settingChanged(QString::fromLatin1(key));
}

void AppSettings::setRefreshInterval(double value)
{
    m_refreshInterval = value;
    m_defaults.setDouble(QStringLiteral("refreshInterval"), value);
    published(&AppSettings::refreshIntervalChanged, "refreshInterval");
}

void AppSettings::setLowSpaceThresholdGB(double value)
{
    m_lowSpaceThresholdGB = value;
    m_defaults.setDouble(QStringLiteral("lowSpaceThresholdGB"), value);
    published(&AppSettings::lowSpaceThresholdGBChanged, "lowSpaceThresholdGB");
}

void AppSettings::setLowSpaceAlertsEnabled(bool value)
{
    m_lowSpaceAlertsEnabled = value;
    m_defaults.setBool(QStringLiteral("lowSpaceAlertsEnabled"), value);
    published(&AppSettings::lowSpaceAlertsEnabledChanged, "lowSpaceAlertsEnabled");
}

void AppSettings::setCustomFolders(const QStringList& value)
{
    m_customFolders = value;
    m_defaults.setStringArray(QStringLiteral("customFolders"), value);
    published(&AppSettings::customFoldersChanged, "customFolders");
}

void AppSettings::setDisabledTargetIDs(const QSet<QString>& value)
{
    m_disabledTargetIDs = value;
    m_defaults.setStringArray(QStringLiteral("disabledTargetIDs"), toList(value));
    published(&AppSettings::disabledTargetIDsChanged, "disabledTargetIDs");
}

void AppSettings::setMoveToTrash(bool value)
{
    m_moveToTrash = value;
    m_defaults.setBool(QStringLiteral("moveToTrash"), value);
    published(&AppSettings::moveToTrashChanged, "moveToTrash");
}

void AppSettings::setProjectRoots(const QStringList& value)
{
    m_projectRoots = value;
    m_defaults.setStringArray(QStringLiteral("projectRoots"), value);
    published(&AppSettings::projectRootsChanged, "projectRoots");
}

void AppSettings::setIgnoredFinderPaths(const QStringList& value)
{
    m_ignoredFinderPaths = value;
    m_defaults.setStringArray(QStringLiteral("ignoredFinderPaths"), value);
    published(&AppSettings::ignoredFinderPathsChanged, "ignoredFinderPaths");
}

void AppSettings::setFinderMinAgeDays(double value)
{
    m_finderMinAgeDays = value;
    m_defaults.setDouble(QStringLiteral("finderMinAgeDays"), value);
    published(&AppSettings::finderMinAgeDaysChanged, "finderMinAgeDays");
}

void AppSettings::setSortBySize(bool value)
{
    m_sortBySize = value;
    m_defaults.setBool(QStringLiteral("sortBySize"), value);
    published(&AppSettings::sortBySizeChanged, "sortBySize");
}

void AppSettings::setCleanupSchedule(CleanupSchedule value)
{
    m_cleanupSchedule = value;
    m_defaults.setString(QStringLiteral("cleanupSchedule"), rawValue(value));
    published(&AppSettings::cleanupScheduleChanged, "cleanupSchedule");
}

void AppSettings::setLastAutoCleanup(const std::optional<QDateTime>& value)
{
    m_lastAutoCleanup = value;
    if (value)
        m_defaults.setDate(QStringLiteral("lastAutoCleanup"), *value);
    else
        m_defaults.remove(QStringLiteral("lastAutoCleanup"));
    published(&AppSettings::lastAutoCleanupChanged, "lastAutoCleanup");
}

void AppSettings::setHasCompletedOnboarding(bool value)
{
    m_hasCompletedOnboarding = value;
    m_defaults.setBool(QStringLiteral("hasCompletedOnboarding"), value);
    published(&AppSettings::hasCompletedOnboardingChanged, "hasCompletedOnboarding");
}

void AppSettings::setMenuBarDisplay(MenuBarDisplay value)
{
    m_menuBarDisplay = value;
    m_defaults.setString(QStringLiteral("menuBarDisplay"), rawValue(value));
    published(&AppSettings::menuBarDisplayChanged, "menuBarDisplay");
}

void AppSettings::setDeveloperMode(bool value)
{
    m_developerMode = value;
    m_defaults.setBool(QStringLiteral("developerMode"), value);
    published(&AppSettings::developerModeChanged, "developerMode");
}

void AppSettings::setCleanSavedState(bool value)
{
    m_cleanSavedState = value;
    m_defaults.setBool(QStringLiteral("cleanSavedState"), value);
    published(&AppSettings::cleanSavedStateChanged, "cleanSavedState");
}

void AppSettings::setCleanMusicCache(bool value)
{
    m_cleanMusicCache = value;
    m_defaults.setBool(QStringLiteral("cleanMusicCache"), value);
    published(&AppSettings::cleanMusicCacheChanged, "cleanMusicCache");
}

void AppSettings::setCleanMailDownloads(bool value)
{
    m_cleanMailDownloads = value;
    m_defaults.setBool(QStringLiteral("cleanMailDownloads"), value);
    published(&AppSettings::cleanMailDownloadsChanged, "cleanMailDownloads");
}

void AppSettings::setEnabled(bool enabled, const QString& id)
{
    QSet<QString> ids = m_disabledTargetIDs;
    if (enabled)
        ids.remove(id);
    else
        ids.insert(id);
    setDisabledTargetIDs(ids);
}

qint64 AppSettings::lowSpaceThresholdBytes() const
{
    return saturatingCast<qint64>(m_lowSpaceThresholdGB * 1'000'000'000.0);
}

int AppSettings::finderMinAgeDaysClamped() const
{
    if (std::isnan(m_finderMinAgeDays))
        return 0;
    return saturatingCast<int>(std::clamp(m_finderMinAgeDays, 0.0, 36500.0));
}
