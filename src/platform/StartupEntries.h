#pragma once
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The start-up entries as this platform keeps them: one file per entry in a folder that the
// system reads at login.
//
// - Launch agents (macOS): property lists in ~/Library/LaunchAgents; the label is "Label", the
//   program is "Program" or else the first of "ProgramArguments". A switched-off agent waits in
//   the "Disabled" folder beside the active ones (the system does not read it); launchctl unloads
//   an agent before it is switched off and loads it after it is switched on.
// - Autostart entries (other desktops): desktop entries in $XDG_CONFIG_HOME/autostart and in the
//   system folders of $XDG_CONFIG_DIRS (see AutostartEntry); the label is "Name", the program the
//   first word of "Exec". An entry is switched off and on by the keys of a user entry of its name,
//   in place; the "Disabled" folder holds only what earlier versions moved there. The desktop
//   reads the folders at the next login, so there is no load or unload step.
namespace StartupEntries {

struct EntryInfo {
    std::optional<QString> label;
    std::optional<QString> program;
    bool switchedOff = false; // an autostart entry whose keys switch it off
};

struct Format {
    enum class Kind { LaunchAgents, Autostart };

    Kind kind = Kind::LaunchAgents;
    QString folder; // the active entries (the user's base folder with its links resolved)
    QString extension; // the end of an entry's file name (compared case-sensitively)
    QStringList systemFolders; // entries for every user that the user's own stand in for

    // Where switched-off entries lie: the "Disabled" folder inside the active one.
    QString disabledFolder() const { return folder + QStringLiteral("/Disabled"); }
    // Whether launchctl loads and unloads an entry when it is switched.
    bool usesLaunchctl() const { return kind == Kind::LaunchAgents; }
    // Whether an entry is switched by its keys, in place (else by moving it to "Disabled").
    bool switchesByKeys() const { return kind == Kind::Autostart; }
    // The label and program of the entry file at `path`; none of either when the file cannot be
    // read (not a regular file, too large, malformed) or does not name it.
    EntryInfo read(const QString& path) const;
    // The system's settings pane for apps that open at login, when there is one.
    std::optional<QUrl> loginItemsPane() const;
    // The footer note beside that pane's button (English source text, context
    // "StartupItemsView").
    const char* loginItemsNote() const;
};

// The launch agents of the user's home folder.
Format launchAgents();
// The autostart entries of the user's XDG config folder and of the system's.
Format autostart();
// The one this platform uses.
Format native();

// The label and program of a property list, as launch agents name them.
EntryInfo readLaunchAgent(const QString& path);
// The label and program of a desktop entry: "Name" and the first word of "Exec" in the group
// "[Desktop Entry]", and whether its keys switch it off.
EntryInfo readDesktopEntry(const QString& path);

} // namespace StartupEntries
