// The settings window: as it opens (simple mode), and its whole form scrolled through, in simple
// and in developer mode with folders listed and the relaunch note shown; then the same in German
// (settings-de-…).
#include "RenderKit.h"

#include "FakeUpdaterController.h"

#include "AppModel.h"
#include "services/AppLanguage.h"
#include "services/AppSettings.h"
#include "services/Updater.h"
#include "views/settings/SettingsView.h"

#include <QComboBox>
#include <QImage>
#include <QScrollArea>

namespace {

using namespace RenderKit;

SettingsView::Environment environment(const QString& language)
{
    SettingsView::Environment env;
    env.offered = [](const QString&) { return true; };   // every switch, as macOS offers them
    env.currentLanguage = [language] { return language; };
    env.availableLanguages = [] { return AppLanguage::available(); };
    env.setLanguage = [](const QString&) { return true; };
    env.relaunch = [] {};
    return env;
}

// The form at its whole height, as if the window were tall enough.
void shootWholeForm(SettingsView* view, const QString& name)
{
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->show();
    settle();
    auto* scroll = view->findChild<QScrollArea*>();
    QWidget* form = scroll->widget();
    form->resize(form->width(), form->heightForWidth(form->width()) > 0 ? form->heightForWidth(form->width())
                                                                         : form->sizeHint().height());
    settle();
    save(form->grab().toImage(), name);
    delete view;
}

void pictures(const QString& infix)
{
    AppModel& model = RenderKit::model();
    AppSettings& s = model.settings();
    auto updater = std::make_unique<Updater>(std::make_unique<FakeUpdaterController>(), false);
    settle();
    const QString name = QStringLiteral("settings-") + infix;

    s.setDeveloperMode(false);
    shoot(new SettingsView(s, model, *updater, environment(QString())), name + QStringLiteral("simple"));
    shootWholeForm(new SettingsView(s, model, *updater, environment(QString())), name + QStringLiteral("simple-full"));

    s.setDeveloperMode(true);
    s.setCustomFolders({home() + QStringLiteral("/Downloads/scratch"),
                        home() + QStringLiteral("/Projects/a folder with a very long name that does not fit/build output")});
    s.setIgnoredFinderPaths({home() + QStringLiteral("/src/keep-me")});
    s.setProjectRoots({home() + QStringLiteral("/src"), home() + QStringLiteral("/dev")});
    s.setFinderMinAgeDays(14);
    s.setCleanupSchedule(CleanupSchedule::weekly);
    s.setMoveToTrash(false);
    {
        auto* view = new SettingsView(s, model, *updater, environment(QStringLiteral("de")));
        view->languagePicker()->setCurrentIndex(1);   // English: the relaunch note shows
        shootWholeForm(view, name + QStringLiteral("developer-full"));
    }
    shoot(new SettingsView(s, model, *updater, environment(QString())), name + QStringLiteral("developer"));

    s.setDeveloperMode(false);
    s.setCustomFolders({});
    s.setIgnoredFinderPaths({});
    s.setFinderMinAgeDays(0);
    s.setCleanupSchedule(CleanupSchedule::off);
    s.setMoveToTrash(true);
}

void settings()
{
    pictures(QString());
    setLanguage(QStringLiteral("de"));
    pictures(QStringLiteral("de-"));
    setLanguage(language());
}

} // namespace

DUSTLET_RENDER("settings", 70, settings);
