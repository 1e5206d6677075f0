#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The user's Trash: move an item there, put it back, and tell whether a path already lies in it.
//
// Off macOS this is the desktop's Trash in the freedesktop.org Trash layout
// ($XDG_DATA_HOME/Trash with "files" and "info", and "$topdir/.Trash-$uid" on other volumes), done
// on descriptors: the item is moved by `renameat` from a folder the caller holds open, its record
// is put in place first (complete: written under a temporary name, then linked to its own), and
// a failure leaves the item where it was. On macOS the system's
// own call does the move.
namespace Trash {

// Moves the item `name` of the folder open at `parentFd` to the Trash, without following a link
// (a link, dangling or not, is moved as itself), and returns the absolute path it got there; no
// value when it was not moved (it is then still where it was). `parentPath` is that folder's
// path, recorded as the item's original place. Items on another volume than the home Trash go to
// that volume's own Trash folder (their record names them relative to the volume's top folder),
// or are not moved when there is none to be had. An item that
// already lies in a Trash folder (see foldersNear), is one, or holds one is never moved.
//
// `beforeMove`, when given, is told the item's path in the Trash once its record is in place and
// before the item moves; when it answers false nothing moves (and the record goes). On macOS,
// where the system picks the place while it moves, it is told right after the move instead.
using BeforeMove = std::function<bool(const QString& trashPath)>;
std::optional<QString> moveToTrashAt(int parentFd, const QByteArray& parentPath, const QByteArray& name,
                                     const BeforeMove& beforeMove = {});

// The same for an absolute path. The folders leading to the item are opened one at a time
// without following a link (see NoFollow; links in the home folder's own path are followed), so
// a link planted or swapped in on the way makes the move fail rather than go elsewhere: pass the
// path with its folders resolved (as Cleaner::isSafe was asked about), the item itself as it is.
std::optional<QString> moveToTrash(const QString& path);
// For names that are not valid UTF-8: the path as raw bytes.
std::optional<QString> moveToTrash(const QByteArray& path);
inline std::optional<QString> moveToTrash(const char* path) { return moveToTrash(QByteArray(path)); }

// How a put-back went: the item is back, or why it stayed in the Trash.
struct PutBackResult {
    enum class Outcome {
        restored,
        occupied, // something is at the original place already
        notInTrash, // nothing is left at the path in the Trash
        failed, // the system refused (see `error`)
    };
    Outcome outcome = Outcome::failed;
    int error = 0; // errno of a refusal
    explicit operator bool() const { return outcome == Outcome::restored; }
};

// Moves the item at `trashPath` back to `original`, making the folders that lead to it (without
// following a link). Never replaces anything at `original`. Off macOS only the item that was
// trashed goes back: its Trash record must name `original` byte for byte (the record's Path,
// absolute or relative to the volume's top folder); an item in that slot without a record, or
// with a record naming another place (the Trash was emptied and the name given to something else
// since), counts as not in the Trash and is left where it is with its record. On success the
// record is removed as well. When `original` holds a name that is not valid UTF-8 (shown with
// replacement characters), the record gives the raw name. On macOS, whose Trash keeps no such
// record, `original` is taken as it is.
PutBackResult putBack(const QString& trashPath, const QString& original);

// The Trash folders of the user: the desktop's Trash ($XDG_DATA_HOME/Trash, or
// ~/.local/share/Trash) and ~/.Trash.
QStringList folders();

// The user's Trash folders with their links resolved, and those of the volume holding `path`
// (its "$topdir/.Trash-$uid" and "$topdir/.Trash" off macOS), as raw absolute paths, whether
// they exist or not: the places that a clearing must leave alone.
QList<QByteArray> foldersNear(const QByteArray& path);

// Whether `path` lies inside one of the user's Trash folders or a volume's Trash folder (the
// folders themselves are not inside). Compares both the path as given and with the links of its
// parent folders resolved.
bool isInTrash(const QString& path);
bool isInTrash(const QByteArray& path);
inline bool isInTrash(const char* path) { return isInTrash(QByteArray(path)); }

// ---- Emptying

// The two parts of a Trash folder of the desktop's kind: the items, and their records.
enum class Part { none, files, info };

// Which part of one of the user's Trash folders of that kind `path` (raw, absolute, links
// resolved) is: the "files" or "info" folder of the home Trash, or of the Trash folder of the
// volume holding it ("$topdir/.Trash/$uid", "$topdir/.Trash-$uid"). None on macOS.
Part partOf(const QByteArray& path);

// The same part of the user's Trash folders on the other mounted volumes (those MountedVolumes
// lists) that exist as real folders of the user, as raw paths; none on macOS.
QList<QByteArray> otherVolumeParts(Part part);

// Empties the part at `path` (see partOf) for good, opening every folder without following a
// link and never leaving its file system. Of "files", each item goes whole: a folder inside it
// that its owner cannot write or list is made writable for the owner first (the folders a
// trashed Go module cache keeps read-only), and the item's record goes only once the item
// itself is gone, so that a client still lists whatever stays. Of "info", the records whose
// item is no longer in "files" go. Returns the paths of what stayed (items, or records that
// could not be removed); empty when everything went.
QList<QByteArray> emptyPart(const QByteArray& path);

// ---- Leftovers of a process that died while moving an item

// Removes from the "info" folder of the user's own Trash what a process of this program that
// ended while it moved an item left there: its temporary records (see moveToTrashAt) and the
// record one of them was linked to when that record's item never reached "files". Nothing of
// other programs is touched. A volume's Trash folder is swept so at the first move into it. None
// on macOS.
void removeLeftovers();

// Removes the record of the Trash item `trashPath` when that item is not in the Trash and the
// record names `original` (as putBack compares it): what is left when a move to the Trash
// announced the item and its process ended before the item moved. Whether a record went; never
// anything on macOS, whose Trash keeps no records.
bool forgetUnfilledRecord(const QString& trashPath, const QString& original);

} // namespace Trash
