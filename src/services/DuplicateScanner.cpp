#include "services/DuplicateScanner.h"

#include "platform/FileWalker.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "platform/Sha256.h"

#include <QHash>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/stat.h>

QString ScannedFile::id() const { return RawPath::key(rawPath); }
QString ScannedFile::path() const { return RawPath::display(rawPath); }
bool ScannedFile::pathRoundTrips() const { return RawPath::roundTrips(rawPath); }

size_t qHash(const ScannedFile& file, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, file.rawPath);
    return combine(seed, file.size);
}

qint64 reclaimableBytes(const DuplicateGroup& group)
{
    return group.files.isEmpty() ? 0 : group.size * (group.files.size() - 1);
}

namespace DuplicateScanner {
namespace {

struct Found {
    std::string path;
    qint64 allocated;
    qint64 bytes;
    dev_t device;
    ino_t inode;
};

QList<DuplicateGroup> sortedGroups(const QList<DuplicateGroup>& groups)
{
    QList<DuplicateGroup> out = groups;
    std::stable_sort(out.begin(), out.end(), [](const DuplicateGroup& a, const DuplicateGroup& b) {
        return reclaimableBytes(a) > reclaimableBytes(b);
    });
    return out;
}

ScannedFile scanned(const Found& f)
{
    return ScannedFile{QByteArray::fromStdString(f.path), f.allocated};
}

// Hashes a fixed list of files on helper threads, in list order as far as possible; the caller
// waits for each result in turn.
class Hasher {
public:
    Hasher(const std::vector<const Found*>& files, const CancelToken& token, int threads)
        : m_files(files), m_token(token), m_results(files.size()), m_ready(files.size(), 0)
    {
        const int n = std::max(1, std::min<int>(threads, int(files.size())));
        for (int t = 0; t < n; ++t)
            m_pool.emplace_back([this] { run(); });
    }
    ~Hasher()
    {
        m_next.store(m_files.size()); // nothing more gets picked up
        for (std::thread& t : m_pool)
            t.join();
    }
    // The digest of file i, or an empty array when it is left out; waits for it (or for the
    // token, which nobody signals here, hence the polling).
    QByteArray take(size_t i)
    {
        std::unique_lock lk(m_lock);
        while (!m_ready[i]) {
            if (m_token.isCancelled())
                return {};
            m_done.wait_for(lk, std::chrono::milliseconds(10));
        }
        return m_results[i];
    }

private:
    void run()
    {
        for (;;) {
            const size_t i = m_next.fetch_add(1);
            if (i >= m_files.size() || m_token.isCancelled())
                return;
            const Sha256::FileDigest d = Sha256::ofRawPath(m_files[i]->path.c_str(), kReadChunk,
                                                        [this] { return m_token.isCancelled(); });
            std::lock_guard g(m_lock);
            if (d.status == Sha256::FileStatus::Ok)
                m_results[i] = d.digest;
            m_ready[i] = 1;
            m_done.notify_all();
        }
    }

