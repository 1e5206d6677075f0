#include "TestHome.h"
#include "models/CleanupCatalog.h"
#include "services/SafetyRule.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_SafetyRule : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void isSafe_data()
    {
        QTest::addColumn<QString>("path"); // "~" stands for the home folder
        QTest::addColumn<bool>("safe");
        QTest::newRow("home") << "~" << false;
        QTest::newRow("root") << "/" << false;
        QTest::newRow("/Library") << "/Library" << false;
        QTest::newRow("/Users") << "/Users" << false;
        QTest::newRow("Documents itself") << "~/Documents" << false;
        QTest::newRow("below Documents") << "~/Documents/Projects" << true;
        QTest::newRow("~/Library itself") << "~/Library" << false;
        QTest::newRow("Music") << "~/Music" << false;
        QTest::newRow("below Music") << "~/Music/iTunes/x" << false;
        QTest::newRow("below Pictures") << "~/Pictures/a" << false;
        QTest::newRow("below Mail") << "~/Library/Mail/V10" << false;
        QTest::newRow("Mail sibling by prefix") << "~/Library/MailX" << true;
        QTest::newRow("CloudKit") << "~/Library/Caches/CloudKit/db" << false;
        QTest::newRow("bird") << "~/Library/Caches/com.apple.bird" << false;
        QTest::newRow("MobileSync") << "~/Library/Application Support/MobileSync/Backup" << false;
        QTest::newRow("Trash") << "~/.Trash" << true;
        QTest::newRow("Caches") << "~/Library/Caches" << true;
        QTest::newRow("app cache") << "~/Library/Caches/com.example" << true;
        QTest::newRow("var folders") << "/private/var/folders" << true;
        QTest::newRow("/Library/Caches itself") << "/Library/Caches" << false;
        QTest::newRow("below /Library/Caches") << "/Library/Caches/x" << true;
        QTest::newRow("Applications app") << "/Applications/X.app" << false;
        QTest::newRow("outside") << "/tmp/x/y" << false;
        QTest::newRow("relative") << "Library/Caches/x" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("home slash") << "~/" << false;
        // Dots and repeated slashes must not slip past the rule.
        QTest::newRow("dot-dot to Documents") << "~/x/../Documents" << false;
        QTest::newRow("dot-dot out of home") << "~/Library/../../.." << false;
        QTest::newRow("double slash Music") << "~//Music/a" << false;
        QTest::newRow("dot into Mail") << "~/Library/./Mail/x" << false;
        QTest::newRow("case matters") << "~/library/mail/x" << true;
        // Keys and credentials.
        QTest::newRow("ssh keys") << "~/.ssh" << false;
        QTest::newRow("below ssh") << "~/.ssh/id_ed25519" << false;
        QTest::newRow("gnupg") << "~/.gnupg/private-keys-v1.d" << false;
        QTest::newRow("keychains") << "~/Library/Keychains/login.keychain-db" << false;
        QTest::newRow("ssh look-alike") << "~/.sshx/y" << true;
        // A NUL would cut the path short on its way to the system.
        QTest::newRow("NUL") << QString("~/Library/Caches/x") + QChar(0) + "/../../.." << false;
    }
    void isSafe()
    {
        QFETCH(QString, path);
        QFETCH(bool, safe);
        TestHome home;
        const QString p = path.startsWith('~') ? home.path() + path.mid(1) : path;
        QCOMPARE(Cleaner::isSafe(p), safe);
    }

    // On a volume that does not tell letter case apart, the rule does not either, after Unicode
    // normalisation; the lists stay as they are.
    void caseInsensitiveVolume_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("safe");
        QTest::newRow("mail in lower case") << "~/library/mail/x" << false;
        QTest::newRow("documents in capitals") << "~/DOCUMENTS" << false;
        QTest::newRow("ssh in capitals") << "~/.SSH/id" << false;
        QTest::newRow("cloudkit, mixed") << "~/Library/caches/cloudKit/db" << false;
        QTest::newRow("an app cache") << "~/library/caches/com.example" << true;
        QTest::newRow("decomposed letters") << QString("~/Library/Caches/Cafe\u0301") << true;
    }

    void caseInsensitiveVolume()
    {
        QFETCH(QString, path);
        QFETCH(bool, safe);
        TestHome home;
        Cleaner::setCaseInsensitivePaths(true);
        const bool got = Cleaner::isSafe(home.path() + path.mid(1));
        Cleaner::setCaseInsensitivePaths(false);
        QCOMPARE(got, safe);
        QVERIFY(Cleaner::isSafe(home("library/mail/x"))); // exact again
    }

    // The home folder itself written with decomposed letters is still the home folder.
    void normalisedHome()
    {
        TestHome home;
        const QString composed = home.mkdir(QString::fromUtf8("Jos\u00e9"));
        qputenv("HOME", composed.toUtf8());
        Cleaner::setCaseInsensitivePaths(true);
        const QString decomposed = composed.normalized(QString::NormalizationForm_D);
        const bool docs = Cleaner::isSafe(decomposed + "/Documents");
        const bool mail = Cleaner::isSafe(decomposed.toUpper() + "/LIBRARY/MAIL/x");
        const bool cache = Cleaner::isSafe(decomposed + "/Library/Caches/x");
        Cleaner::setCaseInsensitivePaths(false);
        QVERIFY(!docs);
        QVERIFY(!mail);
        QVERIFY(cache);
    }

    // The one rule of what a tool lets the user move to the Trash, for every tool, judged where the
    // item lies (links of its folders resolved) and, for a link, where it leads: anything the
    // clearing's rule allows; in the Disk Map and the large-files window anything else below the
    // home folder but keys, keyrings and profiles; in the uninstaller an app bundle in no
    // protected place; in project cleanup nothing more.
    void pickedItemRule_data()
    {
        QTest::addColumn<QString>("path"); // "~" for the test home; "@" for a folder outside it
        QTest::addColumn<bool>("inTheWindows"); // the Disk Map and the large-files window
        QTest::addColumn<bool>("inProjects");
        QTest::addColumn<bool>("inUninstaller");
        QTest::newRow("file in home") << "~/a.bin" << true << true << true;
        QTest::newRow("below Music, protected by the rule") << "~/Music/song.mp3" << true << false << false;
        QTest::newRow("Documents itself, below home") << "~/Documents" << true << false << false;
        QTest::newRow("build folder in Documents") << "~/Documents/app/node_modules" << true << true << true;
        QTest::newRow("home itself") << "~" << false << false << false;
        QTest::newRow("home with a trailing slash") << "~/" << false << false << false;
        QTest::newRow("dot-dot back to home") << "~/x/.." << false << false << false;
        QTest::newRow("below an allowed root outside home") << "/Library/Caches/app/big.bin" << true << true << true;
        QTest::newRow("outside home and the roots") << "/usr/share/big.bin" << false << false << false;
        QTest::newRow("home's name as a prefix only") << "~x/a.bin" << false << false << false;
        QTest::newRow("relative") << "a.bin" << false << false << false;
        QTest::newRow("link in home to a folder outside") << "~/out" << false << false << false;
        QTest::newRow("through a link in home to a folder outside") << "~/out/file.bin" << false << false << false;
        QTest::newRow("link in home to the home folder") << "~/self" << false << false << false;
        QTest::newRow("link in home to a file in home") << "~/alias.bin" << true << true << true;
        QTest::newRow("ssh key") << "~/.ssh/id_ed25519" << false << false << false;
        QTest::newRow("ssh folder") << "~/.ssh" << false << false << false;
        QTest::newRow("ssh key through a link") << "~/keys/id_ed25519" << false << false << false;
        QTest::newRow("gpg keys") << "~/.gnupg/pubring.kbx" << false << false << false;
        QTest::newRow("keychain") << "~/Library/Keychains/login.keychain-db" << false << false << false;
        QTest::newRow("mail") << "~/Library/Mail/V10/box" << false << false << false;
        QTest::newRow("keyring") << "~/.local/share/keyrings/login.keyring" << false << false << false;
        QTest::newRow("certificates") << "~/.pki/nssdb/cert9.db" << false << false << false;
        QTest::newRow("browser profile") << "~/.mozilla/firefox/p.default/key4.db" << false << false << false;
        QTest::newRow("browser profile in config")
            << "~/.config/google-chrome/Default/Login Data" << false << false << false;
        QTest::newRow("mail profile") << "~/.thunderbird/p/Mail/inbox" << false << false << false;
        QTest::newRow("browser cache, not a profile") << "~/.cache/mozilla/firefox/p/cache2" << true << true << true;
        QTest::newRow("app outside home") << "@/Outside.app" << false << false << true;
        QTest::newRow("file named like an app outside home") << "@/File.app" << false << false << false;
        QTest::newRow("link named like an app outside home") << "@/Link.app" << false << false << false;
        QTest::newRow("app in Music") << "~/Music/Player.app" << true << false << false;
        QTest::newRow("app below the keys") << "~/.ssh/Agent.app" << false << false << false;
    }
    void pickedItemRule()
    {
        QFETCH(QString, path);
        QFETCH(bool, inTheWindows);
        QFETCH(bool, inProjects);
        QFETCH(bool, inUninstaller);
        TestHome home;
        QTemporaryDir outsideDir;
        QVERIFY(outsideDir.isValid());
        const QString outside = QDir(outsideDir.path()).canonicalPath();
        home.writeFile("a.bin", 10);
        home.writeText(".ssh/id_ed25519", "key");
        home.symlink("out", outside);
        home.symlink("self", home.path());
        home.symlink("keys", home(".ssh"));
        home.symlink("alias.bin", home("a.bin"));
        home.mkdir("Music/Player.app");
        home.mkdir(".ssh/Agent.app");
        QVERIFY(QDir().mkpath(outside + "/Outside.app"));
        QFile file(outside + "/File.app");
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(outside + "/Outside.app", outside + "/Link.app"));
        const QString p = path.startsWith('~') ? home.path() + path.mid(1)
            : path.startsWith('@')             ? outside + path.mid(1)
                                               : path;
        QCOMPARE(Cleaner::canTrashOnRequest(p, Cleaner::PickedIn::diskMap), inTheWindows);
        QCOMPARE(Cleaner::canTrashOnRequest(p, Cleaner::PickedIn::fileFinder), inTheWindows);
        QCOMPARE(Cleaner::canTrashOnRequest(p, Cleaner::PickedIn::projectCleanup), inProjects);
        QCOMPARE(Cleaner::canTrashOnRequest(p, Cleaner::PickedIn::uninstaller), inUninstaller);
    }

    // Off macOS the rule also protects the desktop's own places. The user folders come from a
    // German user-dirs.dirs; "~/Bilder" is also reached through a link.
    void desktopPlaces_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("safe");
        QTest::newRow("localised pictures") << "~/Bilder" << false;
        QTest::newRow("below localised pictures") << "~/Bilder/Urlaub/x.jpg" << false;
        QTest::newRow("where the pictures link leads") << "~/store/pics/a.jpg" << false;
        QTest::newRow("below localised music") << "~/Musik/a.flac" << false;
        QTest::newRow("localised documents itself") << "~/Dokumente" << false;
        QTest::newRow("below localised documents") << "~/Dokumente/Projekte" << true;
        QTest::newRow("localised desktop") << "~/Schreibtisch" << false;
        QTest::newRow("public share") << QString::fromUtf8("~/Öffentlich") << false;
        QTest::newRow("templates") << "~/Vorlagen" << false;
        QTest::newRow("videos itself") << "~/Videos" << false;
        QTest::newRow("below videos, like Movies") << "~/Videos/clip" << true;
        QTest::newRow("downloads") << "~/Downloads" << false;
        QTest::newRow("config folder itself") << "~/.config" << false;
        QTest::newRow("an app's config folder") << "~/.config/app" << true;
        QTest::newRow(".local itself") << "~/.local" << false;
        QTest::newRow("data folder itself") << "~/.local/share" << false;
        QTest::newRow("an app's data folder") << "~/.local/share/app" << true;
        QTest::newRow("cache folder stays emptiable") << "~/.cache" << true;
        QTest::newRow("an entry of the cache folder") << "~/.cache/pip" << true;
        QTest::newRow("ssh keys") << "~/.ssh/id_ed25519" << false;
        QTest::newRow("ssh itself") << "~/.ssh" << false;
        QTest::newRow("gnupg") << "~/.gnupg/private-keys-v1.d" << false;
        QTest::newRow("nss database") << "~/.pki/nssdb" << false;
        QTest::newRow("keyrings") << "~/.local/share/keyrings/login.keyring" << false;
        QTest::newRow("firefox profile") << "~/.mozilla/firefox/x.default" << false;
        QTest::newRow("firefox profile in the config folder") << "~/.config/mozilla/firefox/x.default" << false;
        QTest::newRow("firefox profile cache") << "~/.cache/mozilla/firefox/x.default/cache2" << true;
        QTest::newRow("thunderbird profile") << "~/.thunderbird/y.default/Mail" << false;
        QTest::newRow("chrome profile") << "~/.config/google-chrome/Default" << false;
        QTest::newRow("chrome profile name as a prefix only") << "~/.config/google-chromex" << true;
        QTest::newRow("chromium profile") << "~/.config/chromium/Default/Cache" << false;
        QTest::newRow("evolution mail") << "~/.local/share/evolution/mail/local" << false;
    }
    void desktopPlaces()
    {
        QFETCH(QString, path);
        QFETCH(bool, safe);
        TestHome home;
        home.writeText(
            ".config/user-dirs.dirs",
            QString::fromUtf8("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                              "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\nXDG_PUBLICSHARE_DIR=\"$HOME/\u00d6ffentlich\"\n"
                              "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n"
                              "XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_VIDEOS_DIR=\"$HOME/Videos\"\n")
                .toUtf8());
        home.mkdir("store/pics");
        home.symlink("Bilder", home("store/pics"));
        const QString p = home.path() + path.mid(1);
        QCOMPARE(Cleaner::isSafe(p, HostPlatform::other), safe);
        if (hostPlatform() == HostPlatform::other)
            QCOMPARE(Cleaner::isSafe(p), safe);
    }

    // Without user-dirs.dirs the English names count; XDG folders set elsewhere are protected
    // where they are, and the default places still are.
    void desktopDefaultsAndMovedFolders()
    {
        TestHome home;
        qputenv("XDG_CONFIG_HOME", home("cfg").toLocal8Bit());
        qputenv("XDG_DATA_HOME", home("data").toLocal8Bit());
        const auto safe = [&](const QString& relative) { return Cleaner::isSafe(home(relative), HostPlatform::other); };
        QVERIFY(!safe("Desktop"));
        QVERIFY(!safe("Videos"));
        QVERIFY(!safe("Pictures/a"));
        QVERIFY(!safe("Music/a"));
        QVERIFY(!safe("Public"));
        QVERIFY(!safe("cfg"));
        QVERIFY(!safe("cfg/google-chrome/Default"));
        QVERIFY(safe("cfg/app"));
        QVERIFY(!safe("data"));
        QVERIFY(!safe("data/keyrings/login.keyring"));
        QVERIFY(!safe(".config"));
        QVERIFY(!safe(".config/chromium/Default"));
        QVERIFY(!safe(".local/share/evolution"));
    }

    // The macOS rule has none of the desktop's places (its own table above stays as it is).
    void macOSRuleHasNoDesktopPlaces()
    {
        TestHome home;
        home.writeText(".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
        for (const char* relative : {".config", ".local/share", "Bilder/a.jpg", ".mozilla/firefox/x", "Videos"})
            QVERIFY2(Cleaner::isSafe(home(relative), HostPlatform::macOS), relative);
        QVERIFY(!Cleaner::isSafe(home("Pictures/a"), HostPlatform::macOS));
    }

    // No place of the desktop's catalog lies in a protected place: each is reached through its own
    // target, and the rule lets each one be emptied.
    void desktopCatalogPlacesPassTheRule()
    {
        TestHome home;
        for (const CleanupTarget& t : CleanupCatalog::builtIn(HostPlatform::other)) {
            for (QString p : t.displayPaths()) {
                p.replace(QStringLiteral("/*/"), QStringLiteral("/x.default/"));
                QVERIFY2(Cleaner::isSafe(p, HostPlatform::other), qPrintable(p));
            }
        }
    }

    // The protected places alone, without the allowed roots: what an app bundle outside the
    // home folder is held against.
    void isProtected_data()
    {
        QTest::addColumn<QString>("path"); // "~" stands for the home folder
        QTest::addColumn<bool>("protectedPlace");
        QTest::newRow("home") << "~" << true;
        QTest::newRow("/Applications itself") << "/Applications" << true;
        QTest::newRow("app in /Applications") << "/Applications/X.app" << false;
        QTest::newRow("app in /opt") << "/opt/X.app" << false;
        QTest::newRow("below Music") << "~/Music/X.app" << true;
        QTest::newRow("below Mail via dots") << "~/Library/x/../Mail/X.app" << true;
        QTest::newRow("~/Library itself") << "~/Library" << true;
        QTest::newRow("below ~/Library") << "~/Library/X.app" << false;
        QTest::newRow("relative") << "X.app" << true;
    }
    void isProtected()
    {
        QFETCH(QString, path);
        QFETCH(bool, protectedPlace);
        TestHome home;
        const QString p = path.startsWith('~') ? home.path() + path.mid(1) : path;
        QCOMPARE(Cleaner::isProtected(p), protectedPlace);
    }
};

QTEST_GUILESS_MAIN(tst_SafetyRule)
#include "tst_SafetyRule.moc"
