#include "TestHome.h"

#include "platform/UserDefaults.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void setEnv(const char* name, const QByteArray& value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}
} // namespace

TestHome::TestHome()
{
    m_oldHome = qgetenv("HOME");
    m_oldConfig = qgetenv("XDG_CONFIG_HOME");
    m_oldData = qgetenv("XDG_DATA_HOME");
    m_oldCache = qgetenv("XDG_CACHE_HOME");
    m_oldConfigDirs = qgetenv("XDG_CONFIG_DIRS");
    if (!qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        m_oldConfig = QByteArray();
    if (!qEnvironmentVariableIsSet("XDG_DATA_HOME"))
        m_oldData = QByteArray();
    if (!qEnvironmentVariableIsSet("XDG_CACHE_HOME"))
        m_oldCache = QByteArray();
    if (!qEnvironmentVariableIsSet("XDG_CONFIG_DIRS"))
        m_oldConfigDirs = QByteArray();

    m_home = QFileInfo(m_dir.path()).canonicalFilePath();
    qputenv("HOME", m_home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (m_home + "/.config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (m_home + "/.local/share").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (m_home + "/.cache").toLocal8Bit());
    // The system's configuration (/etc/xdg) stands in a folder of the home, empty until a test fills it.
    qputenv("XDG_CONFIG_DIRS", (m_home + "/etc/xdg").toLocal8Bit());
    QDir().mkpath(m_home + "/.config");
    QDir().mkpath(m_home + "/.local/share");
}

TestHome::~TestHome()
{
    m_defaults.reset();
    setEnv("HOME", m_oldHome);
    setEnv("XDG_CONFIG_HOME", m_oldConfig);
    setEnv("XDG_DATA_HOME", m_oldData);
    setEnv("XDG_CACHE_HOME", m_oldCache);
    setEnv("XDG_CONFIG_DIRS", m_oldConfigDirs);
    // Names that are not UTF-8 are beyond QTemporaryDir's own removal: take everything away by
    // the bytes first (not following links); whatever this leaves, QTemporaryDir tries again.
    if (!m_home.isEmpty())
        ::nftw(
            QFile::encodeName(m_home).constData(),
            [](const char* path, const struct stat*, int type, struct FTW*) {
            if (type == FTW_DP)
                ::rmdir(path);
            else
                ::unlink(path);
            return 0;
            },
            16, FTW_DEPTH | FTW_PHYS);
}

bool TestHome::isValid() const { return m_dir.isValid() && !m_home.isEmpty(); }

QString TestHome::operator()(const QString& relative) const { return m_home + "/" + relative; }

QString TestHome::defaultsPath() const { return m_home + "/.config/dustlet/defaults.plist"; }

UserDefaults& TestHome::defaults()
{
    if (!m_defaults)
        m_defaults = std::make_unique<UserDefaults>(defaultsPath());
    return *m_defaults;
}

void TestHome::restartDefaults() { m_defaults.reset(); }

QString TestHome::mkdir(const QString& relative) const
{
    const QString p = (*this)(relative);
    QDir().mkpath(p);
    return p;
}

QString TestHome::writeFile(const QString& relative, qint64 bytes, char fill) const
{
    const QString p = (*this)(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    const QByteArray chunk(64 * 1024, fill);
    qint64 left = bytes;
    while (left > 0) {
        const qint64 n = qMin<qint64>(left, chunk.size());
        f.write(chunk.constData(), n);
        left -= n;
    }
    f.close();
    return p;
}

QString TestHome::writeText(const QString& relative, const QByteArray& text) const
{
    const QString p = (*this)(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
    return p;
}

QByteArray TestHome::writeRaw(const QByteArray& relative, const QByteArray& content) const
{
    const QByteArray p = QFile::encodeName(m_home) + '/' + relative;
    for (qsizetype slash = p.indexOf('/', 1); slash > 0; slash = p.indexOf('/', slash + 1))
        ::mkdir(p.left(slash).constData(), 0755); // an existing folder is fine
    const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return {};
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return ok ? p : QByteArray();
}

bool TestHome::setAge(const QString& absolutePath, const QDateTime& when)
{
    const qint64 ms = when.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = ms / 1000;
    times[0].tv_nsec = times[1].tv_nsec = (ms % 1000) * 1000000;
    return ::utimensat(AT_FDCWD, absolutePath.toLocal8Bit().constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool TestHome::swapForLink(const QString& relative, const QString& target) const
{
    const QByteArray from = QFile::encodeName((*this)(relative));
    if (::rename(from.constData(), (from + ".moved").constData()) != 0)
        return false;
    return ::symlink(QFile::encodeName(target).constData(), from.constData()) == 0;
}

QString TestHome::symlink(const QString& relative, const QString& target) const
{
    const QString p = (*this)(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    ::symlink(target.toLocal8Bit().constData(), p.toLocal8Bit().constData());
    return p;
}

qint64 TestHome::allocated(const QString& absolutePath)
{
    struct stat st {};
    if (::lstat(absolutePath.toLocal8Bit().constData(), &st) != 0)
        return -1;
    return qint64(st.st_blocks) * 512;
}

QString TestHome::fakeCommand(const QString& name, const QByteArray& scriptBody) const
{
    const QString bin = mkdir(".fakebin");
    const QString p = bin + "/" + name;
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write("#!/bin/sh\n");
        f.write(scriptBody);
        f.write("\n");
    }
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                     | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString profile = (*this)(".zprofile");
    QFile pf(profile);
    const QByteArray line = "export PATH=\"" + bin.toLocal8Bit() + ":$PATH\"\n";
    QByteArray existing;
    if (pf.open(QIODevice::ReadOnly)) {
        existing = pf.readAll();
        pf.close();
    }
    if (!existing.contains(line) && pf.open(QIODevice::Append))
        pf.write(line);
    return p;
}

bool TestHome::isRoot() { return ::geteuid() == 0; }

qint64 TestHome::deepTree(const QString& relative, int levels) const
{
    int fd = ::open(QFile::encodeName(mkdir(relative)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    qint64 total = 0;
    for (int i = 0; i < levels && fd >= 0; ++i) {
        const bool last = i + 1 == levels;
        if (i % 100 == 0 || last) {
            const int file = ::openat(fd, "f", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            struct stat st {};
            const bool written = file >= 0 && ::write(file, "x", 1) == 1 && ::fstat(file, &st) == 0;
            if (file >= 0)
                ::close(file);
            if (!written) {
                ::close(fd);
                return -1;
            }
            total += qint64(st.st_blocks) * 512;
        }
        if (last)
            break;
        const int next =
            ::mkdirat(fd, "d", 0755) == 0 ? ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1;
        ::close(fd);
        fd = next;
    }
    if (fd < 0)
        return -1;
    ::close(fd);
    return total;
}

bool TestHome::removeDeepTree(const QString& absolutePath)
{
    int fd = ::open(QFile::encodeName(absolutePath).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return true;
    // Down to the deepest "d", then back up through "..", emptying each level on the way.
    int depth = 0;
    for (;;) {
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            break;
        ::close(fd);
        fd = next;
        ++depth;
    }
    for (;;) {
        if (DIR* dir = ::fdopendir(::dup(fd))) {
            while (dirent* e = ::readdir(dir)) {
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    ::unlinkat(fd, e->d_name, 0);
            }
            ::closedir(dir);
        }
        if (depth == 0)
            break;
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        if (up < 0)
            return false;
        fd = up;
        ::unlinkat(fd, "d", AT_REMOVEDIR);
        --depth;
    }
    ::close(fd);
    return ::rmdir(QFile::encodeName(absolutePath).constData()) == 0;
}

QByteArray TestHome::contents(const QByteArray& path)
{
    QFile f;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    return f.readAll();
}

QByteArray TestHome::contents(const QString& path) { return contents(QFile::encodeName(path)); }

bool TestHome::lexists(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

bool TestHome::lexists(const QString& path) { return lexists(QFile::encodeName(path)); }

QStringList TestHome::listingOrder(const QString& folder)
{
    QStringList names;
    if (DIR* dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* d = ::readdir(dir)) {
            if (d->d_name[0] != '.')
                names << QFile::decodeName(d->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

int TestHome::openDescriptors()
{
    return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size()) - 1;
}

SoftFileLimit::SoftFileLimit(rlim_t limit)
{
    if (::getrlimit(RLIMIT_NOFILE, &m_old) != 0)
        return;
    struct rlimit lowered = m_old;
    lowered.rlim_cur = limit;
    m_ok = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
}

SoftFileLimit::~SoftFileLimit()
{
    if (m_ok)
        ::setrlimit(RLIMIT_NOFILE, &m_old);
}

QByteArray TestHome::holdWhileExists(const QString& name)
{
    return "while [ -e \"$HOME/" + name.toUtf8() + "\" ]; do sleep 0.02; done\n";
}

QByteArray TestHome::recordArguments(const QString& tool)
{
    // One file per run under $HOME/.fake-runs/<tool>, numbered in order, arguments NUL-ended.
    const QByteArray t = tool.toUtf8();
    return "d=\"$HOME/.fake-runs/" + t
        + "\"; mkdir -p \"$d\"; n=0; "
          "while ! (set -C; : > \"$d/$n\") 2>/dev/null; do n=$((n+1)); done; "
          "for a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$d/$n\"; done\n";
}

QList<QStringList> TestHome::recordedRuns(const QString& tool) const
{
    QList<QStringList> runs;
    const QString dir = (*this)(".fake-runs/" + tool);
    for (int n = 0;; ++n) {
        QFile f(dir + "/" + QString::number(n));
        if (!f.open(QIODevice::ReadOnly))
            break;
        QStringList args;
        const QByteArray bytes = f.readAll();
        qsizetype start = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\0') {
                args << QString::fromUtf8(bytes.mid(start, i - start));
                start = i + 1;
            }
        }
        runs << args;
    }
    return runs;
}

QString TestHome::fakeOsascript() { return QStringLiteral(DUSTLET_FAKE_OSASCRIPT); }

void TestHome::setFakeOsascriptMode(const QByteArray& mode) const { writeText(".fake-osascript-mode", mode); }

bool TestHome::containsFileNamed(const QString& name) const
{
    QDirIterator it(m_home, {name}, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    return it.hasNext();
}
