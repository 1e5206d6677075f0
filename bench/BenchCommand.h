#pragma once
#include <QStringList>

#include <functional>
#include <optional>
#include <map>
#include <string>

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

struct Register {
    Register(const char* name, const char* usage, Command command)
    {
        registry()[name] = {usage, std::move(command)};
    }
};
} // namespace Bench
