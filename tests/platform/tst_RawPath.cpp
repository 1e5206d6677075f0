#include "platform/RawPath.h"

#include <QSet>
#include <QTest>

class tst_RawPath : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every byte string comes back from its key; the shown text has U+FFFD exactly where bytes
    // are not part of a well-formed sequence.
    void keysAndDisplay_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<bool>("roundTrips");
        QTest::addColumn<QString>("shown");
        const QString bad(QChar::ReplacementCharacter);
        QTest::newRow("ascii") << QByteArray("/home/al/x.txt") << true << QString("/home/al/x.txt");
        QTest::newRow("two- and four-byte characters") << QByteArray("/caf\xc3\xa9/\xf0\x9f\x98\x80") << true
                                                       << QString::fromUtf8("/caf\xc3\xa9/\xf0\x9f\x98\x80");
        QTest::newRow("a name literally U+FFFD") << QByteArray("/d/\xef\xbf\xbd") << true << "/d/" + bad;
        QTest::newRow("leading byte order mark kept") << QByteArray("\xef\xbb\xbf"
                                                                    "a")
                                                      << true << QString(QChar(0xFEFF)) + "a";
        QTest::newRow("0xff") << QByteArray("/d/x\xff") << false << "/d/x" + bad;
        QTest::newRow("0xfe") << QByteArray("/d/x\xfe") << false << "/d/x" + bad;
        QTest::newRow("Latin-1 name") << QByteArray("/d/caf\xe9") << false << "/d/caf" + bad;
        QTest::newRow("overlong slash") << QByteArray("/d/\xc0\xaf") << false << "/d/" + bad + bad;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << false << bad + bad + bad;
        QTest::newRow("cut-off sequence") << QByteArray("a\xe2\x82") << false << "a" + bad + bad;
        QTest::newRow("four-byte character then a bad byte")
            << QByteArray("\xf0\x9f\x98\x80\xff") << false << QString::fromUtf8("\xf0\x9f\x98\x80") + bad;
        QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false << bad + bad + bad + bad;
        QTest::newRow("empty") << QByteArray() << true << QString();
    }
    void keysAndDisplay()
    {
        QFETCH(QByteArray, raw);
        QFETCH(bool, roundTrips);
        QFETCH(QString, shown);
        QCOMPARE(RawPath::roundTrips(raw), roundTrips);
        QCOMPARE(RawPath::display(raw), shown);
        const QString key = RawPath::key(raw);
        QCOMPARE(RawPath::fromKey(key), raw);
        if (roundTrips) {
            QCOMPARE(key, shown); // an ordinary path is its own key
            QCOMPARE(shown.toUtf8(), raw);
        } else {
            QVERIFY(key != shown);
            QVERIFY(shown.toUtf8() != raw); // the shown text names other bytes
        }
    }

    // Names that show alike keep keys of their own, a key is never an ordinary path of other
    // bytes, and the keys of a path and its parent keep their prefix relation.
    void keysAreUniqueAndNest()
    {
        const QList<QByteArray> names{"x\xff", "x\xfe", "x\xfd", "x\xef\xbf\xbd", "x\xc3\xbf", "x?"};
        QSet<QString> keys;
        for (const QByteArray& n : names)
            keys.insert(RawPath::key(n));
        QCOMPARE(keys.size(), names.size());
        for (const QByteArray& n : names)
            QCOMPARE(RawPath::fromKey(RawPath::key(n)), n);
        QCOMPARE(RawPath::key("/a\xff/b\xfe"), RawPath::key("/a\xff") + "/" + RawPath::key("b\xfe"));
        QCOMPARE(RawPath::fromKey(QStringLiteral("/Users/al/R\u00e9sum\u00e9")),
                 QByteArray("/Users/al/R\xc3\xa9sum\xc3\xa9"));
    }
};

QTEST_GUILESS_MAIN(tst_RawPath)
#include "tst_RawPath.moc"
