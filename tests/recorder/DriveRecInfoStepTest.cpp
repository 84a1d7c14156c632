#include "tests/recorder/DriveRecInfoTestSupport.h"

namespace trevix::test {
namespace {

// Intra pictures of a loaded channel's first file, by index.
std::vector<int> IntraIndexes(const CDriveRecChannel& channel) {
    std::vector<int> found;
    const auto& frames = channel.m_arrFiles.at(0).m_pFrames;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].byType == kFrameTypeIntra)
            found.push_back(static_cast<int>(i));
    return found;
}

TEST_F(TimelineTest, GotoTimeTakesTheIntraPictureWithin500Ms) {
    Write({EventDesc(0, {true, false, false, false})});
    LoadEvent(VideoPath(0, 0));
    const auto intra = IntraIndexes(recording_.m_arrChannels[0]);
    ASSERT_GE(intra.size(), 2u);
    const std::int64_t first = ToRecorderMs(Frame(0, 0, intra[0]).stTime);
    const std::int64_t second = ToRecorderMs(Frame(0, 0, intra[1]).stTime);
    ASSERT_GT(second - first, 600);
    ASSERT_TRUE(recording_.GotoTime(first + 400));
    EXPECT_EQ(recording_.m_arrChannels[0].CurrentFrameIndex(), intra[0]);
    EXPECT_EQ(status_.ShownTimeMs(), first);
    ASSERT_TRUE(recording_.GotoTime(first + 600));
    EXPECT_EQ(recording_.m_arrChannels[0].CurrentFrameIndex(), intra[1]);
    EXPECT_TRUE(recording_.LastShow(0).handedPicture);
}

TEST_F(TimelineTest, GotoPastAChannelsEndLeavesItEmpty) {
    Write({NormalDesc(0, 1, 3, {false, true, false, false}),
           EventDesc(0, {true, false, false, false})});
    LoadEvent(VideoPath(1, 0));
    ASSERT_EQ(recording_.m_arrChannels[1].m_arrFiles.size(), 1u);
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llEnd));
    EXPECT_EQ(recording_.m_arrChannels[1].m_nCurFile, -1);
    EXPECT_TRUE(recording_.LastShow(1).cleared);
    EXPECT_FALSE(recording_.LastShow(0).cleared);
}

// Plays forward at a state with 100 ms ticks until the end; returns the number of ticks.
int PlayForward(CDriveRecInfo& recording, CBasicPlayStatus& status, int state, std::int64_t stepMs,
                const std::function<void()>& afterTick) {
    status.SetPlayState(state);
    std::int64_t position = status.ShownTimeMs();
    int ticks = 0;
    while (ticks < 10000) {
        position += stepMs;
        ++ticks;
        const bool more = recording.StepForwardTo(state, position);
        afterTick();
        if (!more)
            break;
    }
    return ticks;
}

TEST_F(TimelineTest, ChannelThatEndsEarlyIsClearedOnceTheClockPassesItsWindow) {
    // The key camera's event runs 4 s; the interior camera's normal file ends after 1 s of it.
    auto event = EventDesc(4, {true, false, false, false});
    Write({NormalDesc(0, 1, 5, {false, true, false, false}), event});
    LoadEvent(VideoPath(1, 0));
    ASSERT_EQ(recording_.m_arrChannels[1].m_arrFiles.size(), 1u);
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llBegin));
    const std::int64_t last = LastFrameMs(1);
    std::int64_t clearedAt = -1;
    PlayForward(recording_, status_, 3, 100, [&] {
        if (clearedAt < 0 && recording_.LastShow(1).cleared)
            clearedAt = status_.ShownTimeMs();
    });
    ASSERT_GT(clearedAt, 0);
    EXPECT_GT(clearedAt - last, 2050);
    EXPECT_LE(clearedAt - last, 2050 + 250);
}

TEST_F(TimelineTest, ChannelThatStartsLateIsShownFromItsFirstPicture) {
    Write({EventDesc(0, {true, false, false, false}),
           NormalDesc(3, 1, 5, {false, false, true, false})});
    // The event starts 2 s before the trigger at 0 + pre; the rear file starts later.
    LoadEvent(VideoPath(0, 0));
    ASSERT_EQ(recording_.m_arrChannels[2].m_arrFiles.size(), 1u);
    const std::int64_t rearFirst = ToRecorderMs(Frame(2, 0, 0).stTime);
    ASSERT_GT(rearFirst - recording_.m_llBegin, 2050);
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llBegin));
    EXPECT_TRUE(recording_.LastShow(2).cleared);
    std::vector<std::int64_t> rearShown;
    PlayForward(recording_, status_, 3, 100, [&] {
        if (recording_.LastShow(2).handedPicture)
            rearShown.push_back(recording_.LastShow(2).pictureMs);
    });
    ASSERT_FALSE(rearShown.empty());
    EXPECT_EQ(rearShown.front(), rearFirst);
    EXPECT_TRUE(std::is_sorted(rearShown.begin(), rearShown.end()));
}

