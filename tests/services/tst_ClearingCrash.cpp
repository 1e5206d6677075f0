// A clearing to the Trash interrupted by a kill or a quit, tried with real processes: this test
// program starts a copy of itself ("--clear HOME FOLDER") that clears a custom folder of many
// files to the Trash with the real cleaner and store, and kills it at a random moment, or tells it
// to quit. Whatever moment that is, every item in the Trash must have a complete record there and
// a history record that puts it back.
//
// DUSTLET_CRASH_FILES sets the number of files (default 2,000, which keeps the test to a few
// seconds); the e2e-labelled run takes 50,000.
#include "AppModel.h"
#include "TestHome.h"
#include "platform/UserDefaults.h"
#include "services/CleanHistoryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

int fileCount()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("DUSTLET_CRASH_FILES", &ok);
    return ok && n > 0 ? n : 2000;
}

// The copy: clears FOLDER (a custom folder) to the Trash with the real services in the home it is
// given, printing "clearing" as it starts and "done" at the end; "quit" on its standard input
// quits it the way the program does. With `holdAt`, it prints "announced" once the item of that
// number has its record in the Trash and its line in the journal, and waits there for its end,
// before the item moves.
int runClearing(const QString& folder, int holdAt)
{
    UserDefaults defaults(UserDefaults::standardPath());
    AppModelEnvironment env = AppModel::realEnvironment(defaults);
    if (holdAt > 0) {
        env.clean = [holdAt](const CleanupTarget& target, bool moveToTrash, const ClearingLogPtr& log) {
            auto count = std::make_shared<std::atomic<int>>(0);
            auto held = std::make_shared<ClearingLog>([log, count, holdAt](const TrashedItem& item) {
                const bool go = log->announce(item);
                if (++*count == holdAt) {
                    std::printf("announced\n");
                    std::fflush(stdout);
                    for (;;)
                        ::pause();
                }
                return go;
            });
            return Cleaner::clean(target, moveToTrash, held);
        };
    }
    AppModel model(std::move(env));
    if (model.addCustomFolder(folder))
        return 2;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[16] = {};
        if (::read(STDIN_FILENO, line, sizeof line - 1) > 0 && QByteArray(line).trimmed() == "quit")
            QCoreApplication::quit();
    });
    QTimer::singleShot(0, &model, [&] {
        std::printf("clearing\n");
        std::fflush(stdout);
        QTimer::singleShot(0, &model, [&model, folder] {
            [](AppModel& m, QString id) -> QCoro::Task<> {
                co_await m.clean(id, true);
                std::printf("done\n");
                std::fflush(stdout);
                QCoreApplication::quit();
            }(model, QStringLiteral("custom:") + folder);
        });
    });
    QCoreApplication::exec();
    // As the program's main does after its event loop: the clearing stops and its record is saved.
    model.finishClearings(std::chrono::milliseconds(1000));
    return 0;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class tst_ClearingCrash : public QObject {
    Q_OBJECT

    // One round: a fresh home with files to clear and the copy clearing them.
    struct Round {
        TestHome home;
        QString folder;
        QProcess child;
    };

    void prepare(Round& r, int files, int holdAt = 0)
    {
        r.folder = r.home.mkdir(QStringLiteral("work/cache"));
        for (int i = 0; i < files; ++i) {
            const QByteArray path = QFile::encodeName(r.folder) + "/f" + QByteArray::number(i);
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, "x", 1), ssize_t(1));
            ::close(fd);
        }
        r.child.setProgram(QCoreApplication::applicationFilePath());
        r.child.setArguments({QStringLiteral("--clear"), r.folder, QString::number(holdAt)});
        r.child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        r.child.start();
        QVERIFY(r.child.waitForStarted());
        QVERIFY(r.child.waitForReadyRead(10000));
        QCOMPARE(r.child.readLine().trimmed(), QByteArray("clearing"));
    }

    // Every item in the Trash has a complete record there, and the history — as the next start
    // reads it — has a record listing it that puts it back; put back, the folder is whole again.
    void checkNothingLost(Round& r, int files, bool afterRecovery)
    {
        const QString trash = r.home(QStringLiteral(".local/share/Trash"));
        const QStringList inTrash = entries(trash + "/files");
        const auto complete = [](const QByteArray& info) {
            return info.startsWith("[Trash Info]\nPath=") && info.contains("\nDeletionDate=") && info.endsWith('\n');
        };
        for (const QString& name : inTrash) {
            const QByteArray info = TestHome::contents(trash + "/info/" + name + ".trashinfo");
            QVERIFY2(complete(info), qPrintable(name + ": " + QString::fromLatin1(info)));
        }
        // No record is ever seen half-made; a kill may leave one temporary name.
        for (const QString& name : entries(trash + "/info")) {
            if (name.endsWith(".trashinfo"))
                QVERIFY2(complete(TestHome::contents(trash + "/info/" + name)), qPrintable(name));
            else
                QVERIFY2(name.startsWith(".dustlet-") && name.endsWith(".part"), qPrintable(name));
        }

        UserDefaults defaults(UserDefaults::standardPath());
        QList<CleanRecord> stored = CleanHistoryStore::load(defaults).history;
        if (!afterRecovery)
            QVERIFY2(!CleanHistoryStore::recover(defaults.folder(), stored), "the quit left something to recover");
        AppModel model(AppModel::realEnvironment(defaults));
        // The next start leaves no ghost: every record in the Trash has its item (a listing of the
        // Trash shows each item once), and no temporary record is left.
        for (const QString& name : entries(trash + "/info")) {
            QVERIFY2(name.endsWith(".trashinfo"), qPrintable(name + " is left in the Trash's records"));
            QVERIFY2(inTrash.contains(name.chopped(10)), qPrintable(name + " has no item in the Trash"));
        }
        QCOMPARE(entries(trash + "/info").size(), inTrash.size());
        // What the clearing moved is what its record freed, shown and counted.
        qint64 recordedBytes = 0;
        for (const CleanRecord& record : model.history())
            recordedBytes += record.freed;
        QCOMPARE(model.totalFreedAllTime(), recordedBytes);
        if (!inTrash.isEmpty())
            QVERIFY2(recordedBytes >= 1, "the items in the Trash are recorded as freeing nothing");
        QSet<QString> recorded;
        for (const CleanRecord& record : model.history())
            for (const TrashedItem& item : record.items.value_or(QList<TrashedItem>()))
                recorded.insert(QFileInfo(item.trashPath).fileName());
        for (const QString& name : inTrash)
            QVERIFY2(recorded.contains(name), qPrintable(name + " is in the Trash without a history record"));
        QVERIFY(entries(defaults.folder()).filter(QStringLiteral(".journal")).isEmpty());

        if (!model.history().isEmpty())
            model.restore(model.history().first());
        QCOMPARE(entries(trash + "/files").size(), 0);
        QCOMPARE(entries(r.folder).size(), files);
    }

