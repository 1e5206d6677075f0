#pragma once
#include <QObject>
#include <QUrl>

#include <memory>

// The update machinery behind `Updater`: whether a check may start now, the manual check and the
// automatic-check preference.
class UpdaterController : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool canCheckForUpdates() const = 0;
    // Starts a user-initiated check.
    virtual void checkForUpdates() = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool value) = 0;

Q_SIGNALS:
    // The may-check flag changed; may be emitted from any thread.
    void canCheckForUpdatesChanged(bool value);
    // A manual check was asked for where no update framework runs: the feed is to be shown.
    void feedRequested(const QUrl& feed);
};

#ifdef Q_OS_MACOS
// The update framework's controller when the bundle carries the framework (platform/macos);
// none when it does not.
std::unique_ptr<UpdaterController> makeFrameworkUpdaterController();
#endif
