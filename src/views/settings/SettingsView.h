#pragma once
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class AppEvents;
class AppModel;
class AppSettings;
class ElidedLabel;
class QAbstractButton;
class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;
class Stepper;
class ToggleSwitch;
class Updater;

namespace SettingsForm {
class Section;
class RowStack;
} // namespace SettingsForm

// The content of the "settings" window: one grouped form over every user setting, launch at
// login, the interface language, the update preferences and the three folder lists. There is no
// Save: every control writes its setting at once, with the reaction the setting needs (the refresh
// timer restarts, the targets are rebuilt and measured again, or only rebuilt). The form follows
// the settings when something else changes them while it is open, and launch at login its one
// state (LoginItemState), read again when the window is activated.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    // What the window reaches beyond the model, the settings and the updater; each member has
    // the program's own by default (defaultEnvironment()).
    struct Environment {
        AppEvents* events = nullptr; // for "dustlet.showOnboarding"
        std::optional<QString> bundleIdentifier; // empty: launch at login is unavailable
        std::function<bool(const QString& targetId)> offered; // built-in targets of this platform
        std::function<QString()> currentLanguage;
        std::function<QStringList()> availableLanguages;
        std::function<QString(const QString& code)> languageName;
        std::function<bool(const QString& code)> setLanguage;
        std::function<void()> relaunch;
    };
    static Environment defaultEnvironment();

    SettingsView(AppSettings& settings, AppModel& model, Updater& updater, QWidget* parent = nullptr);
    SettingsView(AppSettings& settings, AppModel& model, Updater& updater, Environment environment,
                 QWidget* parent = nullptr);
    ~SettingsView() override;

    // View state.
    std::optional<QString> loginError() const { return m_loginError; }
    std::optional<QString> folderError() const { return m_folderError; }
    bool languageChanged() const { return m_languageChanged; }

    // The controls, for tests and the pictures.
    ToggleSwitch* loginSwitch() const { return m_login; }
    QLabel* loginErrorLabel() const { return m_loginErrorLabel; }
    QLabel* loginUnavailableLabel() const { return m_loginUnavailable; }
    Stepper* refreshStepper() const { return m_refresh; }
    QComboBox* menuBarPicker() const { return m_menuBar; }
    QComboBox* languagePicker() const { return m_language; }
    QWidget* relaunchRow() const { return m_relaunchRow; }
    QPushButton* relaunchButton() const { return m_relaunch; }
    ToggleSwitch* automaticUpdatesSwitch() const { return m_autoUpdates; }
    QPushButton* checkForUpdatesButton() const { return m_checkUpdates; }
    QLabel* devBuildLabel() const { return m_devBuild; }
    QComboBox* schedulePicker() const { return m_schedule; }
    QLabel* scheduleCaption() const { return m_scheduleCaption; }
    ToggleSwitch* lowSpaceSwitch() const { return m_alerts; }
    Stepper* thresholdStepper() const { return m_threshold; }
    QPushButton* welcomeButton() const { return m_welcome; }
    ToggleSwitch* moveToTrashSwitch() const { return m_moveToTrash; }
    QLabel* trashCaption() const { return m_trashCaption; }
    // The switch of an extra system cache ("musiccache", "savedstate", "maildownloads"), or none
    // when this platform does not offer the target.
    ToggleSwitch* extraCacheSwitch(const QString& targetId) const;
    ToggleSwitch* developerSwitch() const { return m_developer; }
    QLabel* developerCaption() const { return m_developerCaption; }
    ToggleSwitch* sortSwitch() const { return m_sortBySize; }
    Stepper* ageStepper() const { return m_age; }
    QPushButton* addFolderButton() const { return m_addFolder; }
    QLabel* folderErrorLabel() const { return m_folderErrorLabel; }
    QPushButton* pinFolderButton() const { return m_pinFolder; }
    QPushButton* addProjectButton() const { return m_addProject; }

    // The folder lists as shown: each row's path, and its remove button.
    enum class FolderList { custom, pinned, projects };
    QStringList shownFolders(FolderList list) const;
    QAbstractButton* removeButton(FolderList list, const QString& path) const;
    // The caption shown while a list is empty.
    QLabel* emptyCaption(FolderList list) const;

    // Whether a section is shown ("General", "Extra system caches", "Build-folder cleanup", …;
    // the English titles).
    bool isSectionShown(const QString& title) const;
    QStringList sectionTitles() const;

    // The age stepper's label for `days` ("Any age", "1 day", "2 days").
    static QString ageText(double days);

