#import <AppKit/AppKit.h>

#include "platform/AccessibilityPrefs.h"

namespace AccessibilityPrefs::detail {

Prefs readDesktop()
{
    NSWorkspace* workspace = [NSWorkspace sharedWorkspace];
    Prefs p;
    p.reduceMotion = workspace.accessibilityDisplayShouldReduceMotion;
    p.reduceTransparency = workspace.accessibilityDisplayShouldReduceTransparency;
    p.differentiateWithoutColor = workspace.accessibilityDisplayShouldDifferentiateWithoutColor;
    return p;
}

} // namespace AccessibilityPrefs::detail
