#include "views/panel/MenuBarExtra.h"
#include "platform/ui/StatusItem.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QStyleHints>
#include <QGuiApplication>
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
        int quits = 0;
        MenuBarExtra extra([&] {
            ++built;
            auto* content = new QLabel(QStringLiteral("panel"));
            content->setFixedSize(340, 160);
            return content;
        });
        extra.setQuit([&] { ++quits; });
        extra.setTrayAvailable([] { return false; });
        extra.show(false);
        QVERIFY(extra.isPanelVisible());
        QWidget* panel = extra.panel();
        QVERIFY(panel->isWindow());
        QVERIFY(!(panel->windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(panel->size(), QSize(340, 160));
        QCOMPARE(built, 1);
        QCOMPARE(extra.panelWindowFrame(), std::optional<QRect>(panel->frameGeometry()));
        // The item is put up all the same: a tray that comes up later (a login session still
        // starting its panel) shows it.
        QVERIFY(extra.statusItem().isVisible());

        // With no tray, the window is the program: closing it quits, leaving nothing stranded.
        panel->close();
        QVERIFY(!extra.isPanelVisible());
        QCOMPARE(quits, 1);
        QCOMPARE(extra.panelWindowFrame(), std::nullopt);
    }

    // A tray that came up after launch takes over: closing the window keeps the program, and
    // the icon's click shows the panel as a popup under it.
    void aTrayComingUpLaterTakesOver()
    {
        int quits = 0;
        bool tray = false;
        MenuBarExtra extra([] { return new QLabel(QStringLiteral("panel")); });
        extra.setQuit([&] { ++quits; });
        extra.setTrayAvailable([&] { return tray; });
        extra.show(false);
        QVERIFY(extra.panel()->isWindow());
        tray = true;
        extra.panel()->close();
        QCOMPARE(quits, 0);
        QVERIFY(!extra.isPanelVisible());
        Q_EMIT extra.statusItem().clicked();
        QVERIFY(extra.isPanelVisible());
        QVERIFY(extra.panel()->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(extra.panelWindowFrame(), std::nullopt);
    }

    // Trays that deliver only a menu still reach the panel and can quit.
    void theIconsMenuOpensThePanelAndQuits()
    {
        int quits = 0;
        MenuBarExtra extra([] { return new QLabel(QStringLiteral("panel")); });
        extra.setQuit([&] { ++quits; });
        extra.show(true);
        QCOMPARE(extra.statusItem().contextMenu(), extra.menu());
        QStringList titles;
        for (QAction* a : extra.menu()->actions())
            if (!a->isSeparator())
                titles << a->text();
        QCOMPARE(titles, (QStringList{"Open Dustlet", "Quit"}));
        extra.menu()->actions().constFirst()->trigger();
        QVERIFY(extra.isPanelVisible());
        QVERIFY(extra.panel()->windowFlags() & Qt::FramelessWindowHint);
        extra.menu()->actions().constLast()->trigger();
        QCOMPARE(quits, 1);
    }

    // A double click is one click: the panel opens and stays open.
    void aDoubleClickOpensOnce()
    {
        MenuBarExtra extra([] { return new QLabel(QStringLiteral("panel")); });
        extra.show(true);
        auto* tray = extra.statusItem().findChild<QSystemTrayIcon*>();
        QVERIFY(tray);
        Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
        Q_EMIT tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(extra.isPanelVisible());
        // A tray that reports the double click alone: one click.
        extra.togglePanel();
        QVERIFY(!extra.isPanelVisible());
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 300);
        Q_EMIT tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(extra.isPanelVisible());
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
