#pragma once
#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// SHA-256 (FIPS 180-4) through the system's crypto library.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, size_t length);
    // The 32-byte digest; the hash starts over afterwards.
    QByteArray finish();

    // Lowercase hexadecimal text of a digest ("%02x" per byte, no separator).
    static QString hex(const QByteArray& digest);

    enum class FileStatus { Ok, Unreadable, Stopped };
    struct FileDigest {
        FileStatus status = FileStatus::Unreadable;
        QByteArray digest; // set when Ok
    };
    // Digest of a file's whole contents, read once in `chunk`-byte reads. A file that cannot be
    // opened, or whose reading fails part-way, is Unreadable (never the digest of a prefix).
    // `stop` is asked before each read; when it answers true the result is Stopped.
    static FileDigest ofFile(const QString& path, size_t chunk = 1 << 20, const std::function<bool()>& stop = {});
    // The same for a path given as the bytes on disk (a name that is not UTF-8 stays itself).
    static FileDigest ofRawPath(const char* rawPath, size_t chunk = 1 << 20, const std::function<bool()>& stop = {});
    // The same over any source: `read` fills up to `length` bytes and returns the count, 0 at
    // the end, or a negative value on failure (EINTR is retried).
    using Read = std::function<long long(char* into, size_t length)>;
    static FileDigest ofStream(const Read& read, size_t chunk = 1 << 20, const std::function<bool()>& stop = {});

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
