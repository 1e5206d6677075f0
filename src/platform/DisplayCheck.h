#pragma once
#include <QString>

#include <optional>

// Whether the program has a display to show its tray icon and windows on.
namespace DisplayCheck {

// Off macOS, with the windowing platform left to its default (or set to the X11 or Wayland one):
// the message to print when there is no display to open (the toolkit would otherwise abort on its
// own). A display must be named by DISPLAY or WAYLAND_DISPLAY, and one of those named must answer.
// No value when one does, or the platform needs none (QT_QPA_PLATFORM=offscreen, for instance).
std::optional<QString> missingDisplayMessage();

} // namespace DisplayCheck
