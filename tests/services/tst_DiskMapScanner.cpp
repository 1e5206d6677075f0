#include "TestHome.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "services/DiskMapScanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

DiskNode file(const QString& id, qint64 size)
{
    return DiskNode(id, Paths::lastComponent(id), size, false, FileCategory::other, std::nullopt);
}

QList<DiskNode> files(const QList<qint64>& sizes)
{
    QList<DiskNode> out;
    for (qsizetype i = 0; i < sizes.size(); ++i)
        out << file(QString("/d/f%1").arg(i, 3, 10, QLatin1Char('0')), sizes[i]);
    return out;
}

// Sum of the sizes of every file below a node, folded ones included.
qint64 fileBytes(const DiskNode& n)
{
    if (!n.isDirectory())
        return n.size();
    qint64 s = 0;
    for (const DiskNode& c : n.children())
        s += fileBytes(c);
    return s;
}

// A child by name, looked up among the shown children and those folded into "(smaller items)".
std::optional<DiskNode> childNamed(const QList<DiskNode>& kids, const QString& name)
{
    for (const DiskNode& k : kids) {
        if (k.name() == name)
            return k;
        if (k.isSynthetic())
            if (auto inner = childNamed(k.children(), name))
                return inner;
    }
    return std::nullopt;
}

struct Events {
    QStringList log; // "p" for progress, "c:<name>" for a child
    QList<qint64> progress;
    QList<DiskNode> children;
    bool offThread = false;
};

DiskNode scan(const QString& root, const CancelToken& token, Events& ev, int threads,
              const std::function<void(Events&)>& onEvent = {})
{
    QThread* me = QThread::currentThread();
    return DiskMapScanner::scanStreaming(
        root, token,
        [&](qint64 bytes) {
        ev.offThread |= QThread::currentThread() != me;
        ev.log << "p";
        ev.progress << bytes;
        if (onEvent)
            onEvent(ev);
        },
        [&](const DiskNode& child) {
        ev.offThread |= QThread::currentThread() != me;
        ev.log << "c:" + child.name();
        ev.children << child;
        if (onEvent)
            onEvent(ev);
    },
        threads);
}

} // namespace

