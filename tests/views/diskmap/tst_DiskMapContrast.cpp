// Every text of the Disk Map after a scan reads at 4.5:1 (3:1 when large): its bars, the labels
// on the tiles and the side list's rows, coloured by type and by age, light and dark.
#include "../../services/AppModelFakes.h"
#include "ContrastKit.h"
#include "DiskMapFakes.h"
#include "platform/AccessibilityPrefs.h"
#include "views/components/Style.h"
#include "views/diskmap/DiskMapCanvas.h"
#include "views/diskmap/DiskMapSideList.h"
#include "views/diskmap/DiskMapView.h"

#include <QApplication>
#include <QTest>

class tst_DiskMapContrast : public QObject {
    Q_OBJECT

    ContrastKit::Looks m_looks;

private Q_SLOTS:
    void initTestCase() { m_looks.save(); }
    void cleanup() { m_looks.restore(); }

    // The Disk Map after a scan, in both colour modes: its toolbar, legend and detail bar, the
    // labels painted on the tiles (every category colour and age), and the texts the side list's
    // delegate draws (with the category words shown beside the names), a selected row included.
    void diskMap_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<int>("fontPx");
        QTest::addColumn<bool>("byAge");
        QTest::newRow("light, type") << false << 0 << false;
        QTest::newRow("dark, type") << true << 0 << false;
        QTest::newRow("light, age") << false << 0 << true;
        QTest::newRow("dark, 16 pt, age") << true << 21 << true;
    }
    void diskMap()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        QFETCH(bool, byAge);
        m_looks.apply(dark, fontPx);
        AccessibilityPrefs::overrideForTesting(AccessibilityPrefs::Prefs{false, false, true});
        ModelFixture f;
        auto model = f.makeModel();
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QString r = f.home("map");
        QList<DiskNode> kids;
        int i = 0;
        for (FileCategory c : allFileCategories()) {
            // Sizes close together so that every tile is large enough for both lines.
            kids << fileNode(r + "/item" + QString::number(i), 1'000'000 - i * 20'000, c, now.addDays(-45 * i));
            ++i;
        }
        ScriptedScans scans;
        auto* view = new DiskMapView(*model, scans.environment(&f.home.defaults()));
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        view->resize(Style::metric(900), Style::metric(700));
        view->setColorMode(byAge ? DiskColorMode::age : DiskColorMode::type);
        view->model().scan(r);
        scans.waitForCall(0);
        scans.finish(0, folderNode(r, kids));
        QTRY_VERIFY(!view->model().isScanning());
        view->model().setSelection(kids.at(2));
        settle();
        ContrastKit::verifyAll(view, {"detailTitle", "detailPath", "detailSize"}, 6);
        view->resize(Style::metric(900), Style::metric(700));
        settle();

        const QImage image = TextContrast::render(view);
        QStringList failed;
        int measured = 0;
        const auto measure = [&](const QRect& logical, const QString& what) {
            const TextContrast::Text t = TextContrast::measureLogical(image, logical);
            ++measured;
            if (t.ratio < 4.5)
                failed << QStringLiteral("%1: %2 on %3 = %4:1")
                              .arg(what, t.foreground.name(), t.background.name(), QString::number(t.ratio, 'f', 2));
        };
        DiskMapCanvas* canvas = view->canvas();
        for (const QRectF& label : canvas->labelRects())
            measure(QRect(canvas->mapTo(view, label.toAlignedRect().topLeft()), label.toAlignedRect().size()), "tile label");
        DiskMapSideList* list = view->sideList();
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex index = list->model()->index(row, 0);
            const auto at = list->rowDelegate().textRects(list->visualRect(index), index);
            for (const QRect& rect : {at.name, at.category, at.size})
                if (!rect.isEmpty())
                    measure(QRect(list->viewport()->mapTo(view, rect.topLeft()), rect.size()),
                            QStringLiteral("row %1").arg(row));
        }
        AccessibilityPrefs::overrideForTesting(std::nullopt);
        QVERIFY2(measured >= 9 * 2 + 9 * 2, qPrintable(QString::number(measured)));
        QVERIFY2(failed.isEmpty(), qPrintable(QLatin1Char('\n') + failed.join(QLatin1Char('\n'))));
        delete view;
    }
};

QTEST_MAIN(tst_DiskMapContrast)
#include "tst_DiskMapContrast.moc"
