#include "tests/playback/PlayControlFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace trevix;
using namespace trevix::test;

TEST(PlayStateTables, ClockFactorPeriodsAndLogIntervals) {
    EXPECT_EQ(ScaleElapsed(kPlayHalf, 25), 12);
    EXPECT_EQ(ScaleElapsed(kPlayReverseHalf, 25), -12); // toward zero, then negated
    EXPECT_EQ(ScaleElapsed(kPlayNormal, 25), 25);
    EXPECT_EQ(ScaleElapsed(kPlayFast16, 33), 528);
    EXPECT_EQ(ScaleElapsed(kPlayFastReverse4, 33), -132);
    EXPECT_EQ(ScaleElapsed(kPlayStopped, 40), 40);

    EXPECT_EQ(VideoTimerPeriodMs(kPlayReverseHalf, true), 1000);
    EXPECT_EQ(VideoTimerPeriodMs(kPlayFast2, true), 12);
    EXPECT_EQ(VideoTimerPeriodMs(kPlayFast2, false), 33);
    EXPECT_EQ(VideoTimerPeriodMs(kPlayReverse, false), 25);
    EXPECT_EQ(VideoTimerPeriodMs(14, true), 25);

    EXPECT_EQ(LogTimerIntervalMs(kPlayFast16), 62);
    EXPECT_EQ(LogTimerIntervalMs(kPlayReverseHalf), 2000);
    EXPECT_EQ(LogTimerIntervalMs(kPlayReverse), 1000);

    EXPECT_EQ(SpeedIndicatorText(kPlayFastReverse8, 1), "x8");
    EXPECT_EQ(SpeedIndicatorText(kPlayFastReverse8, 2), "-8");
    EXPECT_EQ(SpeedIndicatorText(kPlayStopped, 2), "0");
    EXPECT_EQ(SpeedIndicatorText(99, 2), "");
}

TEST(PlayControlCommands, PlayTogglesAndFastCommandsCycle) {
    PlayFixture f;
    std::vector<int> states;
    for (int i = 0; i < 3; ++i) {
        f.control.CmdPlay();
        states.push_back(f.control.PlayState());
    }
    for (int i = 0; i < 5; ++i) {
        f.control.CmdFastPlay();
        states.push_back(f.control.PlayState());
    }
    for (int i = 0; i < 3; ++i) {
        f.control.CmdReverse();
        states.push_back(f.control.PlayState());
    }
    for (int i = 0; i < 5; ++i) {
        f.control.CmdFastReverse();
        states.push_back(f.control.PlayState());
    }
    EXPECT_EQ(states, (std::vector<int>{3, 2, 3, 4, 5, 6, 7, 4, 9, 8, 9, 10, 11, 12, 13, 10}));
    f.control.CmdStop();
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    EXPECT_FALSE(f.control.TimerActive());
}

TEST(PlayControlCommands, ThumbnailLayoutBlocksAllButFrameSteps) {
    PlayFixture f;
    f.host.thumbnail = true;
    f.control.RunCommand(TransportCommand::Play);
    f.control.RunCommand(TransportCommand::FastPlay);
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    f.control.RunCommand(TransportCommand::NextFrame);
    EXPECT_EQ(f.map.refreshed, 1); // frame steps are not guarded and refresh the map
}

TEST(PlayControlCommands, SpaceBarTogglesOnlyForOtherVendors) {
    PlayFixture f;
    f.control.RunCommand(TransportCommand::PlayStopToggle);
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    f.control.SetVendor(2);
    f.control.RunCommand(TransportCommand::PlayStopToggle);
    EXPECT_EQ(f.control.PlayState(), kPlayNormal);
    f.control.RunCommand(TransportCommand::PlayStopToggle);
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    EXPECT_EQ(f.status.indicator, "0");
}

TEST(PlayControlCommands, EnlargedPanelKeepsTheIndicator) {
    PlayFixture f;
    f.host.enlarged = true;
    f.control.CmdFastPlay();
    EXPECT_FALSE(f.status.indicator.has_value());
    EXPECT_TRUE(f.control.TimerActive());
}

