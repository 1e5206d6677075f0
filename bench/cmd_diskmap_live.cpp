// dustlet-bench diskmap-live PATH …: the Disk Map window filling in while it scans (see
// gui/diskmap_live.cpp). Runs dustlet-bench-gui from the same folder in place of this process,
// so that the user-interface libraries load only for this subcommand.
#include "BenchCommand.h"

#include <QFile>

#include <cstdio>
#include <vector>

#include <unistd.h>

static Bench::Register reg("diskmap-live", "PATH [--engine] [--busy] [--zoom] [--width W --height H]", [](const QStringList& args) {
    const QByteArray program = QFile::encodeName(Bench::programFolder() + QStringLiteral("/dustlet-bench-gui"));
    std::vector<QByteArray> words{program, QByteArrayLiteral("diskmap-live")};
    for (const QString& a : args)
        words.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    ::execv(program.constData(), argv.data());
    std::fprintf(stderr, "diskmap-live: cannot run %s\n", program.constData());
    return 2;
});
