// Subcommands of trevix-tool register themselves with a static CommandRegistration.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trevix::tool {

// Arguments after the subcommand name; the result is the process exit code.
using CommandFunction = std::function<int(std::span<const std::string> args)>;

struct CommandInfo {
    std::string name;
    std::string usage; // one line, shown by "trevix-tool help"
    CommandFunction run;
};

std::vector<CommandInfo>& Commands();

struct CommandRegistration {
    CommandRegistration(std::string name, std::string usage, CommandFunction run);
};

// Value of "--name VALUE" in args, or fallback.
std::string OptionValue(std::span<const std::string> args, std::string_view name,
                        std::string fallback = {});
// The number given as "--name VALUE", fallback when the option is absent, and empty when VALUE
// is not a number as a whole.
std::optional<double> NumberOption(std::span<const std::string> args, std::string_view name,
                                   double fallback);
bool HasOption(std::span<const std::string> args, std::string_view name);
// Arguments that are neither options nor option values; options listed in valueOptions take one.
std::vector<std::string> Positionals(std::span<const std::string> args,
                                     std::initializer_list<std::string_view> valueOptions = {});

} // namespace trevix::tool
