#pragma once
#include <QString>

#include <optional>

// Application bundles ("….app" folders) as the system's bundle reader sees them: the
// information dictionary in "Contents/Info.plist" (or "Info.plist" at the top of a flat bundle).
namespace AppBundle {

struct Info {
    bool isBundle = false; // a folder at the path could be opened as a bundle
    std::optional<QString> name; // "CFBundleName", when it is a string
    std::optional<QString> identifier; // "CFBundleIdentifier", when it is a string
};

// Reads the bundle at `path`. Never fails: a path that is no folder gives no bundle.
Info read(const QString& path);

// Where the application picker starts: "/Applications" where the system has it, else the home
// folder.
QString applicationsFolder();

} // namespace AppBundle
