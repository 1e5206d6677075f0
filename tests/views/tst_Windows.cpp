#include "views/Windows.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

namespace {
// A content with a fixed size, as most windows have.
QWidget* fixedContent(QSize size)
{
    auto* w = new QWidget;
    w->setFixedSize(size);
    return w;
}

QList<QWidget*> visibleWindowsNamed(const QString& id)
{
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == id)
            found << w;
    return found;
}
} // namespace

class tst_Windows : public QObject {
    Q_OBJECT

    Windows* windows = nullptr;
    int settingsBuilt = 0;

private Q_SLOTS:
    void init()
    {
        settingsBuilt = 0;
        windows = new Windows;
        windows->registerScene({QStringLiteral("settings"), QStringLiteral("Dustlet Settings"),
                                [this] {
            ++settingsBuilt;
            return fixedContent(QSize(420, 300));
                                },
                                true, std::nullopt});
        windows->registerScene({QStringLiteral("diskmap"), QStringLiteral("Disk Map"),
                                [] {
            auto* w = new QWidget;
            w->setMinimumSize(500, 380);
            return w;
                                },
                                false, QSize(760, 560)});
    }

    void cleanup()
    {
        delete windows;
        windows = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void placeClear_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QPoint>("at");
        const QRect small(0, 0, 1280, 800);
        const QRect panel(440, 200, 400, 500);
        QTest::newRow("not covering: stays") << small << QRect(0, 0, 300, 200) << panel << QPoint(0, 0);
        QTest::newRow("covering: to the right") << small << QRect(490, 300, 300, 200) << panel << QPoint(852, 300);
        QTest::newRow("no room right: to the left")
            << small << QRect(490, 300, 420, 200) << QRect(700, 100, 400, 500) << QPoint(268, 300);
        QTest::newRow("more room on the left: there first")
            << QRect(0, 0, 1600, 1000) << QRect(950, 200, 300, 300) << QRect(900, 100, 380, 640) << QPoint(588, 200);
        QTest::newRow("no room beside: below")
            << small << QRect(400, 50, 500, 100) << QRect(100, 40, 1080, 300) << QPoint(400, 352);
        QTest::newRow("no room anywhere: at the roomier edge")
            << small << QRect(100, 100, 1000, 700) << QRect(0, 0, 1280, 800) << QPoint(280, 100);
        // The panel window (380 wide, its 30-point title bar included) in the middle of the
        // screen, and the tool windows as they open centred.
        const QRect wide(0, 0, 1600, 1000);
        const QRect widePanel(610, 180, 380, 640);
        QTest::newRow("1600×1000, Settings: beside")
            << wide << QRect(620, 255, 360, 490) << widePanel << QPoint(1002, 255);
        QTest::newRow("1600×1000, Disk Map: right edge, under the title")
            << wide << QRect(420, 205, 760, 590) << widePanel << QPoint(840, 210);
        QTest::newRow("1600×1000, Project Cleanup: right edge, under the title")
            << wide << QRect(460, 205, 680, 590) << widePanel << QPoint(920, 210);
        const QRect smallPanel(450, 80, 380, 640);
        QTest::newRow("1280×800, Settings: beside")
            << small << QRect(460, 155, 360, 490) << smallPanel << QPoint(842, 155);
        QTest::newRow("1280×800, Disk Map: right edge, under the title")
            << small << QRect(260, 105, 760, 590) << smallPanel << QPoint(520, 110);
    }
    void placeClear()
    {
        QFETCH(QRect, area);
        QFETCH(QRect, window);
        QFETCH(QRect, panel);
        QFETCH(QPoint, at);
        const Windows::KeepClear keep{panel, 30};
        const QPoint placed = Windows::placeClear(window, keep, area);
        QCOMPARE(placed, at);
        // Whatever the place, the panel's title bar stays in sight.
        QVERIFY(
            !QRect(placed, window.size()).intersects(QRect(panel.topLeft(), QSize(panel.width(), keep.titleHeight))));
    }

