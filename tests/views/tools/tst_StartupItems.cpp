// The startup items window over a test home: listing, switching with the spinner on the busy
// row, what a row shows, the reveal and login-items buttons, and the empty state.
#include "ModelAndUpdater.h"
#include "TestHome.h"
#include "platform/Bundle.h"
#include "platform/ToolPaths.h"
#include "platform/ui/FileManagerShell.h"
#include "services/LoginItem.h"
#include "views/components/EmptyState.h"
#include "views/components/LinkButton.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/ToggleSwitch.h"
#include "views/settings/SettingsView.h"
#include "views/tools/StartupItemsModel.h"
#include "views/tools/StartupItemsView.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray agent(const QByteArray& label, const QByteArray& program)
{
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Label</key><string>" + label
        + "</string><key>Program</key><string>" + program + "</string></dict></plist>";
}

// A test home with launch agents and a fake launchctl that logs its calls; with `gate`, each
// call waits until that file exists (so a switch stays busy until the test lets it go).
struct Fixture {
    TestHome home;
    StartupEntries::Format format = StartupEntries::launchAgents();
    QString log = home("launchctl.log");
    QString gate = home("gate");

    explicit Fixture(bool gated = false)
    {
        home.mkdir("Library/LaunchAgents");
        QByteArray script = "#!/bin/sh\n";
        if (gated)
            script += "while [ ! -e '" + gate.toUtf8() + "' ]; do sleep 0.02; done\n";
        script += "echo \"$1 $2\" >> '" + log.toUtf8() + "'\n";
        const QString fake = home.writeText("bin/launchctl", script);
        QFile::setPermissions(fake, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ToolPaths::overrideForTesting(ToolPaths::Tool::Launchctl, fake);
    }
    ~Fixture()
    {
        ToolPaths::overrideForTesting(ToolPaths::Tool::Launchctl, {});
        FileManagerShell::setHandlerForTesting({});
    }
    QString put(const QString& name, const QByteArray& text, bool disabled = false) const
    {
        return home.writeText(QStringLiteral("Library/LaunchAgents/") + (disabled ? "Disabled/" : "") + name, text);
    }
    StartupItemsView* view() const
    {
        auto* v = new StartupItemsView(new StartupItemsModel(format));
        v->model().load();
        return v;
    }
};

QStringList shown(const StartupItemsView& view)
{
    QStringList out;
    for (StartupItemRow* r : view.rows())
        out << r->item().label + (r->item().enabled ? "" : " (off)");
    return out;
}

// The row under `point` of the view, or none (rows made anew are shown first).
StartupItemRow* rowAt(const StartupItemsView& view, const QPoint& point)
{
    QCoreApplication::processEvents();
    for (QWidget* w = view.childAt(point); w; w = w->parentWidget())
        if (auto* row = qobject_cast<StartupItemRow*>(w))
            return row;
    return nullptr;
}

// A click at `point` of the view, on whatever lies there once the rows are laid out (a switch
// rebuilds them, and their layout is settled by a posted event).
void clickAt(StartupItemsView& view, const QPoint& point)
{
    QCoreApplication::processEvents();
    QWidget* target = view.childAt(point);
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&view, point));
}

} // namespace

