#include "views/MenuBarExtra.h"
#include "platform/ui/StatusItem.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

class tst_MenuBarExtra : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panelPlacement_data()
    {
        QTest::addColumn<std::optional<QRect>>("icon");
        QTest::addColumn<QPoint>("at");
        // A 340 × 160 panel on a 1280 × 800 screen.
        QTest::newRow("under an icon in the middle") << std::optional<QRect>(QRect(600, 0, 22, 22)) << QPoint(441, 26);
        QTest::newRow("kept on screen at the right edge") << std::optional<QRect>(QRect(1257, 1, 22, 22)) << QPoint(940, 27);
        QTest::newRow("kept on screen at the left edge") << std::optional<QRect>(QRect(2, 1, 22, 22)) << QPoint(0, 27);
        QTest::newRow("above an icon at the bottom") << std::optional<QRect>(QRect(1200, 776, 24, 24)) << QPoint(940, 612);
        QTest::newRow("no icon frame: top right corner") << std::optional<QRect>() << QPoint(932, 8);
    }

    void panelPlacement()
    {
        QFETCH(std::optional<QRect>, icon);
        QFETCH(QPoint, at);
        QCOMPARE(MenuBarExtra::panelPosition(icon, QSize(340, 160), QRect(0, 0, 1280, 800)), at);
    }

    void withoutATrayThePanelOpensAsAWindow()
    {
        int built = 0;
        MenuBarExtra extra([&] {
            ++built;
            auto* content = new QLabel(QStringLiteral("panel"));
            content->setFixedSize(340, 160);
            return content;
        });
        extra.show(false);
        QVERIFY(extra.isPanelVisible());
        QWidget* panel = extra.panel();
        QVERIFY(panel->isWindow());
        QVERIFY(!(panel->windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(panel->size(), QSize(340, 160));
        QCOMPARE(built, 1);
        // The item is put up all the same: a tray that comes up later (a login session still
        // starting its panel) shows it, and its click toggles this window.
        QVERIFY(extra.statusItem().isVisible());

        // Closing it hides it; a click on the item shows the same panel again.
        panel->close();
        QVERIFY(!extra.isPanelVisible());
        extra.togglePanel();
        QVERIFY(extra.isPanelVisible());
        QCOMPARE(extra.panel(), panel);
        QCOMPARE(built, 1);
    }

    void clickTogglesThePopup()
    {
        int built = 0;
        MenuBarExtra extra([&] {
            ++built;
            return new QLabel(QStringLiteral("panel"));
        });
        extra.show(true);
        extra.togglePanel();
        QVERIFY(extra.panel()->isWindow());
        QVERIFY(extra.panel()->windowFlags() & Qt::FramelessWindowHint);   // a popup under the icon
        QVERIFY(extra.isPanelVisible());
        extra.togglePanel();
        QVERIFY(!extra.isPanelVisible());
        QCOMPARE(built, 1);
    }
};

QTEST_MAIN(tst_MenuBarExtra)
#include "tst_MenuBarExtra.moc"