TEST(PlayControlTimers, NormalSpeedUsesThePreciseTimerAndTheSound) {
    PlayFixture f;
    f.control.CmdPlay();
    EXPECT_TRUE(f.control.UsesPreciseTimer());
    EXPECT_EQ(f.videoTimer.Kind(), TimerKind::Precise);
    EXPECT_EQ(f.videoTimer.Period(), 25);
    EXPECT_EQ(f.sound.opens, 1);
    EXPECT_EQ(f.sound.resumes, 1);
    f.control.CmdPlay(); // x0.5: a coarse timer, sound closed
    EXPECT_EQ(f.videoTimer.Kind(), TimerKind::Coarse);
    EXPECT_EQ(f.videoTimer.Period(), 50);
    EXPECT_FALSE(f.sound.open);
    EXPECT_GE(f.sound.pauses, 1);
}

TEST(PlayControlTimers, SoundThatCannotOpenLeavesPlaybackRunning) {
    PlayFixture f;
    f.sound.canOpen = false;
    f.control.CmdPlay();
    EXPECT_TRUE(f.control.TimerActive());
    EXPECT_EQ(f.sound.resumes, 0);
}

TEST(PlayControlTimers, MissingPreciseTimerStopsPlayback) {
    PlayFixture f;
    f.videoTimer.preciseAvailable = false;
    f.control.CmdPlay();
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    EXPECT_FALSE(f.control.TimerActive());
}

TEST(PlayControlTimers, NoCurrentRecordingStopsAtTheFirstTick) {
    PlayFixture f;
    f.control.CmdFastPlay();
    f.Tick(12);
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    EXPECT_EQ(f.map.refreshed, 1); // window timer: the synchronous refresh
}

TEST(PlayControlTimers, TimeProcIgnoresOtherStates) {
    PlayFixture f;
    TempDir dir;
    const auto card = WritePlayCard(dir, {SmallEvent()});
    f.Load(DataPath(card.recordings[0]));
    f.catalogue.SelectRecording(0);
    f.control.CmdFastPlay();
    const std::int64_t before = f.control.Position();
    f.clock.Advance(100);
    f.control.TimeProc(kVideoTimerId);
    EXPECT_EQ(f.control.Position(), before);
}

namespace {

struct EventCard {
    TempDir dir;
    mkcard::WrittenCard card;
    explicit EventCard(mkcard::Codec codec = mkcard::Codec::Mpeg4)
        : card(WritePlayCard(dir, {SmallEvent(codec)})) {}
};

} // namespace

TEST(PlayControlPlayback, ForwardStatesRunToTheEndAndStop) {
    EventCard event;
    for (int state = kPlayHalf; state <= kPlayFast16; ++state) {
        SCOPED_TRACE(state);
        PlayFixture f;
        f.control.SetVendor(2);
        CDriveRecInfo& recording = f.Load(DataPath(event.card.recordings[0]));
        f.catalogue.SelectRecording(0);
        ASSERT_EQ(f.control.ShownTimeMs(), recording.m_llBegin);
        while (f.control.PlayState() != state)
            state >= kPlayFast2 ? f.control.CmdFastPlay() : f.control.CmdPlay();
        const std::vector<std::int64_t> shown = f.PlayToStop();
        ASSERT_FALSE(shown.empty());
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
        EXPECT_EQ(f.control.PlayState(), kPlayStopped);
        EXPECT_FALSE(f.control.TimerActive());
        EXPECT_EQ(f.status.indicator, "0");
        EXPECT_GE(f.control.Position(), recording.m_llEnd + 1000);
        // The last picture was reached.
        EXPECT_GE(shown.back(), recording.m_llEnd - 1000);
        // The map follows once at the end: posted from the precise timer, refreshed otherwise.
        if (state == kPlayNormal)
            EXPECT_GE(f.map.posted, 1);
        else
            EXPECT_EQ(f.map.refreshed, 1);
    }
}

