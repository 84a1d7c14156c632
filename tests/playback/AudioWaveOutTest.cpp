#include "playback/AudioWaveOut.h"

#include "tests/support/PulseTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace trevix {
namespace {

using namespace std::chrono_literals;

// Plays stretches of tone, each at its own rate, one second per call; then answers with the
// last format and no samples.
class ToneFeed : public IAudioFeed {
public:
    struct Stretch {
        int seconds;
        double frequency;
        std::uint32_t rate;
    };
    explicit ToneFeed(std::vector<Stretch> stretches) : stretches_(std::move(stretches)) {}

    AudioFeedResult FeedAudio(int leadSeconds) override {
        const std::lock_guard guard(mutex_);
        leads_.push_back(leadSeconds);
        int second = calls_++;
        AudioFeedResult result;
        result.hasRecording = true;
        for (const Stretch& stretch : stretches_) {
            result.rate = stretch.rate;
            result.byteCount = stretch.rate * 2;
            if (second < stretch.seconds) {
                samples_ = test::Tone(stretch.frequency, stretch.rate, stretch.rate, 8000,
                                      static_cast<std::size_t>(second) * stretch.rate);
                result.samples = samples_;
                return result;
            }
            second -= stretch.seconds;
        }
        return result;
    }

    int Calls() const {
        const std::lock_guard guard(mutex_);
        return calls_;
    }
    std::vector<int> Leads() const {
        const std::lock_guard guard(mutex_);
        return leads_;
    }

private:
    const std::vector<Stretch> stretches_;
    mutable std::mutex mutex_;
    int calls_ = 0;
    std::vector<int> leads_;
    std::vector<std::int16_t> samples_;
};

bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

AudioFeedResult Fed(std::uint32_t rate, std::uint32_t channels, std::size_t bytes,
                    std::span<const std::int16_t> samples) {
    AudioFeedResult result;
    result.hasRecording = true;
    result.rate = rate;
    result.channels = channels;
    result.byteCount = bytes;
    result.samples = samples;
    return result;
}

TEST(AudioRefillPlan, FollowsTheFeedsFormat) {
    const pulse::PcmFormat open{8000, 1, 16000};
    const std::vector<std::int16_t> second(8000, 100);
    using Action = RefillPlan::Action;

    EXPECT_EQ(PlanRefill(Fed(8000, 1, 16000, second), open).action, Action::Copy);
    EXPECT_EQ(PlanRefill(Fed(8000, 1, 16000, {}), open).action, Action::Silence);
    AudioFeedResult noRecording = Fed(44100, 2, 176400, second);
    noRecording.hasRecording = false;
    EXPECT_EQ(PlanRefill(noRecording, open).action, Action::Silence);

    const RefillPlan faster = PlanRefill(Fed(16000, 1, 32000, second), open);
    EXPECT_EQ(faster.action, Action::Reopen);
    EXPECT_EQ(faster.format, (pulse::PcmFormat{16000, 1, 32000}));
    // A new byte count alone, or a new channel count alone, is a new format too.
    EXPECT_EQ(PlanRefill(Fed(8000, 1, 8000, {}), open).action, Action::Reopen);
    EXPECT_EQ(PlanRefill(Fed(8000, 2, 16000, {}), open).action, Action::Reopen);
}

TEST(AudioRefillPlan, FormatsTheOutputCannotTakePlaySilence) {
    const pulse::PcmFormat open{8000, 1, 16000};
    using Action = RefillPlan::Action;
    EXPECT_EQ(PlanRefill(Fed(0, 1, 16000, {}), open).action, Action::Silence);
    EXPECT_EQ(PlanRefill(Fed(8000, 0, 16000, {}), open).action, Action::Silence);
    EXPECT_EQ(PlanRefill(Fed(8000, 1, 0, {}), open).action, Action::Silence);
    EXPECT_EQ(PlanRefill(Fed(8000, 2, 16001, {}), open).action, Action::Silence); // half frame
    EXPECT_EQ(PlanRefill(Fed(8000, 1, pulse::kMaxBufferBytes + 2, {}), open).action,
              Action::Silence);
    EXPECT_EQ(PlanRefill(Fed(8000, 200, 16000, {}), open).action, Action::Silence);
}

TEST(AudioWaveOut, RefusesUnusableFormatsAndClosesIdempotently) {
    CAudioWaveOut output;
    EXPECT_FALSE(output.Open(nullptr, 0, 16000, 1));
    EXPECT_FALSE(output.Open(nullptr, 8000, 0, 1));
    EXPECT_FALSE(output.Open(nullptr, 8000, 16001, 2));
    EXPECT_FALSE(output.IsOpen());
    EXPECT_TRUE(output.IsStopped());
    output.Close();
    output.Close();
    EXPECT_EQ(output.Rate(), 8000u);
    EXPECT_EQ(output.Channels(), 1u);
    EXPECT_FALSE(output.Pause());
    EXPECT_FALSE(output.Restart());
}

TEST(AudioWaveOut, FailsQuicklyWithoutASoundServer) {
    test::TempDir dir;
    ToneFeed feed({{3, 500, 8000}});
    CAudioWaveOut output;
    {
        const test::ScopedEnv server("PULSE_SERVER", "unix:" + dir.Str() + "/no-such-socket");
        const auto before = std::chrono::steady_clock::now();
        EXPECT_FALSE(output.Open(&feed));
        EXPECT_LT(std::chrono::steady_clock::now() - before, pulse::kServerTimeout);
    }
    // A server that takes the connection and never answers must not hang the opening either.
    const test::SilentSocket silent(dir.Str() + "/silent");
    ASSERT_TRUE(silent.IsListening());
    const test::ScopedEnv server("PULSE_SERVER", "unix:" + dir.Str() + "/silent");
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(output.Open(&feed));
    EXPECT_LT(std::chrono::steady_clock::now() - before, pulse::kServerTimeout + 3s);
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(feed.Calls(), 0);
}

TEST(AudioWaveOutSound, PlaysTheFedToneAndAsksOneSecondAhead) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState fullVolume("100%", false);
    ToneFeed feed({{3, 700, 8000}});
    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());

    CAudioWaveOut output;
    ASSERT_TRUE(output.Open(&feed, 8000, 16000, 1));
    EXPECT_TRUE(output.Restart());
    EXPECT_TRUE(output.IsOpen());
    // The fifth second is asked for when the three seconds of tone have played.
    ASSERT_TRUE(WaitFor([&] { return feed.Calls() >= 5; }, 60s));
    ASSERT_TRUE(recorder.WaitForSamples(recorder.RecordedSamples() + 4000, 30s));
    output.Close();
    const auto samples = recorder.Stop();
    EXPECT_FALSE(output.IsOpen());
    output.Close();

    const auto leads = feed.Leads();
    ASSERT_GE(leads.size(), 5u);
    EXPECT_EQ(leads[0], 0);
    for (std::size_t i = 1; i < leads.size(); ++i)
        EXPECT_EQ(leads[i], 1) << "call " << i;

    const test::SoundStretch sound = test::FindSound(samples, 1000);
    ASSERT_TRUE(sound.Found()) << "nothing was heard";
    EXPECT_NEAR(sound.Seconds(8000), 3.0, 0.5);
    const std::span<const std::int16_t> middle(samples.data() + sound.first + 800,
                                               sound.end - sound.first - 1600);
    EXPECT_NEAR(test::ZeroCrossingFrequency(middle, 8000), 700, 10);
}

