// The welcome flow's visual helpers: curves and timings, the aurora's stages and blob centres,
// the grain, the soft glow and the shadow blur, and the small widgets' states.
#include "views/onboarding/OnboardingVisuals.h"
#include "views/components/Style.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <numbers>

class tst_OnboardingVisuals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void curves_data()
    {
        QTest::addColumn<QString>("curve");
        QTest::addColumn<double>("at");
        QTest::addColumn<double>("expected");
        // Cubic Béziers as the common CSS curves give them.
        QTest::newRow("ease-in, half way") << "in" << 0.5 << 0.3153;
        QTest::newRow("ease-out, half way") << "out" << 0.5 << 0.6847;
        QTest::newRow("ease-in-out, half way") << "inout" << 0.5 << 0.5;
        QTest::newRow("ease-in-out, a quarter") << "inout" << 0.25 << 0.1291;
        for (const char* c : {"in", "out", "inout", "spring"}) {
            QTest::addRow("%s, start", c) << c << 0.0 << 0.0;
            QTest::addRow("%s, end", c) << c << 1.0 << 1.0;
        }
        // The spring after one response time (ωt = 2π): 1 − (1 + 2π)·e^(−2π), scaled to end at 1.
        QTest::newRow("spring after one response") << "spring" << (2 * std::numbers::pi / 9.2334) << 0.9874;
    }

    void curves()
    {
        QFETCH(QString, curve);
        QFETCH(double, at);
        QFETCH(double, expected);
        const QEasingCurve c = curve == "in"      ? OnboardingMotion::easeIn()
                               : curve == "out"   ? OnboardingMotion::easeOut()
                               : curve == "inout" ? OnboardingMotion::easeInOut()
                                                  : OnboardingMotion::spring();
        QVERIFY2(std::abs(c.valueForProgress(at) - expected) < 0.003,
                 qPrintable(QString::number(c.valueForProgress(at))));
    }

    void springNeverOvershoots()
    {
        const QEasingCurve spring = OnboardingMotion::spring();
        qreal last = 0;
        for (int i = 0; i <= 200; ++i) {
            const qreal v = spring.valueForProgress(i / 200.0);
            QVERIFY(v >= last);
            QVERIFY(v <= 1.0);
            last = v;
        }
        // Settling takes about 1.47 response times.
        QCOMPARE(OnboardingMotion::springDurationMs(0.35), 514);
        QCOMPARE(OnboardingMotion::springDurationMs(0.7), 1029);
        QCOMPARE(OnboardingMotion::springDurationMs(0.25), 367);
    }

    void staggerDelays_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("ms");
        QTest::newRow("a whole page") << 0 << 80;
        QTest::newRow("second feature row") << 1 << 150;
        QTest::newRow("third feature row") << 2 << 220;
        QTest::newRow("the Trash row") << 3 << 290;
    }

    void staggerDelays()
    {
        QFETCH(int, index);
        QFETCH(int, ms);
        QCOMPARE(OnboardingMotion::staggerDelayMs(index), ms);
    }

    void auroraStages_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<double>("scale");
        QTest::addColumn<double>("spin");
        QTest::addColumn<double>("opacity");
        QTest::newRow("start") << 0 << 1.7 << 80.0 << 0.0;
        QTest::newRow("bloom") << 1 << 1.0 << 0.0 << 1.0;
        QTest::newRow("collapsed") << 2 << 0.04 << -45.0 << 0.0;
        QTest::newRow("beyond") << 7 << 0.04 << -45.0 << 0.0;
    }

    void auroraStages()
    {
        QFETCH(int, stage);
        QFETCH(double, scale);
        QFETCH(double, spin);
        QFETCH(double, opacity);
        QCOMPARE(AuroraBackground::frameFor(stage), (AuroraBackground::Frame{scale, spin, opacity}));
    }

    void blobCentresFollowTheWindow_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QList<QPointF>>("centres");
        QTest::newRow("1440 × 900") << QSizeF(1440, 900)
                                   << QList<QPointF>{{432, 126}, {1008, 180}, {316.8, 720}, {1209.6, 774}};
        QTest::newRow("800 × 600") << QSizeF(800, 600) << QList<QPointF>{{240, 84}, {560, 120}, {176, 480}, {672, 516}};
        QTest::newRow("empty") << QSizeF(0, 0) << QList<QPointF>{{0, 0}, {0, 0}, {0, 0}, {0, 0}};
    }

    void blobCentresFollowTheWindow()
    {
        QFETCH(QSizeF, size);
        QFETCH(QList<QPointF>, centres);
        const QList<QPointF> got = AuroraBackground::blobCenters(size);
        QCOMPARE(got.size(), centres.size());
        for (int i = 0; i < got.size(); ++i) {
            QVERIFY(std::abs(got[i].x() - centres[i].x()) < 1e-9);
            QVERIFY(std::abs(got[i].y() - centres[i].y()) < 1e-9);
        }
    }

    // The card keeps its size where it fits and shrinks to a small window, down to a floor.
    void cardSideFitsTheWindow()
    {
        const int wanted = Style::metric(OnboardingCard::kSide);
        QCOMPARE(OnboardingCard::sideFor(QSize()), wanted);
        QCOMPARE(OnboardingCard::sideFor(QSize(1440, 900)), wanted);
        QCOMPARE(OnboardingCard::sideFor(QSize(900, 500)), std::min(wanted, 500 - 2 * Style::metric(16)));
        QCOMPARE(OnboardingCard::sideFor(QSize(200, 150)), std::min(wanted, 320));
        OnboardingCard card;
        card.setSide(400);
        QCOMPARE(card.size(), QSize(400, 400) + 2 * QSize(OnboardingCard::shadowMargin(), OnboardingCard::shadowMargin()));
        QCOMPARE(card.cardRect().size(), QSize(400, 400));
    }

    void auroraNeverShowsWithReduceMotion()
    {
        AuroraBackground aurora(true);
        aurora.resize(400, 300);
        aurora.show();
        QVERIFY(!aurora.isAnimating());
        QCOMPARE(aurora.stage(), 0);
        QCOMPARE(aurora.frame().opacity, 0.0);
        QImage image(aurora.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        aurora.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        QCOMPARE(image.pixelColor(120, 42).alpha(), 0);   // where the pink blob would be
    }

    void grain()
    {
        const GrainOverlay none(0.07, 0, 5);
        QVERIFY(none.specks().isEmpty());
        const QImage blank = none.render(QSize(40, 40), 1);
        for (int y = 0; y < blank.height(); ++y)
            for (int x = 0; x < blank.width(); ++x)
                QCOMPARE(blank.pixelColor(x, y).alpha(), 0);
        QVERIFY(GrainOverlay(0.07, -3, 5).specks().isEmpty());

        const GrainOverlay grain(0.07, 2600, 42);
        QCOMPARE(grain.specks().size(), 2600);
        int dark = 0;
        for (const GrainOverlay::Speck& s : grain.specks()) {
            QVERIFY(s.x >= 0 && s.x <= 1 && s.y >= 0 && s.y <= 1);
            QVERIFY(s.a >= 0.25 && s.a <= 1.0);
            QVERIFY(grain.opacityOf(s) <= 0.07 + 1e-12);
            QVERIFY(grain.opacityOf(s) >= 0.07 / 4 - 1e-12);
            dark += s.dark ? 1 : 0;
        }
        QVERIFY2(dark > 1100 && dark < 1500, qPrintable(QString::number(dark)));   // a fair coin

        // A fixed seed gives the same pattern and the same picture; another seed another one.
        const GrainOverlay again(0.07, 2600, 42);
        QCOMPARE(again.specks(), grain.specks());
        QCOMPARE(again.render(QSize(120, 90), 2), grain.render(QSize(120, 90), 2));
        QVERIFY(GrainOverlay(0.07, 2600, 43).specks() != grain.specks());
        // A speck is drawn at its own opacity of the intensity, no stronger.
        const GrainOverlay one(0.07, 1, 9);
        const QImage picture = one.render(QSize(60, 60), 1);
        int strongest = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                strongest = std::max(strongest, picture.pixelColor(x, y).alpha());
        QVERIFY(strongest > 0);
        QVERIFY2(strongest <= int(std::ceil(one.opacityOf(one.specks().first()) * 255)) + 1, qPrintable(QString::number(strongest)));
    }

    void softDiscAndBlur()
    {
        const QPixmap disc = softDisc(100, 40, QColor(255, 0, 0), 1);
        QCOMPARE(disc.size(), QSize(180, 180));
        const QImage image = disc.toImage();
        QVERIFY(image.pixelColor(90, 90).alpha() > 240);                 // full at the centre
        const int rim = image.pixelColor(140, 90).alpha();               // the disc's own edge
        QVERIFY2(rim > 100 && rim < 155, qPrintable(QString::number(rim)));
        QVERIFY(image.pixelColor(179, 90).alpha() <= 2);                 // next to nothing at the end
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);

        QImage square(61, 61, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        for (int y = 25; y <= 35; ++y)
            for (int x = 25; x <= 35; ++x)
                square.setPixelColor(x, y, Qt::black);
        const QImage soft = blurred(square, 8);
        QVERIFY(soft.pixelColor(30, 30).alpha() < 255);   // softened
        QVERIFY(soft.pixelColor(30, 30).alpha() > 100);
        QVERIFY(soft.pixelColor(20, 30).alpha() > 0);     // spread beyond the square
        QCOMPARE(soft.pixelColor(20, 30).alpha(), soft.pixelColor(40, 30).alpha());   // evenly
        QCOMPARE(soft.pixelColor(0, 0).alpha(), 0);
    }

    void choiceCardSelection()
    {
        int chosen = 0;
        ChoiceCard card("sparkles", "Just clean up", "Everyday caches, one tap.", true, [&] { ++chosen; });
        card.resize(card.sizeHint());
        QVERIFY(card.isSelected());
        QVERIFY(card.isChecked());
        QCOMPARE(card.accessibleName(), QStringLiteral("Just clean up"));
        QVERIFY(card.height() >= Style::metric(104));
        // Choosing the selected card calls its action and leaves it selected.
        QTest::mouseClick(&card, Qt::LeftButton);
        QCOMPARE(chosen, 1);
        QVERIFY(card.isChecked());
        // A change of selection moves with its spring.
        card.setSelected(false);
        QVERIFY(!card.isSelected() && !card.isChecked());
        QVERIFY(card.isAnimating());
        QTRY_VERIFY(!card.isAnimating());
    }

    void stepDots()
    {
        StepDots dots(4);
        QCOMPARE(dots.accessibleName(), QStringLiteral("Step 1 of 4"));
        QCOMPARE(dots.weights(), (QList<qreal>{1, 0, 0, 0}));
        QVERIFY(dots.findChildren<QWidget*>().isEmpty());   // one element for assistive technology
        dots.setStep(2);
        QCOMPARE(dots.accessibleName(), QStringLiteral("Step 3 of 4"));
        QVERIFY(dots.isAnimating());
        QTRY_VERIFY(!dots.isAnimating());
        QCOMPARE(dots.weights(), (QList<qreal>{0, 0, 1, 0}));
    }
};

QTEST_MAIN(tst_OnboardingVisuals)
#include "tst_OnboardingVisuals.moc"
