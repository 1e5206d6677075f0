// The build-folder kinds, the search by kind over real trees in a test home (depth, markers,
// hidden folders, age, pinned folders, links and their cycles, protected places) and the scan
// driver that dates, measures and reports what the search found.
#include "TestHome.h"
#include "models/BuildArtifactType.h"
#include "services/Finder.h"
#include "services/ProjectScanner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime kNow = QDateTime(QDate(2024, 6, 14), QTime(16, 0), Qt::UTC);

QList<Finder::TypedHit> search(const QStringList& roots, const QStringList& ignore = {}, int minAgeDays = 0,
                               const QList<BuildArtifactType>& types = BuildArtifactType::all())
{
    return Finder::discoverByType(roots, types, ignore, minAgeDays, kNow);
}

// "relative path:kind" of each hit, relative to the home folder, in the order found.
QStringList described(const TestHome& home, const QList<Finder::TypedHit>& hits)
{
    QStringList out;
    for (const Finder::TypedHit& hit : hits) {
        QString path = QString::fromUtf8(hit.path);
        if (path.startsWith(home.path() + QLatin1Char('/')))
            path = path.mid(home.path().size() + 1);
        out.append(path + QLatin1Char(':') + hit.typeID);
    }
    return out;
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

// A project folder `depth` levels below `root` ("root/d1/d2/…"), relative to home.
QString projectAt(const QString& root, int depth)
{
    QString p = root;
    for (int i = 1; i <= depth; ++i)
        p += QStringLiteral("/d%1").arg(i);
    return p;
}

} // namespace

