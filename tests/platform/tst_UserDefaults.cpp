#include "BadSettingsFile.h"
#include "TestHome.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimeZone>

class tst_UserDefaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Values keep their types across a restart of the store (a fresh read of the file; an XML
    // property list keeps dates to the second).
    void typedRoundTrip()
    {
        TestHome home;
        const QDateTime when = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
        {
            UserDefaults& d = home.defaults();
            d.setBool("flag", false);
            d.setDouble("five", 5.0);
            d.setDouble("fraction", 0.1);
            d.setInt64("big", 5000000000LL);
            d.setInt64("negative", -42);
            d.setStringArray("one", {"only"});
            d.setStringArray("empty", {});
            d.setString("text", "free");
            d.setDate("when", when);
            d.setData("blob", QByteArray("\x00\x01\xff", 3));
            d.setString("gone", "x");
            d.remove("gone");
        }
        home.restartDefaults();
        UserDefaults& d = home.defaults();
        QCOMPARE(d.strictBool("flag"), std::optional<bool>(false));
        QCOMPARE(d.number("five"), std::optional<double>(5.0));
        QCOMPARE(d.number("fraction"), std::optional<double>(0.1));
        QCOMPARE(d.int64("big"), std::optional<qint64>(5000000000LL));
        QCOMPARE(d.int64("negative"), std::optional<qint64>(-42));
        QCOMPARE(d.stringArray("one"), std::optional<QStringList>(QStringList{"only"}));
        QCOMPARE(d.stringArray("empty"), std::optional<QStringList>(QStringList{}));
        QCOMPARE(d.string("text"), std::optional<QString>("free"));
        QCOMPARE(d.date("when"), std::optional<QDateTime>(when));
        QCOMPARE(d.data("blob"), std::optional<QByteArray>(QByteArray("\x00\x01\xff", 3)));
        QVERIFY(!d.contains("gone"));
        QVERIFY(QFile::exists(home.defaultsPath()));
    }

    // The platform's reading rules over raw stored values.
    void readingRules_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("strict"); // invalid = no value
        QTest::addColumn<bool>("lenient");
        QTest::addColumn<QVariant>("number");
        QTest::addColumn<QVariant>("stringArray");
        QTest::newRow("missing") << QVariant() << QVariant() << false << QVariant() << QVariant();
        QTest::newRow("true") << QVariant(true) << QVariant(true) << true << QVariant() << QVariant();
        QTest::newRow("text YES") << QVariant("YES") << QVariant() << true << QVariant() << QVariant();
        QTest::newRow("text true") << QVariant("true") << QVariant() << true << QVariant() << QVariant();
        QTest::newRow("text 1") << QVariant("1") << QVariant() << true << QVariant() << QVariant();
        QTest::newRow("text no") << QVariant("no") << QVariant() << false << QVariant() << QVariant();
        QTest::newRow("int 0") << QVariant(qint64(0)) << QVariant() << false << QVariant(0.0) << QVariant();
        QTest::newRow("int 3") << QVariant(qint64(3)) << QVariant() << true << QVariant(3.0) << QVariant();
        QTest::newRow("double") << QVariant(2.5) << QVariant() << true << QVariant(2.5) << QVariant();
        QTest::newRow("list of text") << QVariant(QVariantList{"a", "b"}) << QVariant() << false << QVariant()
                                      << QVariant(QStringList{"a", "b"});
        QTest::newRow("mixed list") << QVariant(QVariantList{"a", qint64(1)}) << QVariant() << false << QVariant()
                                    << QVariant();
        QTest::newRow("lone text is no list") << QVariant("a") << QVariant() << false << QVariant() << QVariant();
    }
    void readingRules()
    {
        QFETCH(QVariant, stored);
        QFETCH(QVariant, strict);
        QFETCH(bool, lenient);
        QFETCH(QVariant, number);
        QFETCH(QVariant, stringArray);
        TestHome home;
        if (stored.isValid())
            home.defaults().setObject("k", stored);
        home.restartDefaults(); // read back through the file
        UserDefaults& d = home.defaults();
        const auto s = d.strictBool("k");
        QCOMPARE(s.has_value(), strict.isValid());
        if (s)
            QCOMPARE(*s, strict.toBool());
        QCOMPARE(d.lenientBool("k"), lenient);
        const auto n = d.number("k");
        QCOMPARE(n.has_value(), number.isValid());
        if (n)
            QCOMPARE(*n, number.toDouble());
        const auto a = d.stringArray("k");
        QCOMPARE(a.has_value(), stringArray.isValid());
        if (a)
            QCOMPARE(*a, stringArray.toStringList());
    }

    // A settings file that is there but can't be read is set aside beside it, never overwritten:
    // the store starts empty without blocking, says once where the file was kept, and writes a
    // new file of its own.
    void unreadableFileIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("kind");
        for (const char* kind : BadSettingsFile::kinds())
            QTest::newRow(kind) << QByteArray(kind);
    }
    void unreadableFileIsSetAside()
    {
        QFETCH(QByteArray, kind);
        if (BadSettingsFile::needsNonRoot(kind) && TestHome::isRoot())
            QSKIP("root reads a file whatever its mode");
        TestHome home;
        const QString path = home.defaultsPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(BadSettingsFile::make(kind, path));
        struct stat before {};
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &before), 0);
        const BadSettingsFile::FifoWatchdog watchdog(path, std::chrono::seconds(3));
        QElapsedTimer timer;
        timer.start();
        UserDefaults& d = home.defaults();
        QVERIFY2(timer.elapsed() < 3000, "reading the file blocked");
        QVERIFY(!d.contains("totalFreedAllTime"));

        const std::optional<QString> aside = d.takeSetAsideNotice();
        QVERIFY(aside);
        QVERIFY2(QFileInfo(*aside).fileName().startsWith("defaults.plist.unreadable-"), qPrintable(*aside));
        QCOMPARE(QFileInfo(*aside).absolutePath(), QFileInfo(path).absolutePath());
        struct stat kept {};
        QCOMPARE(::lstat(QFile::encodeName(*aside).constData(), &kept), 0);
        QCOMPARE(kept.st_ino, before.st_ino); // the very file, moved aside
        QCOMPARE(d.takeSetAsideNotice(), std::nullopt); // told once

        d.setBool("ok", true);
        QCOMPARE(d.lastWriteError(), std::nullopt);
        QVERIFY(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
        QCOMPARE(::lstat(QFile::encodeName(*aside).constData(), &kept), 0);
        QCOMPARE(kept.st_ino, before.st_ino);
        QVERIFY(QFileInfo("/dev/zero").exists() && !QFileInfo("/dev/zero").isFile());
        home.restartDefaults();
        QCOMPARE(home.defaults().strictBool("ok"), std::optional<bool>(true));
    }

    // A write goes to a regular file only: through a link that leads to one, but never into a
    // FIFO, a device or a link to one put there while the program runs; then the values stay in
    // memory, the write is reported, and nothing blocks.
    void writesOnlyToARegularFile()
    {
        TestHome home;
        const QString path = home.defaultsPath();
        UserDefaults& d = home.defaults();
        d.setInt64("total", 5);
        QCOMPARE(d.lastWriteError(), std::nullopt);

        QStringList reported;
        d.setWriteFailureHandler([&](const QString& reason) { reported << reason; });
        QVERIFY(QFile::remove(path));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const BadSettingsFile::FifoWatchdog watchdog(path, std::chrono::seconds(3));
        QElapsedTimer timer;
        timer.start();
        d.setInt64("total", 6);
        QVERIFY2(timer.elapsed() < 3000, "writing blocked");
        QCOMPARE(d.lastWriteError(), std::optional<QString>("~/.config/dustlet/defaults.plist is not a regular file"));
        QCOMPARE(reported, QStringList{*d.lastWriteError()});
        QCOMPARE(d.int64("total"), std::optional<qint64>(6)); // kept in memory
        QVERIFY(!QFileInfo(path).isFile());

        QVERIFY(QFile::remove(path));
        QCOMPARE(::symlink("/dev/null", QFile::encodeName(path).constData()), 0);
        d.setInt64("total", 7);
        QVERIFY(d.lastWriteError());
        QVERIFY(QFileInfo(path).isSymLink());
        QVERIFY(!QFileInfo("/dev/null").isFile());

        // A link to a regular file (a dotfile manager's): written through, the link stays.
        QVERIFY(QFile::remove(path));
        const QString real = home.writeText("dotfiles/defaults.plist", "");
        QCOMPARE(::symlink(QFile::encodeName(real).constData(), QFile::encodeName(path).constData()), 0);
        d.setInt64("total", 8);
        QCOMPARE(d.lastWriteError(), std::nullopt);
        QVERIFY(QFileInfo(path).isSymLink());
        QVERIFY(TestHome::contents(real).contains("<key>total</key>"));
        QCOMPARE(reported.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_UserDefaults)
#include "tst_UserDefaults.moc"
