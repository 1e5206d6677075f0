#pragma once
#include <QByteArray>

#include <sys/types.h>

// Opening folders by a path without following any link on the way: the path is opened one piece
// at a time from "/" with O_NOFOLLOW | O_DIRECTORY, so a piece that is (or was just swapped for) a
// symbolic link stops the open instead of leading elsewhere. The one exception is the home
// folder's own path (for example "/home" being a link to "/usr/home"): it is opened as the system
// resolves it, since it is the user's own setting, not something a program can plant. Paths are
// raw bytes; a path that is relative, holds a NUL or a "." or ".." piece is refused (EINVAL).
namespace NoFollow {

// A descriptor that closes itself.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : m_fd(o.release()) {}
    Fd& operator=(Fd&& o) noexcept
    {
        if (this != &o)
            reset(o.release());
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    explicit operator bool() const { return isValid(); }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

// The folder at `path`; invalid with errno set when it cannot be opened this way (ELOOP or ENOTDIR
// when a piece is a link or no folder, ENOENT when one is missing).
Fd openFolder(const QByteArray& path);

// The folder holding the last piece of `path`, opened as above; `name` gets that last piece.
// "/" itself has no parent (EINVAL).
Fd openParent(const QByteArray& path, QByteArray* name);

// Like openFolder, but makes the folders that are missing on the way (with `mode`).
Fd makeFolders(const QByteArray& path, mode_t mode = 0755);

// Whether `path` is absolute, free of NUL and of "." and ".." pieces.
bool isPlainAbsolute(const QByteArray& path);

} // namespace NoFollow
