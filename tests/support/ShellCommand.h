// Runs a shell command from a test and collects what it prints.
#pragma once

#include <string>

namespace trevix::test {

struct CommandResult {
    int status = -1; // exit status; -1 when it did not run or end normally
    std::string output;
};
// Runs a shell command and collects its standard output.
CommandResult RunCommand(const std::string& command);

} // namespace trevix::test
