#pragma once
// A depth-first POSIX walk of a folder tree: openat/fdopendir/fstatat(AT_SYMLINK_NOFOLLOW),
// never following a symbolic link, reusing one path buffer and one listing buffer per level so
// that no per-file allocation outlives its folder. It holds a bounded number of folder descriptors
// open whatever the depth (see Options::maxOpen), and every folder is reached from its parent's
// descriptor by its raw byte name, never by a path string.
//
// The visitor is any object with
//     FileWalker::Visit operator()(const FileWalker::Entry&)
// and optionally
//     void leave(const FileWalker::Entry& folder)      // after a descended folder's children
// It is called on the calling thread, in pre-order. Return Descend to enter a folder (ignored for
// other kinds), Skip to pass over it, Stop to end the whole walk.
//
// walkParallel and FolderWalk walk the same way with the folders listed in parallel on the
// program's walking pool (platform/WalkPool.h), within the same guarantees.

#include "platform/WalkPool.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileWalker {

enum class Kind : unsigned char { File, Folder, Symlink, Other };

struct Entry {
    std::string_view path;   // full path (root + "/" + names on the way down)
    std::string_view name;   // last component
    int depth = 0;           // 1 for the root's own children
    Kind kind = Kind::Other;
    // lstat data; valid only when `hasStat` (always for files when Options::statFiles, for
    // every entry when Options::statAll).
    bool hasStat = false;
    struct stat st {};
    int parentFd = -1;       // the folder holding the entry, for openat-style follow-ups

    long long allocated() const { return hasStat ? (long long)st.st_blocks * 512 : 0; }
};

// When an item was last modified, from its status: milliseconds since the epoch.
inline long long modifiedMs(const struct stat& st)
{
#ifdef __APPLE__
    const struct timespec& m = st.st_mtimespec;
#else
    const struct timespec& m = st.st_mtim;
#endif
    return (long long)m.tv_sec * 1000 + m.tv_nsec / 1000000;
}

enum class Visit { Descend, Skip, Stop };

struct Options {
    bool statFiles = true;   // lstat regular files (sizes)
    bool statAll = false;    // lstat every entry (dates of folders, links, …)
    bool sorted = false;     // list each folder in byte order of names (deterministic results)
    bool oneFileSystem = false; // never enter a folder on another device than the root's
    bool skipHidden = false; // leave out entries whose names start with "." (not listed, not entered)
    // Folders `walk` holds open at most (the root and the deepest ones); a folder given up on the
    // way down is opened again on the way back. Any depth is walked within this many descriptors.
    size_t maxOpen = 8;
};

