// Sound in the started viewer, on the test sound server of scripts/with-services (skipped
// without it): x1 plays the recording's sound and every other speed is silent; the volume bar
// and the mute box follow the system volume and drive it.
#include "app/ui/PanelMenus.h"
#include "control/ui/ZVButton.h"
#include "control/ui/ZVCheckBox.h"
#include "control/ui/ZVSlideBar.h"
#include "tests/ui/PlaybackInFrame.h"

#include <QMenu>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <optional>

using namespace trevix;
using namespace trevix::test;

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kFullVolume = 0x10000; // the server's 100 %

std::optional<int> SinkPercent() {
    const std::optional<std::uint32_t> raw = PactlSinkVolume();
    if (!raw)
        return std::nullopt;
    return static_cast<int>(std::lround(*raw * 100.0 / kFullVolume));
}

class PlaybackSoundTest : public PlaybackInFrameTest {
protected:
    void SetUp() override {
        TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
        sink_.emplace("40%", false);
        systemVolume_ = true;
        PlaybackInFrameTest::SetUp();
    }

    bool WaitForSinkPercent(int percent) const {
        return WaitUntil([&] { return SinkPercent() == percent; }, 5000);
    }
    bool WaitForSinkMuted(bool muted) const {
        return WaitUntil([&] { return PactlSinkMuted() == muted; }, 5000);
    }
    // The check mark of the Play menu's Mute item as the menu would drop down now.
    bool MuteItemChecked() const {
        const std::unique_ptr<QMenu> menu =
            BuildPanelMenu(cmd::PanelMenu::Play, panel_->CurrentContext(), panel_);
        for (const QAction* action : menu->actions())
            if (CommandOfAction(action) == cmd::kMenuVolumeMute)
                return action->isChecked();
        ADD_FAILURE() << "no Mute item";
        return false;
    }
    QPoint VolumePixel(int percent) const {
        return QPoint(panel_->VolumeBar()->Model().PixelOfValue(percent),
                      panel_->VolumeBar()->height() / 2);
    }

    std::optional<ScopedSinkState> sink_;
};

} // namespace

TEST_F(PlaybackSoundTest, X1PlaysTheRecordingsSoundAndTheOtherSpeedsAreSilent) {
    ASSERT_TRUE(PactlSetSinkVolume("100%")); // the monitor hears what the volume leaves
    Load(SearchList::Event, {0});
    ASSERT_NE(Current(), nullptr);
    CWaveOutPlaySound& sound = panel_->RecordingSound();
    EXPECT_FALSE(sound.IsOpen());

    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.Start());
    Click(*panel_->Button(cmd::kPlay));
    EXPECT_TRUE(sound.IsOpen());
    ASSERT_TRUE(WaitForShownTimeToMove(1500));
    // The sound the output is fed lies within its second of lead of the pictures.
    const std::optional<std::int64_t> fed = Current()->LastFedAudioTime();
    ASSERT_TRUE(fed.has_value());
    EXPECT_LE(std::llabs(*fed - Play().ShownTimeMs()), 2000);
    const std::vector<std::int16_t> heard = monitor.Stop();
    EXPECT_TRUE(FindSound(heard, 1000).Found()) << heard.size() << " samples, all quiet";

    // Half speed, fast and reverse close the output; x1 opens it again.
    Click(*panel_->Button(cmd::kPlay));
    EXPECT_EQ(Play().PlayState(), kPlayHalf);
    EXPECT_FALSE(sound.IsOpen());
    Click(*panel_->Button(cmd::kFastPlay));
    EXPECT_FALSE(sound.IsOpen());
    Click(*panel_->Button(cmd::kBackPlay));
    EXPECT_FALSE(sound.IsOpen());
    Click(*panel_->Button(cmd::kPlay));
    EXPECT_EQ(Play().PlayState(), kPlayNormal);
    EXPECT_TRUE(sound.IsOpen());
    Click(*panel_->Button(cmd::kNextFrame)); // pauses
    EXPECT_FALSE(sound.IsOpen());
}

TEST_F(PlaybackSoundTest, PickedMemoIsHeardAndStopEndsIt) {
    ASSERT_TRUE(PactlSetSinkVolume("100%"));
    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.Start());
    Load(SearchList::Memo, {0}); // the first memo is picked as it is listed
    ASSERT_EQ(app_->LoadedKind(), kLoadedMemo);
    ASSERT_TRUE(monitor.WaitForSamples(8000, 5s));
    const std::vector<std::int16_t> heard = monitor.Stop();
    EXPECT_TRUE(FindSound(heard, 1000).Found()) << heard.size() << " samples, all quiet";

    // Stop ends the four-second sound at once; Play plays it again from its start.
    MonitorRecorder after;
    Click(*panel_->Button(cmd::kPause));
    ASSERT_TRUE(after.Start());
    ASSERT_TRUE(after.WaitForSamples(4000, 5s));
    EXPECT_FALSE(FindSound(after.Stop(), 1000).Found());
    MonitorRecorder again;
    ASSERT_TRUE(again.Start());
    Click(*panel_->Button(cmd::kPlay));
    ASSERT_TRUE(again.WaitForSamples(8000, 5s));
    EXPECT_TRUE(FindSound(again.Stop(), 1000).Found());
}

