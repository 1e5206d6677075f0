#include "services/DiskMapScanner.h"

#include "platform/FileWalker.h"
#include "platform/MountedVolumes.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
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

qint64 msOf(const struct stat& st)
{
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
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
    std::string path;
    Folder* parent; // null for a top-level child of the root
    int top;        // the root's entry this folder lies in; -1 for the root itself
    qint64 mtime;   // read by the parent's listing; applied only once this folder is listed
    dev_t device;   // the file system it lies on
    bool mountPoint; // a file system other than its parent's starts here
    std::atomic<int> pending{1};
};

struct Scan {
    const CancelToken& token;
    Store& store;
    std::atomic<qint64> counted{0};
    std::atomic<quint64> listed{0};

    std::mutex lock;
    std::condition_variable work;
    std::condition_variable done;
    std::map<int, std::vector<Folder*>> queued; // by top-level entry: the earliest entry goes first
    std::vector<char> topDone;
    bool quit = false;

    Scan(const CancelToken& t, Store& s) : token(t), store(s) {}
};

// Lists one folder into a fresh block of records; subfolders come back in `subfolders`.
// Returns false when the folder could not be listed.
bool listFolder(Scan& scan, Folder& f, std::vector<Folder*>& subfolders)
{
    if (scan.token.isCancelled())
        return false;
    const int fd = ::open(f.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    // /proc, /sys, /run and the like hold no disk space: a walk of the whole disk passes them by.
    if (f.mountPoint && MountedVolumes::isPseudoFileSystem(fd)) {
        ::close(fd);
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    FileWalker::Listing listing;
    listing.read(dir, /*sorted=*/true, /*skipHidden=*/true);
    const std::string& names = listing.buffer();

    char* pool = nullptr;
    Record* block = scan.store.reserve(listing.size(), names.size(), &pool);
    if (!names.empty())
        std::memcpy(pool, names.data(), names.size());
    const int dfd = ::dirfd(dir);
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
        if (::fstatat(dfd, r.name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(st.st_mode)) {
                r.isDirectory = true;
                r.category = FileCategories::bundleOr(nameOf(r), FileCategory::other);
                std::string path = f.path;
                if (path.empty() || path.back() != '/')
                    path.push_back('/');
                path.append(r.name, r.nameLength);
                subfolders.push_back(new Folder{&r, std::move(path), isRoot ? nullptr : &f,
                                                isRoot ? int(built) : f.top, msOf(st), st.st_dev,
                                                st.st_dev != f.device});
            } else {
                r.size = qint64(st.st_blocks) * 512;
                r.modifiedMs = msOf(st);
                r.category = FileCategories::forFile(nameOf(r));
                counted += r.size;
            }
        } else {
            r.category = FileCategories::forFile(nameOf(r)); // no values: a file of size 0, no date
        }
        ++built;
    }
    ::closedir(dir);
    scan.counted.fetch_add(counted, std::memory_order_relaxed);
    f.rec->children = block;
    f.rec->childCount = built;
    f.rec->modifiedMs = f.mtime;
    scan.listed.fetch_add(1, std::memory_order_release);
    return true;
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
            std::lock_guard g(scan.lock);
            scan.topDone[size_t(top)] = 1;
            scan.done.notify_all();
            return;
        }
        if (parent->pending.fetch_sub(1, std::memory_order_acq_rel) != 1)
            return;
        f = parent;
    }
}

// Lists one queued folder; hands its subfolders to `push`, and finishes it when it has none left.
template <typename Push>
void runFolder(Scan& scan, Folder* f, std::vector<Folder*>& subs, Push&& push)
{
    subs.clear();
    listFolder(scan, *f, subs);
    f->pending.fetch_add(int(subs.size()), std::memory_order_relaxed);
    for (Folder* s : subs)
        push(s);
    if (f->pending.fetch_sub(1, std::memory_order_acq_rel) == 1)
        finish(scan, f);
}

