#pragma once
// Settings files spoilt in the ways a store must survive, and a watchdog that gets a reader
// blocked on a FIFO going again, so that a test fails instead of hanging.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BadSettingsFile {

// A valid file holding a total and a history entry, as the program writes it.
inline QByteArray goodFile()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>totalFreedAllTime</key><integer>123456789012</integer>"
           "<key>hasCompletedOnboarding</key><true/></dict></plist>\n";
}

// The kinds of spoilt file, by name.
inline QList<const char*> kinds()
{
    return {"truncated",        "empty",    "random bytes", "bplist header and junk", "top-level array", "fifo",
            "link to a device", "deep xml", "deep binary",  "unreadable (chmod 000)"};
}

// Makes a file of `kind` at `path` (its folder exists). False when it could not be made.
inline bool make(const QByteArray& kind, const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    const auto write = [&](const QByteArray& bytes) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    };
    if (kind == "truncated")
        return write(goodFile().left(goodFile().indexOf("</integer>") + 10));
    if (kind == "empty")
        return write({});
    if (kind == "random bytes") {
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk += char((i * 7919 + 13) & 0xff);
        return write(junk);
    }
    if (kind == "bplist header and junk")
        return write("bplist00" + QByteArray(200, '\x5a'));
    if (kind == "top-level array")
        return write("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>");
    if (kind == "fifo")
        return ::mkfifo(p.constData(), 0600) == 0;
    if (kind == "link to a device")
        return ::symlink("/dev/zero", p.constData()) == 0;
    if (kind == "deep xml")
        return write("<plist version=\"1.0\">" + QByteArray("<array>").repeated(200'000)
                     + QByteArray("</array>").repeated(200'000) + "</plist>");
    if (kind == "deep binary") {
        // 100,000 arrays, each holding the next.
        const int levels = 100'000;
        QByteArray out("bplist00");
        QList<quint32> offsets;
        for (int i = 0; i < levels; ++i) {
            offsets << quint32(out.size());
            if (i == levels - 1) {
                out += char(0xA0);
                continue;
            }
            out += char(0xA1);
            for (int b = 3; b >= 0; --b)
                out += char((quint32(i + 1) >> (8 * b)) & 0xff);
        }
        const quint32 table = quint32(out.size());
        for (quint32 o : offsets)
            for (int b = 3; b >= 0; --b)
                out += char((o >> (8 * b)) & 0xff);
        out += QByteArray(6, '\0');
        out += char(4);
        out += char(4);
        for (quint64 v : {quint64(levels), quint64(0), quint64(table)})
            for (int b = 7; b >= 0; --b)
                out += char((v >> (8 * b)) & 0xff);
        return write(out);
    }
    if (kind == "unreadable (chmod 000)")
        return write(goodFile()) && ::chmod(p.constData(), 0) == 0;
    return false;
}

// Whether a kind can only be seen as unreadable by someone who is not root.
inline bool needsNonRoot(const QByteArray& kind) { return kind == "unreadable (chmod 000)"; }

// While it lives, a reader that opened the FIFO at `path` and waits in open() for a writer is let
// go after `after`: the watchdog opens the FIFO for writing and closes it again.
class FifoWatchdog {
public:
    FifoWatchdog(const QString& path, std::chrono::milliseconds after)
        : m_path(QFile::encodeName(path)), m_thread([this, after] { run(after); })
    {
    }
    ~FifoWatchdog()
    {
        m_done = true;
        m_thread.join();
    }

private:
    void run(std::chrono::milliseconds after)
    {
        QElapsedTimer timer;
        timer.start();
        while (!m_done && timer.elapsed() < after.count())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        while (!m_done) {
            // Succeeds only once somebody has it open for reading.
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    QByteArray m_path;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace BadSettingsFile
