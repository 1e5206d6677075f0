// Every text of the panel, a target's information and the confirmation reads at 4.5:1 (3:1 when
// large) against what it is drawn on, measured from rendered pixels, in a light and a dark
// palette, at the desktop's default font and at a large one.
#include "../../services/AppModelFakes.h"
#include "Palettes.h"
#include "largefiles/ScriptedScan.h"
#include "diskmap/DiskMapFakes.h"
#include "TextContrast.h"
#include "platform/AccessibilityPrefs.h"
#include "views/diskmap/DiskMapCanvas.h"
#include "views/diskmap/DiskMapSideList.h"
#include "views/diskmap/DiskMapView.h"
#include "views/largefiles/FileFinderRows.h"
#include "views/largefiles/LargeFilesView.h"
#include "views/panel/MenuPanelView.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingVisuals.h"
#include "views/panel/TargetRowView.h"
#include "views/Windows.h"
#include "views/components/CleanActionButton.h"
#include "views/components/ConfirmSheet.h"
#include "views/components/EmptyState.h"
#include "views/components/ScaledControls.h"
#include "views/components/SelectableRow.h"
#include "views/components/ToolHeader.h"

#include <QApplication>
#include <QListView>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QVBoxLayout>

namespace {

QStringList names(const QList<TextContrast::Text>& texts)
{
    QStringList out;
    for (const TextContrast::Text& t : texts)
        out << t.where;
    return out;
}

// The least contrast to `background` that an indicator's outline reaches on any of its four
// sides: each side is searched from the edge of `indicator` two pixels inwards, over its middle
// third, for the pixel that stands out most. A side the outline does not show on measures as
// the fill or the window it passes over.
double faintestSide(const QImage& image, const QRect& indicator, const QColor& background)
{
    const qreal dpr = image.devicePixelRatio();
    const QRect r((QPointF(indicator.topLeft()) * dpr).toPoint(), (QSizeF(indicator.size()) * dpr).toSize());
    const int depth = int(2 * dpr), third = r.width() / 3;
    const QList<QRect> sides = {QRect(r.left() + third, r.top(), third, depth),
                                QRect(r.left() + third, r.bottom() - depth + 1, third, depth),
                                QRect(r.left(), r.top() + third, depth, third),
                                QRect(r.right() - depth + 1, r.top() + third, depth, third)};
    double faintest = 21;
    for (const QRect& side : sides) {
        double best = 1;
        for (int y = side.top(); y <= side.bottom(); ++y)
            for (int x = side.left(); x <= side.right(); ++x)
                best = std::max(best, Style::contrastRatio(QColor::fromRgb(image.pixel(x, y)), background));
        faintest = std::min(faintest, best);
    }
    return faintest;
}

QList<TargetState> scanningOne(QList<TargetState> list, const QString& id, qint64 count)
{
    for (TargetState& t : list)
        if (t.target.id == id) {
            t.isScanning = true;
            t.size = count;
        }
    return list;
}

} // namespace

class tst_Contrast : public QObject {
    Q_OBJECT

    QFont m_font;
    QPalette m_palette;

    void applyLook(bool dark, int fontPx)
    {
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        QFont f = m_font;
        if (fontPx > 0)
            f.setPixelSize(fontPx);
        QApplication::setFont(f);
    }

