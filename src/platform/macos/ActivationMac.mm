#import <AppKit/AppKit.h>

namespace ActivationMac {

void setAccessoryPolicy() { [NSApp setActivationPolicy:NSApplicationActivationPolicyAccessory]; }

void activateIgnoringOtherApps() { [NSApp activateIgnoringOtherApps:YES]; }

} // namespace ActivationMac
