#include "TestHome.h"
#include "platform/FileWalker.h"
#include "platform/RawPath.h"
#include "platform/Sha256.h"
#include "services/DuplicateScanner.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// `size` bytes that follow `seed`; `lastByte` replaces the final byte.
QByteArray seeded(qint64 size, int seed, int lastByte = -1)
{
    QByteArray data(size, Qt::Uninitialized);
    quint32 x = quint32(seed) * 2654435761u + 1;
    for (qint64 i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        data[i] = char(x >> 24);
    }
    if (lastByte >= 0 && size > 0)
        data[size - 1] = char(lastByte);
    return data;
}

// A file of `size` bytes whose contents follow `seed`; `lastByte` replaces the final byte.
QString writeSeeded(const TestHome& home, const QString& relative, qint64 size, int seed, int lastByte = -1)
{
    const QString path = home(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(seeded(size, seed, lastByte)) != size)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

struct Run {
    QList<int> progress;
    QList<FileScanResult> results;
    bool offThread = false;
};

Run run(const QString& root, const CancelToken& token, int threads = 0, const std::function<void(Run&)>& onEvent = {})
{
    Run r;
    QThread* me = QThread::currentThread();
    DuplicateScanner::scan(
        root, token,
        [&](int n) {
        r.offThread |= QThread::currentThread() != me;
        r.progress << n;
        if (onEvent)
            onEvent(r);
        },
        [&](const FileScanResult& res) {
        r.offThread |= QThread::currentThread() != me;
        r.results << res;
        if (onEvent)
            onEvent(r);
    },
        threads);
    return r;
}

QStringList paths(const QList<ScannedFile>& files, const TestHome& home)
{
    QStringList out;
    for (const ScannedFile& f : files)
        out << f.path().mid(home.path().size() + 1);
    return out;
}

// "size:rel1,rel2" per group.
QStringList describe(const QList<DuplicateGroup>& groups, const TestHome& home)
{
    QStringList out;
    for (const DuplicateGroup& g : groups)
        out << QString::number(g.size) + ":" + paths(g.files, home).join(',');
    return out;
}

} // namespace

