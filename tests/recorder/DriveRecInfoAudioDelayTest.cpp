#include "tests/recorder/DriveRecInfoTestSupport.h"

#include "codec/G711.h"

namespace trevix::test {
namespace {

// The sound fed after a seek starts at the asked time: the stream is delayed by the samples
// between the start of the found block and that time, keeping one-second buffers.
class AudioDelayTest : public TimelineTest {
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

    std::vector<std::int16_t> FeedAt(std::int64_t shownMs) {
        status_.SetShownTimeMs(shownMs);
        const auto fed = recording_.FeedAudio(0);
        EXPECT_EQ(fed.samples.size(), kAudioSecondBytes);
        return {fed.samples.begin(), fed.samples.end()};
    }

    static std::vector<std::int16_t> Silence(std::size_t count) {
        return std::vector<std::int16_t>(count, 0);
    }

    static std::vector<std::int16_t> Joined(std::vector<std::int16_t> head,
                                            std::span<const std::int16_t> tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    }
};

TEST_F(AudioDelayTest, FortyMsIntoABlockStartsWith320SilentSamplesAndCarriesTheTail) {
    const std::int64_t block = BlockMs(20);
    const auto raw = RawSeconds(block, 2);
    ASSERT_TRUE(recording_.SeekAudio(block + 40));

    const auto first = FeedAt(block + 40);
    EXPECT_EQ(recording_.LastFedAudioTime(), block);
    EXPECT_EQ(first, Joined(Silence(320), std::span(raw).first(8000 - 320)));

    // The next in-step second begins with the 320 samples held back from the first.
    const auto second = FeedAt(block + 1040);
    EXPECT_EQ(recording_.LastFedAudioTime(), block + 1000);
    EXPECT_EQ(second, std::vector(raw.begin() + (8000 - 320), raw.begin() + (16000 - 320)));
}

TEST_F(AudioDelayTest, ASeekOnABlockStartFeedsTheSecondsUnchangedAndDropsAnOldCarry) {
    const std::int64_t block = BlockMs(20);
    const auto raw = RawSeconds(block, 2);
    // A delayed second first, so that a carry is pending when the new seek comes.
    ASSERT_TRUE(recording_.SeekAudio(block + 60));
    FeedAt(block + 60);

    ASSERT_TRUE(recording_.SeekAudio(block));
    EXPECT_EQ(FeedAt(block), std::vector(raw.begin(), raw.begin() + 8000));
    EXPECT_EQ(FeedAt(block + 1000), std::vector(raw.begin() + 8000, raw.end()));
}

TEST_F(AudioDelayTest, ALateClockReseeksWithANewDelayAndWithoutTheOldCarry) {
    const std::int64_t block = BlockMs(10);
    const std::int64_t later = BlockMs(50);
    const auto raw = RawSeconds(later, 1);
    ASSERT_TRUE(recording_.SeekAudio(block + 40));
    FeedAt(block + 40);

    // The clock runs more than 999 ms ahead of the track: the track moves to it, delayed by
    // the 60 ms into its block, and the carry of the old position is not heard.
    const auto fed = FeedAt(later + 60);
    EXPECT_EQ(recording_.LastFedAudioTime(), later);
    EXPECT_EQ(fed, Joined(Silence(480), std::span(raw).first(8000 - 480)));
}

TEST_F(AudioDelayTest, ASeekBeforeTheFirstBlockIsNotDelayed) {
    const std::int64_t first = BlockMs(0);
    const auto raw = RawSeconds(first, 1);
    ASSERT_TRUE(recording_.SeekAudio(first + 40));
    FeedAt(first + 40);

    ASSERT_TRUE(recording_.SeekAudio(first - 500));
    EXPECT_EQ(FeedAt(first - 500), std::vector(raw.begin(), raw.end()));
}

} // namespace
} // namespace trevix::test
