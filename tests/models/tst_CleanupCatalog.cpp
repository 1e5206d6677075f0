#include "TestHome.h"
#include "models/CleanupCatalog.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>

#include <algorithm>

using Platform = CleanupCatalog::Platform;

namespace {
const CleanupTarget& byId(const QString& id, Platform platform = Platform::macOS)
{
    for (const CleanupTarget& t : CleanupCatalog::builtIn(platform))
        if (t.id == id)
            return t;
    qFatal("no target %s", qPrintable(id));
}

const CleanupTarget* find(const QString& id, Platform platform)
{
    for (const CleanupTarget& t : CleanupCatalog::builtIn(platform))
        if (t.id == id)
            return &t;
    return nullptr;
}

// The places of a paths or command kind, as stored.
QStringList placesOf(const CleanupKind& kind)
{
    if (const auto* p = std::get_if<CleanupKinds::Paths>(&kind))
        return p->paths;
    if (const auto* c = std::get_if<CleanupKinds::Command>(&kind))
        return c->fallbackPaths;
    return {};
}
} // namespace

class tst_CleanupCatalog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void catalogShape()
    {
        const auto& all = CleanupCatalog::builtIn(Platform::macOS);
        QCOMPARE(all.size(), 27);
        QCOMPARE(&all, &CleanupCatalog::builtIn(Platform::macOS)); // built once, shared
        QCOMPARE(&CleanupCatalog::builtIn(), &CleanupCatalog::builtIn(hostPlatform()));
        const QStringList order{"trash",
                                "appcaches",
                                "logs",
                                "savedstate",
                                "musiccache",
                                "maildownloads",
                                "chrome",
                                "safari",
                                "firefox",
                                "derived",
                                "devicesupport",
                                "sims",
                                "gradle",
                                "npm",
                                "yarn",
                                "pnpm",
                                "uv",
                                "pip",
                                "pods",
                                "pub",
                                "go",
                                "cargo",
                                "docker",
                                "jetbrains",
                                "brew",
                                "swiftpm",
                                "ml"};
        QStringList ids;
        for (const auto& t : all) {
            ids << t.id;
            QVERIFY(t.isBuiltIn);
            QVERIFY(t.category != CleanupCategory::buildArtifacts && t.category != CleanupCategory::custom);
        }
        QCOMPARE(ids, order);
        QCOMPARE(byId("chrome").category, CleanupCategory::browsers);
        QCOMPARE(byId("derived").category, CleanupCategory::developer);
        QCOMPARE(byId("maildownloads").category, CleanupCategory::recommended);
        QCOMPARE(byId("savedstate").detail,
                 QString::fromUtf8("Window/tab restore data \u2014 apps won't reopen last session"));
        QCOMPARE(byId("brew").kind,
                 CleanupKind(CleanupKinds::Command{"brew cleanup -s", {"~/Library/Caches/Homebrew"}}));
        QCOMPARE(byId("ml").kind,
                 CleanupKind(CleanupKinds::Paths{
                     {"~/.cache/puppeteer", "~/.cache/huggingface", "~/.cache/whisper", "~/.cache/selenium"}}));
        QCOMPARE(byId("trash").kind, CleanupKind(CleanupKinds::Paths{{"~/.Trash"}}));
        QCOMPARE(byId("appcaches").kind, CleanupKind(CleanupKinds::Paths{{"~/Library/Caches"}}));
    }

    void displayPaths()
    {
        TestHome home;
        QCOMPARE(byId("sims").displayPaths(), QStringList());
        QCOMPARE(byId("docker").displayPaths(), QStringList());
        QCOMPARE(byId("npm").displayPaths(), QStringList{home(".npm/_cacache")});
        QCOMPARE(byId("trash").displayPaths(), QStringList{home(".Trash")});
        // Off macOS the desktop Trash (files and their records) is emptied too.
        QCOMPARE(byId("trash", Platform::other).displayPaths(),
                 (QStringList{home(".Trash"), home(".local/share/Trash/files"), home(".local/share/Trash/info")}));
        QCOMPARE(byId("firefox", Platform::other).displayPaths(), QStringList{home(".cache/mozilla/firefox/*/cache2")});

        const auto finders = CleanupCatalog::finderTargets({"~/src", "/work"}, {"~/src/app"}, 7);
        QCOMPARE(finders.size(), 5);
        const CleanupTarget& venv = finders[4];
        QCOMPARE(venv.id, QString("venv"));
        QCOMPARE(venv.displayPaths(),
                 (QStringList{home("src") + QString::fromUtf8(" \u2192 .venv, venv"),
                              QString::fromUtf8("/work \u2192 .venv, venv")}));
        QCOMPARE(CleanupCatalog::finderTargets({}, {}, 0)[0].displayPaths(), QStringList());
        const auto& kind = std::get<CleanupKinds::Finder>(finders[2].kind);
        QCOMPARE(finders[2].id, QString("rust_target"));
        QCOMPARE(kind.maxDepth, 4);
        QCOMPARE(kind.requireMarker, QStringList{"Cargo.toml"});
        QCOMPARE(kind.ignore, QStringList{"~/src/app"}); // stored unexpanded
        QCOMPARE(kind.minAgeDays, 7);
        for (const auto& t : finders) {
            QCOMPARE(t.category, CleanupCategory::buildArtifacts);
            QCOMPARE(t.symbol, QString("shippingbox.fill"));
        }
    }

    void whySafe_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<CleanupCategory>("category");
        QTest::addColumn<QString>("text");
        QTest::newRow("trash") << "trash" << CleanupCategory::recommended
                               << "These are items you already moved to the Trash.";
        QTest::newRow("logs")
            << "logs" << CleanupCategory::recommended
            << QString::fromUtf8(
                   "Old diagnostic logs. Apps write fresh ones as needed \u2014 nothing you use is lost.");
        QTest::newRow("derived own sentence")
            << "derived" << CleanupCategory::developer << "Xcode rebuilds DerivedData on your next build.";
        QTest::newRow("pip developer") << "pip" << CleanupCategory::developer
                                       << "Re-downloaded or rebuilt automatically the next time you build or install.";
        QTest::newRow("browser") << "chrome" << CleanupCategory::browsers
                                 << "Apps and websites recreate these caches automatically when they next need them.";
        QTest::newRow("node_modules") << "node_modules" << CleanupCategory::buildArtifacts
                                      << "Reinstalled instantly with npm / yarn / pnpm install.";
        QTest::newRow("build")
            << "pycache" << CleanupCategory::buildArtifacts
            << QString::fromUtf8("Rebuilt the next time you build the project (npm install, cargo build, \u2026).");
        QTest::newRow("custom") << "custom:/x/derived" << CleanupCategory::custom
                                << QString::fromUtf8(
                                       "A folder you added yourself \u2014 only its contents are cleared.");
    }
    void whySafe()
    {
        QFETCH(QString, id);
        QFETCH(CleanupCategory, category);
        QFETCH(QString, text);
        CleanupTarget t{id, "n", "s", "d", CleanupKinds::Paths{{}}, category, true};
        QCOMPARE(t.whySafe(), text);
    }

    void categoriesAndEquality()
    {
        QCOMPARE(CleanupCategoryFromRaw("Recommended"), std::optional(CleanupCategory::recommended));
        QCOMPARE(CleanupCategoryFromRaw("recommended"), std::nullopt);
        QCOMPARE(CleanupCategoryFromRaw("Custom folders"), std::optional(CleanupCategory::custom));
        QCOMPARE(allCleanupCategories().size(), 5);
        CleanupTarget a = byId("pip");
        CleanupTarget b = a;
        QVERIFY(a == b);
        b.isBuiltIn = false;
        QVERIFY(!(a == b));
        // Lists in a kind compare element by element, in order.
        QVERIFY(CleanupKind(CleanupKinds::Paths{{"a", "b"}}) != CleanupKind(CleanupKinds::Paths{{"b", "a"}}));
    }

    // Off macOS: which targets exist, in catalog order, and where each one's places are with the XDG
    // base folders unset, set inside the home folder and set elsewhere. "$C" and "$D" stand for the
    // cache and data folders as stored ("~"-relative inside home).
    void offeredTargets()
    {
        TestHome home;
        QStringList ids;
        for (const CleanupTarget& t : CleanupCatalog::builtIn(Platform::other))
            ids << t.id;
        QCOMPARE(ids,
                 (QStringList{"trash", "appcaches", "chrome", "firefox", "gradle", "npm", "yarn", "pnpm", "uv", "pip",
                              "pub", "go", "cargo", "docker", "jetbrains", "brew", "swiftpm", "ml"}));
        // Everything else of the macOS catalog stands for data only macOS keeps.
        const QStringList macOnly{"logs",    "savedstate",    "musiccache", "maildownloads", "safari",
                                  "derived", "devicesupport", "sims",       "pods"};
        for (const CleanupTarget& t : CleanupCatalog::builtIn(Platform::macOS)) {
            QVERIFY(CleanupCatalog::isOffered(t.id, Platform::macOS));
            QCOMPARE(CleanupCatalog::isOffered(t.id, Platform::other), !macOnly.contains(t.id));
            QCOMPARE(CleanupCatalog::isOffered(t.id), hostPlatform() == Platform::macOS || !macOnly.contains(t.id));
        }
        // Ids the catalog does not know are offered everywhere.
        for (const QString& id : {QStringLiteral("node_modules"), QStringLiteral("custom:/tmp/x")}) {
            QVERIFY(CleanupCatalog::isOffered(id, Platform::macOS));
            QVERIFY(CleanupCatalog::isOffered(id, Platform::other));
        }
    }

    // Names, symbols, categories and details stay the catalog's own, but for the one name that
    // the Linux places make untrue.
    void textsStayTheCatalogs()
    {
        TestHome home;
        for (const CleanupTarget& t : CleanupCatalog::builtIn(Platform::other)) {
            const CleanupTarget& mac = byId(t.id, Platform::macOS);
            QCOMPARE(t.symbol, mac.symbol);
            QCOMPARE(t.category, mac.category);
            QCOMPARE(t.detail, mac.detail);
            QCOMPARE(t.whySafe(), mac.whySafe());
            QVERIFY(t.isBuiltIn);
            if (t.id == QLatin1String("chrome"))
                QCOMPARE(t.name, QString("Chrome / Chromium cache"));
            else
                QCOMPARE(t.name, mac.name);
            // A command keeps its command line; only the fallback places move.
            if (const auto* c = std::get_if<CleanupKinds::Command>(&t.kind))
                QCOMPARE(c->shell, std::get<CleanupKinds::Command>(mac.kind).shell);
            else
                QCOMPARE(t.kind.index(), mac.kind.index());
        }
    }

    void places_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("trash") << "trash" << QStringList{"~/.Trash", "$D/Trash/files", "$D/Trash/info"};
        QTest::newRow("appcaches") << "appcaches" << QStringList{"$C"};
        QTest::newRow("chrome") << "chrome" << QStringList{"$C/google-chrome", "$C/chromium"};
        QTest::newRow("firefox: each profile's cache2") << "firefox" << QStringList{"$C/mozilla/firefox/*/cache2"};
        QTest::newRow("gradle") << "gradle" << QStringList{"~/.gradle/caches", "~/.gradle/wrapper/dists"};
        QTest::newRow("npm") << "npm" << QStringList{"~/.npm/_cacache"};
        QTest::newRow("yarn") << "yarn" << QStringList{"$C/yarn"};
        QTest::newRow("pnpm") << "pnpm" << QStringList{"$D/pnpm/store", "~/.pnpm-store"};
        QTest::newRow("uv") << "uv" << QStringList{"$C/uv"};
        QTest::newRow("pip") << "pip" << QStringList{"$C/pip"};
        QTest::newRow("pub") << "pub" << QStringList{"~/.pub-cache"};
        QTest::newRow("go") << "go" << QStringList{"~/go/pkg/mod"};
        QTest::newRow("cargo") << "cargo" << QStringList{"~/.cargo/registry/cache", "~/.cargo/registry/src"};
        QTest::newRow("docker") << "docker" << QStringList{};
        QTest::newRow("jetbrains") << "jetbrains" << QStringList{"$C/JetBrains"};
        QTest::newRow("brew") << "brew" << QStringList{"$C/Homebrew"};
        QTest::newRow("swiftpm") << "swiftpm" << QStringList{"$C/org.swift.swiftpm", "$C/typescript", "$C/node-gyp"};
        QTest::newRow("ml: puppeteer and selenium ignore XDG")
            << "ml" << QStringList{"~/.cache/puppeteer", "$C/huggingface", "$C/whisper", "~/.cache/selenium"};
    }
    void places()
    {
        QFETCH(QString, id);
        QFETCH(QStringList, expected);
        struct Case {
            const char* name;
            const char* cache;
            const char* data;
            QString storedCache, storedData;
        };
        const QString outside = QStringLiteral("/nonexistent-%1").arg(QCoreApplication::applicationPid());
        const Case cases[] = {
            {"unset", nullptr, nullptr, "~/.cache", "~/.local/share"},
            {"inside home", "xdg/cache", "xdg/data", "~/xdg/cache", "~/xdg/data"},
            {"elsewhere", "", "", outside + "/cache", outside + "/data"},
        };
        for (const Case& c : cases) {
            TestHome home;
            if (!c.cache) {
                qunsetenv("XDG_CACHE_HOME");
                qunsetenv("XDG_DATA_HOME");
            } else if (*c.cache) {
                qputenv("XDG_CACHE_HOME", home(c.cache).toLocal8Bit());
                qputenv("XDG_DATA_HOME", home(c.data).toLocal8Bit());
            } else {
                qputenv("XDG_CACHE_HOME", (outside + "/cache").toLocal8Bit());
                qputenv("XDG_DATA_HOME", (outside + "/data").toLocal8Bit());
            }
            QStringList want;
            for (QString p : expected)
                want << p.replace("$C", c.storedCache).replace("$D", c.storedData);
            const CleanupTarget* t = find(id, Platform::other);
            QVERIFY2(t, c.name);
            QCOMPARE(placesOf(t->kind), want);
            QStringList shown;
            for (const QString& p : want)
                shown << (p.startsWith('~') ? home.path() + p.mid(1) : p);
            QCOMPARE(t->displayPaths(), shown);
        }
    }

    // The app caches keep every entry of the cache folder that holds another target's place, so
    // that no byte is another target's too and the scheduled cleanup leaves developer caches alone.
    void appCachesKeepOtherTargetsOut()
    {
        TestHome home;
        const auto& kind = std::get<CleanupKinds::Paths>(byId("appcaches", Platform::other).kind);
        QCOMPARE(kind.keep,
                 (QStringList{"~/.cache/google-chrome", "~/.cache/chromium", "~/.cache/mozilla", "~/.cache/yarn",
                              "~/.cache/uv", "~/.cache/pip", "~/.cache/JetBrains", "~/.cache/Homebrew",
                              "~/.cache/org.swift.swiftpm", "~/.cache/typescript", "~/.cache/node-gyp",
                              "~/.cache/puppeteer", "~/.cache/huggingface", "~/.cache/whisper", "~/.cache/selenium"}));
        // Every other target's place inside the cache folder lies in a kept entry.
        for (const CleanupTarget& t : CleanupCatalog::builtIn(Platform::other)) {
            if (t.id == QLatin1String("appcaches"))
                continue;
            for (const QString& p : placesOf(t.kind)) {
                if (!p.startsWith(QLatin1String("~/.cache/")))
                    continue;
                QVERIFY2(std::any_of(kind.keep.begin(), kind.keep.end(),
                                     [&](const QString& k) { return p == k || p.startsWith(k + '/'); }),
                         qPrintable(p));
            }
        }
        // A cache folder elsewhere keeps the entries that follow it; puppeteer and selenium are
        // no longer inside it.
        qputenv("XDG_CACHE_HOME", home("c").toLocal8Bit());
        const auto& moved = std::get<CleanupKinds::Paths>(byId("appcaches", Platform::other).kind);
        QCOMPARE(moved.paths, QStringList{"~/c"});
        QVERIFY(moved.keep.contains("~/c/pip"));
        QVERIFY(!moved.keep.contains("~/.cache/puppeteer"));
        QVERIFY(!moved.keep.contains("~/c/puppeteer"));
        // The macOS catalog keeps nothing out.
        QCOMPARE(std::get<CleanupKinds::Paths>(byId("appcaches").kind).keep, QStringList());
    }

    // Which built-in targets each platform offers, for the switches of the settings and the
    // welcome flow: off macOS the three optional system caches only macOS keeps are left out;
    // every id the catalog does not know is offered.
    void offeredPerPlatform_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("onMacOS");
        QTest::addColumn<bool>("elsewhere");
        QTest::newRow("saved application state") << "savedstate" << true << false;
        QTest::newRow("music app cache") << "musiccache" << true << false;
        QTest::newRow("mail attachment copies") << "maildownloads" << true << false;
        QTest::newRow("trash") << "trash" << true << true;
        QTest::newRow("app caches") << "appcaches" << true << true;
        QTest::newRow("a developer cache") << "npm" << true << true;
        QTest::newRow("a folder search") << "node_modules" << true << true;
        QTest::newRow("a custom folder") << "custom:/tmp/x" << true << true;
    }

    void offeredPerPlatform()
    {
        QFETCH(QString, id);
        QFETCH(bool, onMacOS);
        QFETCH(bool, elsewhere);
        QCOMPARE(CleanupCatalog::isOffered(id, CleanupCatalog::Platform::macOS), onMacOS);
        QCOMPARE(CleanupCatalog::isOffered(id, CleanupCatalog::Platform::other), elsewhere);
#ifdef Q_OS_MACOS
        QCOMPARE(CleanupCatalog::isOffered(id), onMacOS);
#else
        QCOMPARE(CleanupCatalog::isOffered(id), elsewhere);
#endif
    }
};

QTEST_GUILESS_MAIN(tst_CleanupCatalog)
#include "tst_CleanupCatalog.moc"