class tst_ProjectScanner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The table: 21 kinds in their order, unique ids, no name in two kinds, the deepest bound 8.
    void kindsTable()
    {
        const QList<BuildArtifactType>& kinds = BuildArtifactType::all();
        QCOMPARE(kinds.size(), 21);
        QCOMPARE(kinds.first().id, QStringLiteral("node_modules"));
        QCOMPARE(kinds.last().id, QStringLiteral("haskell"));
        QSet<QString> ids, names;
        int deepest = 0;
        for (const BuildArtifactType& k : kinds) {
            QVERIFY2(!ids.contains(k.id), qPrintable(k.id));
            ids.insert(k.id);
            for (const QString& n : k.names) {
                QVERIFY2(!names.contains(n), qPrintable(n));
                names.insert(n);
            }
            QCOMPARE(k.symbol, QStringLiteral("shippingbox.fill"));
            deepest = std::max(deepest, k.maxDepth);
        }
        QCOMPARE(deepest, 8);
        const BuildArtifactType& dotnet = kinds[18];
        QCOMPARE(dotnet.label, QStringLiteral("bin / obj"));
        QCOMPARE(dotnet.names, (QStringList{"bin", "obj"}));
        QCOMPARE(dotnet.maxDepth, 5);
        QCOMPARE(dotnet.markers, (QStringList{"*.csproj", "*.sln", "*.fsproj", "*.vbproj"}));
        QCOMPARE(kinds[14].names, (QStringList{".venv", "venv"}));
        QCOMPARE(kinds[14].maxDepth, 4);
        QVERIFY(kinds[15].markers.isEmpty()); // __pycache__ needs none
    }

    void markerMatches_data()
    {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("matches");
        QTest::newRow("pattern, a name before") << "*.csproj"
                                                << "App.csproj" << true;
        QTest::newRow("pattern, nothing before the dot") << "*.csproj"
                                                         << ".csproj" << true;
        QTest::newRow("pattern, more after") << "*.csproj"
                                             << "App.csproj.user" << false;
        QTest::newRow("pattern, other case") << "*.csproj"
                                             << "App.CSPROJ" << false;
        QTest::newRow("pattern needs the dot") << "*.cabal"
                                               << "xcabal" << false;
        QTest::newRow("exact name") << "package.json"
                                    << "package.json" << true;
        QTest::newRow("exact name only") << "package.json"
                                         << "my-package.json" << false;
    }
    void markerMatches()
    {
        QFETCH(QString, marker);
        QFETCH(QString, entry);
        QFETCH(bool, matches);
        QCOMPARE(BuildArtifactType::markerMatches(marker, entry), matches);
    }

    // Where a project may lie and what makes a folder a build folder of its kind.
    void finds_data()
    {
        QTest::addColumn<QStringList>("layout"); // folders ("…/") and files, relative to home
        QTest::addColumn<QStringList>("roots");
        QTest::addColumn<QStringList>("expected"); // "path:kind", in any order

        QTest::newRow("node_modules in the root itself, beside package.json")
            << QStringList{"src/package.json", "src/node_modules/"} << QStringList{"~/src"}
            << QStringList{"src/node_modules:node_modules"};
        QTest::newRow("no marker: neither reported nor searched")
            << QStringList{"src/app/build/", "src/app/build/inner/CMakeLists.txt", "src/app/build/inner/build/"}
            << QStringList{"~/src"} << QStringList{};
        QTest::newRow("nested node_modules: only the outer one")
            << QStringList{"src/web/package.json", "src/web/node_modules/dep/package.json",
                           "src/web/node_modules/dep/node_modules/"}
            << QStringList{"~/src"} << QStringList{"src/web/node_modules:node_modules"};
        QTest::newRow("a project file ending in .csproj")
            << QStringList{"src/api/Api.csproj", "src/api/bin/", "src/api/obj/"} << QStringList{"~/src"}
            << QStringList{"src/api/bin:dotnet", "src/api/obj:dotnet"};
        QTest::newRow("an entry named just .csproj") << QStringList{"src/api/.csproj", "src/api/obj/"}
                                                     << QStringList{"~/src"} << QStringList{"src/api/obj:dotnet"};
        QTest::newRow("a folder counts as a marker")
            << QStringList{"src/hs/stack.yaml/", "src/hs/dist-newstyle/"} << QStringList{"~/src"}
            << QStringList{"src/hs/dist-newstyle:haskell"};
        QTest::newRow("no project file: bin is an ordinary folder")
            << QStringList{"src/tool/bin/", "src/tool/README.md"} << QStringList{"~/src"} << QStringList{};
        QTest::newRow(".venv is examined, .git is never entered")
            << QStringList{"src/py/requirements.txt", "src/py/.venv/",           "src/.git/py/requirements.txt",
                           "src/.git/py/.venv/",      "src/.cache/package.json", "src/.cache/node_modules/"}
            << QStringList{"~/src"} << QStringList{"src/py/.venv:venv"};
        QTest::newRow("__pycache__ needs no marker") << QStringList{"src/lib/pkg/__pycache__/"} << QStringList{"~/src"}
                                                     << QStringList{"src/lib/pkg/__pycache__:pycache"};
        QTest::newRow("a root that does not exist") << QStringList{"src/"} << QStringList{"~/missing"} << QStringList{};
        QTest::newRow("overlapping roots report once per root")
            << QStringList{"src/web/package.json", "src/web/node_modules/"} << QStringList{"~/src", "~/src/web"}
            << QStringList{"src/web/node_modules:node_modules", "src/web/node_modules:node_modules"};
    }
    void finds()
    {
        QFETCH(QStringList, layout);
        QFETCH(QStringList, roots);
        QFETCH(QStringList, expected);
        TestHome home;
        for (const QString& item : layout) {
            if (item.endsWith(QLatin1Char('/')))
                home.mkdir(item);
            else
                home.writeText(item, "x");
        }
        QCOMPARE(sorted(described(home, search(roots))), sorted(expected));
    }

    // The deepest project folder a kind allows is searched; one deeper is not, and what lies
    // in a build folder that was passed over is not searched either.
    void depthBound()
    {
        TestHome home;
        const QString atSix = projectAt(QStringLiteral("a"), 6), atSeven = projectAt(QStringLiteral("b"), 7);
        home.writeText(atSix + "/package.json", "{}");
        home.mkdir(atSix + "/node_modules");
        home.writeText(atSeven + "/package.json", "{}");
        home.mkdir(atSeven + "/node_modules/__pycache__"); // its project folder would have depth 8
        home.mkdir(projectAt(QStringLiteral("c"), 8) + "/__pycache__");
        home.mkdir(projectAt(QStringLiteral("d"), 9) + "/__pycache__");
        const QStringList roots{"~/a", "~/b", "~/c", "~/d"};
        QCOMPARE(sorted(described(home, search(roots))),
                 sorted({atSix + "/node_modules:node_modules", projectAt("c", 8) + "/__pycache__:pycache"}));
        QVERIFY(search(roots, {}, 0, {}).isEmpty()); // no kinds, nothing found
    }

    // With a minimum age of 30 days a folder must be modified strictly before the cutoff.
    void ageCutoff()
    {
        TestHome home;
        for (int days : {29, 30, 31}) {
            const QString project = QStringLiteral("src/p%1").arg(days);
            home.writeText(project + "/package.json", "{}");
            home.mkdir(project + "/node_modules");
            QVERIFY(TestHome::setAge(home(project + "/node_modules"), kNow.addDays(-days)));
        }
        QCOMPARE(described(home, search({"~/src"}, {}, 30)), QStringList{"src/p31/node_modules:node_modules"});
        QCOMPARE(search({"~/src"}, {}, 0).size(), 3);
    }

    // A pinned folder hides itself and what lies below, not a sibling with a longer name; a pin
    // written with "~" is expanded first.
    void pinnedFolders()
    {
        TestHome home;
        for (const char* p : {"src/app", "src/apple", "src/app/sub"}) {
            home.writeText(QString::fromLatin1(p) + "/package.json", "{}");
            home.mkdir(QString::fromLatin1(p) + "/node_modules");
        }
        QCOMPARE(described(home, search({"~/src"}, {"~/src/app"})), QStringList{"src/apple/node_modules:node_modules"});
        QCOMPARE(sorted(described(home, search({"~/src"}, {home("src/app/node_modules")}))),
                 sorted({"src/apple/node_modules:node_modules", "src/app/sub/node_modules:node_modules"}));
        QVERIFY(search({"~/src"}, {"~/src"}).isEmpty());
    }

    // Links that lead back up the way are not descended, however many there are; a folder
    // reached by a link within the root is reported once; a link leading out of the roots is
    // not followed.
    void linksAndCycles()
    {
        TestHome home;
        home.writeText("src/web/package.json", "{}");
        home.mkdir("src/web/node_modules");
        home.symlink("src/web/loop", home("src"));
        home.symlink("src/web/again", home("src/web"));
        home.symlink("src/web/up", "..");
        home.symlink("src/alias", home("src/web"));
        home.writeText("outside/proj/package.json", "{}");
        home.mkdir("outside/proj/node_modules");
        home.symlink("src/out", home("outside"));
        QElapsedTimer took;
        took.start();
        const QList<Finder::TypedHit> hits = search({"~/src"});
        QVERIFY(took.elapsed() < 10'000);
        // Under the path without a link on the way, whichever way the listing came.
        QCOMPARE(described(home, hits), QStringList{"src/web/node_modules:node_modules"});
    }

    // A build folder reached as itself and through a link named as a build folder: the folder
    // itself is listed (and measured), the link not; a link alone is listed when what it leads
    // to is not. Both orders of meeting them: the link's root walked first, then second.
    void realFolderWinsOverALinkToIt_data()
    {
        QTest::addColumn<QStringList>("roots");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one root") << QStringList{"~/src"} << QStringList{"src/real/node_modules:node_modules"};
        QTest::newRow("the link's root first")
            << QStringList{"~/src/shared", "~/src/real"} << QStringList{"src/real/node_modules:node_modules"};
        QTest::newRow("the link's root second")
            << QStringList{"~/src/real", "~/src/shared"} << QStringList{"src/real/node_modules:node_modules"};
        QTest::newRow("the link's root alone") << QStringList{"~/src/shared"} << QStringList{};
        QTest::newRow("the real folder not found as itself") << QStringList{"~/src/shared", "~/src/real/node_modules"}
                                                             << QStringList{"src/shared/node_modules:node_modules"};
    }
    void realFolderWinsOverALinkToIt()
    {
        QFETCH(QStringList, roots);
        QFETCH(QStringList, expected);
        TestHome home;
        home.writeText("src/real/package.json", "{}");
        home.writeFile("src/real/node_modules/dep/index.js", 2'000'000);
        home.writeText("src/shared/package.json", "{}");
        home.symlink("src/shared/node_modules", home("src/real/node_modules"));
        // Many look-alike pairs, so that the listing meets a link before its folder and a
        // folder before its link, whatever order the file system lists names in.
        for (int i = 0; i < 8; ++i) {
            home.writeText(QString("src/p%1/package.json").arg(i), "{}");
            home.mkdir(QString("src/p%1/node_modules").arg(i));
            home.writeText(QString("src/q%1/package.json").arg(i), "{}");
            home.symlink(QString("src/q%1/node_modules").arg(i), home(QString("src/p%1/node_modules").arg(i)));
        }
        QStringList shown;
        int pairs = 0;
        for (const QString& hit : described(home, search(roots))) {
            QVERIFY2(!hit.startsWith("src/q"), qPrintable(hit)); // never the link of a pair
            if (hit.startsWith("src/p"))
                ++pairs;
            else
                shown << hit;
        }
        QCOMPARE(shown, expected);
        QCOMPARE(pairs, roots == QStringList{"~/src"} ? 8 : 0);

        // The scan measures the folder itself.
        CancelToken token;
        qint64 size = -1;
        ProjectScanner::scan(roots, {}, 0, token, {}, [&](const ProjectDir& d) {
            if (d.path == home("src/real/node_modules"))
                size = d.size;
        });
        QCOMPARE(size,
                 expected.contains("src/real/node_modules:node_modules")
                     ? TestHome::allocated(home("src/real/node_modules/dep/index.js"))
                     : -1);
    }

    // A link named as a build folder: reported under its own path when it leads to an ordinary
    // folder inside the root, refused when it leads into a protected place.
    void linkedBuildFolders()
    {
        TestHome home;
        home.writeText("proj/package.json", "{}");
        home.mkdir("store/deps");
        home.symlink("proj/node_modules", home("store/deps"));
        home.writeText("music-proj/package.json", "{}");
        home.mkdir("Music/Library");
        home.symlink("music-proj/node_modules", home("Music/Library"));
        QCOMPARE(described(home, search({home.path()})), QStringList{"proj/node_modules:node_modules"});
    }

    // Outside the home folder the safety rule admits no build folder; the root is still listed.
    void outsideHomeNothingIsReported()
    {
        TestHome home;
        QTemporaryDir elsewhere;
        QVERIFY(QDir().mkpath(elsewhere.path() + "/web/node_modules"));
        QFile marker(elsewhere.path() + "/web/package.json");
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        QVERIFY(search({elsewhere.path()}).isEmpty());
    }

    // The driver measures and dates each folder, counts before each report, and a folder found
    // as a link counts nothing (moving it moves the link alone).
    void scanReportsMeasuredFolders()
    {
        TestHome home;
        home.writeText("src/web/package.json", "{}");
        home.writeFile("src/web/node_modules/a/index.js", 16384);
        home.writeFile("src/web/node_modules/b/index.js", 8192);
        home.writeText("src/tool/Cargo.toml", "x");
        home.writeFile("src/store/big.bin", 65536);
        home.symlink("src/tool/target", home("src/store"));
        QVERIFY(TestHome::setAge(home("src/web/node_modules"), kNow.addDays(-3)));
        CancelToken token;
        QStringList events;
        QList<ProjectDir> found;
        ProjectScanner::scan(
            {"~/src"}, {}, 0, token, [&](int n) { events.append(QString::number(n)); },
            [&](const ProjectDir& d) {
            events.append(QStringLiteral("found"));
            found.append(d);
            });
        QCOMPARE(events, (QStringList{"1", "found", "2", "found"}));
        QHash<QString, ProjectDir> byPath;
        for (const ProjectDir& d : found)
            byPath.insert(d.path, d);
        const ProjectDir web = byPath.value(home("src/web/node_modules"));
        QCOMPARE(web.kindID, QStringLiteral("node_modules"));
        QCOMPARE(web.kindLabel, QStringLiteral("node_modules"));
        QCOMPARE(web.symbol, QStringLiteral("shippingbox.fill"));
        QCOMPARE(web.size,
                 TestHome::allocated(home("src/web/node_modules/a/index.js"))
                     + TestHome::allocated(home("src/web/node_modules/b/index.js")));
        QCOMPARE(web.modified, std::optional<QDateTime>(kNow.addDays(-3)));
        const ProjectDir link = byPath.value(home("src/tool/target"));
        QCOMPARE(link.kindID, QStringLiteral("target"));
        QCOMPARE(link.size, 0);
        QVERIFY(link.modified.has_value());
    }

    void cancelledScanReportsNothing()
    {
        TestHome home;
        home.writeText("src/web/package.json", "{}");
        home.mkdir("src/web/node_modules");
        CancelToken token;
        token.cancel();
        int calls = 0;
        ProjectScanner::scan(
            {"~/src"}, {}, 0, token, [&](int) { ++calls; }, [&](const ProjectDir&) { ++calls; });
        QCOMPARE(calls, 0);
    }
};

QTEST_GUILESS_MAIN(tst_ProjectScanner)
#include "tst_ProjectScanner.moc"
