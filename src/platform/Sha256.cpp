#include "platform/Sha256.h"

#include <QFile>

#include <openssl/evp.h>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct Sha256::Impl {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Impl() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : d(std::make_unique<Impl>()) { EVP_DigestInit_ex(d->ctx, EVP_sha256(), nullptr); }

Sha256::~Sha256() = default;

void Sha256::update(const void* data, size_t length) { EVP_DigestUpdate(d->ctx, data, length); }

QByteArray Sha256::finish()
{
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_DigestFinal_ex(d->ctx, out, &len);
    EVP_DigestInit_ex(d->ctx, EVP_sha256(), nullptr);
    return QByteArray(reinterpret_cast<const char*>(out), int(len));
}

QString Sha256::hex(const QByteArray& digest) { return QString::fromLatin1(digest.toHex()); }

Sha256::FileDigest Sha256::ofFile(const QString& path, size_t chunk, const std::function<bool()>& stop)
{
    return ofRawPath(QFile::encodeName(path).constData(), chunk, stop);
}

Sha256::FileDigest Sha256::ofRawPath(const char* rawPath, size_t chunk, const std::function<bool()>& stop)
{
    FileDigest result;
    // The path was a regular file when it was walked; it may have been replaced since. Never
    // follow a link and never wait on a FIFO or device: only a regular file is read.
    const int fd = ::open(rawPath, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return result;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); } // an error while closing changes nothing
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return result;
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return ofStream([fd](char* into, size_t length) { return (long long)::read(fd, into, length); }, chunk, stop);
}

Sha256::FileDigest Sha256::ofStream(const Read& read, size_t chunk, const std::function<bool()>& stop)
{
    FileDigest result;
    if (chunk == 0)
        chunk = 1 << 20;
    thread_local std::vector<char> buffer;
    if (buffer.size() < chunk)
        buffer.resize(chunk);
    Sha256 hash;
    for (;;) {
        if (stop && stop()) {
            result.status = FileStatus::Stopped;
            return result;
        }
        errno = 0;
        const long long got = read(buffer.data(), chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return result; // a failed read leaves the file out
        }
        if (got == 0)
            break;
        hash.update(buffer.data(), size_t(got));
    }
    result.status = FileStatus::Ok;
    result.digest = hash.finish();
    return result;
}
