#pragma once
// A stand-in for the duplicate scan that a test drives step by step (see StepScript): a progress
// report, a result or the end.
#include "StepScript.h"
#include "views/largefiles/FileFinderModel.h"

class ScriptedScan : public StepScript<QString, int, FileScanResult> {
public:
    FileFinderModel::ScanFunction function()
    {
        return [state = state()](const QString& root, const CancelToken& token, const DuplicateScanner::Progress& onProgress,
                      const DuplicateScanner::ResultHandler& onResult) {
            run(state, root, token, [&](const Step& step) {
                if (const int* count = std::get_if<int>(&step))
                    onProgress(*count);
                else
                    onResult(std::get<FileScanResult>(step));
            });
        };
    }

    QString root(int index) { return started(index); }
    void progress(int count, int index = -1) { push(count, index); }
    void deliver(const FileScanResult& result, int index = -1) { push(result, index); }
};

// Results built by hand.
inline ScannedFile file(const QString& path, qint64 size) { return ScannedFile{path.toUtf8(), size}; }
inline DuplicateGroup group(const QString& id, qint64 size, const QList<ScannedFile>& files)
{
    return DuplicateGroup{id, size, files};
}
