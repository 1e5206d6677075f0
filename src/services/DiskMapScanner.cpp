#include "services/DiskMapScanner.h"

#include "models/DiskTree.h"
#include "platform/FileWalker.h"
#include "platform/MountedVolumes.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "platform/WalkPool.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DiskMapScanner {
namespace {

using DiskTree::Record;
using DiskTree::Store;

constexpr int kMaxKept = 60;
constexpr double kFoldShare = 0.004;
// A folder with more entries than twice this is statted in parts of about this many, by several
// threads at once.
constexpr size_t kPart = 2048;
// The root's entries are read in parts of about this many, each statted (and its entries handed
// over) while the next is being read.
constexpr size_t kRootPart = 1024;

// How many of the children (sorted largest first) stay visible.
template <typename SizeAt>
quint32 keptCount(SizeAt sizeAt, quint32 count, qint64 total)
{
    if (total < 1)
        return 0;
    const qint64 threshold = qint64(double(total) * kFoldShare);
    quint32 k = 0;
    while (k < count && k < quint32(kMaxKept) && sizeAt(k) >= threshold)
        ++k;
    return k;
}

template <typename CategoryAt, typename SizeAt>
FileCategory dominantCategory(quint32 count, CategoryAt categoryAt, SizeAt sizeAt)
{
    if (count == 0)
        return FileCategory::other;
    // Only categories that occur among the children compete (all sums may be 0).
    std::array<qint64, 9> sums{};
    std::array<bool, 9> present{};
    for (quint32 i = 0; i < count; ++i) {
        sums[size_t(categoryAt(i))] += sizeAt(i);
        present[size_t(categoryAt(i))] = true;
    }
    size_t best = size_t(categoryAt(0));
    for (size_t c = 0; c < sums.size(); ++c) {
        if (present[c] && sums[c] > sums[best])
            best = c;
    }
    return FileCategory(best);
}

std::string_view nameOf(const Store& store, const Record& r) { return {store.name(r), r.nameLength()}; }

// Largest first; equal sizes keep their order.
void sortBySize(Record* kids, quint32 n)
{
    const auto larger = [](const Record& a, const Record& b) { return a.size > b.size; };
    if (n <= 24) {
        for (quint32 i = 1; i < n; ++i) {
            const Record r = kids[i];
            quint32 j = i;
            for (; j > 0 && larger(r, kids[j - 1]); --j)
                kids[j] = kids[j - 1];
            kids[j] = r;
        }
        return;
    }
    if (std::is_sorted(kids, kids + n, larger))
        return;
    // Sorted by one number each, the size (below 16 TiB) above the place (below 2^20): unique, so
    // the plain sort keeps equal sizes in order; then moved into place once. Cheaper than moving
    // records through a merge sort.
    constexpr int kPlaceBits = 20;
    constexpr quint64 kSizeLimit = quint64(1) << (64 - kPlaceBits);
    bool fits = n < (quint32(1) << kPlaceBits);
    for (quint32 i = 0; fits && i < n; ++i)
        fits = kids[i].size < kSizeLimit;
    if (!fits) {
        std::stable_sort(kids, kids + n, larger);
        return;
    }
    thread_local std::vector<quint64> keys;
    thread_local std::vector<Record> moved;
    keys.resize(n);
    for (quint32 i = 0; i < n; ++i)
        keys[i] = ((kSizeLimit - 1 - kids[i].size) << kPlaceBits) | i;
    std::sort(keys.begin(), keys.end());
    moved.assign(kids, kids + n);
    const quint64 place = (quint64(1) << kPlaceBits) - 1;
    for (quint32 i = 0; i < n; ++i)
        kids[i] = moved[size_t(keys[i] & place)];
    if (keys.capacity() > 65536) { // a huge folder's buffers are not kept
        keys = {};
        moved = {};
    }
}

// Sorts a complete folder's children and sets its size, category and folding. Entries a stopped
// scan never got to (left without a name) are dropped first.
void completeFolder(Store& store, Record& folder, bool mayHaveGaps)
{
    Record* kids = store.children(folder);
    quint32 n = store.childCount(folder);
    if (mayHaveGaps && n > 0) {
        quint32 kept = 0;
        for (quint32 i = 0; i < n; ++i) {
            if (kids[i].nameLength() > 0)
                kids[kept++] = kids[i];
        }
        n = kept;
        store.record(folder.children)->size = n;
    }
    sortBySize(kids, n);
    qint64 sum = 0;
    for (quint32 i = 0; i < n; ++i)
        sum += qint64(kids[i].size);
    folder.size = quint64(sum);
    folder.setCategory(FileCategories::bundleOr(
        nameOf(store, folder),
        dominantCategory(
            n, [&](quint32 i) { return kids[i].category(); }, [&](quint32 i) { return qint64(kids[i].size); })));
    if (folder.children)
        store.setKept(folder.children, keptCount([&](quint32 i) { return qint64(kids[i].size); }, n, sum));
}

struct Folder {
    Record* rec;
    Folder* parent; // null for a top-level child of the root (and for the root)
    long long top; // the root's entry this folder lies in; -1 for the root itself
    qint64 mtime; // read by the parent's listing; applied only once this folder is listed
    dev_t device; // the file system it lies on
    bool mountPoint; // a file system other than its parent's starts here
    std::atomic<int> pending{1}; // its own listing (and its parts), then one per subfolder not yet complete
    std::atomic<bool> cut{false}; // a part of its listing was stopped: entries may be missing
};

using Walk = FileWalker::FolderWalk<Folder*>;

struct Scan {
    const CancelToken& token;
    Store& store;
    Walk& walk;
    const bool parallel; // on the walking pool (else all on the calling thread)
    FileWalker::LinkSet links; // a file with several links is counted once, at the first met
    std::atomic<qint64> counted{0};
    std::atomic<quint64> listed{0};

