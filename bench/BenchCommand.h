#pragma once
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A subcommand of dustlet-bench: gets its arguments (after the name) and returns the exit code.
namespace Bench {
using Command = std::function<int(const QStringList& args)>;

inline std::map<std::string, std::pair<std::string, Command>>& registry()
{
    static std::map<std::string, std::pair<std::string, Command>> commands;
    return commands;
}

// The value after `name` in the arguments, or no value.
inline std::optional<QString> option(const QStringList& args, const QString& name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size())
        return std::nullopt;
    return args[at + 1];
}

// The process's own arguments, for a command that makes an application object of its own.
inline int& argc()
{
    static int count = 0;
    return count;
}
inline char**& argv()
{
    static char** values = nullptr;
    return values;
}
inline void setArguments(int count, char** values)
{
    argc() = count;
    argv() = values;
}

// The folder this program lives in (there is no application object to ask).
inline QString programFolder()
{
    QString path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (path.isEmpty() && argc() > 0)
        path = QFileInfo(QFile::decodeName(argv()[0])).absoluteFilePath();
    return QFileInfo(path).absolutePath();
}

// The peak memory of this program in KB: the high-water mark of its own pages since it started
// (a resource-usage figure would include the pages of the process that started it, before exec).
inline long peakKb()
{
    long kb = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                kb = std::strtol(line + 6, nullptr, 10);
        }
        std::fclose(f);
    }
    if (kb == 0) {
        rusage u{};
        ::getrusage(RUSAGE_SELF, &u);
        kb = u.ru_maxrss;
    }
    return kb;
}

// Runs the program `program` from this program's folder in place of this process, as
// `program subcommand args…`: a subcommand that needs libraries the others do not lives in a
// program of its own, so that those libraries load only for it. Returns only when it cannot.
inline int runInstead(const char* program, const char* subcommand, const QStringList& args)
{
    const QByteArray path = QFile::encodeName(programFolder() + QLatin1Char('/') + QLatin1String(program));
    std::vector<QByteArray> words{path, QByteArray(subcommand)};
    for (const QString& a : args)
        words.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    ::execv(path.constData(), argv.data());
    std::fprintf(stderr, "%s: cannot run %s\n", subcommand, path.constData());
    return 2;
}

struct Register {
    Register(const char* name, const char* usage, Command command) { registry()[name] = {usage, std::move(command)}; }
};
} // namespace Bench
