#include "tests/recorder/DriveRecInfoTestSupport.h"

#include "recorder/CardLayout.h"
#include "recorder/Vocabulary.h"

namespace trevix::test {
namespace {

using mkcard::Codec;

TEST_F(TimelineTest, EventLoadTakesEveryChannelAndTheSoundOfTheRecording) {
    Write({EventDesc(0)});
    LoadEvent(VideoPath(0, 1));
    EXPECT_NE(loader_.LoadState(), kLoadStateFailed);
    EXPECT_EQ(recording_.m_nMode, kRecordingModeEvent);
    EXPECT_EQ(recording_.m_nKeyChannel, 1);
    EXPECT_EQ(recording_.m_nVideoKind, kVideoKindMpeg4);
    for (const auto& channel : recording_.m_arrChannels)
        EXPECT_EQ(channel.m_arrFiles.size(), 1u) << channel.m_nChannel;
    EXPECT_EQ(recording_.m_audio.m_arrFiles.size(), 1u);
    const auto& key = card_.recordings[0].Channel(1)->frames;
    EXPECT_EQ(recording_.m_llBegin, key.front().fields.wallMs);
    EXPECT_EQ(recording_.m_llEnd, key.back().fields.wallMs);
}

TEST_F(TimelineTest, CameraWithoutEventFileShowsTheNormalPicturesOfTheSpan) {
    // The rear camera recorded only continuously during the front camera's event.
    Write({NormalDesc(0, 1, 20, {false, false, true, false}),
           EventDesc(5, {true, false, false, false})});
    LoadEvent(VideoPath(1, 0));
    const auto& rear = recording_.m_arrChannels[2];
    ASSERT_EQ(rear.m_arrFiles.size(), 1u);
    EXPECT_NE(rear.m_arrFiles[0].m_strName.find("normal"), std::string::npos);
    EXPECT_TRUE(recording_.m_arrChannels[1].m_arrFiles.empty());
    // The sound comes from the normal recording too.
    EXPECT_EQ(recording_.m_audio.m_arrFiles.size(), 1u);
    EXPECT_TRUE(recording_.GotoTime(recording_.m_llBegin));
    EXPECT_TRUE(recording_.LastShow(2).handedPicture);
    EXPECT_FALSE(recording_.LastShow(1).handedPicture);
}

TEST_F(TimelineTest, FailedLoadsSetStateThreeAndPostOnce) {
    Write({NormalDesc(0, 1, 5)});
    LoadEvent((dir_.Path() / "ch1/event/0000000099,2024_05_17_09_30_00.vdd").string());
    EXPECT_EQ(loader_.LoadState(), kLoadStateFailed);

    // A normal file that is not in the list fails the key channel.
    CBasicLoadProgress second;
    ASSERT_TRUE(recording_.StartLoadNormal(VideoPath(0, 0), {}, &second));
    recording_.WaitForLoad();
    EXPECT_EQ(second.LoadState(), kLoadStateFailed);
    EXPECT_EQ(second.CompletionCount(), 1);
    EXPECT_FALSE(recording_.StartLoadEvent("", &second));
}

TEST_F(TimelineTest, NormalLoadJoinsTheRowsFilesAndMatchesOtherCamerasBySerial) {
    auto group = NormalDesc(0, 3, 4);
    group.titleSkewSeconds = 3; // other cameras' titles carry later times
    Write({group, NormalDesc(60, 1, 4)});
    LoadNormal(VideoPath(0, 0), 0);
    EXPECT_NE(loader_.LoadState(), kLoadStateFailed);
    EXPECT_EQ(recording_.m_nMode, kRecordingModeNormal);
    for (const auto& channel : recording_.m_arrChannels)
        EXPECT_EQ(channel.m_arrFiles.size(), 3u) << channel.m_nChannel;
    EXPECT_EQ(recording_.m_audio.m_arrFiles.size(), 3u);
    EXPECT_EQ(recording_.m_strFirstTitle, card_.recordings[0].title);
    EXPECT_EQ(recording_.m_strLastTitle, card_.recordings[2].title);
    EXPECT_EQ(recording_.m_llEnd, card_.recordings[2].Channel(0)->frames.back().fields.wallMs);

    // Starting from the middle file takes the rest of the row only.
    CBasicLoadProgress again;
    CDriveRecInfo middle;
    ASSERT_TRUE(middle.StartLoadNormal(VideoPath(1, 2), NormalList(2), &again));
    middle.WaitForLoad();
    EXPECT_EQ(middle.m_arrChannels[2].m_arrFiles.size(), 2u);
    EXPECT_EQ(middle.m_nKeyChannel, 2);
}

TEST_F(TimelineTest, KeyChannelOfNormalRecordingReportsFileChanges) {
    auto group = NormalDesc(0, 2, 2);
    group.fps = 2;
    Write({group});
    LoadNormal(VideoPath(0, 1), 1);
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llBegin));
    const int firstFileFrames = recording_.m_arrChannels[1].m_arrFiles[0].m_nFrameCount;
    notices_.channels.clear();
    for (int i = 0; i < firstFileFrames; ++i)
        ASSERT_TRUE(recording_.StepNextFrame());
    EXPECT_EQ(recording_.m_arrChannels[1].m_nCurFile, 1);
    EXPECT_EQ(recording_.m_arrChannels[0].m_nCurFile, 1);
    EXPECT_EQ(notices_.channels, std::vector<int>{1}); // only the key channel tells
}

