#pragma once
#include <QObject>
#include <QString>

// In-process notifications by name, with no object and no payload. A post is delivered on the
// receiver's thread on a later turn of its event loop (queued), never inside post() itself.
class AppEvents : public QObject {
    Q_OBJECT
public:
    explicit AppEvents(QObject* parent = nullptr);

    // The program's default centre.
    static AppEvents& shared();

    // "dustlet.requestCleanAll": the user answered the low-space notification.
    static QString requestCleanAll();
    // "dustlet.showOnboarding": show the welcome flow again.
    static QString showOnboarding();

    void post(const QString& name);

Q_SIGNALS:
    void posted(const QString& name);
};
