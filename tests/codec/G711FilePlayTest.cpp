#include "codec/G711FilePlay.h"

#include "codec/G711.h"
#include "tests/support/PulseTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace trevix {
namespace {

using namespace std::chrono_literals;

// A memo sound file: the marker, then A-law bytes of a tone.
std::string MemoFile(double frequency, std::size_t samples) {
    const auto codes = EncodeALaw(test::Tone(frequency, 8000, samples, 8000));
    std::string bytes("\xFF\xD8");
    bytes.append(codes.begin(), codes.end());
    return bytes;
}

bool WaitUntilStopped(const CG711FilePlay& player, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (player.IsPlaying()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// These are refused before any sound server is asked, so they need none.
TEST(G711FilePlay, RefusesFilesWithoutTheMarker) {
    test::TempDir dir;
    CG711FilePlay player;
    EXPECT_FALSE(player.Play(dir.Write("plain.aud", std::string("\xD5\xD5\xD5\xD5", 4))));
    EXPECT_FALSE(player.Play(dir.Write("half.aud", std::string("\xFF", 1))));
    EXPECT_FALSE(player.Play(dir.Write("empty.aud", "")));
    EXPECT_FALSE(player.Play(dir.Path() / "missing.aud"));
    EXPECT_FALSE(player.IsPlaying());
    player.Stop();
    player.Stop();
}

TEST(G711FilePlay, FailsWithoutASoundServer) {
    test::TempDir dir;
    const auto path = dir.Write("memo.aud", MemoFile(1000, 8000));
    const test::ScopedEnv server("PULSE_SERVER", "unix:" + dir.Str() + "/no-such-socket");
    CG711FilePlay player;
    EXPECT_FALSE(player.Play(path));
    EXPECT_FALSE(player.IsPlaying());
}

// A file of 2.5 seconds: two whole reads and a half one; the sound must end with the file,
// without a tail of decoded padding.
TEST(G711FilePlaySound, PlaysTheToneOfAMemoFileToItsEnd) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    const test::ScopedSinkState fullVolume("100%", false);
    test::TempDir dir;
    const auto path = dir.Write("memo.aud", MemoFile(1000, 20000));

    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    CG711FilePlay player;
    ASSERT_TRUE(player.Play(path));
    EXPECT_TRUE(player.IsPlaying());
    ASSERT_TRUE(WaitUntilStopped(player, 60s)) << "the player did not stop at the end";
    // Half a second more, so that the end of the sound is in the recording.
    ASSERT_TRUE(recorder.WaitForSamples(recorder.RecordedSamples() + 4000, 30s));
    const auto samples = recorder.Stop();
    player.Stop();
    player.Stop();

    const test::SoundStretch sound = test::FindSound(samples, 1000);
    ASSERT_TRUE(sound.Found()) << "nothing was heard";
    EXPECT_NEAR(sound.Seconds(8000), 2.5, 0.35);
    const std::span<const std::int16_t> middle(samples.data() + sound.first + 800,
                                               sound.end - sound.first - 1600);
    EXPECT_NEAR(test::ZeroCrossingFrequency(middle, 8000), 1000, 15);
}

TEST(G711FilePlaySound, StopEndsPlaybackAtOnceAndAFilePlaysAgain) {
    TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER();
    const test::SoundServerLock lock;
    test::TempDir dir;
    const auto path = dir.Write("long.aud", MemoFile(440, 8000 * 30));
    CG711FilePlay player;
    ASSERT_TRUE(player.Play(path));
    const auto before = std::chrono::steady_clock::now();
    player.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_FALSE(player.IsPlaying());
    ASSERT_TRUE(player.Play(path));
    ASSERT_TRUE(player.Play(path)); // a second Play replaces the first
    EXPECT_TRUE(player.IsPlaying());

    // A memo with the marker only plays nothing and stops by itself.
    ASSERT_TRUE(player.Play(dir.Write("empty.aud", "\xFF\xD8")));
    EXPECT_TRUE(WaitUntilStopped(player, 30s));
}

} // namespace
} // namespace trevix
