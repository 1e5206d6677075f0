// dustlet-bench dups PATH [--groups FILE] [--threads N]: the large and duplicate file scan, timed.
#include "BenchCommand.h"

#include "services/DuplicateScanner.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>


static Bench::Register reg("dups", "PATH [--groups FILE] [--threads N]", [](const QStringList& args) {
    if (args.isEmpty()) {
        std::fprintf(stderr, "dups: PATH needed\n");
        return 2;
    }
    const int threads = Bench::option(args, QStringLiteral("--threads")).value_or(QStringLiteral("0")).toInt();
    CancelToken token;
    FileScanResult last;
    int files = 0, deliveries = 0;
    QElapsedTimer timer;
    timer.start();
    DuplicateScanner::scan(
        args.first(), token, [&](int n) { files = n; },
        [&](const FileScanResult& r) {
        last = r;
        ++deliveries;
        },
        threads);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    qint64 reclaim = 0, dupFiles = 0;
    for (const DuplicateGroup& g : last.duplicates) {
        reclaim += reclaimableBytes(g);
        dupFiles += g.files.size();
    }
    // Bytes this process read through read() and friends: shows whether file contents were read.
    long long readBytes = -1;
    QFile io(QStringLiteral("/proc/self/io"));
    if (io.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : io.readAll().split('\n'))
            if (line.startsWith("rchar:"))
                readBytes = line.mid(6).trimmed().toLongLong();
    }
    std::printf("files=%d groups=%lld duplicate_files=%lld reclaimable=%lld deliveries=%d seconds=%.3f maxrss_kb=%ld "
                "read_bytes=%lld\n",
                files, (long long)last.duplicates.size(), (long long)dupFiles, (long long)reclaim, deliveries, seconds,
                Bench::peakKb(), readBytes);
    if (const auto groupsFile = Bench::option(args, QStringLiteral("--groups"))) {
        QFile out(*groupsFile);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        // One group per line: the paths as bytes on disk, tab-separated, in walk order.
        for (const DuplicateGroup& grp : last.duplicates) {
            QList<QByteArray> paths;
            for (const ScannedFile& f : grp.files)
                paths << f.rawPath;
            out.write(paths.join('\t') + '\n');
        }
    }
    return 0;
});
