#pragma once
#include <QString>

// What the application bundle tells about itself. Off macOS the values are compiled in.
namespace Bundle {
QString identifier(); // empty when the program runs without one
QString shortVersion(); // "CFBundleShortVersionString"
QString build(); // "CFBundleVersion"
QString feedURL(); // "SUFeedURL"; empty for a development build
} // namespace Bundle
