// Every text of the welcome flow's four pages reads at 4.5:1 (3:1 when large) against its card,
// in a light and a dark palette and at a large font.
#include "../../services/AppModelFakes.h"
#include "ContrastKit.h"
#include "platform/AccessibilityPrefs.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingVisuals.h"

#include <QApplication>
#include <QTest>

class tst_WelcomeContrast : public QObject {
    Q_OBJECT

    ContrastKit::Looks m_looks;

private Q_SLOTS:
    void initTestCase() { m_looks.save(); }
    void cleanup() { m_looks.restore(); }

    // The welcome flow's four pages on their card (the optional rows shown as where the platform
    // offers them, developer mode on, the total revealed).
    void welcomePages_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<int>("fontPx");
        QTest::addColumn<int>("page");
        for (int page = 0; page <= OnboardingView::kLastStep; ++page) {
            QTest::addRow("light, page %d", page + 1) << false << 0 << page;
            QTest::addRow("dark, page %d", page + 1) << true << 0 << page;
            QTest::addRow("dark, 16 pt, page %d", page + 1) << true << 21 << page;
        }
    }
    void welcomePages()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        QFETCH(int, page);
        m_looks.apply(dark, fontPx);
        AccessibilityPrefs::overrideForTesting(AccessibilityPrefs::Prefs{true, false, false});
        ModelFixture f;
        f.sizes.insert("appcaches", 3'400'000'000);
        auto model = f.makeModel();
        model->settings().setDeveloperMode(true);
        auto* view = new OnboardingView(*model, model->settings(), [] {});
        view->setOffered([](const QString&) { return true; });
        view->setOpaqueBackdrop(true);
        view->resize(1300, 1200);
        while (view->step() < page)
            view->advance();
        settle();
        QWidget* card = view->card();
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        settle();
        const QList<TextContrast::Text> texts = TextContrast::measure(card);
        QVERIFY(!texts.isEmpty());
        const QString failed = TextContrast::failures(texts);
        QVERIFY2(failed.isEmpty(), qPrintable(QLatin1Char('\n') + failed));
        delete view;
        AccessibilityPrefs::overrideForTesting(std::nullopt);
    }
};

QTEST_MAIN(tst_WelcomeContrast)
#include "tst_WelcomeContrast.moc"
