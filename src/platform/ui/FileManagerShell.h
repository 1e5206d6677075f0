#pragma once
#include <QIcon>
#include <QString>
#include <QUrl>

#include <functional>

// The desktop's file manager and default applications: show an item in its folder, open an item
// with its default application, open a web or settings address. Off macOS "reveal" asks the file
// manager over D-Bus (org.freedesktop.FileManager1.ShowItems) and otherwise opens the item's
// folder. Tests replace the desktop through the handler, so nothing is ever opened by a test.
namespace FileManagerShell {

enum class Action { Reveal, Open, OpenUrl };

// Selects `path` in a file-manager window.
void reveal(const QString& path);
// Opens `path` with its default application.
void open(const QString& path);
// Opens `url` (web page, settings pane, "trash:/" …) with the desktop.
void openUrl(const QUrl& url);

// The name of the reveal action in menus and tooltips: "Reveal in Finder" on macOS, "Show in File
// Manager" elsewhere (translated).
QString revealLabel();
// The same for a project's folder: "Reveal project in Finder" on macOS, "Show Project in File
// Manager" elsewhere (translated).
QString revealProjectLabel();

// The address that shows the user's Trash in the file manager.
QUrl trashUrl();

// The icon the desktop shows for the item at `path` (an application's own icon on macOS); a
// null icon where the desktop has none of its own for it (an application bundle elsewhere).
QIcon itemIcon(const QString& path);

// For tests: every action goes to `handler` instead (with the path, or the URL as text).
// An empty handler restores the desktop.
using Handler = std::function<void(Action, const QString&)>;
void setHandlerForTesting(Handler handler);

} // namespace FileManagerShell
