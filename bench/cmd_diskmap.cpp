// dustlet-bench diskmap PATH [--threads N]: the Disk Map scan of PATH, timed.
#include "BenchCommand.h"

#include "platform/WalkPool.h"
#include "services/DiskMapScanner.h"

#include <QElapsedTimer>

#include <cstdio>


namespace {

struct Counts {
    qint64 nodes = 0;
    qint64 files = 0;
};

// Every stored item, folded ones included.
void count(const DiskNode& n, Counts& c, bool dump, int depth = 0)
{
    if (dump)
        std::printf("%*s%s %lld%s\n", depth * 2, "", qPrintable(n.id()), (long long)n.size(),
                    n.isDirectory() ? " /" : "");
    ++c.nodes;
    if (!n.isDirectory())
        ++c.files;
    for (const DiskNode& k : n.children())
        count(k, c, dump, depth + 1);
}

} // namespace

static Bench::Register reg("diskmap", "PATH [--threads N] [--no-count] [--dump]", [](const QStringList& args) {
    if (args.isEmpty()) {
        std::fprintf(stderr, "diskmap: PATH needed\n");
        return 2;
    }
    const int threads = Bench::option(args, QStringLiteral("--threads")).value_or(QStringLiteral("0")).toInt();
    CancelToken token;
    qint64 children = 0, progress = 0;
    QElapsedTimer timer;
    timer.start();
    const DiskNode root = DiskMapScanner::scanStreaming(
        args.first(), token, [&](qint64) { ++progress; }, [&](const DiskNode&) { ++children; }, threads);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const long rss = Bench::peakKb();
    Counts c;
    if (!args.contains(QStringLiteral("--no-count")))
        count(root, c, args.contains(QStringLiteral("--dump")));
    std::printf("bytes=%lld seconds=%.3f maxrss_kb=%ld top_children=%lld progress_calls=%lld files=%lld nodes=%lld "
                "walkers=%d\n",
                (long long)root.size(), seconds, rss, (long long)children, (long long)progress, (long long)c.files,
                (long long)c.nodes, WalkPool::shared().threads());
    return 0;
});
