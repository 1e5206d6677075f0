#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Path helpers shared by every layer. Paths are plain strings.
namespace Paths {

// The current user's home folder, canonical (symbolic links resolved), without a trailing "/".
// Read afresh on every call so tests can point HOME elsewhere.
QString home();

// "~" and "~/…" become the home folder; every other path is returned unchanged.
QString expandTilde(const QString& path);

// A leading home folder becomes "~" ("/Users/al/x" → "~/x"); a path that merely starts with the
// same letters ("/Users/alex") or holds home elsewhere is left alone.
QString abbreviateHome(const QString& path);

// Resolves symbolic links in the longest existing prefix of an absolute path and appends the
// rest, cleaned of "." and ".." pieces and repeated "/". A rest that holds ".." is kept as it is:
// like the system, a path through a missing folder does not lead anywhere ("a/missing/../b" is
// not "a/b"), so the result names nothing that exists. A path holding a NUL is returned as it
// is. Never strips "/private".
QString resolveSymlinks(const QString& path);

// Where the item at an absolute path really lies: the links among its parent folders resolved,
// its own last component kept as it is (an item that is itself a link is moved or removed as
// the link, so the link is not followed). A relative path is returned unchanged. For judging
// where an item lies and for listing it there; never for moving it later, since a folder on the
// way may have been swapped for a link meanwhile (the moves open every folder from "/" without
// following links).
QString resolveParent(const QString& path);

// The system's resolution (realpath) of a raw absolute path: every link followed, "." and ".."
// applied; empty when the path does not resolve (something on the way is missing).
QByteArray realPath(const QByteArray& path);

// Lexical clean-up of an absolute path: repeated "/" folded, "." dropped, ".." pops a piece
// (never above "/"), no trailing "/". A relative path is returned unchanged.
QString clean(const QString& path);

// Whether `path` lies strictly below the folder `folder`, as a string test (nothing is resolved,
// "." and ".." are not applied): "/a/b" is below "/a" and "/", "/ab" is not below "/a", "/a" is
// not below itself. A trailing "/" on either does not change what it names ("/a/" is "/a"), an
// empty folder holds nothing. The same for raw byte paths.
bool isBelow(QStringView path, QStringView folder);
bool isBelow(QByteArrayView path, QByteArrayView folder);
// isBelow, or the same path.
bool equalsOrBelow(QStringView path, QStringView folder);
bool equalsOrBelow(QByteArrayView path, QByteArrayView folder);

// The last path component ("/a/b/" → "b").
QString lastComponent(const QString& path);

} // namespace Paths
