// The uninstaller window and its model over a test home: choosing an app, the search with
// every item selected, selection and totals, the removal into the Trash with its history entry
// and put-back, the protected-app refusal, the self-clearing message, a stale search or
// removal after "Choose Different…", and texts shown as they are.
#include "../../services/AppModelFakes.h"
#include "Palettes.h"
#include "TextContrast.h"
#include "platform/ByteCountFormatter.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "platform/ui/Dialogs.h"
#include "views/tools/UninstallerModel.h"
#include "views/tools/UninstallerView.h"
#include "views/components/TransientMessage.h"

#include <QApplication>
#include <QCheckBox>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

namespace {

QString makeApp(const TestHome& home, const QString& relative, const QString& name, const QString& identifier)
{
    const QString app = home.mkdir(relative);
    home.writeText(relative + "/Contents/Info.plist",
                   "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleName</key><string>" +
                       name.toHtmlEscaped().toUtf8() + "</string><key>CFBundleIdentifier</key><string>" +
                       identifier.toHtmlEscaped().toUtf8() + "</string></dict></plist>");
    home.writeFile(relative + "/Contents/MacOS/app", 16384);
    return app;
}

// An application model whose put-back is the real Trash's.
std::unique_ptr<AppModel> realModel(ModelFixture& f)
{
    AppModelEnvironment env = f.environment();
    env.putBack = Trash::putBack;
    return std::make_unique<AppModel>(std::move(env));
}

// Loads an app and waits for its search (which may also end before load() returns).
bool loadAndWait(UninstallerModel& model, const QString& path)
{
    QSignalSpy done(&model, &UninstallerModel::searchFinished);
    model.load(path);
    return done.count() > 0 || done.wait(10000);
}

// Starts a removal and waits for its end.
bool uninstallAndWait(UninstallerModel& model, AppModel& appModel)
{
    QSignalSpy done(&model, &UninstallerModel::removalFinished);
    model.uninstall(appModel);
    return done.count() > 0 || done.wait(10000);
}

} // namespace

class tst_UninstallerWindow : public QObject {
    Q_OBJECT

    QFont m_font;
    QPalette m_palette;

private Q_SLOTS:
    void initTestCase()
    {
        m_font = QApplication::font();
        m_palette = QApplication::palette();
    }
    void cleanup()
    {
        Dialogs::setPickHandlerForTesting({});
        QApplication::setFont(m_font);
        QApplication::setPalette(m_palette);
    }

