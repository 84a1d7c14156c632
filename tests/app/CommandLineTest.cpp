#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trevix {
namespace {

TEST(CommandLine, DebugOptionAnywhereWithoutRegardToCase) {
    EXPECT_TRUE(HasDebugOption("/debug"));
    EXPECT_TRUE(HasDebugOption("/DEBUG"));
    EXPECT_TRUE(HasDebugOption("/debugger"));
    EXPECT_TRUE(HasDebugOption("x /DeBuG y"));
    EXPECT_FALSE(HasDebugOption(""));
    EXPECT_FALSE(HasDebugOption("-debug --debug debug"));
    EXPECT_FALSE(HasDebugOption("/debu g"));
}

TEST(CommandLine, ArgumentsJoinIntoOneLine) {
    const std::vector<std::string> arguments = {"/de", "bug", "a"};
    EXPECT_EQ(JoinCommandLine(arguments), "/de bug a");
    EXPECT_FALSE(HasDebugOption(JoinCommandLine(arguments))); // the space breaks the option
    const std::vector<std::string> split = {"--x", "/debug"};
    EXPECT_TRUE(HasDebugOption(JoinCommandLine(split)));
    EXPECT_EQ(JoinCommandLine({}), "");
}

} // namespace
} // namespace trevix
