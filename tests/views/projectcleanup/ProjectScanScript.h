#pragma once
// A stand-in for the project scan that a test drives step by step (see StepScript): a count, a
// folder or the end.
#include "StepScript.h"
#include "views/projectcleanup/ProjectCleanupModel.h"

// What a project scan was started with.
struct ProjectScanStart {
    QStringList roots;
    QStringList ignore;
    int minAgeDays = 0;
};

class ProjectScanScript : public StepScript<ProjectScanStart, int, ProjectDir> {
public:
    ProjectCleanupModel::ScanFunction function()
    {
        return [state = state()](const QStringList& roots, const QStringList& ignore, int minAgeDays, const CancelToken& token,
                      const ProjectScanner::Progress& onProgress, const ProjectScanner::Found& onFound) {
            run(state, ProjectScanStart{roots, ignore, minAgeDays}, token, [&](const Step& step) {
                if (const int* count = std::get_if<int>(&step))
                    onProgress(*count);
                else
                    onFound(std::get<ProjectDir>(step));
            });
        };
    }

    // A count and a folder, as the real scan reports each folder.
    void found(int count, const ProjectDir& dir, int index = -1)
    {
        push(count, index);
        push(dir, index);
    }
};

// A folder built by hand.
inline ProjectDir projectDir(const QString& path, const QString& kind, qint64 size,
                             std::optional<QDateTime> modified = std::nullopt)
{
    return ProjectDir{path, kind, kind, QStringLiteral("shippingbox.fill"), size, modified};
}
