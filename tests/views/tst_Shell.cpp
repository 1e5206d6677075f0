#include "AppDelegate.h"
#include "AppModel.h"
#include "DustletApp.h"
#include "TestHome.h"
#include "platform/AppEvents.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/StatusItem.h"
#include "services/AppSettings.h"
#include "views/panel/MenuBarLabel.h"
#include "views/Windows.h"
#include "views/components/Style.h"
#include "views/components/MenuBarCoachMark.h"

#include <QApplication>
#include <QPainter>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(std::optional<QRect>)

namespace {
class FakeCenter : public NotificationCenter {
public:
    void setCategories(const QList<Category>&) override {}
    void requestAuthorization() override {}
    void add(const QString&, const Content&) override {}
};

QList<QWidget*> visibleNamed(const QString& name)
{
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == name)
            found << w;
    return found;
}
} // namespace

class tst_Shell : public QObject {
    Q_OBJECT

    // The model reads its settings from this home and its disk figures from the test, never
    // the real ones.
    TestHome home;
    std::unique_ptr<AppModel> owned;
    AppModel* model = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        AppModelEnvironment env;
        env.defaults = &home.defaults();
        env.home = [this] { return home.path(); };
        env.diskInfo = [](const QString&) { return DiskInfo{500'000'000'000, 120'000'000'000}; };
        owned = std::make_unique<AppModel>(env);
        model = owned.get();
    }

    void cleanupTestCase() { owned.reset(); }

    void cleanup()
    {
        model->settings().setMenuBarDisplay(MenuBarDisplay::percent);
        model->settings().setLowSpaceThresholdGB(10.0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The ten windows in declaration order: id, title, whether the content centres the window,
    // and the one default size (the Disk Map's; every other window takes its content's size).
    void sceneTable_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("centred");
        QTest::addColumn<QSize>("defaultSize"); // invalid: the content's size
        QTest::newRow("settings") << 0 << "Dustlet Settings" << true << QSize();
        QTest::newRow("confirm") << 1 << "Confirm Cleanup" << true << QSize();
        QTest::newRow("diskmap") << 2 << "Disk Map" << false << QSize(760, 560);
        QTest::newRow("largefiles") << 3 << "Large & Duplicate Files" << true << QSize();
        QTest::newRow("projectcleanup") << 4 << "Project Cleanup" << true << QSize();
        QTest::newRow("startup") << 5 << "Startup & Background Items" << false << QSize();
        QTest::newRow("snapshots") << 6 << "Free Up Snapshot Space" << false << QSize();
        QTest::newRow("appupdates") << 7 << "App & Tool Updates" << false << QSize();
        QTest::newRow("uninstaller") << 8 << "Uninstall an App" << true << QSize();
        QTest::newRow("about") << 9 << "About Dustlet" << true << QSize();
    }
    void sceneTable()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        QFETCH(bool, centred);
        QFETCH(QSize, defaultSize);
        const QList<DustletApp::SceneInfo>& table = DustletApp::sceneTable();
        QCOMPARE(table.size(), 10);
        const DustletApp::SceneInfo& scene = table[index];
        QCOMPARE(QString::fromLatin1(scene.id), QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(QString::fromUtf8(scene.title), title);
        QCOMPARE(scene.centred, centred);
        QCOMPARE(scene.defaultSize.value_or(QSize()), defaultSize);
        QCOMPARE(scene.defaultSize.has_value(), defaultSize.isValid());
        QVERIFY(scene.content);
    }

    void labelIconTurnsToWarningBelowTheThreshold_data()
    {
        QTest::addColumn<qint64>("available");
        QTest::addColumn<QString>("icon");
        QTest::newRow("one byte below") << qint64(9'999'999'999) << MenuBarLabel::warningIconName();
        QTest::newRow("exactly at the threshold") << qint64(10'000'000'000) << MenuBarLabel::plainIconName();
        QTest::newRow("well above") << qint64(200'000'000'000) << MenuBarLabel::plainIconName();
        QTest::newRow("nothing known") << qint64(0) << MenuBarLabel::warningIconName();
    }

    void labelIconTurnsToWarningBelowTheThreshold()
    {
        QFETCH(qint64, available);
        QFETCH(QString, icon);
        Windows windows;
        AppEvents events;
        MenuBarLabel label(*model, windows, events);
        StatusItem item;
        label.attach(item);
        QSignalSpy changed(&label, &MenuBarLabel::changed);
        model->setDisk(DiskInfo{500'000'000'000, available});
        QCOMPARE(label.iconName(), icon);
        QVERIFY(changed.count() >= 1);   // follows the model without a timer of its own
        QVERIFY(!item.icon().isNull());
    }

    void labelTextAndIconOnlyDisplay()
    {
        Windows windows;
        AppEvents events;
        MenuBarLabel label(*model, windows, events);
        StatusItem item;
        label.attach(item);
        model->setDisk(DiskInfo{1'000'000'000'000, 250'000'000'000});

        model->settings().setMenuBarDisplay(MenuBarDisplay::percent);
        QCOMPARE(label.text(), std::optional<QString>(QStringLiteral("75%")));
        // The tray shows no text: the tooltip says what the figure is.
        QCOMPARE(item.toolTip(), QStringLiteral("Dustlet \u2014 75% used"));
        const int withText = label.render(Qt::black, 22).width();

        model->settings().setMenuBarDisplay(MenuBarDisplay::free);
        QCOMPARE(label.text(), std::optional<QString>(QStringLiteral("250 GB")));
        QCOMPARE(item.toolTip(), QStringLiteral("Dustlet \u2014 250 GB free"));

        model->settings().setMenuBarDisplay(MenuBarDisplay::icon);
        QCOMPARE(label.text(), std::nullopt);
        QCOMPARE(item.text(), std::nullopt);
        // The icon alone: no spacing and no empty text beside it.
        const QPixmap alone = label.render(Qt::black, 22);
        QCOMPARE(alone.width(), 16);
        QVERIFY(withText > alone.width() + 3);
        QCOMPARE(item.toolTip(), QStringLiteral("Dustlet \u2014 75% used"));   // the figure, though not shown
        model->setDisk(DiskInfo{0, 0});   // not read yet: no figure to tell
        QCOMPARE(item.toolTip(), QCoreApplication::applicationName());
    }

    // The tray icon can be made out on bars of any shade, in the colours of a light and of a
    // dark desktop, at the smallest size a tray asks for; the warning keeps a red badge with a
    // white mark.
    void trayIconReadsOnAnyBar_data()
    {
        QTest::addColumn<bool>("darkDesktop");
        QTest::addColumn<QColor>("bar");
        for (bool dark : {false, true})
            for (const QColor& bar : {QColor(0xf6, 0xf6, 0xf6), QColor(0xd8, 0xd8, 0xd8), QColor(0x80, 0x80, 0x80),
                                      QColor(0x30, 0x30, 0x30), QColor(Qt::black), QColor(0x1e, 0x4f, 0x9a)})
                QTest::addRow("%s desktop, %s bar", dark ? "dark" : "light", qPrintable(bar.name())) << dark << bar;
    }
    void trayIconReadsOnAnyBar()
    {
        QFETCH(bool, darkDesktop);
        QFETCH(QColor, bar);
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Window, darkDesktop ? QColor(0x2b, 0x2b, 0x2d) : QColor(0xef, 0xef, 0xef));
        const auto [glyph, halo] = MenuBarLabel::trayColors(palette);
        for (bool warning : {false, true}) {
            QImage shown(16, 16, QImage::Format_ARGB32_Premultiplied);
            shown.fill(bar);
            QPainter p(&shown);
            p.drawImage(0, 0, MenuBarLabel::trayImage(warning, 16, 1.0, glyph, halo));
            p.end();
            int standsOut = 0, red = 0, whiteInBadge = 0;
            const QColor badge = Style::prominentFill(Style::red(), Qt::white);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const QColor c = shown.pixelColor(x, y);
                    const bool isRed =
                        qAbs(c.red() - badge.red()) + qAbs(c.green() - badge.green()) + qAbs(c.blue() - badge.blue()) < 40;
                    if (Style::contrastRatio(c, bar) >= 3.0 && !isRed)
                        ++standsOut;
                    if (qAbs(c.red() - badge.red()) + qAbs(c.green() - badge.green()) + qAbs(c.blue() - badge.blue()) < 40)
                        ++red;
                    if (x >= 7 && y >= 7 && c.lightness() > 230 && c.saturation() < 40)
                        ++whiteInBadge;
                }
            // The drive alone covers 14 × 8 pixels; the badge's red stands out by its hue, also
            // on a bar of about its own lightness.
            QVERIFY2(standsOut + (warning ? red : 0) >= 40, qPrintable(QString::number(standsOut)));
            if (warning) {
                QVERIFY2(red >= 25, qPrintable(QString::number(red)));
                QVERIFY2(whiteInBadge >= 4, qPrintable(QString::number(whiteInBadge)));
            }
        }
    }

    // The icon follows the desktop palette: light on a dark desktop, dark on a light one.
    void trayIconFollowsThePalette()
    {
        Windows windows;
        AppEvents events;
        MenuBarLabel label(*model, windows, events);
        StatusItem item;
        label.attach(item);
        const QPalette saved = QApplication::palette();
        auto middle = [&] { return item.icon().pixmap(QSize(16, 16), 1.0).toImage().pixelColor(4, 8).lightness(); };
        QPalette light = saved;
        light.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
        QApplication::setPalette(light);
        QVERIFY(middle() < 80);
        QPalette dark = saved;
        dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2d));
        QApplication::setPalette(dark);
        QVERIFY(middle() > 180);
        QApplication::setPalette(saved);
    }

    // The hint sits beside the tray wherever the panel is: under a top panel, above a bottom one.
    void hintBandFollowsThePanel_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<std::optional<QRect>>("icon");
        QTest::addColumn<QRect>("band");
        QTest::addColumn<bool>("down");
        const QRect screen(0, 0, 1280, 800);
        QTest::newRow("top panel, icon known") << QRect(0, 28, 1280, 772) << std::optional<QRect>(QRect(1200, 2, 24, 24))
                                               << QRect(0, 28, 1280, 200) << false;
        QTest::newRow("bottom panel, icon known") << QRect(0, 0, 1280, 760) << std::optional<QRect>(QRect(1200, 768, 24, 24))
                                                  << QRect(0, 560, 1280, 200) << true;
        QTest::newRow("bottom panel, no icon") << QRect(0, 0, 1280, 760) << std::optional<QRect>() << QRect(0, 560, 1280, 200)
                                               << true;
        QTest::newRow("no panel at all") << screen << std::optional<QRect>() << QRect(0, 0, 1280, 200) << false;
        QTest::newRow("panels at both ends, icon below") << QRect(0, 28, 1280, 732)
                                                         << std::optional<QRect>(QRect(600, 768, 24, 24))
                                                         << QRect(0, 560, 1280, 200) << true;
    }
    void hintBandFollowsThePanel()
    {
        QFETCH(QRect, available);
        QFETCH(std::optional<QRect>, icon);
        QFETCH(QRect, band);
        QFETCH(bool, down);
        const AppDelegate::HintBand placed = AppDelegate::hintBand(QRect(0, 0, 1280, 800), available, icon);
        QCOMPARE(placed.band, band);
        QCOMPARE(placed.atBottom, down);
    }

    void requestCleanAllOpensOneConfirmation()
    {
        Windows windows;
        int built = 0;
        windows.registerScene({QStringLiteral("confirm"), QStringLiteral("Confirm Cleanup"),
                               [&] {
                                   ++built;
                                   return new QLabel(QStringLiteral("confirmation"));   // stand-in content
                               },
                               true, std::nullopt});
        AppEvents events;
        MenuBarLabel label(*model, windows, events);
        QSignalSpy pending(model, &AppModel::pendingCleanChanged);

        events.post(AppEvents::requestCleanAll());
        QVERIFY(!windows.isOpen(QStringLiteral("confirm")));   // delivered on a later turn, not inside post()
        QTRY_VERIFY(windows.isOpen(QStringLiteral("confirm")));
        QVERIFY(model->pendingClean().has_value());
        QVERIFY(pending.count() >= 1);

        // A second request while the window is open replaces the request and raises the same window.
        QWidget* first = windows.window(QStringLiteral("confirm"));
        const int before = pending.count();
        events.post(AppEvents::requestCleanAll());
        QTRY_VERIFY(pending.count() > before);
        QCOMPARE(windows.window(QStringLiteral("confirm")), first);
        QCOMPARE(built, 1);
        QCOMPARE(visibleNamed(QStringLiteral("confirm")).size(), 1);

        // Other names are not this label's business.
        const int after = pending.count();
        events.post(AppEvents::showOnboarding());
        QTest::qWait(10);
        QCOMPARE(pending.count(), after);
    }

    void welcomeFlowAndHint()
    {
        AppEvents events;
        AppDelegate delegate(*model, events);
        int built = 0;
        std::function<void()> finish;
        delegate.setOnboardingContent([&](std::function<void()> onFinish) {
            ++built;
            finish = onFinish;
            return new QLabel(QStringLiteral("welcome stand-in"));
        });
        const QRect icon(1000, 0, 24, 24);
        delegate.setStatusItemFrame([&] { return std::optional<QRect>(icon); });
        delegate.setCoachMarkDuration(300);

        model->settings().setHasCompletedOnboarding(false);
        delegate.applicationDidFinishLaunching();
        QWidget* welcome = delegate.onboardingWindow();
        QVERIFY(welcome);
        QVERIFY(welcome->isVisible());
        QCOMPARE(welcome->geometry(), QGuiApplication::primaryScreen()->geometry());
        QVERIFY(welcome->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(welcome->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(welcome->windowTitle(), QStringLiteral("Welcome to Dustlet"));

        // Asking again while it is open only brings it forward.
        events.post(AppEvents::showOnboarding());
        QTest::qWait(10);
        QCOMPARE(delegate.onboardingWindow(), welcome);
        QCOMPARE(built, 1);

        // Leaving the flow closes the window and shows the hint band under the menu bar.
        QPointer<QWidget> closed(welcome);
        finish();
        QVERIFY(!delegate.onboardingWindow());
        QTRY_VERIFY(closed.isNull() || !closed->isVisible());
        QWidget* hint = delegate.coachMarkWindow();
        QVERIFY(hint);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(hint->geometry().left(), screen.left());
        QCOMPARE(hint->geometry().width(), screen.width());
        QCOMPARE(hint->geometry().height(), 200);
        auto* mark = hint->findChild<MenuBarCoachMark*>();
        QVERIFY(mark);
        QCOMPARE(mark->iconX(), 1012.0);

        // A second request while the hint shows keeps the one hint.
        delegate.showMenuBarCoachMark();
        QCOMPARE(delegate.coachMarkWindow(), hint);
        // The timer removes it.
        QTRY_VERIFY_WITH_TIMEOUT(!delegate.coachMarkWindow(), 3000);

        // Shown again later it goes on a tap, and a late timer does no harm.
        delegate.setStatusItemFrame({});
        delegate.showMenuBarCoachMark();
        mark = delegate.coachMarkWindow()->findChild<MenuBarCoachMark*>();
        QCOMPARE(mark->iconX(), screen.width() - 120.0);   // no status item found
        QTest::mouseClick(mark, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!delegate.coachMarkWindow());
        QTest::qWait(400);
        QVERIFY(!delegate.coachMarkWindow());
        model->settings().setHasCompletedOnboarding(true);
    }

    void laterLaunchesOpenNoWelcome()
    {
        AppEvents events;
        AppDelegate delegate(*model, events);
        int built = 0;
        delegate.setOnboardingContent([&](std::function<void()>) {
            ++built;
            return new QWidget;
        });
        model->settings().setHasCompletedOnboarding(true);
        delegate.applicationDidFinishLaunching();
        QVERIFY(!delegate.onboardingWindow());
        QCOMPARE(built, 0);
        // "Show welcome screen…" posts the request; the window opens again.
        events.post(AppEvents::showOnboarding());
        QTRY_VERIFY(delegate.onboardingWindow());
        QCOMPARE(built, 1);

        // Without the flow's content there is nothing to open.
        AppDelegate bare(*model, events);
        bare.showOnboarding();
        QVERIFY(!bare.onboardingWindow());
    }

    void lowSpaceResponseRequestsACleanup_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("requests");
        QTest::newRow("low space") << QStringLiteral("LOWSPACE") << 1;
        QTest::newRow("scheduled cleanup") << QStringLiteral("AUTOCLEANUP") << 0;
        QTest::newRow("none") << QString() << 0;
    }

    void lowSpaceResponseRequestsACleanup()
    {
        QFETCH(QString, category);
        QFETCH(int, requests);
        AppEvents events;
        AppDelegate delegate(*model, events);
        QSignalSpy posted(&events, &AppEvents::posted);
        delegate.didReceiveNotificationResponse(category);
        QCOMPARE(posted.count(), 0);   // scheduled on the main queue, not done inside the callback
        QTest::qWait(20);
        QCOMPARE(posted.count(), requests);
        if (requests)
            QCOMPARE(posted.at(0).at(0).toString(), QStringLiteral("dustlet.requestCleanAll"));
        QCOMPARE(delegate.willPresentNotification(), AppDelegate::banner | AppDelegate::sound);
    }

    void notificationCentreResponsesReachTheDelegate()
    {
        FakeCenter center;
        AppModelEnvironment env;
        env.defaults = &home.defaults();
        env.home = [this] { return home.path(); };
        env.diskInfo = [](const QString&) { return DiskInfo{1000, 10}; };
        env.notifications = &center;
        AppModel withCenter(env);
        withCenter.settings().setHasCompletedOnboarding(true);
        AppEvents events;
        AppDelegate delegate(withCenter, events);
        delegate.applicationDidFinishLaunching();
        QSignalSpy posted(&events, &AppEvents::posted);
        Q_EMIT center.responded(QStringLiteral("LOWSPACE"), QStringLiteral("CLEAN_NOW"), QStringLiteral("dustlet.lowspace"));
        Q_EMIT center.responded(QStringLiteral("LOWSPACE"), NotificationCenter::defaultActionIdentifier(), QStringLiteral("dustlet.lowspace"));
        Q_EMIT center.responded(QString(), NotificationCenter::defaultActionIdentifier(), QStringLiteral("dustlet.autocleanup"));
        QTRY_COMPARE(posted.count(), 2);
        QTest::qWait(20);
        QCOMPARE(posted.count(), 2);
    }
};

QTEST_MAIN(tst_Shell)
#include "tst_Shell.moc"
