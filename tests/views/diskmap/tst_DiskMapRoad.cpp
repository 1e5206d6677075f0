// The road through the real program's pieces, in a temporary home: the panel's "Disk Map" opens
// the window, Home is mapped by the real scanner, a folder is zoomed into and left by the
// breadcrumbs, the colours switch to age, a folder goes to the (test home's) Trash with a history
// entry and a rescan, and the entry puts it back.
#include "AppModel.h"
#include "DustletApp.h"
#include "TestHome.h"
#include "platform/ui/Dialogs.h"
#include "views/diskmap/DiskMapCanvas.h"
#include "views/diskmap/DiskMapStartScreen.h"
#include "views/diskmap/DiskMapView.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuPanelView.h"
#include "views/Windows.h"
#include "views/components/SegmentedControl.h"

#include <QFile>
#include <QTest>
#include <QToolButton>

class tst_DiskMapRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mapZoomAndTrashFromThePanel()
    {
        TestHome home;
        QVERIFY(home.isValid());
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/dustlet-test-bus");
        home.writeFile("Videos/holiday.mov", 3 * 1024 * 1024);
        home.writeFile("Videos/clip.mp4", 1024 * 1024);
        home.writeFile("Old Stuff/archive.zip", 2 * 1024 * 1024);
        home.writeFile("notes.txt", 64 * 1024);

        DustletApp app;
        app.model().settings().setHasCompletedOnboarding(true);
        app.launch();
        auto* panel = app.menuBarExtra().panel()->findChild<MenuPanelView*>();
        QVERIFY(panel);
        QTest::mouseClick(panel->toolButton("diskmap"), Qt::LeftButton);
        QWidget* window = app.windows().window("diskmap");
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QString("Disk Map"));
        auto* view = window->findChild<DiskMapView*>();
        QVERIFY(view);
        // Opens at 760 x 560 and shrinks no further than 760 x 480.
        QCOMPARE(window->size(), QSize(760, 560));
        QCOMPARE(window->minimumSizeHint(), QSize(760, 480));
        QVERIFY(view->isShowingStartScreen());

        // Home, from its card; the scan fills the map in and ends.
        PresetCard* homeCard = view->startScreen()->cards().first();
        QCOMPARE(homeCard->text(), QString("Home"));
        QTest::mouseClick(homeCard, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!view->model().isScanning() && view->model().root(), 20000);
        QCOMPARE(view->breadcrumbTexts(), QStringList{"~"});
        const QList<DiskNode> top = view->model().root()->children();
        QCOMPARE(top.first().name(), QString("Videos"));

        // Into Videos and back by the breadcrumbs.
        view->model().zoom(top.first());
        QCOMPARE(view->breadcrumbTexts(), (QStringList{"~", "Videos"}));
        QTest::mouseClick(view->breadcrumbButtons().first(), Qt::LeftButton);
        QVERIFY(view->model().stack().isEmpty());

        auto* picker = view->findChild<SegmentedControl*>("modePicker");
        QTest::mouseClick(picker->segment(1), Qt::LeftButton);
        QCOMPARE(view->colorMode(), DiskColorMode::age);

        // "Old Stuff" to the Trash, from the detail bar, after the question.
        DiskNode old;
        for (const DiskNode& n : top)
            if (n.name() == QLatin1String("Old Stuff"))
                old = n;
        QVERIFY(old.isDirectory());
        QString asked;
        Dialogs::setConfirmHandlerForTesting([&](const Dialogs::ConfirmRequest& r) {
            asked = r.title;
            return true;
        });
        view->model().setSelection(old);
        QTest::mouseClick(view->findChild<QToolButton*>("trashButton"), Qt::LeftButton);
        Dialogs::setConfirmHandlerForTesting({});
        QCOMPARE(asked, QString("Move \u201COld Stuff\u201D to the Trash?"));
        QVERIFY(!QFile::exists(home("Old Stuff")));
        QCOMPARE(app.model().history().size(), 1);
        const CleanRecord record = app.model().history().first();
        QCOMPARE(record.targetName, QString("Old Stuff"));
        QCOMPARE(record.freed, old.size());
        QVERIFY(record.items && record.items->size() == 1);
        QVERIFY(record.items->first().trashPath.startsWith(home(".local/share/Trash/files/")));
        // The same folder is mapped again, without the folder that went.
        QTRY_VERIFY_WITH_TIMEOUT(!view->model().isScanning() && view->model().root(), 20000);
        for (const DiskNode& n : view->model().root()->children())
            QVERIFY(n.name() != QLatin1String("Old Stuff"));

        app.model().restore(record);
        QVERIFY(QFile::exists(home("Old Stuff/archive.zip")));
        QCOMPARE(app.model().history().first().restored, std::optional<bool>(true));

        app.windows().close("diskmap");
        QTRY_VERIFY(!app.windows().isOpen("diskmap"));
    }
};

QTEST_MAIN(tst_DiskMapRoad)
#include "tst_DiskMapRoad.moc"
