#include "MountSpace.h"
#include "TestHome.h"
#include "platform/FileWalker.h"

#include <QFile>
#include <QTest>

#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

// Everything a walk reports, in order: each visit ("v path kind size") and each leave ("l path"),
// and, at every leave, whether the parent's descriptor really holds the folder by that name.
struct Recorder {
    std::vector<std::string> log;
    bool parentsHeld = true;
    FileWalker::Visit operator()(const FileWalker::Entry& e)
    {
        log.push_back("v " + std::string(e.path) + " " + std::to_string(int(e.kind)) + " "
                      + std::to_string(e.allocated()));
        if (e.kind == FileWalker::Kind::Folder) {
            struct stat st {};
            ::fstatat(e.parentFd, std::string(e.name).c_str(), &st, AT_SYMLINK_NOFOLLOW);
            inodes.push_back(st.st_ino);
        }
        return FileWalker::Visit::Descend;
    }
    void leave(const FileWalker::Entry& e)
    {
        log.push_back("l " + std::string(e.path));
        struct stat st {};
        if (::fstatat(e.parentFd, std::string(e.name).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode)
            || std::find(inodes.begin(), inodes.end(), st.st_ino) == inodes.end())
            parentsHeld = false;
    }
    std::vector<ino_t> inodes;
};

} // namespace

class tst_FileWalker : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Before any thread starts: a private mount namespace, where the machine allows one.
    void initTestCase() { m_mounts = MountSpace::enter(); }

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
            QStringList& seen;
            QStringList& left;
            long long& files;
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

    // Holding only a few folders open changes nothing in what is reported, nor in which order,
    // and the parent's descriptor handed to `leave` is the right folder even after reopening.
    void fewDescriptorsSameWalk()
    {
        TestHome home;
        for (const char* f :
             {"w/a/b/c/d/e/f1", "w/a/b/c/d/e/g/h/f2", "w/a/b/x/y/f3", "w/a/z/f4", "w/q/r/s/t/u/v/f5", "w/top"})
            home.writeFile(f, 100);
        home.mkdir("w/a/b/c/empty");
        home.symlink("w/a/b/c/d/up", home("w"));
        FileWalker::Options wide;
        wide.sorted = true;
        wide.maxOpen = 64;
        Recorder expected;
        QVERIFY(FileWalker::walk(home("w").toStdString(), wide, expected));
        QVERIFY(expected.parentsHeld);
        for (size_t maxOpen : {2, 3, 4}) {
            FileWalker::Options narrow = wide;
            narrow.maxOpen = maxOpen;
            Recorder got;
            const int before = TestHome::openDescriptors();
            QVERIFY(FileWalker::walk(home("w").toStdString(), narrow, got));
            QCOMPARE(TestHome::openDescriptors(), before);
            QCOMPARE(got.log, expected.log);
            QVERIFY(got.parentsHeld);
        }
    }

    // A tree far deeper than the open-file limit allows descriptors, walked whole.
    void deeperThanTheFileLimit()
    {
        TestHome home;
        const int levels = 1200; // the cleaner's own test goes to 5,000
        const qint64 bytes = home.deepTree("deep", levels);
        QVERIFY(bytes > 0);
        SoftFileLimit limit(256);
        QVERIFY(limit.isValid());
        qint64 counted = 0;
        int files = 0, leaves = 0, deepest = 0;
        struct V {
            qint64& counted;
            int& files;
            int& leaves;
            int& deepest;
            FileWalker::Visit operator()(const FileWalker::Entry& e)
            {
                deepest = std::max(deepest, e.depth);
                if (e.kind == FileWalker::Kind::File) {
                    ++files;
                    counted += e.allocated();
                }
                return FileWalker::Visit::Descend;
            }
            void leave(const FileWalker::Entry&) { ++leaves; }
        } v{counted, files, leaves, deepest};
        QVERIFY(FileWalker::walk(home("deep").toStdString(), {}, v));
        QCOMPARE(files, levels / 100 + 1);
        QCOMPARE(counted, bytes);
        QCOMPARE(leaves, levels - 1);
        QCOMPARE(deepest, levels);
        QVERIFY(TestHome::removeDeepTree(home("deep")));
    }

    // A folder given up on the way down and swapped for a link meanwhile: the walk goes back
    // into the folder it listed (moved away), never into what the link leads to.
    void swappedFolderIsNotFollowedBack()
    {
        TestHome home;
        home.writeFile("s/a/b/c/d/deep", 10);
        home.writeFile("s/a/zz-later", 10);
        home.writeFile("outside/zz-later", 10);
        home.writeFile("outside/secret", 10);
        FileWalker::Options o;
        o.sorted = true;
        o.maxOpen = 2;
        std::vector<std::string> seen;
        const std::string sRoot = home("s").toStdString();
        FileWalker::walk(sRoot, o, [&](const FileWalker::Entry& e) {
            seen.emplace_back(e.path);
            if (e.name == "deep") {
                ::rename((sRoot + "/a").c_str(), (sRoot + "/moved").c_str());
                ::symlink(QFile::encodeName(home("outside")).constData(), (sRoot + "/a").c_str());
            }
            return FileWalker::Visit::Descend;
        });
        QVERIFY(std::find(seen.begin(), seen.end(), sRoot + "/a/zz-later") != seen.end());
        for (const std::string& p : seen)
            QVERIFY2(p.find("secret") == std::string::npos, p.c_str());
    }

    // With one file system asked for, a volume mounted inside the tree is listed as a folder but
    // not entered.
    void oneFileSystem()
    {
        if (!m_mounts)
            QSKIP("no private mount namespace here");
        TestHome home;
        home.writeFile("m/own", 100);
        const QString vol = home.mkdir("m/vol");
        QVERIFY(MountSpace::mountTmpfs(vol));
        home.writeFile("m/vol/theirs", 100);
        for (bool one : {false, true}) {
            FileWalker::Options o;
            o.oneFileSystem = one;
            std::set<std::string> seen;
            FileWalker::walk(home("m").toStdString(), o, [&](const FileWalker::Entry& e) {
                seen.insert(std::string(e.name));
                return FileWalker::Visit::Descend;
            });
            QVERIFY(seen.count("vol"));
            QCOMPARE(seen.count("theirs"), size_t(one ? 0 : 1));
            std::set<std::string> parallel;
            std::mutex m;
            FileWalker::walkParallel(
                home("m").toStdString(), o, &WalkPool::shared(),
                [&](const FileWalker::Entry& e) {
                std::lock_guard g(m);
                parallel.insert(std::string(e.name));
                return FileWalker::Visit::Descend;
                },
                [] {});
            QCOMPARE(parallel, seen);
        }
        QVERIFY(MountSpace::unmount(vol));
    }

private:
    bool m_mounts = false;
};

QTEST_GUILESS_MAIN(tst_FileWalker)
#include "tst_FileWalker.moc"
