#include "services/Treemap.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QList<DiskNode> nodes(const QList<qint64>& sizes)
{
    QList<DiskNode> out;
    for (qsizetype i = 0; i < sizes.size(); ++i)
        out << DiskNode(QString("/n%1").arg(i), QString("n%1").arg(i), sizes[i], false, FileCategory::other,
                        std::nullopt);
    return out;
}

QString fmt(const QRectF& r)
{
    return QString::asprintf("(%.2f, %.2f, %.2f, %.2f)", r.x(), r.y(), r.width(), r.height());
}

} // namespace

class tst_Treemap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void examples_data()
    {
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<QStringList>("tiles"); // "index:(x, y, w, h)"
        QTest::newRow("empty") << QList<qint64>{} << QRectF(0, 0, 100, 100) << QStringList{};
        QTest::newRow("all zero") << QList<qint64>{0, 0} << QRectF(0, 0, 100, 100) << QStringList{};
        QTest::newRow("width 1") << QList<qint64>{5} << QRectF(0, 0, 1, 100) << QStringList{};
        QTest::newRow("height 1") << QList<qint64>{5} << QRectF(0, 0, 100, 1) << QStringList{};
        QTest::newRow("single fills") << QList<qint64>{7} << QRectF(10, 20, 30, 40)
                                      << QStringList{"0:(10.00, 20.00, 30.00, 40.00)"};
        QTest::newRow("two equal") << QList<qint64>{1, 1} << QRectF(0, 0, 200, 100)
                                   << QStringList{"0:(0.00, 0.00, 100.00, 100.00)", "1:(100.00, 0.00, 100.00, 100.00)"};
        QTest::newRow("3 and 1") << QList<qint64>{3, 1} << QRectF(0, 0, 200, 100)
                                 << QStringList{"0:(0.00, 0.00, 150.00, 100.00)", "1:(150.00, 0.00, 50.00, 100.00)"};
        QTest::newRow("four equal in a square")
            << QList<qint64>{1, 1, 1, 1} << QRectF(0, 0, 100, 100)
            << QStringList{"0:(0.00, 0.00, 50.00, 50.00)", "1:(0.00, 50.00, 50.00, 50.00)",
                           "2:(50.00, 0.00, 50.00, 50.00)", "3:(50.00, 50.00, 50.00, 50.00)"};
        QTest::newRow("6 6 4 3 2 2 1") << QList<qint64>{6, 6, 4, 3, 2, 2, 1} << QRectF(0, 0, 600, 400)
                                       << QStringList{"0:(0.00, 0.00, 300.00, 200.00)",
                                                      "1:(0.00, 200.00, 300.00, 200.00)",
                                                      "2:(300.00, 0.00, 171.43, 233.33)",
                                                      "3:(471.43, 0.00, 128.57, 233.33)",
                                                      "4:(300.00, 233.33, 120.00, 166.67)",
                                                      "5:(420.00, 233.33, 120.00, 166.67)",
                                                      "6:(540.00, 233.33, 60.00, 166.67)"};
        QTest::newRow("zeros skipped") << QList<qint64>{0, 3, 0, 1, 0} << QRectF(0, 0, 200, 100)
                                       << QStringList{"1:(0.00, 0.00, 150.00, 100.00)",
                                                      "3:(150.00, 0.00, 50.00, 100.00)"};
        QTest::newRow("tall: strip along the top")
            << QList<qint64>{1, 1} << QRectF(0, 0, 100, 200)
            << QStringList{"0:(0.00, 0.00, 100.00, 100.00)", "1:(0.00, 100.00, 100.00, 100.00)"};
    }
    void examples()
    {
        QFETCH(QList<qint64>, sizes);
        QFETCH(QRectF, rect);
        QFETCH(QStringList, tiles);
        const QList<DiskNode> input = nodes(sizes);
        QStringList got;
        for (const Treemap::Tile& t : Treemap::layout(input, rect))
            got << t.node.name().mid(1) + ":" + fmt(t.rect);
        QCOMPARE(got, tiles);
    }

    // Random inputs: tiles lie inside the rectangle, never overlap, cover its area, and each area
    // is in proportion to its size.
    void tilesCoverWithoutOverlap()
    {
        QRandomGenerator rng(4711);
        for (int round = 0; round < 200; ++round) {
            QList<qint64> sizes;
            const int n = 1 + int(rng.bounded(80));
            for (int i = 0; i < n; ++i)
                sizes << (rng.bounded(6) == 0 ? 0 : qint64(rng.bounded(1, 1'000'000)));
            std::sort(sizes.begin(), sizes.end(), std::greater<>());
            const QRectF rect(rng.bounded(50), rng.bounded(50), 2 + rng.bounded(900), 2 + rng.bounded(700));
            const QList<Treemap::Tile> tiles = Treemap::layout(nodes(sizes), rect);
            qint64 total = 0;
            int positive = 0;
            for (qint64 s : sizes) {
                total += s;
                positive += s > 0;
            }
            QCOMPARE(tiles.size(), positive);
            const double eps = 1e-6 * (rect.width() + rect.height());
            double area = 0;
            for (qsizetype i = 0; i < tiles.size(); ++i) {
                const QRectF& r = tiles[i].rect;
                QVERIFY(r.left() >= rect.left() - eps && r.top() >= rect.top() - eps);
                QVERIFY(r.right() <= rect.right() + eps && r.bottom() <= rect.bottom() + eps);
                const double expected = rect.width() * rect.height() * double(tiles[i].node.size()) / double(total);
                QVERIFY(qAbs(r.width() * r.height() - expected) <= 1e-6 * rect.width() * rect.height());
                area += r.width() * r.height();
                for (qsizetype j = 0; j < i; ++j) {
                    const QRectF o = r.intersected(tiles[j].rect);
                    QVERIFY2(o.width() * o.height() <= 1e-6 * rect.width() * rect.height(),
                             qPrintable(fmt(r) + " overlaps " + fmt(tiles[j].rect)));
                }
            }
            if (total > 0)
                QVERIFY2(qAbs(area - rect.width() * rect.height()) <= 1e-6 * rect.width() * rect.height(),
                         qPrintable(QString::number(area) + " vs " + fmt(rect) + " n=" + QString::number(n)));
        }
    }
};

QTEST_GUILESS_MAIN(tst_Treemap)
#include "tst_Treemap.moc"
