// Helpers for the tests that play through the test sound server started by scripts/with-services
// (a private server whose default sink is the null sink "trevix_null").
#pragma once

#include "tests/support/ShellCommand.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace trevix::test {

// Empty when the test server answers and plays into trevix_null by default; otherwise why not.
// Tests that need it skip with that reason, so they never touch a user's own sound setup.
std::string TestSoundServerMissing();

#define TREVIX_SKIP_WITHOUT_TEST_SOUND_SERVER()                                                    \
    do {                                                                                           \
        const std::string missing = ::trevix::test::TestSoundServerMissing();                      \
        if (!missing.empty())                                                                      \
            GTEST_SKIP() << missing;                                                               \
    } while (false)

// Test processes share one server; sound tests hold this lock so that they do not play into
// each other's recordings or change the volume under each other.
class SoundServerLock {
public:
    SoundServerLock();
    ~SoundServerLock();
    SoundServerLock(const SoundServerLock&) = delete;
    SoundServerLock& operator=(const SoundServerLock&) = delete;

private:
    int fd_ = -1;
};

// The default sink as pactl reports it.
std::optional<std::uint32_t> PactlSinkVolume(); // raw value of the first channel
std::optional<bool> PactlSinkMuted();
bool PactlSetSinkVolume(std::string_view value); // "30%" or a raw value
bool PactlSetSinkMuted(bool muted);

// Puts the default sink at the given volume and mute state and restores the previous one.
class ScopedSinkState {
public:
    ScopedSinkState(std::string_view volume, bool muted);
    ~ScopedSinkState();
    ScopedSinkState(const ScopedSinkState&) = delete;
    ScopedSinkState& operator=(const ScopedSinkState&) = delete;

private:
    std::optional<std::uint32_t> volume_;
    std::optional<bool> muted_;
};

// Records the null sink's monitor (what is played) as 16-bit mono samples at kRate with parec.
class MonitorRecorder {
public:
    static constexpr double kRate = 8000;

    MonitorRecorder();
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Starts parec and waits until samples arrive.
    bool Start();
    std::size_t RecordedSamples() const;
    // Waits until at least `count` samples have been recorded.
    bool WaitForSamples(std::size_t count, std::chrono::seconds timeout) const;
    // Ends the recording and returns it.
    std::vector<std::int16_t> Stop();

private:
    std::string path_;
    pid_t pid_ = -1;
};

// The stretch [first, end) from the first to the last sample louder than threshold.
struct SoundStretch {
    std::size_t first = 0;
    std::size_t end = 0;
    bool Found() const { return end > first; }
    double Seconds(double rate) const { return static_cast<double>(end - first) / rate; }
};
SoundStretch FindSound(std::span<const std::int16_t> samples, int threshold);

// Frequency of a tone from its sign changes.
double ZeroCrossingFrequency(std::span<const std::int16_t> samples, double rate);

// count samples of a sine tone, continuing a tone that started `offset` samples earlier.
std::vector<std::int16_t> Tone(double frequency, double rate, std::size_t count, int amplitude,
                               std::size_t offset = 0);

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// A Unix socket that accepts connections and never answers: a sound server that hangs.
class SilentSocket {
public:
    explicit SilentSocket(std::string path);
    ~SilentSocket();
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;
    bool IsListening() const { return fd_ >= 0; }

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace trevix::test
