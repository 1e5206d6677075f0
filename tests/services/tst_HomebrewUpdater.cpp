#include "FakeTools.h"
#include "TestHome.h"
#include "services/HomebrewUpdater.h"

#include <QTest>

using Packages = QList<OutdatedPackage>;
using MaybePackages = std::optional<Packages>;
Q_DECLARE_METATYPE(MaybePackages)

namespace {

OutdatedPackage formula(const QString& name, const QString& installed, const QString& current)
{
    return {name, installed, current, false};
}
OutdatedPackage cask(const QString& name, const QString& installed, const QString& current)
{
    return {name, installed, current, true};
}

const QByteArray kReport = R"({"formulae":[{"name":"wget","installed_versions":["1.21.3"],"current_version":"1.24.5"}],
"casks":[{"name":"firefox","installed_versions":["120.0"],"current_version":"121.0"}]})";

} // namespace

class tst_HomebrewUpdater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parseReport_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<MaybePackages>("expected");

        QTest::newRow("formulae then casks, sorted by name")
            << QString(kReport)
            << MaybePackages(Packages{cask("firefox", "120.0", "121.0"), formula("wget", "1.21.3", "1.24.5")});
        QTest::newRow("only casks") << R"({"casks":[{"name":"zed","installed_versions":["1"],"current_version":"2"},
                            {"name":"alacritty","installed_versions":["0.12"],"current_version":"0.13"}]})"
                                    << MaybePackages(
                                           Packages{cask("alacritty", "0.12", "0.13"), cask("zed", "1", "2")});
        QTest::newRow("last of several installed versions")
            << R"({"formulae":[{"name":"a","installed_versions":["1.0","1.2"],"current_version":"1.3"}]})"
            << MaybePackages(Packages{formula("a", "1.2", "1.3")});
        QTest::newRow("empty installed versions fall back to installed_version")
            << R"({"formulae":[{"name":"a","installed_versions":[],"installed_version":"3.1","current_version":"3.2"}]})"
            << MaybePackages(Packages{formula("a", "3.1", "3.2")});
        QTest::newRow("installed versions as a string")
            << R"({"formulae":[{"name":"a","installed_versions":"1.0","installed_version":"0.9","current_version":"2"},
                               {"name":"b","installed_versions":"1.0","current_version":"2"}]})"
            << MaybePackages(Packages{formula("a", "0.9", "2"), formula("b", "?", "2")});
        QTest::newRow("installed versions not all text")
            << R"({"formulae":[{"name":"a","installed_versions":["1.0",2],"installed_version":"0.9"}]})"
            << MaybePackages(Packages{formula("a", "0.9", "?")});
        QTest::newRow("missing current version")
            << R"({"casks":[{"name":"a","installed_versions":["1"]}]})" << MaybePackages(Packages{cask("a", "1", "?")});
        QTest::newRow("entries without a usable name are dropped")
            << R"({"formulae":[{"installed_versions":["1"]},{"name":42},{"name":"kept","current_version":"2"}]})"
            << MaybePackages(Packages{formula("kept", "?", "2")});
        QTest::newRow("case-insensitive order")
            << R"({"formulae":[{"name":"beta"},{"name":"alpha2"},{"name":"Alpha"}]})"
            << MaybePackages(
                   Packages{formula("Alpha", "?", "?"), formula("alpha2", "?", "?"), formula("beta", "?", "?")});
        QTest::newRow("formula and cask of one name, formula first")
            << R"({"casks":[{"name":"foo"}],"formulae":[{"name":"foo"}]})"
            << MaybePackages(Packages{formula("foo", "?", "?"), cask("foo", "?", "?")});
        QTest::newRow("an array holding a non-object counts as absent")
            << R"({"formulae":[{"name":"a"},"b"],"casks":[{"name":"c"}]})"
            << MaybePackages(Packages{cask("c", "?", "?")});
        QTest::newRow("lists of another type")
            << R"({"formulae":{"name":"a"},"casks":"c"})" << MaybePackages(Packages{});
        QTest::newRow("a warning before the report") << QString("Warning: something\n") + kReport << MaybePackages();
        QTest::newRow("not an object") << "[]" << MaybePackages();
        QTest::newRow("no output") << "" << MaybePackages();
    }

    void parseReport()
    {
        QFETCH(QString, json);
        QFETCH(MaybePackages, expected);
        QCOMPARE(HomebrewUpdater::parseOutdated(json), expected);
    }

    void ids()
    {
        QCOMPARE(formula("foo", "1", "2").id(), "formula:foo");
        QCOMPARE(cask("foo", "1", "2").id(), "cask:foo");
    }

    void listsWithTheUsersBrew()
    {
        TestHome home;
        FakeTools::installBrew(home, kReport);
        QCOMPARE(HomebrewUpdater::listOutdated(),
                 MaybePackages(Packages{cask("firefox", "120.0", "121.0"), formula("wget", "1.21.3", "1.24.5")}));
        QCOMPARE(home.recordedRuns("brew"), (QList<QStringList>{{"outdated", "--greedy", "--json=v2"}}));

        // A failing Homebrew with a valid report is still a failed listing.
        FakeTools::installBrew(home, kReport, 1);
        QCOMPARE(HomebrewUpdater::listOutdated(), MaybePackages());
        QVERIFY(HomebrewUpdater::outdated().isEmpty());

        // Something the login shell's start-up files print spoils the report.
        FakeTools::installBrew(home, kReport);
        home.writeText(".zprofile", "echo 'Good morning'\nexport PATH=\"" + home(".fakebin").toUtf8() + ":$PATH\"\n");
        QCOMPARE(HomebrewUpdater::listOutdated(), MaybePackages());
    }

    void missingBrew()
    {
        TestHome home;
        FakeTools::hideBrew(home);
        QCOMPARE(HomebrewUpdater::listOutdated(), MaybePackages());
        QVERIFY(HomebrewUpdater::outdated().isEmpty());
    }

    void upgradeCommands()
    {
        QCOMPARE(HomebrewUpdater::upgradeCommand(cask("foo", "1", "2")),
                 std::optional<QString>("brew upgrade --cask foo"));
        QCOMPARE(HomebrewUpdater::upgradeCommand(formula("foo", "1", "2")), std::optional<QString>("brew upgrade foo"));
        QCOMPARE(HomebrewUpdater::upgradeCommand(formula("homebrew/core/node@20", "1", "2")),
                 std::optional<QString>("brew upgrade homebrew/core/node@20"));
    }

    void upgradeStatus()
    {
        TestHome home;
        FakeTools::installBrew(home, kReport, 0, 0);
        QCOMPARE(HomebrewUpdater::upgrade(cask("firefox", "120.0", "121.0")).status, 0);
        FakeTools::installBrew(home, kReport, 0, 1);
        QCOMPARE(HomebrewUpdater::upgrade(formula("wget", "1", "2")).status, 1);
        QCOMPARE(home.recordedRuns("brew"),
                 (QList<QStringList>{{"upgrade", "--cask", "firefox"}, {"upgrade", "wget"}}));
    }

    // A package name reaches brew as one argument, whatever it holds, or nothing runs.
    void namesNeverRunAsCode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("runs");
        QTest::newRow("semicolon") << "foo; touch pwned" << true;
        QTest::newRow("command substitution") << "$(touch pwned)" << true;
        QTest::newRow("backquotes") << "`touch pwned`" << true;
        QTest::newRow("apostrophe") << "it's" << true;
        QTest::newRow("glob") << "*" << true;
        QTest::newRow("space and newline") << "a b\ntouch pwned" << true;
        QTest::newRow("option") << "--force" << false;
        QTest::newRow("short option") << "-v" << false;
        QTest::newRow("empty") << "" << false;
    }

    void namesNeverRunAsCode()
    {
        QFETCH(QString, name);
        QFETCH(bool, runs);
        TestHome home;
        FakeTools::installBrew(home, "{}");
        home.writeText("some-file", ""); // something for a glob to match
        for (bool isCask : {false, true}) {
            const ShellResult r = HomebrewUpdater::upgrade(OutdatedPackage{name, "1", "2", isCask});
            QCOMPARE(r.status == 0, runs);
        }
        QList<QStringList> expected;
        if (runs)
            expected = {{"upgrade", name}, {"upgrade", "--cask", name}};
        QCOMPARE(home.recordedRuns("brew"), expected);
        QVERIFY(!home.containsFileNamed("pwned"));
    }
};

QTEST_GUILESS_MAIN(tst_HomebrewUpdater)
#include "tst_HomebrewUpdater.moc"