    static void addLooks()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<int>("fontPx");   // 0: the default font
        QTest::newRow("light") << false << 0;
        QTest::newRow("dark") << true << 0;
        QTest::newRow("light, 16 pt") << false << 21;
        QTest::newRow("dark, 16 pt") << true << 21;
    }

    static void verifyAll(QWidget* view, const QStringList& mustMeasure, int atLeast)
    {
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        view->adjustSize();
        settle();
        const QList<TextContrast::Text> texts = TextContrast::measure(view);
        QVERIFY2(texts.size() >= atLeast, qPrintable(names(texts).join(QLatin1Char(' '))));
        for (const QString& name : mustMeasure)
            QVERIFY2(names(texts).contains(name), qPrintable(name + QStringLiteral(" was not measured")));
        const QString failed = TextContrast::failures(texts);
        QVERIFY2(failed.isEmpty(), qPrintable(QLatin1Char('\n') + failed));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_font = QApplication::font();
        m_palette = QApplication::palette();
    }
    void cleanup()
    {
        QApplication::setFont(m_font);
        QApplication::setPalette(m_palette);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The measure sees a faint text for what it is: it is not a check that cannot fail.
    void theMeasureCatchesFaintText()
    {
        QWidget box;
        box.setAutoFillBackground(true);
        auto* faint = new QLabel(QStringLiteral("380 GB used"), &box);
        faint->setObjectName(QStringLiteral("faint"));
        QPalette p = faint->palette();
        p.setColor(QPalette::WindowText, QColor(0xb4, 0xb4, 0xb4));   // about 2:1 on the light window
        faint->setPalette(p);
        faint->adjustSize();
        box.resize(faint->size());
        box.setAttribute(Qt::WA_DontShowOnScreen);
        box.show();
        QApplication::setPalette(QApplication::style()->standardPalette());
        const QList<TextContrast::Text> texts = TextContrast::measure(&box);
        QCOMPARE(texts.size(), 1);
        QVERIFY(!texts[0].passes());
        QVERIFY2(texts[0].ratio < 2.5, qPrintable(QString::number(texts[0].ratio)));
    }

    void panel_data() { addLooks(); }
    void panel()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        applyLook(dark, fontPx);
        ModelFixture f;
        f.sizes.insert(QStringLiteral("trash"), 39'000'000);
        f.sizes.insert(QStringLiteral("appcaches"), 1'070'000'000);
        auto model = f.makeModel();
        model->start();
        settle();
        model->setLastScan(f.clock.now().addSecs(-300));
        model->setStatusMessage(QStringLiteral("Freed 3.42 GB total"));
        model->settings().setEnabled(false, QStringLiteral("trash"));   // a dimmed group
        Windows windows;
        auto* panel = new MenuPanelView(*model, windows, &f.clock);
        verifyAll(panel, {"freshness", "total", "statusLine", "cleanUpButton", "groupTitle", "quitButton"}, 12);
        delete panel;
    }

    void developerPanel_data() { addLooks(); }
    void developerPanel()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        applyLook(dark, fontPx);
        ModelFixture f;
        f.sizes.insert(QStringLiteral("trash"), 39'000'000);
        auto model = f.makeModel();
        model->settings().setDeveloperMode(true);
        model->rebuildTargets();
        model->start();
        settle();
        model->settings().setEnabled(false, QStringLiteral("logs"));   // a dimmed row
        model->setTargets(scanningOne(model->targets(), QStringLiteral("appcaches"), 5'000'000));
        Windows windows;
        auto* panel = new MenuPanelView(*model, windows, &f.clock);
        verifyAll(panel, {"sectionTitle", "cleanUpButton"}, 20);
        delete panel;
    }

    void targetInformation_data() { addLooks(); }
    void targetInformation()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        applyLook(dark, fontPx);
        ModelFixture f;
        auto model = f.makeModel();
        auto* box = new QWidget;
        box->setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(TargetRowView::makeInfoContent(findTarget(*model, QStringLiteral("chrome"))->target));
        verifyAll(box, {"infoTitle", "infoWhySafe", "locationHeading", "locationPath"}, 4);
        delete box;
    }

    void confirmation_data() { addLooks(); }
    void confirmation()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        applyLook(dark, fontPx);
        QList<ConfirmSheet::Item> items;
        for (int i = 0; i < 4; ++i)
            items.append({QStringLiteral("Item %1").arg(i), qint64(i + 1) * 700'000'000});
        auto* sheet = new ConfirmSheet(QStringLiteral("all enabled items"), QStringLiteral("2.8 GB"),
                                       QStringLiteral("Everything here is a cache that comes back by itself."), items, true,
                                       {}, {});
        sheet->setAutoFillBackground(true);
        verifyAll(sheet, {"confirmButton"}, 10);
        delete sheet;
    }

    // An unticked check box and an unchosen radio button are known only by their outline: it
    // reaches 3:1 against the window, as every control's boundary must, also where the style
    // shades it from the window colour itself.
    void controlOutlines_data() { addLooks(); }
    void controlOutlines()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        applyLook(dark, fontPx);
        ScaledControls style(QStyleFactory::create(QStringLiteral("Fusion")));
        QWidget box;
        box.setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(&box);
        auto* check = new QCheckBox(QStringLiteral("Delete permanently (skip the Trash)"));
        auto* radio = new QRadioButton(QStringLiteral("Weekly"));
        auto* bare = new QCheckBox;   // a row's box, with no text beside it
        for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{check, radio, bare}) {
            b->setStyle(&style);
            layout->addWidget(b);
        }
        box.setAttribute(Qt::WA_DontShowOnScreen);
        box.show();
        settle();
        const QImage image = TextContrast::render(&box);
        const QColor window = box.palette().color(QPalette::Window);
        QCOMPARE(QColor::fromRgb(image.pixel(0, 0)), window);
        const auto indicatorOf = [&](QAbstractButton* b, QStyle::SubElement element) {
            QStyleOptionButton option;
            option.initFrom(b);
            option.text = b->text();
            const QRect r = style.subElementRect(element, &option, b);
            return QRect(b->mapTo(&box, r.topLeft()), r.size());
        };
        const double boxRatio = faintestSide(image, indicatorOf(check, QStyle::SE_CheckBoxIndicator), window);
        const double radioRatio = faintestSide(image, indicatorOf(radio, QStyle::SE_RadioButtonIndicator), window);
        const double bareRatio = faintestSide(image, indicatorOf(bare, QStyle::SE_CheckBoxIndicator), window);
        QVERIFY2(boxRatio >= 3.0, qPrintable(QStringLiteral("check box outline %1:1").arg(boxRatio, 0, 'f', 2)));
        QVERIFY2(radioRatio >= 3.0, qPrintable(QStringLiteral("radio button outline %1:1").arg(radioRatio, 0, 'f', 2)));
        QVERIFY2(bareRatio >= 3.0, qPrintable(QStringLiteral("bare check box outline %1:1").arg(bareRatio, 0, 'f', 2)));

        // Switched off, the box keeps the style's faint outline that says so.
        check->setEnabled(false);
        settle();
        const double disabled = faintestSide(TextContrast::render(&box), indicatorOf(check, QStyle::SE_CheckBoxIndicator), window);
        QVERIFY2(disabled < 3.0, qPrintable(QString::number(disabled)));
    }

    // The pieces the tool windows are built from, with a row checked and one not.
    void toolComponents_data() { addLooks(); }
    void toolComponents()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        applyLook(dark, fontPx);
        auto* box = new QWidget;
        box->setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(box);
        layout->addWidget(new ToolHeader(QStringLiteral("camera.aperture"), QStringLiteral("Free Up Snapshot Space"),
                                         QStringLiteral("Local snapshots hold copies of changed files.")));
        layout->addWidget(new SelectableRow(true, true, [] {}, std::nullopt, QStringLiteral("holiday.mov"),
                                            QStringLiteral("~/Movies/holiday.mov"), qint64(4'310'000'000)));
        layout->addWidget(new SelectableRow(false, true, [] {}, std::nullopt, QStringLiteral("dataset.csv"),
                                            QStringLiteral("~/Downloads/dataset.csv"), qint64(812'000'000)));
        layout->addWidget(new EmptyState(QStringLiteral("checkmark.circle"), QStringLiteral("No build folders found"),
                                         QStringLiteral("Nothing to clean under ~/src.")));
        layout->addWidget(new CleanActionButton(QStringLiteral("Move 3 Items to Trash"), QStringLiteral("trash"), true, [] {}));
        verifyAll(box, {"rowTitle", "rowSubtitle", "rowSize"}, 10);
        delete box;
    }

    // The welcome flow's four pages on their card (the optional rows shown as where the platform
    // offers them, developer mode on, the total revealed).
    void welcomePages_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<int>("fontPx");
        QTest::addColumn<int>("page");
        for (int page = 0; page <= OnboardingView::kLastStep; ++page) {
            QTest::addRow("light, page %d", page + 1) << false << 0 << page;
            QTest::addRow("dark, page %d", page + 1) << true << 0 << page;
            QTest::addRow("dark, 16 pt, page %d", page + 1) << true << 21 << page;
        }
    }
    void welcomePages()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        QFETCH(int, page);
        applyLook(dark, fontPx);
        AccessibilityPrefs::overrideForTesting(AccessibilityPrefs::Prefs{true, false, false});
        ModelFixture f;
        f.sizes.insert("appcaches", 3'400'000'000);
        auto model = f.makeModel();
        model->settings().setDeveloperMode(true);
        auto* view = new OnboardingView(*model, model->settings(), [] {});
        view->setOffered([](const QString&) { return true; });
        view->setOpaqueBackdrop(true);
        view->resize(1300, 1200);
        while (view->step() < page)
            view->advance();
        settle();
        QWidget* card = view->card();
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        settle();
        const QList<TextContrast::Text> texts = TextContrast::measure(card);
        QVERIFY(!texts.isEmpty());
        const QString failed = TextContrast::failures(texts);
        QVERIFY2(failed.isEmpty(), qPrintable(QLatin1Char('\n') + failed));
        delete view;
        AccessibilityPrefs::overrideForTesting(std::nullopt);
    }

    // The large and duplicate files window with results: its toolbar, picker and footer, and the
    // texts its list delegate draws (a group header, a ticked and an unticked row), measured in
    // the rows' own rectangles.
    void largeFiles_data() { addLooks(); }
    void largeFiles()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        applyLook(dark, fontPx);
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
        verifyAll(view, {"rootLabel", "selectedCount", "selectedSize", "moveToTrash"}, 6);

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
        applyLook(dark, fontPx);
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
        verifyAll(view, {"detailTitle", "detailPath", "detailSize"}, 6);
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

QTEST_MAIN(tst_Contrast)
#include "tst_Contrast.moc"
