// Playing a loaded recording in the started viewer as a user does: the transport buttons and
// keys, the speed indicator, frame steps, the status digits, the time bar of a normal recording,
// playback across the end of a file, and the card disappearing while it plays.
#include "control/ui/ZVButton.h"
#include "control/ui/ZVCarSignal.h"
#include "control/ui/ZVDigitDateTime.h"
#include "control/ui/ZVDigitGVal.h"
#include "control/ui/ZVDigitGps.h"
#include "control/ui/ZVDigitSpeed.h"
#include "control/ui/ZVListBox.h"
#include "control/ui/ZVSlideBar.h"
#include "tests/support/PulseTestSupport.h"
#include "tests/ui/PlaybackInFrame.h"

#include <QKeySequence>

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;

namespace {

namespace fs = std::filesystem;

const QKeySequence kCtrlF(Qt::ControlModifier | Qt::Key_F);
const QKeySequence kCtrlS(Qt::ControlModifier | Qt::Key_S);
const QKeySequence kCtrlB(Qt::ControlModifier | Qt::Key_B);
const QKeySequence kCtrlShiftF(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_F);
const QKeySequence kRight(Qt::Key_Right);
const QKeySequence kLeft(Qt::Key_Left);

bool SameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

class PlaybackTransportTest : public PlaybackInFrameTest {
protected:
    // The picture the key channel shows now.
    const FRAMEINFOVIDEO* KeyFrame() const {
        const CDriveRecInfo* recording = Current();
        return recording == nullptr
                   ? nullptr
                   : recording->m_arrChannels[static_cast<std::size_t>(recording->m_nKeyChannel)]
                         .CurrentFrame();
    }
    int KeyFile() const {
        const CDriveRecInfo* recording = Current();
        return recording->m_arrChannels[static_cast<std::size_t>(recording->m_nKeyChannel)]
            .m_nCurFile;
    }
    // The file index each camera pane shows.
    std::vector<int> PaneFiles() const {
        std::vector<int> files;
        for (int pane = 0; pane < 4; ++pane)
            files.push_back(Panes().Pane(pane).Status().frame.fileIndex);
        return files;
    }

    // Pressing or dragging the time bar at a position, in the bar's own coordinates.
    void PressTimeBarAt(int position) {
        CZVSlideBar& bar = *panel_->TimeBar();
        // The pixel after the value's own: pixels map back to values truncated.
        const QPoint at(bar.Model().PixelOfValue(position) + 1, bar.height() / 2);
        SendMouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton);
    }
    void ReleaseTimeBar() {
        CZVSlideBar& bar = *panel_->TimeBar();
        const QPoint at(bar.Model().ThumbCentre(), bar.height() / 2);
        SendMouse(bar, QEvent::MouseButtonRelease, at, Qt::NoButton);
    }
};

} // namespace

