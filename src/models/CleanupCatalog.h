#pragma once
#include "models/CleanupTarget.h"
#include "platform/HostPlatform.h"

#include <QList>

// The fixed catalog of built-in targets and the folder-search targets made from project roots.
namespace CleanupCatalog {

using Platform = HostPlatform;

// The built-in targets this platform offers, in display order; built once and shared. On macOS
// these are the 27 targets at the system's own places; elsewhere the targets that have an
// equivalent on the desktop, at its places (the XDG base folders as they are set now).
const QList<CleanupTarget>& builtIn();
// The same for a given platform, so that both tables can be checked anywhere.
const QList<CleanupTarget>& builtIn(Platform platform);

// Whether the platform offers the built-in target `id` at all: a target whose data the platform
// never keeps is not offered there, and views leave out its switches. Ids the catalog does not
// know (folder searches, custom folders) count as offered.
bool isOffered(const QString& id);
bool isOffered(const QString& id, Platform platform);

// The five build-folder searches over the given roots (category buildArtifacts).
QList<CleanupTarget> finderTargets(const QStringList& roots, const QStringList& ignore, int minAgeDays);

} // namespace CleanupCatalog