TEST(PlayControlPlayback, NormalSpeedEndPostsTheMapNoticeOnce) {
    EventCard event(mkcard::Codec::Jpeg);
    PlayFixture f;
    f.Load(DataPath(event.card.recordings[0]));
    f.catalogue.SelectRecording(0);
    f.control.CmdPlay();
    int postedBeforeLastTick = 0;
    while (f.control.TimerActive()) {
        postedBeforeLastTick = f.map.posted;
        f.Tick(25);
    }
    // The last tick runs past the end: it shows nothing and posts the one end notice.
    EXPECT_EQ(f.map.posted - postedBeforeLastTick, 1);
    EXPECT_EQ(f.status.indicator, "");
    EXPECT_EQ(f.map.refreshed, 0);
}

TEST(PlayControlPlayback, BackwardStatesRunToTheBeginAndStop) {
    EventCard event;
    for (int state = kPlayReverseHalf; state <= kPlayFastReverse16; ++state) {
        SCOPED_TRACE(state);
        PlayFixture f;
        CDriveRecInfo& recording = f.Load(DataPath(event.card.recordings[0]));
        f.catalogue.SelectRecording(0);
        recording.GotoTime(recording.m_llEnd, true, true);
        const std::int64_t start = f.control.ShownTimeMs();
        while (f.control.PlayState() != state)
            state >= kPlayFastReverse2 ? f.control.CmdFastReverse() : f.control.CmdReverse();
        const std::vector<std::int64_t> shown = f.PlayToStop();
        ASSERT_FALSE(shown.empty());
        EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend()));
        EXPECT_LT(shown.back(), start);
        EXPECT_LE(shown.back(), recording.m_llBegin + 1000);
        EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    }
}

TEST(PlayControlPlayback, ReverseHalfOnMpeg4TicksEverySecondAndMovesHalfASecond) {
    EventCard event;
    PlayFixture f;
    CDriveRecInfo& recording = f.Load(DataPath(event.card.recordings[0]));
    ASSERT_EQ(recording.m_nVideoKind, kVideoKindMpeg4);
    f.catalogue.SelectRecording(0);
    recording.GotoTime(recording.m_llEnd, true, true);
    f.control.CmdReverse();
    f.control.CmdReverse();
    ASSERT_EQ(f.control.PlayState(), kPlayReverseHalf);
    EXPECT_EQ(f.videoTimer.Period(), 1000);
    const std::int64_t position = f.control.Position();
    f.Tick(1000);
    EXPECT_EQ(f.control.Position(), position - 500);
}

TEST(PlayControlPlayback, LateTicksSkipAheadInsteadOfSlowingDown) {
    EventCard event;
    PlayFixture f;
    f.Load(DataPath(event.card.recordings[0]));
    f.catalogue.SelectRecording(0);
    f.control.CmdFastPlay(); // x2
    const std::int64_t position = f.control.Position();
    f.Tick(300);
    EXPECT_EQ(f.control.Position(), position + 600);
}

TEST(PlayControlPlayback, NormalGroupPlaysAcrossFileEnds) {
    TempDir dir;
    const auto card = WritePlayCard(dir, {SmallNormal(3)});
    std::vector<std::string> normalList;
    for (const auto& written : card.recordings)
        normalList.push_back(DataPath(written));
    ASSERT_EQ(normalList.size(), 3u);
    for (int state : {kPlayNormal, kPlayFast4}) {
        SCOPED_TRACE(state);
        PlayFixture f;
        f.host.kind = kLoadedNormal;
        CDriveRecInfo& recording = f.Load(normalList[0], normalList);
        ASSERT_EQ(recording.m_arrChannels[0].m_arrFiles.size(), 3u);
        f.catalogue.SelectRecording(0);
        while (f.control.PlayState() != state)
            state == kPlayNormal ? f.control.CmdPlay() : f.control.CmdFastPlay();
        std::vector<int> files;
        for (int i = 0; i < 20000 && f.control.TimerActive(); ++i) {
            f.Tick(static_cast<std::uint32_t>(f.videoTimer.Period()));
            files.push_back(recording.m_arrChannels[0].m_nCurFile);
        }
        EXPECT_EQ(f.control.PlayState(), kPlayStopped);
        EXPECT_TRUE(std::is_sorted(files.begin(), files.end()));
        EXPECT_EQ(files.back(), 2);
        ASSERT_TRUE(f.status.slider.has_value());
        EXPECT_GE(*f.status.slider, 7); // three 3-second files
    }
}

