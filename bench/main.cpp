#include "BenchCommand.h"

#include <QString>

#include <cstdio>

// No application object here: the engines need none, and starting one (let alone a GUI) would be
// timed with every run. A command that needs an event loop makes its own from Bench::argc/argv.
int main(int argc, char** argv)
{
    Bench::setArguments(argc, argv);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const auto& commands = Bench::registry();
    if (args.isEmpty() || !commands.count(args.first().toStdString())) {
        std::fprintf(stderr, "usage: dustlet-bench <command> …\n");
        for (const auto& [name, entry] : commands)
            std::fprintf(stderr, "  %s %s\n", name.c_str(), entry.first.c_str());
        return 2;
    }
    const std::string name = args.takeFirst().toStdString();
    return commands.at(name).second(args);
}
