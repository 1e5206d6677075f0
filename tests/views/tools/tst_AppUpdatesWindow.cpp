#include "FakeTools.h"
#include "Palettes.h"
#include "TestHome.h"
#include "TextContrast.h"
#include "platform/ui/FileManagerShell.h"
#include "views/tools/AppUpdatesModel.h"
#include "views/tools/AppUpdatesView.h"
#include "views/components/CleanActionButton.h"
#include "views/components/ElidedLabel.h"
#include "views/components/InlineCodeLabel.h"
#include "views/components/LinkButton.h"
#include "views/components/ProgressSpinner.h"

#include <QFile>
#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QTest>

namespace {

const QByteArray kReport = R"({"formulae":[{"name":"wget","installed_versions":["1.21.3"],"current_version":"1.24.5"},
{"name":"jq","installed_version":"1.6"}],
"casks":[{"name":"firefox","installed_versions":["120.0"],"current_version":"121.0"}]})";
const QByteArray kAfterUpgrade = R"({"formulae":[{"name":"jq","installed_version":"1.6"}],"casks":[]})";

using Content = AppUpdatesView::Content;

OutdatedPackageRow* rowNamed(const AppUpdatesView& view, const QString& name)
{
    const QList<OutdatedPackage>& packages = view.model().packages();
    for (qsizetype i = 0; i < packages.size(); ++i)
        if (packages[i].name == name)
            return view.rows().value(i);
    return nullptr;
}

int runsOf(const TestHome& home, const QString& firstArgument)
{
    int n = 0;
    for (const QStringList& run : home.recordedRuns("brew"))
        n += !run.isEmpty() && run.first() == firstArgument;
    return n;
}

// Every button of the window that starts something.
QList<QPushButton*> actionButtons(const AppUpdatesView& view)
{
    QList<QPushButton*> buttons{view.recheckButton(), view.updateAllButton()};
    for (OutdatedPackageRow* row : view.rows())
        buttons << row->updateButton();
    return buttons;
}

} // namespace