void worker(Scan& scan)
{
    std::vector<Folder*> subs;
    std::unique_lock lk(scan.lock);
    for (;;) {
        scan.work.wait(lk, [&] { return scan.quit || !scan.queued.empty(); });
        if (scan.queued.empty())
            return;
        auto it = scan.queued.begin();
        Folder* f = it->second.back();
        it->second.pop_back();
        if (it->second.empty())
            scan.queued.erase(it);
        lk.unlock();
        runFolder(scan, f, subs, [&](Folder* s) {
            std::lock_guard g(scan.lock);
            scan.queued[s->top].push_back(s);
            scan.work.notify_one();
        });
        lk.lock();
    }
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
    // makes the open below resolve it); links below the root stay leaves.
    struct stat target {};
    const bool followRoot = S_ISLNK(st.st_mode) && ::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    if (followRoot)
        st = target;
    if (!S_ISDIR(st.st_mode)) {
        rootRec->size = qint64(st.st_blocks) * 512;
        rootRec->modifiedMs = msOf(st);
        rootRec->category = FileCategories::forFile(nameOf(*rootRec));
        return node();
    }
    rootRec->isDirectory = true;
    rootRec->category = FileCategories::bundleOr(nameOf(*rootRec), FileCategory::other);

    Scan scan(token, *store);
    Folder rootFolder{rootRec, followRoot ? path + '/' : path, nullptr, -1, msOf(st), st.st_dev, false};
    std::vector<Folder*> tops;
    if (!listFolder(scan, rootFolder, tops))
        return node(); // cancelled already, or not listable: an empty folder of size 0, no date

    Record* listing = rootRec->children;
    const quint32 count = rootRec->childCount;
    scan.topDone.assign(count, 1);
    std::vector<Folder*> topJob(count, nullptr);
    for (Folder* f : tops) {
        scan.topDone[size_t(f->top)] = 0;
        topJob[size_t(f->top)] = f;
    }

    if (threads <= 0)
        threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));

    quint64 reported = scan.listed.load();
    const auto report = [&] {
        const quint64 now = scan.listed.load(std::memory_order_acquire);
        if (now != reported && !token.isCancelled()) {
            reported = now;
            if (onProgress)
                onProgress(scan.counted.load(std::memory_order_relaxed));
        }
    };

    quint32 appended = 0;
    if (threads == 1) {
        std::vector<Folder*> stack, subs;
        for (quint32 i = 0; i < count; ++i) {
            if (token.isCancelled())
                break;
            if (Folder* f = topJob[i]) {
                topJob[i] = nullptr;
                stack.push_back(f);
                while (!stack.empty()) {
                    Folder* next = stack.back();
                    stack.pop_back();
                    const size_t at = stack.size();
                    runFolder(scan, next, subs, [&](Folder* s) { stack.push_back(s); });
                    std::reverse(stack.begin() + qsizetype(at), stack.end()); // first entry on top
                    report();
                }
            }
            ++appended;
            if (onChild && !token.isCancelled())
                onChild(DiskNode(store, &listing[i], joinPath(rootPath, listing[i])));
        }
        for (Folder* f : topJob)
            delete f; // never started: not part of the tree
    } else {
        {
            std::lock_guard g(scan.lock);
            for (Folder* f : tops)
                scan.queued[f->top].push_back(f);
        }
        std::vector<std::thread> pool;
        pool.reserve(size_t(threads));
        for (int t = 0; t < threads; ++t)
            pool.emplace_back(worker, std::ref(scan));

        std::unique_lock lk(scan.lock);
        for (quint32 i = 0; i < count; ++i) {
            if (token.isCancelled())
                break;
            while (!scan.topDone[i]) {
                scan.done.wait_for(lk, std::chrono::milliseconds(20));
                lk.unlock();
                report();
                lk.lock();
            }
            ++appended;
            lk.unlock();
            report();
            if (onChild && !token.isCancelled())
                onChild(DiskNode(store, &listing[i], joinPath(rootPath, listing[i])));
            lk.lock();
        }
        // Everything still queued belongs to the scan's records: let it drain (quickly once
        // cancelled) before the workers go.
        scan.done.wait(lk, [&] {
            return std::all_of(scan.topDone.begin(), scan.topDone.end(), [](char c) { return c != 0; });
        });
        scan.quit = true;
        scan.work.notify_all();
        lk.unlock();
        for (std::thread& t : pool)
            t.join();
    }

    // The root's children: the entries handed over, in a block of their own so that the nodes
    // already delivered keep pointing at records that never move.
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
