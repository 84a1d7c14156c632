#include "platform/PulsePlayer.h"

#include "app/TraceLog.h"

#include <pulse/context.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>

namespace trevix::pulse {
namespace {

// Releases the loop's lock for a stretch of work that must not block the loop (the source).
class Unlocked {
public:
    explicit Unlocked(const PulseConnection& connection) : loop_(connection.MainLoop()) {
        pa_threaded_mainloop_unlock(loop_);
    }
    ~Unlocked() { pa_threaded_mainloop_lock(loop_); }
    Unlocked(const Unlocked&) = delete;
    Unlocked& operator=(const Unlocked&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

constexpr PcmFormat kClosedFormat{8000, 1, 16000};

} // namespace

bool PcmFormat::IsValid() const {
    return rate > 0 && rate <= PA_RATE_MAX && channels > 0 && channels <= PA_CHANNELS_MAX &&
           bufferBytes > 0 && bufferBytes <= kMaxBufferBytes && bufferBytes % BlockAlign() == 0;
}

PulsePlayer::PulsePlayer(std::string clientName) : clientName_(std::move(clientName)) {}

PulsePlayer::~PulsePlayer() {
    Close();
}

PcmFormat PulsePlayer::Format() const {
    if (!connection_)
        return kClosedFormat;
    const PulseConnection::Lock lock(*connection_);
    return format_;
}

bool PulsePlayer::Open(const PcmFormat& format, IPcmSource& source) {
    Close();
    if (!format.IsValid())
        return false;
    auto connection = PulseConnection::Connect(clientName_.c_str(), kServerTimeout);
    if (!connection) {
        TRACE("Sound output: no sound server");
        return false;
    }
    connection_ = std::move(connection);
    bool created = false;
    {
        const PulseConnection::Lock lock(*connection_);
        stopped_ = false;
        ended_ = false;
        corked_ = false;
        created = CreateStream(format, false);
    }
    if (!created) {
        TRACE("Sound output: the server refused a stream of %u Hz, %u channels", format.rate,
              format.channels);
        connection_.reset();
        stopped_ = true;
        return false;
    }
    source_ = &source;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PulsePlayer::Close() {
    if (connection_) {
        const PulseConnection::Lock lock(*connection_);
        stopped_ = true;
        connection_->Signal();
    }
    stopped_ = true;
    if (thread_.joinable())
        thread_.join();
    if (connection_) {
        {
            const PulseConnection::Lock lock(*connection_);
            DestroyStream();
            format_ = kClosedFormat;
        }
        connection_.reset();
    }
    source_ = nullptr;
}

bool PulsePlayer::Pause() {
    return Cork(true);
}

bool PulsePlayer::Restart() {
    return Cork(false);
}

bool PulsePlayer::Cork(bool corked) {
    if (!connection_)
        return false;
    const PulseConnection::Lock lock(*connection_);
    if (!StreamUsable())
        return false;
    corked_ = corked;
    return connection_->Finish(pa_stream_cork(stream_, corked ? 1 : 0, OnSuccess, this),
                               Clock::now() + kServerTimeout);
}

bool PulsePlayer::CreateStream(const PcmFormat& format, bool corked) {
    const pa_sample_spec spec{PA_SAMPLE_S16NE, format.rate,
                              static_cast<std::uint8_t>(format.channels)};
    stream_ = pa_stream_new(connection_->Context(), clientName_.c_str(), &spec, nullptr);
    if (stream_ == nullptr)
        return false;
    pa_stream_set_state_callback(stream_, OnStreamEvent, this);
    pa_stream_set_write_callback(stream_, OnStreamRequest, this);

    // The queue holds exactly the two buffers; the server asks for more a whole buffer at a
    // time and starts playing as soon as the first one is queued.
    const auto bufferBytes = static_cast<std::uint32_t>(format.bufferBytes);
    pa_buffer_attr attributes{};
    attributes.maxlength = 2 * bufferBytes;
    attributes.tlength = 2 * bufferBytes;
    attributes.prebuf = bufferBytes;
    attributes.minreq = bufferBytes;
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    const auto flags = corked ? PA_STREAM_START_CORKED : PA_STREAM_NOFLAGS;
    if (pa_stream_connect_playback(stream_, nullptr, &attributes, flags, nullptr, nullptr) < 0) {
        DestroyStream();
        return false;
    }
    const bool ready = connection_->WaitUntil(
        [this] {
            const pa_stream_state_t state = pa_stream_get_state(stream_);
            return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state) || stopped_;
        },
        Clock::now() + kServerTimeout);
    if (!ready || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        DestroyStream();
        return false;
    }
    const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_);
    refillThreshold_ = format.bufferBytes;
    if (granted != nullptr && granted->tlength > 0)
        refillThreshold_ = std::min<std::size_t>(refillThreshold_, granted->tlength);
    format_ = format;
    for (auto& buffer : buffers_)
        buffer.assign(format.bufferBytes, std::byte{0});
    nextBuffer_ = 0;
    return true;
}

void PulsePlayer::DestroyStream() {
    ReleaseStream(stream_);
}

bool PulsePlayer::StreamUsable() const {
    return stream_ != nullptr && pa_stream_get_state(stream_) == PA_STREAM_READY;
}

void PulsePlayer::Run() {
    const PulseConnection::Lock lock(*connection_);
    FillStage stage = FillStage::First;
    while (!stopped_) {
        // Sleep until the server has played a buffer (or the stream broke, or Close came).
        std::size_t writable = 0;
        while (!stopped_ && StreamUsable()) {
            writable = pa_stream_writable_size(stream_);
            if (writable != static_cast<std::size_t>(-1) && writable >= refillThreshold_)
                break;
            connection_->Wait();
        }
        if (stopped_ || !StreamUsable())
            break;

        std::vector<std::byte>& buffer = buffers_[nextBuffer_];
        std::fill(buffer.begin(), buffer.end(), std::byte{0});
        const PcmFormat open = format_;
        Fill fill;
        {
            const Unlocked unlocked(*connection_);
            fill = source_->FillBuffer(stage, open, buffer);
        }
        if (stopped_ || !StreamUsable())
            break;

        if (fill.kind == Fill::Kind::End) {
            Drain();
            break;
        }
        if (fill.kind == Fill::Kind::Reopen && fill.format.IsValid() && fill.format != open) {
            // The buffer still queued plays out first: it is the second before the new one.
            Drain();
            if (stopped_)
                break;
            DestroyStream();
            if (!CreateStream(fill.format, corked_)) {
                TRACE("Sound output: reopening with %u Hz, %u channels failed", fill.format.rate,
                      fill.format.channels);
                break;
            }
            stage = FillStage::First;
            continue;
        }
        // A reopen to an unusable format plays the buffer as it is: silence.
        const std::size_t bytes =
            fill.kind == Fill::Kind::Write ? std::min(fill.bytes, buffer.size()) : buffer.size();
        const std::size_t whole = bytes - bytes % open.BlockAlign();
        if (whole > 0 &&
            pa_stream_write(stream_, buffer.data(), whole, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            break;
        nextBuffer_ ^= 1;
        stage = stage == FillStage::First ? FillStage::Second : FillStage::Next;
    }
    ended_ = true;
    DestroyStream();
}

void PulsePlayer::Drain() {
    pa_operation* op = pa_stream_drain(stream_, OnSuccess, this);
    if (op == nullptr)
        return;
    // What is queued plays out in at most two buffers' time.
    const auto queued = std::chrono::milliseconds(
        2000 * 2 * format_.bufferBytes / std::max<std::size_t>(1, format_.BytesPerSecond()));
    const bool done = connection_->WaitUntil(
        [&] { return stopped_ || pa_operation_get_state(op) != PA_OPERATION_RUNNING; },
        Clock::now() + queued + kServerTimeout);
    if (!done || pa_operation_get_state(op) == PA_OPERATION_RUNNING)
        pa_operation_cancel(op);
    pa_operation_unref(op);
}

void PulsePlayer::OnStreamEvent(pa_stream*, void* userdata) {
    static_cast<PulsePlayer*>(userdata)->connection_->Signal();
}

void PulsePlayer::OnStreamRequest(pa_stream*, std::size_t, void* userdata) {
    static_cast<PulsePlayer*>(userdata)->connection_->Signal();
}

void PulsePlayer::OnSuccess(pa_stream*, int, void* userdata) {
    static_cast<PulsePlayer*>(userdata)->connection_->Signal();
}

} // namespace trevix::pulse