// One folder's entries, read whole: "." and ".." left out, optionally hidden (dot) names too, and
// optionally in byte order of names. Each name is followed by a NUL in the buffer, so `cName(i)`
// can go straight to the *at calls. Shared by the walks here and by the scanners' own loops.
class Listing {
public:
    // Reads the remaining entries of `dir`.
    void read(DIR* dir, bool sorted, bool skipHidden = false)
    {
        m_names.clear();
        m_entries.clear();
        while (dirent* d = ::readdir(dir)) {
            const char* n = d->d_name;
            if (n[0] == '.' && (skipHidden || n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            const size_t len = std::strlen(n);
            m_entries.push_back(Item{unsigned(m_names.size()), (unsigned short)len, d->d_type});
            m_names.append(n, len + 1);
        }
        if (sorted) {
            std::sort(m_entries.begin(), m_entries.end(), [&](const Item& a, const Item& b) {
                return std::string_view(m_names.data() + a.offset, a.length)
                     < std::string_view(m_names.data() + b.offset, b.length);
            });
        }
    }
    // Reads the entries of the folder open at `dirFd` (the caller keeps its descriptor); false
    // when it cannot be listed.
    bool readAt(int dirFd, bool sorted, bool skipHidden = false)
    {
        const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
        if (!dir) {
            if (fd >= 0)
                ::close(fd);
            m_names.clear();
            m_entries.clear();
            return false;
        }
        read(dir, sorted, skipHidden);
        ::closedir(dir);
        return true;
    }
    size_t size() const { return m_entries.size(); }
    std::string_view name(size_t i) const { return {m_names.data() + m_entries[i].offset, m_entries[i].length}; }
    const char* cName(size_t i) const { return m_names.data() + m_entries[i].offset; }
    unsigned char type(size_t i) const { return m_entries[i].type; } // d_type
    // The whole name buffer and where each name lies in it.
    const std::string& buffer() const { return m_names; }
    unsigned offset(size_t i) const { return m_entries[i].offset; }

private:
    struct Item {
        unsigned offset;
        unsigned short length;
        unsigned char type;
    };
    std::string m_names;
    std::vector<Item> m_entries;
};

// The files with several links that one walk has met, so that each is counted once. Only a file
// whose link count is above 1 is looked up, so the common case costs nothing. Any thread: the set
// is split in parts, each with its own lock, so that the threads of a walk through a tree of linked
// files (a copy made with hard links) seldom wait for each other.
class LinkSet {
public:
    // True the first time the file of `st` is met; always for a file with one link.
    bool firstSight(const struct stat& st)
    {
        if (st.st_nlink <= 1)
            return true;
        const std::pair<dev_t, ino_t> key{st.st_dev, st.st_ino};
        const size_t h = Hash()(key);
        Part& part = m_parts[(h >> 58) % parts]; // the top bits: the set's own buckets use the low ones
        std::lock_guard g(part.lock);
        return part.seen.insert(key).second;
    }

private:
    struct Hash {
        size_t operator()(const std::pair<dev_t, ino_t>& k) const
        {
            return std::hash<unsigned long long>()((unsigned long long)k.second * 0x9e3779b97f4a7c15ull ^ k.first);
        }
    };
    static constexpr size_t parts = 64;
    struct Part {
        std::mutex lock;
        std::unordered_set<std::pair<dev_t, ino_t>, Hash> seen;
    };
    Part m_parts[parts];
};

namespace detail {

inline Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode)) return Kind::File;
    if (S_ISDIR(mode)) return Kind::Folder;
    if (S_ISLNK(mode)) return Kind::Symlink;
    return Kind::Other;
}

inline Kind kindOfDirent(unsigned char t)
{
    switch (t) {
    case DT_REG: return Kind::File;
    case DT_DIR: return Kind::Folder;
    case DT_LNK: return Kind::Symlink;
    default: return Kind::Other;
    }
}

template <typename V>
concept HasLeave = requires(V& v, const Entry& e) { v.leave(e); };

// Appends entry i of `listing` to `path` (cut back to `base` first) and fills `e`; false when
// the entry cannot be reported (its type was unknown and it could not be stat'ed).
inline bool fillEntry(const Listing& listing, size_t i, int dirFd, std::string& path, size_t base, int depth,
                      const Options& opt, Entry& e)
{
    const std::string_view name = listing.name(i);
    path.resize(base);
    if (base == 0 || path.back() != '/')
        path.push_back('/');
    const size_t nameStart = path.size();
    path.append(name);

    e.depth = depth;
    e.parentFd = dirFd;
    const unsigned char type = listing.type(i);
    e.kind = kindOfDirent(type);
    const bool unknown = type == DT_UNKNOWN;
    const bool wantStat = opt.statAll || unknown || (opt.statFiles && e.kind == Kind::File);
    if (wantStat) {
        if (::fstatat(dirFd, listing.cName(i), &e.st, AT_SYMLINK_NOFOLLOW) == 0) {
            e.hasStat = true;
            e.kind = kindOf(e.st.st_mode);
        } else if (unknown) {
            return false;
        }
    }
    e.path = std::string_view(path);
    e.name = std::string_view(path).substr(nameStart);
    return true;
}

// One folder on the way down: its listing, where the walk is in it, and its descriptor while it is
// held open (a folder listed with its own DIR stream keeps that; one opened again holds a raw fd).
struct Level {
    Listing listing;
    size_t next = 0;
    DIR* dir = nullptr;
    int rawFd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    size_t base = 0;       // length of this folder's path in the path buffer
    size_t nameLength = 0; // length of its own name, the last piece of that path
    Entry entered;         // the entry this folder was entered through (kind, stat, depth)

