// One running instance, tried with real processes: this test program starts copies of itself
// ("--instance FOLDER") that each try to become the running instance in a private folder.
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <csignal>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr auto kKey = "app.dustlet.test";

// The copy: prints what acquire() gave (with the holder's process when it did not answer); as the
// running instance it prints "activated" for each later start that handed over, and obeys
// "release" and "quit" on its standard input.
int runInstance(const QString& folder, const QString& lockFile)
{
    SingleInstance guard(QString::fromLatin1(kKey), folder, lockFile);
    QTextStream out(stdout);
    const SingleInstance::Outcome outcome = guard.acquire(1500);
    switch (outcome) {
    case SingleInstance::Outcome::primary: out << "primary"; break;
    case SingleInstance::Outcome::handedOver: out << "handedOver"; break;
    case SingleInstance::Outcome::notAnswering: out << "notAnswering " << guard.holderPid(); break;
    case SingleInstance::Outcome::failed: out << "failed"; break;
    }
    out << Qt::endl;
    if (outcome != SingleInstance::Outcome::primary)
        return 0;
    QObject::connect(&guard, &SingleInstance::activated, [&] { out << "activated" << Qt::endl; });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        const QByteArray command = QByteArray(line, n > 0 ? int(n) : 0).trimmed();
        if (n <= 0 || command == "quit") {
            QCoreApplication::quit();
        } else if (command == "release") {
            guard.release();
            out << "released" << Qt::endl;
        }
    });
    return QCoreApplication::exec();
}

// One copy of this program running as an instance.
class Instance {
public:
    // `lockFile`: the file beside the settings (none: the one in `folder`).
    explicit Instance(const QString& folder, const QString& lockFile = {})
    {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({QStringLiteral("--instance"), folder, lockFile});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Instance()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.write("quit\n");
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    // The next line it printed, waiting up to `ms`.
    QString nextLine(int ms = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine() && clock.elapsed() < ms)
            if (!m_process.waitForReadyRead(int(ms - clock.elapsed())))
                break;
        return m_process.canReadLine() ? QString::fromUtf8(m_process.readLine()).trimmed() : QString();
    }
    void send(const QByteArray& line) { m_process.write(line + '\n'); }
    bool finished(int ms = 5000) { return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(ms); }
    int exitCode() const { return m_process.exitCode(); }
    qint64 pid() const { return m_process.processId(); }
    void signal(int sig) { ::kill(pid_t(m_process.processId()), sig); }
    void crash()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(3000);
    }

private:
    QProcess m_process;
};

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString folder() const { return m_dir->path(); }
    static QString socketOf(const QString& folder, const QString& lockFile = {})
    {
        return SingleInstance(QString::fromLatin1(kKey), folder, lockFile).socketPath();
    }

