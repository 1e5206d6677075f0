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
#include <cstdint>
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
#ifdef __linux__
#include <sys/syscall.h>
#endif

namespace FileWalker {

enum class Kind : unsigned char { File, Folder, Symlink, Other };

struct Entry {
    std::string_view path; // full path (root + "/" + names on the way down)
    std::string_view name; // last component
    int depth = 0; // 1 for the root's own children
    Kind kind = Kind::Other;
    // lstat data; valid only when `hasStat` (always for files when Options::statFiles, for
    // every entry when Options::statAll).
    bool hasStat = false;
    struct stat st {};
    int parentFd = -1; // the folder holding the entry, for openat-style follow-ups

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
    bool statFiles = true; // lstat regular files (sizes)
    bool statAll = false; // lstat every entry (dates of folders, links, …)
    bool sorted = false; // list each folder in byte order of names (deterministic results)
    bool oneFileSystem = false; // never enter a folder on another device than the root's
    bool skipHidden = false; // leave out entries whose names start with "." (not listed, not entered)
    // Folders `walk` holds open at most (the root and the deepest ones); a folder given up on the
    // way down is opened again on the way back. Any depth is walked within this many descriptors.
    size_t maxOpen = 8;
    // FolderWalk only: above 0, the root's entries reach the visitor in parts of about this many,
    // each as soon as it is read (so the work on the first can start while the rest is being
    // read); a folder of millions of entries takes a while to list. Parts are never sorted.
    size_t rootPart = 0;
};

// One folder's entries: "." and ".." left out, optionally hidden (dot) names too, and optionally
// in byte order of names (else in the order the file system lists them). Each name is followed by
// a NUL in the buffer, so `cName(i)` can go straight to the *at calls. Shared by the walks here and
// by the scanners' own loops. On Linux the entries are read with getdents64 straight into the
// listing's own buffer, which is kept from one read to the next: listing a folder allocates
// nothing once the buffer has grown to the largest folder seen.
class Listing {
public:
    // Reads the remaining entries of `dir`.
    void read(DIR* dir, bool sorted, bool skipHidden = false)
    {
#ifdef __linux__
        clear();
        readFrom(::dirfd(dir), sorted, skipHidden);
#else
        clear();
        while (dirent* d = ::readdir(dir))
            add(d->d_name, d->d_type, skipHidden);
        if (sorted)
            sortByName();
#endif
    }
    // Reads the entries of the folder open at `dirFd` (the caller keeps its descriptor); false
    // when it cannot be listed.
    bool readAt(int dirFd, bool sorted, bool skipHidden = false)
    {
        clear();
        const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool ok = readFrom(fd, sorted, skipHidden);
        ::close(fd);
        return ok;
    }
    // Reads the entries of the folder open at `fd` from where its position stands (it moves on;
    // the caller keeps the descriptor): all that remain, or with `atLeast` that many or more
    // (fewer at the end), in place of what was read before. False when nothing could be read
    // for an error; atEnd() tells whether the folder has more.
    bool readFrom(int fd, bool sorted, bool skipHidden, size_t atLeast = SIZE_MAX)
    {
        clear();
#ifdef __linux__
        struct Dirent64 {
            unsigned long long ino;
            long long off;
            unsigned short reclen;
            unsigned char type;
            char name[1];
        };
        constexpr size_t kStep = 32 * 1024;
        constexpr size_t kLeast = 4096; // room for a read that finds the end, or a few entries
        size_t used = 0;
        bool failed = false;
        while (m_items.size() < atLeast) {
            if (m_capacity - used < kLeast)
                grow(used + kStep);
            const long n = ::syscall(SYS_getdents64, fd, m_buffer.get() + used, m_capacity - used);
            if (n <= 0) {
                m_end = true;
                failed = n < 0 && m_items.empty();
                break;
            }
            for (size_t at = used; at < used + size_t(n);) {
                const auto* d = reinterpret_cast<const Dirent64*>(m_buffer.get() + at);
                const char* name = d->name;
                if (!(name[0] == '.' && (skipHidden || name[1] == 0 || (name[1] == '.' && name[2] == 0)))) {
                    const size_t length = std::strlen(name);
                    m_items.push_back(Item{unsigned(name - m_buffer.get()), (unsigned short)length, d->type});
                    m_nameBytes += length;
                }
                at += d->reclen;
            }
            used += size_t(n);
        }
#else
        const int own = ::dup(fd);
        DIR* dir = own >= 0 ? ::fdopendir(own) : nullptr;
        if (!dir) {
            if (own >= 0)
                ::close(own);
            m_end = true;
            return false;
        }
        // A directory stream reads ahead of what it returns, so a second stream could not carry
        // on where this one stopped: the rest is read at once, whatever `atLeast` says.
        (void)atLeast;
        while (dirent* d = ::readdir(dir))
            add(d->d_name, d->d_type, skipHidden);
        m_end = true;
        ::closedir(dir);
        const bool failed = false;
#endif
        if (sorted)
            sortByName();
        return !failed;
    }
    void clear()
    {
        m_items.clear();
        m_nameBytes = 0;
        m_end = false;
#ifndef __linux__
        m_used = 0;
#endif
    }
    bool atEnd() const { return m_end; }
    // No entries, and none to come.
    void setEmptyEnd()
    {
        clear();
        m_end = true;
    }
    size_t capacity() const { return m_capacity; }
    size_t size() const { return m_items.size(); }
    std::string_view name(size_t i) const { return {m_buffer.get() + m_items[i].offset, m_items[i].length}; }
    const char* cName(size_t i) const { return m_buffer.get() + m_items[i].offset; }
    unsigned char type(size_t i) const { return m_items[i].type; } // d_type
    // The bytes of all names together (without their NULs).
    size_t nameBytes() const { return m_nameBytes; }

private:
    struct Item {
        unsigned offset;
        unsigned short length;
        unsigned char type;
    };
    void grow(size_t atLeast)
    {
        size_t capacity = std::max<size_t>(m_capacity * 2, 32 * 1024);
        while (capacity < atLeast)
            capacity *= 2;
        std::unique_ptr<char[]> bigger(new char[capacity]);
        if (m_capacity)
            std::memcpy(bigger.get(), m_buffer.get(), m_capacity);
        m_buffer = std::move(bigger);
        m_capacity = capacity;
    }
#ifndef __linux__
    void add(const char* n, unsigned char type, bool skipHidden)
    {
        if (n[0] == '.' && (skipHidden || n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            return;
        const size_t len = std::strlen(n);
        if (m_capacity - m_used < len + 1)
            grow(m_used + len + 1);
        std::memcpy(m_buffer.get() + m_used, n, len + 1);
        m_items.push_back(Item{unsigned(m_used), (unsigned short)len, type});
        m_used += len + 1;
        m_nameBytes += len;
    }
    size_t m_used = 0;
#endif
    void sortByName()
    {
        const char* base = m_buffer.get();
        std::sort(m_items.begin(), m_items.end(), [base](const Item& a, const Item& b) {
            return std::string_view(base + a.offset, a.length) < std::string_view(base + b.offset, b.length);
        });
    }
    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity = 0;
    std::vector<Item> m_items;
    size_t m_nameBytes = 0;
    bool m_end = false;
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
    if (S_ISREG(mode))
        return Kind::File;
    if (S_ISDIR(mode))
        return Kind::Folder;
    if (S_ISLNK(mode))
        return Kind::Symlink;
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
concept HasLeave = requires(V& v, const Entry& e)
{
    v.leave(e);
};

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
    size_t base = 0; // length of this folder's path in the path buffer
    size_t nameLength = 0; // length of its own name, the last piece of that path
    Entry entered; // the entry this folder was entered through (kind, stat, depth)

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
    std::string name; // raw name in the parent
    std::mutex lock; // guards fd, held and triedToHold
    int fd = -1; // the root's belongs to the walk; others are held (budget)
    bool held = false;
    bool triedToHold = false;
    // Subfolders still to be opened from it, and one more while it is being listed (entries may
    // still be entered): the last one to go frees the descriptor.
    std::atomic<size_t> pending{1};

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
    void release()
    {
        if (pending.fetch_sub(1, std::memory_order_acq_rel) == 1)
            giveUp();
    }
    // A subfolder is about to be queued: it will be opened from this folder's own descriptor when
    // the budget allows one to be kept (`listFd` is the folder, open while it is listed).
    void willOpenChild(int listFd)
    {
        pending.fetch_add(1, std::memory_order_relaxed);
        std::lock_guard g(lock);
        if (fd >= 0 || triedToHold)
            return;
        triedToHold = true;
        if (!WalkPool::holdDescriptor())
            return;
        fd = ::dup(listFd);
        if (fd >= 0)
            held = true;
        else
            WalkPool::releaseDescriptor();
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

// Listings kept for reuse by the thread that let go of them, so that listing a folder seldom
// allocates (each keeps the buffer it grew).
struct ListingCache {
    std::vector<std::unique_ptr<Listing>> spare;
    static ListingCache& mine()
    {
        thread_local ListingCache cache;
        return cache;
    }
    std::unique_ptr<Listing> take()
    {
        if (spare.empty())
            return std::make_unique<Listing>();
        std::unique_ptr<Listing> l = std::move(spare.back());
        spare.pop_back();
        return l;
    }
    void give(std::unique_ptr<Listing> l)
    {
        // A listing grown by a huge folder is not kept: its buffer would stay for good.
        if (spare.size() < 2 && l->capacity() <= (1u << 20))
            spare.push_back(std::move(l));
    }
};

} // namespace detail

// A walk that hands its visitor whole folders, each open and listed, and lists them in parallel.
// `Data` is what a folder carries for the visitor (a pointer to the caller's record of it, say);
// it is copied, so keep it small.
template <typename Data>
class FolderWalk {
public:
    // A listed folder: open, with its listing, for as long as anybody holds it. A visitor that
    // hands part of a folder's entries to other items (Visit::share, post) keeps it so; it lets
    // go of it once its items are done, at the latest when the walk ends.
    class Folder {
    public:
        ~Folder()
        {
            if (m_ownsFd && m_fd >= 0)
                ::close(m_fd);
            detail::ListingCache::mine().give(std::move(m_listing));
            m_self->release(); // nothing more will be entered from this listing
        }
        Folder(const Folder&) = delete;
        Folder& operator=(const Folder&) = delete;

        int fd() const { return m_fd; }
        const Listing& listing() const { return *m_listing; }
        std::string_view path() const { return m_path; }
        int depth() const { return m_depth; }
        const struct stat& status() const { return m_st; }

        // Has entry i of the listing, a folder, visited later with `childData` (see
        // Visit::enter), queued at once. Any thread.
        void enter(size_t i, Data childData, long long rank = 0)
        {
            m_walk.postChild(m_self, m_fd, m_path, m_listing->name(i), m_depth, std::move(childData), rank);
        }

    private:
        friend class FolderWalk;
        Folder(FolderWalk& walk, std::shared_ptr<detail::DirRef> self, int fd, bool ownsFd, std::string path, int depth,
               const struct stat& st)
            : m_walk(walk),
              m_self(std::move(self)),
              m_fd(fd),
              m_ownsFd(ownsFd),
              m_path(std::move(path)),
              m_depth(depth),
              m_st(st),
              m_listing(detail::ListingCache::mine().take())
        {
        }
        FolderWalk& m_walk;
        std::shared_ptr<detail::DirRef> m_self;
        int m_fd;
        bool m_ownsFd;
        std::string m_path;
        int m_depth;
        struct stat m_st;
        std::unique_ptr<Listing> m_listing;
    };

    // One folder (or, for the root with Options::rootPart, one part of it), as the visitor gets it.
    class Visit {
    public:
        bool listed = false; // false: not opened or not listed (see run)
        int fd = -1; // the folder, open during the visit (when listed)
        std::string_view path; // the root's path + "/" + raw names
        int depth = 0; // 0 for the root
        const struct stat* st = nullptr; // the folder's own status (when listed)
        const Listing* listing = nullptr; // its entries (when listed), as the options say
        Data data{};
        // Parts of the root (Options::rootPart): where this part's first entry stands in the
        // root's listing, and whether more parts follow. Always 0 and false for other folders.
        size_t first = 0;
        bool more = false;

        // Has entry i of the listing, a folder, visited later with `childData`, on any thread.
        // Folders of a lower `rank` are taken first; within a rank the walk goes depth first, a
        // folder's subfolders in the order they were entered.
        void enter(size_t i, Data childData, long long rank = 0)
        {
            m_entered.push_back(Entered{i, std::move(childData), rank});
        }
        // The folder, open and listed, for items that go on with its entries after this visit
        // (see FolderWalk::post). Only when listed.
        std::shared_ptr<Folder> share() const { return m_folder; }

    private:
        friend class FolderWalk;
        struct Entered {
            size_t index;
            Data data;
            long long rank;
        };
        std::vector<Entered> m_entered;
        std::shared_ptr<Folder> m_folder;
    };

    // On `pool`, or with none on the thread that calls run(); `width` above 0: at most that many
    // folders are listed at once (see WalkPool::Batch).
    FolderWalk(const Options& options, WalkPool* pool, int width = 0) : m_options(options), m_batch(pool, width) {}

    // Any thread: folders not yet opened are visited as not listed, quickly. Visitors check
    // stopped() to end a folder's loop early.
    void stop() { m_stopped.store(true, std::memory_order_release); }
    bool stopped() const { return m_stopped.load(std::memory_order_acquire); }
    // From a visitor: have the waiting thread call its tick soon.
    void wake() { m_batch.wake(); }
    // Queues an item of the visitor's own (work on a shared folder's entries, say) on this walk,
    // from a visitor or from another such item; it runs before the walk ends.
    void post(std::function<void()> task, long long rank = 0) { m_batch.post(std::move(task), rank); }

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
        std::string path = root;
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        auto rootRef = std::make_shared<detail::DirRef>();
        rootRef->fd = fd; // not held: closed below, once every folder is done
        m_visitChild =
            [this, &visitor](const std::shared_ptr<detail::DirRef>& self, std::string p, int depth, Data data) {
            visitFolder(self, std::move(p), depth, std::move(data), visitor);
        };
        auto part = std::shared_ptr<Folder>(new Folder(*this, rootRef, fd, false, path, 0, st));
        const size_t partSize = m_options.rootPart ? m_options.rootPart : SIZE_MAX;
        if (!part->m_listing->readFrom(fd, m_options.sorted && !m_options.rootPart, m_options.skipHidden, partSize)) {
            part.reset();
            m_visitChild = nullptr;
            ::close(fd);
            return false;
        }
        // The root in parts: each read goes to the visitor at once, the last (perhaps empty, when
        // the folder ended just after a full part, or the walk was stopped) with `more` false.
        for (size_t at = 0;;) {
            const bool more = !part->m_listing->atEnd();
            const size_t count = part->m_listing->size();
            visitListed(std::move(part), rootData, visitor, at, more);
            if (!more)
                break;
            at += count;
            rootRef->pending.fetch_add(1, std::memory_order_relaxed); // the next part's own
            part = std::shared_ptr<Folder>(new Folder(*this, rootRef, fd, false, path, 0, st));
            if (stopped() || !part->m_listing->readFrom(fd, false, m_options.skipHidden, partSize))
                part->m_listing->setEmptyEnd();
        }
        m_batch.wait(tick, interval);
        m_visitChild = nullptr;
        rootRef->fd = -1;
        ::close(fd);
        return true;
    }

private:
    void postChild(const std::shared_ptr<detail::DirRef>& self, int listFd, std::string_view path,
                   std::string_view name, int depth, Data data, long long rank)
    {
        self->willOpenChild(listFd);
        auto child = std::make_shared<detail::DirRef>();
        child->parent = self;
        child->name.assign(name);
        m_batch.post([this, child, p = detail::childPath(path, name), depth,
                      d = std::move(data)]() mutable { m_visitChild(child, std::move(p), depth + 1, std::move(d)); },
                     rank);
    }

    template <typename Visitor>
    void visitFolder(const std::shared_ptr<detail::DirRef>& self, std::string path, int depth, Data data,
                     Visitor& visitor)
    {
        int fd = stopped() ? -1 : detail::openBelow(*self);
        self->parent->release();
        struct stat st {};
        if (fd >= 0 && (::fstat(fd, &st) != 0 || (m_options.oneFileSystem && st.st_dev != m_rootDevice))) {
            ::close(fd); // another file system mounted here: left alone
            fd = -1;
        }
        if (fd >= 0) {
            auto folder = std::shared_ptr<Folder>(new Folder(*this, self, fd, true, std::move(path), depth, st));
            if (folder->m_listing->readFrom(fd, m_options.sorted, m_options.skipHidden)) {
                visitListed(std::move(folder), std::move(data), visitor, 0, false);
                return;
            }
            path = std::move(folder->m_path);
            folder.reset(); // closes the descriptor
        } else {
            self->release(); // nothing will be entered from it
        }
        Visit v;
        v.path = path;
        v.depth = depth;
        v.data = std::move(data);
        visitor(v);
    }

    // Visits the listed folder (or root part) and queues what the visit entered.
    template <typename Visitor>
    void visitListed(std::shared_ptr<Folder> folder, Data data, Visitor& visitor, size_t first, bool more)
    {
        Visit v;
        v.listed = true;
        v.fd = folder->m_fd;
        v.path = folder->m_path;
        v.depth = folder->m_depth;
        v.st = &folder->m_st;
        v.listing = folder->m_listing.get();
        v.data = std::move(data);
        v.first = first;
        v.more = more;
        v.m_folder = folder;
        visitor(v);
        // Queued last first, so that the first entered is taken first.
        for (auto it = v.m_entered.rbegin(); it != v.m_entered.rend(); ++it)
            folder->enter(it->index, std::move(it->data), it->rank);
    }

    Options m_options;
    WalkPool::Batch m_batch;
    std::atomic<bool> m_stopped{false};
    dev_t m_rootDevice = 0;
    std::function<void(const std::shared_ptr<detail::DirRef>&, std::string, int, Data)> m_visitChild;
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
    return walk.run(
        root, None{}, eachFolder, [&] { tick(); }, interval);
}

} // namespace FileWalker
