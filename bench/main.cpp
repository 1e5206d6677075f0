#include "BenchCommand.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
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