TEST_F(TimelineTest, EventMarkerLoadsTheNormalPicturesAroundItsTime) {
    auto normal = NormalDesc(0, 1, 40);
    normal.markers = {{20, 2, 0}};
    Write({normal});
    ASSERT_FALSE(card_.recordings[0].markers.empty());
    const std::string marker = card_.recordings[0].markers[0].string();
    LoadEvent(marker);
    EXPECT_NE(loader_.LoadState(), kLoadStateFailed);
    const std::int64_t title = *TitleTimeToSeconds(TitleOfPath(marker)) * 1000;
    EXPECT_EQ(recording_.m_llBegin, title - kMarkerWindowBeforeMs);
    EXPECT_EQ(recording_.m_llEnd, title + kMarkerWindowAfterMs);
    EXPECT_LT(recording_.m_llBegin, recording_.m_llEnd);
    for (const auto& channel : recording_.m_arrChannels)
        EXPECT_EQ(channel.m_arrFiles.size(), 1u);
    ASSERT_TRUE(recording_.GotoTime(title));
    EXPECT_LE(std::abs(CurrentMs(recording_.m_nKeyChannel) - title), 1000);
}

TEST_F(TimelineTest, CancelStopsBetweenChannelsAndStillPostsOnce) {
    Write({EventDesc(0)});
    loader_.SetLoadState(kLoadStateCancel);
    LoadEvent(VideoPath(0, 0));
    EXPECT_EQ(loader_.LoadState(), kLoadStateCancel);
    EXPECT_EQ(recording_.m_arrChannels[0].m_arrFiles.size(), 1u);
    for (int channel = 1; channel < 4; ++channel)
        EXPECT_TRUE(recording_.m_arrChannels[static_cast<std::size_t>(channel)].m_arrFiles.empty());
    EXPECT_TRUE(recording_.m_audio.m_arrFiles.empty());
}

TEST_F(TimelineTest, ReloadEmptiesTheChannelsAndDestructionWaitsForTheThread) {
    Write({EventDesc(0), EventDesc(20, {true, false, false, false})});
    LoadEvent(VideoPath(0, 0));
    CBasicLoadProgress second;
    ASSERT_TRUE(recording_.StartLoadEvent(VideoPath(1, 0), &second));
    recording_.WaitForLoad();
    EXPECT_TRUE(recording_.m_arrChannels[1].m_arrFiles.empty());
    EXPECT_EQ(recording_.m_arrChannels[0].m_arrFiles.size(), 1u);

    CBasicLoadProgress third;
    {
        CDriveRecInfo shortLived;
        shortLived.StartLoadEvent(VideoPath(0, 0), &third);
    } // joined here, with third still alive
    EXPECT_EQ(third.CompletionCount(), 1);
}

TEST_F(TimelineTest, JpegChannelsMakeVideoKindOne) {
    auto event = EventDesc(0, {true, true, false, false});
    event.codec = Codec::Jpeg;
    Write({event});
    LoadEvent(VideoPath(0, 0));
    EXPECT_EQ(recording_.m_nVideoKind, kVideoKindJpeg);
    ASSERT_TRUE(recording_.GotoTime(recording_.m_llBegin + 450));
    // The first JPEG picture at or after the time.
    EXPECT_GE(CurrentMs(0), recording_.m_llBegin + 450);
    EXPECT_LT(CurrentMs(0), recording_.m_llBegin + 450 + 200);
    EXPECT_TRUE(recording_.LastShow(0).handedPicture);
    ASSERT_FALSE(panes_.Of(0).empty());
    EXPECT_EQ(panes_.Of(0).back().width, 360);
}

} // namespace
} // namespace trevix::test
