#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");
const QByteArray kDone = QByteArrayLiteral("ok\n");

QPointer<SingleInstance> g_current;

// A folder only this user can enter. It must be a real folder of this user's: one that a link
// stands in for (anyone can plant one in the shared temporary folder, whose sticky bit then keeps
// this user's own folder from being swapped) is refused rather than followed.
bool makePrivateFolder(const QString& path)
{
    if (!QDir().mkpath(path))
        return false;
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The holder's process and socket, as the lock file names them.
struct Holder {
    qint64 pid = 0;
    QString socket;
};

Holder readHolder(int fd)
{
    char buffer[4096];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    if (n <= 0)
        return {};
    const QList<QByteArray> lines = QByteArray(buffer, qsizetype(n)).split('\n');
    Holder holder;
    holder.pid = lines.value(0).toLongLong();
    holder.socket = QFile::decodeName(lines.value(1));
    return holder;
}

void writeHolder(int fd, const QString& socket)
{
    const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n' + QFile::encodeName(socket) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)::pwrite(fd, text.constData(), size_t(text.size()), 0);
}

// Asks the instance listening at `socket` to show itself. Connected: true, and `answered` tells
// whether it said so before `deadline`.
bool askToShow(const QString& socket, const QElapsedTimer& clock, int timeoutMs, bool* answered)
{
    *answered = false;
    QLocalSocket client;
    client.connectToServer(socket);
    if (!client.waitForConnected(std::clamp(timeoutMs - int(clock.elapsed()), 1, 1000)))
        return false;
    client.write(kActivate);
    client.waitForBytesWritten(std::max(1, timeoutMs - int(clock.elapsed())));
    QByteArray reply;
    while (!reply.contains('\n') && clock.elapsed() < timeoutMs) {
        if (!client.waitForReadyRead(std::max(1, timeoutMs - int(clock.elapsed()))))
            break;
        reply += client.readAll();
    }
    *answered = reply.startsWith(kDone);
    client.disconnectFromServer();
    return true;
}

} // namespace

SingleInstance::SingleInstance(QString key, QString folder, QString lockFile, QObject* parent)
    : QObject(parent),
      m_key(std::move(key)),
      m_folder(folder.isEmpty() ? defaultFolder() : std::move(folder)),
      m_lockFile(lockFile.isEmpty() ? QDir(m_folder).filePath(m_key + QStringLiteral(".lock")) : std::move(lockFile))
{
}

SingleInstance::~SingleInstance()
{
    release();
    if (m_lockFd >= 0)
        ::close(m_lockFd); // the lock goes with it
}

QString SingleInstance::defaultFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    // The user's own setting: a link there is theirs, so it is taken resolved.
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QFileInfo(runtime).canonicalFilePath();
#ifdef Q_OS_MACOS
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
#else
    return QDir::temp().filePath(QStringLiteral("dustlet-%1").arg(::getuid()));
#endif
}

QString SingleInstance::socketPath() const
{
    // One socket per settings store: named after the lock file too.
    const QByteArray tag =
        QCryptographicHash::hash(QFile::encodeName(QFileInfo(m_lockFile).absoluteFilePath()), QCryptographicHash::Sha1)
            .toHex()
            .left(8);
    return QDir(m_folder).filePath(m_key + QLatin1Char('-') + QString::fromLatin1(tag) + QStringLiteral(".socket"));
}

SingleInstance* SingleInstance::current() { return g_current.data(); }

bool SingleInstance::isPrimary() const { return m_locked || isListening(); }

bool SingleInstance::isListening() const { return m_server && m_server->isListening(); }

bool SingleInstance::takeLock()
{
    if (m_lockFd < 0) {
        QDir().mkpath(QFileInfo(m_lockFile).absolutePath());
        const int fd = ::open(QFile::encodeName(m_lockFile).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        struct stat st {};
        // Only a regular file of this user's: anything else is not the program's lock.
        if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())) {
            ::close(fd);
            return false;
        }
        if (fd < 0)
            return false;
        m_lockFd = fd;
    }
    return ::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0;
}

bool SingleInstance::listen()
{
    // Nobody listens at a socket of this store but the holder of its lock: whatever file is left
    // there belongs to a dead instance.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::serve);
    return true;
}

SingleInstance::Outcome SingleInstance::acquire(int timeoutMs)
{
    if (isPrimary())
        return Outcome::primary;
    const bool folderOk = makePrivateFolder(m_folder);
    // A lock kept in a socket folder that is refused is refused with it.
    if (!folderOk && QFileInfo(m_lockFile).absolutePath() == QFileInfo(m_folder).absoluteFilePath())
        return Outcome::failed;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (takeLock()) {
            m_locked = true;
            const bool listening = folderOk && listen();
            writeHolder(m_lockFd, listening ? socketPath() : QString());
            g_current = this;
            return Outcome::primary;
        }
        if (m_lockFd < 0) {
            // No lock to be had (the settings folder cannot be written): the socket alone guards.
            if (!folderOk)
                return Outcome::failed;
            bool answered = false;
            if (askToShow(socketPath(), clock, timeoutMs, &answered))
                return Outcome::handedOver; // a busy instance is still the running one
            if (!listen())
                return Outcome::failed;
            g_current = this;
            return Outcome::primary;
        }
        // Another process holds the lock: ask it to show itself through the socket it names.
        const Holder holder = readHolder(m_lockFd);
        m_holderPid = holder.pid;
        bool answered = false;
        if (!holder.socket.isEmpty() && askToShow(holder.socket, clock, timeoutMs, &answered))
            return answered ? Outcome::handedOver : Outcome::notAnswering;
        // Nobody listens (it is starting, or quitting for a relaunch): wait for it a while.
        if (clock.elapsed() >= timeoutMs)
            return Outcome::notAnswering;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void SingleInstance::serve()
{
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            while (client->canReadLine()) {
                if (client->readLine() == kActivate) {
                    client->write(kDone);
                    client->flush();
                    Q_EMIT activated();
                }
            }
        });
    }
}

void SingleInstance::release()
{
    if (g_current == this)
        g_current = nullptr;
    if (!m_server)
        return;
    // Closing removes the socket file: later starts wait for the lock instead.
    m_server->close();
    delete m_server;
    m_server = nullptr;
}