TEST(PlayControlFrames, NextFrameWhilePlayingOnlyPausesThenSteps) {
    EventCard event(mkcard::Codec::Jpeg);
    PlayFixture f;
    f.Load(DataPath(event.card.recordings[0]));
    f.catalogue.SelectRecording(0);
    const std::int64_t begin = f.control.ShownTimeMs();
    f.control.CmdFastPlay();
    f.control.CmdNextFrame();
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    EXPECT_EQ(f.control.ShownTimeMs(), begin);
    f.control.CmdNextFrame();
    EXPECT_EQ(f.control.ShownTimeMs(), begin + 250); // 4 pictures per second
    f.control.CmdPrevFrame();
    EXPECT_EQ(f.control.ShownTimeMs(), begin);
}

TEST(PlayControlStatus, ReferenceFrameLendsTelemetryWithin1500Ms) {
    EventCard event(mkcard::Codec::Jpeg);
    PlayFixture f;
    CDriveRecInfo& recording = f.Load(DataPath(event.card.recordings[0]));
    f.catalogue.SelectRecording(0);
    const FRAMEINFOVIDEO* reference =
        recording.m_arrChannels[static_cast<std::size_t>(recording.m_nKeyChannel)].CurrentFrame();
    ASSERT_NE(reference, nullptr);
    const std::int64_t referenceMs = ToRecorderMs(reference->stTime);

    FrameStatus status;
    status.channel = 1;
    status.gX = 7.0f;
    status.speedRaw = 999;
    status.useReference = true;
    status.time = FromRecorderMs(referenceMs + 1500);
    f.control.ShowFrameStatus(status);
    EXPECT_EQ(f.control.CurrentTelemetry().speed, reference->wSpeedRaw);
    EXPECT_EQ(f.control.CurrentTelemetry().gX, reference->fGx);

    status.time = FromRecorderMs(referenceMs + 1501);
    f.control.ShowFrameStatus(status);
    EXPECT_EQ(f.control.CurrentTelemetry().speed, 999);
    EXPECT_EQ(f.control.CurrentTelemetry().gX, 7.0f);
    EXPECT_EQ(f.status.speed, 999 * 2);
    EXPECT_EQ(f.gsensor.cursor, referenceMs + 1501);

    status.useReference = false;
    status.time = FromRecorderMs(referenceMs);
    f.control.ShowFrameStatus(status);
    EXPECT_EQ(f.control.CurrentTelemetry().speed, 999);
}

TEST(PlayControlStatus, ResetMarksTheDigitsAndClearsTheIndicatorOnce) {
    PlayFixture f;
    FrameStatus status;
    status.channel = 0;
    status.carSignal = 0x04;
    status.gZ = 1.5f;
    status.time = FromRecorderMs(1'700'000'000'000);
    f.control.ShowFrameStatus(status);
    EXPECT_FLOAT_EQ(f.status.g[2], 0.5f); // the third axis without 1 g
    f.control.ShowFrameStatus(status);
    status.channel = -1;
    f.control.ShowFrameStatus(status);
    f.control.ShowFrameStatus(status);
    EXPECT_EQ(f.status.carSignals, (std::vector<std::uint8_t>{0x04, 0x00}));
    EXPECT_EQ(f.status.g[0], 9999.0f);
}

