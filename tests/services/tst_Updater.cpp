#include "services/Updater.h"

#include "FakeUpdaterController.h"
#include "TestHome.h"
#include "platform/UserDefaults.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

class tst_Updater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withoutAFeedItIsNotConfiguredYetHasAController()
    {
        TestHome home;
        Updater updater(home.defaults(), QString());
        QVERIFY(!updater.isConfigured());
        QVERIFY(!updater.canCheckForUpdates());
        QTest::qWait(1);
        QVERIFY(!updater.canCheckForUpdates());
        // The controller exists all the same; a check without a feed asks for nothing.
        QSignalSpy feed(&updater.controller(), &UpdaterController::feedRequested);
        updater.controller().checkForUpdates();
        QCOMPARE(feed.count(), 0);
    }

    void withAFeedTheFirstValueArrivesThroughTheEventLoop()
    {
        TestHome home;
        Updater updater(home.defaults(), QStringLiteral("https://example.invalid/appcast.xml"));
        QVERIFY(updater.isConfigured());
        QVERIFY(!updater.canCheckForUpdates()); // false right after creation
        QSignalSpy changed(&updater, &Updater::canCheckForUpdatesChanged);
        QVERIFY(changed.wait(1000));
        QVERIFY(updater.canCheckForUpdates());

        QSignalSpy feed(&updater.controller(), &UpdaterController::feedRequested);
        updater.controller().checkForUpdates();
        QCOMPARE(feed.count(), 1);
        QCOMPARE(feed.at(0).at(0).toUrl(), QUrl(QStringLiteral("https://example.invalid/appcast.xml")));
    }

    void automaticChecksAreKeptInTheDefaults()
    {
        TestHome home;
        {
            Updater updater(home.defaults(), QString());
            QVERIFY(!updater.controller().automaticallyChecksForUpdates());
            updater.controller().setAutomaticallyChecksForUpdates(true);
        }
        home.restartDefaults();
        Updater again(home.defaults(), QString());
        QVERIFY(again.controller().automaticallyChecksForUpdates());
        QCOMPARE(home.defaults().strictBool(Updater::automaticChecksKey()), std::optional<bool>(true));
    }

    void valuesFromAnotherThreadReachTheMainThread()
    {
        auto controller = std::make_unique<FakeUpdaterController>();
        FakeUpdaterController* fake = controller.get();
        Updater updater(std::move(controller), true);
        QTRY_VERIFY(updater.canCheckForUpdates());

        bool onMainThread = false;
        connect(&updater, &Updater::canCheckForUpdatesChanged, this,
                [&] { onMainThread = QThread::currentThread() == thread(); });
        QThread* worker = QThread::create([fake] {
            fake->can = false;
            Q_EMIT fake->canCheckForUpdatesChanged(false);
        });
        worker->start();
        worker->wait();
        delete worker;
        QVERIFY(updater.canCheckForUpdates()); // not before the event loop turns
        QTRY_VERIFY(!updater.canCheckForUpdates());
        QVERIFY(onMainThread);
    }
};

QTEST_MAIN(tst_Updater)
#include "tst_Updater.moc"
