#include "app/CommandLine.h"

#include "platform/CardPath.h"

namespace trevix {

std::string JoinCommandLine(std::span<const std::string> arguments) {
    std::string line;
    for (const auto& argument : arguments) {
        if (!line.empty())
            line.push_back(' ');
        line += argument;
    }
    return line;
}

bool HasDebugOption(std::string_view commandLine) {
    return ToLowerAscii(commandLine).find("/debug") != std::string::npos;
}

} // namespace trevix