    int fd() const { return dir ? ::dirfd(dir) : rawFd; }
    bool isOpen() const { return dir || rawFd >= 0; }
    void close()
    {
        if (dir)
            ::closedir(dir);
        else if (rawFd >= 0)
            ::close(rawFd);
        dir = nullptr;
        rawFd = -1;
    }
};

inline bool sameFolder(int fd, const Level& l)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == l.dev && st.st_ino == l.ino;
}

// Opens the folder of stack[k] again after its descriptor was given up, without following a link:
// through ".." of the child still open below it (one step, as fts does), or else name by name down
// from the nearest open folder above it. Every step must meet the folder seen before (device and
// inode), so a folder moved or swapped meanwhile is not mistaken for it. False when it is gone.
inline bool reopen(std::vector<Level>& stack, size_t k, const std::string& path)
{
    Level& l = stack[k];
    if (k + 1 < stack.size() && stack[k + 1].isOpen()) {
        const int up = ::openat(stack[k + 1].fd(), "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (up >= 0) {
            if (sameFolder(up, l)) {
                l.rawFd = up;
                return true;
            }
            ::close(up);
        }
    }
    size_t a = k;
    while (a > 0 && !stack[a - 1].isOpen())
        --a;
    if (a == 0)
        return false; // the root is always held; nothing above it to start from
    int fd = ::dup(stack[a - 1].fd());
    for (size_t j = a; j <= k && fd >= 0; ++j) {
        // The name of level j is the piece of the path between its parent's end and its own.
        const size_t from = stack[j - 1].base + (stack[j - 1].base == 0 || path[stack[j - 1].base - 1] != '/' ? 1 : 0);
        const std::string name = path.substr(from, stack[j].base - from);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
        if (fd >= 0 && !sameFolder(fd, stack[j])) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0)
        return false;
    l.rawFd = fd;
    return true;
}

// The walk proper. `rootFd` is owned (closed before returning); `path` is the root's path.
// Returns false when the visitor asked to stop.
template <typename Visitor>
bool walkFrom(int rootFd, std::string& path, const Options& opt, Visitor& visit)
{
    const size_t maxOpen = std::max<size_t>(2, opt.maxOpen);
    std::vector<Level> stack;
    stack.reserve(64);
    {
        Level root;
        struct stat st {};
        root.dir = ::fdopendir(rootFd);
        if (!root.dir || ::fstat(rootFd, &st) != 0) {
            if (root.dir)
                ::closedir(root.dir);
            else
                ::close(rootFd);
            return true;
        }
        root.dev = st.st_dev;
        root.ino = st.st_ino;
        root.base = path.size();
        root.listing.read(root.dir, opt.sorted, opt.skipHidden);
        stack.push_back(std::move(root));
    }
    const dev_t rootDev = stack[0].dev;
    size_t firstOpen = 1; // folders held open: the root and stack[firstOpen..] (the deepest ones)
    bool keepGoing = true;

    while (!stack.empty()) {
        const size_t top = stack.size() - 1;
        Level& here = stack[top];
        if (!here.isOpen() || here.next >= here.listing.size()) {
            // Done with this folder (or it could not be held again): back up to its parent.
            Level done = std::move(stack.back());
            stack.pop_back();
            if (stack.empty()) {
                done.close();
                break;
            }
            const size_t parent = stack.size() - 1;
            bool parentOpen = stack[parent].isOpen();
            if (!parentOpen && done.isOpen()) {
                stack.push_back(std::move(done)); // reopen() climbs through the child's ".."
                parentOpen = reopen(stack, parent, path);
                done = std::move(stack.back());
                stack.pop_back();
            } else if (!parentOpen) {
                parentOpen = reopen(stack, parent, path);
            }
            if (parentOpen && firstOpen > parent)
                firstOpen = std::max<size_t>(1, parent);
            const bool entered = done.isOpen();
            done.close();
            if (firstOpen > stack.size())
                firstOpen = stack.size();
            if (!parentOpen) {
                stack[parent].next = stack[parent].listing.size(); // abandon a folder we cannot hold again
                continue;
            }
            if constexpr (HasLeave<Visitor>) {
                if (entered) {
                    path.resize(done.base);
                    Entry e = done.entered;
                    e.parentFd = stack[parent].fd();
                    e.path = std::string_view(path);
                    e.name = std::string_view(path).substr(done.base - done.nameLength);
                    visit.leave(static_cast<const Entry&>(e));
                }
            }
            continue;
        }

        const size_t i = here.next++;
        Entry e;
        if (!fillEntry(here.listing, i, here.fd(), path, here.base, int(top) + 1, opt, e))
            continue; // vanished or unreadable: nothing to report
        const Visit v = visit(static_cast<const Entry&>(e));
        if (v == Visit::Stop) {
            keepGoing = false;
            break;
        }
        if (v != Visit::Descend || e.kind != Kind::Folder)
            continue;
        const int child = ::openat(here.fd(), here.listing.cName(i), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0)
            continue;
        struct stat cst {};
        if (::fstat(child, &cst) != 0 || (opt.oneFileSystem && cst.st_dev != rootDev)) {
            ::close(child); // another file system mounted here: left alone
            continue;
        }
        Level next;
        next.dir = ::fdopendir(child);
        if (!next.dir) {
            ::close(child);
            continue;
        }
        next.dev = cst.st_dev;
        next.ino = cst.st_ino;
        next.base = path.size();
        next.nameLength = e.name.size();
        next.entered = e;
        next.entered.path = {};
        next.entered.name = {};
        next.listing.read(next.dir, opt.sorted, opt.skipHidden);
        stack.push_back(std::move(next));
        // Keep at most `maxOpen` folders open: give up the shallowest one below the root.
        if (stack.size() - firstOpen + 1 > maxOpen) {
            stack[firstOpen].close();
            ++firstOpen;
        }
    }
    for (Level& l : stack)
        l.close();
    return keepGoing;
}

} // namespace detail

