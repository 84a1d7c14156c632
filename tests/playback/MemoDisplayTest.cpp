// Showing a memo from a generated card: its pictures by serial into the channel panes, the
// other panes emptied, and the views' steps in their order.
#include "catalogue/MemoDisplay.h"

#include "tests/support/TempDir.h"
#include "tools/mkcard/CardWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace trevix;

namespace {

class CapturedPanes : public IPaneView {
public:
    void SetFrame(std::uint8_t, std::uint8_t, const PaneFrame& frame) override {
        panes.push_back(frame.pane);
        pictures.push_back(frame.HasPicture());
        widths.push_back(frame.width);
        if (frame.HasPicture())
            counts.push_back(frame.frameCount);
    }
    void RepaintAll() override {}
    std::vector<int> panes;
    std::vector<bool> pictures;
    std::vector<int> widths;
    std::vector<int> counts;
};

class CapturedViews : public IMemoViews {
public:
    void PrepareMemoSound(const std::string& path) override { steps.push_back("sound " + path); }
    void SetTimeRangeToNow() override { steps.push_back("time range"); }
    void ClearGraph() override { steps.push_back("graph"); }
    void ShowPlayTime(std::int64_t timeMs) override {
        steps.push_back("play time");
        shownMs = timeMs;
    }
    void ShowEmptyMap() override { steps.push_back("map"); }
    std::vector<std::string> steps;
    std::int64_t shownMs = 0;
};

mkcard::WrittenCard WriteMemoCard(const test::TempDir& dir, int model,
                                  std::array<bool, 4> channels) {
    mkcard::CardDesc desc;
    desc.model = model;
    desc.autoLogs = false;
    mkcard::MemoDesc memo;
    memo.startSeconds = 0;
    memo.channels = channels;
    memo.width = 360;
    memo.height = 240;
    desc.memos.push_back(memo);
    return mkcard::WriteCard(desc, dir.Path());
}

} // namespace

TEST(MemoDisplay, PicturesOnlyForChannelsOneAndThree) {
    test::ScopedTimeZone zone("UTC");
    test::TempDir dir;
    const auto card = WriteMemoCard(dir, 21, {true, false, true, false});
    ASSERT_TRUE(card.Ok()) << card.error;
    ASSERT_EQ(card.memos.size(), 1u);
    const std::string audio = card.memos[0].audio.string();

    CapturedPanes panes;
    CapturedViews views;
    CMemoDisplay display;
    const auto result = display.Show(audio, 0, panes, views);
    EXPECT_EQ(result.pictures, 2);
    EXPECT_EQ(panes.panes, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(panes.pictures, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(panes.widths[0], 360);
    EXPECT_EQ(panes.counts, (std::vector<int>{1, 1})); // "1/1" under each picture
    EXPECT_EQ(views.steps, (std::vector<std::string>{"sound " + audio, "time range", "graph",
                                                     "play time", "map"}));
    // The memo's time is its title's.
    EXPECT_EQ(views.shownMs, result.timeMs);
    EXPECT_EQ(FromRecorderMs(result.timeMs).wYear, 2024);
}

TEST(MemoDisplay, SingleMemoFolderFillsTheFirstCameraOnly) {
    test::ScopedTimeZone zone("UTC");
    test::TempDir dir;
    const auto card = WriteMemoCard(dir, 20, {true, true, true, true});
    ASSERT_TRUE(card.Ok()) << card.error;
    CapturedPanes panes;
    CapturedViews views;
    CMemoDisplay display;
    EXPECT_EQ(display.Show(card.memos[0].audio.string(), 0, panes, views).pictures, 1);
    EXPECT_EQ(panes.pictures, (std::vector<bool>{true, false, false, false}));
}

TEST(MemoDisplay, BrokenOrMissingPicturesLeavePanesEmpty) {
    test::ScopedTimeZone zone("UTC");
    test::TempDir dir;
    const auto card = WriteMemoCard(dir, 21, {true, true, true, true});
    ASSERT_TRUE(card.Ok()) << card.error;
    const auto& pictures = card.memos[0].pictures;
    // A picture cut to a few bytes, and one replaced by a folder.
    std::filesystem::resize_file(pictures[1], 40);
    std::filesystem::remove(pictures[3]);
    std::filesystem::create_directory(pictures[3]);
    CapturedPanes panes;
    CapturedViews views;
    CMemoDisplay display;
    EXPECT_EQ(display.Show(card.memos[0].audio.string(), 0, panes, views).pictures, 2);
    EXPECT_EQ(panes.pictures, (std::vector<bool>{true, false, true, false}));
}
