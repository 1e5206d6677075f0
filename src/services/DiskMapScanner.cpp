#include "services/DiskMapScanner.h"

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

std::string_view nameOf(const Record& r)
{
    return {r.name, r.nameLength};
}

// Sorts a complete folder's children and sets its size, category and folding.
void completeFolder(Record& folder)
{
    Record* kids = folder.children;
    const quint32 n = folder.childCount;
    std::stable_sort(kids, kids + n, [](const Record& a, const Record& b) { return a.size > b.size; });
    qint64 sum = 0;
    for (quint32 i = 0; i < n; ++i)
        sum += kids[i].size;
    folder.size = sum;
    folder.category = FileCategories::bundleOr(
        nameOf(folder),
        dominantCategory(n, [&](quint32 i) { return kids[i].category; }, [&](quint32 i) { return kids[i].size; }));
    folder.keptCount = keptCount([&](quint32 i) { return kids[i].size; }, n, sum);
}

struct Folder {
    Record* rec;
    Folder* parent; // null for a top-level child of the root (and for the root)
    int top;        // the root's entry this folder lies in; -1 for the root itself
    qint64 mtime;   // read by the parent's listing; applied only once this folder is listed
    dev_t device;   // the file system it lies on
    bool mountPoint; // a file system other than its parent's starts here
    std::atomic<int> pending{1}; // its own listing, then one per subfolder not yet complete
};

using Walk = FileWalker::FolderWalk<Folder*>;

struct Scan {
    const CancelToken& token;
    Store& store;
    Walk& walk;
    FileWalker::LinkSet links; // a file with several links is counted once, at the first met
    std::atomic<qint64> counted{0};
    std::atomic<quint64> listed{0};

    std::mutex lock;            // guards topDone
    std::vector<char> topDone;  // by the root's entry: complete (files are complete at once)

    Scan(const CancelToken& t, Store& s, Walk& w) : token(t), store(s), walk(w) {}
};

// Builds the records of one listed folder into a fresh block; its subfolders are entered into the
// walk, each as a Folder of its own.
void listFolder(Scan& scan, Folder& f, Walk::Visit& visit)
{
    const FileWalker::Listing& listing = *visit.listing;
    const std::string& names = listing.buffer();
    char* pool = nullptr;
    Record* block = scan.store.reserve(listing.size(), names.size(), &pool);
    if (!names.empty())
        std::memcpy(pool, names.data(), names.size());
    const bool isRoot = f.top < 0;
    quint32 built = 0;
    qint64 counted = 0; // added to the scan's counter once per folder, not per file
    for (size_t i = 0; i < listing.size(); ++i) {
        if (scan.token.isCancelled())
            break;
        Record& r = block[built];
        r.name = pool + listing.offset(i);
        r.nameLength = (unsigned short)listing.name(i).size();
        struct stat st;
        if (::fstatat(visit.fd, r.name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(st.st_mode)) {
                r.isDirectory = true;
                r.category = FileCategories::bundleOr(nameOf(r), FileCategory::other);
                const int top = isRoot ? int(built) : f.top;
                f.pending.fetch_add(1, std::memory_order_relaxed);
                visit.enter(i,
                            new Folder{&r, isRoot ? nullptr : &f, top, FileWalker::modifiedMs(st), st.st_dev,
                                       st.st_dev != f.device},
                            top);
            } else {
                r.size = scan.links.firstSight(st) ? qint64(st.st_blocks) * 512 : 0;
                r.modifiedMs = FileWalker::modifiedMs(st);
                r.category = FileCategories::forFile(nameOf(r));
                counted += r.size;
            }
        } else {
            r.category = FileCategories::forFile(nameOf(r)); // no values: a file of size 0, no date
        }
        ++built;
    }
    scan.counted.fetch_add(counted, std::memory_order_relaxed);
    f.rec->children = block;
    f.rec->childCount = built;
    f.rec->modifiedMs = f.mtime;
    scan.listed.fetch_add(1, std::memory_order_release);
}

