#include "DustletApp.h"

#include "AppDelegate.h"
#include "AppModel.h"
#include "platform/AppEvents.h"
#include "platform/Bundle.h"
#include "platform/ui/StatusItem.h"
#include "services/AppLanguage.h"
#include "services/Updater.h"
#include "views/AboutView.h"
#include "views/AppUpdatesView.h"
#include "views/ConfirmWindowView.h"
#include "views/DiskMapView.h"
#include "views/LargeFilesView.h"
#include "views/MenuBarExtra.h"
#include "views/MenuBarLabel.h"
#include "views/MenuPanelView.h"
#include "views/SettingsView.h"
#include "views/OnboardingView.h"
#include "views/ProjectCleanupView.h"
#include "views/SnapshotsView.h"
#include "views/StartupItemsView.h"
#include "views/UninstallerView.h"
#include "views/Windows.h"
#include "views/components/AppIcon.h"
#include "views/components/ScaledControls.h"

#include <QApplication>
#include <QDesktopServices>

const QList<DustletApp::SceneInfo>& DustletApp::sceneTable()
{
    static const QList<SceneInfo> table = {
        {"settings", QT_TRANSLATE_NOOP("DustletApp", "Dustlet Settings"), true, std::nullopt},
        {"confirm", QT_TRANSLATE_NOOP("DustletApp", "Confirm Cleanup"), true, std::nullopt},
        {"diskmap", QT_TRANSLATE_NOOP("DustletApp", "Disk Map"), false, QSize(760, 560)},
        {"largefiles", QT_TRANSLATE_NOOP("DustletApp", "Large & Duplicate Files"), true, std::nullopt},
        {"projectcleanup", QT_TRANSLATE_NOOP("DustletApp", "Project Cleanup"), true, std::nullopt},
        {"startup", QT_TRANSLATE_NOOP("DustletApp", "Startup & Background Items"), false, std::nullopt},
        {"snapshots", QT_TRANSLATE_NOOP("DustletApp", "Free Up Snapshot Space"), false, std::nullopt},
        {"appupdates", QT_TRANSLATE_NOOP("DustletApp", "App & Tool Updates"), false, std::nullopt},
        {"uninstaller", QT_TRANSLATE_NOOP("DustletApp", "Uninstall an App"), true, std::nullopt},
        {"about", QT_TRANSLATE_NOOP("DustletApp", "About Dustlet"), true, std::nullopt},
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

std::function<QWidget*()> DustletApp::contentFor(const QString& id) const
{
    // The window views join here as they are built, each with the environment objects its row
    // of the scene table names (the model, and for "settings" and "about" the updater).
    if (id == QLatin1String(SettingsView::kWindowId))
        return [this] { return new SettingsView(m_model->settings(), *m_model, *m_updater); };
    if (id == QLatin1String(ConfirmWindowView::kWindowId))
        return [this] { return new ConfirmWindowView(*m_model, *m_windows); };
    if (id == QLatin1String(DiskMapView::kWindowId))
        return [this] { return new DiskMapView(*m_model); };
    if (id == QLatin1String(LargeFilesView::kWindowId))
        return [this] { return new LargeFilesView(*m_model); };
    if (id == QLatin1String(ProjectCleanupView::kWindowId))
        return [this] { return new ProjectCleanupView(*m_model); };
    if (id == QLatin1String(SnapshotsView::kWindowId))
        return [] { return new SnapshotsView; };
    if (id == QLatin1String(AppUpdatesView::kWindowId))
        return [] { return new AppUpdatesView; };
    if (id == QLatin1String(StartupItemsView::kWindowId))
        return [] { return new StartupItemsView; };
    if (id == QLatin1String(UninstallerView::kWindowId))
        return [this] { return new UninstallerView(*m_model); };
    if (id == QLatin1String(AboutView::kWindowId))
        return [this] { return new AboutView(*m_model, *m_updater); };
    return {};
}

void DustletApp::registerScenes()
{
    // Each id gets its scene once its view exists; an id without one opens nothing.
    for (const SceneInfo& info : sceneTable()) {
        const QString id = QString::fromLatin1(info.id);
        std::function<QWidget*()> content = contentFor(id);
        if (!content)
            continue;
        m_windows->registerScene({id, QCoreApplication::translate("DustletApp", info.title), std::move(content),
                                  info.centred, info.defaultSize});
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
