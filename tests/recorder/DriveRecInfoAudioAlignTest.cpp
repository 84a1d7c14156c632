#include "tests/recorder/DriveRecInfoTestSupport.h"

#include "codec/G711.h"

namespace trevix::test {
namespace {

// The sound fed after a seek starts at the asked time: of a block that starts before it, the
// samples before that time are dropped and the second plays shorter; before a block that starts
// later, the silence between them is played and the block's tail carried into the next second.
class AudioAlignTest : public TimelineTest {
protected:
    void SetUp() override {
        auto event = EventDesc(0, {true, false, false, false});
        event.postSeconds = 8;
        Write({event});
        LoadEvent(VideoPath(0, 0));
        ASSERT_FALSE(recording_.m_audio.m_arrFiles.empty());
        ASSERT_GE(recording_.m_audio.m_arrFiles[0].m_pFrames.size(), 80u);
    }

    std::int64_t BlockMs(std::size_t index) const {
        return ToRecorderMs(recording_.m_audio.m_arrFiles[0].m_pFrames.at(index).stTime);
    }

    // The card's decoded samples for count seconds from the block at startMs, undelayed.
    std::vector<std::int16_t> RawSeconds(std::int64_t startMs, int count) {
        std::vector<std::int16_t> samples;
        EXPECT_TRUE(recording_.m_audio.SeekTo(startMs));
        for (int second = 0; second < count; ++second) {
            const auto alaw = recording_.m_audio.ReadSecond(recording_.m_audio.m_nCurFile, -1);
            EXPECT_EQ(alaw.size(), kAudioSecondBytes);
            std::vector<std::int16_t> pcm(alaw.size());
            DecodeALawInto(alaw, pcm);
            samples.insert(samples.end(), pcm.begin(), pcm.end());
        }
        EXPECT_TRUE(std::ranges::any_of(samples, [](std::int16_t s) { return s != 0; }));
        return samples;
    }

    struct Fed {
        std::vector<std::int16_t> samples;
        std::size_t dropped = 0;
    };
    Fed FeedAt(std::int64_t shownMs) {
        status_.SetShownTimeMs(shownMs);
        const auto fed = recording_.FeedAudio(0);
        EXPECT_EQ(fed.samples.size() + fed.droppedSamples, kAudioSecondBytes);
        return {{fed.samples.begin(), fed.samples.end()}, fed.droppedSamples};
    }

    static std::vector<std::int16_t> Silence(std::size_t count) {
        return std::vector<std::int16_t>(count, 0);
    }

    static std::vector<std::int16_t> Slice(const std::vector<std::int16_t>& samples,
                                           std::size_t from, std::size_t to) {
        return {samples.begin() + static_cast<std::ptrdiff_t>(from),
                samples.begin() + static_cast<std::ptrdiff_t>(to)};
    }
};

TEST_F(AudioAlignTest, FortyMsIntoABlockDropsItsFirst320SamplesAndGoesOnWithWholeSeconds) {
    const std::int64_t block = BlockMs(20);
    const auto raw = RawSeconds(block, 2);
    ASSERT_TRUE(recording_.SeekAudio(block + 40));

    const Fed first = FeedAt(block + 40);
    EXPECT_EQ(recording_.LastFedAudioTime(), block);
    EXPECT_EQ(first.dropped, 320u);
    EXPECT_EQ(first.samples, Slice(raw, 320, 8000));

    // The next in-step second follows on without a gap or a repeat.
    const Fed second = FeedAt(block + 1040);
    EXPECT_EQ(recording_.LastFedAudioTime(), block + 1000);
    EXPECT_EQ(second.dropped, 0u);
    EXPECT_EQ(second.samples, Slice(raw, 8000, 16000));
}

TEST_F(AudioAlignTest, ASeekOnABlockStartFeedsTheSecondsUnchangedAndDropsAnOldCarry) {
    const std::int64_t first = BlockMs(0);
    const std::int64_t block = BlockMs(20);
    const auto raw = RawSeconds(block, 2);
    // A delayed second first, so that a carry is pending when the new seek comes.
    ASSERT_TRUE(recording_.SeekAudio(first - 300));
    FeedAt(first - 300);

    ASSERT_TRUE(recording_.SeekAudio(block));
    EXPECT_EQ(FeedAt(block).samples, Slice(raw, 0, 8000));
    EXPECT_EQ(FeedAt(block + 1000).samples, Slice(raw, 8000, 16000));
}

TEST_F(AudioAlignTest, ALateClockReseeksAndDropsWhatLiesBeforeTheClock) {
    const std::int64_t block = BlockMs(10);
    const std::int64_t later = BlockMs(50);
    const auto raw = RawSeconds(later, 1);
    ASSERT_TRUE(recording_.SeekAudio(block + 40));
    FeedAt(block + 40);

    // The clock runs more than 999 ms ahead of the track: the track moves to it and starts
    // 60 ms into its block.
    const Fed fed = FeedAt(later + 60);
    EXPECT_EQ(recording_.LastFedAudioTime(), later);
    EXPECT_EQ(fed.dropped, 480u);
    EXPECT_EQ(fed.samples, Slice(raw, 480, 8000));
}

TEST_F(AudioAlignTest, BeforeTheFirstBlockTheSoundWaitsForItsTimeAndCarriesItsTail) {
    const std::int64_t first = BlockMs(0);
    const auto raw = RawSeconds(first, 2);
    ASSERT_TRUE(recording_.SeekAudio(first - 500));

    const Fed fed = FeedAt(first - 500);
    EXPECT_EQ(fed.dropped, 0u);
    std::vector<std::int16_t> expected = Silence(4000);
    const auto head = Slice(raw, 0, 4000);
    expected.insert(expected.end(), head.begin(), head.end());
    EXPECT_EQ(fed.samples, expected);
    EXPECT_EQ(FeedAt(first + 500).samples, Slice(raw, 4000, 12000));
}

} // namespace
} // namespace trevix::test