TEST_F(PlaybackTransportTest, ButtonsAndKeysRunTheClockAndTheIndicatorNamesTheSpeed) {
    Restart(0); // the numeric indicator texts
    Load(SearchList::Event, {0});
    ASSERT_EQ(app_->LoadedKind(), kLoadedEvent);
    ASSERT_NE(Current(), nullptr);
    EXPECT_TRUE(EveryVisiblePaneHasAPicture()); // shown at its begin
    EXPECT_EQ(VisiblePanes(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Indicator(), "0");

    const std::vector<std::int64_t> before = DrawnPerCamera();
    Click(*panel_->Button(cmd::kPlay));
    EXPECT_EQ(Play().PlayState(), kPlayNormal);
    EXPECT_TRUE(Play().UsesPreciseTimer());
    EXPECT_EQ(Indicator(), "1");
    ASSERT_TRUE(WaitForShownTimeToMove(800));
    const std::vector<std::int64_t> playing = DrawnPerCamera();
    for (std::size_t camera = 0; camera < 4; ++camera)
        EXPECT_GT(playing[camera], before[camera]) << "camera " << camera;

    Click(*panel_->Button(cmd::kPlay)); // the second press halves the speed
    EXPECT_EQ(Play().PlayState(), kPlayHalf);
    EXPECT_FALSE(Play().UsesPreciseTimer());
    EXPECT_EQ(Indicator(), "0.5");
    ASSERT_TRUE(PressKeys(kCtrlShiftF));
    EXPECT_EQ(Indicator(), "2");
    ASSERT_TRUE(PressKeys(kCtrlShiftF));
    EXPECT_EQ(Indicator(), "4");

    ASSERT_TRUE(PressKeys(kCtrlB));
    EXPECT_EQ(Play().PlayState(), kPlayReverse);
    EXPECT_EQ(Indicator(), "-1");
    const std::int64_t reversedFrom = Play().ShownTimeMs();
    ASSERT_TRUE(WaitForShownTimeToMove(300));
    EXPECT_LT(Play().ShownTimeMs(), reversedFrom);
    Click(*panel_->Button(cmd::kFastBackPlay));
    EXPECT_EQ(Indicator(), "-2");

    ASSERT_TRUE(PressKeys(kCtrlS));
    EXPECT_EQ(Play().PlayState(), kPlayStopped);
    EXPECT_FALSE(Play().TimerActive());
    EXPECT_EQ(Indicator(), "0");
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
}

TEST_F(PlaybackTransportTest, Vendor1IndicatorShowsTheSpeedWithAnXAndNothingWhenStopped) {
    Restart(1);
    Load(SearchList::Event, {0});
    EXPECT_EQ(Indicator(), "");
    ASSERT_TRUE(PressKeys(kCtrlF));
    EXPECT_EQ(Indicator(), "x1");
    Click(*panel_->Button(cmd::kPlay));
    EXPECT_EQ(Indicator(), "x0.5");
    Click(*panel_->Button(cmd::kFastBackPlay));
    EXPECT_EQ(Indicator(), "x2");
    Click(*panel_->Button(cmd::kPause));
    EXPECT_EQ(Indicator(), "");
}

TEST_F(PlaybackTransportTest, FrameStepsByButtonsAndArrowKeysAndAStepWhilePlayingPauses) {
    Load(SearchList::Event, {0});
    const std::int64_t first = Play().ShownTimeMs();
    Click(*panel_->Button(cmd::kNextFrame));
    const std::int64_t second = Play().ShownTimeMs();
    EXPECT_GT(second, first);
    ASSERT_TRUE(PressKeys(kRight));
    const std::int64_t third = Play().ShownTimeMs();
    EXPECT_GT(third, second);
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
    // Back steps of MPEG-4 pictures land on intra pictures, so they may go further back.
    ASSERT_TRUE(PressKeys(kLeft));
    EXPECT_LT(Play().ShownTimeMs(), third);
    for (int step = 0; step < 3; ++step)
        Click(*panel_->Button(cmd::kPreviousFrame));
    EXPECT_EQ(Play().ShownTimeMs(), first);
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());

    Click(*panel_->Button(cmd::kPlay));
    ASSERT_TRUE(WaitForShownTimeToMove(400));
    Click(*panel_->Button(cmd::kNextFrame)); // only pauses
    EXPECT_EQ(Play().PlayState(), kPlayStopped);
    EXPECT_FALSE(Play().TimerActive());
    const std::int64_t paused = Play().ShownTimeMs();
    WaitUntil([] { return false; }, 200);
    EXPECT_EQ(Play().ShownTimeMs(), paused);
}

TEST_F(PlaybackTransportTest, MapSeekMakesTheOtherRecordingCurrentAndMarksItsLine) {
    Load(SearchList::Event, {0, 1});
    ASSERT_EQ(frame_->Recordings().Count(), 2);
    Click(*panel_->Button(cmd::kPlay));
    Play().GotoVideo(1, 5); // a route point of the second recording
    EXPECT_EQ(Play().PlayState(), kPlayStopped);
    EXPECT_EQ(frame_->Search().CurrentRecording(), 1);
    EXPECT_EQ(Window().LoadedList().currentRow(), 1);
    const CDriveRecInfo* second = Current();
    const CInfoVdxFile& file =
        second->m_arrChannels[static_cast<std::size_t>(second->m_nKeyChannel)].m_arrFiles.at(0);
    EXPECT_EQ(Play().ShownTimeMs(), ToRecorderMs(file.m_pFrames.at(5).stTime));
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
}

