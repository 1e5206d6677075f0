#include "DustletApp.h"

#include "AppDelegate.h"
#include "AppModel.h"
#include "platform/AppEvents.h"
#include "platform/Bundle.h"
#include "platform/ui/StatusItem.h"
#include "services/AppLanguage.h"
#include "services/Updater.h"
#include "views/about/AboutView.h"
#include "views/tools/AppUpdatesView.h"
#include "views/panel/ConfirmWindowView.h"
#include "views/diskmap/DiskMapView.h"
#include "views/largefiles/LargeFilesView.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuBarLabel.h"
#include "views/panel/MenuPanelView.h"
#include "views/settings/SettingsView.h"
#include "views/onboarding/OnboardingView.h"
#include "views/projectcleanup/ProjectCleanupView.h"
#include "views/tools/SnapshotsView.h"
#include "views/tools/StartupItemsView.h"
#include "views/tools/UninstallerView.h"
#include "views/WindowIds.h"
#include "views/Windows.h"
#include "views/components/AppIcon.h"
#include "views/components/ScaledControls.h"

#include <QApplication>
#include <QDesktopServices>

const QList<DustletApp::SceneInfo>& DustletApp::sceneTable()
{
    // Each window: its id, title, placement and how its content is made from the application's
    // environment objects.
    static const QList<SceneInfo> table = {
        {WindowId::settings, QT_TRANSLATE_NOOP("DustletApp", "Dustlet Settings"), true, std::nullopt,
         [](const DustletApp& app) -> QWidget* {
             return new SettingsView(app.model().settings(), app.model(), app.updater());
         }},
        {WindowId::confirm, QT_TRANSLATE_NOOP("DustletApp", "Confirm Cleanup"), true, std::nullopt,
         [](const DustletApp& app) -> QWidget* { return new ConfirmWindowView(app.model(), app.windows()); }},
        {WindowId::diskmap, QT_TRANSLATE_NOOP("DustletApp", "Disk Map"), false, QSize(760, 560),
         [](const DustletApp& app) -> QWidget* { return new DiskMapView(app.model()); }},
        {WindowId::largefiles, QT_TRANSLATE_NOOP("DustletApp", "Large & Duplicate Files"), true, std::nullopt,
         [](const DustletApp& app) -> QWidget* { return new LargeFilesView(app.model()); }},
        {WindowId::projectcleanup, QT_TRANSLATE_NOOP("DustletApp", "Project Cleanup"), true, std::nullopt,
         [](const DustletApp& app) -> QWidget* { return new ProjectCleanupView(app.model()); }},
        {WindowId::startup, QT_TRANSLATE_NOOP("DustletApp", "Startup & Background Items"), false, std::nullopt,
         [](const DustletApp&) -> QWidget* { return new StartupItemsView; }},
        {WindowId::snapshots, QT_TRANSLATE_NOOP("DustletApp", "Free Up Snapshot Space"), false, std::nullopt,
         [](const DustletApp&) -> QWidget* { return new SnapshotsView; }},
        {WindowId::appupdates, QT_TRANSLATE_NOOP("DustletApp", "App & Tool Updates"), false, std::nullopt,
         [](const DustletApp&) -> QWidget* { return new AppUpdatesView; }},
        {WindowId::uninstaller, QT_TRANSLATE_NOOP("DustletApp", "Uninstall an App"), true, std::nullopt,
         [](const DustletApp& app) -> QWidget* { return new UninstallerView(app.model()); }},
        {WindowId::about, QT_TRANSLATE_NOOP("DustletApp", "About Dustlet"), true, std::nullopt,
         [](const DustletApp& app) -> QWidget* { return new AboutView(app.model(), app.updater()); }},
    };
    return table;
}

DustletApp::DustletApp()
{
    // The interface language is chosen once, before the model names its targets and before any
    // window: the stored choice, or else the system's languages.
    AppLanguage::install();
    QApplication::setApplicationName(QStringLiteral("Dustlet"));
    QApplication::setApplicationVersion(Bundle::shortVersion());
    // The desktop matches the windows to dustlet.desktop: its name and icon, not a generic one.
    QGuiApplication::setDesktopFileName(QStringLiteral("dustlet"));
    // A tray program: closing its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Buttons and check boxes grow with a large desktop font, as the texts do.
    ScaledControls::install();

    m_model = &AppModel::shared();
    m_delegate = new AppDelegate(*m_model, AppEvents::shared(), this);
    m_updater = new Updater(this);
    connect(&m_updater->controller(), &UpdaterController::feedRequested, this,
            [](const QUrl& feed) { QDesktopServices::openUrl(feed); });
    m_windows = new Windows(this);
    m_extra = new MenuBarExtra([this] { return new MenuPanelView(*m_model, *m_windows); }, this);
    m_label = new MenuBarLabel(*m_model, *m_windows, AppEvents::shared(), this);
    m_delegate->setStatusItemFrame([this] { return m_extra->statusItem().frame(); });
    // Without a tray the panel is a window: what opens from it goes beside it, not over it.
    m_windows->setKeepClear([this]() -> std::optional<Windows::KeepClear> {
        const std::optional<QRect> frame = m_extra->panelWindowFrame();
        if (!frame)
            return std::nullopt;
        return Windows::KeepClear{*frame, m_extra->panel()->geometry().top() - frame->top()};
    });
    m_delegate->setOnboardingContent([this](std::function<void()> onFinish) -> QWidget* {
        return new OnboardingView(*m_model, m_model->settings(), std::move(onFinish));
    });
}

DustletApp::~DustletApp() = default;

void DustletApp::registerScenes()
{
    for (const SceneInfo& info : sceneTable()) {
        m_windows->registerScene({QString::fromLatin1(info.id), QCoreApplication::translate("DustletApp", info.title),
                                  [this, make = info.content] { return make(*this); }, info.centred,
                                  info.defaultSize});
    }
}

void DustletApp::showPanel() { m_extra->showPanel(); }

void DustletApp::launch()
{
    QApplication::setWindowIcon(AppIcon::icon());
    registerScenes();
    m_delegate->applicationDidFinishLaunching();
    m_label->attach(m_extra->statusItem());
    m_extra->show(m_extra->isTrayAvailable());
    // The model runs from launch, not from the panel's first showing: a program that is never
    // clicked still keeps its figure current, warns of low space and cleans on schedule.
    m_model->start();
}

// Compiled here so that linking the UI library without the application object does not need it.
#include "moc_DustletApp.cpp" // NOLINT(bugprone-suspicious-include): moc's output for this file