class tst_DuplicateScanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void progressCadence_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<QList<int>>("reports");
        QTest::newRow("1,499") << 1499 << QList<int>{500, 1000, 1499};
        QTest::newRow("1,000 repeats the last") << 1000 << QList<int>{500, 1000, 1000};
        QTest::newRow("empty folder") << 0 << QList<int>{0};
    }
    void progressCadence()
    {
        QFETCH(int, files);
        QFETCH(QList<int>, reports);
        TestHome home;
        home.mkdir("r");
        for (int i = 0; i < files; ++i)
            home.writeFile(QString("r/d%1/f%2").arg(i % 7).arg(i), 1);
        CancelToken token;
        const Run r = run(home("r"), token);
        QCOMPARE(r.progress, reports);
        QCOMPARE(r.results.size(), 2); // the largest list, then the final delivery
        QVERIFY(r.results[1].duplicates.isEmpty());
        QCOMPARE(r.results[0].largest.size(), qMin(files, 100));
        QVERIFY(!r.offThread);
    }

    // The 100 largest, ties in depth-first walk order with names in byte order.
    void largestCut()
    {
        TestHome home;
        for (int i = 0; i < 45; ++i) {
            home.writeFile(QString("r/a/x%1").arg(i, 3, 10, QLatin1Char('0')), 4096);
            home.writeFile(QString("r/a/m/y%1").arg(i, 3, 10, QLatin1Char('0')), 4096);
        }
        for (int i = 0; i < 60; ++i)
            home.writeFile(QString("r/b/z%1").arg(i, 3, 10, QLatin1Char('0')), 8192);
        CancelToken token;
        const Run r = run(home("r"), token);
        QCOMPARE(r.progress, QList<int>{150});
        const QList<ScannedFile> largest = r.results.first().largest;
        QCOMPARE(largest.size(), 100);
        QStringList expected;
        for (int i = 0; i < 60; ++i)
            expected << QString("r/b/z%1").arg(i, 3, 10, QLatin1Char('0'));
        for (int i = 0; i < 40; ++i)
            expected << QString("r/a/m/y%1").arg(i, 3, 10, QLatin1Char('0'));
        QCOMPARE(paths(largest, home), expected);
        QCOMPARE(largest.first().size, TestHome::allocated(home("r/b/z000")));
        QCOMPARE(largest.first().id(), home("r/b/z000"));
    }

    // Classes are keyed by byte size, and the threshold is on the bytes: two identical
    // 999,999-byte files allocate over 1,000,000 bytes yet are never compared.
    void threshold()
    {
        TestHome home;
        writeSeeded(home, "r/a1", 999'999, 1);
        writeSeeded(home, "r/a2", 999'999, 1);
        writeSeeded(home, "r/b1", 1'000'000, 2);
        writeSeeded(home, "r/b2", 1'000'000, 2);
        writeSeeded(home, "r/c", 1'000'000 - 1, 2); // same allocation as b1, different length
        QCOMPARE(TestHome::allocated(home("r/a1")), TestHome::allocated(home("r/b1")));
        QVERIFY(TestHome::allocated(home("r/a1")) >= 1'000'000);
        CancelToken token;
        const Run r = run(home("r"), token);
        const QList<DuplicateGroup> groups = r.results.last().duplicates;
        QCOMPARE(describe(groups, home),
                 QStringList{QString::number(TestHome::allocated(home("r/b1"))) + ":r/b1,r/b2"});
        QCOMPARE(reclaimableBytes(groups.first()), TestHome::allocated(home("r/b1")));
        QFile f(home("r/b1"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        Sha256 h;
        const QByteArray all = f.readAll();
        h.update(all.constData(), size_t(all.size()));
        QCOMPARE(groups.first().id, Sha256::hex(h.finish()));
        QCOMPARE(groups.first().id.size(), 64);
    }

    // Deliveries after each size that found groups, largest sizes first, then once more at the
    // end; groups ordered by reclaimable bytes with ties kept in the order they were found.
    void groupsAndOrder_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one hashing thread") << 1;
        QTest::newRow("eight hashing threads") << 8;
    }
    void groupsAndOrder()
    {
        QFETCH(int, threads);
        TestHome home;
        // Block multiples, so that allocated sizes equal byte sizes.
        writeSeeded(home, "r/b/two4", 4'096'000, 4);
        writeSeeded(home, "r/a/one2", 2'048'000, 2);
        writeSeeded(home, "r/a/two2", 2'048'000, 2);
        writeSeeded(home, "r/c/three2", 2'048'000, 2);
        writeSeeded(home, "r/a/one5", 5'120'000, 5);
        writeSeeded(home, "r/b/two5", 5'120'000, 5);
        writeSeeded(home, "r/a/one4", 4'096'000, 4);
        // Three of one size, two identical: one group of two.
        writeSeeded(home, "r/p1", 3'072'000, 7);
        writeSeeded(home, "r/p2", 3'072'000, 7);
        writeSeeded(home, "r/p3", 3'072'000, 7, 0x55);
        // Same size, different last byte: no group and no delivery for that size.
        writeSeeded(home, "r/q1", 2'560'000, 9, 1);
        writeSeeded(home, "r/q2", 2'560'000, 9, 2);
        CancelToken token;
        const Run r = run(home("r"), token, threads);
        QCOMPARE(r.results.size(), 6);
        QVERIFY(r.results[0].duplicates.isEmpty());
        QCOMPARE(describe(r.results[1].duplicates, home), QStringList{"5120000:r/a/one5,r/b/two5"});
        QCOMPARE(describe(r.results[2].duplicates, home),
                 (QStringList{"5120000:r/a/one5,r/b/two5", "4096000:r/a/one4,r/b/two4"}));
        QCOMPARE(describe(r.results[3].duplicates, home),
                 (QStringList{"5120000:r/a/one5,r/b/two5", "4096000:r/a/one4,r/b/two4", "3072000:r/p1,r/p2"}));
        const QStringList all{"5120000:r/a/one5,r/b/two5", "4096000:r/a/one4,r/b/two4",
                              "2048000:r/a/one2,r/a/two2,r/c/three2", "3072000:r/p1,r/p2"};
        QCOMPARE(describe(r.results[4].duplicates, home), all);
        QCOMPARE(r.results[5], r.results[4]); // the final delivery repeats the last one
        for (const FileScanResult& res : r.results)
            QCOMPARE(res.largest, r.results[0].largest);
        QVERIFY(!r.offThread);
    }

    // Hidden items and links never appear; files inside bundles do.
    void whatIsWalked()
    {
        TestHome home;
        writeSeeded(home, "r/seen", 2'000'000, 3);
        writeSeeded(home, "r/.hidden", 2'000'000, 3);
        writeSeeded(home, "r/.dir/copy", 2'000'000, 3);
        writeSeeded(home, "r/Tool.app/Contents/copy", 2'000'000, 3);
        home.symlink("r/link", home("r/seen"));
        home.symlink("r/folderlink", home("r/Tool.app"));
        CancelToken token;
        const Run r = run(home("r"), token);
        QCOMPARE(paths(r.results.first().largest, home), (QStringList{"r/Tool.app/Contents/copy", "r/seen"}));
        QCOMPARE(
            describe(r.results.last().duplicates, home),
            QStringList{QString::number(TestHome::allocated(home("r/seen"))) + ":r/Tool.app/Contents/copy,r/seen"});
    }

    // One file under two paths is not a duplicate of itself; the largest list still has both.
    void hardLinks()
    {
        TestHome home;
        writeSeeded(home, "r/a", 2'000'000, 3);
        QCOMPARE(::link(QFile::encodeName(home("r/a")).constData(), QFile::encodeName(home("r/b")).constData()), 0);
        writeSeeded(home, "r/c", 2'000'000, 3);
        writeSeeded(home, "r/solo", 3'000'000, 4);
        QCOMPARE(::link(QFile::encodeName(home("r/solo")).constData(), QFile::encodeName(home("r/solo2")).constData()),
                 0);
        CancelToken token;
        const Run r = run(home("r"), token);
        QCOMPARE(paths(r.results.first().largest, home), (QStringList{"r/solo", "r/solo2", "r/a", "r/b", "r/c"}));
        QCOMPARE(describe(r.results.last().duplicates, home),
                 QStringList{QString::number(TestHome::allocated(home("r/a"))) + ":r/a,r/c"});
    }

    // A sparse copy holds the same bytes in fewer blocks: it is a duplicate all the same. The
    // group's size is the allocated size of its first file in walk order, and what it frees is
    // what the other copies allocate.
    void sparseCopies_data()
    {
        QTest::addColumn<bool>("sparseFirst");
        QTest::newRow("dense copy first") << false;
        QTest::newRow("sparse copy first") << true;
    }
    void sparseCopies()
    {
        QFETCH(bool, sparseFirst);
        TestHome home;
        // 3,000,000 bytes: 500,000 of data, zeros, 500,000 of data.
        QByteArray content = seeded(3'000'000, 6);
        content.replace(500'000, 2'000'000, QByteArray(2'000'000, '\0'));
        const QString dense = writeSeeded(home, sparseFirst ? "r/b-dense" : "r/a-dense", 0, 0);
        {
            QFile f(dense);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(content), qint64(content.size()));
        }
        const QString sparse = home(sparseFirst ? "r/a-sparse" : "r/b-sparse");
        {
            const int fd = ::open(QFile::encodeName(sparse).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::pwrite(fd, content.constData(), 500'000, 0), ssize_t(500'000));
            QCOMPARE(::pwrite(fd, content.constData() + 2'500'000, 500'000, 2'500'000), ssize_t(500'000));
            ::close(fd);
        }
        const qint64 denseBlocks = TestHome::allocated(dense), sparseBlocks = TestHome::allocated(sparse);
        if (sparseBlocks >= denseBlocks)
            QSKIP("this file system does not keep holes");
        CancelToken token;
        const Run r = run(home("r"), token);
        const QList<DuplicateGroup> groups = r.results.last().duplicates;
        QCOMPARE(groups.size(), 1);
        const DuplicateGroup& g = groups.first();
        QCOMPARE(g.files.size(), 2);
        QCOMPARE(g.files[0].path(), sparseFirst ? sparse : dense);
        QCOMPARE(g.size, sparseFirst ? sparseBlocks : denseBlocks);
        QCOMPARE(g.files[1].size, sparseFirst ? denseBlocks : sparseBlocks);
        QCOMPARE(reclaimableBytes(g), sparseFirst ? denseBlocks : sparseBlocks);
    }

    void reclaimable_data()
    {
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<qint64>("freed");
        QTest::newRow("no files") << QList<qint64>{} << qint64(0);
        QTest::newRow("copies alike: size x (n - 1)") << QList<qint64>{4096, 4096, 4096} << qint64(8192);
        QTest::newRow("the first copy stays") << QList<qint64>{1000, 3000, 5000} << qint64(8000);
    }
    void reclaimable()
    {
        QFETCH(QList<qint64>, sizes);
        QFETCH(qint64, freed);
        DuplicateGroup g;
        for (qsizetype i = 0; i < sizes.size(); ++i)
            g.files << ScannedFile{"/f" + QByteArray::number(i), sizes[i]};
        QCOMPARE(reclaimableBytes(g), freed);
    }

    // The folders are listed in parallel, yet everything that depends on the order of the walk
    // comes out as a depth-first walk with names in byte order gives it: the progress counts,
    // the cut of the largest list among files of equal size, and the order of each group's files
    // (whose first is the copy that stays unticked).
    void sameOrderAsTheSequentialWalk()
    {
        TestHome home;
        QRandomGenerator rng(4242);
        QStringList folders{"r"};
        for (int i = 0; i < 90; ++i) {
            const QString parent = folders[int(rng.bounded(qsizetype(folders.size())))];
            folders << parent + (rng.bounded(12) == 0 ? QString("/.h%1") : QString("/d%1")).arg(i);
            home.mkdir(folders.last());
        }
        const auto anywhere = [&] { return folders[int(rng.bounded(qsizetype(folders.size())))]; };
        for (int i = 0; i < 1'300; ++i) // mostly equal sizes, so the cut falls among ties
            home.writeFile(QString("%1/%2f%3").arg(anywhere(), rng.bounded(15) == 0 ? "." : "").arg(i),
                           rng.bounded(4) == 0 ? 8192 : 4096);
        QMap<QString, int> bigContent; // relative path -> seed
        for (int i = 0; i < 14; ++i) {
            const int seed = int(rng.bounded(5));
            const QString rel = QString("%1/big%2").arg(anywhere()).arg(i);
            writeSeeded(home, rel, 1'000'000 + 4096 * seed, seed);
            bigContent.insert(home(rel), seed);
        }
        home.symlink("r/d0/link", home("r"));

        // The sequential walk, as a reference.
        std::vector<std::pair<QString, qint64>> walked;
        FileWalker::Options o;
        o.sorted = true;
        o.skipHidden = true;
        QVERIFY(FileWalker::walk(home("r").toStdString(), o, [&](const FileWalker::Entry& e) {
            if (e.kind == FileWalker::Kind::File)
                walked.emplace_back(QString::fromStdString(std::string(e.path)), e.allocated());
            return FileWalker::Visit::Descend;
        }));
        QList<int> progress;
        for (int n = 500; n <= int(walked.size()); n += 500)
            progress << n;
        progress << int(walked.size());
        std::vector<std::pair<QString, qint64>> byPlace = walked;
        std::stable_sort(byPlace.begin(), byPlace.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        QStringList largest;
        for (size_t i = 0; i < 100; ++i)
            largest << byPlace[i].first;
        QMap<int, QStringList> bySeed;
        for (const auto& [path, size] : walked)
            if (bigContent.contains(path))
                bySeed[bigContent[path]] << path;
        QSet<QStringList> groups;
        for (const QStringList& files : std::as_const(bySeed))
            if (files.size() >= 2)
                groups.insert(files);
        QVERIFY(groups.size() >= 2);

        for (int round = 0; round < 3; ++round) {
            CancelToken token;
            const Run r = run(home("r"), token);
            QCOMPARE(r.progress, progress);
            QStringList gotLargest;
            for (const ScannedFile& f : r.results.first().largest)
                gotLargest << f.path();
            QCOMPARE(gotLargest, largest);
            QSet<QStringList> gotGroups;
            for (const DuplicateGroup& g : r.results.last().duplicates) {
                QStringList files;
                for (const ScannedFile& f : g.files)
                    files << f.path();
                gotGroups.insert(files);
            }
            QCOMPARE(gotGroups, groups);
        }
    }

    void cancel_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("results");
        QTest::newRow("during the walk") << "progress" << 1 << 0;
        QTest::newRow("at the largest list") << "largest" << 2 << 1;
        QTest::newRow("at the first partial result") << "partial" << 2 << 2;
    }
    void cancel()
    {
        QFETCH(QString, when);
        QFETCH(int, progress);
        QFETCH(int, results);
        TestHome home;
        for (int i = 0; i < 600; ++i)
            home.writeFile(QString("r/small/f%1").arg(i), 1);
        writeSeeded(home, "r/a1", 3'000'000, 1);
        writeSeeded(home, "r/a2", 3'000'000, 1);
        writeSeeded(home, "r/b1", 2'000'000, 2);
        writeSeeded(home, "r/b2", 2'000'000, 2);
        CancelToken token;
        const Run r = run(home("r"), token, 0, [&](Run& now) {
            if ((when == "progress" && !now.progress.isEmpty()) || (when == "largest" && !now.results.isEmpty())
                || (when == "partial" && !now.results.isEmpty() && !now.results.last().duplicates.isEmpty()))
                token.cancel();
        });
        QCOMPARE(r.progress.size(), progress);
        QCOMPARE(r.results.size(), results);
        if (when == "partial")
            QCOMPARE(r.results.last().duplicates.size(), 1);
    }

    // A file that vanishes before it is read takes no part; the rest of its size still group.
    void fileDeletedWhileScanning()
    {
        TestHome home;
        writeSeeded(home, "r/a", 2'000'000, 3);
        writeSeeded(home, "r/b", 2'000'000, 3);
        writeSeeded(home, "r/c", 2'000'000, 3);
        CancelToken token;
        const Run r = run(home("r"), token, 0, [&](Run& now) {
            if (now.results.size() == 1)
                QFile::remove(home("r/b"));
        });
        QCOMPARE(r.results.first().largest.size(), 3);
        QCOMPARE(describe(r.results.last().duplicates, home),
                 QStringList{QString::number(TestHome::allocated(home("r/a"))) + ":r/a,r/c"});
    }

    // Names that are not UTF-8 are walked and hashed by their bytes. "\xff" and its copy
    // "\xfd" form the one group; "\xfe", as large but different, joins none, although all three
    // show as "\uFFFD", the name of a small file beside them that a decoded path would reach.
    void namesThatAreNotUtf8()
    {
        TestHome home;
        const QByteArray ff = home.writeRaw("r/\xff", seeded(2'000'000, 1));
        const QByteArray fd = home.writeRaw("r/\xfd", seeded(2'000'000, 1));
        const QByteArray fe = home.writeRaw("r/\xfe", seeded(2'000'000, 2));
        const QByteArray decoy = home.writeRaw("r/\xef\xbf\xbd", seeded(1'000, 3));
        QVERIFY(!ff.isEmpty() && !fd.isEmpty() && !fe.isEmpty() && !decoy.isEmpty());
        CancelToken token;
        const Run r = run(home("r"), token);
        QVERIFY(!r.results.isEmpty());

        const QList<ScannedFile> largest = r.results.first().largest;
        QCOMPARE(largest.size(), 4);
        QSet<QString> ids;
        for (const ScannedFile& f : largest) {
            ids.insert(f.id());
            QCOMPARE(RawPath::fromKey(f.id()), f.rawPath);
            QCOMPARE(f.path(), home("r/\uFFFD"));
            QCOMPARE(f.pathRoundTrips(), f.rawPath == decoy);
        }
        QCOMPARE(ids.size(), 4);
        QCOMPARE(largest.last().rawPath, decoy);
        QCOMPARE(largest.last().id(), home("r/\uFFFD"));

        const QList<DuplicateGroup> groups = r.results.last().duplicates;
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups.first().files.size(), 2);
        QCOMPARE(groups.first().files[0].rawPath, fd); // walk order: names in byte order
        QCOMPARE(groups.first().files[1].rawPath, ff);
        Sha256 h;
        const QByteArray content = seeded(2'000'000, 1);
        h.update(content.constData(), size_t(content.size()));
        QCOMPARE(groups.first().id, Sha256::hex(h.finish()));
    }

    // A root that is a link to a folder is walked through the link, with or without a trailing
    // "/", and files are named below the path as given; a link below it is not followed.
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
        writeSeeded(home, "Downloads/a", 2'000'000, 1);
        writeSeeded(home, "Downloads/sub/b", 2'000'000, 1);
        writeSeeded(home, "elsewhere/c", 2'000'000, 1);
        home.symlink("Downloads/inner", home("elsewhere"));
        home.symlink("link", home("Downloads"));
        CancelToken token;
        const Run r = run(home(root), token);
        QCOMPARE(r.progress, QList<int>{2});
        QCOMPARE(paths(r.results.first().largest, home), (QStringList{"link/a", "link/sub/b"}));
        QCOMPARE(describe(r.results.last().duplicates, home),
                 QStringList{QString::number(TestHome::allocated(home("Downloads/a"))) + ":link/a,link/sub/b"});
    }

    void rootNotAFolder()
    {
        TestHome home;
        const QString file = home.writeFile("f", 10);
        for (const QString& root : {home("missing"), file}) {
            CancelToken token;
            const Run r = run(root, token);
            QVERIFY(r.progress.isEmpty());
            QVERIFY(r.results.isEmpty());
        }
    }

    void tildeRoot()
    {
        TestHome home;
        writeSeeded(home, "x/a", 1'500'000, 1);
        CancelToken token;
        const Run r = run("~/x", token);
        QCOMPARE(paths(r.results.first().largest, home), QStringList{"x/a"});
    }
};

QTEST_GUILESS_MAIN(tst_DuplicateScanner)
#include "tst_DuplicateScanner.moc"
