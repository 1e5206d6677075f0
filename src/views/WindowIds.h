#pragma once

// The program's window ids, written once: the scene table (DustletApp.cpp) gives each id its
// window, and the panel, the menu-bar label and the windows that close themselves name them
// from here.
namespace WindowId {
inline constexpr char settings[] = "settings";
inline constexpr char confirm[] = "confirm";
inline constexpr char diskmap[] = "diskmap";
inline constexpr char largefiles[] = "largefiles";
inline constexpr char projectcleanup[] = "projectcleanup";
inline constexpr char startup[] = "startup";
inline constexpr char snapshots[] = "snapshots";
inline constexpr char appupdates[] = "appupdates";
inline constexpr char uninstaller[] = "uninstaller";
inline constexpr char about[] = "about";
} // namespace WindowId
