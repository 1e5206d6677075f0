// Every window of the real program on a small screen at a large desktop font: each stays inside
// the screen's free area with its title bar, its minimum size fits there, and whatever does not
// fit scrolls inside while the header and the buttons stay in sight, also once its content has
// arrived. The screen is this run's, DUSTLET_TEST_SCREEN: "1600x1000@192" (the default) is a
// 1600 × 1000 screen at twice the usual font resolution, which doubles every length as a desktop
// font setting of 192 dpi does; ",26px" adds an application font of that size. ctest runs it at
// 1600 × 1000 and 1280 × 800, with the resolution doubled (one and a half times) and with a large
// font.
#include "AppDelegate.h"
#include "AppModel.h"
#include "DustletApp.h"
#include "TestHome.h"
#include "platform/AccessibilityPrefs.h"
#include "platform/ui/StatusItem.h"
#include "services/AppSettings.h"
#include "views/Windows.h"
#include "views/diskmap/DiskMapView.h"
#include "views/largefiles/LargeFilesView.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingVisuals.h"
#include "views/panel/MenuBarExtra.h"
#include "views/projectcleanup/ProjectCleanupView.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Desktop {
    QSize size;
    int dpi = 96;
    int fontPx = 0; // the desktop's font, when it sets one
};

Desktop desktop()
{
    const QString spec = qEnvironmentVariable("DUSTLET_TEST_SCREEN", QStringLiteral("1600x1000@192"));
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)@(\\d+)(?:,(\\d+)px)?$")).match(spec);
    if (!m.hasMatch())
        qFatal("DUSTLET_TEST_SCREEN: %s is not WIDTHxHEIGHT@DPI[,FONTpx]", qPrintable(spec));
    return {QSize(m.captured(1).toInt(), m.captured(2).toInt()), m.captured(3).toInt(), m.captured(4).toInt()};
}

QString describe(const QRect& r)
{
    return QStringLiteral("%1×%2 at (%3, %4)").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

// Whether `w` lies inside a scroll area's viewport (it may then be scrolled out of sight).
bool insideScrollArea(const QWidget* w, const QWidget* window)
{
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (const auto* area = qobject_cast<const QAbstractScrollArea*>(p->parentWidget()))
            if (area->viewport() == p)
                return true;
    return false;
}

// Whether the whole of `w` is drawn: inside every widget it lies in, up to its window.
bool wholeInSight(const QWidget* w, const QWidget* window)
{
    if (!w->isVisibleTo(window))
        return false;
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        const QRect inP(w->mapTo(p, QPoint(0, 0)), w->size());
        if (!p->rect().contains(inP))
            return false;
        if (p == window)
            break;
    }
    return true;
}

QString name(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

} // namespace

class tst_ScreenFit : public QObject {
    Q_OBJECT

    TestHome home;
    std::unique_ptr<DustletApp> app;

