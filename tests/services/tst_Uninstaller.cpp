#include "TestHome.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "services/SafetyRule.h"
#include "services/Uninstaller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An app bundle at `relative` in the home folder, with an Info.plist holding the given keys
// (a key with a null value is left out; without any key there is no Info.plist at all).
QString makeApp(const TestHome& home, const QString& relative, const std::optional<QString>& name,
                const std::optional<QString>& identifier)
{
    const QString app = home.mkdir(relative);
    QByteArray keys;
    if (name)
        keys += "<key>CFBundleName</key><string>" + name->toHtmlEscaped().toUtf8() + "</string>";
    if (identifier)
        keys += "<key>CFBundleIdentifier</key><string>" + identifier->toHtmlEscaped().toUtf8() + "</string>";
    if (name || identifier)
        home.writeText(relative + "/Contents/Info.plist",
                       "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + keys + "</dict></plist>");
    home.writeFile(relative + "/Contents/MacOS/app", 8192);
    return app;
}

QStringList labelsOf(const QList<UninstallItem>& items)
{
    QStringList out;
    for (const UninstallItem& i : items)
        out << i.label;
    return out;
}

QStringList pathsOf(const QList<UninstallItem>& items)
{
    QStringList out;
    for (const UninstallItem& i : items)
        out << i.path;
    return out;
}

// The folder each kind of leftover must lie directly in (the app itself may lie anywhere).
QString folderOf(const QString& label, const QString& path, const QString& library)
{
    static const QHash<QString, QStringList> folders = {
        {"Preferences", {"Preferences"}},
        {"App cache", {"Caches"}},
        {"Application support", {"Application Support"}},
        {"Container", {"Containers"}},
        {"Saved state", {"Saved Application State"}},
        {"Logs", {"Logs"}},
        {"Web storage", {"HTTPStorages"}},
        {"WebKit data", {"WebKit"}},
        {"Cookies", {"Cookies"}},
        {"App scripts", {"Application Scripts"}},
        {"Group container", {"Group Containers"}},
        {"Launch agent", {"LaunchAgents"}},
    };
    const QString parent = QFileInfo(path).path();
    for (const QString& f : folders.value(label))
        if (parent == library + "/" + f)
            return parent;
    return {};
}

} // namespace