TEST(PlayControlStatus, MapNoticeOnlyWhenTheFixMovesAtSlowStates) {
    PlayFixture f;
    FrameStatus status;
    status.channel = 0;
    status.time = FromRecorderMs(1'700'000'000'000);
    status.gps = FixFromDegrees(true, 35.5, 139.7);
    f.control.CmdFastPlay(); // x2: no notice
    f.control.ShowFrameStatus(status);
    EXPECT_EQ(f.map.posted, 0);
    f.control.CmdPlay(); // x1
    status.gps = FixFromDegrees(true, 35.6, 139.7);
    f.control.ShowFrameStatus(status);
    f.control.ShowFrameStatus(status); // same fix again
    EXPECT_EQ(f.map.posted, 1);
    status.gps.byGpsValid = 0;
    status.gps.wLatMin = 1;
    f.control.ShowFrameStatus(status);
    EXPECT_EQ(f.map.posted, 1);
}

TEST(PlayControlStatus, GpsInfoAndCurrentPosition) {
    PlayFixture f;
    EXPECT_EQ(f.control.GetCurrentPosition().type, 0);
    EXPECT_EQ(f.control.GetCurrentPosition().driveIndex, -1);
    f.control.SetGpsInfo(true, -33.8688, 151.2093, 40);
    const CurrentPosition position = f.control.GetCurrentPosition();
    EXPECT_EQ(position.type, 2);
    EXPECT_EQ(position.driveIndex, 0);
    EXPECT_NEAR(position.latitude, -33.8688, 1e-5);
    EXPECT_NEAR(position.longitude, 151.2093, 1e-5);
    EXPECT_EQ(f.control.CurrentTelemetry().gps.chLatHemi, 'S');
    EXPECT_EQ(f.control.CurrentTelemetry().gps.wGpsA, 40);
}

TEST(PlayControlGotoVideo, PackedNormalIndices) {
    EXPECT_EQ(PackNormalDrive(2, 1), 131073);
    EXPECT_EQ(PackNormalFrame(3, 10), 196618);

    TempDir dir;
    const auto card = WritePlayCard(dir, {SmallNormal(2, mkcard::Codec::Jpeg)});
    std::vector<std::string> normalList{DataPath(card.recordings[0]), DataPath(card.recordings[1])};
    PlayFixture f;
    f.host.kind = kLoadedNormal;
    CDriveRecInfo& recording = f.Load(normalList[0], normalList);
    f.catalogue.SelectRecording(0);
    f.control.CmdFastPlay();
    const FRAMEINFOVIDEO* target = recording.m_arrChannels[1].m_arrFiles[1].GetFrameInfo(3);
    ASSERT_NE(target, nullptr);
    f.control.GotoVideo(PackNormalDrive(0, 1), PackNormalFrame(1, 3));
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    EXPECT_EQ(f.control.ShownTimeMs(), ToRecorderMs(target->stTime));

    const std::int64_t shown = f.control.ShownTimeMs();
    f.control.GotoVideo(PackNormalDrive(0, 1), PackNormalFrame(9, 3));
    f.control.GotoVideo(PackNormalDrive(5, 1), PackNormalFrame(0, 0));
    f.control.GotoVideo(-1, -1);
    EXPECT_EQ(f.control.ShownTimeMs(), shown);
    EXPECT_TRUE(f.host.selectedRows.empty());
}

TEST(PlayControlGotoVideo, EventSeekSelectsTheRecordingFirst) {
    TempDir dir;
    const auto card =
        WritePlayCard(dir, {SmallEvent(mkcard::Codec::Jpeg), SmallEvent(mkcard::Codec::Jpeg)});
    PlayFixture f;
    f.Load(DataPath(card.recordings[0]));
    CDriveRecInfo& second = f.Load(DataPath(card.recordings[1]));
    f.catalogue.SelectRecording(0);
    f.control.GotoVideo(1, 5);
    EXPECT_EQ(f.catalogue.current, 1);
    EXPECT_EQ(f.host.selectedRows, std::vector<int>{1});
    const FRAMEINFOVIDEO* target =
        second.m_arrChannels[static_cast<std::size_t>(second.m_nKeyChannel)]
            .m_arrFiles[0]
            .GetFrameInfo(5);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(f.control.ShownTimeMs(), ToRecorderMs(target->stTime));
    f.control.GotoVideo(2, 0); // no such recording
    EXPECT_EQ(f.catalogue.current, 1);
}

