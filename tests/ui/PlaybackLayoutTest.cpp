// The layout commands of the started viewer with a loaded recording: camera, quad and thumbnail
// layouts with their pictures, frame steps in the thumbnail grid, the enlarged and full-screen
// keys, and a loaded memo's pictures and sound.
#include "control/ui/ZVButton.h"
#include "control/ui/ZVSlideBar.h"
#include "tests/ui/PlaybackInFrame.h"

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;

namespace {

namespace fs = std::filesystem;

class PlaybackLayoutTest : public PlaybackInFrameTest {
protected:
    // Loads the event recording and shows it at its trigger, with pictures before and after.
    void LoadEventAtItsTrigger() {
        Load(SearchList::Event, {0});
        ASSERT_NE(Current(), nullptr);
        ASSERT_TRUE(Current()->GotoTime(Current()->m_llBegin + 3000));
    }
    int FrameIndexOf(int pane) const { return Panes().Pane(pane).Status().frame.frameIndex; }
    std::int64_t TimeOf(int pane) const {
        return ToRecorderMs(Panes().Pane(pane).Status().frame.time);
    }
    void RightPress(QWidget& widget) {
        const QPointF at(widget.rect().center());
        QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &press);
    }
};

} // namespace

TEST_F(PlaybackLayoutTest, CameraButtonsShowOneCameraAndQuadShowsAllFour) {
    LoadEventAtItsTrigger();
    const QSize client = Panes().size();
    for (const auto& [button, camera] : {std::pair{cmd::kFrontView, 0},
                                         {cmd::kInteriorView, 1},
                                         {cmd::kRearView, 2},
                                         {cmd::kSideView, 3}}) {
        Click(*panel_->Button(button));
        EXPECT_EQ(Panes().Layout(), PaneLayout::Single);
        EXPECT_EQ(VisiblePanes(), (std::vector<int>{camera})) << "button " << button;
        EXPECT_EQ(Panes().Pane(camera).geometry(),
                  QRect(2, 2, client.width() - 4, client.height() - 4));
        EXPECT_TRUE(EveryVisiblePaneHasAPicture()) << "camera " << camera;
    }
    // The single layout's camera drives the G digits; play shows it moving.
    Click(*panel_->Button(cmd::kPlay));
    ASSERT_TRUE(WaitForShownTimeToMove(400));
    Click(*panel_->Button(cmd::kPause));

    Click(*panel_->Button(cmd::kQuad));
    EXPECT_EQ(Panes().Layout(), PaneLayout::Quad);
    EXPECT_EQ(VisiblePanes(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
}

TEST_F(PlaybackLayoutTest, ThumbnailGridHoldsConsecutivePicturesAndMovesWithFrameSteps) {
    LoadEventAtItsTrigger();
    const std::int64_t shown = Play().ShownTimeMs();
    Click(*panel_->Button(cmd::kThumbnail));
    ASSERT_EQ(Panes().Layout(), PaneLayout::Thumbnail);
    EXPECT_EQ(VisiblePanes().size(), static_cast<std::size_t>(kPaneCount));
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
    EXPECT_EQ(Panes().ThumbCurrent(), kThumbnailCurrentPane);
    EXPECT_EQ(TimeOf(kThumbnailCurrentPane), shown);
    for (int pane = 1; pane < kPaneCount; ++pane)
        EXPECT_GT(TimeOf(pane), TimeOf(pane - 1)) << "pane " << pane;

    // The clock's buttons do nothing here; the frame steps move the grid.
    EXPECT_FALSE(panel_->Button(cmd::kPlay)->isEnabled());
    panel_->OnPanelCommand(cmd::kMenuPlayPlay);
    EXPECT_FALSE(Play().TimerActive());
    const int before = FrameIndexOf(kThumbnailCurrentPane);
    Click(*panel_->Button(cmd::kNextFrame));
    EXPECT_GT(Play().ShownTimeMs(), shown);
    EXPECT_EQ(TimeOf(kThumbnailCurrentPane), Play().ShownTimeMs());
    EXPECT_EQ(FrameIndexOf(kThumbnailCurrentPane), before + 1);
    EXPECT_EQ(FrameIndexOf(kThumbnailCurrentPane - 1), before);
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());

    // A right click returns to the quad layout at the shown time, every camera showing.
    RightPress(Panes().Pane(3));
    EXPECT_EQ(Panes().Layout(), PaneLayout::Quad);
    EXPECT_TRUE(panel_->Button(cmd::kPlay)->isEnabled());
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
    EXPECT_EQ(TimeOf(0), Play().ShownTimeMs());
}

TEST_F(PlaybackLayoutTest, EnterAndAltEnterEnlargeThePanesAndRestoreTheWindow) {
    Restart(0);
    Load(SearchList::Event, {0});
    const QRect normal = Panes().geometry();
    frame_->RunAccelerator(accel::kPaneEnter);
    EXPECT_TRUE(Panes().IsEnlarged());
    EXPECT_EQ(Panes().geometry(), QRect(0, 0, 1024, 768));
    EXPECT_TRUE(panel_->TimeBar()->isHidden());
    EXPECT_TRUE(panel_->Button(cmd::kPlay)->isHidden());
    EXPECT_TRUE(panel_->FileListWindow()->isHidden());
    // The speed indicator is not redrawn while enlarged; back in the window it shows the speed.
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::ControlModifier | Qt::Key_F)));
    EXPECT_EQ(Play().PlayState(), kPlayNormal);
    EXPECT_EQ(Indicator(), "0");
    frame_->RunAccelerator(accel::kPaneEnter);
    EXPECT_FALSE(Panes().IsEnlarged());
    EXPECT_EQ(Panes().geometry(), normal);
    EXPECT_EQ(Indicator(), "1");
    EXPECT_FALSE(panel_->TimeBar()->isHidden());
    EXPECT_FALSE(panel_->FileListWindow()->isHidden());

    frame_->RunAccelerator(accel::kPaneAltEnter);
    EXPECT_TRUE(Panes().IsFullScreen());
    frame_->RunAccelerator(accel::kPaneAltEnter);
    EXPECT_FALSE(Panes().IsFullScreen());
    EXPECT_EQ(Panes().geometry(), normal);

    // Vendor 1 has no such keys.
    Restart(1);
    Load(SearchList::Event, {0});
    frame_->RunAccelerator(accel::kPaneEnter);
    frame_->RunAccelerator(accel::kPaneAltEnter);
    EXPECT_FALSE(Panes().IsEnlarged());
}

TEST_F(PlaybackLayoutTest, LoadedMemoShowsItsCamerasPicturesAndTheCamerasSingly) {
    Load(SearchList::Memo, {0});
    ASSERT_EQ(app_->LoadedKind(), kLoadedMemo);
    const mkcard::WrittenMemo& memo = ThePlaybackCard().written.memos.at(0);
    ASSERT_FALSE(panel_->ShownMemo().empty());
    EXPECT_TRUE(fs::equivalent(panel_->ShownMemo(), memo.audio));
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
    for (int pane = 0; pane < 4; ++pane)
        EXPECT_EQ(Panes().Pane(pane).Picture().size(), QSize(360, 240)) << pane;
    EXPECT_EQ(panel_->TimeBar()->Maximum(), 0);

    Click(*panel_->Button(cmd::kRearView));
    EXPECT_EQ(VisiblePanes(), (std::vector<int>{2}));
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());

    // Display File List forgets the memo.
    panel_->OnPanelCommand(cmd::kMenuFileList);
    EXPECT_TRUE(panel_->ShownMemo().empty());
    for (int pane = 0; pane < 4; ++pane)
        EXPECT_FALSE(Panes().Pane(pane).HasPicture()) << pane;
}
