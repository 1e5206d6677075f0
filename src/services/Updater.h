#pragma once
#include "platform/UpdaterController.h"

#include <QObject>
#include <QString>

#include <memory>

class UserDefaults;

// The one object through which windows reach the update machinery. Where no update framework
// is present (Linux), the controller only knows the compiled-in feed: a check is possible when
// there is one, and a check hands the feed to the shell to open. The automatic-check preference
// is kept in the user defaults.
class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
public:
    // `feedURL` is the bundle's feed ("SUFeedURL"); empty for a development build.
    Updater(UserDefaults& defaults, const QString& feedURL, QObject* parent = nullptr);
    // Uses the standard defaults and the bundle's own feed.
    explicit Updater(QObject* parent = nullptr);
    // With a given controller (tests, other platforms).
    Updater(std::unique_ptr<UpdaterController> controller, bool isConfigured, QObject* parent = nullptr);
    ~Updater() override;

    UpdaterController& controller() const { return *m_controller; }
    // False until the controller's first value has come through the event loop.
    bool canCheckForUpdates() const { return m_canCheckForUpdates; }
    bool isConfigured() const { return m_isConfigured; }

    // The defaults key of the automatic-check preference.
    static QString automaticChecksKey();

Q_SIGNALS:
    void canCheckForUpdatesChanged();

private:
    void subscribe();
    void assign(bool value);

    std::unique_ptr<UpdaterController> m_controller;
    bool m_canCheckForUpdates = false;
    bool m_isConfigured = false;
};
