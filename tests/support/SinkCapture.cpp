#include "tests/support/SinkCapture.h"

#include "platform/PulseConnection.h"

#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace trevix::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kFragment = 10ms; // how much the server sends at a time
constexpr std::chrono::milliseconds kFirstSamplesTimeout = 20s;
// Chunks arrive far more often than this; more reports add nothing but sorting work.
constexpr std::uint32_t kReportsPerSecond = 200;

// Whether the stream's last timing report gives a true latency. Early in a capture the server
// has sent fewer samples than the monitored sink mixes ahead; the client library then counts
// the stream's time from zero instead of from below it, and its latencies come out too long by
// the difference until a later report.
bool TimingUsable(pa_stream* stream) {
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    if (timing == nullptr || timing->write_index_corrupt || timing->read_index_corrupt ||
        timing->write_index < 0)
        return false;
    const pa_usec_t written = pa_bytes_to_usec(static_cast<std::uint64_t>(timing->write_index),
                                               pa_stream_get_sample_spec(stream));
    return written + timing->transport_usec + timing->source_usec >= timing->sink_usec;
}

std::int64_t Nanoseconds(MonotonicTime time) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

} // namespace

void SampleClock::AddReport(std::size_t index, MonotonicTime time) {
    const double offset = static_cast<double>(index) * 1e9 / rate_;
    starts_.push_back(Nanoseconds(time) - std::llround(offset));
    median_.reset();
}

std::vector<std::int64_t> SampleClock::SortedStarts() const {
    std::vector<std::int64_t> sorted = starts_;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

MonotonicTime SampleClock::TimeOf(double index) const {
    if (!median_ && !starts_.empty()) {
        const std::vector<std::int64_t> sorted = SortedStarts();
        median_ = sorted[sorted.size() / 2];
    }
    const std::int64_t start = median_.value_or(0);
    return MonotonicTime(std::chrono::nanoseconds(start + std::llround(index * 1e9 / rate_)));
}

std::chrono::microseconds SampleClock::Spread() const {
    if (starts_.empty())
        return {};
    const std::vector<std::int64_t> sorted = SortedStarts();
    const std::size_t low = sorted.size() / 10;
    const std::size_t high = sorted.size() - 1 - sorted.size() / 10;
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::nanoseconds(sorted[high] - sorted[low]));
}

std::vector<std::size_t> FindOnsets(std::span<const std::int16_t> samples, int threshold,
                                    std::size_t silence) {
    std::vector<std::size_t> onsets;
    const std::size_t needed = std::max<std::size_t>(1, silence);
    std::size_t quiet = 0; // samples at or below the threshold just before this one
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(int{samples[i]}) <= threshold) {
            ++quiet;
            continue;
        }
        if (quiet >= needed)
            onsets.push_back(i);
        quiet = 0;
    }
    return onsets;
}

SinkCapture::SinkCapture(std::uint32_t rate, std::string source)
    : rate_(rate), source_(std::move(source)), clock_(rate) {}

SinkCapture::~SinkCapture() {
    Stop();
}

bool SinkCapture::Fail(std::string message) {
    error_ = std::move(message);
    Stop();
    return false;
}

bool SinkCapture::Start() {
    if (connection_)
        return Fail("the capture is already running");
    {
        const std::lock_guard guard(mutex_);
        samples_.clear();
        clock_ = SampleClock(rate_);
        nextReportAt_ = 0;
        overflows_ = 0;
    }
    error_.clear();
    connection_ = pulse::PulseConnection::Connect("trevix sink capture", pulse::kServerTimeout);
    if (!connection_)
        return Fail("no sound server answers");
    if (std::string problem = ConnectStream(); !problem.empty())
        return Fail(std::move(problem)); // after the lock is released: Fail ends the connection
    // A monitor delivers silence while nothing plays, so samples come once recording runs.
    if (!WaitForSamples(1, kFirstSamplesTimeout))
        return Fail("no samples arrive from " + source_);
    return true;
}

std::string SinkCapture::ConnectStream() {
    const pulse::PulseConnection::Lock lock(*connection_);
    const pa_sample_spec format{PA_SAMPLE_S16LE, rate_, 1};
    stream_ = pa_stream_new(connection_->Context(), "monitor capture", &format, nullptr);
    if (stream_ == nullptr)
        return "the server refused a capture stream";
    pa_stream_set_state_callback(stream_, OnStreamState, this);
    pa_stream_set_read_callback(stream_, OnRead, this);
    pa_stream_set_overflow_callback(stream_, OnOverflow, this);

    // Small fragments keep the reports frequent and ask the sink to mix only a little ahead.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(
        pa_usec_to_bytes(std::chrono::microseconds(kFragment).count(), &format));
    // Not monotonic: a corrected timing report may move the stream's time back; holding it
    // instead would keep a too long latency for as long as the error was.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                       PA_STREAM_NOT_MONOTONIC | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_record(stream_, source_.c_str(), &attributes, flags) < 0)
        return "cannot record from " + source_;
    connection_->WaitUntil(
        [this] {
            const pa_stream_state_t state = pa_stream_get_state(stream_);
            return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
        },
        pulse::Clock::now() + pulse::kServerTimeout);
    if (pa_stream_get_state(stream_) != PA_STREAM_READY)
        return "the source " + source_ + " cannot be recorded";
    return {};
}