    // The root's entries, in listing order, as its parts are read; and which of them are
    // complete (a file at once, a folder with everything below it).
    std::mutex lock;
    std::vector<Record*> top;
    std::vector<char> topDone;
    bool rootListed = false; // all of the root's parts are in
    std::atomic<long long> wanted{-1}; // the root's entry the hand-over waits for

    Scan(const CancelToken& t, Store& s, Walk& w, bool p) : token(t), store(s), walk(w), parallel(p) {}

    // A top-level entry is complete: the thread waiting to hand it over is woken when it is the one.
    void topComplete(long long first, long long end)
    {
        {
            std::lock_guard g(lock);
            for (long long i = first; i < end; ++i) {
                const Record& r = *top[size_t(i)];
                if (!r.isDirectory() && r.nameLength() > 0) // a folder is complete with all below it
                    topDone[size_t(i)] = 1;
            }
        }
        const long long w = wanted.load(std::memory_order_acquire);
        if (w >= first && w < end)
            walk.wake();
    }
};

// Builds the records of entries [from, to) of a listed folder in place: `out` is the record of
// entry `from`, `names` (at arena offset `nameOffset`) where its name goes, the others' follow.
// Subfolders are entered through `enter(index, folder, rank)`; in the root, entry i is top-level
// entry `topBase` + i. False when the token stopped it (the records not built are left without a
// name, to be dropped).
template <typename Enter>
bool buildEntries(Scan& scan, Folder& f, int fd, const FileWalker::Listing& listing, size_t from, size_t to,
                  Record* out, char* names, quint64 nameOffset, Enter&& enter, long long topBase = 0)
{
    const bool isRoot = f.top < 0;
    qint64 counted = 0; // added to the scan's counter once per part, not per file
    bool stopped = false;
    for (size_t i = from; i < to; ++i) {
        Record& r = out[i - from];
        if (stopped || scan.token.isCancelled()) {
            r = DiskTree::blankRecord();
            stopped = true; // left nameless: not part of the tree
            continue;
        }
        const std::string_view name = listing.name(i);
        const size_t length = std::min(name.size(), Record::kMaxNameLength);
        std::memcpy(names, name.data(), length);
        struct stat st;
        if (::fstatat(fd, listing.cName(i), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(st.st_mode)) {
                // Its date and size come once it is listed.
                r = Record::make(0, DiskTree::kNoDate, FileCategories::bundleOr(name, FileCategory::other), true,
                                 nameOffset, length);
                const long long top = isRoot ? topBase + (long long)i : f.top;
                f.pending.fetch_add(1, std::memory_order_relaxed);
                enter(i,
                      new Folder{&r, isRoot ? nullptr : &f, top, FileWalker::modifiedMs(st), st.st_dev,
                                 st.st_dev != f.device},
                      top);
            } else {
                const quint64 size = scan.links.firstSight(st) ? quint64(st.st_blocks) * 512 : 0;
                r = Record::make(size, FileWalker::modifiedMs(st), FileCategories::forFile(name), false, nameOffset,
                                 length);
                counted += qint64(size);
            }
        } else {
            // No values: a file of size 0, no date.
            r = Record::make(0, DiskTree::kNoDate, FileCategories::forFile(name), false, nameOffset, length);
        }
        names += length;
        nameOffset += length;
    }
    scan.counted.fetch_add(counted, std::memory_order_relaxed);
    if (stopped)
        f.cut.store(true, std::memory_order_relaxed);
    return !stopped;
}

// Where each part of a listing starts: entry index and arena offset of its first name.
struct PartStart {
    size_t index;
    quint64 nameOffset;
};

std::vector<PartStart> partsOf(const FileWalker::Listing& listing, size_t part, quint64 nameOffset)
{
    std::vector<PartStart> starts;
    for (size_t i = 0; i < listing.size(); ++i) {
        if (i % part == 0)
            starts.push_back(PartStart{i, nameOffset});
        nameOffset += std::min(listing.name(i).size(), Record::kMaxNameLength);
    }
    return starts;
}

void finish(Scan& scan, Folder* f);

// A block for the records and names of a listing: its first record (after the header), or null
// for an empty listing or when the tree has no room left.
Record* reserveBlock(Scan& scan, const FileWalker::Listing& listing, quint32& header, quint64& nameOffset)
{
    const size_t n = listing.size();
    if (n == 0
        || !scan.store.reserve(quint32(std::min<size_t>(n, UINT32_MAX - 1)), listing.nameBytes(), &header, &nameOffset))
        return nullptr;
    return scan.store.record(header + 1);
}

// Lists one folder below the root into a fresh block; its subfolders are entered into the walk,
// each as a Folder of its own. A large folder is statted in parts by several threads; the last
// part to end completes the folder's own listing.
void listFolder(Scan& scan, Folder& f, Walk::Visit& visit)
{
    const FileWalker::Listing& listing = *visit.listing;
    f.rec->setModifiedMs(f.mtime);
    const size_t n = listing.size();
    quint32 header = 0;
    quint64 nameOffset = 0;
    Record* block = reserveBlock(scan, listing, header, nameOffset);
    if (!block)
        return; // empty, or no room left in the tree: the folder has no children
    f.rec->children = header;
    if (!scan.parallel || n <= 2 * kPart) {
        buildEntries(scan, f, visit.fd, listing, 0, n, block, scan.store.nameAt(nameOffset), nameOffset,
                     [&](size_t i, Folder* child, long long rank) { visit.enter(i, child, rank); });
        scan.listed.fetch_add(1, std::memory_order_release);
        return;
    }
    // The parts go before any folder still to be listed (rank -1), so that few folders wait with
    // parts queued, each holding its descriptor open.
    const std::vector<PartStart> parts = partsOf(listing, kPart, nameOffset);
    f.pending.fetch_add(int(parts.size()), std::memory_order_relaxed);
    const std::shared_ptr<Walk::Folder> shared = visit.share();
    for (size_t p = 0; p < parts.size(); ++p) {
        const size_t from = parts[p].index;
        const size_t to = p + 1 < parts.size() ? parts[p + 1].index : n;
        const quint64 at = parts[p].nameOffset;
        scan.walk.post(
            [&scan, &f, shared, from, to, at, block] {
            buildEntries(scan, f, shared->fd(), shared->listing(), from, to, block + from, scan.store.nameAt(at), at,
                         [&](size_t i, Folder* child, long long rank) { shared->enter(i, child, rank); });
            scan.listed.fetch_add(1, std::memory_order_release);
            scan.walk.wake(); // a large folder reports its progress part by part
            if (f.pending.fetch_sub(1, std::memory_order_acq_rel) == 1)
                finish(scan, &f);
            },
            -1);
    }
}

// Called when a folder and everything below it are done; completes its parents in turn.
void finish(Scan& scan, Folder* f)
{
    while (f) {
        completeFolder(scan.store, *f->rec, f->cut.load(std::memory_order_relaxed));
        Folder* parent = f->parent;
        const long long top = f->top;
        delete f;
        if (!parent) {
            {
                std::lock_guard g(scan.lock);
                scan.topDone[size_t(top)] = 1;
            }
            if (scan.wanted.load(std::memory_order_acquire) == top)
                scan.walk.wake();
            return;
        }
        if (parent->pending.fetch_sub(1, std::memory_order_acq_rel) != 1)
            return;
        f = parent;
    }
}

// One folder below the root, listed or not (stopped, unreadable, gone, a pseudo file system).
void visitFolder(Scan& scan, Walk::Visit& visit)
{
    Folder* f = visit.data;
    // /proc, /sys, /run and the like hold no disk space: a walk of the whole disk passes them by.
    if (visit.listed && !scan.token.isCancelled() && !(f->mountPoint && MountedVolumes::isPseudoFileSystem(visit.fd)))
        listFolder(scan, *f, visit);
    if (f->pending.fetch_sub(1, std::memory_order_acq_rel) == 1)
        finish(scan, f);
}

// One part of the root's listing, on the calling thread: its records go into a block of their
// own (the nodes handed over point at them for good), built here or, on the pool, by a worker
// while the next part is being read.
void listRootPart(Scan& scan, Folder& root, Walk::Visit& visit)
{
    const FileWalker::Listing& listing = *visit.listing;
    const size_t n = listing.size();
    quint32 header = 0;
    quint64 nameOffset = 0;
    Record* block = reserveBlock(scan, listing, header, nameOffset);
    if (!block)
        return;
    const long long first = (long long)visit.first;
    {
        std::lock_guard g(scan.lock);
        scan.top.resize(size_t(first) + n);
        scan.topDone.resize(size_t(first) + n, 0);
        for (size_t i = 0; i < n; ++i)
            scan.top[size_t(first) + i] = block + i;
    }
    const auto build =
        [&scan, &root, block, nameOffset, first, n](int fd, const FileWalker::Listing& l, const auto& enter) {
        buildEntries(scan, root, fd, l, 0, n, block, scan.store.nameAt(nameOffset), nameOffset, enter, first);
        scan.topComplete(first, first + (long long)n);
    };
    if (!scan.parallel || (visit.first == 0 && !visit.more)) {
        build(visit.fd, listing, [&](size_t i, Folder* child, long long rank) { visit.enter(i, child, rank); });
        return;
    }
    const std::shared_ptr<Walk::Folder> shared = visit.share();
    scan.walk.post(
        [shared, build] {
        build(shared->fd(), shared->listing(),
              [&](size_t i, Folder* child, long long rank) { shared->enter(i, child, rank); });
        },
        -1);
}

// The last component of a path ("/a/b/" → "b"); the whole path when that is empty ("/").
QByteArray nodeName(const QByteArray& path)
{
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    const qsizetype slash = path.lastIndexOf('/', end - 1);
    const QByteArray last = path.mid(slash + 1, end - slash - 1);
    return last.isEmpty() ? path : last;
}

} // namespace

