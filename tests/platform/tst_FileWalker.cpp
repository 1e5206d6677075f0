#include "TestHome.h"
#include "platform/FileWalker.h"

#include <QTest>

class tst_FileWalker : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void preOrderSortedNoLinks()
    {
        TestHome home;
        home.writeFile("t/b/z.bin", 5000);
        home.writeFile("t/a.txt", 10);
        home.mkdir("t/b/c");
        home.writeFile("outside/big", 100000);
        home.symlink("t/b/link", home("outside"));
        QStringList seen, left;
        long long files = 0;
        struct V {
            QStringList& seen; QStringList& left; long long& files;
            FileWalker::Visit operator()(const FileWalker::Entry& e)
            {
                seen << QString::fromUtf8(e.name.data(), int(e.name.size())) + ":" + QString::number(e.depth);
                if (e.kind == FileWalker::Kind::File)
                    files += e.allocated();
                return FileWalker::Visit::Descend;
            }
            void leave(const FileWalker::Entry& e) { left << QString::fromUtf8(e.path.data(), int(e.path.size())); }
        } v{seen, left, files};
        FileWalker::Options o;
        o.sorted = true;
        QVERIFY(FileWalker::walk(home("t").toStdString(), o, v));
        QCOMPARE(seen, (QStringList{"a.txt:1", "b:1", "c:2", "link:2", "z.bin:2"}));
        QCOMPARE(left, (QStringList{home("t/b/c"), home("t/b")}));
        QCOMPARE(files, TestHome::allocated(home("t/a.txt")) + TestHome::allocated(home("t/b/z.bin")));
        QVERIFY(!FileWalker::walk(home("missing").toStdString(), o, v));
        QVERIFY(!FileWalker::walk(home("t/b/link").toStdString(), o, v)); // a link root is not followed
    }

    void stopEndsWalk()
    {
        TestHome home;
        for (int i = 0; i < 5; ++i)
            home.writeFile(QString("s/d%1/f").arg(i), 1);
        int visits = 0;
        FileWalker::Options o;
        o.sorted = true;
        FileWalker::walk(home("s").toStdString(), o, [&](const FileWalker::Entry&) {
            return ++visits == 3 ? FileWalker::Visit::Stop : FileWalker::Visit::Descend;
        });
        QCOMPARE(visits, 3);
    }
};

QTEST_GUILESS_MAIN(tst_FileWalker)
#include "tst_FileWalker.moc"
