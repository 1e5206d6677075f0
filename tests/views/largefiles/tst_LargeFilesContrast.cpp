// Every text of the large and duplicate files window, its list's rows included, reads at 4.5:1
// (3:1 when large), in a light and a dark palette, at the desktop's default font and a large one.
#include "../../services/AppModelFakes.h"
#include "ContrastKit.h"
#include "ScriptedScan.h"
#include "views/components/Style.h"
#include "views/largefiles/FileFinderRows.h"
#include "views/largefiles/LargeFilesView.h"

#include <QApplication>
#include <QListView>
#include <QTest>

class tst_LargeFilesContrast : public QObject {
    Q_OBJECT

    ContrastKit::Looks m_looks;

private Q_SLOTS:
    void initTestCase() { m_looks.save(); }
    void cleanup() { m_looks.restore(); }

    // The large and duplicate files window with results: its toolbar, picker and footer, and the
    // texts its list delegate draws (a group header, a ticked and an unticked row), measured in
    // the rows' own rectangles.
    void largeFiles_data() { ContrastKit::addLooks(); }
    void largeFiles()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        m_looks.apply(dark, fontPx);
        ModelFixture f;
        auto model = f.makeModel();
        model->setLargeFilesTab(1);
        const qint64 s = 2'000'000;
        const QList<ScannedFile> files = {file(f.home("Pictures/a.jpg"), s), file(f.home("Pictures/b.jpg"), s)};
        const FileScanResult result{files, {group(QStringLiteral("g"), s, files)}};
        ScriptedScan scans;
        auto* view = new LargeFilesView(*model, scans.function());
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        view->resize(Style::metric(680), Style::metric(560));
        view->model().scan(f.home("Pictures"));
        QTRY_COMPARE(scans.count(), 1);
        scans.deliver(result);
        scans.end();
        QTRY_VERIFY(view->model().hasScanned());
        settle();
        ContrastKit::verifyAll(view, {"rootLabel", "selectedCount", "selectedSize", "moveToTrash"}, 6);

        // The delegate's texts, drawn into the list.
        QListView* list = view->duplicatesList();
        const QImage image = TextContrast::render(view);
        int measured = 0;
        QStringList failed;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex index = list->model()->index(row, 0);
            const FileFinderRowDelegate::TextRects at = FileFinderRowDelegate::textRects(list->visualRect(index), index);
            for (const QRect& r : {at.title, at.subtitle, at.size, at.header, at.save}) {
                if (r.isEmpty())
                    continue;
                const QRect logical(list->viewport()->mapTo(view, r.topLeft()), r.size());
                TextContrast::Text t = TextContrast::measureLogical(image, logical);
                ++measured;
                if (t.ratio < 4.5)
                    failed << QStringLiteral("row %1 at %2,%3: %4 on %5 = %6:1")
                                  .arg(QString::number(row), QString::number(r.x()), QString::number(r.y()),
                                       t.foreground.name(), t.background.name(), QString::number(t.ratio, 'f', 2));
            }
        }
        QCOMPARE(measured, 2 + 3 * 2);
        QVERIFY2(failed.isEmpty(), qPrintable(failed.join(QLatin1Char('\n'))));
        delete view;
    }
};

QTEST_MAIN(tst_LargeFilesContrast)
#include "tst_LargeFilesContrast.moc"