TEST_F(PlaybackTransportTest, DigitsAndLampsShowTheKeyCamerasPicture) {
    Load(SearchList::Event, {0});
    // The trigger lies 3 s in; its pictures carry other values than the first ones.
    ASSERT_TRUE(Current()->GotoTime(Current()->m_llBegin + 3200));
    const FRAMEINFOVIDEO* key = KeyFrame();
    ASSERT_NE(key, nullptr);

    const SYSTEMTIME shown = Play().ShownTime();
    EXPECT_TRUE(SameSecond(panel_->DateTimeDisplay()->Time(), shown));
    EXPECT_TRUE(SameSecond(panel_->DateTimeDisplay()->Time(), key->stTime));
    EXPECT_FLOAT_EQ(panel_->GValueDisplay(0)->Value(), key->fGx);
    EXPECT_FLOAT_EQ(panel_->GValueDisplay(1)->Value(), key->fGy);
    EXPECT_FLOAT_EQ(panel_->GValueDisplay(2)->Value(), key->fGz - 1.0f);
    const GPSINFO& fix = panel_->GpsDisplay()->Fix();
    EXPECT_EQ(fix.byGpsValid, key->gps.byGpsValid);
    EXPECT_EQ(fix.wLatDeg, key->gps.wLatDeg);
    EXPECT_EQ(fix.wLatMin, key->gps.wLatMin);
    EXPECT_FLOAT_EQ(fix.fLatSec, key->gps.fLatSec);
    EXPECT_EQ(fix.wLonDeg, key->gps.wLonDeg);
    EXPECT_EQ(panel_->CarSignalDisplay()->Bits(), key->byAux);
    const SpeedReading speed = panel_->SpeedDisplay()->Reading();
    EXPECT_EQ(speed.pulseSpeed, frame_->Search().CarPulseSpeed(key->wSpeedRaw));
    EXPECT_EQ(speed.gpsValid, key->gps.byGpsValid);

    // The generated drive differs between its axes, so a swapped axis would show.
    EXPECT_NE(panel_->GValueDisplay(0)->Value(), panel_->GValueDisplay(1)->Value());

    // Display File List resets every display.
    panel_->OnPanelCommand(cmd::kMenuFileList);
    EXPECT_EQ(panel_->GValueDisplay(0)->Value(), kNoGValue);
    EXPECT_EQ(panel_->GpsDisplay()->Fix().byGpsValid, 0);
    EXPECT_EQ(panel_->CarSignalDisplay()->Bits(), 0);
}

TEST_F(PlaybackTransportTest, TimeBarCoversANormalRecordingFollowsPlaybackAndSeeksIt) {
    Load(SearchList::Normal, {0});
    ASSERT_EQ(app_->LoadedKind(), kLoadedNormal);
    CDriveRecInfo* recording = Current();
    ASSERT_NE(recording, nullptr);
    CZVSlideBar& bar = *panel_->TimeBar();
    const std::int64_t begin = recording->m_llBegin;
    EXPECT_EQ(bar.Minimum(), 0);
    EXPECT_EQ(bar.Maximum(), (recording->m_llEnd - begin) / 1000);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.Model().RecordedSpans().size(), 2u); // one line per file
    EXPECT_EQ(bar.TimeRange().Labels().size(), 3u);    // start, middle and end under it

    Click(*panel_->Button(cmd::kFastPlay));
    ASSERT_TRUE(WaitUntil([&] { return bar.Position() >= 2; }, 8000));
    Click(*panel_->Button(cmd::kPause));
    EXPECT_EQ(bar.Position(), (Play().ShownTimeMs() - begin) / 1000);

    // A drag stops playback and shows the time under the thumb; the release seeks there.
    Click(*panel_->Button(cmd::kPlay));
    const int target = bar.Maximum() - 3;
    PressTimeBarAt(target);
    EXPECT_EQ(Play().PlayState(), kPlayStopped);
    EXPECT_EQ(bar.Position(), target);
    EXPECT_TRUE(
        SameSecond(panel_->DateTimeDisplay()->Time(), FromRecorderMs(begin + target * 1000LL)));
    ReleaseTimeBar();
    EXPECT_GE(Play().ShownTimeMs(), begin + target * 1000LL);
    EXPECT_LT(Play().ShownTimeMs(), begin + (target + 1) * 1000LL);
    EXPECT_EQ(bar.Position(), target);
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
}

