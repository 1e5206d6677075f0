#include "services/Updater.h"

#include "platform/Bundle.h"
#include "platform/UserDefaults.h"

#include <QMetaObject>

namespace {

// The controller where no update framework is present: it knows only the compiled-in feed.
class FeedController : public UpdaterController {
public:
    FeedController(UserDefaults& defaults, const QString& feed) : m_defaults(defaults), m_feed(feed) {}

    bool canCheckForUpdates() const override { return !m_feed.isEmpty(); }

    void checkForUpdates() override
    {
        if (!m_feed.isEmpty())
            Q_EMIT feedRequested(QUrl(m_feed));
    }

    bool automaticallyChecksForUpdates() const override
    {
        return m_defaults.strictBool(Updater::automaticChecksKey()).value_or(false);
    }

    void setAutomaticallyChecksForUpdates(bool value) override
    {
        m_defaults.setBool(Updater::automaticChecksKey(), value);
    }

private:
    UserDefaults& m_defaults;
    QString m_feed;
};

std::unique_ptr<UpdaterController> defaultController()
{
#ifdef Q_OS_MACOS
    if (auto framework = makeFrameworkUpdaterController())
        return framework;
#endif
    return std::make_unique<FeedController>(UserDefaults::standard(), Bundle::feedURL());
}

} // namespace

QString Updater::automaticChecksKey() { return QStringLiteral("SUEnableAutomaticChecks"); }

Updater::Updater(UserDefaults& defaults, const QString& feedURL, QObject* parent)
    : Updater(std::make_unique<FeedController>(defaults, feedURL), !feedURL.isEmpty(), parent)
{
}

Updater::Updater(QObject* parent) : Updater(defaultController(), !Bundle::feedURL().isEmpty(), parent) {}

Updater::Updater(std::unique_ptr<UpdaterController> controller, bool isConfigured, QObject* parent)
    : QObject(parent), m_controller(std::move(controller)), m_isConfigured(isConfigured)
{
    m_controller->setParent(nullptr);
    subscribe();
}

Updater::~Updater() = default;

void Updater::subscribe()
{
    // Every value, the first included, arrives through the event loop of this thread.
    connect(m_controller.get(), &UpdaterController::canCheckForUpdatesChanged, this, &Updater::assign,
            Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        this, [this] { assign(m_controller->canCheckForUpdates()); }, Qt::QueuedConnection);
}

void Updater::assign(bool value)
{
    m_canCheckForUpdates = value;
    Q_EMIT canCheckForUpdatesChanged();
}