private Q_SLOTS:
    void init()
    {
        // A folder of this run alone: other runs of the suite use their own.
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void aSecondStartHandsOverAndExits()
    {
        Instance first(folder());
        QCOMPARE(first.nextLine(), QStringLiteral("primary"));
        QVERIFY(QFileInfo(socketOf(folder())).exists());
        // Only the user may enter the folder the socket lives in.
        QCOMPARE(QFileInfo(folder()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());

        Instance second(folder());
        QCOMPARE(second.nextLine(), QStringLiteral("handedOver"));
        QVERIFY(second.finished());
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.nextLine(), QStringLiteral("activated"));

        Instance third(folder());
        QCOMPARE(third.nextLine(), QStringLiteral("handedOver"));
        QCOMPARE(first.nextLine(), QStringLiteral("activated"));
    }

    // A crash leaves the socket file behind; the next start is not fooled by it.
    void aCrashedInstanceDoesNotBlockTheNextStart()
    {
        auto first = std::make_unique<Instance>(folder());
        QCOMPARE(first->nextLine(), QStringLiteral("primary"));
        first->crash();
        QVERIFY(QFileInfo(socketOf(folder())).exists());
        Instance second(folder());
        QCOMPARE(second.nextLine(), QStringLiteral("primary"));
        Instance third(folder());
        QCOMPARE(third.nextLine(), QStringLiteral("handedOver"));
        QCOMPARE(second.nextLine(), QStringLiteral("activated"));
    }

    // The lock file of an instance that died still names it and its socket, but the lock itself
    // went with the process: the next start runs at once.
    void aLockLeftByADeadInstanceIsFree()
    {
        QProcess gone;
        gone.start(QStringLiteral("/bin/true"));
        QVERIFY(gone.waitForFinished());
        const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999'999;
        QFile lock(QDir(folder()).filePath(QStringLiteral("app.dustlet.test.lock")));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid) + "\n" + QFile::encodeName(socketOf(folder())) + "\n");
        lock.close();

        QElapsedTimer clock;
        clock.start();
        Instance first(folder());
        QCOMPARE(first.nextLine(), QStringLiteral("primary"));
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    }

    // A running instance that does not answer (stopped, here) is never joined by a second one:
    // every start of a burst gives up, naming the instance's process.
    void aStoppedInstanceIsNotJoined()
    {
        Instance first(folder());
        QCOMPARE(first.nextLine(), QStringLiteral("primary"));
        first.signal(SIGSTOP);
        std::vector<std::unique_ptr<Instance>> burst;
        for (int i = 0; i < 4; ++i)
            burst.push_back(std::make_unique<Instance>(folder()));
        for (auto& start : burst) {
            QCOMPARE(start->nextLine(), QStringLiteral("notAnswering %1").arg(first.pid()));
            QVERIFY(start->finished());
        }
        first.signal(SIGCONT);
        Instance later(folder());
        QCOMPARE(later.nextLine(), QStringLiteral("handedOver"));
        QCOMPARE(first.nextLine(), QStringLiteral("activated"));
    }

    // One store, two runtime folders (a start with XDG_RUNTIME_DIR set, one without): the lock
    // is the store's, and its file tells the second start where the first one listens. Another
    // store runs beside it, with a socket of its own in the same folder.
    void oneStoreTwoSocketFolders()
    {
        const QString lock = QDir(folder()).filePath(QStringLiteral("config/instance.lock"));
        const QString otherLock = QDir(folder()).filePath(QStringLiteral("other/instance.lock"));
        const QString a = QDir(folder()).filePath(QStringLiteral("run-a"));
        const QString b = QDir(folder()).filePath(QStringLiteral("run-b"));
        Instance first(a, lock);
        QCOMPARE(first.nextLine(), QStringLiteral("primary"));
        Instance second(b, lock);
        QCOMPARE(second.nextLine(), QStringLiteral("handedOver"));
        QCOMPARE(first.nextLine(), QStringLiteral("activated"));
        Instance other(a, otherLock);
        QCOMPARE(other.nextLine(), QStringLiteral("primary"));
        QVERIFY(socketOf(a, lock) != socketOf(a, otherLock));
        Instance third(b, lock);
        QCOMPARE(third.nextLine(), QStringLiteral("handedOver"));
        QCOMPARE(first.nextLine(), QStringLiteral("activated"));
    }

    // The folder must be a real folder of this user: one replaced by a link (as anyone can plant
    // in the shared temporary folder) is not followed, neither to close it to others nor to put
    // the socket and the lock there.
    void aFolderReplacedByALinkIsRefused()
    {
        const QString real = QDir(folder()).filePath(QStringLiteral("real"));
        QVERIFY(QDir().mkpath(real));
        QVERIFY(QFile::setPermissions(real,
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ReadOther | QFileDevice::ExeOther));
        const QString link = QDir(folder()).filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(real, link));

        SingleInstance guard(QString::fromLatin1(kKey), link);
        QCOMPARE(guard.acquire(500), SingleInstance::Outcome::failed);
        QVERIFY(QFileInfo(real).permissions() & QFileDevice::ReadOther);
        QCOMPARE(QDir(real).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // A relaunch gives the socket up first and keeps the lock until it has quit: its successor
    // waits for it and then runs; later starts hand over to the successor, not to the instance
    // that quit.
    void aReleasedNameGoesToTheNextStart()
    {
        Instance old(folder());
        QCOMPARE(old.nextLine(), QStringLiteral("primary"));
        old.send("release");
        QCOMPARE(old.nextLine(), QStringLiteral("released"));

        Instance successor(folder());
        QCOMPARE(successor.nextLine(300), QString()); // waiting for the lock
        old.send("quit");
        QVERIFY(old.finished());
        QCOMPARE(successor.nextLine(), QStringLiteral("primary"));
        Instance later(folder());
        QCOMPARE(later.nextLine(), QStringLiteral("handedOver"));
        QCOMPARE(successor.nextLine(), QStringLiteral("activated"));
    }
};

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--instance") == 0) {
        QCoreApplication app(argc, argv);
        return runInstance(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    tst_SingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SingleInstance.moc"
