#include "TestHome.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QTest>
#include <QTimeZone>

class tst_UserDefaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Values keep their types across a restart of the store (a fresh read of the file).
    void typedRoundTrip()
    {
        TestHome home;
        const QDateTime when = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 250), Qt::UTC);
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
        QTest::addColumn<QVariant>("strict");   // invalid = no value
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

    void corruptFileReadsEmpty()
    {
        TestHome home;
        home.writeText(".config/dustlet/defaults.plist", "<plist><dict><key>x</key><broken");
        UserDefaults& d = home.defaults();
        QVERIFY(!d.contains("x"));
        d.setBool("ok", true);
        home.restartDefaults();
        QCOMPARE(home.defaults().strictBool("ok"), std::optional<bool>(true));
    }
};

QTEST_GUILESS_MAIN(tst_UserDefaults)
#include "tst_UserDefaults.moc"