TEST_F(PlaybackSoundTest, VolumeBarAndMuteBoxFollowTheSystemVolume) {
    CZVSlideBar& bar = *panel_->VolumeBar();
    CZVCheckBox& box = *panel_->MuteBox();
    EXPECT_TRUE(bar.isEnabled());
    EXPECT_EQ(bar.Position(), 40);
    EXPECT_EQ(box.State(), 1);
    EXPECT_FALSE(MuteItemChecked());

    ASSERT_TRUE(PactlSetSinkVolume("70%"));
    EXPECT_TRUE(WaitUntil([&] { return bar.Position() == 70; }, 5000)) << bar.Position();
    ASSERT_TRUE(PactlSetSinkMuted(true));
    EXPECT_TRUE(WaitUntil([&] { return box.State() == 0; }, 5000));
    EXPECT_TRUE(MuteItemChecked());
    ASSERT_TRUE(PactlSetSinkMuted(false));
    EXPECT_TRUE(WaitUntil([&] { return box.State() == 1; }, 5000));
    EXPECT_FALSE(MuteItemChecked());
}

TEST_F(PlaybackSoundTest, DraggingTheBarAndClickingTheBoxChangeTheSystemVolume) {
    CZVSlideBar& bar = *panel_->VolumeBar();
    // The volume changes at every step of the drag, before the button is let go. The bar is
    // short, so a pixel stands for about three percent.
    const QPoint thumb(bar.Model().ThumbCentre(), bar.height() / 2);
    SendMouse(bar, QEvent::MouseButtonPress, thumb, Qt::LeftButton);
    SendMouse(bar, QEvent::MouseMove, VolumePixel(20), Qt::LeftButton);
    const int first = bar.Position();
    EXPECT_NEAR(first, 20, 3);
    EXPECT_TRUE(WaitForSinkPercent(first)) << SinkPercent().value_or(-1);
    SendMouse(bar, QEvent::MouseMove, VolumePixel(30), Qt::LeftButton);
    const int second = bar.Position();
    EXPECT_NEAR(second, 30, 3);
    EXPECT_TRUE(WaitForSinkPercent(second)) << SinkPercent().value_or(-1);
    SendMouse(bar, QEvent::MouseButtonRelease, VolumePixel(30), Qt::NoButton);
    EXPECT_EQ(bar.Position(), second);
    EXPECT_EQ(panel_->VolumeLevel(), second);

    Click(*panel_->MuteBox());
    EXPECT_EQ(panel_->MuteBox()->State(), 0);
    EXPECT_TRUE(WaitForSinkMuted(true));
    Click(*panel_->MuteBox());
    EXPECT_TRUE(WaitForSinkMuted(false));

    // The Play menu's Mute item switches the sound off and on again.
    panel_->OnPanelCommand(cmd::kMenuVolumeMute);
    EXPECT_TRUE(WaitForSinkMuted(true));
    EXPECT_TRUE(WaitUntil([&] { return panel_->MuteBox()->State() == 0; }, 5000));
    panel_->OnPanelCommand(cmd::kMenuVolumeMute);
    EXPECT_TRUE(WaitForSinkMuted(false));
}

TEST_F(PlaybackSoundTest, VolumeUpAndDownStopAtTheEndsOfTheBar) {
    CZVSlideBar& bar = *panel_->VolumeBar();
    ASSERT_TRUE(PactlSetSinkVolume("95%"));
    ASSERT_TRUE(WaitUntil([&] { return bar.Position() == 95; }, 5000));
    panel_->OnPanelCommand(cmd::kMenuVolumeUp);
    EXPECT_TRUE(WaitForSinkPercent(100));
    EXPECT_TRUE(WaitUntil([&] { return bar.Position() == 100; }, 5000));
    panel_->OnPanelCommand(cmd::kMenuVolumeUp);
    WaitUntil([] { return false; }, 200);
    EXPECT_EQ(SinkPercent(), 100);

    ASSERT_TRUE(PactlSetSinkVolume("5%"));
    ASSERT_TRUE(WaitUntil([&] { return bar.Position() == 5; }, 5000));
    panel_->OnPanelCommand(cmd::kMenuVolumeDown);
    EXPECT_TRUE(WaitForSinkPercent(0));
    EXPECT_TRUE(WaitUntil([&] { return bar.Position() == 0; }, 5000));
}
