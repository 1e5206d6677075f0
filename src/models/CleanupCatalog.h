#pragma once
#include "models/CleanupTarget.h"

#include <QList>

// The fixed catalog of built-in targets and the folder-search targets made from project roots.
namespace CleanupCatalog {

// The 27 built-in targets, in display order; built once and shared.
const QList<CleanupTarget>& builtIn();

// The five build-folder searches over the given roots (category buildArtifacts).
QList<CleanupTarget> finderTargets(const QStringList& roots, const QStringList& ignore, int minAgeDays);

// Whether this platform offers the built-in target `id` at all: a target whose data the platform
// never keeps is not offered there, and views leave out its switches. Unknown ids (custom folders,
// folder searches) count as offered.
bool isOffered(const QString& id);

// The same for a given platform, so that both tables can be checked anywhere.
enum class Platform { macOS, other };
bool isOffered(const QString& id, Platform platform);

} // namespace CleanupCatalog
