#pragma once
#include <QStringList>

#include <functional>
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

struct Register {
    Register(const char* name, const char* usage, Command command)
    {
        registry()[name] = {usage, std::move(command)};
    }
};
} // namespace Bench
