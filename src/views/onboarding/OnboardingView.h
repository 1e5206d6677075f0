#pragma once
#include "views/components/ToggleSwitch.h"

#include <QPointer>
#include <QStackedWidget>
#include <QWidget>

#include <functional>

class AppModel;
class AppSettings;
class AuroraBackground;
class ChoiceCard;
class OnboardingCard;
class QAbstractButton;
class QLabel;
class QVariantAnimation;
class QVBoxLayout;
class StepDots;

// The welcome flow: four pages on a floating card — what the program does, why it is safe (with
// the Trash switch), how much detail the user wants (developer mode and the optional system
// caches), and what can be freed right now. Its switches write their settings at once. Leaving it
// ("Skip for now" or "Get Started") marks it completed, rebuilds the targets, calls `onFinish`
// (the host closes the window) and starts the model, in that order.
//
// It fills its window and draws its own backdrop: nothing behind the card where the desktop
// composites translucent windows, an opaque dark gradient where it cannot.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLastStep = 3;

    // A row of the safety page.
    struct Feature {
        const char* symbol;
        const char* title;     // English source text, context "OnboardingView"
        const char* subtitle;
    };
    static const QList<Feature>& features();

    // An optional row of the personalize page: the target it switches on, and its setting.
    struct ExtraRow {
        const char* symbol;
        const char* title;
        const char* subtitle;
        const char* targetId;
        bool (AppSettings::*get)() const;
        void (AppSettings::*set)(bool);
    };
    static const QList<ExtraRow>& extraRows();

    OnboardingView(AppModel& model, AppSettings& settings, std::function<void()> onFinish, QWidget* parent = nullptr);
    ~OnboardingView() override;

    // For tests and pictures; set before the view is shown. The grain's pattern (random by
    // default), whether the backdrop is opaque (by default: when the desktop cannot show through
    // transparent windows), and which targets the platform offers.
    void setGrainSeed(quint32 seed);
    void setOpaqueBackdrop(bool opaque);
    void setOffered(std::function<bool(const QString& targetId)> offered);

    // View state.
    int step() const { return m_step; }
    int heroPulse() const { return m_heroPulse; }
    bool didKickScan() const { return m_didKickScan; }
    bool cardShown() const { return m_cardShown; }
    qint64 revealValue() const { return m_revealValue; }
    bool reduceMotion() const { return m_reduceMotion; }
    bool opaqueBackdrop() const { return m_opaqueBackdrop; }

    // The parts a user works with.
    QAbstractButton* backButton() const { return m_back; }
    QAbstractButton* skipButton() const { return m_skip; }
    QAbstractButton* continueButton() const { return m_continue; }
    QAbstractButton* getStartedButton() const { return m_getStarted; }
    StepDots* stepDots() const { return m_dots; }
    AuroraBackground* aurora() const { return m_aurora; }
    OnboardingCard* card() const { return m_card; }
    QWidget* page() const { return m_page; }
    // The switches of the page shown (none on other pages): the Trash switch, the optional rows'.
    ToggleSwitch* trashSwitch() const { return m_trashSwitch; }
    QList<ToggleSwitch*> extraSwitches() const;
    QList<ChoiceCard*> choiceCards() const;
    // The last page's result: "Sizing up what you can clean…" while sizing runs, else the figure.
    bool isShowingSizing() const;
    QString revealText() const;

    // The flow's own moves, as its buttons and keys make them.
    void advance();
    void back();
    void finish();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setStep(int step);
    void showPage(bool crossFade);
    QWidget* buildPage();
    QWidget* welcome();
    QWidget* safety();
    QWidget* personalize();
    QWidget* activation();
    QWidget* controls();
    void updateControls();
    void pageCameOnScreen();
    void followScanning();
    void updateResultArea();
    void revealFinalValue();
    void setRevealValue(qint64 value);
    void enterCard();
    // Secondary text that keeps 4.5:1 on the card and on each of `fills` laid over it.
    QColor secondaryText(const QList<QColor>& fills = {}) const;

    AppModel& m_model;
    AppSettings& m_settings;
    std::function<void()> m_onFinish;
    std::function<bool(const QString&)> m_offered;
    bool m_reduceMotion;
    bool m_opaqueBackdrop;

    int m_step = 0;
    int m_heroPulse = 0;
    bool m_didKickScan = false;
    bool m_cardShown = false;
    qint64 m_revealValue = 0;
    bool m_finished = false;
    bool m_entered = false;
    bool m_lastScanning = false;

    AuroraBackground* m_aurora = nullptr;
    OnboardingCard* m_card = nullptr;
    QWidget* m_pageArea = nullptr;
    QVBoxLayout* m_pageLayout = nullptr;
    QPointer<QWidget> m_page;
    StepDots* m_dots = nullptr;
    QAbstractButton* m_back = nullptr;
    QAbstractButton* m_skip = nullptr;
    QAbstractButton* m_continue = nullptr;
    QAbstractButton* m_getStarted = nullptr;
    QPointer<ToggleSwitch> m_trashSwitch;
    QPointer<QStackedWidget> m_result;
    QPointer<QWidget> m_figure;   // the revealed total on the last page
    QVariantAnimation* m_reveal = nullptr;
};
