// The capture of what the test sink plays: click onsets in recorded samples, the mapping of
// samples to monotonic times, and clicks played through the viewer's own sound output found
// again near the time they were played.
#include "tests/support/SinkCapture.h"

#include "playback/AudioWaveOut.h"
#include "tests/support/PulseTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>

namespace trevix::test {
namespace {

using namespace std::chrono_literals;

std::vector<std::int16_t> Click(std::size_t count, std::int16_t level) {
    std::vector<std::int16_t> click(count);
    for (std::size_t i = 0; i < count; ++i)
        click[i] = (i / 4) % 2 == 0 ? level : static_cast<std::int16_t>(-level);
    return click;
}

void Put(std::vector<std::int16_t>& samples, std::size_t at, std::span<const std::int16_t> what) {
    std::copy(what.begin(), what.end(), samples.begin() + static_cast<std::ptrdiff_t>(at));
}

TEST(SinkCaptureOnsets, OneOnsetPerClickAfterSilence) {
    // A quiet tone under the threshold, clicks of 80 samples at 1000, 3000 and 3150.
    std::vector<std::int16_t> samples = Tone(440, 8000, 8000, 300);
    const auto click = Click(80, 20000);
    for (std::size_t at : {1000u, 3000u, 3150u, 6000u})
        Put(samples, at, click);
    samples[5000] = 9000; // a single loud sample is an onset too

    // The click's zero crossings and swings do not start new onsets; the click 70 samples
    // after the end of another needs more than 100 samples of silence to count.
    EXPECT_EQ(FindOnsets(samples, 8000, 100), (std::vector<std::size_t>{1000, 3000, 5000, 6000}));
    EXPECT_EQ(FindOnsets(samples, 8000, 50),
              (std::vector<std::size_t>{1000, 3000, 3150, 5000, 6000}));
    EXPECT_TRUE(FindOnsets(samples, 25000, 100).empty()) << "nothing is that loud";
    EXPECT_EQ(FindOnsets(samples, 100, 100).size(), 0u) << "the tone itself is no silence";

    // A capture that begins inside a click does not know where the click began.
    const std::vector<std::int16_t> midClick(samples.begin() + 1040, samples.end());
    EXPECT_EQ(FindOnsets(midClick, 8000, 100).front(), 3000u - 1040u);
    EXPECT_TRUE(FindOnsets(std::vector<std::int16_t>(10, 20000), 8000, 0).empty());
}

TEST(SinkCaptureClock, MedianOfTheReportsIgnoresLateOnes) {
    const MonotonicTime start(std::chrono::seconds(1000));
    SampleClock clock(48000);
    EXPECT_FALSE(clock.Valid());
    for (std::size_t i = 0; i < 100; ++i) {
        const std::size_t index = i * 480; // every 10 ms
        // Most reports within 100 us, every fifth one 20 ms late.
        const auto jitter = std::chrono::microseconds(i % 5 == 4 ? 20000 : (i % 3) * 50);
        clock.AddReport(index, start + std::chrono::milliseconds(i * 10) + jitter);
    }
    ASSERT_TRUE(clock.Valid());
    const auto error = clock.TimeOf(48000) - (start + 1s);
    EXPECT_LE(std::chrono::abs(error), 100us);
    EXPECT_LE(std::chrono::abs(clock.TimeOf(24000.5) - (start + 500ms)), 120us);
    EXPECT_GE(clock.Spread(), 100us) << "the late reports widen the spread";
    EXPECT_LE(clock.Spread(), 20ms);
}

TEST(SinkCaptureSound, MissingSourceFailsWithAReason) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    SinkCapture capture(8000, "trevix_no_such_sink.monitor");
    const auto before = MonotonicClock::now();
    EXPECT_FALSE(capture.Start());
    EXPECT_NE(capture.Error().find("trevix_no_such_sink.monitor"), std::string::npos)
        << capture.Error();
    EXPECT_LT(MonotonicClock::now() - before, 15s);
    EXPECT_EQ(capture.SampleCount(), 0u);
}

// Plays one second with a click at kClickAt, then another such second, then silence; notes
// when the first second was handed to the output.
class ClickFeed : public IAudioFeed {
public:
    static constexpr std::size_t kClickAt = 2000; // 250 ms into each second

    AudioFeedResult FeedAudio(int) override {
        const std::lock_guard guard(mutex_);
        AudioFeedResult result;
        result.hasRecording = true;
        if (calls_++ >= 2)
            return result; // silence from the third second on
        if (calls_ == 1)
            firstFed_ = MonotonicClock::now();
        samples_.assign(8000, 0);
        Put(samples_, kClickAt, Click(80, 20000));
        result.samples = samples_;
        return result;
    }

    std::optional<MonotonicTime> FirstFed() const {
        const std::lock_guard guard(mutex_);
        return firstFed_;
    }

private:
    mutable std::mutex mutex_;
    int calls_ = 0;
    std::optional<MonotonicTime> firstFed_;
    std::vector<std::int16_t> samples_;
};

TEST(SinkCaptureSound, FindsClicksPlayedThroughTheSoundOutput) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const SoundServerLock lock;
    const ScopedSinkState fullVolume("100%", false);
    for (const std::uint32_t rate : {48000u, 8000u}) {
        SCOPED_TRACE(rate);
        SinkCapture capture(rate);
        ASSERT_TRUE(capture.Start()) << capture.Error();
        ClickFeed feed;
        CAudioWaveOut output;
        ASSERT_TRUE(output.Open(&feed));
        // The output asks for its first second at once; both clicks have played 1.25 s later.
        std::this_thread::sleep_for(100ms);
        const auto fed = feed.FirstFed();
        ASSERT_TRUE(fed);
        EXPECT_TRUE(capture.WaitUntilPlayed(*fed + 1500ms, 30s));
        output.Close();
        capture.Stop();

        const auto onsets = capture.FindClickOnsets(8000, 50ms);
        ASSERT_EQ(onsets.size(), 2u) << "one onset per click";
        // The first click plays a quarter second after its second was written to the server;
        // the server starts playing at once, so only its small start-up latency lies between.
        const auto expected = *fed + 250ms;
        const auto late =
            std::chrono::duration_cast<std::chrono::microseconds>(onsets[0] - expected);
        RecordProperty("click_offset_us_" + std::to_string(rate), std::to_string(late.count()));
        RecordProperty("timing_spread_us_" + std::to_string(rate),
                       std::to_string(capture.TimingSpread().count()));
        EXPECT_GT(late, -20ms);
        EXPECT_LT(late, 200ms);
        // Within one capture the onsets lie as far apart as the clicks were written.
        EXPECT_LE(std::chrono::abs(onsets[1] - onsets[0] - 1s), 2ms);
        EXPECT_EQ(capture.Overflows(), 0);
    }
}

} // namespace
} // namespace trevix::test
