#pragma once
#include <QObject>
#include <QString>

class QLocalServer;

// Keeps the program to one running instance per user: the first start listens on a local socket
// named after the program; a later start connects to it, asks it to show itself and exits.
//
// The socket is proof of life: the system closes it when its process ends, so a socket file left
// by a crash only looks taken; the next start finds nobody listening, removes it and takes over.
// A short-lived lock file (which a dead owner never holds) keeps two starts at the same moment
// from both taking over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        primary,      // this is the running instance now
        handedOver,   // another instance runs and was asked to show itself: exit
        failed,       // neither could be done (no folder, no socket): run without the guard
    };

    // `key` names the program (its bundle identifier); `folder` holds the socket and the lock
    // (the user's runtime folder when empty).
    explicit SingleInstance(QString key, QString folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running instance, or hands over to the one that runs. Waits at most
    // `timeoutMs` for the lock and for the other instance's answer.
    Outcome acquire(int timeoutMs = 3000);
    bool isPrimary() const;
    // Gives the name up: from now on a start becomes the running instance itself. Called before
    // a relaunch starts its successor, so that the new instance does not hand over to this one.
    void release();

    QString socketPath() const;
    // The instance this process acquired (for the relaunch), or none.
    static SingleInstance* current();
    // The user's runtime folder (XDG_RUNTIME_DIR, else a private folder in the temporary one).
    static QString defaultFolder();

Q_SIGNALS:
    // A later start asked this instance to show itself.
    void activated();

private:
    void serve();

    QString m_key;
    QString m_folder;
    QLocalServer* m_server = nullptr;
};
