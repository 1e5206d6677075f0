#include "TestHome.h"
#include "services/Finder.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>

namespace {

// Folders laid out for the searches below, relative to the home folder.
void buildFixture(TestHome& home)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // Depth bound.
    home.mkdir("deep/a/b/c/d/e/node_modules");
    home.mkdir("deep/a/b/c/d/e/f/node_modules");
    // Matches are not entered.
    home.mkdir("web/node_modules/dep/node_modules");
    // Age.
    home.mkdir("aged/old/node_modules");
    home.mkdir("aged/fresh/node_modules/inner/node_modules");
    TestHome::setAge(home("aged/fresh/node_modules/inner/node_modules"), now.addDays(-40));
    TestHome::setAge(home("aged/old/node_modules"), now.addDays(-40));
    TestHome::setAge(home("aged/fresh/node_modules"), now.addDays(-10));
    // Markers.
    home.writeFile("rust/rs/Cargo.toml", 10);
    home.mkdir("rust/rs/target");
    home.writeFile("rust/norust/target/sub/Cargo.toml", 10);
    home.mkdir("rust/norust/target/sub/target");
    // Hidden folders.
    home.writeFile("py/proj/requirements.txt", 10);
    home.mkdir("py/proj/.venv");
    home.writeFile("py/.git/proj/requirements.txt", 10);
    home.mkdir("py/.git/proj/.venv");
    home.mkdir("py/.cache/node_modules");
    // Ignore list, links to pinned folders.
    home.mkdir("src/app/node_modules");
    home.mkdir("src/apple/node_modules");
    home.symlink("src/alias", home("src/app"));
    home.symlink("srclink", home("src"));
    home.mkdir("pinned/node_modules");
    home.symlink("src/linked/node_modules", home("pinned/node_modules"));
    // Links out of a root, and round in a circle.
    home.mkdir("proj/own/node_modules");
    home.mkdir("Documents/work/node_modules");
    home.symlink("proj/evil/sub", "../../Documents/work");
    home.mkdir("loop/a/node_modules");
    home.symlink("loop/a/up", home("loop"));
    // Protected places.
    home.mkdir("Library/Caches/CloudKit");
    home.mkdir("Library/Caches/com.example.Foo");
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

} // namespace

