// The main panel inside a real main frame: the frame's host adapter reaches the frame's
// catalogue manager, message boxes and close request.
#include "control/ui/ZVButton.h"
#include "tests/ui/MainPanelInFrame.h"

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;

namespace {

class MainPanelFrameTest : public MainPanelInFrameTest {};

} // namespace

TEST_F(MainPanelFrameTest, PanelFillsTheFrameWithItsChildren) {
    EXPECT_EQ(&frame_->Panel().Widget(), panel_);
    EXPECT_EQ(panel_->parentWidget(), frame_);
    EXPECT_NE(panel_->findChild<QWidget*>("PanePanel"), nullptr);
    EXPECT_NE(panel_->Button(cmd::kOpen), nullptr);
}

TEST_F(MainPanelFrameTest, OpenScansIntoTheFramesCatalogue) {
    TempDir card;
    WriteTestCard(card, "event fps=1 size=360x240 audio=none\n");
    OpenCard(card);
    EXPECT_EQ(browser_.asked, 1);
    EXPECT_EQ(frame_->Search().RootPath(), card.Str());
    EXPECT_EQ(frame_->Search().LastScan().event.size(), 1u);

    // Backup with a folder chosen passes its check.
    panel_->OnPanelCommand(cmd::kBackup);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MainPanelFrameTest, RefusalsGoToTheFramesMessageBoxes) {
    panel_->OnPanelCommand(cmd::kBackup);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].second, "No Event is loaded");
}

TEST_F(MainPanelFrameTest, ExitButtonClosesTheMainWindow) {
    frame_->show();
    ASSERT_TRUE(WaitUntil([&] { return frame_->isVisible(); }));
    emit panel_->Button(cmd::kExit)->clicked(cmd::kExit);
    EXPECT_TRUE(WaitUntil([&] { return !frame_->isVisible(); }));
}
