// dustlet-bench plainwalk PATH [--threads N] [--hidden] [--regular]: the limit a walk of PATH
// can reach here, for the benchmarks to compare the engines with. N threads (default: one per
// core) take folders from one shared stack, read each with getdents64 and fstatat every entry
// (no follow-up work, no records, no order), and add up st_blocks * 512 of every entry that is no
// folder (with --regular, of every regular file), a file with several links once, on the root's
// file system only. Hidden entries are left out unless --hidden is given. Prints the bytes and
// the wall time of the walk.
#include "BenchCommand.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct Walk {
    bool hidden = false;
    bool regular = false;
    dev_t device = 0;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> stack;
    size_t busy = 0;
    std::atomic<long long> bytes{0};
    std::mutex linkLock;
    std::set<std::pair<dev_t, ino_t>> links;

    void folder(const std::string& path, std::vector<std::string>& found)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return;
        alignas(8) char buffer[32768];
        long long sum = 0;
        for (;;) {
            const long n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (long at = 0; at < n;) {
                struct Dirent {
                    ino64_t ino;
                    off64_t off;
                    unsigned short reclen;
                    unsigned char type;
                    char name[1];
                };
                const auto* d = reinterpret_cast<const Dirent*>(buffer + at);
                at += d->reclen;
                const char* name = d->name;
                if (name[0] == '.' && (!hidden || name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                    continue;
                struct stat st;
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                if (S_ISDIR(st.st_mode)) {
                    if (st.st_dev == device)
                        found.push_back(path + '/' + name);
                    continue;
                }
                if (regular && !S_ISREG(st.st_mode))
                    continue;
                if (st.st_nlink > 1) {
                    std::lock_guard g(linkLock);
                    if (!links.insert({st.st_dev, st.st_ino}).second)
                        continue;
                }
                sum += (long long)st.st_blocks * 512;
            }
        }
        ::close(fd);
        bytes.fetch_add(sum, std::memory_order_relaxed);
    }

    void work()
    {
        std::vector<std::string> found;
        std::unique_lock lk(lock);
        for (;;) {
            changed.wait(lk, [&] { return !stack.empty() || busy == 0; });
            if (stack.empty())
                return;
            std::string path = std::move(stack.back());
            stack.pop_back();
            ++busy;
            lk.unlock();
            found.clear();
            folder(path, found);
            lk.lock();
            --busy;
            for (std::string& f : found)
                stack.push_back(std::move(f));
            if (!found.empty() || busy == 0)
                changed.notify_all();
        }
    }
};

} // namespace

static Bench::Register reg("plainwalk", "PATH [--threads N] [--hidden] [--regular]   the limit of a walk here",
                           [](const QStringList& args) {
    if (args.isEmpty()) {
        std::fprintf(stderr, "plainwalk: PATH needed\n");
        return 2;
    }
    int threads = Bench::option(args, QStringLiteral("--threads")).value_or(QStringLiteral("0")).toInt();
    if (threads < 1)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    Walk walk;
    walk.hidden = args.contains(QStringLiteral("--hidden"));
    walk.regular = args.contains(QStringLiteral("--regular"));
    std::string root = args.first().toStdString();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    struct stat st;
    if (::stat(root.c_str(), &st) != 0) {
        std::fprintf(stderr, "plainwalk: cannot read %s\n", root.c_str());
        return 1;
    }
    walk.device = st.st_dev;
    walk.stack.push_back(root);
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> pool;
    for (int i = 0; i < threads; ++i)
        pool.emplace_back([&] { walk.work(); });
    for (std::thread& t : pool)
        t.join();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("bytes=%lld seconds=%.3f threads=%d maxrss_kb=%ld\n", walk.bytes.load(), seconds, threads,
                Bench::peakKb());
    return 0;
});