class tst_Uninstaller : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inspectReadsTheBundleOrFallsBackToTheFileName()
    {
        TestHome home;
        const QString full = makeApp(home, "Applications/Full.app", QString("Full Name"), QString("com.example.full"));
        QCOMPARE(Uninstaller::inspect(full), (AppInfo{"Full Name", QString("com.example.full"), full}));
        // No Info.plist: every ".app" of the file name goes, not only the last.
        const QString bare = makeApp(home, "Applications/My.apple.app", std::nullopt, std::nullopt);
        QCOMPARE(Uninstaller::inspect(bare), (AppInfo{"Myle", std::nullopt, bare}));
        // Identifier only: the name still comes from the file name.
        const QString idOnly = makeApp(home, "Applications/Id.app", std::nullopt, QString("com.example.id"));
        QCOMPARE(Uninstaller::inspect(idOnly), (AppInfo{"Id", QString("com.example.id"), idOnly}));
        // Not a folder at all.
        const QString file = home.writeText("Applications/File.app", "x");
        QCOMPARE(Uninstaller::inspect(file), (AppInfo{"File", std::nullopt, file}));
    }

    // The app and its fifteen kinds of leftovers, in the order of the candidate table.
    void findsEveryKindOfLeftoverInOrder()
    {
        TestHome home;
        const QString b = "com.example.full";
        const QString app = makeApp(home, "Applications/Full.app", QString("Full App"), b);
        const QStringList relative = {
            "Library/Preferences/" + b + ".plist",
            "Library/Caches/" + b + "/",
            "Library/Application Support/" + b + "/",
            "Library/Containers/" + b + "/",
            "Library/Saved Application State/" + b + ".savedState/",
            "Library/Logs/" + b + "/",
            "Library/HTTPStorages/" + b + "/",
            "Library/WebKit/" + b + "/",
            "Library/Cookies/" + b + ".binarycookies",
            "Library/Application Scripts/" + b + "/",
            "Library/Group Containers/group." + b + ".x/",
            "Library/LaunchAgents/" + b + ".helper.plist",
            "Library/Application Support/Full App/",
            "Library/Caches/Full App/",
            "Library/Logs/Full App/",
        };
        for (const QString& r : relative)
            r.endsWith('/') ? home.writeFile(r + "data", 4096) : home.writeFile(r, 4096);
        home.mkdir("Library/Group Containers/GROUP.COM.EXAMPLE.FULL"); // another letter case
        home.mkdir("Library/Caches/com.example.other");

        const QList<UninstallItem> items = Uninstaller::leftovers(Uninstaller::inspect(app));
        QCOMPARE(labelsOf(items),
                 (QStringList{"Application", "Preferences", "App cache", "Application support", "Container",
                              "Saved state", "Logs", "Web storage", "WebKit data", "Cookies", "App scripts",
                              "Group container", "Launch agent", "Application support", "App cache", "Logs"}));
        QStringList expected{app};
        for (QString r : relative) {
            if (r.endsWith('/'))
                r.chop(1);
            expected << home(r);
        }
        QCOMPARE(pathsOf(items), expected);
        QVERIFY(items[0].isBundle);
        for (qsizetype i = 1; i < items.size(); ++i)
            QVERIFY(!items[i].isBundle);
        QCOMPARE(items[1].size, TestHome::allocated(home("Library/Preferences/" + b + ".plist")));
        QVERIFY(items[0].size >= 8192);
        // Every search finds the same things under new ids.
        const QList<UninstallItem> again = Uninstaller::leftovers(Uninstaller::inspect(app));
        QCOMPARE(pathsOf(again), pathsOf(items));
        QVERIFY(again[0].id != items[0].id);
    }

    void withoutIdentifierOnlyTheNameRows_data()
    {
        QTest::addColumn<QString>("appName"); // the bundle's file name
        QTest::addColumn<QString>("identifier"); // "<none>": no key
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("no identifier") << "Tool.app"
                                       << "<none>"
                                       << QStringList{"Application", "Application support", "App cache", "Logs"};
        QTest::newRow("empty identifier")
            << "Tool.app"
            << "" << QStringList{"Application", "Application support", "App cache", "Logs"};
        QTest::newRow("empty name") << ".app"
                                    << "<none>" << QStringList{"Application"};
    }
    void withoutIdentifierOnlyTheNameRows()
    {
        QFETCH(QString, appName);
        QFETCH(QString, identifier);
        QFETCH(QStringList, labels);
        TestHome home;
        const std::optional<QString> id = identifier == "<none>" ? std::nullopt : std::optional(identifier);
        const QString app = makeApp(home, "Applications/" + appName, std::nullopt, id);
        for (const char* folder : {"Preferences", "Caches", "Application Support", "Logs", "Containers"}) {
            home.writeFile(QString("Library/%1/Tool/x").arg(folder), 4096);
            home.writeFile(QString("Library/%1/.plist").arg(folder), 4096); // B = "" would name these
        }
        home.writeFile("Library/Group Containers/anything/x", 4096);
        QCOMPARE(labelsOf(Uninstaller::leftovers(Uninstaller::inspect(app))), labels);
    }

    void aPathIsListedOnceUnderItsFirstRow()
    {
        TestHome home;
        // Name and identifier alike: the name rows repeat identifier rows.
        const QString app = makeApp(home, "Applications/Same.app", QString("same"), QString("same"));
        home.writeFile("Library/Caches/same/x", 4096);
        home.writeFile("Library/Logs/same/x", 4096);
        home.writeFile("Library/Group Containers/xsamex/x", 4096);
        home.writeFile("Library/Group Containers/other/x", 4096);
        QCOMPARE(labelsOf(Uninstaller::leftovers(Uninstaller::inspect(app))),
                 (QStringList{"Application", "App cache", "Logs", "Group container"}));
        // A missing app path gives no "Application" row.
        const QList<UninstallItem> gone =
            Uninstaller::leftovers(AppInfo{"same", QString("same"), home("Applications/Gone.app")});
        QCOMPARE(labelsOf(gone), (QStringList{"App cache", "Logs", "Group container"}));
    }

    // Names and identifiers come from inside the app: none may lead out of its row's folder or
    // select a protected folder, and nothing protected is ever moved.
    void oddNamesSelectNothingProtected_data()
    {
        QTest::addColumn<QString>("bundleName"); // the bundle's file name
        QTest::addColumn<QString>("name"); // CFBundleName, "<none>" for no key
        QTest::addColumn<QString>("identifier"); // CFBundleIdentifier, "<none>" for no key
        QTest::newRow("..app gives the name .") << "..app"
                                                << "<none>"
                                                << "<none>";
        QTest::newRow("...app gives the name ..") << "...app"
                                                  << "<none>"
                                                  << "<none>";
        QTest::newRow("name with a slash") << "Slash.app"
                                           << "a/b"
                                           << "<none>";
        QTest::newRow("name climbing out") << "Climb.app"
                                           << "../../Documents"
                                           << "<none>";
        QTest::newRow("identifier .") << "Dot.app"
                                      << "<none>"
                                      << ".";
        QTest::newRow("identifier ..") << "Dots.app"
                                       << "<none>"
                                       << "..";
        QTest::newRow("identifier with a slash") << "Id.app"
                                                 << "<none>"
                                                 << "../../Mail";
        QTest::newRow("MobileSync") << "MobileSync.app"
                                    << "MobileSync"
                                    << "<none>";
        QTest::newRow("CloudKit") << "CloudKit.app"
                                  << "CloudKit"
                                  << "<none>";
        QTest::newRow("com.apple.bird") << "Bird.app"
                                        << "<none>"
                                        << "com.apple.bird";
        QTest::newRow("Mail as a name") << "Mail.app"
                                        << "Mail"
                                        << "<none>";
    }
    void oddNamesSelectNothingProtected()
    {
        QFETCH(QString, bundleName);
        QFETCH(QString, name);
        QFETCH(QString, identifier);
        TestHome home;
        const QString library = home("Library");
        // Protected folders and ordinary data that a path escaping its row would reach.
        const QStringList precious = {
            "Library/Application Support/MobileSync/Backup/b",
            "Library/Caches/CloudKit/db",
            "Library/Caches/com.apple.bird/state",
            "Library/Containers/com.apple.bird/data",
            "Library/Mail/V10/mbox",
            "Library/Application Support/Other/settings",
            "Library/Caches/Other/cache",
            "Library/Logs/Other/log",
            "Documents/notes",
            "Library/Caches/a/b/nested",
        };
        for (const QString& p : precious)
            home.writeFile(p, 4096);
        const auto opt = [](const QString& v) { return v == "<none>" ? std::nullopt : std::optional(v); };
        const QString app = makeApp(home, "Applications/" + bundleName, opt(name), opt(identifier));

        const QList<UninstallItem> items = Uninstaller::leftovers(Uninstaller::inspect(app));
        QVERIFY(!items.isEmpty());
        QCOMPARE(items[0].path, app);
        for (qsizetype i = 1; i < items.size(); ++i) {
            QVERIFY2(Cleaner::isSafe(Paths::resolveParent(items[i].path)), qPrintable(items[i].path));
            QVERIFY2(Paths::clean(items[i].path) == items[i].path, qPrintable(items[i].path));
            QVERIFY2(!folderOf(items[i].label, items[i].path, library).isEmpty(), qPrintable(items[i].path));
        }
        const Uninstaller::Removal removal = Uninstaller::remove(pathsOf(items));
        QCOMPARE(removal.trashed.size(), items.size());
        for (const QString& p : precious)
            QVERIFY2(QFileInfo::exists(home(p)), qPrintable(p));
    }

    // The app itself may lie outside the home folder, but it must be a "….app" folder in no
    // protected place.
    void theBundleRowIsAnAppFolder()
    {
        TestHome home;
        QTemporaryDir outside;
        const QString elsewhere = QFileInfo(outside.path()).canonicalFilePath() + "/Outside.app";
        QDir().mkpath(elsewhere);
        QCOMPARE(labelsOf(Uninstaller::leftovers(AppInfo{"", std::nullopt, elsewhere})), QStringList{"Application"});
        QVERIFY(Uninstaller::mayRemove(elsewhere));

        const QString notApp = home.mkdir("Applications/Folder");
        const QString file = home.writeText("Applications/File.app", "x");
        home.mkdir("Applications/Real.app");
        const QString link = home.symlink("Applications/Link.app", home("Applications/Real.app"));
        const QString trailing = home("Applications/Real.app/");
        for (const QString& p : {notApp, file, link, trailing})
            QVERIFY2(Uninstaller::leftovers(AppInfo{"", std::nullopt, p}).isEmpty(), qPrintable(p));
        // Where the rule protects a folder, an app there is refused as well.
        const QString inMusic = home.mkdir("Music/Player.app");
        QVERIFY(Uninstaller::leftovers(AppInfo{"", std::nullopt, inMusic}).isEmpty());
        QVERIFY(!Uninstaller::mayRemove(inMusic));
        QVERIFY(!Uninstaller::isRemovableBundle("/Applications"));
    }

    void removeMovesToTheTrashAndCanBePutBack()
    {
        TestHome home;
        const QString app = makeApp(home, "Applications/Gone.app", QString("Gone"), QString("com.example.gone"));
        const QString cache = home.writeFile("Library/Caches/com.example.gone/c", 65536);
        const QString prefs = home.writeFile("Library/Preferences/com.example.gone.plist", 4096);
        const qint64 expected = Uninstaller::leftovers(Uninstaller::inspect(app)).size();
        QCOMPARE(expected, 3);
        const QStringList paths{app, QFileInfo(cache).path(), prefs, home("Library/Logs/missing")};
        const qint64 sizes = 8192 + 4096 + 65536 + 4096; // the regular files' allocated bytes (block multiples)
        const Uninstaller::Removal removal = Uninstaller::remove(paths);
        QVERIFY2(removal.freed >= sizes, qPrintable(QString::number(removal.freed)));
        QCOMPARE(removal.trashed.size(), 3);
        for (qsizetype i = 0; i < 3; ++i) {
            QCOMPARE(removal.trashed[i].original, paths[i]);
            QVERIFY(!QFileInfo::exists(paths[i]));
            QVERIFY(QFileInfo::exists(removal.trashed[i].trashPath));
            QVERIFY(Trash::isInTrash(removal.trashed[i].trashPath));
        }
        for (const TrashedItem& t : removal.trashed)
            QVERIFY(Trash::putBack(t.trashPath, t.original));
        QVERIFY(QFileInfo::exists(app + "/Contents/Info.plist"));
        QVERIFY(QFileInfo::exists(cache));
    }

    void removeChecksEachPathAgainRightBeforeTheMove()
    {
        TestHome home;
        QCOMPARE(Uninstaller::remove({}), Uninstaller::Removal{});
        const QString mail = home.writeFile("Library/Mail/com.example.x/m", 4096);
        const QString support = home.writeFile("Library/Application Support/keep/k", 4096);
        // Paths that name a protected or wider place than they seem to.
        const QStringList refused = {
            QFileInfo(mail).path(),
            home("Library/Application Support/."),
            home("Library/Application Support/keep/.."),
            home("Library/Application Support//keep"),
            home("Library"),
            "Library/Caches/x",
        };
        QCOMPARE(Uninstaller::remove(refused), Uninstaller::Removal{});
        QVERIFY(QFileInfo::exists(mail));
        QVERIFY(QFileInfo::exists(support));

        // A folder found as a leftover whose parent is then swapped for a link into Mail.
        home.writeFile("Library/Logs/com.example.x/log", 4096);
        const QList<UninstallItem> found =
            Uninstaller::leftovers(AppInfo{"", QString("com.example.x"), home("none.app")});
        QCOMPARE(labelsOf(found), QStringList{"Logs"});
        QVERIFY(QDir(home("Library/Logs")).removeRecursively());
        home.symlink("Library/Logs", home("Library/Mail"));
        QCOMPARE(Uninstaller::remove(pathsOf(found)), (Uninstaller::Removal{0, {}, pathsOf(found)}));
        QVERIFY(QFileInfo::exists(mail));
    }
};

QTEST_GUILESS_MAIN(tst_Uninstaller)
#include "tst_Uninstaller.moc"