    // Without a tray the panel is a window in the middle of the screen: a window opened from it
    // goes beside it instead of over it, also after its centring.
    void openedWindowsKeepClearOfThePanelWindow()
    {
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        QRect panel(0, 0, 280, screen->availableGeometry().height() - 100);
        panel.moveCenter(screen->availableGeometry().center());
        windows->setKeepClear([panel] { return std::optional<Windows::KeepClear>({panel, 0}); });
        windows->registerScene({QStringLiteral("confirm"), QStringLiteral("Confirm Cleanup"),
                                [] { return fixedContent(QSize(220, 160)); }, true, std::nullopt});
        QWidget* w = windows->open(QStringLiteral("confirm"));
        QVERIFY(w);
        QTest::qWait(50);
        QVERIFY(!w->frameGeometry().intersects(panel));
        QVERIFY(screen->availableGeometry().contains(w->frameGeometry()));
    }

    void openingTwiceShowsOneWindowCentred()
    {
        QWidget* first = windows->open(QStringLiteral("settings"));
        QVERIFY(first);
        QWidget* second = windows->open(QStringLiteral("settings"));
        QCOMPARE(second, first);
        QCOMPARE(settingsBuilt, 1);
        QCOMPARE(visibleWindowsNamed(QStringLiteral("settings")).size(), 1);
        QCOMPARE(first->windowTitle(), QStringLiteral("Dustlet Settings"));

        QTest::qWait(20); // the centerer runs on the next turn of the event loop
        const QPoint screenCentre = first->screen()->availableGeometry().center();
        const QPoint centre = first->frameGeometry().center();
        QVERIFY2((centre - screenCentre).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("window centre %1,%2 vs screen %3,%4")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(screenCentre.x())
                                .arg(screenCentre.y())));
    }

    void contentSizedWindowFollowsItsContent()
    {
        QWidget* w = windows->open(QStringLiteral("settings"));
        QVERIFY(w);
        QCOMPARE(w->size(), QSize(420, 300));
        // A fixed-size content makes a window that cannot be resized.
        QCOMPARE(w->minimumSize(), QSize(420, 300));
        QCOMPARE(w->maximumSize(), QSize(420, 300));
    }

    void diskMapOpensAtItsDefaultSizeAndResizes()
    {
        QWidget* w = windows->open(QStringLiteral("diskmap"));
        QVERIFY(w);
        QCOMPARE(w->size(), QSize(760, 560));
        // Not centred by a centerer, yet first shown in the middle of the screen.
        const QPoint screenCentre = w->screen()->availableGeometry().center();
        QVERIFY(w->pos().x() > 0 && w->pos().x() < screenCentre.x());
        QVERIFY(w->maximumWidth() > 760);
        QVERIFY(w->maximumHeight() > 560);
        w->resize(780, 700);
        QCOMPARE(w->size(), QSize(780, 700));
        w->resize(100, 100); // not below the content's minimum
        QCOMPARE(w->size(), QSize(500, 380));
        // Nor larger than the screen.
        const QRect area = w->screen()->availableGeometry();
        w->resize(area.width() + 500, area.height() + 500);
        QVERIFY(w->width() <= area.width() && w->height() <= area.height());
    }

    void unregisteredIdOpensNothing()
    {
        const int before = QApplication::topLevelWidgets().size();
        QVERIFY(!windows->open(QStringLiteral("about")));
        QVERIFY(!windows->isOpen(QStringLiteral("about")));
        QCOMPARE(QApplication::topLevelWidgets().size(), before);
    }

    void closingForgetsTheWindowAndReopeningBuildsAFreshOne()
    {
        QWidget* first = windows->open(QStringLiteral("settings"));
        QPointer<QWidget> guard(first);
        windows->close(QStringLiteral("settings"));
        // Forgotten at once, even before the deferred deletion.
        QVERIFY(!windows->isOpen(QStringLiteral("settings")));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
        QWidget* second = windows->open(QStringLiteral("settings"));
        QVERIFY(second);
        QCOMPARE(settingsBuilt, 2);
        QCOMPARE(visibleWindowsNamed(QStringLiteral("settings")).size(), 1);
    }

    void closingByTheUserAlsoForgetsIt()
    {
        QWidget* w = windows->open(QStringLiteral("settings"));
        QVERIFY(w->close());
        QVERIFY(!windows->isOpen(QStringLiteral("settings")));
        QVERIFY(windows->open(QStringLiteral("settings")) != nullptr);
    }
};

QTEST_MAIN(tst_Windows)
#include "tst_Windows.moc"