DiskNode scanStreaming(const QString& root, const CancelToken& token, const Progress& onProgress,
                       const ChildDone& onChild, int threads)
{
    const QByteArray rootPath = RawPath::fromKey(Paths::expandTilde(root));
    auto store = std::make_shared<Store>();
    Record* rootRec = store->root();
    {
        const QByteArray name = nodeName(rootPath);
        quint32 unused = 0;
        quint64 at = 0;
        if (store->reserve(0, size_t(name.size()), &unused, &at)) {
            const size_t length = std::min<size_t>(size_t(name.size()), Record::kMaxNameLength);
            std::memcpy(store->nameAt(at), name.constData(), length);
            rootRec->setName(at, length);
        }
    }
    const auto node = [&] { return DiskNode(store, rootRec, rootPath); };
    const auto rootName = [&] { return nameOf(*store, *rootRec); };

    std::string path = rootPath.toStdString();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        rootRec->setCategory(FileCategories::forFile(rootName())); // no values: a file of size 0
        return node();
    }
    // A root that is a link to a folder is the user's own pick and is followed (a trailing "/"
    // makes the walk's open resolve it); links below the root stay leaves.
    struct stat target {};
    const bool followRoot = S_ISLNK(st.st_mode) && ::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    if (followRoot)
        st = target;
    if (!S_ISDIR(st.st_mode)) {
        rootRec->size = quint64(st.st_blocks) * 512;
        rootRec->setModifiedMs(FileWalker::modifiedMs(st));
        rootRec->setCategory(FileCategories::forFile(rootName()));
        return node();
    }
    rootRec->setDirectory(true);
    rootRec->setCategory(FileCategories::bundleOr(rootName(), FileCategory::other));
    if (token.isCancelled())
        return node(); // an empty folder of size 0, no date

    FileWalker::Options options;
    options.skipHidden = true;
    options.rootPart = kRootPart;
    const bool parallel = threads != 1;
    Walk walk(options, parallel ? &WalkPool::shared() : nullptr, threads > 1 ? threads : 0);
    Scan scan(token, *store, walk, parallel);
    Folder rootFolder{rootRec, nullptr, -1, FileWalker::modifiedMs(st), st.st_dev, false};

    // Top-level entries are handed over in listing order, each once it is complete. As on the way
    // through a list, the entry being waited for when the token is seen cancelled still belongs
    // to the tree; nothing after it does.
    size_t next = 0; // the entry to hand over next
    bool waiting = false; // next is being waited for
    bool over = false;
    bool rootSeen = false;
    quint64 reported = 0; // the root's own listing is not reported
    const auto report = [&] {
        const quint64 now = scan.listed.load(std::memory_order_acquire);
        if (now != reported && !token.isCancelled()) {
            reported = now;
            if (onProgress)
                onProgress(scan.counted.load(std::memory_order_relaxed));
        }
    };
    const auto handOver = [&] {
        report();
        while (!over) {
            const Record* rec = nullptr;
            {
                std::lock_guard g(scan.lock);
                if (next >= scan.top.size())
                    break;
                if (!waiting) {
                    if (token.isCancelled()) {
                        over = true;
                        break;
                    }
                    waiting = true;
                    scan.wanted.store((long long)next, std::memory_order_release);
                }
                if (!scan.topDone[next])
                    break;
                rec = scan.top[next];
            }
            waiting = false;
            ++next;
            report();
            if (onChild && !token.isCancelled())
                onChild(DiskNode::childOf(store, rec, rootPath));
        }
        if (token.isCancelled())
            walk.stop(); // what is not listed yet stays empty
    };
    auto visit = [&](Walk::Visit& v) {
        if (v.data != &rootFolder) {
            visitFolder(scan, v);
            return;
        }
        // A part of the root, on this thread, before anything below it.
        if (!v.listed || token.isCancelled())
            return;
        rootSeen = true;
        listRootPart(scan, rootFolder, v);
        handOver();
    };
    if (!walk.run(followRoot ? path + '/' : path, &rootFolder, visit, handOver, std::chrono::milliseconds(20))
        || !rootSeen) {
        rootRec->children = 0;
        return node(); // not listable (or cancelled meanwhile): an empty folder of size 0, no date
    }
    handOver();
    // Every folder has been visited by now (the walk waits for all), so all records are final.
    rootRec->setModifiedMs(rootFolder.mtime);

    // The root's children: the entries handed over, in a block of their own so that the nodes
    // already delivered keep pointing at records that never move.
    const quint32 appended = quint32(next);
    quint32 header = 0;
    quint64 unusedNames = 0;
    if (appended > 0 && store->reserve(appended, 0, &header, &unusedNames)) {
        Record* kids = store->record(header + 1);
        for (quint32 i = 0; i < appended; ++i)
            kids[i] = *scan.top[i];
        rootRec->children = header;
    }
    completeFolder(*store, *rootRec, false);
    return node();
}

QList<DiskNode> prune(const QList<DiskNode>& sortedChildren, qint64 parentTotal)
{
    const quint32 n = quint32(sortedChildren.size());
    const quint32 k = keptCount([&](quint32 i) { return sortedChildren[qsizetype(i)].size(); }, n, parentTotal);
    if (parentTotal < 1)
        return {};
    QList<DiskNode> kept = sortedChildren.mid(0, qsizetype(k));
    QList<DiskNode> folded = sortedChildren.mid(qsizetype(k));
    qint64 foldedSum = 0;
    for (const DiskNode& f : folded)
        foldedSum += f.size();
    if (foldedSum < 1)
        return kept;
    kept.append(DiskNode(sortedChildren.first().id() + QStringLiteral("#other"), QStringLiteral("(smaller items)"),
                         foldedSum, true, FileCategory::other, std::nullopt, true, folded));
    return kept;
}

} // namespace DiskMapScanner