// Walks the folder at `root` (not following a link at the root itself). Returns false when the
// root is no readable folder. The root itself is not visited.
template <typename Visitor>
bool walk(const std::string& root, const Options& options, Visitor&& visitor)
{
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string path = root;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    detail::walkFrom(fd, path, options, visitor);
    return true;
}

// Walks the folder open at `dirFd` (the caller keeps its descriptor), naming entries below `path`.
// Nothing on the way is reached by a path string, so a folder swapped for a link meanwhile cannot
// redirect it. Returns false when `dirFd` is no readable folder.
template <typename Visitor>
bool walkAt(int dirFd, const std::string& path, const Options& options, Visitor&& visitor)
{
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    detail::walkFrom(fd, p, options, visitor);
    return true;
}

// ---- The parallel walk
//
// Folders are listed as items of a WalkPool::Batch, on the program's one walking pool (or, with no
// pool, one by one on the calling thread). Each folder is opened from its parent's descriptor by
// its raw name with O_NOFOLLOW, as `walk` does, so a folder swapped for a link meanwhile is not
// entered, and no path string is ever resolved below the root. A folder keeps its descriptor for
// its subfolders only while the pool's descriptor budget allows, and only until each of them has
// been opened; a subfolder of a folder without one is opened name by name from the nearest folder
// above that holds one (the root always does). So the number of open descriptors stays bounded
// whatever the width and depth of the tree.

namespace detail {

// A folder on the way down: where it hangs and, while it holds one, its descriptor.
struct DirRef {
    std::shared_ptr<DirRef> parent; // null for the root
    std::string name;               // raw name in the parent
    std::mutex lock;                // guards fd and held
    int fd = -1;                    // the root's belongs to the walk; others are held (budget)
    bool held = false;
    std::atomic<size_t> toOpen{0};  // subfolders still to be opened from it

