#pragma once
#include <QString>

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
// rest, cleaned of "." and ".." pieces and repeated "/". Never strips "/private".
QString resolveSymlinks(const QString& path);

// Where the item at an absolute path really lies: the links among its parent folders resolved,
// its own last component kept as it is (an item that is itself a link is moved or removed as
// the link, so the link is not followed). A relative path is returned unchanged.
QString resolveParent(const QString& path);

// Lexical clean-up of an absolute path: repeated "/" folded, "." dropped, ".." pops a piece
// (never above "/"), no trailing "/". A relative path is returned unchanged.
QString clean(const QString& path);

// The last path component ("/a/b/" → "b").
QString lastComponent(const QString& path);

} // namespace Paths
