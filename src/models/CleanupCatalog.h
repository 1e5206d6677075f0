#pragma once
#include "models/CleanupTarget.h"

#include <QList>

// The fixed catalog of built-in targets and the folder-search targets made from project roots.
namespace CleanupCatalog {

// The 27 built-in targets, in display order; built once and shared.
const QList<CleanupTarget>& builtIn();

// The five build-folder searches over the given roots (category buildArtifacts).
QList<CleanupTarget> finderTargets(const QStringList& roots, const QStringList& ignore, int minAgeDays);

} // namespace CleanupCatalog
