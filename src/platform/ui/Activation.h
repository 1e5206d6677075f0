#pragma once

class QWidget;

// How the program presents itself to the desktop: an accessory without a Dock icon, brought
// forward over other applications when one of its windows opens.
namespace Activation {

// No Dock icon (macOS); nothing to do elsewhere, where a tray program has no such icon.
void setAccessoryPolicy();

// Activates the application ignoring other applications and, when given, raises `window` and
// makes it the active (key) window.
void activate(QWidget* window = nullptr);

} // namespace Activation
