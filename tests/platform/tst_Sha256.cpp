#include "TestHome.h"
#include "platform/Sha256.h"

#include <QTest>

#include <cerrno>

#include <sys/stat.h>

class tst_Sha256 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void knownDigests()
    {
        Sha256 h;
        h.update("abc", 3);
        QCOMPARE(Sha256::hex(h.finish()), QString("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        QCOMPARE(Sha256::hex(h.finish()), QString("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    }

    // A file read in several chunks gives the digest of its whole contents.
    void fileInChunks()
    {
        TestHome home;
        const QString path = home.writeFile("f", 3 * 1024 * 1024 + 17, 'q');
        Sha256 whole;
        const QByteArray data(3 * 1024 * 1024 + 17, 'q');
        whole.update(data.constData(), size_t(data.size()));
        const QByteArray expected = whole.finish();
        const auto d = Sha256::ofFile(path, 1 << 20);
        QCOMPARE(d.status, Sha256::FileStatus::Ok);
        QCOMPARE(d.digest, expected);
        QCOMPARE(Sha256::ofFile(path, 4096).digest, expected);
        QCOMPARE(Sha256::ofFile(home("missing")).status, Sha256::FileStatus::Unreadable);
    }

    // A read that fails part-way leaves the file out rather than giving the digest of a prefix.
    void failedReadIsUnreadable()
    {
        int calls = 0;
        const auto d = Sha256::ofStream(
            [&](char* into, size_t length) -> long long {
                if (++calls <= 2) {
                    std::memset(into, 'a', length);
                    return (long long)length;
                }
                errno = EIO;
                return -1;
            },
            1024);
        QCOMPARE(calls, 3);
        QCOMPARE(d.status, Sha256::FileStatus::Unreadable);
        QVERIFY(d.digest.isEmpty());

        int reads = 0;
        const auto stopped = Sha256::ofStream(
            [&](char*, size_t length) -> long long {
                ++reads;
                return (long long)length;
            },
            16, [&] { return reads == 2; });
        QCOMPARE(stopped.status, Sha256::FileStatus::Stopped);
        QCOMPARE(reads, 2);
    }

    // A walked file replaced by a FIFO or a link before it is hashed is skipped at once: no
    // waiting for a writer, no following the link.
    void onlyRegularFilesAreRead()
    {
        TestHome home;
        const QString fifo = home("pipe");
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        QCOMPARE(Sha256::ofFile(fifo).status, Sha256::FileStatus::Unreadable);
        const QString real = home.writeFile("real", 5000);
        const QString link = home.symlink("link", real);
        QCOMPARE(Sha256::ofFile(link).status, Sha256::FileStatus::Unreadable);
        QCOMPARE(Sha256::ofFile(real).status, Sha256::FileStatus::Ok);
        QCOMPARE(Sha256::ofFile(home.path()).status, Sha256::FileStatus::Unreadable);
    }
};

QTEST_GUILESS_MAIN(tst_Sha256)
#include "tst_Sha256.moc"
