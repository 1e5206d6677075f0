// The reclaimable total counts every byte once, however the targets' places nest, while each row
// keeps its own size; and the Trash's figure is fresh after everything was cleared into it.
#include "AppModelFakes.h"

#include "platform/ByteCountFormatter.h"

#include <QtTest>

Q_DECLARE_METATYPE(HostPlatform)

namespace {
using Place = Scanner::MeasuredPlace;

QStringList ids(const AppModel& model)
{
    QStringList out;
    for (const TargetState& t : model.targets())
        out.append(t.target.id);
    return out;
}

// Enables exactly `enabled` (ids with "~" expanded).
void enableOnly(AppModel& model, QStringList enabled, const QString& home)
{
    for (QString& id : enabled)
        id.replace(QStringLiteral("~"), home);
    QSet<QString> disabled;
    for (const QString& id : ids(model))
        if (!enabled.contains(id))
            disabled.insert(id);
    model.settings().setDisabledTargetIDs(disabled);
}
} // namespace

class tst_AppModelTotals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nestedPlacesCountOnce_data();
    void nestedPlacesCountOnce();
    void nestedPlacesMeasuredForReal();
    void trashMeasuredAgainAfterCleanAll();
    void trashMeasuredAgainAfterScheduledCleanup();
};

// Each row enables some targets of a seeded home and gives the total that clearing them frees.
// macOS: the app caches (~/Library/Caches) hold the browser, pip and music caches. Elsewhere: the
// app caches measure the cache folder without the entries other targets own (pip, the browsers).
void tst_AppModelTotals::nestedPlacesCountOnce_data()
{
    QTest::addColumn<HostPlatform>("platform");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<qint64>("total");
    const auto mac = HostPlatform::macOS;
    const auto linux = HostPlatform::other;
    QTest::newRow("app caches hold part of a browser cache")
        << mac << QStringList{"appcaches", "chrome"} << qint64(1050);
    QTest::newRow("the browser cache alone") << mac << QStringList{"chrome"} << qint64(350);
    QTest::newRow("the app caches alone") << mac << QStringList{"appcaches"} << qint64(1000);
    QTest::newRow("several caches inside the app caches")
        << mac << QStringList{"appcaches", "chrome", "pip", "musiccache"} << qint64(1050);
    QTest::newRow("a custom folder holds a tool's caches")
        << mac << QStringList{"gradle", "custom:~/.gradle"} << qint64(450);
    QTest::newRow("a place two targets share counts once")
        << mac << QStringList{"pip", "custom:~/Library/Caches/pip"} << qint64(70);
    QTest::newRow("a size without places counts whole") << mac << QStringList{"npm", "appcaches"} << qint64(1007);
    QTest::newRow("nothing nested") << mac << QStringList{"trash", "logs", "gradle"} << qint64(415);
    QTest::newRow("desktop: other targets' entries are not the app caches'")
        << linux << QStringList{"appcaches", "pip", "firefox"} << qint64(880);
    QTest::newRow("desktop: a custom folder in an entry the app caches leave")
        << linux << QStringList{"appcaches", "custom:~/.cache/pip/http"} << qint64(630);
    QTest::newRow("desktop: that custom folder inside the pip cache")
        << linux << QStringList{"appcaches", "pip", "custom:~/.cache/pip/http"} << qint64(800);
    QTest::newRow("desktop: a custom folder inside the app caches")
        << linux << QStringList{"appcaches", "custom:~/.cache/fontconfig"} << qint64(600);
}

void tst_AppModelTotals::nestedPlacesCountOnce()
{
    QFETCH(HostPlatform, platform);
    QFETCH(QStringList, enabled);
    QFETCH(qint64, total);
    ModelFixture f;
    f.platform = platform;
    const QString h = f.home.path();
    const auto seed = [&](const QString& id, qint64 size, QList<Place> places) {
        f.sizes.insert(id, size);
        f.places.insert(id, places);
    };
    QStringList custom;
    if (platform == HostPlatform::macOS) {
        seed("trash", 10, {{h + "/.Trash", 10}});
        seed("appcaches", 1000, {{h + "/Library/Caches", 1000}});
        seed("logs", 5, {{h + "/Library/Logs", 5}});
        seed("chrome", 350,
             {{h + "/Library/Caches/Google/Chrome", 300},
              {h + "/Library/Application Support/Google/Chrome/Default/Cache", 50}});
        seed("musiccache", 60,
             {{h + "/Library/Caches/com.apple.Music/SubscriptionPlayCache", 40},
              {h + "/Library/Caches/com.apple.Music/fsCachedData", 20}});
        seed("pip", 70, {{h + "/Library/Caches/pip", 70}});
        seed("gradle", 400, {{h + "/.gradle/caches", 300}, {h + "/.gradle/wrapper/dists", 100}});
        seed("npm", 7, {});
        custom = {h + "/.gradle", h + "/Library/Caches/pip"};
        seed("custom:" + custom[0], 450, {{custom[0], 450}});
        seed("custom:" + custom[1], 70, {{custom[1], 70}});
        f.home.defaults().setBool(QStringLiteral("cleanMusicCache"), true);
    } else {
        seed("appcaches", 600, {{h + "/.cache", 600}}); // without the entries it leaves alone
        seed("pip", 200, {{h + "/.cache/pip", 200}});
        seed("firefox", 80, {{h + "/.cache/mozilla/firefox/x.default/cache2", 80}});
        custom = {h + "/.cache/pip/http", h + "/.cache/fontconfig"};
        seed("custom:" + custom[0], 30, {{custom[0], 30}});
        seed("custom:" + custom[1], 5, {{custom[1], 5}});
    }
    f.home.defaults().setBool(QStringLiteral("developerMode"), true);
    f.home.defaults().setStringArray(QStringLiteral("customFolders"), custom);
    auto model = f.makeModel();
    QCoro::waitFor(model->scanAll());
    enableOnly(*model, enabled, h);

    QCOMPARE(model->totalReclaimable(), total);
    model->requestCleanAll();
    const PendingClean pending = *model->pendingClean();
    QCOMPARE(pending.sizeText, std::optional<QString>(formatBytes(total)));
    // The rows, and the confirmation's lines, keep their own sizes.
    for (const ConfirmItem& item : pending.items) {
        const TargetState* t = nullptr;
        for (const TargetState& s : model->targets())
            if (s.target.name == item.label)
                t = &s;
        QVERIFY(t);
        QCOMPARE(item.size, f.sizes.value(t->target.id));
        QCOMPARE(t->size, f.sizes.value(t->target.id));
    }
}

