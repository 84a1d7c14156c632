// Where the recording player gets its sound: the current recording hands out decoded seconds
// one at a time, a fixed lead ahead of the pictures shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace trevix {

// What one FeedAudio call reports.
struct AudioFeedResult {
    // False when no recording is current: the output plays silence and keeps its format.
    bool hasRecording = false;
    // The format of the recording's sound, reported whether or not samples came.
    std::uint32_t rate = 8000;
    std::uint32_t channels = 1;
    std::size_t byteCount = 16000; // bytes per call (one second)
    // The decoded 16-bit samples (interleaved); empty when none came. Valid until the next call.
    std::span<const std::int16_t> samples;
    // Samples dropped from the head of this second so that the sound starts at the time asked:
    // the output plays that much less of its buffer.
    std::size_t droppedSamples = 0;

    bool HasData() const { return !samples.empty(); }
};

class IAudioFeed {
public:
    virtual ~IAudioFeed() = default;
    // The next second of sound for a sound output that plays it leadSeconds from now: the
    // output asks with lead 0 and 1 to fill its two buffers at opening, then with lead 1 each
    // time a buffer has played. Called on the output's refill thread.
    virtual AudioFeedResult FeedAudio(int leadSeconds) = 0;
};

} // namespace trevix
