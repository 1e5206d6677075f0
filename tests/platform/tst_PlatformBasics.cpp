#include "TestHome.h"
#include "platform/ByteCountFormatter.h"
#include "platform/DesktopTerms.h"
#include "platform/Numeric.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <limits>

class tst_PlatformBasics : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Where the program lives, in each platform's own words: macOS keeps its menu bar and Mac,
    // the other desktops have a system tray on a computer.
    void desktopTerms_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("other");
        QTest::newRow("welcome") << DesktopTerms::welcomeTagline(HostPlatform::macOS)
                                 << DesktopTerms::welcomeTagline(HostPlatform::other);
        QTest::newRow("question") << DesktopTerms::usageQuestion(HostPlatform::macOS)
                                  << DesktopTerms::usageQuestion(HostPlatform::other);
        QTest::newRow("last page") << DesktopTerms::openAnyTime(HostPlatform::macOS)
                                   << DesktopTerms::openAnyTime(HostPlatform::other);
        QTest::newRow("hint") << DesktopTerms::hintMessage(HostPlatform::macOS)
                              << DesktopTerms::hintMessage(HostPlatform::other);
        QTest::newRow("settings") << DesktopTerms::iconShowsLabel(HostPlatform::macOS)
                                  << DesktopTerms::iconShowsLabel(HostPlatform::other);
    }
    void desktopTerms()
    {
        QFETCH(QString, mac);
        QFETCH(QString, other);
        QVERIFY2(mac.contains("menu bar", Qt::CaseInsensitive) || mac.contains("Mac"), qPrintable(mac));
        for (const char* word : {"menu bar", "Mac", "Finder"})
            QVERIFY2(!other.contains(word, Qt::CaseInsensitive), qPrintable(other));
        QVERIFY2(other.contains("tray", Qt::CaseInsensitive) || other.contains("computer"), qPrintable(other));
        QCOMPARE(DesktopTerms::usageQuestion(HostPlatform::other), QString("How do you use this computer?"));
        QVERIFY(DesktopTerms::hasApplicationBundles(HostPlatform::macOS));
        QVERIFY(!DesktopTerms::hasApplicationBundles(HostPlatform::other));
    }

    void formatBytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "Zero KB";
        QTest::newRow("one") << qint64(1) << "1 byte";
        QTest::newRow("two") << qint64(2) << "2 bytes";
        QTest::newRow("999") << qint64(999) << "999 bytes";
        QTest::newRow("1000") << qint64(1000) << "1 KB";
        QTest::newRow("1499 rounds") << qint64(1499) << "1 KB";
        QTest::newRow("1500 rounds up") << qint64(1500) << "2 KB";
        QTest::newRow("999499") << qint64(999499) << "999 KB";
        QTest::newRow("999999 becomes MB") << qint64(999999) << "1 MB";
        QTest::newRow("1.5 MB") << qint64(1500000) << "1.5 MB";
        QTest::newRow("1 MB no fraction") << qint64(1000000) << "1 MB";
        QTest::newRow("1.23 GB") << qint64(1234567890) << "1.23 GB";
        QTest::newRow("10 GB") << qint64(10000000000) << "10 GB";
        QTest::newRow("1.5 TB") << qint64(1500000000000) << "1.5 TB";
        QTest::newRow("max") << std::numeric_limits<qint64>::max() << "9.22 EB";
        QTest::newRow("negative") << qint64(-1500000) << "-1.5 MB";
    }
    void formatBytes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(::formatBytes(bytes), text);
    }

    void formatBytesMegabytesUp_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero is a number") << qint64(0) << "0 MB";
        QTest::newRow("below a megabyte") << qint64(500000) << "0.5 MB";
        QTest::newRow("tiny") << qint64(1) << "0 MB";
        QTest::newRow("999.96 MB rounds up") << qint64(999960000) << "1 GB";
        QTest::newRow("gigabytes") << qint64(120000000000) << "120 GB";
        QTest::newRow("terabytes") << qint64(2500000000000) << "2.5 TB";
        QTest::newRow("no petabytes") << qint64(5000000000000000) << "5000 TB";
    }
    void formatBytesMegabytesUp()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(::formatBytesMegabytesUp(bytes), text);
    }

    void saturatingCast_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("plain") << 10e9 << qint64(10000000000);
        QTest::newRow("truncates") << 1.9 << qint64(1);
        QTest::newRow("negative truncates") << -1.9 << qint64(-1);
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
        QTest::newRow("+inf") << std::numeric_limits<double>::infinity() << std::numeric_limits<qint64>::max();
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << std::numeric_limits<qint64>::min();
        QTest::newRow("1e300") << 1e300 << std::numeric_limits<qint64>::max();
        QTest::newRow("2^63") << 9223372036854775808.0 << std::numeric_limits<qint64>::max();
    }
    void saturatingCast()
    {
        QFETCH(double, value);
        QFETCH(qint64, expected);
        QCOMPARE(::saturatingCast<qint64>(value), expected);
        QCOMPARE(::saturatingCast<int>(1e12), std::numeric_limits<int>::max());
    }

    void tildeAndAbbreviation()
    {
        TestHome home;
        QVERIFY(home.isValid());
        const QString h = home.path();
        QCOMPARE(Paths::home(), h);
        QCOMPARE(Paths::expandTilde("~"), h);
        QCOMPARE(Paths::expandTilde("~/src"), h + "/src");
        QCOMPARE(Paths::expandTilde("~other/src"), QString("~other/src"));
        QCOMPARE(Paths::expandTilde("/abs/~/x"), QString("/abs/~/x"));

        QCOMPARE(Paths::abbreviateHome(h), QString("~"));
        QCOMPARE(Paths::abbreviateHome(h + "/Library/Caches"), QString("~/Library/Caches"));
        // Only a leading home folder is abbreviated, never a longer name or one further in.
        QCOMPARE(Paths::abbreviateHome(h + "x/src"), h + "x/src");
        QCOMPARE(Paths::abbreviateHome("/mnt" + h + "/a"), "/mnt" + h + "/a");
    }

    // The one "below a folder" test, on text and on bytes alike.
    void belowAFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("below");
        QTest::addColumn<bool>("equalOrBelow");
        QTest::newRow("child") << "/a/b"
                               << "/a" << true << true;
        QTest::newRow("grandchild") << "/a/b/c"
                                    << "/a" << true << true;
        QTest::newRow("itself") << "/a"
                                << "/a" << false << true;
        QTest::newRow("same letters, longer name") << "/ab"
                                                   << "/a" << false << false;
        QTest::newRow("parent") << "/a"
                                << "/a/b" << false << false;
        QTest::newRow("trailing slash on the path") << "/a/"
                                                    << "/a" << false << true;
        QTest::newRow("trailing slash on the folder") << "/a/b"
                                                      << "/a/" << true << true;
        QTest::newRow("only a slash more") << "/a//"
                                           << "/a" << false << true;
        QTest::newRow("repeated slash inside") << "/a//b"
                                               << "/a" << true << true;
        QTest::newRow("below the root") << "/a"
                                        << "/" << true << true;
        QTest::newRow("the root itself") << "/"
                                         << "/" << false << true;
        QTest::newRow("empty folder") << "/a"
                                      << "" << false << false;
        QTest::newRow("empty path") << ""
                                    << "/a" << false << false;
        QTest::newRow("relative") << "a/b"
                                  << "a" << true << true;
        QTest::newRow("relative below the root") << "a"
                                                 << "/" << false << false;
        QTest::newRow("letter case counts") << "/A/b"
                                            << "/a" << false << false;
    }

    void belowAFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(bool, below);
        QFETCH(bool, equalOrBelow);
        QCOMPARE(Paths::isBelow(path, folder), below);
        QCOMPARE(Paths::equalsOrBelow(path, folder), equalOrBelow);
        // The same rows as raw bytes, and a name that is no UTF-8 at the end.
        const QByteArray rawPath = path.toUtf8() + (below ? "/\xff" : ""), rawFolder = folder.toUtf8();
        QCOMPARE(Paths::isBelow(rawPath, rawFolder), below);
        QCOMPARE(Paths::equalsOrBelow(rawPath, rawFolder), equalOrBelow);
    }

    void cleanAndResolve()
    {
        QCOMPARE(Paths::clean("/a//b/./c/../d/"), QString("/a/b/d"));
        QCOMPARE(Paths::clean("/../.."), QString("/"));
        QCOMPARE(Paths::clean("rel/../x"), QString("rel/../x"));

        TestHome home;
        home.mkdir("real/inside");
        home.symlink("link", home("real"));
        // An existing prefix through a link resolves; the missing rest is appended cleaned.
        QCOMPARE(Paths::resolveSymlinks(home("link/inside")), home("real/inside"));
        QCOMPARE(Paths::resolveSymlinks(home("link/missing//x/./y")), home("real/missing/x/y"));
        QCOMPARE(Paths::resolveSymlinks(home("nothing/here")), home("nothing/here"));
        // Through a missing folder ".." leads nowhere, as for the system: the result stays a path
        // that does not exist instead of becoming the existing folder it spells.
        const QString through = Paths::resolveSymlinks(home("link/x/../../real"));
        QCOMPARE(through, home("real/x/../../real"));
        QVERIFY(!QFileInfo::exists(through));
        QCOMPARE(Paths::resolveSymlinks(home("link/inside/../inside")), home("real/inside"));
        QCOMPARE(Paths::lastComponent("/a/b/"), QString("b"));
    }

    // Where an item really lies: its parents' links resolved, the item itself not followed.
    void resolveParent()
    {
        TestHome home;
        home.mkdir("real/dir");
        home.symlink("link", home("real"));
        home.symlink("real/item", home("elsewhere"));
        QCOMPARE(Paths::resolveParent(home("link/item")), home("real/item")); // not "elsewhere"
        QCOMPARE(Paths::resolveParent(home("link/dir/")), home("real/dir"));
        // Dots are cleaned first: ".." names the parent, here the link itself (not followed).
        QCOMPARE(Paths::resolveParent(home("link/dir/..")), home("link"));
        QCOMPARE(Paths::resolveParent(home("link/dir/../dir")), home("real/dir"));
        QCOMPARE(Paths::resolveParent("/"), QString("/"));
        QCOMPARE(Paths::resolveParent("rel/x"), QString("rel/x"));
    }
};

QTEST_GUILESS_MAIN(tst_PlatformBasics)
#include "tst_PlatformBasics.moc"