void SinkCapture::DestroyStream() {
    pulse::ReleaseStream(stream_);
}

void SinkCapture::Stop() {
    if (!connection_)
        return;
    {
        const pulse::PulseConnection::Lock lock(*connection_);
        DestroyStream();
    }
    connection_.reset();
}

void SinkCapture::OnStreamState(pa_stream*, void* userdata) {
    static_cast<SinkCapture*>(userdata)->connection_->Signal();
}

void SinkCapture::OnRead(pa_stream*, std::size_t, void* userdata) {
    static_cast<SinkCapture*>(userdata)->ReadAvailable();
}

void SinkCapture::OnOverflow(pa_stream*, void* userdata) {
    auto* capture = static_cast<SinkCapture*>(userdata);
    const std::lock_guard guard(capture->mutex_);
    ++capture->overflows_;
}

void SinkCapture::ReadAvailable() {
    while (stream_ != nullptr && pa_stream_readable_size(stream_) > 0) {
        // The latency of a record stream is how long ago the next unread sample was played;
        // negative for a monitor whose sink mixes ahead of playing.
        pa_usec_t latency = 0;
        int negative = 0;
        const bool timed =
            pa_stream_get_latency(stream_, &latency, &negative) == 0 && TimingUsable(stream_);
        const MonotonicTime now = MonotonicClock::now();

        const void* data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0)
            return;
        {
            const std::lock_guard guard(mutex_);
            if (timed && samples_.size() >= nextReportAt_) {
                nextReportAt_ = samples_.size() + rate_ / kReportsPerSecond;
                const auto played = std::chrono::microseconds(static_cast<std::int64_t>(latency));
                clock_.AddReport(samples_.size(), negative ? now + played : now - played);
            }
            const std::size_t count = bytes / sizeof(std::int16_t);
            const std::size_t first = samples_.size();
            samples_.resize(first + count); // a hole (no data) stays silent
            if (data != nullptr)
                std::memcpy(samples_.data() + first, data, count * sizeof(std::int16_t));
        }
        pa_stream_drop(stream_);
        arrived_.notify_all();
    }
}

std::size_t SinkCapture::SampleCount() const {
    const std::lock_guard guard(mutex_);
    return samples_.size();
}

std::vector<std::int16_t> SinkCapture::Samples() const {
    const std::lock_guard guard(mutex_);
    return samples_;
}

int SinkCapture::Overflows() const {
    const std::lock_guard guard(mutex_);
    return overflows_;
}

bool SinkCapture::WaitForSamples(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock guard(mutex_);
    return arrived_.wait_for(guard, timeout, [&] { return samples_.size() >= count; });
}

bool SinkCapture::WaitUntilPlayed(MonotonicTime time, std::chrono::milliseconds timeout) const {
    std::unique_lock guard(mutex_);
    return arrived_.wait_for(guard, timeout, [&] {
        return clock_.Valid() && !samples_.empty() &&
               clock_.TimeOf(static_cast<double>(samples_.size() - 1)) >= time;
    });
}

std::optional<MonotonicTime> SinkCapture::TimeOf(std::size_t index) const {
    const std::lock_guard guard(mutex_);
    if (!clock_.Valid())
        return std::nullopt;
    return clock_.TimeOf(static_cast<double>(index));
}

std::vector<MonotonicTime> SinkCapture::FindClickOnsets(int threshold,
                                                        std::chrono::microseconds silence) const {
    const std::lock_guard guard(mutex_);
    std::vector<MonotonicTime> times;
    if (!clock_.Valid())
        return times;
    const auto quiet = static_cast<std::size_t>(silence.count() * rate_ / 1000000);
    for (const std::size_t onset : FindOnsets(samples_, threshold, quiet))
        times.push_back(clock_.TimeOf(static_cast<double>(onset)));
    return times;
}

std::chrono::microseconds SinkCapture::TimingSpread() const {
    const std::lock_guard guard(mutex_);
    return clock_.Spread();
}

} // namespace trevix::test
