#include "TestHome.h"
#include "platform/LoginItemService.h"
#include "platform/ToolPaths.h"
#include "services/LaunchAgentManager.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <plist/plist.h>

#include <sys/stat.h>

namespace {

QByteArray agent(const QByteArray& inner)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + inner + "</dict></plist>\n";
}

QByteArray labelled(const QByteArray& label, const QByteArray& program = "/usr/bin/true")
{
    return agent("<key>Label</key><string>" + label + "</string><key>Program</key><string>" + program + "</string>");
}

// A home with launch agents and a fake launchctl that logs each call as "verb path".
struct AgentHome {
    TestHome home;
    StartupEntries::Format format = StartupEntries::launchAgents();
    QString log = home("launchctl.log");

    AgentHome()
    {
        home.mkdir("Library/LaunchAgents");
        const QString fake = home.writeText("bin/launchctl",
                                            "#!/bin/sh\nprintf '%s %s\\n' \"$1\" \"$2\" >> \"" + log.toUtf8()
                                                + "\"\n[ $# -eq 2 ] || echo WRONG-ARGC >> \"" + log.toUtf8() + "\"\n");
        QFile::setPermissions(fake, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ToolPaths::overrideForTesting(ToolPaths::Tool::Launchctl, fake);
    }
    ~AgentHome() { ToolPaths::overrideForTesting(ToolPaths::Tool::Launchctl, {}); }

    QString put(const QString& name, const QByteArray& text, bool disabled = false) const
    {
        return home.writeText(QStringLiteral("Library/LaunchAgents/") + (disabled ? "Disabled/" : "") + name, text);
    }
    QStringList calls() const
    {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    StartupItem find(const QString& label) const
    {
        for (const StartupItem& item : LaunchAgentManager::list(format))
            if (item.label == label)
                return item;
        return {};
    }
};

// Every path below `folder`, relative and sorted, links not followed.
QStringList tree(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

QStringList labels(const QList<StartupItem>& items)
{
    QStringList out;
    for (const StartupItem& i : items)
        out << i.label + (i.enabled ? "" : " (off)");
    return out;
}

} // namespace

class tst_LaunchAgentManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What a row shows of each kind of file: the label or the file's name, the program or "—".
    void readsLabelAndProgram_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("program");
        const QString none = QStringLiteral("—");
        QTest::newRow("Program wins over arguments")
            << agent("<key>Label</key><string>a</string><key>Program</key><string>/bin/p</string>"
                     "<key>ProgramArguments</key><array><string>/bin/q</string></array>")
            << "a"
            << "/bin/p";
        QTest::newRow("first argument") << agent("<key>Label</key><string>a</string><key>ProgramArguments</key>"
                                                 "<array><string>/bin/q</string><string>-x</string></array>")
                                        << "a"
                                        << "/bin/q";
        QTest::newRow("empty arguments") << agent(
            "<key>Label</key><string>a</string><key>ProgramArguments</key><array/>")
                                         << "a" << none;
        QTest::newRow("arguments not all strings")
            << agent("<key>Label</key><string>a</string><key>ProgramArguments</key>"
                     "<array><integer>1</integer><string>x</string></array>")
            << "a" << none;
        QTest::newRow("Program not a string")
            << agent("<key>Label</key><string>a</string><key>Program</key><integer>1</integer>") << "a" << none;
        QTest::newRow("no Label") << agent("<key>Program</key><string>/bin/p</string>") << "com.example.agent"
                                  << "/bin/p";
        QTest::newRow("Label not a string") << agent("<key>Label</key><true/>") << "com.example.agent" << none;
        QTest::newRow("malformed") << QByteArray("<plist><dict><key>Label") << "com.example.agent" << none;
        QTest::newRow("array at the top")
            << QByteArray("<plist version=\"1.0\"><array/></plist>") << "com.example.agent" << none;
    }
    void readsLabelAndProgram()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, label);
        QFETCH(QString, program);
        AgentHome h;
        h.put("com.example.agent.plist", text);
        const QList<StartupItem> items = LaunchAgentManager::list(h.format);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].label, label);
        QCOMPARE(items[0].program, program);
        QCOMPARE(items[0].fileName, QString("com.example.agent.plist"));
        QCOMPARE(items[0].id, h.home("Library/LaunchAgents/com.example.agent.plist"));
        QVERIFY(items[0].enabled);
    }

    void readsBinaryPropertyLists()
    {
        AgentHome h;
        plist_t dict = plist_new_dict();
        plist_dict_set_item(dict, "Label", plist_new_string("com.example.binary"));
        plist_t args = plist_new_array();
        plist_array_append_item(args, plist_new_string("/opt/bin/tool"));
        plist_dict_set_item(dict, "ProgramArguments", args);
        char* bin = nullptr;
        uint32_t len = 0;
        plist_to_bin(dict, &bin, &len);
        plist_free(dict);
        h.put("b.plist", QByteArray(bin, int(len)));
        free(bin);
        const QList<StartupItem> items = LaunchAgentManager::list(h.format);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].label, QString("com.example.binary"));
        QCOMPARE(items[0].program, QString("/opt/bin/tool"));
    }

    // Only names ending exactly in ".plist" are entries; odd files with such a name are listed
    // with fallbacks and without blocking.
    void listsEveryPlistNameAndNothingElse()
    {
        AgentHome h;
        h.put("a.plist", labelled("a"));
        h.put("UPPER.PLIST", labelled("upper"));
        h.put("notes.txt", labelled("notes"));
        h.put("a.plist.bak", labelled("bak"));
        h.home.mkdir("Library/LaunchAgents/folder.plist");
        QCOMPARE(::mkfifo(h.home("Library/LaunchAgents/fifo.plist").toLocal8Bit().constData(), 0600), 0);
        const QList<StartupItem> items = LaunchAgentManager::list(h.format);
        QCOMPARE(labels(items), (QStringList{"a", "fifo", "folder"}));
        QCOMPARE(items[1].program, QString("—"));
    }

    void sortsByLabelActiveFirst()
    {
        AgentHome h;
        h.put("1.plist", labelled("beta"));
        h.put("2.plist", labelled("Alpha"));
        h.put("3.plist", labelled("alpha two"));
        h.put("4.plist", labelled("Beta Two"));
        h.put("5.plist", labelled("aardvark"), true); // switched off: after every active one
        h.put("6.plist", labelled("Zulu"), true);
        QCOMPARE(labels(LaunchAgentManager::list(h.format)),
                 (QStringList{"Alpha", "alpha two", "beta", "Beta Two", "aardvark (off)", "Zulu (off)"}));
    }

    void switchesOffAndOnAgain()
    {
        AgentHome h;
        h.put("com.example.a.plist", labelled("com.example.a"));
        QVERIFY(!QFileInfo::exists(h.home("Library/LaunchAgents/Disabled"))); // made by the first switch-off
        const QString active = h.home("Library/LaunchAgents/com.example.a.plist");
        const QString disabled = h.home("Library/LaunchAgents/Disabled/com.example.a.plist");

        QVERIFY(LaunchAgentManager::setEnabled(false, h.find("com.example.a"), h.format));
        QVERIFY(!QFileInfo::exists(active));
        QVERIFY(QFileInfo::exists(disabled));
        QCOMPARE(h.calls(), QStringList{"unload " + active});
        const StartupItem off = h.find("com.example.a");
        QVERIFY(!off.enabled);
        QCOMPARE(off.id, disabled);

        QVERIFY(LaunchAgentManager::setEnabled(true, off, h.format));
        QVERIFY(QFileInfo::exists(active));
        QVERIFY(!QFileInfo::exists(disabled));
        QCOMPARE(h.calls(), (QStringList{"unload " + active, "load " + active}));
        QVERIFY(h.find("com.example.a").enabled);
    }

    void refusesToReplaceAFileOfTheSameName()
    {
        AgentHome h;
        h.put("a.plist", labelled("a"));
        h.put("a.plist", "other file", true);
        const StartupItem item = h.find("a");
        QVERIFY(!LaunchAgentManager::setEnabled(false, item, h.format));
        // Unloaded all the same, but left where it was, and the other file untouched.
        QCOMPARE(h.calls(), QStringList{"unload " + item.id});
        QVERIFY(QFileInfo::exists(item.id));
        QFile other(h.home("Library/LaunchAgents/Disabled/a.plist"));
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), QByteArray("other file"));
    }

    void alreadyInPlaceDoesNothing()
    {
        AgentHome h;
        h.put("a.plist", labelled("a"));
        h.put("b.plist", labelled("b"), true);
        QVERIFY(LaunchAgentManager::setEnabled(true, h.find("a"), h.format));
        QVERIFY(LaunchAgentManager::setEnabled(false, h.find("b"), h.format));
        QCOMPARE(h.calls(), QStringList{});
    }

    // An item is moved only between the two folders and only under its own name.
    void refusesItemsFromElsewhere()
    {
        AgentHome h;
        const QString outside = h.home.writeText("elsewhere/x.plist", labelled("x"));
        StartupItem forged{outside, "x", "/bin/x", true, "x.plist"};
        QVERIFY(!LaunchAgentManager::setEnabled(false, forged, h.format));
        StartupItem dotted{h.home("Library/LaunchAgents/../x.plist"), "x", "/bin/x", true, "../x.plist"};
        QVERIFY(!LaunchAgentManager::setEnabled(false, dotted, h.format));
        QVERIFY(QFileInfo::exists(outside));
        QCOMPARE(h.calls(), QStringList{});
    }

    // A start-up folder or "Disabled" folder that was replaced by a link to elsewhere is not
    // followed: neither switch moves anything there or out of there, nor makes a folder there.
    void refusesFoldersReplacedByLinks_data()
    {
        QTest::addColumn<QString>("linked");
        QTest::newRow("start-up folder") << "Library/LaunchAgents";
        QTest::newRow("Disabled folder") << "Library/LaunchAgents/Disabled";
    }
    void refusesFoldersReplacedByLinks()
    {
        QFETCH(QString, linked);
        AgentHome h;
        const QString agents = h.home("Library/LaunchAgents");
        const bool wholeFolder = linked == "Library/LaunchAgents";
        h.home.writeText("elsewhere/there.plist", labelled("there"));
        if (wholeFolder) {
            h.home.writeText("elsewhere/Disabled/off.plist", labelled("off"));
            QVERIFY(QDir(h.home("Library")).rmdir("LaunchAgents"));
        } else {
            h.put("here.plist", labelled("here"));
        }
        h.home.symlink(linked, h.home("elsewhere"));
        const QStringList before = tree(h.home("elsewhere"));

        // The listing reads through the link; switching refuses it, both ways.
        QList<StartupItem> items = LaunchAgentManager::list(h.format);
        QCOMPARE(items.size(), 2);
        for (const StartupItem& item : items) {
            QVERIFY2(!LaunchAgentManager::setEnabled(!item.enabled, item, h.format), qPrintable(item.id));
            if (item.label == "here")
                QVERIFY(QFileInfo::exists(item.id));
        }
        QCOMPARE(tree(h.home("elsewhere")), before);
        QVERIFY(!TestHome::lexists(agents + "/off.plist"));
        if (!wholeFolder)
            QVERIFY(!TestHome::lexists(agents + "/there.plist"));
    }

    // The config folder is the user's own setting and may lie behind a link (a dotfiles folder);
    // below it, the autostart entries are written in place.
    void autostartBehindALinkedConfigFolder()
    {
        AgentHome h;
        const QString entry =
            h.home.writeText("dotfiles/config/autostart/chat.desktop", "[Desktop Entry]\nName=Chat\nExec=chat\n");
        h.home.symlink("config-link", h.home("dotfiles/config"));
        qputenv("XDG_CONFIG_HOME", h.home("config-link").toLocal8Bit());
        const StartupEntries::Format format = StartupEntries::autostart();
        QCOMPARE(format.folder, h.home("dotfiles/config/autostart"));
        QList<StartupItem> items = LaunchAgentManager::list(format);
        QCOMPARE(labels(items), QStringList{"Chat"});
        QVERIFY(LaunchAgentManager::setEnabled(false, items[0], format));
        QCOMPARE(TestHome::contents(entry), QByteArray("[Desktop Entry]\nName=Chat\nExec=chat\nHidden=true\n"));
        items = LaunchAgentManager::list(format);
        QCOMPARE(labels(items), QStringList{"Chat (off)"});
        QVERIFY(LaunchAgentManager::setEnabled(true, items[0], format));
        QCOMPARE(TestHome::contents(entry), QByteArray("[Desktop Entry]\nName=Chat\nExec=chat\n"));
    }

    void launchctlGetsExactlyVerbAndPath()
    {
        AgentHome h;
        LaunchAgentManager::launchctl("unload", h.home("Library/LaunchAgents/with space; $(x).plist"));
        QCOMPARE(h.calls(), QStringList{"unload " + h.home("Library/LaunchAgents/with space; $(x).plist")});
        // A launchctl that cannot be started is passed over.
        ToolPaths::overrideForTesting(ToolPaths::Tool::Launchctl, h.home("no/such/launchctl"));
        LaunchAgentManager::launchctl("load", h.home("x.plist"));
    }

    // Off macOS the desktop's autostart entries stand in: Name and the first word of Exec, and
    // no launchctl at all.
    void autostartEntriesRead()
    {
        AgentHome h;
        const StartupEntries::Format format = StartupEntries::autostart();
        QCOMPARE(format.folder, h.home(".config/autostart"));
        QCOMPARE(format.systemFolders, QStringList{h.home("etc/xdg/autostart")});
        h.home.writeText(".config/autostart/chat.desktop",
                         "[Desktop Entry]\nType=Application\nName=Chat\nExec=" + h.home.path().toUtf8()
                             + "/bin/chat %U\n");
        h.home.writeText(".config/autostart/noname.desktop", "[Desktop Entry]\nExec=\n");
        h.home.writeText(".config/autostart/ignored.plist", labelled("plist"));
        QList<StartupItem> items = LaunchAgentManager::list(format);
        QCOMPARE(labels(items), (QStringList{"Chat", "noname"}));
        QCOMPARE(items[0].program, h.home("bin/chat"));
        QCOMPARE(items[1].program, QString("—"));
        QVERIFY(LaunchAgentManager::setEnabled(false, items[0], format));
        QCOMPARE(labels(LaunchAgentManager::list(format)), (QStringList{"noname", "Chat (off)"}));
        QCOMPARE(h.calls(), QStringList{});
    }

    // The autostart rules: a user entry stands in for the system entry of its name, "Hidden=true"
    // and "X-GNOME-Autostart-enabled=false" switch an entry off, and switching writes those keys
    // into a user entry (never into the system's). Each row: the entry as found, then switched
    // once and back again.
    void autostartSwitching_data()
    {
        QTest::addColumn<QByteArray>("user"); // .config/autostart/e.desktop (null: none)
        QTest::addColumn<QByteArray>("system"); // etc/xdg/autostart/e.desktop
        QTest::addColumn<QByteArray>("disabled"); // .config/autostart/Disabled/e.desktop (earlier versions)
        QTest::addColumn<bool>("on"); // as listed at first
        QTest::addColumn<QByteArray>("user1"); // the user entry after the first switch (null: none)
        QTest::addColumn<QByteArray>("user2"); // and after switching back
        const QByteArray none;
        const QByteArray chat = "[Desktop Entry]\nType=Application\nName=Chat\nExec=chat --tray\n";
        const QByteArray chatHidden = "[Desktop Entry]\nType=Application\nName=Chat\nExec=chat --tray\nHidden=true\n";
        const QByteArray action = "\n[Desktop Action quit]\nName=Quit\nExec=chat --quit\nHidden=true\n";
        QTest::newRow("user entry") << chat << none << none << true << chatHidden << chat;
        QTest::newRow("user entry with an action group")
            << chat + action << none << none << true << chatHidden + action << chat + action;
        QTest::newRow("system entry") << none << chat << none << true << chatHidden << none;
        QTest::newRow("user copy hiding a system entry") << chatHidden << chat << none << false << none << chatHidden;
        QTest::newRow("user stub hiding a system entry")
            << QByteArray("[Desktop Entry]\nHidden=true\n") << chat << none << false << none << chatHidden;
        QTest::newRow("user override of its own, hidden")
            << QByteArray("[Desktop Entry]\nName=Chat\nExec=chat --quiet\nHidden=true\n") << chat << none << false
            << QByteArray("[Desktop Entry]\nName=Chat\nExec=chat --quiet\n")
            << QByteArray("[Desktop Entry]\nName=Chat\nExec=chat --quiet\nHidden=true\n");
        QTest::newRow("GNOME key") << QByteArray(
            "[Desktop Entry]\nName=Chat\nExec=chat --tray\nX-GNOME-Autostart-enabled=false\n")
                                   << none << none << false
                                   << QByteArray("[Desktop Entry]\nName=Chat\nExec=chat --tray\n")
                                   << QByteArray("[Desktop Entry]\nName=Chat\nExec=chat --tray\nHidden=true\n");
        QTest::newRow("system entry switched off for everyone")
            << none << chatHidden << none << false << chat << chatHidden;
        QTest::newRow("old Disabled entry") << none << none << chat << false << chat << chatHidden;
    }
    void autostartSwitching()
    {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, system);
        QFETCH(QByteArray, disabled);
        QFETCH(bool, on);
        QFETCH(QByteArray, user1);
        QFETCH(QByteArray, user2);
        AgentHome h;
        const StartupEntries::Format format = StartupEntries::autostart();
        const QString userPath = h.home(".config/autostart/e.desktop");
        const QString systemPath = h.home("etc/xdg/autostart/e.desktop");
        const QString disabledPath = h.home(".config/autostart/Disabled/e.desktop");
        h.home.mkdir(".config/autostart");
        if (!user.isNull())
            h.home.writeText(".config/autostart/e.desktop", user);
        if (!system.isNull())
            h.home.writeText("etc/xdg/autostart/e.desktop", system);
        if (!disabled.isNull())
            h.home.writeText(".config/autostart/Disabled/e.desktop", disabled);
        const auto userFile = [&] { return TestHome::lexists(userPath) ? TestHome::contents(userPath) : QByteArray(); };

        QList<StartupItem> items = LaunchAgentManager::list(format);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].label, QString("Chat")); // a user stub shows the system entry's name
        QCOMPARE(items[0].enabled, on);
        QVERIFY(LaunchAgentManager::setEnabled(!on, items[0], format));
        QCOMPARE(userFile(), user1);
        QVERIFY(!TestHome::lexists(disabledPath));
        items = LaunchAgentManager::list(format);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].enabled, !on);
        QVERIFY(LaunchAgentManager::setEnabled(on, items[0], format));
        QCOMPARE(userFile(), user2);
        items = LaunchAgentManager::list(format);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].enabled, on);
        // Asked for the state it is in: nothing changes.
        QVERIFY(LaunchAgentManager::setEnabled(on, items[0], format));
        QCOMPARE(userFile(), user2);
        // The system's entry is never written.
        QCOMPARE(TestHome::lexists(systemPath) ? TestHome::contents(systemPath) : QByteArray(), system);
        QCOMPARE(h.calls(), QStringList{});
    }

    // A user entry that is a link (kept in a dotfiles folder) is read, but never replaced by a copy.
    void autostartLinkIsNotReplaced()
    {
        AgentHome h;
        const QString kept = h.home.writeText("dotfiles/chat.desktop", "[Desktop Entry]\nName=Chat\nExec=chat\n");
        h.home.mkdir(".config/autostart");
        h.home.symlink(".config/autostart/chat.desktop", kept);
        const StartupEntries::Format format = StartupEntries::autostart();
        const QList<StartupItem> items = LaunchAgentManager::list(format);
        QCOMPARE(labels(items), QStringList{"Chat"});
        QVERIFY(!LaunchAgentManager::setEnabled(false, items[0], format));
        QVERIFY(QFileInfo(h.home(".config/autostart/chat.desktop")).isSymLink());
        QCOMPARE(TestHome::contents(kept), QByteArray("[Desktop Entry]\nName=Chat\nExec=chat\n"));
    }

    // Dustlet's own entry: the login item and the startup items window read it alike, and the
    // login item switched off keeps a system entry of its name from starting the program.
    void loginItemAgreesWithTheStartupWindow_data()
    {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("system");
        QTest::addColumn<bool>("enabled");
        const QByteArray none;
        const QByteArray entry = "[Desktop Entry]\nType=Application\nName=Dustlet\nExec=dustlet\n";
        QTest::newRow("no entry") << none << none << false;
        QTest::newRow("user entry") << entry << none << true;
        QTest::newRow("user entry, hidden") << entry + "Hidden=true\n" << none << false;
        QTest::newRow("user entry, GNOME off") << entry + "X-GNOME-Autostart-enabled=false\n" << none << false;
        QTest::newRow("system entry") << none << entry << true;
        QTest::newRow("system entry hidden by the user")
            << QByteArray("[Desktop Entry]\nHidden=true\n") << entry << false;
    }
    void loginItemAgreesWithTheStartupWindow()
    {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, system);
        QFETCH(bool, enabled);
        AgentHome h;
        const StartupEntries::Format format = StartupEntries::autostart();
        const QString name = "app.dustlet.Test.desktop";
        if (!user.isNull())
            h.home.writeText(".config/autostart/" + name, user);
        if (!system.isNull())
            h.home.writeText("etc/xdg/autostart/" + name, system);
        AutostartLoginItem login(format.folder, "app.dustlet.Test", "/usr/bin/dustlet");
        const auto listed = [&]() -> std::optional<bool> {
            const QList<StartupItem> items = LaunchAgentManager::list(format);
            if (items.isEmpty())
                return std::nullopt;
            return items.first().enabled;
        };
        QCOMPARE(login.isEnabled(), enabled);
        QCOMPARE(listed().value_or(false), enabled);

        QCOMPARE(login.setEnabled(false), std::optional<QString>());
        QVERIFY(!login.isEnabled());
        QCOMPARE(listed().value_or(false), false);
        // With a system entry the user's entry stays and hides it; without one it is gone.
        QCOMPARE(TestHome::lexists(h.home(".config/autostart/" + name)), !system.isNull());
        QCOMPARE(TestHome::contents(h.home("etc/xdg/autostart/" + name)), system);

        QCOMPARE(login.setEnabled(true), std::optional<QString>());
        QVERIFY(login.isEnabled());
        QCOMPARE(listed(), std::optional<bool>(true));
        QVERIFY(TestHome::contents(h.home(".config/autostart/" + name)).contains("\nIcon=dustlet\n"));
    }

    void missingFoldersListNothing()
    {
        TestHome home;
        QVERIFY(LaunchAgentManager::list(StartupEntries::launchAgents()).isEmpty());
        QVERIFY(LaunchAgentManager::list(StartupEntries::autostart()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_LaunchAgentManager)
#include "tst_LaunchAgentManager.moc"
