#include "TestHome.h"
#include "models/CleanupCatalog.h"

#include <QSet>
#include <QTest>

namespace {
const CleanupTarget& byId(const QString& id)
{
    for (const CleanupTarget& t : CleanupCatalog::builtIn())
        if (t.id == id)
            return t;
    qFatal("no target %s", qPrintable(id));
}
} // namespace

class tst_CleanupCatalog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void catalogShape()
    {
        const auto& all = CleanupCatalog::builtIn();
        QCOMPARE(all.size(), 27);
        QCOMPARE(&all, &CleanupCatalog::builtIn()); // built once, shared
        const QStringList order{"trash", "appcaches", "logs", "savedstate", "musiccache", "maildownloads",
                                "chrome", "safari", "firefox", "derived", "devicesupport", "sims", "gradle",
                                "npm", "yarn", "pnpm", "uv", "pip", "pods", "pub", "go", "cargo", "docker",
                                "jetbrains", "brew", "swiftpm", "ml"};
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
        QCOMPARE(byId("savedstate").detail, QString::fromUtf8("Window/tab restore data \u2014 apps won't reopen last session"));
        QCOMPARE(byId("brew").kind, CleanupKind(CleanupKinds::Command{"brew cleanup -s", {"~/Library/Caches/Homebrew"}}));
        QCOMPARE(byId("ml").kind, CleanupKind(CleanupKinds::Paths{{"~/.cache/puppeteer", "~/.cache/huggingface",
                                                                  "~/.cache/whisper", "~/.cache/selenium"}}));
    }

    void displayPaths()
    {
        TestHome home;
        QCOMPARE(byId("sims").displayPaths(), QStringList());
        QCOMPARE(byId("docker").displayPaths(), QStringList());
        QCOMPARE(byId("npm").displayPaths(), QStringList{home(".npm/_cacache")});
#ifdef Q_OS_MACOS
        QCOMPARE(byId("trash").displayPaths(), QStringList{home(".Trash")});
#else
        // The desktop Trash (files and their records) is emptied too.
        QCOMPARE(byId("trash").displayPaths(),
                 (QStringList{home(".Trash"), home(".local/share/Trash/files"), home(".local/share/Trash/info")}));
#endif

        const auto finders = CleanupCatalog::finderTargets({"~/src", "/work"}, {"~/src/app"}, 7);
        QCOMPARE(finders.size(), 5);
        const CleanupTarget& venv = finders[4];
        QCOMPARE(venv.id, QString("venv"));
        QCOMPARE(venv.displayPaths(), (QStringList{home("src") + QString::fromUtf8(" \u2192 .venv, venv"),
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
        QTest::newRow("trash") << "trash" << CleanupCategory::recommended << "These are items you already moved to the Trash.";
        QTest::newRow("logs") << "logs" << CleanupCategory::recommended
                              << QString::fromUtf8("Old diagnostic logs. Apps write fresh ones as needed \u2014 nothing you use is lost.");
        QTest::newRow("derived own sentence") << "derived" << CleanupCategory::developer << "Xcode rebuilds DerivedData on your next build.";
        QTest::newRow("pip developer") << "pip" << CleanupCategory::developer
                                       << "Re-downloaded or rebuilt automatically the next time you build or install.";
        QTest::newRow("browser") << "chrome" << CleanupCategory::browsers
                                 << "Apps and websites recreate these caches automatically when they next need them.";
        QTest::newRow("node_modules") << "node_modules" << CleanupCategory::buildArtifacts
                                      << "Reinstalled instantly with npm / yarn / pnpm install.";
        QTest::newRow("build") << "pycache" << CleanupCategory::buildArtifacts
                               << QString::fromUtf8("Rebuilt the next time you build the project (npm install, cargo build, \u2026).");
        QTest::newRow("custom") << "custom:/x/derived" << CleanupCategory::custom
                                << QString::fromUtf8("A folder you added yourself \u2014 only its contents are cleared.");
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

    // Which built-in targets each platform offers: off macOS the three system caches that only
    // macOS keeps are left out; everything else (and every id the catalog does not know) is offered.
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
