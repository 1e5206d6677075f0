// The about window: with no history, and with a history of cleanups to the Trash (one put back
// already), a deletion for good and a tool's removal, longer than the window.
#include "RenderKit.h"

#include "FakeUpdaterController.h"

#include "AppModel.h"
#include "services/Updater.h"
#include "views/about/AboutView.h"

namespace {

using namespace RenderKit;

CleanRecord record(const QString& name, qint64 freed, int minutesAgo, bool trashed, int items, bool restored = false)
{
    CleanRecord r;
    r.targetName = name;
    r.freed = freed;
    r.date = QDateTime(QDate(2026, 3, 4), QTime(15, 4), Qt::UTC).addSecs(-60 * minutesAgo);
    r.trashed = trashed;
    if (items > 0) {
        r.items = QList<TrashedItem>{};
        for (int i = 0; i < items; ++i)
            r.items->append({QStringLiteral("/home/u/x%1").arg(i), QStringLiteral("/home/u/.local/share/Trash/files/x%1").arg(i)});
    }
    if (restored)
        r.restored = true;
    return r;
}

void about()
{
    AppModel& model = RenderKit::model();
    auto updater = std::make_unique<Updater>(std::make_unique<FakeUpdaterController>(), false);
    settle();
    const QList<CleanRecord> savedHistory = model.history();
    const qint64 savedTotal = model.totalFreedAllTime();

    model.setHistory({});
    model.setTotalFreedAllTime(0);
    shoot(new AboutView(model, *updater), QStringLiteral("about-empty"));

    model.setHistory({
        record(QStringLiteral("App caches"), 1'830'000'000, 5, true, 3),
        record(QStringLiteral("2 project folders"), 412'000'000, 60, true, 2, true),
        record(QStringLiteral("Homebrew cache"), 96'500'000, 180, false, 0),
        record(QStringLiteral("Uninstalled Very Long Application Name That Goes On <b>and on</b> & on"), 251'000'000, 600, true, 4),
        record(QStringLiteral("Logs"), 12'400'000, 1440, true, 0),
        record(QStringLiteral("Browser caches"), 640'000'000, 2880, true, 1),
        record(QStringLiteral("Trash"), 3'100'000'000, 4320, false, 0),
        record(QStringLiteral("Xcode DerivedData"), 8'200'000'000, 10000, true, 5),
    });
    model.setTotalFreedAllTime(48'700'000'000);
    shoot(new AboutView(model, *updater), QStringLiteral("about-history"));

    model.setHistory(savedHistory);
    model.setTotalFreedAllTime(savedTotal);
}

} // namespace

DUSTLET_RENDER("about", 80, about);
