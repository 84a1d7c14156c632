#include "tests/support/ShellCommand.h"

#include <cstdio>
#include <sys/wait.h>

namespace trevix::test {

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char chunk[512];
    std::size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        result.output.append(chunk, read);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace trevix::test
