#pragma once
#include <QList>
#include <QString>

#include <optional>

// The sections targets are grouped into, in display order.
enum class CleanupCategory { recommended, browsers, developer, buildArtifacts, custom };

// The section title, which is also the stored raw value.
QString rawValue(CleanupCategory category);
// Exact match of a raw value (letter case included); any other text gives no category.
std::optional<CleanupCategory> CleanupCategoryFromRaw(const QString& raw);
const QList<CleanupCategory>& allCleanupCategories();
