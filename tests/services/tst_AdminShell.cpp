#include "TestHome.h"
#include "platform/ToolPaths.h"
#include "services/AdminShell.h"

#include <QProcess>
#include <QTest>

Q_DECLARE_METATYPE(AdminShell::Result)

class tst_AdminShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { ToolPaths::overrideForTesting(ToolPaths::Tool::Osascript, {}); }

    void source_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "/usr/bin/tmutil deletelocalsnapshots 2024-05-01-093000"
                               << "do shell script \"/usr/bin/tmutil deletelocalsnapshots 2024-05-01-093000\" with "
                                  "administrator privileges";
        QTest::newRow("quotes") << "echo \"hi\""
                                << "do shell script \"echo \\\"hi\\\"\" with administrator privileges";
        QTest::newRow("backslashes") << "printf a\\\\b"
                                     << "do shell script \"printf a\\\\\\\\b\" with administrator privileges";
        // Backslashes are doubled before quotes are escaped: an escaped quote keeps one backslash.
        QTest::newRow("backslash before a quote") << "\\\""
                                                  << "do shell script \"\\\\\\\"\" with administrator privileges";
    }

    void source()
    {
        QFETCH(QString, script);
        QFETCH(QString, expected);
        QCOMPARE(AdminShell::source(script), expected);
    }

    void interpret_data()
    {
        using R = AdminShell::Result;
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<R>("expected");
        QTest::newRow("success keeps the output without osascript's line feed")
            << 0 << "line one\rline two\n"
            << "" << R{true, false, "line one\rline two"};
        QTest::newRow("success without output") << 0 << ""
                                                << "" << R{true, false, ""};
        QTest::newRow("prompt cancelled") << 1 << ""
                                          << "0:88: execution error: User canceled. (-128)\n"
                                          << R{false, true, "User canceled."};
        QTest::newRow("wrong password")
            << 1 << ""
            << "0:88: execution error: The administrator user name or password was incorrect. (-60007)\n"
            << R{false, false, "The administrator user name or password was incorrect."};
        QTest::newRow("failing script with brackets in its message") << 1 << ""
                                                                     << "0:88: execution error: boom (really) (3)\n"
                                                                     << R{false, false, "boom (really)"};
        QTest::newRow("uncompilable source") << 1 << ""
                                             << "0:5: syntax error: Expected end of line. (-2741)\n"
                                             << R{false, false, "Couldn't build the command."};
        QTest::newRow("unrecognised failure") << 1 << ""
                                              << "something else\n"
                                              << R{false, false, "Authorization failed."};
        QTest::newRow("could not start") << -1 << ""
                                         << "" << R{false, false, "Couldn't build the command."};
    }

    void interpret()
    {
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(AdminShell::Result, expected);
        const AdminShell::Result r = AdminShell::interpret(status, out, err);
        QCOMPARE(r.ok, expected.ok);
        QCOMPARE(r.cancelled, expected.cancelled);
        QCOMPARE(r.message, expected.message);
    }

    // What the administrator run hands the shell is exactly the script, whatever it holds.
    void scriptReachesTheShellUnchanged()
    {
        TestHome home;
        ToolPaths::overrideForTesting(ToolPaths::Tool::Osascript, TestHome::fakeOsascript());
        const QString script = "printf '%s|' 'back\\slash' \"dq\\\"in\" 'end\\\\' \"\\$HOME\"";
        QProcess sh;
        sh.start("/bin/sh", {"-c", script});
        QVERIFY(sh.waitForFinished());
        const QString direct = QString::fromUtf8(sh.readAllStandardOutput());
        QVERIFY(direct.contains("back\\slash|dq\"in|"));

        const AdminShell::Result r = AdminShell::run(script);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.message, direct);
        const QList<QStringList> runs = home.recordedRuns("osascript");
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0], (QStringList{"-e", AdminShell::source(script)}));
    }

    void failures()
    {
        TestHome home;
        ToolPaths::overrideForTesting(ToolPaths::Tool::Osascript, TestHome::fakeOsascript());

        const AdminShell::Result failing = AdminShell::run("echo boom >&2; exit 3");
        QCOMPARE(failing, (AdminShell::Result{false, false, "boom"}));

        home.setFakeOsascriptMode("cancel");
        QCOMPARE(AdminShell::run("touch ran"), (AdminShell::Result{false, true, "User canceled."}));
        home.setFakeOsascriptMode("error");
        QCOMPARE(AdminShell::run("touch ran"),
                 (AdminShell::Result{false, false, "The administrator user name or password was incorrect."}));
        QVERIFY(!QFile::exists(home("ran")));

        ToolPaths::overrideForTesting(ToolPaths::Tool::Osascript, home("no-such-osascript"));
        QCOMPARE(AdminShell::run("true"), (AdminShell::Result{false, false, "Couldn't build the command."}));
    }
};

QTEST_GUILESS_MAIN(tst_AdminShell)
#include "tst_AdminShell.moc"