class tst_AppUpdatesWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        FileManagerShell::setHandlerForTesting({});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void firstOpeningChecksThenLists()
    {
        TestHome home;
        FakeTools::installBrew(home, kReport);
        home.writeText("brew-hold", "");
        AppUpdatesView view;
        view.show();
        QCOMPARE(view.content(), Content::checking);
        QCOMPARE(view.model().state(), AppUpdatesModel::State::checking);
        QVERIFY(!view.updateAllButton()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(runsOf(home, "outdated"), 1, 20000);
        QCoreApplication::processEvents();
        QCOMPARE(view.content(), Content::checking);
        QVERIFY(QFile::remove(home("brew-hold")));

        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::list, 20000);
        QCOMPARE(view.model().state(), AppUpdatesModel::State::ready);
        QCOMPARE(view.rows().size(), 3);
        QCOMPARE(rowNamed(view, "firefox")->symbolName(), "app.dashed");
        QCOMPARE(rowNamed(view, "firefox")->versionsText(), "120.0 → 121.0");
        QCOMPARE(rowNamed(view, "wget")->symbolName(), "terminal");
        QCOMPARE(rowNamed(view, "jq")->versionsText(), "1.6 → ?");
        QVERIFY(view.updateAllButton()->isEnabled());
        QVERIFY(view.recheckButton()->isEnabled());
        QVERIFY(!view.showsStatus());

        // Shown again with a model that has checked: no new check.
        view.hide();
        view.show();
        QCOMPARE(view.model().state(), AppUpdatesModel::State::ready);
        QCOMPARE(runsOf(home, "outdated"), 1);
    }

    void withoutHomebrew()
    {
        TestHome home;
        FakeTools::hideBrew(home);
        QString opened;
        FileManagerShell::setHandlerForTesting([&](FileManagerShell::Action action, const QString& what) {
            if (action == FileManagerShell::Action::OpenUrl)
                opened = what;
        });
        AppUpdatesView view;
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::unavailable, 20000);
        QVERIFY(!view.updateAllButton()->isEnabled());
        QVERIFY(view.recheckButton()->isEnabled());
        QCOMPARE(view.homebrewLink()->title(), "Get Homebrew at brew.sh");
        view.homebrewLink()->click();
        QCOMPARE(opened, "https://brew.sh");
    }

    void nothingOutdated()
    {
        TestHome home;
        FakeTools::installBrew(home, R"({"formulae":[],"casks":[]})");
        AppUpdatesView view;
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::upToDate, 20000);
        QVERIFY(!view.updateAllButton()->isEnabled());
    }

    // A listing that fails is not shown as "Everything's up to date".
    void failedListing_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<int>("status");
        QTest::newRow("Homebrew fails") << kReport << 1;
        QTest::newRow("a warning before the report") << QByteArray("Warning: stale tap\n") + kReport << 0;
        QTest::newRow("not a report") << QByteArray("[]") << 0;
    }

    void failedListing()
    {
        QFETCH(QByteArray, report);
        QFETCH(int, status);
        TestHome home;
        FakeTools::installBrew(home, report, status);
        AppUpdatesView view;
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(view.model().state(), AppUpdatesModel::State::ready, 20000);
        QCOMPARE(view.content(), Content::listFailed);
        QVERIFY(view.model().listingFailed());
        QVERIFY(view.recheckButton()->isEnabled());
        QVERIFY(!view.updateAllButton()->isEnabled());

        // Re-check once Homebrew answers again.
        FakeTools::setBrew(home, kReport);
        view.recheckButton()->click();
        QCOMPARE(view.content(), Content::checking);
        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::list, 20000);
        QVERIFY(!view.model().listingFailed());
    }

    void upgradeOne_data()
    {
        QTest::addColumn<int>("upgradeStatus");
        QTest::addColumn<QString>("status");
        QTest::newRow("succeeds") << 0 << "Updated wget.";
        QTest::newRow("fails") << 1 << "Couldn't update wget.";
    }

    void upgradeOne()
    {
        QFETCH(int, upgradeStatus);
        QFETCH(QString, status);
        TestHome home;
        FakeTools::installBrew(home, kReport);
        AppUpdatesView view;
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::list, 20000);

        FakeTools::setBrew(home, kAfterUpgrade, 0, upgradeStatus);
        home.writeText("brew-hold", "");
        rowNamed(view, "wget")->updateButton()->click();
        QVERIFY(view.model().busy());
        QCOMPARE(view.statusText(), "Updating wget…");
        QVERIFY(!view.footerSpinner()->isHidden());
        for (QPushButton* b : actionButtons(view))
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(QFile::remove(home("brew-hold")));

        QTRY_VERIFY_WITH_TIMEOUT(!view.model().busy(), 20000);
        QCOMPARE(view.statusText(), status);
        QVERIFY(view.footerSpinner()->isHidden());
        // Listed again whatever the outcome.
        QCOMPARE(runsOf(home, "outdated"), 2);
        QCOMPARE(view.rows().size(), 1);
        QVERIFY(rowNamed(view, "jq")->updateButton()->isEnabled());
        QVERIFY(home.recordedRuns("brew").contains(QStringList{"upgrade", "wget"}));
        QCOMPARE(view.model().state(), AppUpdatesModel::State::ready);
    }

    void optionLikeNameIsRefused()
    {
        TestHome home;
        FakeTools::installBrew(home, R"({"formulae":[{"name":"--force","current_version":"2"}]})");
        AppUpdatesView view;
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::list, 20000);
        view.rows().first()->updateButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!view.model().busy(), 20000);
        QCOMPARE(view.statusText(), "Couldn't update --force.");
        QCOMPARE(runsOf(home, "upgrade"), 0);
    }

    void updateAllSaysDoneEvenWhenHomebrewFails()
    {
        TestHome home;
        FakeTools::installBrew(home, kReport);
        AppUpdatesView view;
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::list, 20000);

        FakeTools::setBrew(home, kAfterUpgrade, 0, 1);
        home.writeText("brew-hold", "");
        view.updateAllButton()->click();
        QCOMPARE(view.statusText(), "Updating everything…");
        for (QPushButton* b : actionButtons(view))
            QVERIFY(!b->isEnabled());
        QVERIFY(QFile::remove(home("brew-hold")));
        QTRY_VERIFY_WITH_TIMEOUT(!view.model().busy(), 20000);
        QCOMPARE(view.statusText(), "Done.");
        QVERIFY(home.recordedRuns("brew").contains(QStringList{"upgrade", "--greedy"}));
        QCOMPARE(view.rows().size(), 1);
    }

    void recheckHidesTheListUntilTheNewOneArrives()
    {
        TestHome home;
        FakeTools::installBrew(home, kReport);
        AppUpdatesView view;
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::list, 20000);
        FakeTools::setBrew(home, kAfterUpgrade);
        home.writeText("brew-delay", "1");
        view.recheckButton()->click();
        QCOMPARE(view.content(), Content::checking);
        QCOMPARE(view.rows().size(), 3);   // kept behind the progress indicator
        QTRY_COMPARE_WITH_TIMEOUT(view.content(), Content::list, 20000);
        QCOMPARE(view.rows().size(), 1);
    }

    void longStatusStaysOnOneLine()
    {
        auto* model = new AppUpdatesModel;
        model->setState(AppUpdatesModel::State::ready);
        AppUpdatesView view(model);
        view.show();
        const QString longName(300, QLatin1Char('x'));
        model->setStatus("Couldn't update " + longName + ".");
        const auto* status = view.findChild<ElidedLabel*>();
        QVERIFY(status);
        QCOMPARE(status->text(), "Couldn't update " + longName + ".");
        QVERIFY(status->displayedText().endsWith(QChar(0x2026)));
        QVERIFY(status->height() < 3 * status->fontMetrics().height());
    }

    void subtitleShowsTheCommandAsCode()
    {
        QString shown;
        const QList<InlineCodeLabel::Span> spans =
            InlineCodeLabel::parse("it just runs your own `brew upgrade` when you ask, `not closed", &shown);
        QCOMPARE(shown, "it just runs your own brew upgrade when you ask, `not closed");
        QCOMPARE(spans, (QList<InlineCodeLabel::Span>{{22, 12}}));

        AppUpdatesView view(new AppUpdatesModel);
        const auto* subtitle = view.findChild<InlineCodeLabel*>();
        QVERIFY(subtitle);
        QVERIFY(!subtitle->text().contains('`'));
        QCOMPARE(subtitle->codeSpans().size(), 1);
        QCOMPARE(subtitle->text().mid(subtitle->codeSpans()[0].start, subtitle->codeSpans()[0].length), "brew upgrade");
    }

    void textsAreLegible_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void textsAreLegible()
    {
        QFETCH(bool, dark);
        const QList<TextContrast::Text> texts =
            TextContrast::measureBuilt(dark ? darkPalette() : QApplication::style()->standardPalette(), [] {
                auto* model = new AppUpdatesModel;
                model->setPackages({{"wget", "1.21.3", "1.24.5", false}, {"firefox", "120.0", "121.0", true}});
                model->setState(AppUpdatesModel::State::ready);
                model->setStatus(QStringLiteral("Couldn't update ffmpeg."));
                return new AppUpdatesView(model);
            });
        QVERIFY(texts.size() >= 8);
        const QString failed = TextContrast::failures(texts);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
};

QTEST_MAIN(tst_AppUpdatesWindow)
#include "tst_AppUpdatesWindow.moc"
