#include "tests/support/PulseTestSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace trevix::test {
namespace {

constexpr const char* kTestSink = "trevix_null";

std::string RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && *runtime != 0 ? runtime : "/tmp";
}

// The first whole number after `key` in text.
std::optional<std::uint32_t> NumberAfter(const std::string& text, std::string_view key) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    std::size_t digits = text.find_first_of("0123456789", at + key.size());
    if (digits == std::string::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::strtoul(text.c_str() + digits, nullptr, 10));
}

} // namespace

std::string TestSoundServerMissing() {
    const CommandResult info = RunCommand("timeout 10 pactl info 2>/dev/null");
    if (info.status != 0)
        return "no sound server answers (run the test under scripts/with-services)";
    if (info.output.find(std::string("Default Sink: ") + kTestSink) == std::string::npos)
        return "the sound server's default sink is not the test sink trevix_null";
    return {};
}

SoundServerLock::SoundServerLock() {
    const std::string path = RuntimeFolder() + "/trevix-sound-tests.lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0)
        ::flock(fd_, LOCK_EX);
}

SoundServerLock::~SoundServerLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

std::optional<std::uint32_t> PactlSinkVolume() {
    const CommandResult result = RunCommand("timeout 10 pactl get-sink-volume @DEFAULT_SINK@");
    if (result.status != 0)
        return std::nullopt;
    // "Volume: front-left: 32768 /  50% / -18.06 dB,   front-right: ..."
    return NumberAfter(result.output, "Volume:");
}

std::optional<bool> PactlSinkMuted() {
    const CommandResult result = RunCommand("timeout 10 pactl get-sink-mute @DEFAULT_SINK@");
    if (result.status != 0)
        return std::nullopt;
    return result.output.find("yes") != std::string::npos;
}

bool PactlSetSinkVolume(std::string_view value) {
    return RunCommand("timeout 10 pactl set-sink-volume @DEFAULT_SINK@ " + std::string(value))
               .status == 0;
}

bool PactlSetSinkMuted(bool muted) {
    return RunCommand(std::string("timeout 10 pactl set-sink-mute @DEFAULT_SINK@ ") +
                      (muted ? "1" : "0"))
               .status == 0;
}

ScopedSinkState::ScopedSinkState(std::string_view volume, bool muted)
    : volume_(PactlSinkVolume()), muted_(PactlSinkMuted()) {
    PactlSetSinkVolume(volume);
    PactlSetSinkMuted(muted);
}

ScopedSinkState::~ScopedSinkState() {
    if (volume_)
        PactlSetSinkVolume(std::to_string(*volume_));
    if (muted_)
        PactlSetSinkMuted(*muted_);
}

MonitorRecorder::MonitorRecorder() {
    char pattern[] = "/tmp/trevix-monitor-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd >= 0) {
        ::close(fd);
        path_ = pattern;
    }
}

MonitorRecorder::~MonitorRecorder() {
    Stop();
    if (!path_.empty())
        ::unlink(path_.c_str());
}

bool MonitorRecorder::Start() {
    if (path_.empty() || pid_ > 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, path_.c_str(),
                                     O_WRONLY | O_TRUNC | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string device = std::string(kTestSink) + ".monitor";
    std::vector<std::string> args{
        "parec",          "-d",          device,         "--raw",
        "--format=s16le", "--rate=8000", "--channels=1", "--latency-msec=50"};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawnp(&pid_, "parec", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        return false;
    }
    // The null sink's monitor delivers silence continuously, so data flows once parec records.
    return WaitForSamples(800, std::chrono::seconds(20));
}

std::size_t MonitorRecorder::RecordedSamples() const {
    std::error_code error;
    const auto size = std::filesystem::file_size(path_, error);
    return error ? 0 : static_cast<std::size_t>(size / 2);
}

bool MonitorRecorder::WaitForSamples(std::size_t count, std::chrono::seconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (RecordedSamples() < count) {
        if (std::chrono::steady_clock::now() >= deadline || pid_ <= 0)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::vector<std::int16_t> MonitorRecorder::Stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    std::vector<std::int16_t> samples;
    std::ifstream in(path_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    samples.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                               (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

SoundStretch FindSound(std::span<const std::int16_t> samples, int threshold) {
    SoundStretch stretch;
    bool found = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(int{samples[i]}) <= threshold)
            continue;
        if (!found)
            stretch.first = i;
        found = true;
        stretch.end = i + 1;
    }
    return stretch;
}

double ZeroCrossingFrequency(std::span<const std::int16_t> samples, double rate) {
    std::size_t crossings = 0;
    int previousSign = 0;
    std::size_t firstCrossing = 0, lastCrossing = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int sign = samples[i] > 0 ? 1 : samples[i] < 0 ? -1 : 0;
        if (sign == 0)
            continue;
        if (previousSign != 0 && sign != previousSign) {
            if (crossings == 0)
                firstCrossing = i;
            lastCrossing = i;
            ++crossings;
        }
        previousSign = sign;
    }
    if (crossings < 2)
        return 0;
    // Two crossings per period, measured between the first and the last crossing.
    return static_cast<double>(crossings - 1) / 2.0 /
           (static_cast<double>(lastCrossing - firstCrossing) / rate);
}

std::vector<std::int16_t> Tone(double frequency, double rate, std::size_t count, int amplitude,
                               std::size_t offset) {
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * frequency *
                                             static_cast<double>(offset + i) / rate)));
    return samples;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name))
        previous_ = old;
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (previous_)
        ::setenv(name_.c_str(), previous_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

SilentSocket::SilentSocket(std::string path) : path_(std::move(path)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path_.size() >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 8) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

SilentSocket::~SilentSocket() {
    if (fd_ >= 0)
        ::close(fd_);
    ::unlink(path_.c_str());
}

} // namespace trevix::test
