// dustlet-bench panel … and dustlet-bench targets: the application model's benchmarks (see
// model/). They run dustlet-bench-model from the same folder in place of this process, so that
// the libraries only the model needs (settings, notifications, updates) load only for them and
// the engines' subcommands start quickly.
#include "BenchCommand.h"

static Bench::Register panel("panel", "TREE [--small N]   all targets sized through AppModel::scanAll",
                             [](const QStringList& args) {
    return Bench::runInstead("dustlet-bench-model", "panel", args);
});
static Bench::Register targets("targets", "        every target's size and the reclaimable total (AppModel)",
                               [](const QStringList& args) {
    return Bench::runInstead("dustlet-bench-model", "targets", args);
});