class tst_StartupItems : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void switchingOffAndOnMovesTheEntry()
    {
        Fixture f(true);
        f.put("a.plist", agent("Alpha", "/bin/a"));
        f.put("c.plist", agent("Charlie", "/bin/c"));
        f.put("b.plist", agent("bravo", "/bin/b"), true);
        std::unique_ptr<StartupItemsView> view(f.view());
        QCOMPARE(shown(*view), (QStringList{"Alpha", "Charlie", "bravo (off)"}));
        StartupItemRow* off = view->rowFor(f.home("Library/LaunchAgents/Disabled/b.plist"));
        QVERIFY(off);
        QCOMPARE(off->opacity(), 0.5);
        QVERIFY(!off->toggle()->isChecked());
        QCOMPARE(view->rowFor(f.home("Library/LaunchAgents/a.plist"))->opacity(), 1.0);

        // Switching on: only that row spins, the others keep their switches.
        QSignalSpy done(&view->model(), &StartupItemsModel::toggled);
        off->toggle()->click();
        StartupItemRow* busy = view->rowFor(f.home("Library/LaunchAgents/Disabled/b.plist"));
        QVERIFY(busy && busy->spinner() && !busy->toggle());
        for (StartupItemRow* r : view->rows())
            if (r != busy)
                QVERIFY(r->toggle() && !r->spinner());
        QFile(f.gate).open(QIODevice::WriteOnly);
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(shown(*view), (QStringList{"Alpha", "Charlie", "bravo"})); // in its place while open
        StartupItemRow* on = view->rowFor(f.home("Library/LaunchAgents/b.plist"));
        QVERIFY(on && on->toggle()->isChecked());
        QCOMPARE(on->opacity(), 1.0);
        QVERIFY(!view->model().busyID());
        view->model().load(); // listed again: sorted into the active group
        QCOMPARE(shown(*view), (QStringList{"Alpha", "bravo", "Charlie"}));

        // And off again.
        view->rowFor(f.home("Library/LaunchAgents/b.plist"))->toggle()->click();
        QTRY_COMPARE(done.count(), 2);
        QCOMPARE(shown(*view), (QStringList{"Alpha", "bravo (off)", "Charlie"}));
        QVERIFY(QFileInfo::exists(f.home("Library/LaunchAgents/Disabled/b.plist")));
    }

    // The list stands still under the pointer: a switch changes its own row only, so a second
    // click at the same place switches the same entry back. Opening the window again sorts it.
    void theRowUnderThePointerStaysAfterASwitch()
    {
        Fixture f;
        f.put("a.plist", agent("Alpha", "/bin/a"));
        f.put("b.plist", agent("Bravo", "/bin/b"));
        f.put("c.plist", agent("Charlie", "/bin/c"), true);
        std::unique_ptr<StartupItemsView> view(f.view());
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        ToggleSwitch* first = view->rows().first()->toggle();
        const QPoint point = first->mapTo(view.get(), first->rect().center());
        QCOMPARE(rowAt(*view, point)->item().label, QString("Alpha"));

        QSignalSpy done(&view->model(), &StartupItemsModel::toggled);
        clickAt(*view, point);
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(shown(*view), (QStringList{"Alpha (off)", "Bravo", "Charlie (off)"}));
        QCOMPARE(rowAt(*view, point)->item().label, QString("Alpha"));
        clickAt(*view, point);
        QTRY_COMPARE(done.count(), 2);
        QCOMPARE(shown(*view), (QStringList{"Alpha", "Bravo", "Charlie (off)"}));
        QVERIFY(QFileInfo::exists(f.home("Library/LaunchAgents/a.plist")));
        QVERIFY(QFileInfo::exists(f.home("Library/LaunchAgents/b.plist")));

        clickAt(*view, point);
        QTRY_COMPARE(done.count(), 3);
        QCOMPARE(shown(*view), (QStringList{"Alpha (off)", "Bravo", "Charlie (off)"}));
        view->hide();
        view->show();
        QCOMPARE(shown(*view), (QStringList{"Bravo", "Alpha (off)", "Charlie (off)"}));
    }

    // A failed move leaves the entry as it is on disk, and the window says so by its listing.
    void aFailedSwitchShowsWhatIsOnDisk()
    {
        Fixture f;
        f.put("a.plist", agent("Alpha", "/bin/a"));
        f.put("a.plist", "someone else's", true);
        std::unique_ptr<StartupItemsView> view(f.view());
        QSignalSpy done(&view->model(), &StartupItemsModel::toggled);
        view->rowFor(f.home("Library/LaunchAgents/a.plist"))->toggle()->click();
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(shown(*view), (QStringList{"Alpha", "a (off)"}));
        QVERIFY(view->rowFor(f.home("Library/LaunchAgents/a.plist"))->toggle()->isChecked());
    }

    // Listed again while open, each entry keeps its row: matched by its path, or by its file name
    // where the switch moved it.
    void refreshKeepsTheShownOrder_data()
    {
        QTest::addColumn<QStringList>("shown"); // "path" of each row, as "folder/name"
        QTest::addColumn<QStringList>("fresh");
        QTest::addColumn<QStringList>("result");
        QTest::newRow("nothing changed, shown unsorted")
            << QStringList{"A/b", "A/a"} << QStringList{"A/a", "A/b"} << QStringList{"A/b", "A/a"};
        QTest::newRow("moved to the other folder")
            << QStringList{"A/a", "A/b"} << QStringList{"A/b", "Off/a"} << QStringList{"Off/a", "A/b"};
        QTest::newRow("a system entry now stood in for by the user's")
            << QStringList{"Sys/x", "A/a"} << QStringList{"A/a", "A/x"} << QStringList{"A/x", "A/a"};
        QTest::newRow("one name in both folders keeps each its own")
            << QStringList{"Off/a", "A/a"} << QStringList{"A/a", "Off/a"} << QStringList{"Off/a", "A/a"};
        QTest::newRow("gone and new") << QStringList{"A/a", "A/b", "A/c"} << QStringList{"A/c", "A/d", "A/a"}
                                      << QStringList{"A/a", "A/c", "A/d"};
    }
    void refreshKeepsTheShownOrder()
    {
        QFETCH(QStringList, shown);
        QFETCH(QStringList, fresh);
        QFETCH(QStringList, result);
        const auto items = [](const QStringList& paths) {
            QList<StartupItem> out;
            for (const QString& p : paths)
                out.append({p, p.section('/', 1), "—", !p.startsWith("Off"), p.section('/', 1)});
            return out;
        };
        QStringList ids;
        for (const StartupItem& item : StartupItemsModel::inShownOrder(items(shown), items(fresh)))
            ids << item.id;
        QCOMPARE(ids, result);
    }

    // Launch at login has one state that the settings window and this window both follow while
    // they are open: switched in either, the other shows it at once; changed on disk by another
    // program, it shows when either window is activated.
    void settingsAndTheStartupWindowAgree()
    {
        ModelAndUpdater env; // a test home of its own
        LoginItem::setServiceForTesting(nullptr); // the real autostart entry
        const QString entry = QStringLiteral(".config/autostart/") + Bundle::identifier() + ".desktop";
        SettingsView settings(env.model->settings(), *env.model, *env.updater);
        StartupItemsView startup(new StartupItemsModel(StartupEntries::autostart()));
        settings.show();
        startup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&startup));
        QVERIFY(!settings.loginSwitch()->isChecked());
        QVERIFY(startup.rows().isEmpty());

        // Switched on in the settings: listed in the startup window.
        settings.loginSwitch()->click();
        QVERIFY(QFileInfo::exists(env.fx.home(entry)));
        QTRY_COMPARE(shown(startup), QStringList{"Dustlet"});

        // Switched off and on in the startup window: the settings follow.
        QSignalSpy done(&startup.model(), &StartupItemsModel::toggled);
        startup.rows().first()->toggle()->click();
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(shown(startup), QStringList{"Dustlet (off)"});
        QTRY_VERIFY(!settings.loginSwitch()->isChecked());
        startup.rows().first()->toggle()->click();
        QTRY_COMPARE(done.count(), 2);
        QCOMPARE(shown(startup), QStringList{"Dustlet"});
        QTRY_VERIFY(settings.loginSwitch()->isChecked());

        // Switched off in the settings: the entry is gone, and so is its row.
        settings.loginSwitch()->click();
        QVERIFY(!QFileInfo::exists(env.fx.home(entry)));
        QTRY_VERIFY(startup.rows().isEmpty());

        // Another program writes the entry: the settings window shows it when activated, and the
        // startup window with it.
        env.fx.home.writeText(entry, "[Desktop Entry]\nType=Application\nName=Dustlet\nExec=dustlet\n");
        settings.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&settings));
        QTRY_VERIFY(settings.loginSwitch()->isChecked());
        QTRY_COMPARE(shown(startup), QStringList{"Dustlet"});

        // Another program hides it: the startup window shows it when activated, and the settings.
        env.fx.home.writeText(entry, "[Desktop Entry]\nType=Application\nName=Dustlet\nExec=dustlet\nHidden=true\n");
        startup.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&startup));
        QTRY_COMPARE(shown(startup), QStringList{"Dustlet (off)"});
        QTRY_VERIFY(!settings.loginSwitch()->isChecked());
    }

    void rowsShowTextsAsTheyAre()
    {
        Fixture f;
        const QByteArray home = f.home.path().toUtf8();
        f.put("1.plist", agent("In home", home + "/bin/tool"));
        f.put("2.plist", agent("Elsewhere", "/mnt" + home + "/bin/tool")); // home further in: kept
        f.put("3.plist", agent("Longer name", home + "x/bin/tool")); // not the home folder
        f.put("4.plist", agent("&lt;b&gt;50%1 %2&lt;/b&gt;", "/bin/x"));
        std::unique_ptr<StartupItemsView> view(f.view());
        QCOMPARE(view->rowFor(f.home("Library/LaunchAgents/1.plist"))->programText(), QString("~/bin/tool"));
        QCOMPARE(view->rowFor(f.home("Library/LaunchAgents/2.plist"))->programText(),
                 "/mnt" + f.home.path() + "/bin/tool");
        QCOMPARE(view->rowFor(f.home("Library/LaunchAgents/3.plist"))->programText(), f.home.path() + "x/bin/tool");
        StartupItemRow* odd = view->rowFor(f.home("Library/LaunchAgents/4.plist"));
        QCOMPARE(odd->item().label, QString("<b>50%1 %2</b>"));
        QCOMPARE(odd->toggle()->accessibleName(), QString("<b>50%1 %2</b>"));
    }

    void revealAndLoginItems()
    {
        Fixture f;
        f.put("a.plist", agent("Alpha", "/bin/a"));
        f.put("b.plist", agent("Bravo", "/bin/b"), true);
        QList<std::pair<FileManagerShell::Action, QString>> asked;
        FileManagerShell::setHandlerForTesting([&](FileManagerShell::Action a, const QString& what) {
            asked.append({a, what});
        });
        std::unique_ptr<StartupItemsView> view(f.view());
        for (StartupItemRow* r : view->rows())
            r->revealButton()->click();
        QVERIFY(view->loginItemsButton());
        view->loginItemsButton()->click();
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[0], std::make_pair(FileManagerShell::Action::Reveal, f.home("Library/LaunchAgents/a.plist")));
        QCOMPARE(asked[1],
                 std::make_pair(FileManagerShell::Action::Reveal, f.home("Library/LaunchAgents/Disabled/b.plist")));
        QCOMPARE(asked[2].first, FileManagerShell::Action::OpenUrl);
        QVERIFY(asked[2].second.contains("LoginItems"));
        QCOMPARE(view->footerNote()->text(), QString("App login items are managed by macOS."));

        // The desktops' autostart folder has no such pane: no button that would do nothing.
        StartupItemsView autostart(new StartupItemsModel(StartupEntries::autostart()));
        QVERIFY(!autostart.loginItemsButton());
        QVERIFY(!autostart.footerNote()->text().isEmpty());
    }

    void emptyStateKeepsTheFooter()
    {
        Fixture f;
        std::unique_ptr<StartupItemsView> view(f.view());
        view->show();
        QVERIFY(view->emptyState()->isVisible());
        QCOMPARE(view->emptyState()->titleText(), QString("No background items"));
        QVERIFY(view->footerNote()->isVisible());
        QVERIFY(view->rows().isEmpty());
        // Shown again after an entry appeared: it lists afresh.
        f.put("a.plist", agent("Alpha", "/bin/a"));
        view->hide();
        view->show();
        QCOMPARE(shown(*view), QStringList{"Alpha"});
        QVERIFY(!view->emptyState()->isVisible());
    }
};

QTEST_MAIN(tst_StartupItems)
#include "tst_StartupItems.moc"
