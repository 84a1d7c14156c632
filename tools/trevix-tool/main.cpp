// trevix-tool: runs the viewer's reading and computing classes headless and prints JSON.
#include "tools/trevix-tool/Command.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    using trevix::tool::Commands;
    const std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
    const std::string name = argc > 1 ? argv[1] : "help";
    auto& commands = Commands();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& command : commands)
        if (command.name == name)
            return command.run(args);
    std::fprintf(name == "help" ? stdout : stderr, "usage: trevix-tool COMMAND ...\n");
    for (const auto& command : commands)
        std::fprintf(name == "help" ? stdout : stderr, "  trevix-tool %s\n", command.usage.c_str());
    return name == "help" ? 0 : 2;
}
