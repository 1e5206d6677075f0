#include "platform/DesktopTerms.h"

#include "platform/ToolPaths.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

struct Term {
    const char* context;
    const char* macOS;
    const char* other;
};

QString text(const Term& term, HostPlatform platform)
{
    return QCoreApplication::translate(term.context, platform == HostPlatform::macOS ? term.macOS : term.other);
}

} // namespace

namespace DesktopTerms {

QString welcomeTagline(HostPlatform platform)
{
    static const Term term{
        "OnboardingView",
        QT_TRANSLATE_NOOP(
            "OnboardingView",
            "Free up space from caches and junk you don't need \u2014 cleaned safely, right from your menu bar."),
        QT_TRANSLATE_NOOP(
            "OnboardingView",
            "Free up space from caches and junk you don't need \u2014 cleaned safely, right from the system tray.")};
    return text(term, platform);
}

QString usageQuestion(HostPlatform platform)
{
    static const Term term{"OnboardingView", QT_TRANSLATE_NOOP("OnboardingView", "How do you use this Mac?"),
                           QT_TRANSLATE_NOOP("OnboardingView", "How do you use this computer?")};
    return text(term, platform);
}

QString openAnyTime(HostPlatform platform)
{
    static const Term term{
        "OnboardingView",
        QT_TRANSLATE_NOOP("OnboardingView",
                          "Open Dustlet from the menu bar any time to clean up or explore the Disk Map."),
        QT_TRANSLATE_NOOP("OnboardingView",
                          "Open Dustlet from the system tray any time to clean up or explore the Disk Map.")};
    return text(term, platform);
}

QString hintMessage(HostPlatform platform)
{
    static const Term term{
        "MenuBarCoachMark",
        QT_TRANSLATE_NOOP("MenuBarCoachMark",
                          "Click the drive icon in your menu bar any time to free up space or open the Disk Map."),
        QT_TRANSLATE_NOOP("MenuBarCoachMark",
                          "Click the drive icon in the system tray any time to free up space or open the Disk Map.")};
    return text(term, platform);
}

QString iconShowsLabel(HostPlatform platform)
{
    static const Term term{"SettingsView", QT_TRANSLATE_NOOP("SettingsView", "Menu bar shows"),
                           QT_TRANSLATE_NOOP("SettingsView", "Tray icon shows")};
    return text(term, platform);
}

bool hasApplicationBundles(HostPlatform platform) { return platform == HostPlatform::macOS; }

bool hasLocalSnapshots()
{
    const QFileInfo tool(ToolPaths::tmutil());
    return tool.isFile() && tool.isExecutable();
}

} // namespace DesktopTerms
