#include "TestHome.h"
#include "platform/UserDefaults.h"
#include "services/CleanHistoryStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

namespace {
CleanRecord record(int n, bool withItems = false)
{
    CleanRecord r;
    r.targetName = QStringLiteral("Target %1").arg(n);
    r.freed = 1000 * n;
    r.date = QDateTime::fromMSecsSinceEpoch(978307200000LL + 1500LL * n, Qt::UTC);
    r.trashed = withItems;
    if (withItems)
        r.items = QList<TrashedItem>{{"/h/a", "/h/.Trash/a"}};
    return r;
}
} // namespace

class tst_CleanHistoryStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void goldenJson()
    {
        CleanRecord r;
        r.id = QUuid::fromString(QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e"));
        r.targetName = "Trash";
        r.freed = 5000000000LL;
        r.date = QDateTime::fromMSecsSinceEpoch(978307200000LL + 12500, Qt::UTC);
        r.trashed = true;
        r.items = QList<TrashedItem>{{"/Users/al/.Trash/x", "/Users/al/.Trash/x 2"}};
        r.restored = true;
        CleanRecord bare = record(1);
        bare.id = QUuid::fromString(QStringLiteral("00000000-0000-4000-8000-000000000001"));
        CleanRecord nil = record(2);
        nil.id = QUuid();

        const QByteArray json = CleanHistoryStore::encode({r, bare, nil});
        const QJsonArray a = QJsonDocument::fromJson(json).array();
        QCOMPARE(a.size(), 3);
        QCOMPARE(a[2].toObject()["id"].toString(), QString("00000000-0000-0000-0000-000000000000"));
        const QJsonObject o = a[0].toObject();
        QCOMPARE(o["id"].toString(), QString("0F8FAD5B-D9CB-469F-A165-70867728950E"));
        QCOMPARE(o["freed"].toInteger(), 5000000000LL);
        QCOMPARE(o["date"].toDouble(), 12.5);
        QCOMPARE(o["items"].toArray()[0].toObject()["trashPath"].toString(), QString("/Users/al/.Trash/x 2"));
        QCOMPARE(o["restored"].toBool(), true);
        QVERIFY(!a[1].toObject().contains("items"));
        QVERIFY(!a[1].toObject().contains("restored"));

        const auto back = CleanHistoryStore::decode(json);
        QVERIFY(back.has_value());
        QCOMPARE(back->size(), 3);
        QCOMPARE(back->at(0), r);
        QCOMPARE(back->at(1), bare);
        QCOMPARE(back->at(2), nil); // the all-zero identifier is one like any other
        QCOMPARE(back->at(1).items, std::nullopt);
        QCOMPARE(back->at(1).restored, std::nullopt);
    }

    // Foreign JSON: extra members ignored, null optional members read as absent, any bad record fails all.
    void decodeRules_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("count"); // -1 = decoding fails
        const QByteArray ok =
            R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","targetName":"T","freed":5,"date":1.5,"trashed":false)";
        QTest::newRow("minimal") << QByteArray("[" + ok + "}]") << 1;
        QTest::newRow("extra and nulls") << QByteArray("[" + ok + R"(,"x":1,"items":null,"restored":null}])") << 1;
        QTest::newRow("lowercase id") << QByteArray(
            R"([{"id":"0f8fad5b-d9cb-469f-a165-70867728950e","targetName":"T","freed":5,"date":1,"trashed":true}])")
                                      << 1;
        QTest::newRow("missing freed") << QByteArray(
            "[" + ok + "},"
            + R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","targetName":"T","date":1,"trashed":false}])")
                                       << -1;
        QTest::newRow("fractional freed") << QByteArray(
            R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","targetName":"T","freed":1.5,"date":1,"trashed":false}])")
                                          << -1;
        QTest::newRow("bad id") << QByteArray(R"([{"id":"nope","targetName":"T","freed":1,"date":1,"trashed":false}])")
                                << -1;
        QTest::newRow("nil id") << QByteArray(
            R"([{"id":"00000000-0000-0000-0000-000000000000","targetName":"T","freed":1,"date":1,"trashed":false}])")
                                << 1;
        QTest::newRow("braced id") << QByteArray(
            R"([{"id":"{0F8FAD5B-D9CB-469F-A165-70867728950E}","targetName":"T","freed":1,"date":1,"trashed":false}])")
                                   << -1;
        QTest::newRow("id without hyphens") << QByteArray(
            R"([{"id":"0F8FAD5BD9CB469FA16570867728950E","targetName":"T","freed":1,"date":1,"trashed":false}])")
                                            << -1;
        QTest::newRow("id with a non-hex digit") << QByteArray(
            R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950G","targetName":"T","freed":1,"date":1,"trashed":false}])")
                                                 << -1;
        QTest::newRow("bad item") << QByteArray("[" + ok + R"(,"items":[{"original":"/a"}]}])") << -1;
        QTest::newRow("not an array") << QByteArray("{}") << -1;
        QTest::newRow("garbage") << QByteArray("[{") << -1;
        QTest::newRow("empty") << QByteArray("[]") << 0;
    }
    void decodeRules()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, count);
        const auto decoded = CleanHistoryStore::decode(json);
        QCOMPARE(decoded.has_value(), count >= 0);
        if (decoded)
            QCOMPARE(decoded->size(), count);
    }

    void storeCapsAndLoads()
    {
        TestHome home;
        UserDefaults& d = home.defaults();
        QList<CleanRecord> many;
        for (int i = 0; i < 60; ++i)
            many.append(record(i, i % 2));
        CleanHistoryStore::save(d, many.mid(0, 51), 77);
        auto loaded = CleanHistoryStore::load(d);
        QCOMPARE(loaded.history.size(), 50);
        QCOMPARE(loaded.history.first(), many.first());
        QCOMPARE(loaded.history.last(), many[49]);
        QCOMPARE(loaded.total, qint64(77));

        // A longer list written by someone else is not shortened on load.
        d.setData("cleanHistory", CleanHistoryStore::encode(many));
        QCOMPARE(CleanHistoryStore::load(d).history.size(), 60);

        CleanHistoryStore::save(d, {}, 5000000000LL);
        QCOMPARE(d.data("cleanHistory"), std::optional<QByteArray>("[]"));
        home.restartDefaults();
        loaded = CleanHistoryStore::load(home.defaults());
        QCOMPARE(loaded.history.size(), 0);
        QCOMPARE(loaded.total, qint64(5000000000LL));
    }

    void corruptStoredState()
    {
        TestHome home;
        UserDefaults& d = home.defaults();
        d.setString("totalFreedAllTime", "12");
        d.setData("cleanHistory", "[{\"id\":1}]");
        auto loaded = CleanHistoryStore::load(d);
        QCOMPARE(loaded.total, qint64(0));
        QVERIFY(loaded.history.isEmpty());
        d.setDouble("totalFreedAllTime", 1e300);
        QCOMPARE(CleanHistoryStore::load(d).total, qint64(0));
        d.setDouble("totalFreedAllTime", 4096.0);
        QCOMPARE(CleanHistoryStore::load(d).total, qint64(4096));
        d.setString("cleanHistory", "not data");
        QVERIFY(CleanHistoryStore::load(d).history.isEmpty());
    }

    // What a clearing's journal holds joins its record at the next start: the items that lie in
    // the Trash, once each, also from a journal whose record was never stored or whose last line
    // a kill cut short; a record of a clearing that moved nothing goes. The journals go once the
    // history is saved.
    void journalsAreFoldedIntoTheHistory()
    {
        TestHome home;
        const QString folder = home.mkdir(".config/dustlet");
        const QString a = home.writeText(".local/share/Trash/files/a", "a");
        const QString b = home.writeText(".local/share/Trash/files/b", "b");
        const QString c = home.writeText(".local/share/Trash/files/c", "c");

        CleanRecord running = record(1);
        running.freed = 0;
        running.trashed = true;
        running.items = QList<TrashedItem>{{"/w/a", a}}; // saved before the kill
        const auto first = CleanHistoryStore::Journal::begin(folder, running);
        QVERIFY(first);
        QVERIFY(first->append({"/w/a", a}));
        QVERIFY(first->append({"/w/b", b}));
        QVERIFY(first->append({"/w/gone", home(".local/share/Trash/files/never-moved")}));

        CleanRecord unsaved = record(2);
        unsaved.trashed = true;
        const auto second = CleanHistoryStore::Journal::begin(folder, unsaved);
        QVERIFY(second && second->append({"/w/c", c}));

        CleanRecord empty = record(3);
        empty.freed = 0;
        const auto third = CleanHistoryStore::Journal::begin(folder, empty);
        QVERIFY(third && third->append({"/w/x", home("nothing/there")}));

        // A line cut short, as a kill in the middle of a write leaves it.
        QFile cut(
            QDir(folder).filePath("clearing-" + running.id.toString(QUuid::WithoutBraces).toUpper() + ".journal"));
        QVERIFY(cut.open(QIODevice::Append));
        cut.write("{\"original\":\"/w/half\",\"trashPa");
        cut.close();

        const QList<CleanRecord> stored{empty, running, record(4)};
        QList<CleanRecord> history = stored;
        const CleanHistoryStore::Recovery recovery = CleanHistoryStore::recover(folder, history);
        QVERIFY(recovery);
        // The journals stay until the history is saved: a start that ends before that (killed
        // while it measures what the journals hold) leaves them to be read again, to the same end.
        QCOMPARE(recovery.journals.size(), 3);
        QList<CleanRecord> again = stored;
        QVERIFY(CleanHistoryStore::recover(folder, again));
        QCOMPARE(again, history);
        CleanHistoryStore::removeJournals(recovery);
        QCOMPARE(history.size(), 3);
        QCOMPARE(history[0].id, unsaved.id); // newest first
        QCOMPARE(history[0].targetName, unsaved.targetName);
        QCOMPARE(history[0].items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{{"/w/c", c}}));
        QCOMPARE(history[1].id, running.id);
        QCOMPARE(history[1].items, std::optional<QList<TrashedItem>>(QList<TrashedItem>{{"/w/a", a}, {"/w/b", b}}));
        QCOMPARE(history[2].targetName, record(4).targetName);
        // The records that had freed nothing yet hold what their items take in the Trash.
        QCOMPARE(history[0].freed, TestHome::allocated(c));
        QCOMPARE(history[1].freed, TestHome::allocated(a) + TestHome::allocated(b));
        QCOMPARE(recovery.freed, TestHome::allocated(a) + TestHome::allocated(b) + TestHome::allocated(c));
        QVERIFY(QDir(folder).entryList({"*.journal"}, QDir::Files).isEmpty());
        QVERIFY(!CleanHistoryStore::recover(folder, history)); // nothing left to do
    }
};

QTEST_GUILESS_MAIN(tst_CleanHistoryStore)
#include "tst_CleanHistoryStore.moc"
