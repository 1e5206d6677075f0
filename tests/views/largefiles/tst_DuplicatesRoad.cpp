// The road through the real program's pieces, in a temporary home: the panel's "Duplicates"
// opens the large and duplicate files window on its duplicates, a folder is scanned, the ticked
// copy goes to the (test home's) Trash with a history entry, and the entry puts it back.
#include "AppModel.h"
#include "DustletApp.h"
#include "RoadKit.h"
#include "TestHome.h"
#include "platform/ui/Dialogs.h"
#include "views/largefiles/FileFinderRows.h"
#include "views/largefiles/LargeFilesView.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuPanelView.h"
#include "views/Windows.h"
#include "views/components/CleanActionButton.h"
#include "views/components/SegmentedControl.h"

#include <QFile>
#include <QListView>
#include <QTest>
#include <QToolButton>

class tst_DuplicatesRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findTrashAndPutBackFromThePanel()
    {
        TestHome home;
        QVERIFY(home.isValid());
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/dustlet-test-bus");
        QByteArray content(1'200'000, 'q');
        for (int i = 0; i < content.size(); i += 97)
            content[i] = char(i);
        const QString first = home.writeText("Pictures/trip/a.raw", content);
        const QString copy = home.writeText("Pictures/trip/b.raw", content);
        home.writeText("Pictures/trip/c.raw", content.left(1'100'000));

        DustletApp app;
        MenuPanelView* panel = launchToPanel(app);
        QVERIFY(panel);
        QVERIFY(app.windows().isRegistered("largefiles"));

        QTest::mouseClick(panel->toolButton("duplicates"), Qt::LeftButton);
        QWidget* window = app.windows().window("largefiles");
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QString("Large & Duplicate Files"));
        auto* view = window->findChild<LargeFilesView*>();
        QVERIFY(view);
        QCOMPARE(view->tab(), 1);

        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest& r) -> std::optional<QString> {
            if (r.acceptLabel != QLatin1String("Scan"))
                return std::nullopt;
            return home("Pictures/trip");
        });
        QTest::mouseClick(view->findChild<QPushButton*>("chooseFolder"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(view->model().hasScanned(), 20000);
        QCOMPARE(view->picker()->currentIndex(), 1);
        QCOMPARE(view->duplicateRows()->rowCount(), 3);   // the header and the pair
        QCOMPARE(view->model().selected(), QSet<QString>{copy});

        QTest::mouseClick(view->trashButton(), Qt::LeftButton);
        QVERIFY(!QFile::exists(copy));
        QVERIFY(QFile::exists(first));
        QCOMPARE(app.model().history().size(), 1);
        const CleanRecord record = app.model().history().first();
        QCOMPARE(record.targetName, QString("1 file (duplicate/large)"));
        QVERIFY(record.items && record.items->size() == 1);
        QVERIFY(record.items->first().trashPath.startsWith(home(".local/share/Trash/files/")));
        QTRY_VERIFY_WITH_TIMEOUT(view->model().hasScanned(), 20000);
        QCOMPARE(view->duplicateRows()->rowCount(), 0);

        app.model().restore(record);
        QVERIFY(QFile::exists(copy));
        QCOMPARE(app.model().history().first().restored, std::optional<bool>(true));
        Dialogs::setPickHandlerForTesting({});

        // Closing the window lets its model go with it.
        app.windows().close("largefiles");
        QTRY_VERIFY(!app.windows().isOpen("largefiles"));
    }
};

QTEST_MAIN(tst_DuplicatesRoad)
#include "tst_DuplicatesRoad.moc"
