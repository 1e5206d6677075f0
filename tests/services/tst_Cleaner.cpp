#include "TestHome.h"
#include "models/CleanupCatalog.h"
#include "platform/Logging.h"
#include "platform/Trash.h"
#include "services/Cleaner.h"
#include "services/Finder.h"
#include "services/Scanner.h"
#include "services/TargetLocations.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

namespace {

CleanupTarget pathsTarget(const QStringList& paths)
{
    CleanupTarget t;
    t.id = "t";
    t.name = "T";
    t.kind = CleanupKinds::Paths{paths};
    return t;
}

CleanupTarget commandTarget(const QString& shell, const QStringList& fallbacks)
{
    CleanupTarget t;
    t.id = "c";
    t.name = "C";
    t.kind = CleanupKinds::Command{shell, fallbacks};
    return t;
}

CleanOutcome run(const CleanupTarget& t, bool toTrash) { return Cleaner::clean(t, toTrash).result(); }

bool exists(const QString& p) { return QFileInfo(p).exists() || QFileInfo(p).isSymLink(); }

QStringList originals(const CleanOutcome& o)
{
    QStringList l;
    for (const TrashedItem& i : o.trashed)
        l << i.original;
    l.sort();
    return l;
}

} // namespace

class tst_Cleaner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void validateCustom_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "~/Nope"
                                 << "Folder doesn't exist.";
        QTest::newRow("protected") << "~/Downloads"
                                   << "That location is protected and can't be cleaned.";
        QTest::newRow("link to a protected folder") << "~/docs-link"
                                                    << "That location is protected and can't be cleaned.";
        QTest::newRow("a folder under home") << "~/Projects/scratch" << QString();
        QTest::newRow("a file under home") << "~/Projects/file.bin" << QString();
    }

    void validateCustom()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        TestHome home;
        home.mkdir("Downloads");
        home.mkdir("Documents");
        home.symlink("docs-link", home("Documents"));
        home.mkdir("Projects/scratch");
        home.writeFile("Projects/file.bin", 10);
        const auto got = Cleaner::validateCustom(path);
        QCOMPARE(got.value_or(QString()), message);
        QCOMPARE(got.has_value(), !message.isEmpty());
    }

    void toTrashAndPutBack()
    {
        TestHome home;
        const QString a = home.writeFile("Library/Caches/com.example.app/blob.bin", 200000);
        const QString b = home.writeFile("Library/Caches/loose.bin", 30000);
        const QString caches = home("Library/Caches");
        const qint64 expected = TestHome::allocated(a) + TestHome::allocated(b);

        const CleanOutcome o = run(pathsTarget({"~/Library/Caches"}), true);
        QCOMPARE(o.error, std::nullopt);
        QCOMPARE(o.freed, expected);
        QCOMPARE(originals(o), (QStringList{caches + "/com.example.app", caches + "/loose.bin"}));
        QVERIFY(QFileInfo(caches).isDir()); // the folder itself stays
        for (const TrashedItem& item : o.trashed) {
            QVERIFY(!exists(item.original));
            QVERIFY(exists(item.trashPath));
            QVERIFY(Trash::isInTrash(item.trashPath));
        }
        for (const TrashedItem& item : o.trashed)
            QVERIFY(Trash::putBack(item.trashPath, item.original));
        QCOMPARE(TestHome::allocated(a) + TestHome::allocated(b), expected);
        QVERIFY(QDir(home(".local/share/Trash/info")).isEmpty());
    }

    // A folder that holds the Trash cannot go into the Trash; deleting it instead would take
    // the Trash with it: what was trashed before, and what this clearing just put there.
    void folderHoldingTheTrashStays()
    {
        TestHome home;
        // ~/.local itself and the data folder are protected off macOS: the Trash lives in a data
        // folder deeper down, so that the cleared folder holds a folder holding it.
        qputenv("XDG_DATA_HOME", home("box/deep/share").toLocal8Bit());
        home.mkdir("box/deep/share");
        const QString earlier = home.writeFile("old.txt", 5000);
        const auto earlierInTrash = Trash::moveToTrash(earlier);
        QVERIFY(earlierInTrash);
        QVERIFY(earlierInTrash->startsWith(home("box/deep/share/Trash/")));
        home.writeFile("box/bin/tool", 30000);
        home.writeFile("box/deep/state/app/log", 30000);

        const CleanOutcome o = run(pathsTarget({"~/box"}), true);
        QCOMPARE(o.error, std::nullopt);
        QVERIFY(exists(*earlierInTrash));
        QCOMPARE(originals(o), (QStringList{home("box/bin"), home("box/deep/state")}));
        for (const TrashedItem& item : o.trashed)
            QVERIFY2(exists(item.trashPath), qPrintable(item.trashPath));
        QVERIFY(!exists(home("box/bin")));
    }

    // Emptying a folder leaves the protected subtrees inside it alone, in both modes.
    void protectedEntriesStay_data()
    {
        QTest::addColumn<bool>("toTrash");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("gone");
        QTest::newRow("caches, to Trash")
            << true << "~/Library/Caches"
            << QStringList{"Library/Caches/CloudKit/db", "Library/Caches/com.apple.bird/x"} << "Library/Caches/other/y";
        QTest::newRow("caches, for good")
            << false << "~/Library/Caches"
            << QStringList{"Library/Caches/CloudKit/db", "Library/Caches/com.apple.bird/x"} << "Library/Caches/other/y";
        QTest::newRow("application support")
            << false << "~/Library/Application Support"
            << QStringList{"Library/Application Support/MobileSync/Backup/b"} << "Library/Application Support/Tool/z";
    }

    void protectedEntriesStay()
    {
        QFETCH(bool, toTrash);
        QFETCH(QString, folder);
        QFETCH(QStringList, kept);
        QFETCH(QString, gone);
        TestHome home;
        for (const QString& k : kept)
            home.writeFile(k, 5000);
        home.writeFile(gone, 5000);
        const CleanOutcome o = run(pathsTarget({folder}), toTrash);
        QCOMPARE(o.error, std::nullopt);
        for (const QString& k : kept)
            QVERIFY2(exists(home(k)), qPrintable(k));
        QVERIFY(!exists(home(gone)));
        QVERIFY(o.freed > 0);
    }

    void linkEntryGoesItsTargetStays_data()
    {
        QTest::addColumn<bool>("toTrash");
        QTest::newRow("to Trash") << true;
        QTest::newRow("for good") << false;
    }

    void linkEntryGoesItsTargetStays()
    {
        QFETCH(bool, toTrash);
        TestHome home;
        const QString keep = home.writeFile("keep/precious.bin", 50000);
        home.writeFile("keep/sub/more.bin", 50000);
        const QString link = home.symlink("Library/Caches/link-to-keep", home("keep"));
        const QString fileLink = home.symlink("Library/Caches/link-to-file", keep);
        const CleanOutcome o = run(pathsTarget({"~/Library/Caches"}), toTrash);
        QCOMPARE(o.error, std::nullopt);
        QVERIFY(!exists(link));
        QVERIFY(!exists(fileLink));
        QVERIFY(QFileInfo::exists(keep));
        QVERIFY(QFileInfo::exists(home("keep/sub/more.bin")));
        QCOMPARE(o.trashed.size(), toTrash ? 2 : 0);
        for (const TrashedItem& i : o.trashed)
            QVERIFY(QFileInfo(i.trashPath).isSymLink());
    }

    void refusedAndMissing()
    {
        TestHome home;
        const QString doc = home.writeFile("Documents/letter.txt", 100);
        home.symlink("cache-link", home("Documents"));
        home.writeFile("Library/Caches/x.bin", 4096);
        const CleanOutcome refused =
            run(pathsTarget({"~/missing-one", "~/cache-link", "~/Library", "~/Library/Caches"}), false);
        // The first refusal is the one reported; the later paths are still cleared. A built-in
        // location that is a link is refused as such, wherever it leads.
        QCOMPARE(refused.error, std::optional<QString>("Refused (link): " + home("cache-link")));
        QVERIFY(QFileInfo::exists(doc));
        QVERIFY(!exists(home("Library/Caches/x.bin")));
        QVERIFY(refused.freed > 0);

        // A custom folder's link is the user's own: where it leads is what the rule judges.
        home.writeFile("Library/Caches/x.bin", 4096);
        CleanupTarget custom = pathsTarget({"~/cache-link", "~/Library/Caches"});
        custom.isBuiltIn = false;
        const CleanOutcome protectedOne = run(custom, false);
        QCOMPARE(protectedOne.error, std::optional<QString>("Refused (protected): " + home("Documents")));
        QVERIFY(QFileInfo::exists(doc));
        QVERIFY(!exists(home("Library/Caches/x.bin")));

        const CleanOutcome missing = run(pathsTarget({"~/Library/Logs"}), true);
        QCOMPARE(missing, CleanOutcome{});
    }

    // Quiet unless the logging rules turn it on; then every refusal and every failing call of a
    // removal is logged, the later ones too (only the first is reported).
    void refusalsAreLogged()
    {
        QVERIFY(!lcClean().isInfoEnabled());
        QVERIFY(lcClean().isWarningEnabled());
        QLoggingCategory::setFilterRules(QStringLiteral("dustlet.*=true"));
        const auto restore = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
        TestHome home;
        home.writeFile("Documents/letter.txt", 100);
        home.symlink("cache-link", home("Documents"));
        home.symlink("other-link", home("Documents"));
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Refused (link): " + home("cache-link")));
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Refused (link): " + home("other-link")));
        run(pathsTarget({"~/cache-link", "~/other-link"}), false);
    }

    void failedRemovalCallsAreLogged()
    {
        if (TestHome::isRoot())
            QSKIP("root removes a file from a read-only folder");
        QLoggingCategory::setFilterRules(QStringLiteral("dustlet.*=true"));
        const auto restore = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
        TestHome home;
        home.writeFile("Library/Caches/locked/f.bin", 4096);
        QVERIFY(QFile::setPermissions(home("Library/Caches/locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const auto unlock = qScopeGuard([&] {
            QFile::setPermissions(home("Library/Caches/locked"),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^unlinkat f\\.bin: .* \\(errno 13\\)$")));
        QTest::ignoreMessage(
            QtInfoMsg, QRegularExpression(QStringLiteral("^unlinkat\\(AT_REMOVEDIR\\) locked: .* \\(errno 39\\)$")));
        run(pathsTarget({"~/Library/Caches"}), false);
    }

    void deepFolderForGood()
    {
        TestHome home;
        QString rel = "Library/Logs/deep";
        for (int i = 0; i < 30; ++i)
            rel += QString("/l%1").arg(i);
        const qint64 expected = TestHome::allocated(home.writeFile(rel + "/file.log", 4096))
            + TestHome::allocated(home.writeFile("Library/Logs/.hidden", 4096))
            + TestHome::allocated(home.writeFile("single.log", 4096));
        const QString single = home("single.log");
        const CleanOutcome o = run(pathsTarget({"~/Library/Logs", "~/single.log"}), false);
        QCOMPARE(o.error, std::nullopt);
        QVERIFY(
            QDir(home("Library/Logs")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        QVERIFY(!exists(single));
        QVERIFY(o.trashed.isEmpty());
        QCOMPARE(o.freed, expected);
    }

    void commandStatuses_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("fallbackEmptied");
        QTest::newRow("success") << "echo done; exit 0" << QString() << false;
        QTest::newRow("failure without output") << "exit 1"
                                                << "Command exited with status 1" << true;
        QTest::newRow("failure with output") << "printf '  \\n bad thing happened \\n\\n'; exit 2"
                                             << "bad thing happened" << true;
        QTest::newRow("not found") << "" << QString() << true;
    }

    void commandStatuses()
    {
        QFETCH(QString, script);
        QFETCH(QString, error);
        QFETCH(bool, fallbackEmptied);
        TestHome home;
        const QString cached = home.writeFile(".npm/_cacache/blob", 40000);
        const qint64 size = TestHome::allocated(cached);
        QString command = "missing-tool-xyz --clean";
        if (!script.isEmpty()) {
            home.fakeCommand("faketool", script.toUtf8());
            command = "faketool";
        }
        const CleanOutcome o = run(commandTarget(command, {"~/.npm/_cacache"}), false);
        QCOMPARE(o.error.value_or(QString()), error);
        QCOMPARE(exists(cached), !fallbackEmptied);
        QCOMPARE(o.freed, fallbackEmptied ? size : 0);
        QVERIFY(o.trashed.isEmpty());

        // Without fallback paths nothing is measured.
        QCOMPARE(run(commandTarget(command, {}), true).freed, 0);
    }

    // Clearing the Trash with to-Trash on must really free the space.
    void trashIsEmptiedForGood_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("~/.Trash") << ".Trash";
        QTest::newRow("desktop Trash") << ".local/share/Trash/files";
    }

    void trashIsEmptiedForGood()
    {
        QFETCH(QString, folder);
        TestHome home;
        const QString item = home.writeFile(folder + "/old-download.iso", 300000);
        const qint64 expected =
            TestHome::allocated(item) + TestHome::allocated(home.writeFile(folder + "/old-folder/x", 4096));
        const CleanOutcome o = run(pathsTarget({"~/" + folder}), true);
        QCOMPARE(o.error, std::nullopt);
        QVERIFY(o.trashed.isEmpty());
        QVERIFY(!exists(item));
        QVERIFY(QDir(home(folder)).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        QCOMPARE(o.freed, expected);
        // Nothing was moved into the desktop Trash either.
        QVERIFY(QDir(home(".local/share/Trash/files"))
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    }

    // The catalog's Trash target empties the Trash that clearing fills, records included.
    void catalogTrashTargetEmptiesTheTrash()
    {
        TestHome home;
        const QString doomed = home.writeFile("Library/Caches/app/blob", 200000);
        const auto trashed = Trash::moveToTrash(doomed);
        QVERIFY(trashed.has_value());
        const QString info = home(".local/share/Trash/info");
        const QStringList records = QDir(info).entryList(QDir::Files);
        QCOMPARE(records.size(), 1);
        const qint64 expected = TestHome::allocated(*trashed) + TestHome::allocated(info + "/" + records[0]);
        CleanupTarget trash;
        for (const CleanupTarget& t : CleanupCatalog::builtIn())
            if (t.id == "trash")
                trash = t;
        const CleanOutcome o = run(trash, true);
        QCOMPARE(o.error, std::nullopt);
        QVERIFY(o.trashed.isEmpty());
        QCOMPARE(o.freed, expected);
        QVERIFY(!QFileInfo::exists(*trashed));
        QCOMPARE(QDir(info).entryList(QDir::Files).size(), 0);
        QVERIFY(QFileInfo(home(".local/share/Trash/files")).isDir()); // the folders themselves stay
    }

    void finderTarget()
    {
        TestHome home;
        const qint64 webBytes = TestHome::allocated(home.writeFile("src/web/node_modules/a/index.js", 60000));
        home.writeFile("shared/mods/lib.js", 60000);
        home.symlink("src/linked/node_modules", home("shared/mods"));
        CleanupTarget t;
        t.id = "node_modules";
        t.name = "node_modules folders";
        t.category = CleanupCategory::buildArtifacts;
        t.kind = CleanupKinds::Finder{{"~/src"}, {"node_modules"}, 5, {}, 0, {}};

        // A found link that leads inside the root goes as itself; one leading out of the root is
        // not the search's at all.
        home.writeFile("src/lib/mods/inner.js", 60000);
        home.symlink("src/inner/node_modules", home("src/lib/mods"));

        const CleanOutcome o = run(t, true);
        QCOMPARE(o.error, std::nullopt);
        QCOMPARE(originals(o), (QStringList{home("src/inner/node_modules"), home("src/web/node_modules")}));
        QVERIFY(!exists(home("src/web/node_modules")));
        QVERIFY(!exists(home("src/inner/node_modules")));
        QVERIFY(QFileInfo(home("src/linked/node_modules")).isSymLink());
        QVERIFY(QFileInfo::exists(home("shared/mods/lib.js")));
        QVERIFY(QFileInfo::exists(home("src/lib/mods/inner.js")));
        // What the links led to is still there: only the real folder's bytes were freed.
        QCOMPARE(o.freed, webBytes);

        const CleanOutcome again = run(t, false);
        QCOMPARE(again, CleanOutcome{});
    }

    // A project reached twice, through a link to its folder, is found twice; its build folder
    // is freed once.
    void finderFolderReachedTwiceCountsOnce()
    {
        TestHome home;
        const qint64 bytes = TestHome::allocated(home.writeFile("src/app/node_modules/a/index.js", 60000));
        home.symlink("src/alias", home("src/app"));
        CleanupTarget t;
        t.id = "node_modules";
        t.name = "node_modules folders";
        t.category = CleanupCategory::buildArtifacts;
        t.kind = CleanupKinds::Finder{{"~/src"}, {"node_modules"}, 5, {}, 0, {}};
        QCOMPARE(Finder::discover(t).size(), 2);

        const CleanOutcome o = run(t, false);
        QVERIFY(!exists(home("src/app/node_modules")));
        QCOMPARE(o.freed, bytes);
    }

    // Built-in places beyond a plain folder: a "*" piece that stands for each profile folder,
    // and entries of a folder left to other targets. Measuring and clearing agree on both.
    // "*" stands for each folder found there, not for links, hidden folders or files; a custom
    // folder's path is taken as it is.
    void patternPlaces()
    {
        TestHome home;
        home.mkdir("ff/b.default/cache2");
        home.mkdir("ff/a.default/cache2");
        home.mkdir("ff/.hidden/cache2");
        home.mkdir("ff/noprofile");
        home.writeText("ff/file", "x");
        home.mkdir("elsewhere/cache2");
        home.symlink("ff/linked", home("elsewhere"));
        QCOMPARE(TargetLocations::places("~/ff/*/cache2", true),
                 (QStringList{home("ff/a.default/cache2"), home("ff/b.default/cache2"), home("ff/noprofile/cache2")}));
        QCOMPARE(TargetLocations::places("~/ff/*", true),
                 (QStringList{home("ff/a.default"), home("ff/b.default"), home("ff/noprofile")}));
        QCOMPARE(TargetLocations::places("~/ff/*/cache2", false), QStringList{home("ff/*/cache2")});
        QCOMPARE(TargetLocations::places("~/plain", true), QStringList{home("plain")});
        QCOMPARE(TargetLocations::places("~/missing/*/cache2", true), QStringList());
        // A link on the way to the pattern's folder leads to no place at all.
        home.symlink("ffl", home("ff"));
        QCOMPARE(TargetLocations::places("~/ffl/*/cache2", true), QStringList());
    }

    // Each profile's cache is measured and cleared; the rest of a profile's folder, a profile
    // reached through a link and a folder named "*" stay.
    void profileCachesMeasuredAndCleared_data()
    {
        QTest::addColumn<bool>("toTrash");
        QTest::newRow("to Trash") << true;
        QTest::newRow("for good") << false;
    }
    void profileCachesMeasuredAndCleared()
    {
        QFETCH(bool, toTrash);
        TestHome home;
        const qint64 a = TestHome::allocated(home.writeFile(".cache/moz/a.default/cache2/entries/A", 64 * 1024));
        const qint64 b = TestHome::allocated(home.writeFile(".cache/moz/b.default/cache2/entries/B", 32 * 1024));
        home.writeFile(".cache/moz/a.default/startupCache/s", 16 * 1024);
        home.writeFile("Documents/cache2/letter.odt", 8 * 1024);
        home.symlink(".cache/moz/evil", home("Documents"));
        const CleanupTarget firefox = pathsTarget({"~/.cache/moz/*/cache2"});

        const Scanner::Measurement m = Scanner::measure(firefox).result();
        QCOMPARE(m.size, std::optional<qint64>(a + b));
        QCOMPARE(m.places,
                 (QList<Scanner::MeasuredPlace>{{home(".cache/moz/a.default/cache2"), a},
                                                {home(".cache/moz/b.default/cache2"), b}}));

        const CleanOutcome o = run(firefox, toTrash);
        QCOMPARE(o.error, std::nullopt);
        QCOMPARE(o.freed, a + b);
        QVERIFY(!exists(home(".cache/moz/a.default/cache2/entries")));
        QVERIFY(!exists(home(".cache/moz/b.default/cache2/entries")));
        QVERIFY(QFileInfo(home(".cache/moz/a.default/cache2")).isDir()); // the folders stay
        QVERIFY(exists(home(".cache/moz/a.default/startupCache/s")));
        QVERIFY(exists(home("Documents/cache2/letter.odt")));
        if (toTrash)
            QCOMPARE(originals(o),
                     (QStringList{home(".cache/moz/a.default/cache2/entries"),
                                  home(".cache/moz/b.default/cache2/entries")}));
        QCOMPARE(Scanner::size(firefox).result(), std::optional<qint64>(0));

        // No profile at all measures 0, a value.
        const CleanupTarget none = pathsTarget({"~/.cache/none/*/cache2"});
        QCOMPARE(Scanner::size(none).result(), std::optional<qint64>(0));
        QCOMPARE(run(none, toTrash), CleanOutcome{});
    }

    // The entries a target leaves to others are neither measured nor cleared with it, in both
    // modes; a file of the same name elsewhere in the tree is not such an entry.
    void entriesLeftToOthers_data()
    {
        QTest::addColumn<bool>("toTrash");
        QTest::newRow("to Trash") << true;
        QTest::newRow("for good") << false;
    }
    void entriesLeftToOthers()
    {
        QFETCH(bool, toTrash);
        TestHome home;
        const qint64 thumbs = TestHome::allocated(home.writeFile(".cache/thumbnails/large/t.png", 48 * 1024));
        const qint64 nested = TestHome::allocated(home.writeFile(".cache/app/pip/wheel", 8 * 1024));
        const qint64 pip = TestHome::allocated(home.writeFile(".cache/pip/http/blob", 96 * 1024));
        const qint64 hf = TestHome::allocated(home.writeFile(".cache/huggingface/model.bin", 40 * 1024));
        CleanupTarget appcaches = pathsTarget({});
        appcaches.kind = CleanupKinds::Paths{{"~/.cache"}, {"~/.cache/pip", "~/.cache/huggingface"}};

        QCOMPARE(
            Scanner::keptEntries(appcaches),
            (QList<QByteArray>{QFile::encodeName(home(".cache/pip")), QFile::encodeName(home(".cache/huggingface"))}));
        const Scanner::Measurement m = Scanner::measure(appcaches).result();
        QCOMPARE(m.size, std::optional<qint64>(thumbs + nested));
        QCOMPARE(m.places, (QList<Scanner::MeasuredPlace>{{home(".cache"), thumbs + nested}}));
        const QList<QByteArray> all{QFile::encodeName(home(".cache"))};
        QCOMPARE(Scanner::freeableSize(all, Scanner::keptEntries(appcaches)), thumbs + nested);
        QCOMPARE(Scanner::freeableSize(all), thumbs + nested + pip + hf);

        const CleanOutcome o = run(appcaches, toTrash);
        QCOMPARE(o.error, std::nullopt);
        QCOMPARE(o.freed, thumbs + nested);
        QVERIFY(!exists(home(".cache/thumbnails")));
        QVERIFY(!exists(home(".cache/app")));
        QVERIFY(exists(home(".cache/pip/http/blob")));
        QVERIFY(exists(home(".cache/huggingface/model.bin")));
        if (toTrash)
            QCOMPARE(originals(o), (QStringList{home(".cache/app"), home(".cache/thumbnails")}));
    }
};

QTEST_GUILESS_MAIN(tst_Cleaner)
#include "tst_Cleaner.moc"
