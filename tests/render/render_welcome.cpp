// The welcome flow's pictures: its four pages (reduce motion, a fixed grain, the seeded model's
// total) at 1× and 2× over a desktop, the last page while sizing runs, the optional rows as a
// platform that offers them shows them, the opaque backdrop of a desktop without a compositor,
// and the aurora in bloom.
#include "RenderKit.h"

#include "AppModel.h"
#include "services/AppSettings.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingVisuals.h"
#include "views/components/Style.h"
#include "views/components/ToggleSwitch.h"

#include <QImage>
#include <QPainter>

namespace {

using namespace RenderKit;

// Room around the card (560 points as the font scales them) for its shadow and the backdrop.
QSize windowSize()
{
    const int side = Style::metric(OnboardingCard::kSide);
    return QSize(side + 300, side + 220);
}

// What a desktop behind the transparent window might show.
QColor desktop() { return dark() ? QColor(0x24, 0x2a, 0x36) : QColor(0x8a, 0x9a, 0xb0); }

OnboardingView* makeView(AppModel& model, int step, bool opaque = false,
                         std::function<bool(const QString&)> offered = {})
{
    auto* view = new OnboardingView(model, model.settings(), [] {});
    view->setGrainSeed(7);
    view->setOpaqueBackdrop(opaque);
    if (offered)
        view->setOffered(std::move(offered));
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->resize(windowSize());
    view->show();
    for (int i = 0; i < step; ++i)
        view->advance();
    // The last page sizes the targets: wait for the seeded sizes to come back.
    waitUntil([&] { return !model.isScanning() && !view->stepDots()->isAnimating(); }, "the sizing and the step dots");
    return view;
}

void save(OnboardingView* view, const QString& name, qreal scale, QColor backdrop)
{
    QImage image(view->size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(backdrop.isValid() ? backdrop : QColor(Qt::transparent));
    QPainter p(&image);
    view->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    p.end();
    RenderKit::save(image, name);
}

void welcome()
{
    AppModel& model = RenderKit::model();
    model.settings().setDeveloperMode(false);
    for (int step = 0; step <= OnboardingView::kLastStep; ++step) {
        const QString name = QStringLiteral("welcome-page%1").arg(step + 1);
        if (!wanted(name))
            continue;
        OnboardingView* view = makeView(model, step);
        save(view, name, 1, desktop());
        save(view, name + QStringLiteral("@2x"), 2, desktop());
        delete view;
    }

    if (wanted(QStringLiteral("welcome-page3-developer-all-rows"))) {
        model.settings().setDeveloperMode(true);
        OnboardingView* view = makeView(model, 2, false, [](const QString&) { return true; });
        save(view, QStringLiteral("welcome-page3-developer-all-rows"), 2, desktop());
        delete view;
        model.settings().setDeveloperMode(false);
        model.rebuildTargets();
    }

    if (wanted(QStringLiteral("welcome-page4-sizing"))) {
        OnboardingView* view = makeView(model, 3);
        QList<TargetState> list = model.targets();
        for (TargetState& t : list)
            t.isScanning = true;
        model.setTargets(list);
        settle();
        save(view, QStringLiteral("welcome-page4-sizing"), 2, desktop());
        delete view;
        model.rebuildTargets();   // every flag down again
    }

    if (wanted(QStringLiteral("welcome-opaque"))) {
        OnboardingView* view = makeView(model, 1, true);
        save(view, QStringLiteral("welcome-opaque"), 1, QColor(Qt::black));
        delete view;
    }

    if (wanted(QStringLiteral("welcome-aurora"))) {
        OnboardingView* view = makeView(model, 0);
        // Halfway into the bloom, as the flow opens.
        const AuroraBackground::Frame start = AuroraBackground::frameFor(0), bloom = AuroraBackground::frameFor(1);
        view->aurora()->showFrame({(start.scale + bloom.scale) / 2, (start.spin + bloom.spin) / 2, 0.8});
        save(view, QStringLiteral("welcome-aurora"), 1, desktop());
        delete view;
    }
}

} // namespace

DUSTLET_RENDER("welcome", 60, welcome);
