#include "FakeTools.h"
#include "TestHome.h"
#include "platform/DateFormatter.h"
#include "platform/ToolPaths.h"
#include "services/AdminShell.h"
#include "services/SnapshotManager.h"

#include <QDir>
#include <QTest>

using Snapshots = QList<LocalSnapshot>;
Q_DECLARE_METATYPE(LocalSnapshot)

namespace {

LocalSnapshot snap(const QString& ts) { return LocalSnapshot{"com.apple.TimeMachine." + ts + ".local", ts}; }

} // namespace

class tst_SnapshotManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        FakeTools::reset();
        SnapshotManager::setSpaceReaderForTesting({});
    }

    void parseListing_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<Snapshots>("expected");

        QTest::newRow("heading, with and without .local, oldest first")
            << 0
            << "Snapshots for disk /:\n"
               "com.apple.TimeMachine.2024-05-01-093000.local\n"
               "com.apple.TimeMachine.2024-05-03-101500\n"
               "com.apple.TimeMachine.2024-05-02-120000.local\n"
            << Snapshots{{"com.apple.TimeMachine.2024-05-03-101500", "2024-05-03-101500"},
                         {"com.apple.TimeMachine.2024-05-02-120000.local", "2024-05-02-120000"},
                         {"com.apple.TimeMachine.2024-05-01-093000.local", "2024-05-01-093000"}};
        QTest::newRow("indented lines keep the trimmed line as name")
            << 0 << "  \tcom.apple.TimeMachine.2024-05-01-093000.local \t\n\t com.apple.TimeMachine.2024-04-01-000000\n"
            << Snapshots{{"com.apple.TimeMachine.2024-05-01-093000.local", "2024-05-01-093000"},
                         {"com.apple.TimeMachine.2024-04-01-000000", "2024-04-01-000000"}};
        QTest::newRow("CRLF line endings")
            << 0 << "Snapshots for disk /:\r\ncom.apple.TimeMachine.2024-05-01-093000.local\r\n"
            << Snapshots{{"com.apple.TimeMachine.2024-05-01-093000.local", "2024-05-01-093000"}};
        QTest::newRow("text before the marker stays in the name")
            << 0 << "disk1s1 com.apple.TimeMachine.2024-05-01-093000.local\n"
            << Snapshots{{"disk1s1 com.apple.TimeMachine.2024-05-01-093000.local", "2024-05-01-093000"}};
        QTest::newRow("nothing or only .local behind the marker is skipped")
            << 0 << "com.apple.TimeMachine.\ncom.apple.TimeMachine..local\ncom.apple.timemachine.2024-05-01-093000\n"
            << Snapshots{};
        QTest::newRow("a failed listing is empty even with snapshot lines")
            << 1 << "com.apple.TimeMachine.2024-05-01-093000.local\n"
            << Snapshots{};
        QTest::newRow("equal timestamps keep the listing's order")
            << 0
            << "a com.apple.TimeMachine.2024-05-01-093000\nb com.apple.TimeMachine.2024-05-01-093000.local\n"
               "com.apple.TimeMachine.2024-06-01-000000\n"
            << Snapshots{{"com.apple.TimeMachine.2024-06-01-000000", "2024-06-01-000000"},
                         {"a com.apple.TimeMachine.2024-05-01-093000", "2024-05-01-093000"},
                         {"b com.apple.TimeMachine.2024-05-01-093000.local", "2024-05-01-093000"}};
    }

    void parseListing()
    {
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(Snapshots, expected);
        QCOMPARE(SnapshotManager::parseListing(status, output), expected);
    }

    void listsThroughTheLoginShell()
    {
        TestHome home;
        // Whatever the login shell's start-up files print comes before the listing.
        home.writeText(".zprofile", "echo 'Welcome back'\n");
        FakeTools::installSnapshotTools(home, "Snapshots for disk /:\ncom.apple.TimeMachine.2024-05-01-093000.local\n");
        const Snapshots found = SnapshotManager::list();
        QCOMPARE(found, (Snapshots{{"com.apple.TimeMachine.2024-05-01-093000.local", "2024-05-01-093000"}}));
        QCOMPARE(home.recordedRuns("tmutil"), (QList<QStringList>{{"listlocalsnapshots", "/"}}));

        FakeTools::setListing(home, "com.apple.TimeMachine.2024-05-01-093000.local\n", 1);
        QVERIFY(SnapshotManager::list().isEmpty());

        // No listing tool (as off macOS): no snapshots.
        ToolPaths::overrideForTesting(ToolPaths::Tool::Tmutil, home("no-such-tmutil"));
        QVERIFY(SnapshotManager::list().isEmpty());
    }

    void displayDate()
    {
        const LocalSnapshot s = snap("2024-05-01-093015");
        QCOMPARE(s.displayDate(), formatMediumDateShortTime(QDateTime(QDate(2024, 5, 1), QTime(9, 30, 15))));
        QCOMPARE(mediumDateFormat(QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("MMM d, yyyy"));
        QCOMPARE(mediumDateFormat(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("d. MMM yyyy"));
        QCOMPARE(shortTimeFormat(QLocale::c()), QStringLiteral("HH:mm"));
        for (const QString& odd :
             {QStringLiteral("x; touch pwned #"), QStringLiteral("2024-13-45-250000"), QStringLiteral("2024-05-01")})
            QCOMPARE(snap(odd).displayDate(), odd);
    }

    void volumeFigures_data()
    {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<qint64>("available");
        QTest::addColumn<qint64>("important");
        QTest::addColumn<qint64>("free");
        QTest::addColumn<qint64>("purgeable");
        QTest::newRow("snapshots hold space") << true << qint64(100) << qint64(350) << qint64(100) << qint64(250);
        QTest::newRow("more free than important") << true << qint64(400) << qint64(350) << qint64(400) << qint64(0);
        QTest::newRow("unreadable") << false << qint64(0) << qint64(0) << qint64(0) << qint64(0);
    }

    void volumeFigures()
    {
        QFETCH(bool, readable);
        QFETCH(qint64, available);
        QFETCH(qint64, important);
        QFETCH(qint64, free);
        QFETCH(qint64, purgeable);
        SnapshotManager::setSpaceReaderForTesting([=]() -> std::optional<Volume::FreeSpace> {
            if (!readable)
                return std::nullopt;
            return Volume::FreeSpace{available, important};
        });
        QCOMPARE(SnapshotManager::freeBytes(), free);
        QCOMPARE(SnapshotManager::purgeableBytes(), purgeable);
    }

    void deleteScriptIsTheSystemsOwn()
    {
        const Snapshots three{snap("2024-05-03-101500"), snap("2024-05-01-093000"), snap("2024-05-02-120000")};
        const QString expected = "/usr/bin/tmutil deletelocalsnapshots 2024-05-03-101500; "
                                 "/usr/bin/tmutil deletelocalsnapshots 2024-05-01-093000; "
                                 "/usr/bin/tmutil deletelocalsnapshots 2024-05-02-120000";
        QCOMPARE(SnapshotManager::deleteScript(three), std::optional<QString>(expected));
        QCOMPARE(AdminShell::source(expected), "do shell script \"" + expected + "\" with administrator privileges");

        // A tool path with characters of its own is quoted too.
        ToolPaths::overrideForTesting(ToolPaths::Tool::Tmutil, "/opt/it's here/tmutil");
        QCOMPARE(SnapshotManager::deleteScript({snap("2024-05-03-101500")}),
                 std::optional<QString>(R"('/opt/it'\''s here/tmutil' deletelocalsnapshots 2024-05-03-101500)"));
    }

    void deletesInOneRun()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, "");
        qint64 free = 1'000;
        SnapshotManager::setSpaceReaderForTesting([&free] {
            const qint64 now = free;
            free += 4'000; // the second reading sees the space freed
            return std::optional<Volume::FreeSpace>(Volume::FreeSpace{now, now});
        });
        const Snapshots three{snap("2024-05-03-101500"), snap("2024-05-01-093000"), snap("2024-05-02-120000")};
        const SnapshotManager::DeleteResult r = SnapshotManager::deleteSnapshots(three);
        QCOMPARE(std::get<qint64>(r), qint64(4'000));
        const QList<QStringList> prompts = home.recordedRuns("osascript");
        QCOMPARE(prompts.size(), 1);
        QCOMPARE(prompts[0], (QStringList{"-e", AdminShell::source(*SnapshotManager::deleteScript(three))}));
        QCOMPARE(home.recordedRuns("tmutil"),
                 (QList<QStringList>{{"deletelocalsnapshots", "2024-05-03-101500"},
                                     {"deletelocalsnapshots", "2024-05-01-093000"},
                                     {"deletelocalsnapshots", "2024-05-02-120000"}}));

        // Free space that shrank meanwhile counts as nothing freed, not as a negative amount.
        SnapshotManager::setSpaceReaderForTesting([&free] {
            free -= 500;
            return std::optional<Volume::FreeSpace>(Volume::FreeSpace{free, free});
        });
        QCOMPARE(std::get<qint64>(SnapshotManager::deleteSnapshots({snap("2024-05-01-093000")})), qint64(0));
    }

    void nothingToDeleteRunsNothing()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, "");
        QCOMPARE(std::get<qint64>(SnapshotManager::deleteSnapshots({})), qint64(0));
        QVERIFY(home.recordedRuns("osascript").isEmpty());
    }

    void cancelledAndFailedRuns()
    {
        TestHome home;
        FakeTools::installSnapshotTools(home, "");
        home.setFakeOsascriptMode("cancel");
        QCOMPARE(std::get<SnapshotError>(SnapshotManager::deleteSnapshots({snap("2024-05-01-093000")})),
                 SnapshotError::cancelled());
        home.setFakeOsascriptMode("error");
        QCOMPARE(std::get<SnapshotError>(SnapshotManager::deleteSnapshots({snap("2024-05-01-093000")})),
                 SnapshotError::failed("The administrator user name or password was incorrect."));
        QVERIFY(home.recordedRuns("tmutil").isEmpty());

        // The deletion tool's own failure comes back as the run's message.
        home.setFakeOsascriptMode("");
        home.writeText("delete-fails", "");
        QCOMPARE(std::get<SnapshotError>(SnapshotManager::deleteSnapshots({snap("2024-05-01-093000")})),
                 SnapshotError::failed("Failed to delete 2024-05-01-093000"));
    }

    // Listing lines can come from the login shell's start-up files as well as from the tool;
    // whatever they hold, nothing of them runs as root.
    void hostileListingRunsNothing_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("command after a semicolon") << "com.apple.TimeMachine.x; touch pwned #";
        QTest::newRow("a slash") << "com.apple.TimeMachine./";
        QTest::newRow("command substitution") << "com.apple.TimeMachine.$(touch pwned)";
        QTest::newRow("date followed by a command") << "com.apple.TimeMachine.2024-05-01-093000;touch pwned";
        QTest::newRow("quote breaking out of the literal")
            << "com.apple.TimeMachine.2024\" & do shell script \"touch pwned";
        QTest::newRow("option") << "com.apple.TimeMachine.-d";
    }

    void hostileListingRunsNothing()
    {
        QFETCH(QString, line);
        TestHome home;
        FakeTools::installSnapshotTools(home, (line + "\ncom.apple.TimeMachine.2024-05-01-093000.local\n").toUtf8());
        const Snapshots listed = SnapshotManager::list();
        QCOMPARE(listed.size(), 2);
        const SnapshotManager::DeleteResult r = SnapshotManager::deleteSnapshots(listed);
        QVERIFY(std::holds_alternative<SnapshotError>(r));
        QCOMPARE(std::get<SnapshotError>(r).kind, SnapshotError::Kind::failed);
        QVERIFY(home.recordedRuns("osascript").isEmpty());
        QCOMPARE(home.recordedRuns("tmutil").size(), 1); // the listing only
        QVERIFY(!home.containsFileNamed("pwned"));
        QVERIFY(!QFile::exists(QDir::current().filePath("pwned")));
    }
};

QTEST_GUILESS_MAIN(tst_SnapshotManager)
#include "tst_SnapshotManager.moc"
