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

// Lexical clean-up of an absolute path: repeated "/" folded, "." dropped, ".." pops a piece
// (never above "/"), no trailing "/". A relative path is returned unchanged.
QString clean(const QString& path);

// Whether `path` lies strictly below the folder `folder` (string test on cleaned paths:
// "/a/b" is below "/a" and "/", "/ab" is not below "/a", "/a" is not below itself).
bool isBelow(const QString& path, const QString& folder);

// The last path component ("/a/b/" → "b").
QString lastComponent(const QString& path);

} // namespace Paths
