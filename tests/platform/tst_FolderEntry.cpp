#include "TestHome.h"
#include "platform/FolderEntry.h"

#include <QFileInfo>
#include <QTest>

class tst_FolderEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The entry moves between the two folders as they are named; a folder that is, or lies
    // behind, a link to elsewhere is refused, and nothing moves out of or into the link's target.
    void movesOnlyBetweenRealFolders_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("moved");
        QTest::newRow("real folders") << "real/from"
                                      << "real/to" << true;
        QTest::newRow("source folder is a link") << "from-link"
                                                 << "real/to" << false;
        QTest::newRow("destination folder is a link") << "real/from"
                                                      << "to-link" << false;
        QTest::newRow("a folder above the source is a link") << "real-link/from"
                                                             << "real/to" << false;
        QTest::newRow("a folder above the destination is a link") << "real/from"
                                                                  << "real-link/to" << false;
    }
    void movesOnlyBetweenRealFolders()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, moved);
        TestHome home;
        home.writeText("real/from/x", "real");
        home.mkdir("real/to");
        home.writeText("elsewhere/from/x", "elsewhere");
        home.mkdir("elsewhere/to");
        home.symlink("from-link", home("elsewhere/from"));
        home.symlink("to-link", home("elsewhere/to"));
        home.symlink("real-link", home("real"));

        QCOMPARE(FolderEntry::moveNoReplace(home(from), "x", home(to)), moved);
        QCOMPARE(TestHome::lexists(home("real/to/x")), moved);
        QCOMPARE(TestHome::lexists(home("real/from/x")), !moved);
        QCOMPARE(TestHome::contents(home("elsewhere/from/x")), QByteArray("elsewhere"));
        QVERIFY(!TestHome::lexists(home("elsewhere/to/x")));
    }

    // Never onto a name that is taken (a dangling link too); a link is moved as itself.
    void neverReplacesAndMovesLinksAsLinks()
    {
        TestHome home;
        home.writeText("from/taken", "mine");
        home.writeText("to/taken", "theirs");
        home.symlink("from/dangling", home("nowhere"));
        home.symlink("to/dangling", home("nowhere-else"));
        home.symlink("from/link", home("from/taken"));
        QVERIFY(!FolderEntry::moveNoReplace(home("from"), "taken", home("to")));
        QVERIFY(!FolderEntry::moveNoReplace(home("from"), "dangling", home("to")));
        QCOMPARE(TestHome::contents(home("to/taken")), QByteArray("theirs"));
        QCOMPARE(TestHome::contents(home("from/taken")), QByteArray("mine"));

        QVERIFY(FolderEntry::moveNoReplace(home("from"), "link", home("to")));
        QVERIFY(QFileInfo(home("to/link")).isSymLink());
        QCOMPARE(QFileInfo(home("to/link")).symLinkTarget(), home("from/taken"));

        QVERIFY(!FolderEntry::moveNoReplace(home("from"), "missing", home("to")));
        for (const QByteArray& odd : {QByteArray(), QByteArray("."), QByteArray(".."), QByteArray("a/b")})
            QVERIFY(!FolderEntry::moveNoReplace(home("from"), odd, home("to")));
    }
};

QTEST_GUILESS_MAIN(tst_FolderEntry)
#include "tst_FolderEntry.moc"