TEST_F(PlaybackTransportTest, StepsFastAndReversePlayAcrossTheFileEndKeepAPictureInEveryPane) {
    Load(SearchList::Normal, {0});
    CDriveRecInfo* recording = Current();
    ASSERT_NE(recording, nullptr);
    const CInfoVdxFile& firstFile = recording->m_arrChannels[0].m_arrFiles.at(0);
    const std::int64_t fileEnd = ToRecorderMs(firstFile.m_pFrames.back().stTime);

    // Steps over the end of the first file.
    ASSERT_TRUE(recording->GotoTime(fileEnd - 600));
    ASSERT_EQ(KeyFile(), 0);
    for (int step = 0; step < 6; ++step) {
        Click(*panel_->Button(cmd::kNextFrame));
        EXPECT_TRUE(EveryVisiblePaneHasAPicture()) << "after step " << step;
    }
    EXPECT_EQ(KeyFile(), 1);
    EXPECT_EQ(PaneFiles(), (std::vector<int>{1, 1, 1, 1}));
    for (int step = 0; step < 6; ++step)
        Click(*panel_->Button(cmd::kPreviousFrame));
    EXPECT_EQ(KeyFile(), 0);
    EXPECT_EQ(PaneFiles(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());

    // Fast forward over it, then reverse back over it.
    ASSERT_TRUE(recording->GotoTime(fileEnd - 800));
    Click(*panel_->Button(cmd::kFastPlay));
    ASSERT_TRUE(WaitUntil([&] { return Play().ShownTimeMs() > fileEnd + 1000; }, 8000));
    Click(*panel_->Button(cmd::kPause));
    WaitUntil([] { return false; }, 100); // pictures posted by the last tick are drawn
    EXPECT_EQ(PaneFiles(), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());

    Click(*panel_->Button(cmd::kBackPlay));
    ASSERT_TRUE(WaitUntil([&] { return Play().ShownTimeMs() < fileEnd - 400; }, 8000));
    Click(*panel_->Button(cmd::kPause));
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(PaneFiles(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_TRUE(EveryVisiblePaneHasAPicture());
}

TEST_F(PlaybackTransportTest, CardTakenAwayWhilePlayingStopsWithTheMessage) {
    // A copy of the card that can disappear, mounted like a removable card.
    TempDir card;
    fs::copy(ThePlaybackCard().dir.Path(), card.Path(), fs::copy_options::recursive);
    Start(0);
    parts_.mounts->Set(kRootMountLine + MountLine(17, card.Str()));
    frame_->CheckMounts();
    ShowAndOpen(card);
    Load(SearchList::Normal, {0});
    CDriveRecInfo* recording = Current();
    ASSERT_NE(recording, nullptr);
    const std::int64_t fileEnd =
        ToRecorderMs(recording->m_arrChannels[0].m_arrFiles.at(0).m_pFrames.back().stTime);
    ASSERT_TRUE(recording->GotoTime(fileEnd - 1500));
    Click(*panel_->Button(cmd::kFastPlay));
    ASSERT_TRUE(WaitForShownTimeToMove(400));

    // The folder goes while the files are open, and the clock runs on to where the next file
    // would have to be opened.
    const fs::path gone = card.Path().string() + "-gone";
    fs::rename(card.Path(), gone);
    WaitUntil([&] { return Play().Position() > fileEnd + 1000 || !Play().TimerActive(); }, 5000);
    parts_.mounts->Set(kRootMountLine);
    frame_->CheckMounts();

    EXPECT_EQ(Messages(), (std::vector<ShownMessage>{{"Trevix", "Media has been removed."}}));
    EXPECT_EQ(Play().PlayState(), kPlayStopped);
    EXPECT_FALSE(Play().TimerActive());
    EXPECT_EQ(app_->LoadedKind(), kLoadedNone);
    EXPECT_EQ(frame_->Recordings().Count(), 0);
    for (int pane = 0; pane < 4; ++pane)
        EXPECT_FALSE(Panes().Pane(pane).HasPicture()) << pane;
    // The buttons do nothing with nothing loaded.
    Click(*panel_->Button(cmd::kPlay));
    Click(*panel_->Button(cmd::kNextFrame));
    EXPECT_FALSE(Play().TimerActive());
    fs::rename(gone, card.Path()); // the folder's owner removes it
}
