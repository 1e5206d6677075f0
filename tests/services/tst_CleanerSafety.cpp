#include "TestHome.h"
#include "services/Cleaner.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_CleanerSafety : public QObject {
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

    // What a tool window lets the user move to the Trash: anything the rule allows, and anything
    // below the home folder even where the rule protects it, judged on the resolved path.
    void canTrashOnRequest_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("file in home") << "~/a.bin" << true;
        QTest::newRow("below Music, protected by the rule") << "~/Music/song.mp3" << true;
        QTest::newRow("Documents itself, below home") << "~/Documents" << true;
        QTest::newRow("home itself") << "~" << false;
        QTest::newRow("home with a trailing slash") << "~/" << false;
        QTest::newRow("dot-dot back to home") << "~/x/.." << false;
        QTest::newRow("below an allowed root outside home") << "/Library/Caches/app/big.bin" << true;
        QTest::newRow("outside home and the roots") << "/usr/share/big.bin" << false;
        QTest::newRow("home's name as a prefix only") << "~x/a.bin" << false;
        QTest::newRow("relative") << "a.bin" << false;
        QTest::newRow("link in home to a folder outside") << "~/out/file.bin" << false;
        QTest::newRow("link in home to the home folder") << "~/self" << false;
        QTest::newRow("link in home to a file in home") << "~/alias.bin" << true;
    }
    void canTrashOnRequest()
    {
        QFETCH(QString, path);
        QFETCH(bool, allowed);
        TestHome home;
        QTemporaryDir outside;
        QVERIFY(outside.isValid());
        home.writeFile("a.bin", 10);
        home.symlink("out", QDir(outside.path()).canonicalPath());
        home.symlink("self", home.path());
        home.symlink("alias.bin", home("a.bin"));
        const QString p = path.startsWith('~') ? home.path() + path.mid(1) : path;
        QCOMPARE(Cleaner::canTrashOnRequest(p), allowed);
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

QTEST_GUILESS_MAIN(tst_CleanerSafety)
#include "tst_CleanerSafety.moc"