private Q_SLOTS:
    void killedAtRandomMoments()
    {
        const int files = fileCount();
        // A first round to the end, to know how long a whole clearing takes here.
        qint64 whole = 0;
        {
            Round r;
            prepare(r, files);
            QElapsedTimer clock;
            clock.start();
            QVERIFY(r.child.waitForFinished(120000));
            whole = clock.elapsed();
            QVERIFY(r.child.readAll().contains("done"));
            checkNothingLost(r, files, false);
        }
        for (int round = 0; round < 3; ++round) {
            Round r;
            prepare(r, files);
            const int delay = int(QRandomGenerator::global()->bounded(qMax<qint64>(whole, 20)));
            QTest::qSleep(delay);
            ::kill(pid_t(r.child.processId()), SIGKILL);
            QVERIFY(r.child.waitForFinished(10000));
            qInfo("round %d: killed after %d of %lld ms, %lld items in the Trash", round, delay, whole,
                  qint64(entries(r.home(QStringLiteral(".local/share/Trash/files"))).size()));
            checkNothingLost(r, files, true);
        }
    }

    // A kill between an item's record in the Trash (and its line in the journal) and its move:
    // the next start removes that record, so the Trash lists no item that is not there.
    void killedBetweenRecordAndMove()
    {
        const int files = qMin(fileCount(), 200);
        Round r;
        prepare(r, files, files / 2);
        while (!r.child.canReadLine())
            QVERIFY(r.child.waitForReadyRead(60000));
        QCOMPARE(r.child.readLine().trimmed(), QByteArray("announced"));
        const QString trash = r.home(QStringLiteral(".local/share/Trash"));
        const qsizetype moved = entries(trash + "/files").size();
        QCOMPARE(entries(trash + "/info").filter(QStringLiteral(".trashinfo")).size(), moved + 1);
        ::kill(pid_t(r.child.processId()), SIGKILL);
        QVERIFY(r.child.waitForFinished(10000));
        checkNothingLost(r, files, true);
    }

    // "Quit" while a clearing runs: it stops at the next entry, saves its record and ends within
    // a second; nothing is left for the next start to recover.
    void quitDuringAClearing()
    {
        const int files = fileCount();
        Round r;
        prepare(r, files);
        // Once a tenth has moved: a fixed wait can outlast the whole clearing on a quick machine.
        const QString moving = r.home(QStringLiteral(".local/share/Trash/files"));
        QElapsedTimer waited;
        waited.start();
        while (entries(moving).size() < files / 10 && waited.elapsed() < 60000)
            QTest::qSleep(1);
        QElapsedTimer clock;
        clock.start();
        r.child.write("quit\n");
        QVERIFY(r.child.waitForFinished(10000));
        QCOMPARE(r.child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(r.child.exitCode(), 0);
        // It stopped at the next entry rather than clearing on (the time is a figure, not a goal:
        // a loaded machine stretches it).
        const bool finished = r.child.readAll().contains("done");
        const qsizetype moved = entries(r.home(QStringLiteral(".local/share/Trash/files"))).size();
        qInfo("quit took %lld ms; %lld of %d items had moved", clock.elapsed(), qint64(moved), files);
        if (!finished)
            QVERIFY(moved < files);
        checkNothingLost(r, files, false);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--clear") == 0)
        return runClearing(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    tst_ClearingCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ClearingCrash.moc"