    // Everything that must hold for a window on this screen; `inSight` names (object or class
    // names) what must be seen whole besides every button outside a scroll area.
    void checkFits(QWidget* window, const QStringList& inSight)
    {
        QVERIFY(window && window->isVisible());
        QScreen* screen = window->screen();
        QVERIFY(screen);
        // In the program's own lengths: a font resolution of 192 scales everything by two.
        const QRect area = screen->availableGeometry();
        QCOMPARE(area.size() * screen->devicePixelRatio(), desktop().size);
        const QRect frame = window->frameGeometry();
        const QSize frameExtra = frame.size() - window->size();
        qInfo().noquote() << QTest::currentDataTag() << describe(frame) << "minimum" << window->minimumSize();
        QVERIFY2(area.contains(frame), qPrintable(describe(frame) + QStringLiteral(" leaves ") + describe(area)));
        const QSize minimum = window->minimumSize() + frameExtra;
        QVERIFY2(minimum.width() <= area.width() && minimum.height() <= area.height(),
                 qPrintable(QStringLiteral("minimum %1×%2").arg(minimum.width()).arg(minimum.height())));

        // Everything outside a scroll area is seen whole; its buttons at least at their smallest.
        // (The welcome card's widget reaches beyond the screen with its shadow, the card not.)
        for (QWidget* c : window->findChildren<QWidget*>()) {
            if (auto* card = qobject_cast<OnboardingCard*>(c)) {
                const QRect drawn(card->mapTo(window, card->cardRect().topLeft()), card->cardRect().size());
                QVERIFY2(window->rect().contains(drawn), qPrintable(QStringLiteral("the card is cut off")));
                continue;
            }
            if (c->isVisibleTo(window) && !c->size().isEmpty() && !insideScrollArea(c, window))
                QVERIFY2(wholeInSight(c, window),
                         qPrintable(name(c) + QStringLiteral(" is cut off: ") + describe(c->geometry()) + " in "
                                    + describe(c->parentWidget()->rect())));
        }
        for (QLabel* l : window->findChildren<QLabel*>()) {
            if (!l->isVisibleTo(window) || insideScrollArea(l, window))
                continue;
            const int needed = l->wordWrap() ? l->heightForWidth(l->width()) : l->minimumSizeHint().height();
            QVERIFY2(l->height() >= needed, qPrintable(name(l) + QStringLiteral(" is squeezed: ") + l->text()));
        }
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
            if (!b->isVisibleTo(window) || insideScrollArea(b, window))
                continue;
            QVERIFY2(wholeInSight(b, window), qPrintable(name(b) + QStringLiteral(" is cut off: ") + b->text()));
            // (A button that wraps its text needs its height at the width it has.)
            const QSize smallest = b->hasHeightForWidth()
                ? QSize(b->minimumSizeHint().width(), b->heightForWidth(b->width()))
                : b->minimumSizeHint();
            QVERIFY2(b->width() >= smallest.width() && b->height() >= smallest.height(),
                     qPrintable(name(b) + QStringLiteral(" is squeezed: ") + b->text()));
        }
        for (const QString& wanted : inSight) {
            QWidget* found = nullptr;
            for (QWidget* c : window->findChildren<QWidget*>())
                if (c->isVisibleTo(window) && (c->objectName() == wanted || name(c) == wanted)) {
                    found = c;
                    break;
                }
            QVERIFY2(found, qPrintable(wanted + QStringLiteral(" is not shown")));
            QVERIFY2(wholeInSight(found, window) && !insideScrollArea(found, window),
                     qPrintable(wanted + QStringLiteral(" is not in sight")));
        }
    }

    // With DUSTLET_TEST_PICTURES set to a folder, each window as the screen shows it goes there.
    void picture(QWidget* window, const QString& suffix)
    {
        const QString folder = qEnvironmentVariable("DUSTLET_TEST_PICTURES");
        if (folder.isEmpty())
            return;
        QImage shot(window->screen()->geometry().size() * window->screen()->devicePixelRatio(),
                    QImage::Format_ARGB32_Premultiplied);
        shot.setDevicePixelRatio(window->screen()->devicePixelRatio());
        shot.fill(QColor(40, 44, 52));
        QPainter p(&shot);
        window->render(&p, window->geometry().topLeft() - window->screen()->geometry().topLeft());
        p.end();
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression("[^a-z0-9]+"), "-");
        shot.save(
            QStringLiteral("%1/%2-%3%4.png").arg(folder, qEnvironmentVariable("DUSTLET_TEST_SCREEN"), tag, suffix));
    }

    void settle()
    {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QTest::qWait(10);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/dustlet-test-bus");
        // Projects with long paths: their rows are wider than the screen.
        const QString deep = QStringLiteral("Projects/a-project-folder-with-a-rather-long-name/packages/"
                                            "another-quite-long-package-name/and-a-nested-workspace");
        for (int i = 0; i < 6; ++i) {
            home.writeFile(QStringLiteral("%1-%2/package.json").arg(deep).arg(i), 16);
            home.writeFile(QStringLiteral("%1-%2/node_modules/pkg/index.js").arg(deep).arg(i), 4096);
        }
        home.writeFile(QStringLiteral("Projects/app/Cargo.toml"), 16);
        home.writeFile(QStringLiteral("Projects/app/target/debug/app"), 8192);
        // Pages and panels stand still: each is measured as it ends up.
        AccessibilityPrefs::overrideForTesting(AccessibilityPrefs::Prefs{true, false, false});
        app = std::make_unique<DustletApp>();
        AppSettings& settings = app->model().settings();
        settings.setHasCompletedOnboarding(true);
        settings.setProjectRoots({home(QStringLiteral("Projects"))});
        app->delegate().setCoachMarkDuration(600'000);
        app->launch();
        QVERIFY(app->menuBarExtra().panel());
        QTRY_VERIFY_WITH_TIMEOUT(app->model().lastScan().has_value(), 20000);
    }

    void cleanupTestCase() { app.reset(); }

    // Each window, how it comes up, what else must stay in sight, and what arrives in it later.
    void windowFitsTheScreen_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("developerMode");
        QTest::addColumn<QStringList>("inSight");
        const QStringList panel{"rescanButton", "DiskUsageRingView", "cleanUpButton",
                                "tool:diskmap", "settingsButton",    "quitButton"};
        QTest::newRow("panel window") << "panel" << false << panel;
        QTest::newRow("panel window, developer mode") << "panel" << true << panel;
        QTest::newRow("panel under the icon") << "popup" << false << panel;
        QTest::newRow("panel under the icon, developer mode") << "popup" << true << panel;
        QTest::newRow("confirm") << "confirm" << true << QStringList{"confirmButton"};
        QTest::newRow("settings") << "settings" << true << QStringList{};
        QTest::newRow("about") << "about" << false << QStringList{"version"};
        QTest::newRow("diskmap") << "diskmap" << false << QStringList{};
        QTest::newRow("diskmap, scanned") << "diskmap:scan" << false << QStringList{"detailBar", "trashButton"};
        QTest::newRow("largefiles") << "largefiles" << false << QStringList{};
        QTest::newRow("largefiles, scanned")
            << "largefiles:scan" << false << QStringList{"toolbar", "footer", "moveToTrash"};
        QTest::newRow("projectcleanup, scanned")
            << "projectcleanup" << true << QStringList{"toolbar", "footer", "moveToTrash"};
        QTest::newRow("startup") << "startup" << false << QStringList{"ToolHeader"};
        QTest::newRow("snapshots") << "snapshots" << false << QStringList{"ToolHeader"};
        QTest::newRow("appupdates") << "appupdates" << true << QStringList{"ToolHeader"};
        QTest::newRow("uninstaller") << "uninstaller" << false << QStringList{};
        for (int page = 0; page < 4; ++page)
            QTest::addRow("welcome, page %d", page + 1)
                << QStringLiteral("welcome:%1").arg(page) << false << QStringList{};
        QTest::newRow("hint") << "hint" << false << QStringList{"MenuBarCoachMark"};
    }
    void windowFitsTheScreen()
    {
        QFETCH(QString, window);
        QFETCH(bool, developerMode);
        QFETCH(QStringList, inSight);
        AppSettings& settings = app->model().settings();
        settings.setDeveloperMode(developerMode);
        app->model().rebuildTargets();
        settle();
        const QString id = window.section(QLatin1Char(':'), 0, 0);
        const QString then = window.section(QLatin1Char(':'), 1);
        MenuBarExtra& extra = app->menuBarExtra();

        QWidget* w = nullptr;
        if (id == QLatin1String("panel")) {
            w = extra.panel();
            QVERIFY(w && w->windowType() != Qt::Popup);
        } else if (id == QLatin1String("popup")) {
            // The tray at the top right, as the desktop tells its icon's place.
            const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            const QRect icon(area.right() - 40, area.top() + 2, 24, 24);
            extra.setIconFrame([icon] { return std::optional<QRect>(icon); });
            if (extra.panel())
                extra.panel()->hide();
            Q_EMIT extra.statusItem().clicked();
            w = extra.panel();
            QVERIFY(w && w->windowType() == Qt::Popup);
            settle();
            // Under the icon, with the icon in sight.
            QVERIFY2(w->geometry().top() > icon.bottom(), qPrintable(describe(w->geometry())));
            QVERIFY(w->geometry().left() <= icon.center().x() && w->geometry().right() >= icon.center().x());
        } else if (id == QLatin1String("welcome")) {
            app->delegate().showOnboarding();
            w = app->delegate().onboardingWindow();
            QVERIFY(w);
            auto* flow = w->findChild<OnboardingView*>();
            QVERIFY(flow);
            while (flow->step() < then.toInt())
                flow->advance();
        } else if (id == QLatin1String("hint")) {
            app->delegate().showMenuBarCoachMark();
            w = app->delegate().coachMarkWindow();
        } else {
            if (id == QLatin1String("confirm"))
                app->model().requestCleanAll();
            w = app->windows().open(id);
        }
        QVERIFY(w);
        settle();
        picture(w, QString());
        // (What the scan brings is looked for once it has come.)
        checkFits(w, then == QLatin1String("scan") ? QStringList() : inSight);
        if (QTest::currentTestFailed())
            return;

        if (then == QLatin1String("scan")) {
            // Its content arrives (a scan of the test's home, with the long paths above): the
            // window may grow, but only up to the screen.
            if (auto* map = w->findChild<DiskMapView*>()) {
                map->model().scan(home.path());
                QTRY_VERIFY_WITH_TIMEOUT(map->model().root().has_value() && !map->model().isScanning(), 20000);
                // A tile chosen: its buttons show in the bar under the map.
                QVERIFY(!map->model().root()->children().isEmpty());
                map->model().setSelection(map->model().root()->children().first());
            } else if (auto* files = w->findChild<LargeFilesView*>()) {
                files->model().scan(home.path());
                QTRY_VERIFY_WITH_TIMEOUT(files->model().hasScanned() && !files->model().isScanning(), 20000);
            }
        }
        if (auto* projects = w->findChild<ProjectCleanupView*>())
            QTRY_VERIFY_WITH_TIMEOUT(projects->model().hasScanned() && !projects->model().isScanning(), 20000);
        settle();
        picture(w, QStringLiteral("-then"));
        checkFits(w, inSight);

        if (id == QLatin1String("welcome") || id == QLatin1String("popup") || id == QLatin1String("hint"))
            w->hide();
        else if (id != QLatin1String("panel"))
            w->close();
        settle();
    }
};

int main(int argc, char** argv)
{
    // An offscreen screen of this run's size and font resolution (the desktop's font setting).
    const Desktop d = desktop();
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(config));
    file.write(QStringLiteral(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": %1, "height": %2,)"
                              R"( "logicalDpi": %3, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(d.size.width())
                   .arg(d.size.height())
                   .arg(d.dpi)
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication application(argc, argv);
    if (d.fontPx > 0) {
        QFont font = QApplication::font();
        font.setPixelSize(d.fontPx);
        QApplication::setFont(font);
    }
    tst_ScreenFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ScreenFit.moc"
