#pragma once
// Shared steps of the road tests that drive the real program offscreen.
#include "AppModel.h"
#include "DustletApp.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuPanelView.h"

#include <QWidget>

// Launches the program as a returning user (the welcome flow done) and gives its panel, which
// opens as a window at launch offscreen, where there is no tray; null when it did not open.
inline MenuPanelView* launchToPanel(DustletApp& app)
{
    app.model().settings().setHasCompletedOnboarding(true);
    app.launch();
    QWidget* panelWindow = app.menuBarExtra().panel();
    return panelWindow ? panelWindow->findChild<MenuPanelView*>() : nullptr;
}
