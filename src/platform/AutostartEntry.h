#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Autostart entries as the freedesktop.org autostart rules have them: the desktop starts the
// entries of the user's $XDG_CONFIG_HOME/autostart and of each $XDG_CONFIG_DIRS/autostart
// (/etc/xdg/autostart), a user entry standing in for a system one of the same file name (and an
// earlier system folder for a later one). An entry whose "[Desktop Entry]" group says
// "Hidden=true" or "X-GNOME-Autostart-enabled=false" is switched off. So a system entry is
// switched off by a user entry of its name that says "Hidden=true", never by removing anything.
namespace AutostartEntry {

// Each absolute folder of $XDG_CONFIG_DIRS ("/etc/xdg" when unset or empty) followed by
// "/autostart", first one first.
QStringList systemFolders();

// Whether the entry's "[Desktop Entry]" group switches it off (see above).
bool isSwitchedOff(const QByteArray& text);
// The entry with "Hidden=true" in its "[Desktop Entry]" group, in place of any "Hidden" line
// there, after the group's last line; the rest stays as it was.
QByteArray switchedOff(const QByteArray& text);
// The entry without the lines of its "[Desktop Entry]" group that switch it off ("Hidden" with
// any value, "X-GNOME-Autostart-enabled=false"); the rest stays as it was.
QByteArray switchedOn(const QByteArray& text);
// Whether the user entry `user` does nothing but switch off the system entry `system`: with the
// switching lines taken out of both it is the same text, or its "[Desktop Entry]" group holds no
// other key.
bool onlyHides(const QByteArray& user, const QByteArray& system);

struct SystemEntry {
    QString path;
    QByteArray text;
};
// The entry of this file name that the system folders give (the first folder that has it as a
// regular file), or none.
std::optional<SystemEntry> systemEntry(const QStringList& folders, const QString& fileName);

// Writes `text` as the entry `fileName` of `folder` in one step: a new file beside it, renamed
// over it. The folder is made when missing and opened without following a link on the way;
// refused (false) when that fails, the name is not a plain file name, or something other than a
// regular file has the name (a link to an entry kept elsewhere is not replaced by a copy).
bool write(const QString& folder, const QString& fileName, const QByteArray& text);
// Removes the regular file `fileName` of `folder` (opened as above); true when nothing of that
// name is left, false when it could not be removed or is not a regular file.
bool remove(const QString& folder, const QString& fileName);

} // namespace AutostartEntry
