// A stand-in for osascript in tests. It records its arguments (TestHome::recordedRuns
// "osascript"), then acts as "$HOME/.fake-osascript-mode" says:
//   cancel  the user dismissed the password prompt (error -128), nothing runs;
//   error   the password was wrong (error -60007), nothing runs;
//   else    the source must be `do shell script "<literal>" with administrator privileges`: the
//           literal is unescaped as AppleScript reads it and run with /bin/sh -c from $HOME, and
//           its output or failure is reported the way osascript reports it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string home()
{
    const char* h = std::getenv("HOME");
    return h ? h : ".";
}

void record(int argc, char** argv)
{
    const std::string dir = home() + "/.fake-runs/osascript";
    ::mkdir((home() + "/.fake-runs").c_str(), 0755);
    ::mkdir(dir.c_str(), 0755);
    for (int n = 0;; ++n) {
        const std::string path = dir + "/" + std::to_string(n);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return;
        }
        for (int i = 1; i < argc; ++i) {
            if (::write(fd, argv[i], std::char_traits<char>::length(argv[i]) + 1) < 0)
                break;
        }
        ::close(fd);
        return;
    }
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

int fail(const std::string& kind, const std::string& message, int number)
{
    std::fprintf(stderr, "0:42: %s error: %s (%d)\n", kind.c_str(), message.c_str(), number);
    return 1;
}

// The text of an AppleScript string literal, or none when it is not one.
std::optional<std::string> unescape(const std::string& literal)
{
    std::string out;
    for (size_t i = 0; i < literal.size(); ++i) {
        const char c = literal[i];
        if (c == '"')
            return std::nullopt; // an unescaped quote ends the literal early
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == literal.size())
            return std::nullopt;
        switch (literal[i]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    record(argc, argv);
    const std::string mode = trimmed(readFile(home() + "/.fake-osascript-mode"));
    if (mode == "cancel")
        return fail("execution", "User canceled.", -128);
    if (mode == "error")
        return fail("execution", "The administrator user name or password was incorrect.", -60007);

    if (argc != 3 || std::string(argv[1]) != "-e")
        return fail("syntax", "Expected a script.", -2741);
    const std::string source = argv[2];
    const std::string head = "do shell script \"", tail = "\" with administrator privileges";
    if (source.size() < head.size() + tail.size() || source.compare(0, head.size(), head) != 0
        || source.compare(source.size() - tail.size(), tail.size(), tail) != 0)
        return fail("syntax", "Expected end of line but found unknown token.", -2741);
    const std::optional<std::string> script =
        unescape(source.substr(head.size(), source.size() - head.size() - tail.size()));
    if (!script)
        return fail("syntax", "Expected end of line but found identifier.", -2741);

    if (::chdir(home().c_str()) != 0)
        return fail("execution", "No home folder.", 1);
    const std::string errorFile = home() + "/.fake-osascript-stderr";
    int out[2];
    if (::pipe(out) != 0)
        return fail("execution", "No pipe.", 1);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const int err = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0)
            ::dup2(err, STDERR_FILENO);
        ::close(out[0]);
        ::execl("/bin/sh", "sh", "-c", script->c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string output;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        output.append(buf, size_t(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    if (code != 0) {
        const std::string error = trimmed(readFile(errorFile));
        return fail("execution", error.empty() ? trimmed(output) : error, code);
    }
    std::fputs((trimmed(output) + "\n").c_str(), stdout);
    return 0;
}
