#pragma once
#include "platform/HostPlatform.h"

#include <QString>

// The words and the tools that differ between macOS and the other desktops: where the program
// lives (the menu bar there, the system tray here), what the computer is called, and which tool
// windows the platform can serve at all. Each text is looked up for translation in the context
// of the view that shows it; the default platform is the one the program runs on.
namespace DesktopTerms {

// The welcome page's line: "… cleaned safely, right from your menu bar." (OnboardingView)
QString welcomeTagline(HostPlatform platform = hostPlatform());
// The personalize page's question: "How do you use this Mac?" (OnboardingView)
QString usageQuestion(HostPlatform platform = hostPlatform());
// The last page's note: "Open Dustlet from the menu bar any time …" (OnboardingView)
QString openAnyTime(HostPlatform platform = hostPlatform());
// The first-run hint's message: "Click the drive icon in your menu bar …" (MenuBarCoachMark)
QString hintMessage(HostPlatform platform = hostPlatform());
// The settings label of the icon's figure: "Menu bar shows" (SettingsView)
QString iconShowsLabel(HostPlatform platform = hostPlatform());

// Whether the platform has application bundles for the uninstaller to remove (macOS only).
bool hasApplicationBundles(HostPlatform platform = hostPlatform());
// Whether local snapshots can be listed at all: the listing tool (tmutil, macOS only) is there.
bool hasLocalSnapshots();

} // namespace DesktopTerms
