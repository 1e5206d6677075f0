#include "TestHome.h"
#include "platform/ToolPaths.h"
#include "services/ShellRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <thread>

class tst_ShellRunner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bothStreamsInOrderFromHome()
    {
        TestHome home;
        const ShellResult r = ShellRunner::runLogin("echo one; echo two >&2; echo three; pwd", 30);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.output.endsWith("one\ntwo\nthree\n" + home.path() + "\n"), qPrintable(r.output));
    }

    void loginStartupFilesAndPath()
    {
        TestHome home;
        home.writeText(".zprofile", "echo profile-says-hi\n");
        home.fakeCommand("greet", "echo \"greeted $1\"; exit 3");
        const ShellResult empty = ShellRunner::runLogin("", 30);
        QCOMPARE(empty.status, 0);
        QCOMPARE(empty.output, QString("profile-says-hi\n"));
        const ShellResult fake = ShellRunner::runLogin("greet 'a b'", 30);
        QCOMPARE(fake.status, 3);
        QVERIFY(fake.output.endsWith("greeted a b\n"));
        const ShellResult missing = ShellRunner::runLogin("no-such-command-here", 30);
        QCOMPARE(missing.status, 127);
    }

    void largeOutputAndInvalidText()
    {
        TestHome home;
        const ShellResult big = ShellRunner::runLogin("head -c 5000000 /dev/zero | tr '\\0' a", 60);
        QCOMPARE(big.status, 0);
        QCOMPARE(big.output.size(), 5000000);
        const ShellResult bad = ShellRunner::runLogin("printf 'ok\\377'", 30);
        QCOMPARE(bad.status, 0);
        QCOMPARE(bad.output, QString());
    }

    void timeOut_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("command that runs too long") << "sleep 20";
        // A child left running keeps the pipe open after the shell is gone.
        QTest::newRow("background child holding the pipe") << "sleep 20 &";
        QTest::newRow("child that ignores the terminate request") << "(trap '' TERM; sleep 20; true) & wait";
    }

    void timeOut()
    {
        QFETCH(QString, command);
        TestHome home;
        QElapsedTimer t;
        t.start();
        const ShellResult r = ShellRunner::runLogin("echo started; " + command, 1);
        const qint64 ms = t.elapsed();
        QVERIFY2(ms >= 900, qPrintable(QString::number(ms)));
        QVERIFY2(ms < 10000, qPrintable(QString::number(ms)));
        QVERIFY(r.output.startsWith("started\n"));
        if (!command.endsWith("&"))
            QVERIFY(r.status != 0);
    }

    void callsRunSideBySide()
    {
        TestHome home;
        // The first call is held until the second has finished: were calls run one after
        // another, the second would wait for the first's time-out.
        home.writeText("slow-hold", "");
        ShellResult slow;
        std::atomic<bool> slowDone = false;
        std::thread other([&] {
            slow = ShellRunner::runLogin("touch \"$HOME/slow-started\"; "
                                             + QString::fromUtf8(TestHome::holdWhileExists("slow-hold")) + "echo slow",
                                         30);
            slowDone = true;
        });
        const auto release = qScopeGuard([&] {
            QFile::remove(home("slow-hold"));
            other.join();
        });
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home("slow-started")), 20000);
        const ShellResult quick = ShellRunner::runLogin("echo quick", 30);
        QCOMPARE(quick.output, QString("quick\n"));
        QVERIFY(!slowDone);
        QVERIFY(QFile::remove(home("slow-hold")));
        QTRY_VERIFY_WITH_TIMEOUT(slowDone, 20000);
        QCOMPARE(slow.output, QString("slow\n"));
    }

    void missingShell()
    {
        TestHome home;
        ToolPaths::overrideForTesting(ToolPaths::Tool::Zsh, home("no/such/zsh"));
        const ShellResult r = ShellRunner::runLogin("echo hi", 5);
        ToolPaths::overrideForTesting(ToolPaths::Tool::Zsh, {});
        QCOMPARE(r.status, -1);
        QVERIFY2(r.output.startsWith("Failed to launch: "), qPrintable(r.output));
        QCOMPARE(ToolPaths::zsh(), QString("/bin/zsh"));
    }
};

QTEST_GUILESS_MAIN(tst_ShellRunner)
#include "tst_ShellRunner.moc"
