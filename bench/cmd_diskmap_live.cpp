// dustlet-bench diskmap-live PATH …: the Disk Map window filling in while it scans (see
// gui/diskmap_live.cpp). Runs dustlet-bench-gui from the same folder in place of this process,
// so that the user-interface libraries load only for this subcommand.
#include "BenchCommand.h"

static Bench::Register reg("diskmap-live", "PATH [--engine] [--busy] [--zoom] [--width W --height H]",
                           [](const QStringList& args) {
    return Bench::runInstead("dustlet-bench-gui", "diskmap-live", args);
});