    ~DirRef() { giveUp(); }
    void giveUp()
    {
        std::lock_guard g(lock);
        if (!held)
            return;
        ::close(fd);
        fd = -1;
        held = false;
        WalkPool::releaseDescriptor();
    }
    // One subfolder has been opened (or given up on); the last one frees the descriptor.
    void childOpened()
    {
        if (toOpen.fetch_sub(1, std::memory_order_acq_rel) == 1)
            giveUp();
    }
};

// Opens `folder` without following a link: from its parent's descriptor, or else name by name
// down from the nearest folder above that holds one. -1 when it is gone or is no folder.
inline int openBelow(DirRef& folder)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    std::vector<DirRef*> below; // still to open after `at`, the deepest first
    DirRef* at = &folder;
    while (DirRef* up = at->parent.get()) {
        int fd = -1;
        bool holds = false;
        {
            std::lock_guard g(up->lock);
            if (up->fd >= 0) {
                holds = true;
                fd = ::openat(up->fd, at->name.c_str(), flags);
            }
        }
        if (holds) {
            while (fd >= 0 && !below.empty()) {
                const int next = ::openat(fd, below.back()->name.c_str(), flags);
                ::close(fd);
                fd = next;
                below.pop_back();
            }
            return fd;
        }
        below.push_back(at);
        at = up;
    }
    return -1;
}

inline std::string childPath(std::string_view parent, std::string_view name)
{
    std::string path;
    path.reserve(parent.size() + 1 + name.size());
    path.append(parent);
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
    return path;
}

} // namespace detail

// A walk that hands its visitor whole folders, each open and listed, and lists them in parallel.
// `Data` is what a folder carries for the visitor (a pointer to the caller's record of it, say);
// it is copied, so keep it small.
template <typename Data>
class FolderWalk {
public:
    // One folder, as the visitor gets it.
    class Visit {
    public:
        bool listed = false;               // false: not opened or not listed (see run)
        int fd = -1;                       // the folder, open during the visit (when listed)
        std::string_view path;             // the root's path + "/" + raw names
        int depth = 0;                     // 0 for the root
        const struct stat* st = nullptr;   // the folder's own status (when listed)
        const Listing* listing = nullptr;  // its entries (when listed), as the options say
        Data data{};

        // Has entry i of the listing, a folder, visited later with `childData`, on any thread.
        // Folders of a lower `rank` are taken first; within a rank the walk goes depth first, a
        // folder's subfolders in the order they were entered.
        void enter(size_t i, Data childData, long long rank = 0)
        {
            m_entered.push_back(Entered{i, std::move(childData), rank});
        }

    private:
        friend class FolderWalk;
        struct Entered {
            size_t index;
            Data data;
            long long rank;
        };
        std::vector<Entered> m_entered;
    };

    // On `pool`, or with none on the thread that calls run().
    FolderWalk(const Options& options, WalkPool* pool) : m_options(options), m_batch(pool) {}

    // Any thread: folders not yet opened are visited as not listed, quickly. Visitors check
    // stopped() to end a folder's loop early.
    void stop() { m_stopped.store(true, std::memory_order_release); }
    bool stopped() const { return m_stopped.load(std::memory_order_acquire); }
    // From a visitor: have the waiting thread call its tick soon.
    void wake() { m_batch.wake(); }

    // Walks the folder at `root` (a link at the root itself is not followed, unless the path
    // ends in "/"). The visitor gets the root (depth 0) on this thread, then every folder it
    // entered exactly once, on the pool's threads, concurrently and in no fixed order (a folder
    // always after its parent): listed, or with `listed` false when it could not be opened or
    // listed, lies on another file system while one was asked for, or the walk was stopped.
    // Meanwhile `tick` is called on this thread (see WalkPool::Batch::wait). Returns false,
    // without calling anything, when the root is no folder that can be listed.
    template <typename Visitor>
    bool run(const std::string& root, Data rootData, Visitor& visitor, const std::function<void()>& tick,
             std::chrono::milliseconds interval = std::chrono::milliseconds(50))
    {
        const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            return false;
        }
        m_rootDevice = st.st_dev;
        const int listFd = ::dup(fd);
        DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
        if (!dir) {
            if (listFd >= 0)
                ::close(listFd);
            ::close(fd);
            return false;
        }
        auto rootRef = std::make_shared<detail::DirRef>();
        rootRef->fd = fd; // not held: closed below, once every folder is done
        std::string path = root;
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        visitListed(rootRef, dir, st, path, 0, std::move(rootData), visitor);
        m_batch.wait(tick, interval);
        rootRef->fd = -1;
        ::close(fd);
        return true;
    }

