#include "TestHome.h"
#include "platform/Trash.h"
#include "platform/Volume.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class tst_Trash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void moveAndPutBack()
    {
        TestHome home;
        const QString file = home.writeFile("work/notes/a.txt", 100);
        home.writeFile("work/folder/inner.bin", 5000);
        const QString link = home.symlink("work/link", home("work/folder"));

        const auto trashedFile = Trash::moveToTrash(file);
        QVERIFY(trashedFile);
        QVERIFY(trashedFile->startsWith(home(".local/share/Trash/files/")));
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(QFileInfo::exists(*trashedFile));
        const QString info = home(".local/share/Trash/info/") + QFileInfo(*trashedFile).fileName() + ".trashinfo";
        QVERIFY(QFileInfo::exists(info));

        // A link goes as itself; its folder stays.
        const auto trashedLink = Trash::moveToTrash(link);
        QVERIFY(trashedLink);
        QVERIFY(QFileInfo(*trashedLink).isSymLink());
        QVERIFY(QFileInfo::exists(home("work/folder/inner.bin")));

        // Put back into a folder that is gone meanwhile: it is made again.
        QVERIFY(QDir(home("work/notes")).removeRecursively());
        QVERIFY(Trash::putBack(*trashedFile, file));
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(!QFileInfo::exists(*trashedFile));
        QVERIFY(!QFileInfo::exists(info));

        // Never over something that is already back at the original place.
        home.writeFile("work/link", 7);
        QVERIFY(!Trash::putBack(*trashedLink, link));
        QVERIFY(QFileInfo(*trashedLink).isSymLink());
        QCOMPARE(QFileInfo(link).size(), 7);
        QVERIFY(!Trash::putBack(home(".local/share/Trash/files/nothing"), home("work/nothing")));
        QVERIFY(!Trash::moveToTrash(home("work/missing")));
    }

    void missingDataFolderIsMadeFirst()
    {
        TestHome home;
        QVERIFY(QDir(home(".local")).removeRecursively());
        const QString work = home.mkdir("cwd");
        const QString old = QDir::currentPath();
        QDir::setCurrent(work);
        const QString file = home.writeFile("x.bin", 10);
        const auto where = Trash::moveToTrash(file);
        QDir::setCurrent(old);
        QVERIFY(where);
        QVERIFY(where->startsWith(home(".local/share/Trash/files/")));
        QVERIFY(!QFileInfo::exists(work + "/files"));
    }

    // When the data folder cannot be made, nothing moves (rather than into "./files" here).
    void unmakeableDataFolderMovesNothing()
    {
        TestHome home;
        home.writeFile("blocker", 1);
        qputenv("XDG_DATA_HOME", home("blocker/share").toLocal8Bit());
        const QString work = home.mkdir("cwd");
        const QString old = QDir::currentPath();
        QDir::setCurrent(work);
        const QString file = home.writeFile("y.bin", 10);
        const auto where = Trash::moveToTrash(file);
        QDir::setCurrent(old);
        QCOMPARE(where, std::nullopt);
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(!QFileInfo::exists(work + "/files"));
    }

    void isInTrash_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("inside");
        QTest::newRow("item in the desktop Trash") << ".local/share/Trash/files/old.txt" << true;
        QTest::newRow("item in ~/.Trash") << ".Trash/old.txt" << true;
        QTest::newRow("deep in ~/.Trash") << ".Trash/a/b" << true;
        QTest::newRow("the Trash folder itself") << ".Trash" << false;
        QTest::newRow("look-alike folder") << ".Trashcan/x" << false;
        QTest::newRow("elsewhere") << "Library/Caches/x" << false;
        QTest::newRow("through a linked folder") << "trashlink/old.txt" << true;
    }

    void isInTrash()
    {
        QFETCH(QString, relative);
        QFETCH(bool, inside);
        TestHome home;
        home.mkdir(".Trash");
        home.symlink("trashlink", home(".Trash"));
        QCOMPARE(Trash::isInTrash(home(relative)), inside);
        QVERIFY(!Trash::isInTrash(".Trash/x"));
    }

    void volumeCapacity()
    {
        TestHome home;
        const Volume::Capacity c = Volume::capacity(home.path());
        QVERIFY(c.total > 0);
        QVERIFY(c.available >= 0 && c.available <= c.total);
        QCOMPARE(Volume::capacity(home("no/such/place")), Volume::Capacity{});
    }
};

QTEST_GUILESS_MAIN(tst_Trash)
#include "tst_Trash.moc"
