#pragma once
#include <optional>

// The desktop's accessibility preferences that change how views draw and move.
// Off macOS: "reduce motion" is GNOME's enable-animations switched off (or KDE's animation speed
// set to instant); the desktop has no "reduce transparency" or "differentiate without colour",
// so both read false. Values are read once and kept for the life of the process.
namespace AccessibilityPrefs {

struct Prefs {
    bool reduceMotion = false;
    bool reduceTransparency = false;
    bool differentiateWithoutColor = false;
    friend bool operator==(const Prefs&, const Prefs&) = default;
};

Prefs current();
inline bool reduceMotion() { return current().reduceMotion; }
inline bool reduceTransparency() { return current().reduceTransparency; }
inline bool differentiateWithoutColor() { return current().differentiateWithoutColor; }

// For tests and renders: use `prefs` instead of the desktop's (no value: the desktop's again).
void overrideForTesting(std::optional<Prefs> prefs);

} // namespace AccessibilityPrefs
