#include "models/CleanupCategory.h"

QString rawValue(CleanupCategory category)
{
    switch (category) {
    case CleanupCategory::recommended: return QStringLiteral("Recommended");
    case CleanupCategory::browsers: return QStringLiteral("Browser caches");
    case CleanupCategory::developer: return QStringLiteral("Developer caches");
    case CleanupCategory::buildArtifacts: return QStringLiteral("Build artifacts");
    case CleanupCategory::custom: return QStringLiteral("Custom folders");
    }
    return {};
}

const QList<CleanupCategory>& allCleanupCategories()
{
    static const QList<CleanupCategory> all{CleanupCategory::recommended, CleanupCategory::browsers,
                                            CleanupCategory::developer, CleanupCategory::buildArtifacts,
                                            CleanupCategory::custom};
    return all;
}

std::optional<CleanupCategory> CleanupCategoryFromRaw(const QString& raw)
{
    for (CleanupCategory c : allCleanupCategories()) {
        if (rawValue(c) == raw)
            return c;
    }
    return std::nullopt;
}
