#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include <sys/resource.h>

class UserDefaults;

// Lowers this process's soft limit of open files for as long as it lives (the old limit comes back
// after), as some desktops start programs with 256.
class SoftFileLimit {
public:
    explicit SoftFileLimit(rlim_t limit);
    ~SoftFileLimit();
    bool isValid() const { return m_ok; }
    SoftFileLimit(const SoftFileLimit&) = delete;
    SoftFileLimit& operator=(const SoftFileLimit&) = delete;

private:
    struct rlimit m_old {};
    bool m_ok = false;
};

// A canonical temporary HOME for one test: XDG folders inside it, its own defaults store, and
// helpers to lay out files. The previous environment comes back when it is destroyed.
class TestHome {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    bool isValid() const;
    const QString& path() const { return m_home; }
    // home + "/" + relative
    QString operator()(const QString& relative) const;

    // A fresh defaults store inside this home (the file is shared by every store made here).
    UserDefaults& defaults();
    // Forgets the store (flushing it) so the next defaults() reads the file again, as after a restart.
    void restartDefaults();
    QString defaultsPath() const;

    // Creates a folder (and its parents).
    QString mkdir(const QString& relative) const;
    // Writes a file of exactly `bytes` bytes (non-sparse), creating its parents.
    QString writeFile(const QString& relative, qint64 bytes, char fill = 'x') const;
    QString writeText(const QString& relative, const QByteArray& text) const;
    // Writes `content` at a path given as bytes (names need not be UTF-8), making the folders on
    // the way; returns the absolute path as bytes, or nothing on failure.
    QByteArray writeRaw(const QByteArray& relative, const QByteArray& content) const;
    // Sets the modification (and access) time of a path, without following a link.
    static bool setAge(const QString& absolutePath, const QDateTime& when);
    // A symbolic link at `relative` pointing to `target` (taken as given).
    QString symlink(const QString& relative, const QString& target) const;
    // What an attacker does between a listing and a move: the folder at `relative` is put aside
    // (renamed to `relative` + ".moved") and a link to `target` takes its place. False when it
    // could not be done.
    bool swapForLink(const QString& relative, const QString& target) const;
    // The allocated size of one path, as the file system reports it (st_blocks * 512).
    static qint64 allocated(const QString& absolutePath);

    // A chain of `levels` nested folders named "d" below `relative`, every 100th and the deepest
    // holding a 1-byte file "f"; built by descriptors, so it may be deeper than any path the
    // system accepts. Returns the sum of the files' allocated sizes, or -1 when it could not be
    // built.
    qint64 deepTree(const QString& relative, int levels) const;
    // Removes such a chain (whatever is left of it) without any long path; true when it is gone.
    static bool removeDeepTree(const QString& absolutePath);
    // What a file holds (empty when it cannot be read); by raw name too.
    static QByteArray contents(const QString& path);
    static QByteArray contents(const QByteArray& path);
    // Whether anything (a dangling link too) is at the path.
    static bool lexists(const QString& path);
    static bool lexists(const QByteArray& path);
    // Number of descriptors this process holds open.
    static int openDescriptors();
    // The names in a folder in the order the file system lists them ("." and hidden names left
    // out): the order a walk meets them in.
    static QStringList listingOrder(const QString& folder);

    // Puts an executable shell script named `name` first on the PATH of the login shell,
    // through this home's .zprofile.
    QString fakeCommand(const QString& name, const QByteArray& scriptBody) const;

    // A line of shell script that records the arguments it is given ("$@") as one run of
    // `tool`, for recordedRuns().
    static QByteArray recordArguments(const QString& tool);
    // A line of shell script that waits while $HOME/<name> exists: a test holds a fake command
    // at that point by creating the file, and lets it go on by removing it.
    static QByteArray holdWhileExists(const QString& name);
    // The runs of `tool` recorded in this home, oldest first, each its list of arguments.
    QList<QStringList> recordedRuns(const QString& tool) const;
    // The fake osascript (tests/support/FakeOsascript.cpp), which records its runs as
    // "osascript" and reads its mode from this home; `mode` "cancel", "error" or "" (run).
    static QString fakeOsascript();
    // Whether a file named `name` exists anywhere in this home (injection tests look for the
    // file a smuggled command would have made).
    bool containsFileNamed(const QString& name) const;
    void setFakeOsascriptMode(const QByteArray& mode) const;

    static bool isRoot();

private:
    QTemporaryDir m_dir;
    QString m_home;
    QByteArray m_oldHome, m_oldConfig, m_oldData, m_oldCache;
    QByteArray m_oldConfigDirs;
    std::unique_ptr<UserDefaults> m_defaults;
};
