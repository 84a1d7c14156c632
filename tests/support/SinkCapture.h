// Records what the test sound server's null sink plays, by capturing its monitor source, and
// stamps the samples with the CLOCK_MONOTONIC time at which the sink played them, so that a
// test can compare when a sound was heard with when a picture was shown.
//
// Timing: as chunks arrive, the stream's latency (interpolated by the client library from the
// server's timing reports) tells when the next unread sample was played; for a monitor it is
// negative while the sink mixes ahead of playing. Each such report gives the time of sample 0,
// and their median is used, because a single one can be off by a scheduling delay. Reports
// made before the server has sent as much as the sink mixes ahead are skipped: the client
// library then counts from zero and overstates the latency (by up to 0.7 s at the start of a
// capture on a sink that was idle). The null sink plays by the monotonic clock, so one start
// time holds for the whole capture. On the test server, clicks played through the viewer's
// sound output were found 4 to 8 ms after the moment their second was handed to the output
// (which includes the output's own start), and the reports of one capture mostly agreed within
// 1.5 ms (once 7 ms on the loaded machine); TimingSpread() gives that agreement per capture.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct pa_stream;

namespace trevix::pulse {
class PulseConnection;
}

namespace trevix::test {

// steady_clock is CLOCK_MONOTONIC on Linux, the clock the sound server's timing uses.
using MonotonicClock = std::chrono::steady_clock;
using MonotonicTime = MonotonicClock::time_point;

// Maps sample indices of a capture to times from (index, time) reports taken while recording.
class SampleClock {
public:
    explicit SampleClock(std::uint32_t rate) : rate_(rate) {}

    void AddReport(std::size_t index, MonotonicTime time);
    bool Valid() const { return !starts_.empty(); }
    // The time of a sample; the time of sample 0 without reports.
    MonotonicTime TimeOf(double index) const;
    // How far the reports disagreed: the range of the middle 80 % of their start times.
    std::chrono::microseconds Spread() const;

private:
    std::vector<std::int64_t> SortedStarts() const;

    std::uint32_t rate_;
    std::vector<std::int64_t> starts_;           // nanoseconds of the monotonic clock at sample 0
    mutable std::optional<std::int64_t> median_; // of starts_, until the next report
};

// Indices of click onsets: the first sample whose absolute value exceeds threshold after at
// least `silence` samples at or below it. A click that starts the capture is not an onset (what
// came before it is unknown), and a click's own swings do not start new ones.
std::vector<std::size_t> FindOnsets(std::span<const std::int16_t> samples, int threshold,
                                    std::size_t silence);

class SinkCapture {
public:
    static constexpr const char* kTestMonitor = "trevix_null.monitor";

    // 16-bit mono at rate (8000 or 48000 are usual) from the named source.
    explicit SinkCapture(std::uint32_t rate = 48000, std::string source = kTestMonitor);
    ~SinkCapture();
    SinkCapture(const SinkCapture&) = delete;
    SinkCapture& operator=(const SinkCapture&) = delete;

    // Connects, starts recording and waits until the first samples have arrived. False (with
    // Error() saying why) when no server answers, the source is missing or nothing arrives.
    bool Start();
    // Ends the recording; samples and times stay. Idempotent.
    void Stop();
    const std::string& Error() const { return error_; }

    std::uint32_t Rate() const { return rate_; }
    std::size_t SampleCount() const;
    std::vector<std::int16_t> Samples() const;
    // How often the server had to drop samples because they were not read in time.
    int Overflows() const;

    // Waits until at least count samples have been captured.
    bool WaitForSamples(std::size_t count, std::chrono::milliseconds timeout) const;
    // Waits until the capture holds what the sink played up to time.
    bool WaitUntilPlayed(MonotonicTime time, std::chrono::milliseconds timeout) const;

    // When the sink played sample index; nothing before the first timing report.
    std::optional<MonotonicTime> TimeOf(std::size_t index) const;
    // The click onsets (FindOnsets) as the times they were played.
    std::vector<MonotonicTime> FindClickOnsets(int threshold,
                                               std::chrono::microseconds silence) const;
    std::chrono::microseconds TimingSpread() const;

private:
    static void OnStreamState(pa_stream* stream, void* userdata);
    static void OnRead(pa_stream* stream, std::size_t bytes, void* userdata);
    static void OnOverflow(pa_stream* stream, void* userdata);
    // On the loop thread: takes every readable chunk, with a timing report before it.
    void ReadAvailable();
    bool Fail(std::string message);
    // Creates and connects the record stream; what went wrong, empty on success.
    std::string ConnectStream();
    void DestroyStream();

    const std::uint32_t rate_;
    const std::string source_;
    std::string error_;
    std::unique_ptr<pulse::PulseConnection> connection_;
    pa_stream* stream_ = nullptr; // guarded by the connection's lock

    // Written by the loop thread, read by the test's thread.
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<std::int16_t> samples_;
    SampleClock clock_;
    std::size_t nextReportAt_ = 0; // sample index from which the next report is taken
    int overflows_ = 0;
};

} // namespace trevix::test
