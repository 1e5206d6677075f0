#include "TestHome.h"
#include "platform/UserDefaults.h"
#include "services/AppSettings.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

#include <limits>

class tst_AppSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyDefaults()
    {
        TestHome home;
        AppSettings s(home.defaults());
        QCOMPARE(s.refreshInterval(), 5.0);
        QCOMPARE(s.lowSpaceThresholdGB(), 10.0);
        QCOMPARE(s.lowSpaceAlertsEnabled(), true);
        QCOMPARE(s.customFolders(), QStringList());
        QCOMPARE(s.disabledTargetIDs(), QSet<QString>());
        QCOMPARE(s.moveToTrash(), true);
        QCOMPARE(s.projectRoots(), (QStringList{home("src"), home("dev")}));
        QCOMPARE(s.ignoredFinderPaths(), QStringList());
        QCOMPARE(s.finderMinAgeDays(), 0.0);
        QCOMPARE(s.sortBySize(), false);
        QCOMPARE(s.cleanupSchedule(), CleanupSchedule::off);
        QCOMPARE(s.lastAutoCleanup(), std::nullopt);
        QCOMPARE(s.hasCompletedOnboarding(), false);
        QCOMPARE(s.menuBarDisplay(), MenuBarDisplay::percent);
        QCOMPARE(s.developerMode(), false);
        QCOMPARE(s.cleanSavedState(), false);
        QCOMPARE(s.cleanMusicCache(), false);
        QCOMPARE(s.cleanMailDownloads(), true);
        QCOMPARE(s.lowSpaceThresholdBytes(), qint64(10000000000));
        // Loading wrote nothing.
        QVERIFY(!QFile::exists(home.defaultsPath()) || !home.defaults().contains("refreshInterval"));
        QVERIFY(!home.defaults().contains("projectRoots"));
    }

    // Raw stored values and what the store reads from them.
    void readingRules_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("display exact") << "menuBarDisplay" << QVariant("free") << QVariant("free");
        QTest::newRow("display case") << "menuBarDisplay" << QVariant("Free") << QVariant("percent");
        QTest::newRow("display number") << "menuBarDisplay" << QVariant(qint64(1)) << QVariant("percent");
        QTest::newRow("schedule weekly") << "cleanupSchedule" << QVariant("weekly") << QVariant("weekly");
        QTest::newRow("schedule junk") << "cleanupSchedule" << QVariant("hourly") << QVariant("off");
        QTest::newRow("strict text true") << "cleanSavedState" << QVariant("YES") << QVariant(false);
        QTest::newRow("strict bool") << "cleanSavedState" << QVariant(true) << QVariant(true);
        QTest::newRow("strict number") << "moveToTrash" << QVariant(qint64(0)) << QVariant(true);
        QTest::newRow("lenient text true") << "developerMode" << QVariant("YES") << QVariant(true);
        QTest::newRow("lenient number") << "sortBySize" << QVariant(qint64(1)) << QVariant(true);
        QTest::newRow("number int") << "refreshInterval" << QVariant(qint64(7)) << QVariant(7.0);
        QTest::newRow("number text") << "lowSpaceThresholdGB" << QVariant("20") << QVariant(10.0);
        QTest::newRow("number bool") << "finderMinAgeDays" << QVariant(true) << QVariant(0.0);
        QTest::newRow("list ok") << "customFolders" << QVariant(QVariantList{"/a"}) << QVariant(QStringList{"/a"});
        QTest::newRow("list mixed") << "customFolders" << QVariant(QVariantList{"/a", qint64(2)})
                                    << QVariant(QStringList{});
        QTest::newRow("roots stored raw")
            << "projectRoots" << QVariant(QVariantList{"~/code"}) << QVariant(QStringList{"~/code"});
        QTest::newRow("roots empty list") << "projectRoots" << QVariant(QVariantList{}) << QVariant(QStringList{});
    }
    void readingRules()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);
        TestHome home;
        home.defaults().setObject(key, stored);
        home.restartDefaults();
        AppSettings s(home.defaults());
        const QVariant actual = key == "menuBarDisplay" ? QVariant(rawValue(s.menuBarDisplay()))
            : key == "cleanupSchedule"                  ? QVariant(rawValue(s.cleanupSchedule()))
                                                        : s.property(key.toLatin1().constData());
        if (expected.typeId() == QMetaType::QStringList)
            QCOMPARE(actual.toStringList(), expected.toStringList());
        else
            QCOMPARE(actual, expected);
    }

    void lastAutoCleanupLoad()
    {
        TestHome home;
        const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
        home.defaults().setObject("lastAutoCleanup", qint64(12345));
        {
            AppSettings s(home.defaults());
            QCOMPARE(s.lastAutoCleanup(), std::nullopt);
            QVERIFY(!home.defaults().contains("lastAutoCleanup")); // a non-date is removed
            s.setLastAutoCleanup(when);
        }
        home.restartDefaults();
        AppSettings s(home.defaults());
        QCOMPARE(s.lastAutoCleanup(), std::optional<QDateTime>(when));
        QVERIFY(home.defaults().date("lastAutoCleanup").has_value());
    }

    // Every assignment publishes and writes, and the values survive a restart with their types.
    void writesAndRestart()
    {
        TestHome home;
        {
            AppSettings s(home.defaults());
            QSignalSpy spy(&s, &AppSettings::refreshIntervalChanged);
            QSignalSpy any(&s, &AppSettings::settingChanged);
            s.setRefreshInterval(5.0); // unchanged value still writes
            QCOMPARE(spy.count(), 1);
            QCOMPARE(any.count(), 1);
            QCOMPARE(home.defaults().number("refreshInterval"), std::optional<double>(5.0));
            s.setMoveToTrash(false);
            s.setCustomFolders({"/one"});
            s.setIgnoredFinderPaths({});
            s.setMenuBarDisplay(MenuBarDisplay::icon);
            s.setCleanupSchedule(CleanupSchedule::daily);
            s.setDeveloperMode(true);
            s.setFinderMinAgeDays(30);
        }
        home.restartDefaults();
        AppSettings s(home.defaults());
        QCOMPARE(s.moveToTrash(), false);
        QCOMPARE(s.customFolders(), QStringList{"/one"});
        QCOMPARE(s.ignoredFinderPaths(), QStringList());
        QVERIFY(home.defaults().stringArray("ignoredFinderPaths").has_value());
        QCOMPARE(s.menuBarDisplay(), MenuBarDisplay::icon);
        QCOMPARE(s.cleanupSchedule(), CleanupSchedule::daily);
        QCOMPARE(s.developerMode(), true);
        QCOMPARE(s.finderMinAgeDays(), 30.0);
    }

    void setEnabled()
    {
        TestHome home;
        AppSettings s(home.defaults());
        QSignalSpy spy(&s, &AppSettings::disabledTargetIDsChanged);
        s.setEnabled(false, "logs");
        s.setEnabled(false, "logs");
        QCOMPARE(s.disabledTargetIDs(), QSet<QString>{"logs"});
        QCOMPARE(home.defaults().stringArray("disabledTargetIDs"), std::optional<QStringList>(QStringList{"logs"}));
        s.setEnabled(true, "other");
        QCOMPARE(s.disabledTargetIDs(), QSet<QString>{"logs"});
        QCOMPARE(spy.count(), 3); // one publication per call, even when nothing changed
        s.setEnabled(true, "logs");
        QCOMPARE(home.defaults().stringArray("disabledTargetIDs"), std::optional<QStringList>(QStringList{}));
    }

    void thresholdAndAgeSaturate_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<int>("days");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("10") << 10.0 << qint64(10000000000) << 10;
        QTest::newRow("1.5") << 1.5 << qint64(1500000000) << 1;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(0) << 0;
        QTest::newRow("+inf") << inf << std::numeric_limits<qint64>::max() << 36500;
        QTest::newRow("-inf") << -inf << std::numeric_limits<qint64>::min() << 0;
        QTest::newRow("1e300") << 1e300 << std::numeric_limits<qint64>::max() << 36500;
        QTest::newRow("negative") << -3.0 << qint64(-3000000000) << 0;
    }
    void thresholdAndAgeSaturate()
    {
        QFETCH(double, value);
        QFETCH(qint64, bytes);
        QFETCH(int, days);
        TestHome home;
        AppSettings s(home.defaults());
        // The store accepts any value it is given; the derived figures saturate.
        s.setLowSpaceThresholdGB(value);
        s.setFinderMinAgeDays(value);
        QCOMPARE(s.lowSpaceThresholdBytes(), bytes);
        QCOMPARE(s.finderMinAgeDaysClamped(), days);
    }

    // NaN and the infinities in the stored file (as libplist writes and reads them) read as each
    // number's default; a finite number beside them is taken as stored.
    void nonFiniteNumbersReadAsDefaults_data()
    {
        QTest::addColumn<QByteArray>("real");
        QTest::newRow("nan") << QByteArray("nan");
        QTest::newRow("+infinity") << QByteArray("+infinity");
        QTest::newRow("-infinity") << QByteArray("-infinity");
        QTest::newRow("inf") << QByteArray("inf");
    }
    void nonFiniteNumbersReadAsDefaults()
    {
        QFETCH(QByteArray, real);
        TestHome home;
        const QString relative = home.defaultsPath().mid(home.path().size() + 1);
        home.writeText(relative,
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>refreshInterval</key><real>"
                           + real
                           + "</real>"
                             "<key>lowSpaceThresholdGB</key><real>"
                           + real
                           + "</real>"
                             "<key>finderMinAgeDays</key><real>"
                           + real
                           + "</real>"
                             "<key>other</key><real>3.5</real>"
                             "</dict></plist>\n");
        QVERIFY(home.defaults().number("other") == 3.5); // the file was read
        AppSettings s(home.defaults());
        QCOMPARE(s.refreshInterval(), 5.0);
        QCOMPARE(s.lowSpaceThresholdGB(), 10.0);
        QCOMPARE(s.finderMinAgeDays(), 0.0);
        QCOMPARE(s.lowSpaceThresholdBytes(), qint64(10000000000));
    }
};

QTEST_GUILESS_MAIN(tst_AppSettings)
#include "tst_AppSettings.moc"
