#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"
#include "tools/mkcard/CardWriter.h"
#include "tools/mkcard/DescText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace trevix;

namespace {

// Runs trevix-tool with the shell-quoted arguments; stderr is dropped.
test::CommandResult RunTool(const std::string& arguments) {
    const char* dir = std::getenv("TREVIX_BINARY_DIR");
    return test::RunCommand(std::string(dir != nullptr ? dir : TREVIX_BINARY_DIR) +
                            "/tools/trevix-tool/trevix-tool " + arguments + " 2>/dev/null");
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::ranges::count(text, '\n'));
}

class TrevixToolPlay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        card_ = std::make_unique<test::TempDir>();
        mkcard::CardDesc desc;
        ASSERT_EQ(mkcard::ApplyDescText("start 2024-05-17 09:30:00\n"
                                        "normal files=1 seconds=20 size=360x240 fps=5 "
                                        "channels=1\n",
                                        desc),
                  "");
        mkcard::WriteCard(desc, card_->Path());
        for (const auto& entry : std::filesystem::directory_iterator(card_->Path() / "ch1/normal"))
            if (entry.path().extension() == ".vdd")
                recording_ = entry.path().string();
        ASSERT_FALSE(recording_.empty());
    }
    static void TearDownTestSuite() { card_.reset(); }

    static std::string Args(const std::string& options) {
        return "play '" + card_->Str() + "' '" + recording_ + "' --kind normal " + options;
    }

    static std::unique_ptr<test::TempDir> card_;
    static std::string recording_;
};

std::unique_ptr<test::TempDir> TrevixToolPlay::card_;
std::string TrevixToolPlay::recording_;

TEST_F(TrevixToolPlay, PlaysAndStepsWithinTheRecording) {
    const test::CommandResult played = RunTool(Args("--state 3 --seconds 1 --tick 100"));
    ASSERT_EQ(played.status, 0);
    EXPECT_EQ(LineCount(played.output), 10u);
    EXPECT_NE(played.output.find("\"shown\":\"2024-05-17 09:30:00"), std::string::npos);

    const test::CommandResult stepped = RunTool(Args("--from 10 --step next --count 3"));
    ASSERT_EQ(stepped.status, 0);
    EXPECT_EQ(LineCount(stepped.output), 3u);
    // Five pictures a second: three steps from 10 s end 0.6 s later.
    EXPECT_NE(stepped.output.find("\"shown\":\"2024-05-17 09:30:10.600"), std::string::npos);
}

TEST_F(TrevixToolPlay, RefusesOptionsItCannotHonour) {
    // A time instead of seconds, a time past the end, a state that does not play, an unknown
    // step, a count that is not a number: each is refused, nothing is printed.
    for (const char* options :
         {"--from '2024-05-17 09:30:10' --step next", "--from 5000 --step next", "--from 1e300",
          "--from -1", "--state 1", "--state 3x", "--step back", "--step next --count many",
          "--tick 0.5", "--seconds"}) {
        const test::CommandResult run = RunTool(Args(options));
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_EQ(run.output, "") << options;
    }
}

} // namespace
