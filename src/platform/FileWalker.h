#pragma once
// A depth-first POSIX walk of a folder tree: openat/fdopendir/fstatat(AT_SYMLINK_NOFOLLOW),
// never following a symbolic link, reusing one path buffer and one listing buffer per level so
// that no per-file allocation outlives its folder.
//
// The visitor is any object with
//     FileWalker::Visit operator()(const FileWalker::Entry&)
// and optionally
//     void leave(const FileWalker::Entry& folder)      // after a descended folder's children
// It is called on the calling thread, in pre-order. Return Descend to enter a folder (ignored for
// other kinds), Skip to pass over it, Stop to end the whole walk.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
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

enum class Visit { Descend, Skip, Stop };

struct Options {
    bool statFiles = true;   // lstat regular files (sizes)
    bool statAll = false;    // lstat every entry (dates of folders, links, …)
    bool sorted = false;     // list each folder in byte order of names (deterministic results)
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

// Returns false when the visitor asked to stop.
template <typename Visitor>
bool walkFolder(int fd, std::string& path, int depth, const Options& opt, Visitor& visit)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return true;
    }
    // The listing is read whole first: it lets us sort, and keeps the stream's order stable
    // while children are visited.
    Listing listing;
    listing.read(dir, opt.sorted);

    const size_t base = path.size();
    bool keepGoing = true;
    for (size_t i = 0; i < listing.size(); ++i) {
        const std::string_view name = listing.name(i);
        const char* nameZ = listing.cName(i);
        Entry e;
        if (!fillEntry(listing, i, ::dirfd(dir), path, base, depth, opt, e))
            continue; // vanished or unreadable: nothing to report
        const size_t nameStart = path.size() - name.size();

        const Visit v = visit(static_cast<const Entry&>(e));
        if (v == Visit::Stop) {
            keepGoing = false;
            break;
        }
        if (v == Visit::Descend && e.kind == Kind::Folder) {
            const int child = ::openat(e.parentFd, nameZ, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                if (!walkFolder(child, path, depth + 1, opt, visit)) {
                    keepGoing = false;
                    break;
                }
                if constexpr (HasLeave<Visitor>) {
                    // The path buffer was reused below: rebuild this entry's view of it.
                    path.resize(nameStart);
                    path.append(name);
                    e.path = std::string_view(path);
                    e.name = std::string_view(path).substr(nameStart);
                    visit.leave(static_cast<const Entry&>(e));
                }
            }
        }
    }
    path.resize(base);
    ::closedir(dir);
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
    detail::walkFolder(fd, path, 1, options, visitor);
    return true;
}

// Walks the folder at `root` like `walk`, but lists folders on `threads` worker threads (0: one per
// core, at most 8). The visitor is called on those threads, concurrently and in no fixed order
// (a folder is always visited before its contents), so it must be safe to call that way; `leave`
// is not called. Stop ends the walk soon (entries already being listed may still be visited).
// The calling thread waits, calling `tick()` about every `interval` until the walk is over (for
// progress reports). Returns false when the root is no readable folder.
template <typename Visitor, typename Tick>
bool walkParallel(const std::string& root, const Options& options, int threads, Visitor&& visitor, Tick&& tick,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(50))
{
    struct Job {
        std::string path;
        int depth;
    };
    {
        const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    std::string start = root;
    while (start.size() > 1 && start.back() == '/')
        start.pop_back();
    if (threads <= 0)
        threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));

    std::mutex lock;
    std::condition_variable changed;
    std::vector<Job> queue{Job{start, 1}};
    int busy = 0;
    std::atomic<bool> stopped{false};

    const auto listOne = [&](const Job& job, std::vector<Job>& found) {
        const int fd = ::open(job.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return;
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return;
        }
        Listing listing;
        listing.read(dir, options.sorted);
        std::string path = job.path;
        const size_t base = path.size();
        for (size_t i = 0; i < listing.size() && !stopped.load(std::memory_order_relaxed); ++i) {
            Entry e;
            if (!detail::fillEntry(listing, i, ::dirfd(dir), path, base, job.depth, options, e))
                continue;
            const Visit v = visitor(static_cast<const Entry&>(e));
            if (v == Visit::Stop)
                stopped.store(true);
            else if (v == Visit::Descend && e.kind == Kind::Folder)
                found.push_back(Job{path, job.depth + 1});
        }
        ::closedir(dir);
    };
    const auto work = [&] {
        std::vector<Job> found;
        std::unique_lock lk(lock);
        for (;;) {
            changed.wait(lk, [&] { return !queue.empty() || busy == 0; });
            if (queue.empty())
                return; // nothing queued and nobody listing: the walk is over
            Job job = std::move(queue.back());
            queue.pop_back();
            ++busy;
            lk.unlock();
            found.clear();
            if (!stopped.load(std::memory_order_relaxed))
                listOne(job, found);
            lk.lock();
            --busy;
            if (!stopped.load(std::memory_order_relaxed)) {
                for (Job& j : found)
                    queue.push_back(std::move(j));
            } else {
                queue.clear();
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(size_t(threads));
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(work);
    {
        std::unique_lock lk(lock);
        while (!changed.wait_for(lk, interval, [&] { return queue.empty() && busy == 0; })) {
            lk.unlock();
            tick();
            lk.lock();
        }
    }
    for (std::thread& t : pool)
        t.join();
    return true;
}

} // namespace FileWalker
