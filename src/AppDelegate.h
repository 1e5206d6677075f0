#pragma once
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>

class AppEvents;
class AppModel;

// The application delegate: makes the program an accessory, answers the low-space
// notification with a request to clean everything, shows the full-screen welcome window at
// first launch (and on "dustlet.showOnboarding"), and, when the welcome flow ends, the
// first-run hint under the tray icon for 12 seconds.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // Builds the welcome flow's content; the flow calls `onFinish` when the user leaves it.
    using OnboardingContent = std::function<QWidget*(std::function<void()> onFinish)>;
    using StatusItemFrame = std::function<std::optional<QRect>()>;

    AppDelegate(AppModel& model, AppEvents& events, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Without content the welcome window is not built (the flow is not part of this build).
    void setOnboardingContent(OnboardingContent content) { m_onboardingContent = std::move(content); }
    void setStatusItemFrame(StatusItemFrame frame) { m_statusItemFrame = std::move(frame); }

    void applicationDidFinishLaunching();
    void showOnboarding();
    void showMenuBarCoachMark();
    std::optional<QRect> statusItemFrame() const;

    // Where the first-run hint goes: a band `height` high (200 at the body size the layouts were
    // drawn for) across the screen, directly under a top panel, or directly above a bottom one
    // (then its arrow points down).
    struct HintBand {
        QRect band;
        bool atBottom = false;
    };
    static HintBand hintBand(const QRect& screen, const QRect& available, const std::optional<QRect>& item,
                             int height = 200);

    // A notification arrives while the program runs: always shown as a banner with sound.
    enum PresentationOption { banner = 0x1, sound = 0x2 };
    int willPresentNotification() const { return banner | sound; }
    // The user clicked a notification or chose one of its actions.
    void didReceiveNotificationResponse(const QString& categoryIdentifier);

    QWidget* onboardingWindow() const { return m_onboardingWindow; }
    QWidget* coachMarkWindow() const { return m_coachMarkWindow; }

    // How long the hint stays: 12 seconds (shorter in tests).
    void setCoachMarkDuration(int milliseconds) { m_coachMarkDuration = milliseconds; }

private:
    void dismissCoachMark();

    AppModel& m_model;
    AppEvents& m_events;
    OnboardingContent m_onboardingContent;
    StatusItemFrame m_statusItemFrame;
    QPointer<QWidget> m_onboardingWindow;
    QPointer<QWidget> m_coachMarkWindow;
    int m_coachMarkDuration = 12000;
};
