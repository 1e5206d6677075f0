#include "services/ProjectScanner.h"

#include "models/BuildArtifactType.h"
#include "platform/FileWalker.h"
#include "platform/RawPath.h"
#include "services/Finder.h"
#include "services/Scanner.h"

#include <QDateTime>
#include <QHash>

#include <sys/stat.h>

namespace {

// The folder's own date and whether it is a link, without following it.
struct Own {
    bool isLink = false;
    std::optional<QDateTime> modified;
};

Own ownAttributes(const QByteArray& path)
{
    Own own;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return own;
    own.isLink = S_ISLNK(st.st_mode);
    own.modified = QDateTime::fromMSecsSinceEpoch(FileWalker::modifiedMs(st), Qt::UTC);
    return own;
}

} // namespace

namespace ProjectScanner {

void scan(const QStringList& roots, const QStringList& ignore, int minAgeDays, const CancelToken& token,
          const Progress& onProgress, const Found& onFound)
{
    const QList<BuildArtifactType>& kinds = BuildArtifactType::all();
    QHash<QString, const BuildArtifactType*> byId;
    for (const BuildArtifactType& kind : kinds)
        byId.insert(kind.id, &kind);

    const QList<Finder::TypedHit> hits =
        Finder::discoverByType(roots, kinds, ignore, minAgeDays, QDateTime::currentDateTimeUtc());
    int count = 0;
    for (const Finder::TypedHit& hit : hits) {
        if (token.isCancelled())
            return;
        const BuildArtifactType* kind = byId.value(hit.typeID);
        if (!kind)
            continue;
        const Own own = ownAttributes(hit.path);
        // Moving a found link moves the link alone; what it leads to stays and frees nothing.
        const qint64 size = own.isLink ? 0 : Scanner::directorySize(hit.path);
        ++count;
        if (onProgress)
            onProgress(count);
        if (onFound)
            onFound(ProjectDir{RawPath::key(hit.path), kind->id, kind->label, kind->symbol, size, own.modified});
    }
}

} // namespace ProjectScanner
