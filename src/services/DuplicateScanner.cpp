#include "services/DuplicateScanner.h"

#include "platform/FileWalker.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "platform/Sha256.h"
#include "platform/WalkPool.h"

#include <QHash>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <dirent.h>
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
    qint64 total = 0;
    for (qsizetype i = 1; i < group.files.size(); ++i)
        total += group.files[i].size;
    return total;
}

namespace DuplicateScanner {
namespace {

// What the walk keeps of one listed folder: its regular files and its subfolders, each in
// listing order, and where the subfolders fall between the files. Walked in pre-order afterwards,
// this gives the files in the order of a depth-first walk, whichever order the folders were
// listed in.
struct ListedFolder {
    struct File {
        std::string name;
        qint64 allocated;
        qint64 bytes;
        dev_t device;
        ino_t inode;
    };
    struct Sub {
        size_t filesBefore; // files listed before it
        std::unique_ptr<ListedFolder> folder;
    };
    std::string path;
    std::vector<File> files;
    std::vector<Sub> subfolders;
};

// One file of the walk, in place in its folder's listing; its full path is built only for the
// files that are reported or read.
struct Found {
    const ListedFolder* folder;
    const ListedFolder::File* file;

    std::string path() const { return FileWalker::detail::childPath(folder->path, file->name); }
};

using Walk = FileWalker::FolderWalk<ListedFolder*>;

// Lists one folder's regular files and enters its subfolders (hidden ones are not listed).
// Returns how many files it kept.
size_t listFolder(Walk::Visit& visit, const CancelToken& token)
{
    ListedFolder& out = *visit.data;
    out.path.assign(visit.path);
    const FileWalker::Listing& listing = *visit.listing;
    for (size_t i = 0; i < listing.size(); ++i) {
        if (token.isCancelled())
            break;
        const unsigned char type = listing.type(i);
        if (type != DT_DIR && type != DT_REG && type != DT_UNKNOWN)
            continue; // links and special files
        struct stat st {};
        if (type != DT_DIR && ::fstatat(visit.fd, listing.cName(i), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (type == DT_DIR || S_ISDIR(st.st_mode)) {
            auto sub = std::make_unique<ListedFolder>();
            visit.enter(i, sub.get());
            out.subfolders.push_back(ListedFolder::Sub{out.files.size(), std::move(sub)});
        } else if (S_ISREG(st.st_mode)) {
            out.files.push_back(ListedFolder::File{std::string(listing.name(i)), qint64(st.st_blocks) * 512,
                                                   qint64(st.st_size), st.st_dev, st.st_ino});
        }
    }
    return out.files.size();
}

// The files of the tree in depth-first pre-order (a folder's entries in listing order, each
// subfolder's files where it stands among them).
std::vector<Found> inWalkOrder(const ListedFolder& root, size_t count)
{
    std::vector<Found> out;
    out.reserve(count);
    struct At {
        const ListedFolder* folder;
        size_t file = 0;
        size_t sub = 0;
    };
    std::vector<At> stack{At{&root}};
    while (!stack.empty()) {
        At& at = stack.back();
        const ListedFolder& f = *at.folder;
        const size_t until = at.sub < f.subfolders.size() ? f.subfolders[at.sub].filesBefore : f.files.size();
        for (; at.file < until; ++at.file)
            out.push_back(Found{&f, &f.files[at.file]});
        if (at.sub < f.subfolders.size())
            stack.push_back(At{f.subfolders[at.sub++].folder.get()}); // `at` is not used after this
        else
            stack.pop_back();
    }
    return out;
}

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
    return ScannedFile{QByteArray::fromStdString(f.path()), f.file->allocated, quint64(f.file->device),
                       quint64(f.file->inode)};
}

// Hashes a fixed list of files on helper threads, in list order as far as possible; the caller
// waits for each result in turn.
class Hasher {
public:
    Hasher(const std::vector<const Found*>& files, const CancelToken& token, int threads)
        : m_files(files), m_token(token), m_results(files.size()), m_ready(files.size(), 0)
    {
        const int n = std::min<int>(std::max(1, threads), int(files.size()));
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
            const Sha256::FileDigest d =
                Sha256::ofRawPath(m_files[i]->path().c_str(), kReadChunk, [this] { return m_token.isCancelled(); });
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
    // Folders are listed in parallel on the walking pool; the files are put in the order of a
    // depth-first walk afterwards. Progress counts the files kept so far, whatever their order.
    FileWalker::Options options;
    options.sorted = true;
    options.skipHidden = true; // hidden: neither listed nor entered
    Walk walk(options, &WalkPool::shared());
    std::atomic<size_t> kept{0};
    auto eachFolder = [&](Walk::Visit& visit) {
        if (!visit.listed || token.isCancelled())
            return;
        const size_t n = listFolder(visit, token);
        const size_t before = kept.fetch_add(n, std::memory_order_relaxed);
        if ((before + n) / kProgressStep != before / kProgressStep)
            walk.wake();
    };
    size_t reported = 0;
    const auto report = [&] {
        if (token.isCancelled()) {
            walk.stop();
            return;
        }
        while (reported + kProgressStep <= kept.load(std::memory_order_relaxed)) {
            reported += kProgressStep;
            if (onProgress)
                onProgress(int(reported));
        }
    };
    ListedFolder tree;
    if (!walk.run(rootPath, &tree, eachFolder, report))
        return;
    report();
    if (token.isCancelled())
        return;
    const std::vector<Found> files = inWalkOrder(tree, kept.load());
    if (onProgress)
        onProgress(int(files.size()));

    // The largest files, ties in walk order.
    std::vector<size_t> order(files.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto larger = [&](size_t a, size_t b) {
        const qint64 sa = files[a].file->allocated, sb = files[b].file->allocated;
        return sa != sb ? sa > sb : a < b;
    };
    const size_t keep = std::min(order.size(), size_t(kLargestCount));
    std::partial_sort(order.begin(), order.begin() + qsizetype(keep), order.end(), larger);
    FileScanResult result;
    result.largest.reserve(qsizetype(keep));
    for (size_t i = 0; i < keep; ++i)
        result.largest.append(scanned(files[order[i]]));
    if (onResult)
        onResult(result);

    // Size classes: files of the same length, largest first; within a class walk order, and each
    // (device, inode) only by its first path. Identical contents have identical lengths, while
    // their allocated sizes may differ (a sparse copy of a file allocates less).
    std::vector<const Found*> candidates;
    for (const Found& f : files) {
        if (f.file->bytes >= kMinimumDuplicateSize)
            candidates.push_back(&f);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Found* a, const Found* b) { return a->file->bytes > b->file->bytes; });
    std::vector<std::vector<const Found*>> toCompare;
    for (size_t from = 0, to = 0; from < candidates.size(); from = to) {
        to = from + 1;
        while (to < candidates.size() && candidates[to]->file->bytes == candidates[from]->file->bytes)
            ++to;
        if (to - from < 2)
            continue;
        std::vector<const Found*> distinct;
        std::set<std::pair<dev_t, ino_t>> seen;
        for (size_t i = from; i < to; ++i) {
            if (seen.insert({candidates[i]->file->device, candidates[i]->file->inode}).second)
                distinct.push_back(candidates[i]);
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
                auto it =
                    std::find_if(byDigest.begin(), byDigest.end(), [&](const auto& p) { return p.first == digest; });
                if (it == byDigest.end())
                    byDigest.push_back({digest, {scanned(*f)}});
                else
                    it->second.append(scanned(*f));
            }
            bool added = false;
            for (auto& [digest, list] : byDigest) {
                if (list.size() >= 2) {
                    const qint64 size = list.first().size; // the allocated size of the first copy
                    groups.append(DuplicateGroup{Sha256::hex(digest), size, std::move(list)});
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