    const std::vector<const Found*>& m_files;
    const CancelToken& m_token;
    std::vector<QByteArray> m_results;
    std::vector<char> m_ready;
    std::atomic<size_t> m_next{0};
    std::mutex m_lock;
    std::condition_variable m_done;
    std::vector<std::thread> m_pool;
};

} // namespace

void scan(const QString& root, const CancelToken& token, const Progress& onProgress, const ResultHandler& onResult,
          int threads)
{
    std::string rootPath = RawPath::fromKey(Paths::expandTilde(root)).toStdString();
    // A root that is a link to a folder is the user's own pick and is followed: with a trailing
    // "/" the walk's open resolves it, while entries are still named below the path as given.
    // Links below the root stay leaves.
    struct stat rootStat {};
    if (::lstat(rootPath.c_str(), &rootStat) == 0 && S_ISLNK(rootStat.st_mode)
        && ::stat(rootPath.c_str(), &rootStat) == 0 && S_ISDIR(rootStat.st_mode))
        rootPath += '/';
    std::vector<Found> files;
    bool cancelled = false;

    FileWalker::Options options;
    options.sorted = true;
    options.statFiles = true;
    const bool walked = FileWalker::walk(rootPath, options, [&](const FileWalker::Entry& e) {
        if (token.isCancelled()) {
            cancelled = true;
            return FileWalker::Visit::Stop;
        }
        if (!e.name.empty() && e.name[0] == '.')
            return FileWalker::Visit::Skip; // hidden: neither listed nor entered
        if (e.kind == FileWalker::Kind::Folder)
            return FileWalker::Visit::Descend;
        if (e.kind != FileWalker::Kind::File || !e.hasStat)
            return FileWalker::Visit::Skip;
        files.push_back(Found{std::string(e.path), e.allocated(), qint64(e.st.st_size), e.st.st_dev, e.st.st_ino});
        if (files.size() % kProgressStep == 0 && onProgress)
            onProgress(int(files.size()));
        return FileWalker::Visit::Skip;
    });
    if (!walked || cancelled || token.isCancelled())
        return;
    if (onProgress)
        onProgress(int(files.size()));

    // The largest files, ties in walk order.
    std::vector<size_t> order(files.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto larger = [&](size_t a, size_t b) {
        return files[a].allocated != files[b].allocated ? files[a].allocated > files[b].allocated : a < b;
    };
    const size_t keep = std::min(order.size(), size_t(kLargestCount));
    std::partial_sort(order.begin(), order.begin() + qsizetype(keep), order.end(), larger);
    FileScanResult result;
    result.largest.reserve(qsizetype(keep));
    for (size_t i = 0; i < keep; ++i)
        result.largest.append(scanned(files[order[i]]));
    if (onResult)
        onResult(result);

    // Size classes: same allocated size and same content length, largest first; within a class
    // walk order, and each (device, inode) only by its first path.
    struct Key {
        qint64 allocated, bytes;
        bool operator<(const Key& o) const
        {
            return allocated != o.allocated ? allocated > o.allocated : bytes > o.bytes;
        }
    };
    std::map<Key, std::vector<const Found*>> classes;
    for (const Found& f : files) {
        if (f.bytes >= kMinimumDuplicateSize)
            classes[Key{f.allocated, f.bytes}].push_back(&f);
    }
    std::vector<std::vector<const Found*>> toCompare;
    for (auto& [key, members] : classes) {
        if (members.size() < 2)
            continue;
        std::vector<const Found*> distinct;
        for (const Found* f : members) {
            const bool seen = std::any_of(distinct.begin(), distinct.end(), [&](const Found* d) {
                return d->device == f->device && d->inode == f->inode;
            });
            if (!seen)
                distinct.push_back(f);
        }
        if (distinct.size() >= 2)
            toCompare.push_back(std::move(distinct));
    }

    std::vector<const Found*> queue;
    for (const auto& c : toCompare)
        queue.insert(queue.end(), c.begin(), c.end());
    if (threads <= 0)
        threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));

    QList<DuplicateGroup> groups;
    {
        Hasher hasher(queue, token, threads);
        size_t at = 0;
        for (const auto& members : toCompare) {
            if (token.isCancelled())
                return;
            std::vector<std::pair<QByteArray, QList<ScannedFile>>> byDigest; // in order of first appearance
            for (const Found* f : members) {
                if (token.isCancelled())
                    return;
                const QByteArray digest = hasher.take(at++);
                if (digest.isEmpty())
                    continue; // unreadable, or stopped
                auto it = std::find_if(byDigest.begin(), byDigest.end(),
                                       [&](const auto& p) { return p.first == digest; });
                if (it == byDigest.end())
                    byDigest.push_back({digest, {scanned(*f)}});
                else
                    it->second.append(scanned(*f));
            }
            bool added = false;
            for (auto& [digest, list] : byDigest) {
                if (list.size() >= 2) {
                    groups.append(DuplicateGroup{Sha256::hex(digest), members.front()->allocated, std::move(list)});
                    added = true;
                }
            }
            if (token.isCancelled())
                return;
            if (added && onResult) {
                result.duplicates = sortedGroups(groups);
                onResult(result);
            }
        }
    }
    if (token.isCancelled())
        return;
    result.duplicates = sortedGroups(groups);
    if (onResult)
        onResult(result);
}

} // namespace DuplicateScanner
