#include "services/ShellRunner.h"

#include "platform/Paths.h"
#include "platform/ToolPaths.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// How long the command's process group gets to end after the terminate request before it is
// killed.
constexpr std::chrono::milliseconds graceAfterTerminate{3000};

int millisUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > 1000 * 1000 ? 1000 * 1000 : int(left);
}

// Reads what is there now; returns false at end of file or on a hard error.
bool drain(int fd, QByteArray& out)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, n);
            continue;
        }
        if (n == 0)
            return false;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
}

qint32 statusOf(int wstatus)
{
    if (WIFEXITED(wstatus))
        return WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus))
        return WTERMSIG(wstatus);
    return -1;
}

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return {};
    return text;
}

// Reads the command's output and reaps the shell until both the pipe has reached its end and
// the shell has exited, or until `deadline`. Returns true when both happened.
bool waitUntil(pid_t pid, int fd, QByteArray& out, int& wstatus, bool& exited, bool& eof, Clock::time_point deadline)
{
    for (;;) {
        if (!exited) {
            const pid_t r = ::waitpid(pid, &wstatus, WNOHANG);
            if (r == pid || (r < 0 && errno == ECHILD))
                exited = true;
        }
        if (exited && eof)
            return true;
        const int left = millisUntil(deadline);
        if (left == 0)
            return false;
        if (!eof) {
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, left);
            if (ready > 0 && !drain(fd, out))
                eof = true;
        } else {
            // The pipe is closed; only the shell's exit is left to see.
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 5)));
        }
    }
}

} // namespace

namespace ShellRunner {

QString quote(const QString& word)
{
    const auto plain = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
            || QStringView(u"@+:,./_-").contains(c);
    };
    if (!word.isEmpty() && std::all_of(word.cbegin(), word.cend(), plain))
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

ShellResult runLogin(const QString& command, double timeoutSeconds)
{
    const QByteArray shell = QFile::encodeName(ToolPaths::zsh());
    const QByteArray cmd = command.toUtf8();
    const QByteArray home = QFile::encodeName(Paths::home());

    // Close-on-exec from the start: a command started meanwhile on another thread must not
    // inherit this pipe, or this call would wait for that command's end too.
    int fds[2];
#ifdef __linux__
    const int piped = ::pipe2(fds, O_CLOEXEC);
#else
    const int piped = ::pipe(fds);
    if (piped == 0) {
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    }
#endif
    if (piped != 0)
        return ShellResult{-1, QStringLiteral("Failed to launch: ") + QString::fromLocal8Bit(std::strerror(errno))};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // One pipe for both streams, so the output keeps the order the command wrote it in;
    // standard input stays the caller's.
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, home.constData());
#ifdef __APPLE__
    posix_spawn_file_actions_addinherit_np(&actions, STDIN_FILENO);
#endif

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Its own process group, so a time-out reaches everything the command started.
#ifdef __APPLE__
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_CLOEXEC_DEFAULT);
#else
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
#endif
    posix_spawnattr_setpgroup(&attr, 0);

    char* argv[] = {const_cast<char*>(shell.constData()), const_cast<char*>("-lc"), const_cast<char*>(cmd.constData()),
                    nullptr};
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, shell.constData(), &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return ShellResult{-1, QStringLiteral("Failed to launch: ") + QString::fromLocal8Bit(std::strerror(rc))};
    }
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);

    const auto start = Clock::now();
    const auto deadline = start + std::chrono::milliseconds(qint64(qBound(0.0, timeoutSeconds, 1.0e8) * 1000.0));
    QByteArray out;
    bool eof = false;
    int wstatus = 0;

    bool exited = false;
    // Until the time-out: everything the command writes, up to the end of the pipe, and the
    // shell's exit.
    if (!waitUntil(pid, fds[0], out, wstatus, exited, eof, deadline)) {
        // Time is up: ask the whole group to end, give it a moment, then kill what is left. A
        // process that left the group and still holds the pipe is not waited for.
        ::kill(-pid, SIGTERM);
        if (!waitUntil(pid, fds[0], out, wstatus, exited, eof, Clock::now() + graceAfterTerminate)) {
            ::kill(-pid, SIGKILL);
            if (!exited) {
                while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {}
            }
            if (!eof)
                drain(fds[0], out);
        }
    }
    ::close(fds[0]);
    return ShellResult{statusOf(wstatus), decode(out)};
}

} // namespace ShellRunner
