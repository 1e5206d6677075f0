#include "AppDelegate.h"

#include "AppModel.h"
#include "platform/AppEvents.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/Activation.h"
#include "platform/ui/Compositing.h"
#include "services/AppSettings.h"
#include "views/components/MenuBarCoachMark.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

AppDelegate::AppDelegate(AppModel& model, AppEvents& events, QObject* parent)
    : QObject(parent), m_model(model), m_events(events)
{
}

AppDelegate::~AppDelegate()
{
    delete m_onboardingWindow.data();
    delete m_coachMarkWindow.data();
}

void AppDelegate::applicationDidFinishLaunching()
{
    Activation::setAccessoryPolicy();
    // This delegate answers the notification centre's responses.
    if (NotificationCenter* center = m_model.notificationCenter())
        connect(center, &NotificationCenter::responded, this,
                [this](const QString& category, const QString&, const QString&) {
            didReceiveNotificationResponse(category);
        });
    connect(&m_events, &AppEvents::posted, this, [this](const QString& name) {
        if (name == AppEvents::showOnboarding())
            showOnboarding();
    });
    if (!m_model.settings().hasCompletedOnboarding())
        showOnboarding();
}

void AppDelegate::showOnboarding()
{
    if (m_onboardingWindow) {
        m_onboardingWindow->show();
        Activation::activate(m_onboardingWindow);
        return;
    }
    if (!m_onboardingContent)
        return;

    const QPointer<AppDelegate> self(this);
    QWidget* content = m_onboardingContent([self] {
        if (!self)
            return;
        if (self->m_onboardingWindow) {
            self->m_onboardingWindow->close();
            self->m_onboardingWindow->deleteLater();
        }
        self->m_onboardingWindow = nullptr;
        self->showMenuBarCoachMark();
    });

    // Chrome-less, transparent and floating over the whole main screen: the content draws
    // everything, and the flow's finish action is what closes it.
    auto* window = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setObjectName(QStringLiteral("welcome"));
    window->setWindowTitle(tr("Welcome to Dustlet"));
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    if (content)
        layout->addWidget(content);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window->setGeometry(screen->geometry());
    else
        window->adjustSize();

    m_onboardingWindow = window;
    window->show();
    Activation::activate(window);
}

std::optional<QRect> AppDelegate::statusItemFrame() const
{
    return m_statusItemFrame ? m_statusItemFrame() : std::nullopt;
}

AppDelegate::HintBand AppDelegate::hintBand(const QRect& screen, const QRect& available,
                                            const std::optional<QRect>& item, int height)
{
    // The tray is at the bottom when its icon is in the lower half, or, with no icon to go by,
    // when the desktop keeps room at the bottom of the screen and none at the top.
    const bool atBottom = item ? item->center().y() > screen.center().y()
                               : available.top() <= screen.top() && available.bottom() < screen.bottom();
    if (atBottom) {
        // Directly above the bottom panel (and above the icon).
        int bottom = available.bottom() + 1;
        if (item)
            bottom = std::min(bottom, item->top());
        return {QRect(screen.left(), bottom - height, screen.width(), height), true};
    }
    // Directly under the menu bar or top panel: what the desktop keeps free at the top.
    const int thickness = std::max(0, available.top() - screen.top());
    return {QRect(screen.left(), screen.top() + thickness, screen.width(), height), false};
}

void AppDelegate::showMenuBarCoachMark()
{
    if (m_coachMarkWindow)
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = screen->geometry();
    const std::optional<QRect> item = statusItemFrame();
    const qreal iconX = item ? item->left() + item->width() / 2.0 : frame.right() + 1 - 120.0;
    // The band grows with a large desktop font, as the hint's texts do.
    const HintBand placed = hintBand(frame, screen->availableGeometry(), item, MenuBarCoachMark::bandHeight());
    const QRect band = placed.band;
    auto* panel = new QWidget(
        nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    panel->setObjectName(QStringLiteral("coachMark"));
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->setGeometry(band);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    const QPointer<AppDelegate> self(this);
    auto* mark = new MenuBarCoachMark(
        iconX - band.left(),
        [self] {
        if (self)
            self->dismissCoachMark();
        },
        280, panel);
    mark->setPointsDown(placed.atBottom);
    layout->addWidget(mark);
    if (!Compositing::translucentWindowsWork()) {
        // Transparent areas would show black: keep only the arrow and the bubble, standing still.
        mark->setAnimated(false);
        mark->resize(band.size());
        panel->setMask(mark->opaqueRegion());
    }

    delete m_coachMarkWindow.data();
    m_coachMarkWindow = panel;
    panel->show();

    // Not cancelled by an earlier dismissal: it closes whatever hint is shown when it fires.
    QTimer::singleShot(m_coachMarkDuration, this, [this] { dismissCoachMark(); });
}

void AppDelegate::dismissCoachMark()
{
    if (m_coachMarkWindow) {
        m_coachMarkWindow->close();
        m_coachMarkWindow->deleteLater();
    }
    m_coachMarkWindow = nullptr;
}

void AppDelegate::didReceiveNotificationResponse(const QString& categoryIdentifier)
{
    if (categoryIdentifier != QLatin1String("LOWSPACE"))
        return;
    QTimer::singleShot(0, this, [this] {
        Activation::activate();
        m_events.post(AppEvents::requestCleanAll());
    });
}