TEST_F(TimelineTest, StepNextStopsAtTheLastFrameAndStepPrevAtTheBegin) {
    auto event = EventDesc(0, {true, true, false, false});
    event.fps = 2;
    Write({event});
    LoadEvent(VideoPath(0, 0));
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llBegin));
    EXPECT_FALSE(recording_.StepPrevFrame()); // at the begin
    int steps = 0;
    while (recording_.StepNextFrame() && steps < 100)
        ++steps;
    EXPECT_EQ(steps, recording_.m_arrChannels[0].m_arrFiles[0].m_nFrameCount - 1);
    EXPECT_EQ(status_.ShownTimeMs(), recording_.m_llEnd);
    const std::size_t calls = panes_.calls.size();
    EXPECT_FALSE(recording_.StepNextFrame()); // "Last Frame": nothing changes
    EXPECT_EQ(panes_.calls.size(), calls);

    // Back: every picture reached is an intra picture, and the steps end at the begin.
    int back = 0;
    while (recording_.StepPrevFrame() && back < 100) {
        ++back;
        EXPECT_EQ(recording_.m_arrChannels[0].CurrentFrame()->byType, kFrameTypeIntra);
    }
    EXPECT_GT(back, 0);
    EXPECT_EQ(status_.ShownTimeMs(), recording_.m_llBegin);
}

TEST_F(TimelineTest, FastForwardRunsChannelsToTheirLastPictureAtTheEnd) {
    Write({EventDesc(0)});
    LoadEvent(VideoPath(0, 0));
    status_.SetPlayState(5);
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llEnd - 600));
    for (int channel = 0; channel < 4; ++channel)
        ASSERT_LT(recording_.m_llEnd - CurrentMs(channel), 1000);
    EXPECT_FALSE(recording_.StepForwardTo(5, recording_.m_llEnd + 1000));
    for (int channel = 0; channel < 4; ++channel) {
        EXPECT_EQ(CurrentMs(channel), LastFrameMs(channel));
        EXPECT_TRUE(recording_.LastShow(channel).handedPicture);
    }
    EXPECT_EQ(status_.ShownTimeMs(), recording_.m_llEnd);
    EXPECT_GE(panes_.repaints, 1);
}

TEST_F(TimelineTest, ForwardPlayShowsTheEarliestMovedPictureAndWaitsForChannelsAhead) {
    Write({EventDesc(0, {true, true, false, false})});
    LoadEvent(VideoPath(0, 0));
    status_.SetPlayState(6);
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llBegin));
    // Channel 1 is put one key picture ahead of the clock: it must not move.
    auto& ahead = recording_.m_arrChannels[1];
    ASSERT_TRUE(ahead.NextKeyFrameAfter(recording_.m_llBegin + 1000));
    const std::int64_t aheadMs = CurrentMs(1);
    ASSERT_TRUE(recording_.StepForwardTo(6, recording_.m_llBegin + 300));
    EXPECT_EQ(CurrentMs(1), aheadMs);
    EXPECT_LE(status_.ShownTimeMs(), aheadMs);
    EXPECT_EQ(status_.ShownTimeMs(), CurrentMs(0));
}

TEST_F(TimelineTest, ReversePlayRunsBackToTheBegin) {
    Write({EventDesc(0, {true, false, true, false})});
    LoadEvent(VideoPath(0, 0));
    status_.SetPlayState(9);
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llEnd));
    std::int64_t position = status_.ShownTimeMs();
    std::int64_t previous = position;
    int ticks = 0;
    while (recording_.StepBackwardTo(position -= 100) && ticks++ < 1000) {
        EXPECT_LE(status_.ShownTimeMs(), previous);
        previous = status_.ShownTimeMs();
    }
    EXPECT_LT(ticks, 1000);
    EXPECT_EQ(status_.ShownTimeMs(), recording_.m_llBegin);
    EXPECT_EQ(recording_.m_arrChannels[2].CurrentFrameIndex(), 0);
}

TEST_F(TimelineTest, ReverseLeavesAChannelWhosePicturesAreAllFarFromTheClock) {
    auto event = EventDesc(6, {true, false, false, false});
    event.postSeconds = 8;
    Write({NormalDesc(0, 1, 8, {false, true, false, false}), event});
    LoadEvent(VideoPath(1, 0));
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llEnd));
    auto& far = recording_.m_arrChannels[1];
    ASSERT_EQ(far.m_nCurFile, -1);
    recording_.StepBackwardTo(status_.ShownTimeMs() - 100);
    // Reopened on its last key picture but, more than 3950 ms away, not moved.
    ASSERT_EQ(far.m_nCurFile, 0);
    const int index = far.CurrentFrameIndex();
    recording_.StepBackwardTo(status_.ShownTimeMs() - 200);
    EXPECT_EQ(far.CurrentFrameIndex(), index);
}

