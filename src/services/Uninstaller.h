#pragma once
#include "models/CleanRecord.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// The app the user chose to uninstall.
struct AppInfo {
    QString name; // the bundle's name, or the file name without ".app"
    std::optional<QString> bundleID; // absent when the path is no bundle or names none
    QString appPath; // the path as chosen
    friend bool operator==(const AppInfo&, const AppInfo&) = default;
};
Q_DECLARE_METATYPE(AppInfo)

// One thing the uninstall can move to the Trash: the app itself or one of its leftovers.
struct UninstallItem {
    QUuid id = QUuid::createUuid();
    QString label; // the kind of item, e.g. "Application", "App cache"
    QString path; // absolute
    qint64 size = 0; // allocated bytes when found
    bool isBundle = false;
    friend bool operator==(const UninstallItem&, const UninstallItem&) = default;
};
Q_DECLARE_METATYPE(UninstallItem)

// Finds an app's leftovers in the user's Library folder and moves what the user keeps selected
// to the Trash. Stateless; every function blocks while it touches the file system.
//
// The candidate paths are made from the app's name and identifier, which come from inside the
// app: a value that is not a single plain path component is not used, every leftover must pass
// the safety rule where it really lies, and the app itself must be a "….app" folder in no
// protected place. `remove` checks each path again right before it moves it.
namespace Uninstaller {

struct Removal {
    qint64 freed = 0;
    QList<TrashedItem> trashed;
    QStringList changed; // paths not moved because they changed since they were listed
    friend bool operator==(const Removal&, const Removal&) = default;
};

// Reads the bundle at `appPath`. Never fails.
AppInfo inspect(const QString& appPath);

// The app itself and its existing leftovers, in the order of the candidate table, each sized.
QList<UninstallItem> leftovers(const AppInfo& app);

// Moves each path that may be removed to the Trash, in order, from where it was listed: every
// folder on the way is opened without following a link and the rule is applied where the move
// finds it (Cleaner::trashPicked). Paths that are refused or fail are skipped, those that changed
// since they were listed are named in `changed`. `freed` counts the sizes measured just before
// the moves that succeeded.
Removal remove(const QStringList& paths);

// Whether a name or identifier can stand as one path component: not empty, no "/", no NUL,
// not "." or "..".
bool isPlainComponent(const QString& value);

// Whether the item at `path` may be moved to the Trash: the tools' rule for the uninstaller
// (Cleaner::canTrashOnRequest), where it really lies (links among its parents resolved) and,
// for a link, where it leads: it passes the safety rule, or it is an application bundle there.
bool mayRemove(const QString& path);

// Whether `path` is an application bundle that may be removed: its name ends in ".app", it is a
// folder (not a link to one), and where it really lies is no protected place.
bool isRemovableBundle(const QString& path);

} // namespace Uninstaller