TEST(AudioWaveOutSound, ReopensWhenTheRecordingsFormatChanges) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState fullVolume("100%", false);
    ToneFeed feed({{2, 500, 8000}, {2, 1000, 16000}});
    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());

    CAudioWaveOut output;
    ASSERT_TRUE(output.Open(&feed));
    ASSERT_TRUE(WaitFor([&] { return output.Rate() == 16000; }, 60s));
    EXPECT_EQ(output.BufferSize(), 32000u);
    ASSERT_TRUE(WaitFor([&] { return feed.Calls() >= 6; }, 60s));
    ASSERT_TRUE(recorder.WaitForSamples(recorder.RecordedSamples() + 4000, 30s));
    output.Close();
    const auto samples = recorder.Stop();
    EXPECT_EQ(output.Rate(), 8000u);

    const test::SoundStretch sound = test::FindSound(samples, 1000);
    ASSERT_TRUE(sound.Found()) << "nothing was heard";
    // No second is lost at the change: both tones play whole.
    EXPECT_NEAR(sound.Seconds(8000), 4.0, 0.5);
    const std::span<const std::int16_t> first(samples.data() + sound.first + 800, 8000);
    const std::span<const std::int16_t> last(samples.data() + sound.end - 800 - 8000, 8000);
    EXPECT_NEAR(test::ZeroCrossingFrequency(first, 8000), 500, 10);
    EXPECT_NEAR(test::ZeroCrossingFrequency(last, 8000), 1000, 15);
}

TEST(AudioWaveOutSound, PlaysSilenceWithoutARecordingAndPausesAndResumes) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    CAudioWaveOut output;
    ASSERT_TRUE(output.Open(nullptr));
    EXPECT_TRUE(output.Pause());
    EXPECT_TRUE(output.Restart());
    EXPECT_FALSE(output.IsStopped());
    // Opening again closes the previous output first.
    ToneFeed feed({{1, 500, 8000}});
    ASSERT_TRUE(output.Open(&feed));
    ASSERT_TRUE(WaitFor([&] { return feed.Calls() >= 2; }, 30s));
    output.Close();
    EXPECT_TRUE(output.IsStopped());
}

} // namespace
} // namespace trevix