    // Choose, search, move to the Trash, and put back from the history.
    void uninstallsAnAppAndPutsItBack()
    {
        ModelFixture f;
        auto appModel = realModel(f);
        const QString app = makeApp(f.home, "Applications/Notes.app", "Notes", "com.example.notes");
        const QString cache = f.home.writeFile("Library/Caches/com.example.notes/db", 65536);
        const QString prefs = f.home.writeFile("Library/Preferences/com.example.notes.plist", 4096);
        Dialogs::PickRequest asked;
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest& r) {
            asked = r;
            return std::optional<QString>(app);
        });

        // The real search and removal, each held until the test has seen its busy state.
        QSemaphore searchGate, removeGate;
        UninstallerModel::Services services;
        services.leftovers = [&](const AppInfo& a) {
            searchGate.acquire();
            return Uninstaller::leftovers(a);
        };
        services.remove = [&](const QStringList& paths) {
            removeGate.acquire();
            return Uninstaller::remove(paths);
        };
        UninstallerView view(*appModel, new UninstallerModel(services));
        UninstallerModel& model = view.uninstaller();
        QVERIFY(view.emptyState());
        QSignalSpy searched(&model, &UninstallerModel::searchFinished);
        view.chooseButton()->click();
        QCOMPARE(asked.acceptLabel, QString("Choose"));
        QCOMPARE(asked.kind, Dialogs::PickKind::Application);
        QVERIFY(model.isScanning());
        QVERIFY(view.scanningIndicator());
        QVERIFY(!view.moveButton()->isEnabled());
        searchGate.release();
        QVERIFY(searched.wait(10000));

        // Everything found is selected.
        QCOMPARE(view.appNameLabel()->text(), QString("Notes"));
        QCOMPARE(view.bundleIDLabel()->text(), QString("com.example.notes"));
        QCOMPARE(view.rows().size(), 3);
        QVERIFY(model.allSelected());
        QCOMPARE(view.foundLabel()->text(), QString("3 FOUND"));
        QCOMPARE(view.selectAllButton()->title(), QString("Deselect All"));
        QCOMPARE(view.selectedCountLabel()->text(), QString("3 selected"));
        qint64 total = 0;
        for (const UninstallItem& item : model.items())
            total += item.size;
        QCOMPARE(view.totalLabel()->text(), formatBytes(total));
        QVERIFY(view.moveButton()->isEnabled());

        // Leave the preferences out.
        UninstallItemRow* prefsRow = view.rows()[1];
        QCOMPARE(prefsRow->pathText(), prefs);
        prefsRow->checkBox()->click();
        QCOMPARE(prefsRow->opacity(), 0.5);
        QCOMPARE(view.selectAllButton()->title(), QString("Select All"));
        QCOMPARE(view.selectedCountLabel()->text(), QString("2 selected"));
        const qint64 freedExpected = model.totalSelectedSize();

        QSignalSpy removed(&model, &UninstallerModel::removalFinished);
        view.moveButton()->click();
        QVERIFY(model.isRemoving());
        QVERIFY(view.busyButton() && !view.busyButton()->isEnabled());
        QVERIFY(!view.moveButton());
        removeGate.release();
        QVERIFY(removed.wait(10000));
        QVERIFY(!model.app());
        QVERIFY(view.emptyState());
        QVERIFY(!QFileInfo::exists(app));
        QVERIFY(!QFileInfo::exists(cache));
        QVERIFY(QFileInfo::exists(prefs));
        QCOMPARE(appModel->history().size(), 1);
        const CleanRecord record = appModel->history().first();
        QCOMPARE(record.targetName, QString("Uninstalled Notes"));
        QCOMPARE(record.items->size(), 2);
        QVERIFY(record.freed >= freedExpected);
        QCOMPARE(view.messageLabel()->text(),
                 QString("Removed Notes — freed %1. Items are in the Trash.").arg(formatBytes(record.freed)));

        appModel->restore(record);
        QVERIFY(QFileInfo::exists(app + "/Contents/Info.plist"));
        QVERIFY(QFileInfo::exists(cache));
        QVERIFY(appModel->history().first().restored.value_or(false));
    }

    void protectedSystemApps_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("refused");
        QTest::newRow("in /System") << "/System/Applications/Calculator.app" << true;
        QTest::newRow("deep in /System") << "/System/Library/CoreServices/Finder.app" << true;
        QTest::newRow("the protected browser") << "/Applications/Safari.app" << true;
        QTest::newRow("with a trailing slash") << "/Applications/Safari.app/" << true;
        QTest::newRow("only begins like it") << "/Applications/Safari.app.old" << false;
        QTest::newRow("other letter case") << "/applications/safari.app" << false;
        QTest::newRow("/System itself is no prefix") << "/SystemX/A.app" << false;
    }
    // The real search and the real removal: after the leftovers are found, the folder holding one
    // is swapped for a link to Documents, where a folder of the same name lies; then the removal.
    // Nothing outside the pick moves, the message says so, nothing is recorded; unswapped, the
    // leftover goes and is recorded.
    void leftoverSwappedAfterTheSearch_data()
    {
        QTest::addColumn<bool>("swap");
        QTest::newRow("unswapped") << false;
        QTest::newRow("its folder, to Documents") << true;
    }

    void leftoverSwappedAfterTheSearch()
    {
        QFETCH(bool, swap);
        ModelFixture f;
        auto appModel = realModel(f);
        const QString app = makeApp(f.home, "Applications/Thesis.app", "Thesis", "com.example.thesis");
        const QString leftover = f.home.writeFile("Library/Caches/com.example.thesis/state.db", 8192);
        f.home.writeText("Documents/com.example.thesis/thesis.odt", "the user's thesis");
        UninstallerModel model;
        QVERIFY(loadAndWait(model, app));
        QCOMPARE(model.items().size(), 2);
        const UninstallItem cache = model.items().at(1);
        QCOMPARE(cache.path, f.home("Library/Caches/com.example.thesis"));
        model.setItemSelected(model.items().at(0).id, false);   // only the leftover
        if (swap)
            QVERIFY(f.home.swapForLink("Library/Caches", f.home("Documents")));

        QVERIFY(uninstallAndWait(model, *appModel));
        QCOMPARE(TestHome::contents(f.home("Documents/com.example.thesis/thesis.odt")), QByteArray("the user's thesis"));
        QVERIFY(QFileInfo(app).isDir());
        if (swap) {
            QVERIFY(appModel->history().isEmpty());
            QVERIFY2(model.resultMessage().value_or(QString()).endsWith("\nNot moved: ~/Library/Caches/com.example.thesis changed since the scan"),
                     qPrintable(model.resultMessage().value_or(QString())));
            QVERIFY(QDir(f.home(".local/share/Trash/files")).isEmpty());
        } else {
            QCOMPARE(appModel->history().size(), 1);
            QCOMPARE(appModel->history().first().items->first().original, cache.path);
            QVERIFY(!QFileInfo::exists(leftover));
        }
    }

    void protectedSystemApps()
    {
        QFETCH(QString, path);
        QFETCH(bool, refused);
        TestHome home;
        UninstallerModel::Services services;
        services.leftovers = [](const AppInfo&) { return QList<UninstallItem>(); };
        UninstallerModel model(services);
        const AppInfo shown{"Shown", std::nullopt, "/x/Shown.app"};
        model.setApp(shown);
        model.load(path);
        if (refused) {
            QCOMPARE(model.resultMessage(), std::optional<QString>("That's a protected system app and can't be removed."));
            QCOMPARE(model.app(), std::optional<AppInfo>(shown));   // nothing else changes
        } else {
            QVERIFY(!model.resultMessage());
            QVERIFY(model.app() && model.app()->appPath != shown.appPath);
        }
    }

    void selectionAndTotals()
    {
        TestHome home;
        UninstallerModel model;
        QVERIFY(!model.allSelected());   // no items: not all selected
        model.setItems({{QUuid::createUuid(), "Application", "/a.app", 3000, true},
                        {QUuid::createUuid(), "Logs", "/l", 500, false}});
        model.toggleSelectAll();
        QVERIFY(model.allSelected());
        QCOMPARE(model.totalSelectedSize(), qint64(3500));
        model.setItemSelected(model.items()[0].id, false);
        QCOMPARE(model.totalSelectedSize(), qint64(500));
        model.toggleSelectAll();
        QVERIFY(model.allSelected());
        model.toggleSelectAll();
        QVERIFY(model.selected().isEmpty());
        QCOMPARE(model.totalSelectedSize(), qint64(0));

        ModelFixture f;
        auto appModel = f.makeModel();
        UninstallerView view(*appModel, new UninstallerModel);
        view.uninstaller().setApp(AppInfo{"X", std::nullopt, "/x.app"});
        view.uninstaller().setItems(model.items());
        QCOMPARE(view.selectAllButton()->title(), QString("Select All"));
        QVERIFY(!view.moveButton()->isEnabled());
        QCOMPARE(view.selectedCountLabel()->text(), QString("0 selected"));
        QCOMPARE(view.totalLabel()->text(), QString("Zero KB"));
        // A click anywhere on a row switches it.
        UninstallItemRow* row = view.rows()[1];
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(row->width() / 2, row->height() / 2));
        QCOMPARE(view.uninstaller().selected(), QSet<QUuid>{model.items()[1].id});
        QVERIFY(view.moveButton()->isEnabled());
    }

    // Nothing moved, or nothing that measured: the message says so, and no history entry is made.
    void nothingRemoved()
    {
        ModelFixture f;
        auto appModel = f.makeModel();
        UninstallerModel::Services services;
        services.inspect = [](const QString& p) { return AppInfo{"Gone", std::nullopt, p}; };
        services.leftovers = [](const AppInfo& a) { return QList<UninstallItem>{{QUuid::createUuid(), "Application", a.appPath, 0, true}}; };
        services.remove = [](const QStringList&) { return Uninstaller::Removal{}; };
        UninstallerModel model(services);
        QVERIFY(loadAndWait(model, "/nowhere/Gone.app"));
        QVERIFY(uninstallAndWait(model, *appModel));
        QCOMPARE(model.resultMessage(), std::optional<QString>("Couldn't remove Gone."));
        QVERIFY(appModel->history().isEmpty());
        QVERIFY(!model.app());
        QVERIFY(!model.isRemoving());
    }

    // Items that take no space (an app of empty folders) still move to the Trash: the message
    // says they were removed, and the history entry puts them back.
    void zeroByteRemovalIsReported()
    {
        ModelFixture f;
        auto appModel = realModel(f);
        const QString app = f.home.mkdir("Applications/Hollow.app/Contents/MacOS");
        const QString bundle = f.home("Applications/Hollow.app");
        UninstallerModel model;
        QVERIFY(loadAndWait(model, bundle));
        QCOMPARE(model.items().size(), 1);
        QCOMPARE(model.items().first().size, qint64(0));
        QVERIFY(uninstallAndWait(model, *appModel));
        QVERIFY(!QFileInfo::exists(bundle));
        QCOMPARE(model.resultMessage(), std::optional<QString>("Removed Hollow. Items are in the Trash; About can put them back."));
        QCOMPARE(appModel->history().size(), 1);
        const CleanRecord record = appModel->history().first();
        QCOMPARE(record.freed, qint64(0));
        QVERIFY(record.items && record.items->size() == 1);
        appModel->restore(record);
        QVERIFY(QFileInfo(app).isDir());
    }

    // Names are shown as they are: no markup, no placeholder filled twice.
    void namesShowLiterally()
    {
        ModelFixture f;
        auto appModel = f.makeModel();
        const QString name = "50%1 %@ <b>x</b> %2";
        const QString app = makeApp(f.home, "Applications/Odd.app", name, "com.example.odd");
        UninstallerView view(*appModel);
        QVERIFY(loadAndWait(view.uninstaller(), app));
        QCOMPARE(view.appNameLabel()->text(), name);
        QCOMPARE(view.appNameLabel()->textFormat(), Qt::PlainText);
        QSignalSpy removed(&view.uninstaller(), &UninstallerModel::removalFinished);
        view.moveButton()->click();
        QTRY_COMPARE(removed.count(), 1);
        const QString freed = formatBytes(appModel->history().first().freed);
        QCOMPARE(view.messageLabel()->text(), "Removed " + name + " — freed " + freed + ". Items are in the Trash.");
        QCOMPARE(view.messageLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(appModel->history().first().targetName, "Uninstalled " + name);
    }

    void messageClearsOnlyItself()
    {
        ModelFixture f;
        auto appModel = f.makeModel();
        UninstallerModel::Services services;
        services.leftovers = [](const AppInfo& a) { return QList<UninstallItem>{{QUuid::createUuid(), "Application", a.appPath, 10, true}}; };
        services.remove = [](const QStringList& p) { return Uninstaller::Removal{4096, {{p.first(), "/trash/x"}}, {}}; };
        UninstallerModel model(services);
        model.message().setDelayMs(150);
        QVERIFY(loadAndWait(model, f.home("A.app")));
        QVERIFY(uninstallAndWait(model, *appModel));
        QVERIFY(model.resultMessage());
        // A refusal within the delay replaces it and is not cleared by the older timer.
        model.load("/System/Applications/X.app");
        QTest::qWait(300);
        QCOMPARE(model.resultMessage(), std::optional<QString>("That's a protected system app and can't be removed."));
        // Loading another app clears any message at once.
        QSignalSpy searched(&model, &UninstallerModel::searchFinished);
        model.load(f.home("B.app"));
        QVERIFY(!model.resultMessage());
        QTRY_COMPARE(searched.count(), 1);
        QVERIFY(uninstallAndWait(model, *appModel));
        QTRY_VERIFY_WITH_TIMEOUT(!model.resultMessage(), 3000);   // a result clears itself
    }

    // A search or removal started for an app that the user has since replaced never touches the
    // app now shown; the removal is still recorded and reported.
    void staleWorkLeavesTheNewAppAlone()
    {
        ModelFixture f;
        auto appModel = f.makeModel();
        QSemaphore searchGate, removeGate;
        UninstallerModel::Services services;
        services.inspect = [](const QString& p) { return AppInfo{Paths::lastComponent(p), std::nullopt, p}; };
        services.leftovers = [&searchGate](const AppInfo& a) {
            if (a.appPath.endsWith("Slow.app"))
                searchGate.acquire();
            return QList<UninstallItem>{{QUuid::createUuid(), "Application", a.appPath, 10, true}};
        };
        services.remove = [&removeGate](const QStringList& p) {
            removeGate.acquire();
            return Uninstaller::Removal{8192, {{p.first(), "/trash/" + Paths::lastComponent(p.first())}}, {}};
        };
        UninstallerModel model(services);

        // A slow search, then another app: the first result is dropped when it comes.
        QSignalSpy searched(&model, &UninstallerModel::searchFinished);
        model.load("/apps/Slow.app");
        model.reset();
        model.load("/apps/New.app");
        QTRY_COMPARE(searched.count(), 1);
        QCOMPARE(model.items().first().path, QString("/apps/New.app"));
        searchGate.release();
        QTRY_COMPARE(searched.count(), 2);
        QCOMPARE(model.items().size(), 1);
        QCOMPARE(model.items().first().path, QString("/apps/New.app"));
        QVERIFY(!model.isScanning());

        // A slow removal of New, then Other chosen: Other stays as it is, the removal is recorded.
        QSignalSpy removed(&model, &UninstallerModel::removalFinished);
        model.uninstall(*appModel);
        model.reset();
        QVERIFY(loadAndWait(model, "/apps/Other.app"));
        removeGate.release();
        QTRY_COMPARE(removed.count(), 1);
        QCOMPARE(model.app()->appPath, QString("/apps/Other.app"));
        QCOMPARE(model.items().first().path, QString("/apps/Other.app"));
        QCOMPARE(model.selected().size(), 1);
        QVERIFY(!model.isRemoving());
        QCOMPARE(appModel->history().size(), 1);
        QCOMPARE(appModel->history().first().targetName, QString("Uninstalled New.app"));
        QCOMPARE(model.resultMessage(),
                 std::optional<QString>(QString("Removed New.app — freed %1. Items are in the Trash.").arg(formatBytes(8192))));
    }

    void everyTextIsLegible_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<int>("fontPx");
        QTest::newRow("light") << false << 0;
        QTest::newRow("dark") << true << 0;
        QTest::newRow("dark, large font") << true << 21;
    }
    void everyTextIsLegible()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        if (fontPx > 0) {
            QFont font = m_font;
            font.setPixelSize(fontPx);
            QApplication::setFont(font);
        }
        ModelFixture f;
        auto appModel = f.makeModel();
        for (bool listed : {false, true}) {
            UninstallerView view(*appModel, new UninstallerModel);
            if (listed) {
                view.uninstaller().setApp(AppInfo{"Notes", QString("com.example.notes"), "/Applications/Notes.app"});
                const QUuid kept = QUuid::createUuid();
                view.uninstaller().setItems({{kept, "Application", "/Applications/Notes.app", 3'000'000, true},
                                             {QUuid::createUuid(), "App cache", f.home("Library/Caches/n"), 0, false}});
                view.uninstaller().setSelected({kept});   // one row dimmed
            } else {
                view.uninstaller().message().show("Removed Notes — freed 3 MB. Items are in the Trash.");
            }
            view.setAttribute(Qt::WA_DontShowOnScreen);
            view.show();
            settle();
            const QList<TextContrast::Text> texts = TextContrast::measure(&view);
            QVERIFY(texts.size() >= 4);
            const QString failed = TextContrast::failures(texts);
            QVERIFY2(failed.isEmpty(), qPrintable("\n" + failed));
        }
    }
};

QTEST_MAIN(tst_UninstallerWindow)
#include "tst_UninstallerWindow.moc"
