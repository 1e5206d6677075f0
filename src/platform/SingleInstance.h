#pragma once
#include <QObject>
#include <QString>

class QLocalServer;

// Keeps the program to one running instance per settings store, and lets a later start hand over
// to the running one.
//
// The running instance holds an advisory lock (flock) on a file beside its settings for as long as
// it lives, taken before anything is read; the system drops it when the process ends, so a lock
// left by a crash is free by itself. The lock file names the holder's process and the local
// socket it listens on (in the user's runtime folder, named after the program and the lock file,
// so that two stores never share one). A start that cannot take the lock asks the holder through
// that socket to show itself; when the holder does not answer, the start gives up rather than run
// beside it.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        primary, // this is the running instance now
        handedOver, // another instance runs and was asked to show itself: exit
        notAnswering, // another instance holds the lock but did not answer (see holderPid())
        failed, // neither the lock nor the socket could be had: run without the guard
    };

    // `key` names the program (its bundle identifier); `folder` holds the socket (the user's
    // runtime folder when empty); `lockFile` is the file beside the settings that is locked (none:
    // "<key>.lock" in `folder`).
    explicit SingleInstance(QString key, QString folder = {}, QString lockFile = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running instance, or hands over to the one that runs. Waits at most
    // `timeoutMs` for the lock to come free (an instance that is quitting) or for the running
    // instance's answer.
    Outcome acquire(int timeoutMs = 5000);
    bool isPrimary() const;
    // Whether later starts can reach this instance (until release()).
    bool isListening() const;
    // The process that held the lock when acquire() gave notAnswering (0 when not known).
    qint64 holderPid() const { return m_holderPid; }
    // Gives the socket up: from now on a start no longer hands over to this instance, but waits
    // for the lock, which this process keeps until it ends. Called before a relaunch starts its
    // successor, which so runs once this instance has quit.
    void release();

    QString socketPath() const;
    QString lockFilePath() const { return m_lockFile; }
    // The instance this process acquired (for the relaunch), or none.
    static SingleInstance* current();
    // The user's runtime folder (XDG_RUNTIME_DIR, else a private folder in the temporary one).
    static QString defaultFolder();

Q_SIGNALS:
    // A later start asked this instance to show itself.
    void activated();

private:
    bool takeLock();
    bool listen();
    void serve();

    QString m_key;
    QString m_folder;
    QString m_lockFile;
    int m_lockFd = -1;
    bool m_locked = false;
    qint64 m_holderPid = 0;
    QLocalServer* m_server = nullptr;
};
