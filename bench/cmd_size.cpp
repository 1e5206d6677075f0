// dustlet-bench size PATH: the allocated size of a tree through Scanner::directorySize, with the
// wall time of the walk and the peak memory of the process.
#include "BenchCommand.h"

#include "services/Scanner.h"

#include <QElapsedTimer>

#include <cstdio>


static Bench::Register reg("size", "PATH   allocated bytes of PATH (Scanner::directorySize)",
                           [](const QStringList& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: dustlet-bench size PATH\n");
        return 2;
    }
    qint64 reports = 0;
    QElapsedTimer timer;
    timer.start();
    const qint64 bytes = Scanner::directorySize(args.first(), [&](qint64) { ++reports; });
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("bytes %lld\nseconds %.3f\nprogress_calls %lld\nmax_rss_kb %ld\n", (long long)bytes, seconds,
                (long long)reports, Bench::peakKb());
    return 0;
});