class tst_DiskMapScanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prune_data()
    {
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<int>("kept");
        QTest::addColumn<qint64>("folded"); // -1: no synthetic node
        QTest::addColumn<int>("foldedCount");
        QList<qint64> hundred(100, 10);
        QTest::newRow("100 equal: 60 kept, 40 folded") << hundred << 60 << qint64(400) << 40;
        QTest::newRow("1,000,000 and 3,999") << QList<qint64>{1'000'000, 3'999} << 1 << qint64(3'999) << 1;
        QTest::newRow("at the threshold stays") << QList<qint64>{1'000'000, 4'016} << 2 << qint64(-1) << 0;
        QTest::newRow("all zero: no children") << QList<qint64>{0, 0, 0} << 0 << qint64(-1) << 0;
        QTest::newRow("folded zeros are dropped") << QList<qint64>{1'000'000, 0, 0} << 1 << qint64(-1) << 0;
        QTest::newRow("tiny total keeps zeros") << QList<qint64>{100, 0} << 2 << qint64(-1) << 0;
        QTest::newRow("folded zeros kept beside folded bytes")
            << QList<qint64>{1'000'000, 10, 0} << 1 << qint64(10) << 2;
        QTest::newRow("empty") << QList<qint64>{} << 0 << qint64(-1) << 0;
    }
    void prune()
    {
        QFETCH(QList<qint64>, sizes);
        QFETCH(int, kept);
        QFETCH(qint64, folded);
        QFETCH(int, foldedCount);
        qint64 total = 0;
        for (qint64 s : sizes)
            total += s;
        const QList<DiskNode> input = files(sizes);
        const QList<DiskNode> out = DiskMapScanner::prune(input, total);
        QCOMPARE(out.size(), kept + (folded >= 0 ? 1 : 0));
        for (int i = 0; i < kept; ++i)
            QCOMPARE(out[i], input[i]);
        if (folded >= 0) {
            const DiskNode& s = out.last();
            QVERIFY(s.isSynthetic());
            QVERIFY(s.isDirectory());
            QCOMPARE(s.name(), QString("(smaller items)"));
            QCOMPARE(s.id(), input.first().id() + "#other");
            QCOMPARE(s.size(), folded);
            QCOMPARE(s.category(), FileCategory::other);
            QCOMPARE(s.modified(), std::nullopt);
            QCOMPARE(s.children(), input.mid(kept));
            QCOMPARE(s.children().size(), foldedCount);
        }
    }

    void threads_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("calling thread") << 1;
        QTest::newRow("eight workers") << 8;
    }

    // Sizes, folding, categories, dates and names of a real tree.
    void realTree_data() { threads_data(); }
    void realTree()
    {
        QFETCH(int, threads);
        TestHome home;
        for (int i = 0; i < 100; ++i)
            home.writeFile(QString("r/many/f%1.txt").arg(i, 3, 10, QLatin1Char('0')), 4096);
        home.writeFile("r/pair/big.mov", 2'000'000);
        home.writeFile("r/pair/small.log", 3'999); // one block: below 0.4 % of the folder
        home.writeFile("r/Lib.photoslibrary/x.mp4", 90'000);
        home.writeFile("r/Tool.app/Contents/bin", 80'000);
        home.writeFile("r/tiny.txt", 4096); // folded, so that the zero-size items show in "(smaller items)"
        home.writeFile("r/empties/a", 0);
        home.writeFile("r/empties/b", 0);
        home.writeFile("r/.hidden/big", 500'000);
        home.writeFile("r/.dotfile", 500'000);
        home.writeFile("outside/big", 300'000);
        home.symlink("r/link", home("outside"));

        CancelToken token;
        Events ev;
        const DiskNode root = scan(home("r"), token, ev, threads);
        QCOMPARE(root.id(), home("r"));
        QCOMPARE(root.name(), QString("r"));
        QVERIFY(root.isDirectory());
        QVERIFY(root.modified().has_value());

        const QList<DiskNode> kids = root.children();
        QVERIFY(!childNamed(kids, ".hidden") && !childNamed(kids, ".dotfile"));
        const std::optional<DiskNode> many = childNamed(kids, "many");
        QVERIFY(many);
        QCOMPARE(many->id(), home("r/many"));
        QCOMPARE(many->category(), FileCategory::documents);
        const QList<DiskNode> mk = many->children();
        // Equal sizes keep listing order: the first 60 the folder lists stay, the rest fold.
        const QStringList listed = TestHome::listingOrder(home("r/many"));
        QCOMPARE(listed.size(), 100);
        QCOMPARE(mk.size(), 61);
        QStringList shown;
        for (int i = 0; i < 60; ++i)
            shown << mk[i].name();
        QCOMPARE(shown, listed.mid(0, 60));
        QVERIFY(mk.last().isSynthetic());
        QCOMPARE(mk.last().id(), home("r/many/" + listed[0]) + "#other");
        QCOMPARE(mk.last().children().size(), 40);
        QCOMPARE(mk.last().children().first().id(), home("r/many/" + listed[60]));
        QCOMPARE(mk.last().children().last().id(), home("r/many/" + listed[99]));
        QCOMPARE(mk.last().size(), 40 * TestHome::allocated(home("r/many/f060.txt")));
        QCOMPARE(many->size(), 100 * TestHome::allocated(home("r/many/f000.txt")));
        QCOMPARE(mk.first().modified()->toMSecsSinceEpoch(),
                 QFileInfo(home("r/many/" + listed[0])).lastModified().toMSecsSinceEpoch());

        const std::optional<DiskNode> pair = childNamed(kids, "pair");
        QVERIFY(pair);
        const QList<DiskNode> pk = pair->children();
        QCOMPARE(pk.size(), 2);
        QCOMPARE(pk[0].name(), QString("big.mov"));
        QCOMPARE(pk[0].category(), FileCategory::video);
        QVERIFY(pk[1].isSynthetic());
        QCOMPARE(pk[1].size(), TestHome::allocated(home("r/pair/small.log")));
        QCOMPARE(pair->category(), FileCategory::video);

        QCOMPARE(childNamed(kids, "Lib.photoslibrary")->category(), FileCategory::images);
        QCOMPARE(childNamed(kids, "Tool.app")->category(), FileCategory::apps);
        const std::optional<DiskNode> empties = childNamed(kids, "empties");
        QCOMPARE(empties->size(), qint64(0));
        QVERIFY(empties->children().isEmpty());
        QVERIFY(empties->isDirectory());

        const std::optional<DiskNode> link = childNamed(kids, "link"); // a link is not followed
        QVERIFY(link);
        QVERIFY(!link->isDirectory());
        QVERIFY(link->children().isEmpty());
        QVERIFY(link->size() < 300'000);

        // Sizes add up at every level, and the root equals what the file system allocates.
        qint64 expected = 0;
        for (const char* p :
             {"r/pair/big.mov", "r/pair/small.log", "r/Lib.photoslibrary/x.mp4", "r/Tool.app/Contents/bin"})
            expected += TestHome::allocated(home(p));
        expected += many->size() + link->size() + TestHome::allocated(home("r/tiny.txt"));
        QCOMPARE(root.size(), expected);
        QCOMPARE(fileBytes(root), expected);
        QCOMPARE(ev.progress.last(), expected);
        QVERIFY(!ev.offThread);
    }

    // Top-level children arrive one at a time in listing order, each complete (equal to its
    // node in the returned tree), progress never goes down, and a folder's progress comes before
    // it is handed over.
    void eventOrder_data() { threads_data(); }
    void eventOrder()
    {
        QFETCH(int, threads);
        TestHome home;
        home.writeFile("r/b/deep/x", 40'000);
        home.writeFile("r/B.txt", 4096);
        home.writeFile("r/a/1", 8192);
        home.writeFile("r/a/2/3", 8192);
        home.writeFile("r/c", 100);
        CancelToken token;
        Events ev;
        const DiskNode root = scan(home("r"), token, ev, threads);
        QStringList order;
        for (const QString& e : ev.log)
            if (e.startsWith("c:"))
                order << e.mid(2);
        QCOMPARE(order, TestHome::listingOrder(home("r")));
        QCOMPARE(order.size(), 4);
        for (const DiskNode& c : ev.children)
            QCOMPARE(*childNamed(root.children(), c.name()), c);
        for (qsizetype i = 1; i < ev.progress.size(); ++i)
            QVERIFY(ev.progress[i] >= ev.progress[i - 1]);
        QVERIFY(ev.log.indexOf("p") < ev.log.indexOf("c:a"));
        QVERIFY(!ev.offThread);
        if (threads == 1) // one report per folder listed below the root: a, a/2, b, b/deep
            QCOMPARE(ev.progress.size(), 4);
    }

    // A file with several links in the tree counts once, so the map adds up to what the disk
    // holds; walking on the calling thread, the first link the walk meets carries it (top-level
    // folders in listing order, each folder's files in its own).
    void hardLinksCountOnce_data() { threads_data(); }
    void hardLinksCountOnce()
    {
        QFETCH(int, threads);
        TestHome home;
        const QString big = home.writeFile("r/a/big.bin", 409'600);
        const QString other = home.writeFile("r/c.txt", 8192);
        home.mkdir("r/b");
        QCOMPARE(::link(QFile::encodeName(big).constData(), QFile::encodeName(home("r/b/big-again.bin")).constData()),
                 0);
        QCOMPARE(::link(QFile::encodeName(big).constData(), QFile::encodeName(home("r/a/big-third.bin")).constData()),
                 0);
        CancelToken token;
        Events ev;
        const DiskNode root = scan(home("r"), token, ev, threads);
        const qint64 expected = TestHome::allocated(big) + TestHome::allocated(other);
        QCOMPARE(root.size(), expected);
        QCOMPARE(fileBytes(root), expected);
        QCOMPARE(ev.progress.last(), expected);
        qint64 links = 0; // a folder of size 0 is not shown
        for (const char* name : {"a", "b"})
            if (const std::optional<DiskNode> folder = childNamed(root.children(), name))
                links += folder->size();
        QCOMPARE(links, TestHome::allocated(big));
        if (threads == 1) {
            QString carrier;
            for (const QString& top : TestHome::listingOrder(home("r"))) {
                for (const QString& name : TestHome::listingOrder(home("r/" + top)))
                    if (carrier.isEmpty() && name.startsWith("big"))
                        carrier = top + "/" + name;
            }
            const QString folder = carrier.section('/', 0, 0);
            const std::optional<DiskNode> holder = childNamed(root.children(), folder);
            QVERIFY2(holder, qPrintable(carrier));
            const std::optional<DiskNode> file = childNamed(holder->children(), carrier.section('/', 1));
            QVERIFY2(file, qPrintable(carrier));
            QCOMPARE(file->size(), TestHome::allocated(big));
        }
    }

    // A folder whose children all have size 0 takes a category that one of them has, not the
    // first category of the list by default.
    void zeroSizeFolderCategory_data()
    {
        QTest::addColumn<QStringList>("files"); // a trailing "/" makes an empty folder
        QTest::addColumn<QStringList>("allowed"); // raw values; any of the tied ones will do
        QTest::newRow("empty text files") << QStringList{"a.txt", "b.txt"} << QStringList{"documents"};
        QTest::newRow("only an empty folder") << QStringList{"inner/"} << QStringList{"other"};
        QTest::newRow("empty folder and empty log") << QStringList{"inner/", "x.log"} << QStringList{"caches", "other"};
    }
    void zeroSizeFolderCategory()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, allowed);
        TestHome home;
        home.mkdir("r");
        for (const QString& f : files) {
            if (f.endsWith('/'))
                home.mkdir("r/" + f);
            else
                home.writeFile("r/" + f, 0);
        }
        for (int threads : {1, 8}) {
            CancelToken token;
            Events ev;
            const DiskNode root = scan(home("r"), token, ev, threads);
            QCOMPARE(root.size(), qint64(0));
            QVERIFY2(allowed.contains(rawValue(root.category())), qPrintable(rawValue(root.category())));
        }
    }

    // Names that are not UTF-8 keep their bytes: nodes that show alike ("\uFFFD") keep ids of
    // their own that give the bytes back, sizes are those of the files the bytes name, and only
    // the name that really is "\uFFFD" offers its shown path to path-taking actions.
    void namesThatAreNotUtf8_data() { threads_data(); }
    void namesThatAreNotUtf8()
    {
        QFETCH(int, threads);
        TestHome home;
        const QByteArray r = QFile::encodeName(home("r"));
        const QByteArray ff = home.writeRaw("r/\xff", QByteArray(8192, 'a'));
        const QByteArray fd = home.writeRaw("r/\xfd", QByteArray(8192, 'a')); // a copy of \xff
        const QByteArray fe = home.writeRaw("r/\xfe", QByteArray(40960, 'b'));
        const QByteArray literal = home.writeRaw("r/\xef\xbf\xbd", QByteArray(4096, 'c'));
        const QByteArray nested = home.writeRaw("r/d\xfe/\xff", QByteArray(20480, 'd'));
        QVERIFY(!ff.isEmpty() && !fd.isEmpty() && !fe.isEmpty() && !literal.isEmpty() && !nested.isEmpty());
        const auto allocated = [](const QByteArray& raw) {
            struct stat st {};
            return ::lstat(raw.constData(), &st) == 0 ? qint64(st.st_blocks) * 512 : qint64(-1);
        };

        CancelToken token;
        Events ev;
        const DiskNode root = scan(home("r"), token, ev, threads);
        QCOMPARE(root.rawPath(), r);
        QVERIFY(root.pathRoundTrips());
        const QList<DiskNode> kids = root.children();
        QCOMPARE(kids.size(), 5);
        QSet<QString> ids;
        QHash<QByteArray, DiskNode> byRaw;
        for (const DiskNode& k : kids) {
            ids.insert(k.id());
            byRaw.insert(k.rawPath(), k);
            QCOMPARE(RawPath::fromKey(k.id()), k.rawPath());
            if (!k.isDirectory())
                QCOMPARE(k.size(), allocated(k.rawPath()));
        }
        QCOMPARE(ids.size(), 5);
        QCOMPARE(QSet<QByteArray>(byRaw.keyBegin(), byRaw.keyEnd()),
                 (QSet<QByteArray>{ff, fd, fe, literal, r + "/d\xfe"}));

        const QString shown = home("r/\uFFFD");
        for (const QByteArray& raw : {ff, fd, fe}) {
            const DiskNode& n = byRaw[raw];
            QCOMPARE(n.name(), QStringLiteral("\uFFFD"));
            QCOMPARE(n.path(), shown);
            QVERIFY(n.id() != shown);
            QVERIFY(!n.pathRoundTrips());
        }
        const DiskNode& real = byRaw[literal];
        QCOMPARE(real.id(), shown);
        QCOMPARE(real.path(), shown);
        QVERIFY(real.pathRoundTrips());
        QCOMPARE(real.size(), allocated(literal));

        const DiskNode& folder = byRaw[r + "/d\xfe"];
        QCOMPARE(folder.name(), QStringLiteral("d\uFFFD"));
        QCOMPARE(folder.children().size(), 1);
        QCOMPARE(folder.children().first().rawPath(), nested);
        QCOMPARE(folder.children().first().size(), allocated(nested));
        QVERIFY(folder.children().first().id().startsWith(folder.id() + "/"));
        QCOMPARE(root.size(), allocated(ff) + allocated(fd) + allocated(fe) + allocated(literal) + allocated(nested));

        // A node made by hand from such an id reaches the same bytes; so does a scan rooted there.
        const DiskNode byHand(folder.id(), folder.name(), 0, true, FileCategory::other, std::nullopt);
        QCOMPARE(byHand.rawPath(), folder.rawPath());
        QVERIFY(!byHand.pathRoundTrips());
        Events sub;
        const DiskNode rescanned = scan(folder.id(), token, sub, threads);
        QCOMPARE(rescanned.id(), folder.id());
        QCOMPARE(rescanned.size(), allocated(nested));
    }

    // A root that is a link to a folder is mapped through the link, with or without a trailing
    // "/", and named by the path as given; a link below it stays a leaf.
    void linkedRoot_data()
    {
        QTest::addColumn<QString>("root");
        QTest::newRow("link") << "link";
        QTest::newRow("link with a trailing slash") << "link/";
    }
    void linkedRoot()
    {
        QFETCH(QString, root);
        TestHome home;
        home.writeFile("Downloads/a/big.zip", 40'960);
        home.writeFile("Downloads/b.txt", 8192);
        home.writeFile("elsewhere/huge", 400'000);
        home.symlink("Downloads/inner", home("elsewhere"));
        home.symlink("link", home("Downloads"));
        const qint64 files =
            TestHome::allocated(home("Downloads/a/big.zip")) + TestHome::allocated(home("Downloads/b.txt"));
        for (int threads : {1, 8}) {
            CancelToken token;
            Events ev;
            const DiskNode n = scan(home(root), token, ev, threads);
            QVERIFY(n.isDirectory());
            QCOMPARE(n.id(), home(root));
            QCOMPARE(n.name(), QString("link"));
            QVERIFY(n.modified().has_value());
            const std::optional<DiskNode> a = childNamed(n.children(), "a");
            QVERIFY(a);
            QCOMPARE(a->id(), home("link/a"));
            QCOMPARE(a->children().size(), 1);
            QCOMPARE(ev.children.size(), 3); // a, b.txt and the link, which is not entered
            const std::optional<DiskNode> found = childNamed(ev.children, "inner");
            QVERIFY(found);
            const DiskNode inner = *found;
            QVERIFY(!inner.isDirectory());
            QCOMPARE(n.size(), files + inner.size());
            QVERIFY(inner.size() < 400'000);
        }
    }

    void rootIsFile()
    {
        TestHome home;
        const QString f = home.writeFile("clip.MOV", 10'000);
        CancelToken token;
        Events ev;
        const DiskNode n = scan(f, token, ev, 0);
        QCOMPARE(n.id(), f);
        QCOMPARE(n.name(), QString("clip.MOV"));
        QVERIFY(!n.isDirectory());
        QCOMPARE(n.size(), TestHome::allocated(f));
        QCOMPARE(n.category(), FileCategory::video);
        QVERIFY(n.modified().has_value());
        QVERIFY(ev.log.isEmpty());
    }

    void missingRoot()
    {
        TestHome home;
        CancelToken token;
        Events ev;
        const DiskNode n = scan(home("nothing.zip"), token, ev, 0);
        QCOMPARE(n.id(), home("nothing.zip"));
        QVERIFY(!n.isDirectory());
        QCOMPARE(n.size(), qint64(0));
        QCOMPARE(n.modified(), std::nullopt);
        QCOMPARE(n.category(), FileCategory::archives);
        QVERIFY(ev.log.isEmpty());
    }

    void tildeRoot()
    {
        TestHome home;
        home.writeFile("f", 4096);
        CancelToken token;
        Events ev;
        const DiskNode n = scan("~", token, ev, 0);
        QCOMPARE(n.id(), home.path());
        QCOMPARE(n.size(), fileBytes(n));
        QVERIFY(childNamed(n.children(), "f"));
    }

    void cancelBeforeStart()
    {
        TestHome home;
        home.writeFile("r/a/f", 4096);
        CancelToken token;
        token.cancel();
        Events ev;
        const DiskNode n = scan(home("r"), token, ev, 0);
        QVERIFY(n.isDirectory());
        QCOMPARE(n.size(), qint64(0));
        QVERIFY(n.children().isEmpty());
        QCOMPARE(n.modified(), std::nullopt);
        QVERIFY(ev.log.isEmpty());
    }

    // Cancelling at the first progress report, inside the first child: that child stays
    // (consistent, partly counted), nothing after it is added, and no callback follows.
    void cancelInsideFirstChild_data() { threads_data(); }
    void cancelInsideFirstChild()
    {
        QFETCH(int, threads);
        TestHome home;
        // Top-level folders alike, so that whichever the root lists first is the first child.
        for (const char* top : {"a", "b", "c"}) {
            for (int i = 0; i < 30; ++i)
                home.writeFile(QString("r/%1/s%2/t/f").arg(top).arg(i, 2, 10, QLatin1Char('0')), 4096);
            home.writeFile(QString("r/%1/file").arg(top), 4096);
        }
        const QString first = TestHome::listingOrder(home("r")).first();
        CancelToken token;
        Events ev;
        const DiskNode root = scan(home("r"), token, ev, threads, [&](Events&) { token.cancel(); });
        QCOMPARE(ev.log.size(), 1);
        QCOMPARE(ev.log.first(), QString("p"));
        const QList<DiskNode> kids = root.children();
        // With workers another folder may be listed first, leaving the first unlisted (size 0,
        // not shown).
        if (threads == 1)
            QCOMPARE(kids.size(), 1);
        QVERIFY(kids.size() <= 1);
        if (!kids.isEmpty())
            QCOMPARE(kids.first().id(), home("r/" + first));
        QCOMPARE(root.size(), fileBytes(root));
        QVERIFY(root.size() <= 31 * 4096 * 2);
        if (threads == 1) { // only r/a was listed: its subfolders stay empty, without dates
            for (const DiskNode& s : kids.first().children()) {
                if (!s.isDirectory())
                    continue;
                QVERIFY(s.children().isEmpty());
                QCOMPARE(s.size(), qint64(0));
                QCOMPARE(s.modified(), std::nullopt);
            }
        }
    }

    // The parallel walk builds the same tree as the walk on the calling thread.
    void parallelEqualsSequential()
    {
        TestHome home;
        QRandomGenerator rng(20261210);
        QStringList folders{"t"};
        for (int i = 0; i < 60; ++i) {
            const QString parent = folders[int(rng.bounded(qsizetype(folders.size())))];
            const char* ext[] = {"", ".app", ".photoslibrary", ".d"};
            folders << parent + QString("/d%1%2").arg(i).arg(ext[rng.bounded(4)]);
            home.mkdir(folders.last());
        }
        home.mkdir("t/flat");
        for (int i = 0; i < 150; ++i)
            home.writeFile(QString("t/flat/f%1").arg(i), rng.bounded(3) * 4096);
        const char* exts[] = {".mov", ".jpg", ".txt", ".c", ".zip", ".log", "", ".mp3"};
        for (int i = 0; i < 600; ++i) {
            const QString dir = folders[int(rng.bounded(qsizetype(folders.size())))];
            const QString name =
                QString("%1/%2f%3%4").arg(dir, rng.bounded(10) == 0 ? "." : "").arg(i).arg(exts[rng.bounded(8)]);
            home.writeFile(name, rng.bounded(6) == 0 ? 0 : qint64(rng.bounded(1, 200'000)));
        }
        home.symlink("t/d3link", home("t"));
        CancelToken token;
        Events one, many;
        const DiskNode a = scan(home("t"), token, one, 1);
        for (int round = 0; round < 5; ++round) {
            Events ev;
            const DiskNode b = scan(home("t"), token, ev, 8);
            QCOMPARE(b, a);
            QCOMPARE(qHash(b), qHash(a));
            QCOMPARE(ev.children.size(), one.children.size());
            for (qsizetype i = 0; i < ev.children.size(); ++i)
                QCOMPARE(ev.children[i], one.children[i]);
        }
        QCOMPARE(fileBytes(a), a.size());
    }

    // A root of thousands of entries is read and statted in parts, and a folder of thousands is
    // statted in parts by several threads: the tree is the one the calling thread alone builds,
    // and every top-level entry is handed over once, in listing order.
    void largeFoldersInParts()
    {
        TestHome home;
        for (int i = 0; i < 2600; ++i)
            home.writeFile(QString("r/f%1.%2").arg(i).arg(i % 3 ? "txt" : "mov"), (i % 5) * 4096);
        for (int i = 0; i < 30; ++i)
            home.writeFile(QString("r/d%1/g").arg(i), 8192);
        for (int i = 0; i < 5000; ++i)
            home.writeFile(QString("r/d7/big/x%1").arg(i), (i % 4) * 4096);
        home.writeFile("r/d7/big/inner/deep", 40960);
        CancelToken token;
        Events one;
        const DiskNode a = scan(home("r"), token, one, 1);
        QCOMPARE(fileBytes(a), a.size());
        QCOMPARE(childNamed(a.children(), "d7")->size(),
                 TestHome::allocated(home("r/d7/g")) + TestHome::allocated(home("r/d7/big/inner/deep"))
                     + 1250
                         * (TestHome::allocated(home("r/d7/big/x1")) + TestHome::allocated(home("r/d7/big/x2"))
                            + TestHome::allocated(home("r/d7/big/x3"))));
        for (int round = 0; round < 3; ++round) {
            Events ev;
            const DiskNode b = scan(home("r"), token, ev, 8);
            QCOMPARE(b, a);
            QStringList order;
            for (const DiskNode& c : ev.children)
                order << c.name();
            QCOMPARE(order, TestHome::listingOrder(home("r")));
            QCOMPARE(ev.children.size(), one.children.size());
            for (qsizetype i = 0; i < ev.children.size(); ++i)
                QCOMPARE(ev.children[i], one.children[i]);
        }
    }

    // Stopped while the parts of a large folder are being statted: what was counted forms a
    // consistent tree (the entries no part got to are left out, none shows without a name).
    void stopWhileStattingInParts()
    {
        TestHome home;
        for (int i = 0; i < 40000; ++i)
            home.writeFile(QString("r/big/x%1").arg(i), 1);
        const qint64 each = TestHome::allocated(home("r/big/x0"));
        CancelToken token;
        Events ev;
        const DiskNode root = scan(home("r"), token, ev, 8, [&](Events&) { token.cancel(); });
        QCOMPARE(ev.log.size(), 1);
        int nameless = 0, wrongSize = 0;
        const std::function<void(const DiskNode&)> check = [&](const DiskNode& n) {
            nameless += n.name().isEmpty() ? 1 : 0;
            wrongSize += !n.isDirectory() && n.size() != each ? 1 : 0;
            for (const DiskNode& c : n.children())
                check(c);
        };
        check(root);
        QCOMPARE(nameless, 0);
        QCOMPARE(wrongSize, 0);
        QCOMPARE(root.size(), fileBytes(root));
        QVERIFY(root.size() < 40000 * each); // stopped before the end
        QVERIFY(root.size() > 0);
    }

    void unreadableFolderIsEmpty()
    {
        if (TestHome::isRoot())
            QSKIP("permissions do not apply to root");
        TestHome home;
        home.writeFile("r/locked/f", 4096);
        home.writeFile("r/open/f", 4096);
        QFile::setPermissions(home("r/locked"), QFileDevice::Permissions());
        CancelToken token;
        Events ev;
        const DiskNode n = scan(home("r"), token, ev, 0);
        QFile::setPermissions(home("r/locked"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const std::optional<DiskNode> locked = childNamed(n.children(), "locked");
        QVERIFY(locked);
        QCOMPARE(locked->size(), qint64(0));
        QCOMPARE(locked->modified(), std::nullopt);
        QCOMPARE(n.size(), TestHome::allocated(home("r/open/f")));
    }
};

QTEST_GUILESS_MAIN(tst_DiskMapScanner)
#include "tst_DiskMapScanner.moc"