private:
    template <typename Visitor>
    void visitFolder(const std::shared_ptr<detail::DirRef>& self, std::string path, int depth, Data data,
                     Visitor& visitor)
    {
        int fd = stopped() ? -1 : detail::openBelow(*self);
        self->parent->childOpened();
        struct stat st {};
        DIR* dir = nullptr;
        if (fd >= 0 && (::fstat(fd, &st) != 0 || (m_options.oneFileSystem && st.st_dev != m_rootDevice))) {
            ::close(fd); // another file system mounted here: left alone
            fd = -1;
        }
        if (fd >= 0 && !(dir = ::fdopendir(fd)))
            ::close(fd);
        if (dir) {
            visitListed(self, dir, st, path, depth, std::move(data), visitor);
            return;
        }
        Visit v;
        v.path = path;
        v.depth = depth;
        v.data = std::move(data);
        visitor(v);
    }

    // Lists the folder open as `dir` (closed here), visits it and queues what it entered.
    template <typename Visitor>
    void visitListed(const std::shared_ptr<detail::DirRef>& self, DIR* dir, const struct stat& st,
                     const std::string& path, int depth, Data data, Visitor& visitor)
    {
        Listing listing;
        listing.read(dir, m_options.sorted, m_options.skipHidden);
        Visit v;
        v.listed = true;
        v.fd = ::dirfd(dir);
        v.path = path;
        v.depth = depth;
        v.st = &st;
        v.listing = &listing;
        v.data = std::move(data);
        visitor(v);
        if (!v.m_entered.empty()) {
            self->toOpen.store(v.m_entered.size(), std::memory_order_relaxed);
            if (self->fd < 0 && WalkPool::holdDescriptor()) {
                const int keep = ::dup(v.fd);
                std::lock_guard g(self->lock);
                if (keep >= 0) {
                    self->fd = keep;
                    self->held = true;
                } else {
                    WalkPool::releaseDescriptor();
                }
            }
            // Queued last first, so that the first entered is taken first.
            for (auto it = v.m_entered.rbegin(); it != v.m_entered.rend(); ++it) {
                auto child = std::make_shared<detail::DirRef>();
                child->parent = self;
                child->name.assign(listing.name(it->index));
                m_batch.post(
                    [this, child, p = detail::childPath(path, child->name), depth, d = std::move(it->data),
                     &visitor]() mutable { visitFolder(child, std::move(p), depth + 1, std::move(d), visitor); },
                    it->rank);
            }
        }
        ::closedir(dir);
    }

    Options m_options;
    WalkPool::Batch m_batch;
    std::atomic<bool> m_stopped{false};
    dev_t m_rootDevice = 0;
};

// Walks the folder at `root` like `walk`, but lists its folders in parallel on `pool` (with no
// pool, on the calling thread). The visitor is called on the pool's threads, concurrently and in
// no fixed order (a folder is always visited before its contents), so it must be safe to call
// that way; `leave` is not called. Stop ends the walk soon (entries of folders already being
// listed may still be visited). The calling thread waits, calling `tick()` about every
// `interval` until the walk is over (for progress reports). Returns false when the root is no
// readable folder.
template <typename Visitor, typename Tick>
bool walkParallel(const std::string& root, const Options& options, WalkPool* pool, Visitor&& visitor, Tick&& tick,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(50))
{
    struct None {};
    using Walk = FolderWalk<None>;
    Walk walk(options, pool);
    auto eachFolder = [&](typename Walk::Visit& folder) {
        if (!folder.listed)
            return;
        std::string path(folder.path);
        const size_t base = path.size();
        for (size_t i = 0; i < folder.listing->size() && !walk.stopped(); ++i) {
            Entry e;
            if (!detail::fillEntry(*folder.listing, i, folder.fd, path, base, folder.depth + 1, options, e))
                continue;
            const Visit v = visitor(static_cast<const Entry&>(e));
            if (v == Visit::Stop)
                walk.stop();
            else if (v == Visit::Descend && e.kind == Kind::Folder)
                folder.enter(i, None{});
        }
    };
    return walk.run(root, None{}, eachFolder, [&] { tick(); }, interval);
}

} // namespace FileWalker
