#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>

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

} // namespace

SingleInstance::SingleInstance(QString key, QString folder, QObject* parent)
    : QObject(parent), m_key(std::move(key)), m_folder(folder.isEmpty() ? defaultFolder() : std::move(folder))
{
}

SingleInstance::~SingleInstance() { release(); }

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

QString SingleInstance::socketPath() const { return QDir(m_folder).filePath(m_key + QStringLiteral(".socket")); }

SingleInstance* SingleInstance::current() { return g_current.data(); }

bool SingleInstance::isPrimary() const { return m_server && m_server->isListening(); }

SingleInstance::Outcome SingleInstance::acquire(int timeoutMs)
{
    if (isPrimary())
        return Outcome::primary;
    if (!makePrivateFolder(m_folder))
        return Outcome::failed;

    // Only one start at a time looks and takes over. A lock whose owner died is stale and
    // taken from it; one older than the longest wait here is stale too.
    QLockFile lock(QDir(m_folder).filePath(m_key + QStringLiteral(".lock")));
    lock.setStaleLockTime(std::max(1000, 3 * timeoutMs));
    if (!lock.tryLock(timeoutMs))
        return Outcome::failed;

    // Somebody listening is a running instance (the system closes a dead one's socket).
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (socket.waitForConnected(std::min(timeoutMs, 1000))) {
        socket.write(kActivate);
        socket.waitForBytesWritten(timeoutMs);
        // Its answer tells that it showed itself; a busy instance is still the running one.
        socket.waitForReadyRead(timeoutMs);
        socket.disconnectFromServer();
        return Outcome::handedOver;
    }

    // Nobody: whatever socket file is left belongs to a dead instance.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        delete m_server;
        m_server = nullptr;
        return Outcome::failed;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::serve);
    g_current = this;
    return Outcome::primary;
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
    if (!m_server)
        return;
    // Closing removes the socket file: the name is free at once.
    m_server->close();
    delete m_server;
    m_server = nullptr;
    if (g_current == this)
        g_current = nullptr;
}