class tst_Finder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void discover_data()
    {
        QTest::addColumn<QStringList>("roots");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("maxDepth");
        QTest::addColumn<QStringList>("ignore");
        QTest::addColumn<int>("minAgeDays");
        QTest::addColumn<QStringList>("markers");
        QTest::addColumn<QStringList>("expected"); // relative to home

        const QStringList nm{"node_modules"};
        QTest::newRow("depth bound: six levels found, seven not")
            << QStringList{"~/deep"} << nm << 5 << QStringList{} << 0 << QStringList{}
            << QStringList{"deep/a/b/c/d/e/node_modules"};
        QTest::newRow("a match is never entered") << QStringList{"~/web"} << nm << 5 << QStringList{} << 0
                                                  << QStringList{} << QStringList{"web/node_modules"};
        QTest::newRow("no age limit") << QStringList{"~/aged"} << nm << 5 << QStringList{} << 0 << QStringList{}
                                      << QStringList{"aged/fresh/node_modules", "aged/old/node_modules"};
        QTest::newRow("30 days: a fresh match is skipped and not entered")
            << QStringList{"~/aged"} << nm << 5 << QStringList{} << 30 << QStringList{}
            << QStringList{"aged/old/node_modules"};
        QTest::newRow("marker beside the match") << QStringList{"~/rust"} << QStringList{"target"} << 4 << QStringList{}
                                                 << 0 << QStringList{"Cargo.toml"} << QStringList{"rust/rs/target"};
        QTest::newRow("hidden match found, other hidden folders not entered")
            << QStringList{"~/py"} << QStringList{".venv", "venv", "node_modules"} << 4 << QStringList{} << 0
            << QStringList{"pyproject.toml", "requirements.txt"} << QStringList{"py/proj/.venv"};
        QTest::newRow("a link to a folder inside the root is followed, one out of it is not")
            << QStringList{"~/src"} << nm << 5 << QStringList{} << 0 << QStringList{}
            << QStringList{"src/alias/node_modules", "src/app/node_modules", "src/apple/node_modules"};
        QTest::newRow("a relative link out of a project is not followed")
            << QStringList{"~/proj"} << nm << 5 << QStringList{} << 0 << QStringList{}
            << QStringList{"proj/own/node_modules"};
        QTest::newRow("a link back up the root goes round once at most")
            << QStringList{"~/loop"} << nm << 5 << QStringList{} << 0 << QStringList{}
            << QStringList{"loop/a/node_modules"};
        QTest::newRow("ignore hides a folder, not its look-alike sibling, nor through a link")
            << QStringList{"~/src"} << nm << 5 << QStringList{"~/src/app", "~/pinned"} << 0 << QStringList{}
            << QStringList{"src/apple/node_modules"};
        QTest::newRow("a root that is a link gives nothing")
            << QStringList{"~/srclink"} << nm << 5 << QStringList{} << 0 << QStringList{} << QStringList{};
        QTest::newRow("a root behind a linked folder gives nothing")
            << QStringList{"~/srclink/app"} << nm << 5 << QStringList{} << 0 << QStringList{} << QStringList{};
        QTest::newRow("ignored and missing roots give nothing")
            << QStringList{"~/web", "~/missing"} << nm << 5 << QStringList{"~/web"} << 0 << QStringList{}
            << QStringList{};
        QTest::newRow("protected folders are not reported")
            << QStringList{"~/Library/Caches"} << QStringList{"CloudKit", "com.example.Foo"} << 0 << QStringList{} << 0
            << QStringList{} << QStringList{"Library/Caches/com.example.Foo"};
    }

    void discover()
    {
        QFETCH(QStringList, roots);
        QFETCH(QStringList, names);
        QFETCH(int, maxDepth);
        QFETCH(QStringList, ignore);
        QFETCH(int, minAgeDays);
        QFETCH(QStringList, markers);
        QFETCH(QStringList, expected);
        TestHome home;
        QVERIFY(home.isValid());
        buildFixture(home);
        QStringList want;
        for (const QString& e : expected)
            want << home(e);
        const QStringList found = Finder::discover(roots, QSet<QString>(names.begin(), names.end()), maxDepth, ignore,
                                                   minAgeDays, markers, QDateTime::currentDateTimeUtc());
        QCOMPARE(sorted(found), sorted(want));
        QCOMPARE(QSet<QString>(found.begin(), found.end()).size(), found.size());
    }

    // A name that is not UTF-8 is searched by its bytes: its decoded form, which here is the name
    // of a link into the pinned folder, never leads the search there.
    void rawNamesKeepThePinListWhole()
    {
        TestHome home;
        const QByteArray root = QFile::encodeName(home.mkdir("nb"));
        QVERIFY(::mkdir(root + "/x\xff", 0755) == 0);
        QVERIFY(::mkdir(root + "/x\xff/node_modules", 0755) == 0);
        home.mkdir("nb/pinned/node_modules");
        home.symlink("nb/x\uFFFD", home("nb/pinned"));
        const QList<QByteArray> found = Finder::discoverPaths({"~/nb"}, {"node_modules"}, 5, {"~/nb/pinned"}, 0, {},
                                                              QDateTime::currentDateTimeUtc());
        QCOMPARE(found, QList<QByteArray>{root + "/x\xff/node_modules"});
    }

    void isIgnored_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("ignored");
        QTest::newRow("the entry") << "/h/src/app" << true;
        QTest::newRow("below it") << "/h/src/app/x/y" << true;
        QTest::newRow("same letters") << "/h/src/apple" << false;
        QTest::newRow("above it") << "/h/src" << false;
    }

    void isIgnored()
    {
        QFETCH(QString, path);
        QFETCH(bool, ignored);
        QCOMPARE(Finder::isIgnored(path, {"/h/src/app"}), ignored);
    }

    void discoverForTarget()
    {
        TestHome home;
        buildFixture(home);
        CleanupTarget t;
        t.id = "node_modules";
        t.kind = CleanupKinds::Finder{{"~/web"}, {"node_modules"}, 5, {}, 0, {}};
        QCOMPARE(Finder::discover(t), QStringList{home("web/node_modules")});
        t.kind = CleanupKinds::Paths{{"~/web"}};
        QVERIFY(Finder::discover(t).isEmpty());
        t.kind = CleanupKinds::Command{"true", {"~/web"}};
        QVERIFY(Finder::discover(t).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_Finder)
#include "tst_Finder.moc"
