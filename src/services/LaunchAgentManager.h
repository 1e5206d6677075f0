#pragma once
#include "platform/StartupEntries.h"

#include <QList>
#include <QMetaType>
#include <QString>

// One start-up entry file of the user.
struct StartupItem {
    QString id; // the file's full path; also the item's identity in lists
    QString label; // the entry's label, or the file name without its extension
    QString program; // the program it starts, or "—"
    bool enabled = false; // the system starts it at login
    QString fileName; // the file's name, for the move between the two folders
    friend bool operator==(const StartupItem&, const StartupItem&) = default;
};
Q_DECLARE_METATYPE(StartupItem)

// Lists the start-up entries and switches them off and on. Switching off never deletes: a launch
// agent is unloaded and its file moves into the "Disabled" folder (switching on moves it back and
// loads it); an autostart entry is switched by the keys of the user entry of its name (see
// AutostartEntry). Every function blocks its thread; none keeps state. `format` says which
// folders and which kind of entry (the platform's own unless a test picks one).
namespace LaunchAgentManager {

// The active entries, then the switched-off ones, each group sorted by label.
QList<StartupItem> list(const StartupEntries::Format& format = StartupEntries::native());

// Switches `item` on or off. A launch agent moves into the active (`on`) or the "Disabled"
// folder: true when it lies where it should afterwards as far as the file goes; false when the
// file could not be moved (a switch-off has unloaded it all the same), also when either folder
// is, or lies behind, a link below the folder the format starts from; launchctl's outcome does
// not count. An autostart entry: true when its keys say what was asked afterwards; false when
// the user entry could not be written or removed, or is not a regular file.
bool setEnabled(bool on, const StartupItem& item, const StartupEntries::Format& format = StartupEntries::native());

// The entries of one folder whose names end in the format's extension, sorted by label.
QList<StartupItem> plists(const QString& folder, bool enabled, const StartupEntries::Format& format);

// Runs launchctl with exactly [verb, path] and waits for it; output and status are ignored.
void launchctl(const QString& verb, const QString& path);

} // namespace LaunchAgentManager