protected:
    void changeEvent(QEvent* event) override;

private:
    struct FolderSection {
        SettingsForm::RowStack* rows = nullptr;
        QLabel* empty = nullptr;
        QStringList shown;
        QStringList missing; // the shown project folders that name no folder
        QString symbol;
    };

    void build();
    QWidget* generalSection();
    QWidget* updatesSection();
    QWidget* scheduleSection();
    QWidget* lowSpaceSection();
    QWidget* welcomeSection();
    QWidget* cleanupSection();
    QWidget* extraCachesSection();
    QWidget* customFoldersSection();
    QWidget* developerSection();
    QWidget* buildFolderSection();
    QWidget* pinnedSection();
    QWidget* projectsSection();

    void toggleLogin(bool enabled);
    void setLoginError(const std::optional<QString>& error);
    void setFolderError(const std::optional<QString>& error);
    void chooseLanguage(int index);
    void chooseDirectory(std::function<void(const QString& path)> chosen);
    void rescan();
    void addCustomFolder();
    void pinFolder();
    void unpinFolder(const QString& path);
    void addProjectFolder();
    void removeProjectFolder(const QString& path);

    // Shows the settings' current values (without reacting to them).
    void syncFromSettings();
    void syncFolders(FolderSection& section, FolderList list, const QStringList& paths);
    FolderSection& folderSection(FolderList list);
    const FolderSection& folderSection(FolderList list) const;

    AppSettings& m_settings;
    AppModel& m_model;
    Updater& m_updater;
    Environment m_env;

    std::optional<QString> m_loginError;
    std::optional<QString> m_folderError;
    bool m_languageChanged = false;
    bool m_switchingLogin = false; // the login item is being switched from here

    QVBoxLayout* m_form = nullptr;
    QList<QPair<QString, QPointer<QWidget>>> m_sections; // English title, section
    ToggleSwitch* m_login = nullptr;
    QLabel* m_loginUnavailable = nullptr;
    QLabel* m_loginErrorLabel = nullptr;
    Stepper* m_refresh = nullptr;
    QComboBox* m_menuBar = nullptr;
    QComboBox* m_language = nullptr;
    QWidget* m_relaunchRow = nullptr;
    QPushButton* m_relaunch = nullptr;
    ToggleSwitch* m_autoUpdates = nullptr;
    QPushButton* m_checkUpdates = nullptr;
    QLabel* m_devBuild = nullptr;
    QComboBox* m_schedule = nullptr;
    QLabel* m_scheduleCaption = nullptr;
    ToggleSwitch* m_alerts = nullptr;
    Stepper* m_threshold = nullptr;
    QPushButton* m_welcome = nullptr;
    ToggleSwitch* m_moveToTrash = nullptr;
    QLabel* m_trashCaption = nullptr;
    QList<QPair<QString, ToggleSwitch*>> m_extraSwitches;
    ToggleSwitch* m_developer = nullptr;
    QLabel* m_developerCaption = nullptr;
    QWidget* m_sortRow = nullptr;
    QWidget* m_sortCaptionRow = nullptr;
    ToggleSwitch* m_sortBySize = nullptr;
    Stepper* m_age = nullptr;
    QPushButton* m_addFolder = nullptr;
    QLabel* m_folderErrorLabel = nullptr;
    QPushButton* m_pinFolder = nullptr;
    QPushButton* m_addProject = nullptr;
    FolderSection m_custom;
    FolderSection m_pinned;
    FolderSection m_projects;
};
