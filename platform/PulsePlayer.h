// Sound output on the server's default sink: a 16-bit PCM playback stream kept filled with two
// buffers of a fixed size by a refill thread that wakes whenever the server has played one.
// The two sound players (recording and memo file) differ only in where the buffers come from.
#pragma once

#include "platform/PulseConnection.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

struct pa_stream;

namespace trevix::pulse {

// Buffers larger than this are refused; two of them must fit the server's queue.
inline constexpr std::size_t kMaxBufferBytes = 1 << 20;

// The format of one opening: signed 16-bit samples, interleaved channels.
struct PcmFormat {
    std::uint32_t rate = 8000;
    std::uint32_t channels = 1;
    std::size_t bufferBytes = 16000;

    bool operator==(const PcmFormat&) const = default;
    // Rate and channels the server accepts; whole frames in a buffer of at most kMaxBufferBytes.
    bool IsValid() const;
    std::size_t BlockAlign() const { return std::size_t{channels} * 2; }
    std::size_t BytesPerSecond() const { return std::size_t{rate} * BlockAlign(); }
};

// Which buffer of an opening is asked for: the first two fill the empty queue.
enum class FillStage { First, Second, Next };

// The answer of a source for one buffer.
struct Fill {
    enum class Kind {
        Write,  // play the first `bytes` bytes of the buffer
        End,    // nothing more: play out what is queued, then the output closes
        Reopen, // the sound has another format: reopen with `format` and start again
    };
    Kind kind = Kind::Write;
    std::size_t bytes = 0;
    PcmFormat format{};

    static Fill Write(std::size_t bytes) { return {Kind::Write, bytes, {}}; }
    static Fill End() { return {Kind::End, 0, {}}; }
    static Fill Reopen(const PcmFormat& format) { return {Kind::Reopen, 0, format}; }
};

// Supplies the samples. Called on the refill thread only, without any lock held.
class IPcmSource {
public:
    virtual ~IPcmSource() = default;
    // buffer has the open format's buffer size and is zeroed (silence) before the call.
    virtual Fill FillBuffer(FillStage stage, const PcmFormat& open,
                            std::span<std::byte> buffer) = 0;
};

class PulsePlayer {
public:
    explicit PulsePlayer(std::string clientName);
    ~PulsePlayer();
    PulsePlayer(const PulsePlayer&) = delete;
    PulsePlayer& operator=(const PulsePlayer&) = delete;

    // Closes any previous opening, connects, creates the stream and starts the refill thread,
    // which fills both buffers from source at once. False when the format is invalid, no server
    // answers or the server refuses the stream. source must outlive the opening.
    bool Open(const PcmFormat& format, IPcmSource& source);
    // Stops the refill thread (joining it) and releases stream and connection. Idempotent.
    void Close();

    // Suspends and resumes the stream (no sound is lost while paused). False when not open.
    bool Pause();
    bool Restart();

    // Between a successful Open and Close.
    bool IsOpen() const { return connection_ != nullptr; }
    // Open and still playing: false once the source ended and the queue played out, or the
    // stream broke.
    bool IsPlaying() const { return IsOpen() && !ended_.load(); }
    // The format of the current opening (it changes on Reopen); 8000 Hz mono when closed.
    PcmFormat Format() const;

private:
    void Run();
    bool CreateStream(const PcmFormat& format, bool corked);
    void DestroyStream();
    bool StreamUsable() const;
    bool Cork(bool corked);
    void Drain();

    static void OnStreamEvent(pa_stream* stream, void* userdata);
    static void OnStreamRequest(pa_stream* stream, std::size_t bytes, void* userdata);
    static void OnSuccess(pa_stream* stream, int success, void* userdata);

    const std::string clientName_;
    std::unique_ptr<PulseConnection> connection_;
    IPcmSource* source_ = nullptr;

    // Guarded by the connection's lock while open.
    pa_stream* stream_ = nullptr;
    PcmFormat format_{};
    std::size_t refillThreshold_ = 0;
    bool corked_ = false;
    std::vector<std::byte> buffers_[2];
    int nextBuffer_ = 0;

    std::atomic<bool> stopped_{true};
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

} // namespace trevix::pulse