// With the real measuring in a test home laid out like a Mac's: the app caches hold the Chrome
// cache; the total counts its bytes once, each row shows its own.
void tst_AppModelTotals::nestedPlacesMeasuredForReal()
{
    TestHome home;
    AppModelEnvironment env = AppModel::realEnvironment(home.defaults());
    env.platform = HostPlatform::macOS;
    const qint64 chrome = TestHome::allocated(home.writeFile("Library/Caches/Google/Chrome/Default/blob", 256 * 1024));
    const qint64 own = TestHome::allocated(home.writeFile("Library/Caches/com.example/data", 128 * 1024));
    const qint64 profile =
        TestHome::allocated(home.writeFile("Library/Application Support/Google/Chrome/Default/Cache/c", 64 * 1024));
    AppModel model(env);
    QCoro::waitFor(model.scanAll());
    QCOMPARE(findTarget(model, "appcaches")->size, std::optional<qint64>(chrome + own));
    QCOMPARE(findTarget(model, "chrome")->size, std::optional<qint64>(chrome + profile));
    QCOMPARE(model.totalReclaimable(), chrome + own + profile);
    model.settings().setEnabled(false, QStringLiteral("appcaches"));
    QCOMPARE(model.totalReclaimable(), chrome + profile);
}

void tst_AppModelTotals::trashMeasuredAgainAfterCleanAll()
{
    ModelFixture f;
    f.sizes.insert("trash", 0);
    f.sizes.insert("appcaches", 4096);
    auto model = f.makeModel();
    QCoro::waitFor(model->scanAll());
    QCOMPARE(findTarget(*model, "trash")->size, std::optional<qint64>(0));

    // The Trash is emptied first; what the other targets move there afterwards is in it at the end.
    f.outcomes.insert("appcaches", CleanOutcome{4096, std::nullopt, {{"/c", "/t/c"}}});
    f.holdCleans = true;
    auto task = model->cleanAll(true);
    while (!f.cleanGates.empty() && !f.cleanGates.back()->promise.future().isFinished()) {
        const QString id = f.cleanGates.back()->id;
        if (id == QLatin1String("appcaches")) {
            f.sizes.insert("appcaches", 0);
            f.sizes.insert("trash", 4096);
        }
        f.finishClean(f.outcomes.value(id));
        settle();
    }
    QCoro::waitFor(task);
    QCOMPARE(findTarget(*model, "trash")->size, std::optional<qint64>(4096));
    QCOMPARE(findTarget(*model, "appcaches")->size, std::optional<qint64>(0));
    QCOMPARE(f.sizeCalls.last(), QStringLiteral("trash"));

    // Also when the Trash itself was not to be cleared.
    model->settings().setEnabled(false, QStringLiteral("trash"));
    f.sizes.insert("trash", 8192);
    f.holdCleans = false;
    QCoro::waitFor(model->cleanAll(true));
    QCOMPARE(findTarget(*model, "trash")->size, std::optional<qint64>(8192));
}

void tst_AppModelTotals::trashMeasuredAgainAfterScheduledCleanup()
{
    ModelFixture f;
    f.home.defaults().setString(QStringLiteral("cleanupSchedule"), QStringLiteral("daily"));
    f.home.defaults().setDate(QStringLiteral("lastAutoCleanup"), f.clock.now().addDays(-2));
    f.sizes.insert("trash", 0);
    auto model = f.makeModel();
    QCoro::waitFor(model->scanAll());
    f.sizes.insert("trash", 2048); // what the scheduled cleanup moves there
    model->runScheduledCleanupIfDue();
    QTRY_VERIFY(!model->isCleaningAll());
    QVERIFY(!f.cleanCalls.isEmpty());
    QCOMPARE(findTarget(*model, "trash")->size, std::optional<qint64>(2048));
    QCOMPARE(f.sizeCalls.last(), QStringLiteral("trash"));
}

QTEST_GUILESS_MAIN(tst_AppModelTotals)
#include "tst_AppModelTotals.moc"
