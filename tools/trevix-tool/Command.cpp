#include "tools/trevix-tool/Command.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace trevix::tool {

std::vector<CommandInfo>& Commands() {
    static std::vector<CommandInfo> commands;
    return commands;
}

CommandRegistration::CommandRegistration(std::string name, std::string usage, CommandFunction run) {
    Commands().push_back({std::move(name), std::move(usage), std::move(run)});
}

std::string OptionValue(std::span<const std::string> args, std::string_view name,
                        std::string fallback) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name)
            return args[i + 1];
    return fallback;
}

std::optional<double> NumberOption(std::span<const std::string> args, std::string_view name,
                                   double fallback) {
    if (!HasOption(args, name))
        return fallback;
    const std::string text = OptionValue(args, name);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || errno != 0 || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool HasOption(std::span<const std::string> args, std::string_view name) {
    return std::find(args.begin(), args.end(), name) != args.end();
}

std::vector<std::string> Positionals(std::span<const std::string> args,
                                     std::initializer_list<std::string_view> valueOptions) {
    std::vector<std::string> result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].starts_with("--")) {
            if (std::find(valueOptions.begin(), valueOptions.end(), args[i]) != valueOptions.end())
                ++i;
            continue;
        }
        result.push_back(args[i]);
    }
    return result;
}

} // namespace trevix::tool