// Called when a folder and everything below it are done; completes its parents in turn.
void finish(Scan& scan, Folder* f)
{
    while (f) {
        completeFolder(*f->rec);
        Folder* parent = f->parent;
        const int top = f->top;
        delete f;
        if (!parent) {
            {
                std::lock_guard g(scan.lock);
                scan.topDone[size_t(top)] = 1;
            }
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

QByteArray joinPath(const QByteArray& parent, const Record& child)
{
    QByteArray p = parent;
    if (!p.endsWith('/'))
        p += '/';
    p.append(child.name, child.nameLength);
    return p;
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
    Record* rootRec = store->reserve(1);
    {
        const QByteArray name = nodeName(rootPath);
        rootRec->name = store->addName(name.constData(), size_t(name.size()));
        rootRec->nameLength = quint16(std::min<qsizetype>(name.size(), 0xffff));
    }
    const auto node = [&] { return DiskNode(store, rootRec, rootPath); };

    std::string path = rootPath.toStdString();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        rootRec->category = FileCategories::forFile(nameOf(*rootRec)); // no values: a file of size 0
        return node();
    }
    // A root that is a link to a folder is the user's own pick and is followed (a trailing "/"
    // makes the walk's open resolve it); links below the root stay leaves.
    struct stat target {};
    const bool followRoot = S_ISLNK(st.st_mode) && ::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    if (followRoot)
        st = target;
    if (!S_ISDIR(st.st_mode)) {
        rootRec->size = qint64(st.st_blocks) * 512;
        rootRec->modifiedMs = FileWalker::modifiedMs(st);
        rootRec->category = FileCategories::forFile(nameOf(*rootRec));
        return node();
    }
    rootRec->isDirectory = true;
    rootRec->category = FileCategories::bundleOr(nameOf(*rootRec), FileCategory::other);
    if (token.isCancelled())
        return node(); // an empty folder of size 0, no date

    FileWalker::Options options;
    options.sorted = true;
    options.skipHidden = true;
    Walk walk(options, threads == 1 ? nullptr : &WalkPool::shared());
    Scan scan(token, *store, walk);
    Folder rootFolder{rootRec, nullptr, -1, FileWalker::modifiedMs(st), st.st_dev, false};

    // Top-level entries are handed over in listing order, each once it is complete. As on the way
    // through a list, the entry being waited for when the token is seen cancelled still belongs
    // to the tree; nothing after it does.
    Record* listing = nullptr;
    quint32 count = 0;
    quint32 next = 0;      // the entry to hand over next
    bool waiting = false;  // next is being waited for
    bool over = false;
    quint64 reported = 1;  // the root's own listing is not reported
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
        while (!over && next < count) {
            if (!waiting) {
                if (token.isCancelled()) {
                    over = true;
                    break;
                }
                waiting = true;
            }
            {
                std::lock_guard g(scan.lock);
                if (!scan.topDone[next])
                    break;
            }
            waiting = false;
            ++next;
            report();
            if (onChild && !token.isCancelled())
                onChild(DiskNode(store, &listing[next - 1], joinPath(rootPath, listing[next - 1])));
        }
        if (token.isCancelled())
            walk.stop(); // what is not listed yet stays empty
    };
    auto visit = [&](Walk::Visit& v) {
        if (v.data != &rootFolder) {
            visitFolder(scan, v);
            return;
        }
        // The root, on this thread, before anything below it.
        if (!v.listed || token.isCancelled())
            return;
        listFolder(scan, rootFolder, v);
        listing = rootRec->children;
        count = rootRec->childCount;
        scan.topDone.assign(count, 1);
        for (quint32 i = 0; i < count; ++i) {
            if (listing[i].isDirectory)
                scan.topDone[i] = 0;
        }
        waiting = count > 0 && !token.isCancelled();
    };
    if (!walk.run(followRoot ? path + '/' : path, &rootFolder, visit, handOver, std::chrono::milliseconds(20))
        || !listing) {
        rootRec->children = nullptr;
        rootRec->childCount = 0;
        return node(); // not listable (or cancelled meanwhile): an empty folder of size 0, no date
    }
    handOver();
    // Every folder has been visited by now (the walk waits for all), so all records are final.

    // The root's children: the entries handed over, in a block of their own so that the nodes
    // already delivered keep pointing at records that never move.
    const quint32 appended = next;
    Record* kids = store->reserve(std::max<quint32>(appended, 1));
    std::copy(listing, listing + appended, kids);
    rootRec->children = kids;
    rootRec->childCount = appended;
    completeFolder(*rootRec);
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