// --- Sound --------------------------------------------------------------------------------

TEST_F(TimelineTest, FeedAudioGivesTheSecondWithin999MsAndWaitsOrSeeksOtherwise) {
    auto event = EventDesc(0, {true, false, false, false});
    event.postSeconds = 6;
    Write({event});
    LoadEvent(VideoPath(0, 0));
    EXPECT_FALSE(recording_.FeedAudio(0).HasData()); // not positioned yet
    const std::int64_t begin = recording_.m_llBegin;
    ASSERT_TRUE(recording_.SeekAudio(begin + 2000));
    const std::int64_t block = *[&] {
        const auto& file = recording_.m_audio.m_arrFiles[0];
        return std::optional(ToRecorderMs(file.GetFrameInfo(-1)->stTime));
    }();

    status_.SetShownTimeMs(block + 999);
    auto fed = recording_.FeedAudio(0);
    EXPECT_TRUE(fed.hasRecording);
    ASSERT_TRUE(fed.HasData());
    // The first second after the seek starts at the clock: 999 ms of it are dropped.
    EXPECT_EQ(fed.droppedSamples, 7992u);
    EXPECT_EQ(fed.samples.size(), 8u);
    EXPECT_EQ(recording_.LastFedAudioTime(), block);

    // The track is now one second on; a clock 1000 ms before it makes the sound wait.
    status_.SetShownTimeMs(block + 1000 - 1000);
    EXPECT_FALSE(recording_.FeedAudio(0).HasData());

    // A clock 1000 ms behind the track's position... and ahead: the track is moved to it.
    status_.SetShownTimeMs(block + 1000 + 2500);
    fed = recording_.FeedAudio(0);
    ASSERT_TRUE(fed.HasData());
    EXPECT_LE(std::abs(*recording_.LastFedAudioTime() - (block + 3500)), 100);
}

TEST_F(TimelineTest, FeedAudioWithLeadStaysInStepAfterACatchUp) {
    auto event = EventDesc(0, {true, false, false, false});
    event.postSeconds = 8;
    Write({event});
    LoadEvent(VideoPath(0, 0));
    const std::int64_t begin = recording_.m_llBegin;
    ASSERT_TRUE(recording_.SeekAudio(begin));
    // The clock is 3 s further than the track: one catch-up, then every second in step.
    status_.SetShownTimeMs(begin + 3000);
    for (int second = 0; second < 4; ++second) {
        const auto fed = recording_.FeedAudio(1);
        ASSERT_TRUE(fed.HasData()) << second;
        EXPECT_LE(std::abs(*recording_.LastFedAudioTime() - (status_.ShownTimeMs() + 1000)), 999);
        status_.SetShownTimeMs(status_.ShownTimeMs() + 1000);
    }
}

TEST_F(TimelineTest, MissingAudioGivesNoSamples) {
    auto event = EventDesc(0, {true, false, false, false});
    event.audio = std::nullopt;
    Write({event});
    LoadEvent(VideoPath(0, 0));
    EXPECT_TRUE(recording_.m_audio.m_arrFiles.empty());
    EXPECT_FALSE(recording_.SeekAudio(recording_.m_llBegin));
    const auto fed = recording_.FeedAudio(0);
    EXPECT_TRUE(fed.hasRecording);
    EXPECT_FALSE(fed.HasData());
}

TEST_F(TimelineTest, AudioThatStartsLateWaitsWithSilenceUntilTheClockReachesIt) {
    auto event = EventDesc(0, {true, false, false, false});
    event.audio = std::nullopt;
    // The side camera's normal recording, with sound, starts 3 s into the event.
    Write({event, NormalDesc(3, 1, 6, {false, false, false, true})});
    LoadEvent(VideoPath(0, 0));
    ASSERT_EQ(recording_.m_audio.m_arrFiles.size(), 1u);
    const std::int64_t first =
        ToRecorderMs(recording_.m_audio.m_arrFiles[0].m_pFrames.at(0).stTime);
    ASSERT_GE(first - recording_.m_llBegin, 2000);
    ASSERT_TRUE(recording_.SeekAudio(recording_.m_llBegin));
    for (std::int64_t shown = recording_.m_llBegin; shown <= first - 1000; shown += 500) {
        status_.SetShownTimeMs(shown);
        EXPECT_FALSE(recording_.FeedAudio(0).HasData()) << shown - first;
    }
    status_.SetShownTimeMs(first - 999);
    EXPECT_TRUE(recording_.FeedAudio(0).HasData());
    EXPECT_EQ(recording_.LastFedAudioTime(), first);
}

} // namespace
} // namespace trevix::test
