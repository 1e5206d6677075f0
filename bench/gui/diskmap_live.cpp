// dustlet-bench-gui diskmap-live PATH [--engine] [--busy] [--zoom] [--width W --height H]
// The Disk Map window scanning PATH under the offscreen platform: the real model, canvas, list
// and legend, as the window shows them while the scan fills the map in. Prints, in seconds, one
// per line: the time to the first partial map on screen ("first"), the longest the main thread
// was kept from a 1 ms timer ("stall"), and the time until the finished map is on screen
// ("total"), of which the time until the finished tree reached the model ("tree-in"); with --engine also the bare scan of the same tree ("engine"), run after one untimed
// warm-up walk so that both read a warm cache; with --busy the longest single event the main
// thread handled in processor time (its own share of the worst stall, apart from time the system
// gave elsewhere) and the longest in elapsed time with the processor time it took
// ("longest-event"); with --zoom the time to zoom into the largest folder of the finished map and
// draw the window. The last lines are the process's peak resident memory in megabytes when the
// scan starts, with the window on screen ("rss-before"), and at the end ("rss"; with --engine it
// includes the warm-up walk's tree).
//
// dustlet-bench runs this program for its "diskmap-live" subcommand, so that its other
// subcommands start without loading the user-interface libraries.
#include "AppModel.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"
#include "services/DiskMapScanner.h"
#include "views/diskmap/DiskMapCanvas.h"
#include "views/diskmap/DiskMapModel.h"
#include "views/diskmap/DiskMapView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

#include <sys/resource.h>

namespace {

double engineSeconds(const QString& path)
{
    CancelToken token;
    QElapsedTimer t;
    t.start();
    DiskMapScanner::scanStreaming(path, token);
    return double(t.nsecsElapsed()) / 1e9;
}

// Notes each paint of the map: whether it drew a partial map, and whether the finished one.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(DiskMapModel& model) : m_model(model) {}
    bool partialShown = false;
    bool finishedShown = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_model.root()) {
            partialShown = true;
            if (!m_model.isScanning())
                finishedShown = true;
        }
        return false;
    }

private:
    DiskMapModel& m_model;
};

// Times the processor time of every event the main thread handles: the longest one is the main
// thread's own share of a stall, apart from the time the system gave other threads. The longest
// event in elapsed time is kept too: when it is much longer than its processor time, the thread
// waited inside it (for a lock, or for the processor).
class TimedApp : public QApplication {
public:
    using QApplication::QApplication;
    qint64 longest = 0; // thread CPU time, ns
    QString longestWhat;
    qint64 longestWall = 0; // ns
    qint64 longestWallCpu = 0; // its processor time, ns

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (++m_depth > 1) {
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        const qint64 before = cpuNow();
        const qint64 wallBefore = wallNow();
        const int type = event->type();
        const char* className = receiver->metaObject()->className();
        const bool handled = QApplication::notify(receiver, event);
        const qint64 ns = cpuNow() - before;
        if (ns > longest) {
            longest = ns;
            longestWhat = QStringLiteral("%1 event %2").arg(QString::fromLatin1(className), QString::number(type));
        }
        if (const qint64 wall = wallNow() - wallBefore; wall > longestWall) {
            longestWall = wall;
            longestWallCpu = ns;
        }
        --m_depth;
        return handled;
    }

private:
    static qint64 cpuNow() { return clockNow(CLOCK_THREAD_CPUTIME_ID); }
    static qint64 wallNow() { return clockNow(CLOCK_MONOTONIC); }
    static qint64 clockNow(clockid_t clock)
    {
        timespec ts{};
        ::clock_gettime(clock, &ts);
        return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
    }
    int m_depth = 0;
};

int usage()
{
    std::fprintf(stderr,
                 "usage: dustlet-bench diskmap-live PATH [--engine] [--busy] [--zoom] [--width W --height H]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApp app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args.first() == QLatin1String("diskmap-live"))
        args.removeFirst();
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--")))
        return usage();
    const QString path = Paths::expandTilde(args.first());
    const auto option = [&](const char* name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
    };
    const bool withEngine = args.contains(QStringLiteral("--engine"));
    if (withEngine)
        engineSeconds(path); // warms the cache for both timed runs

    // The application model with its settings in a folder of its own: nothing of the user's is
    // read or written.
    QTemporaryDir scratch;
    UserDefaults defaults(scratch.filePath(QStringLiteral("defaults.plist")));
    AppModelEnvironment env;
    env.defaults = &defaults;
    env.home = [] { return Paths::home(); };
    AppModel appModel(env);
    DiskMapEnvironment mapEnv;
    mapEnv.defaults = &defaults;
    DiskMapView view(appModel, mapEnv);
    view.resize(option("--width", 900), option("--height", 620));
    view.show();

    PaintWatch watch(view.model());
    view.canvas()->installEventFilter(&watch);
    qint64 treeIn = -1; // when the finished tree reached the model

    QElapsedTimer clock;
    qint64 start = -1, last = 0, worst = 0, first = -1, total = -1;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &app, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last - 1'000'000);
        last = now;
        if (start < 0)
            return;
        if (first < 0 && watch.partialShown)
            first = now - start;
        if (watch.finishedShown) {
            total = now - start;
            app.quit();
        }
    });
    double rssBefore = 0; // MB, the peak so far, with the window on screen and nothing scanned
    QObject::connect(&view.model(), &DiskMapModel::isScanningChanged, &app, [&] {
        if (!view.model().isScanning() && start >= 0)
            treeIn = clock.nsecsElapsed() - start;
    });
    QTimer::singleShot(50, &app, [&] {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        rssBefore = double(before.ru_maxrss) / 1024.0;
        start = clock.nsecsElapsed();
        view.model().scan(path);
    });
    clock.start();
    tick.start();
    app.exec();

    std::printf("first %.3f\nstall %.3f\ntotal %.3f\ntree-in %.3f\n", double(first) / 1e9, double(worst) / 1e9,
                double(total) / 1e9, double(treeIn) / 1e9);
    if (args.contains(QStringLiteral("--zoom")) && view.model().root()) {
        // Into the largest folder of the finished map (for a flat folder of many small files,
        // the folded "(smaller items)"), until it is on screen.
        QElapsedTimer z;
        z.start();
        const QList<DiskNode> kids = view.model().root()->children();
        for (const DiskNode& k : kids)
            if (k.isDirectory() && k.hasChildren()) {
                view.model().zoom(k);
                break;
            }
        (void)view.grab(); // drawn as it would be on screen
        std::printf("zoom %.3f (%lld items)\n", double(z.nsecsElapsed()) / 1e9,
                    (long long)(view.model().current() ? view.model().current()->childCount() : 0));
    }
    if (args.contains(QStringLiteral("--busy"))) {
        std::printf("busy %.3f (%s)\n", double(app.longest) / 1e9, qPrintable(app.longestWhat));
        std::printf("longest-event %.3f (%.3f of it on the processor)\n", double(app.longestWall) / 1e9,
                    double(app.longestWallCpu) / 1e9);
    }
    if (withEngine)
        std::printf("engine %.3f\n", engineSeconds(path));
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("rss-before %.1f\n", rssBefore);
    std::printf("rss %.1f\n", double(usage.ru_maxrss) / 1024.0);
    return first < 0 || total < 0 ? 1 : 0;
}