namespace {

void FillSamples(FakeGSensor& gsensor, int count) {
    for (int i = 0; i < count; ++i)
        gsensor.times.push_back(1'700'000'000'000 + i * 1000);
}

} // namespace

TEST(PlayControlLog, FastPlayAtX16StepsEvery62MsAndStopsAtTheLastSample) {
    PlayFixture f;
    f.host.kind = kLoadedLog;
    FillSamples(f.gsensor, 5);
    f.control.SetShownTime(FromRecorderMs(f.gsensor.times[1] + 300));
    for (int i = 0; i < 4; ++i)
        f.control.RunCommand(TransportCommand::FastPlay);
    ASSERT_EQ(f.control.PlayState(), kPlayFast16);
    EXPECT_EQ(f.logTimer.Period(), 62);
    EXPECT_EQ(f.gsensor.current, 1); // nearest to the shown time, selected silently
    EXPECT_FALSE(f.gsensor.selections.back().second);
    for (int i = 0; i < 10 && f.control.LogTimerActive(); ++i)
        f.control.OnTimer(kLogTimerId);
    EXPECT_EQ(f.host.paneSamples, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    EXPECT_FALSE(f.control.LogTimerActive());
    EXPECT_EQ(f.map.refreshed, 1);
}

TEST(PlayControlLog, ReverseStepsBackAndFrameStepsClamp) {
    PlayFixture f;
    f.host.kind = kLoadedLog;
    FillSamples(f.gsensor, 3);
    f.control.SetShownTime(FromRecorderMs(f.gsensor.times[2]));
    f.control.RunCommand(TransportCommand::Reverse);
    EXPECT_EQ(f.logTimer.Period(), 1000);
    f.control.OnTimer(kLogTimerId);
    EXPECT_EQ(f.gsensor.current, 1);
    f.control.RunCommand(TransportCommand::PrevFrame);
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    f.control.RunCommand(TransportCommand::PrevFrame);
    f.control.RunCommand(TransportCommand::PrevFrame);
    EXPECT_EQ(f.gsensor.current, 0);
    EXPECT_EQ(f.map.refreshed, 3);
}

TEST(PlayControlLog, EmptyListIgnoresCommandsAndSeeksInRange) {
    PlayFixture f;
    f.host.kind = kLoadedLog;
    f.control.RunCommand(TransportCommand::Play);
    EXPECT_EQ(f.control.PlayState(), kPlayStopped);
    EXPECT_FALSE(f.logTimer.Running());
    FillSamples(f.gsensor, 4);
    f.control.GotoVideo(0, 3);
    f.control.GotoVideo(0, 4);
    f.control.GotoVideo(0, -1);
    EXPECT_EQ(f.host.paneSamples, std::vector<int>{3});
}

TEST(PlayControlMemo, PlaysTheSoundFileOfTheSelectedPicture) {
    PlayFixture f;
    f.host.kind = kLoadedMemo;
    f.control.RunCommand(TransportCommand::Play);
    f.control.RunCommand(TransportCommand::Stop);
    EXPECT_TRUE(f.memo.played.empty());
    EXPECT_EQ(f.memo.stops, 0);
    f.host.memoPicture = "/card/memo1/m0001.jpg";
    f.control.RunCommand(TransportCommand::Play);
    f.control.RunCommand(TransportCommand::Stop);
    EXPECT_EQ(f.memo.played, std::vector<std::string>{"/card/memo1/m0001.aud"});
    EXPECT_EQ(f.memo.stops, 1);
}
