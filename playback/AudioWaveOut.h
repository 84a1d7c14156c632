// The recording player: plays the current recording's sound on the default sound output while
// the pictures play at normal speed. Its refill thread asks the feed for the next second each
// time one of the two one-second buffers has played.
#pragma once

#include "platform/PulsePlayer.h"
#include "playback/AudioFeed.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trevix {

// What a refill does with one answer of the feed.
struct RefillPlan {
    enum class Action {
        Copy,    // play the samples that came (the rest of the buffer stays silent)
        Silence, // play a silent buffer
        Reopen,  // the sound has another format: reopen the output with `format`
    };
    Action action = Action::Silence;
    pulse::PcmFormat format{};
};

// No recording, or no samples: silence. Same rate, byte count and channels as the open output:
// copy. Another valid format: reopen. A format the output cannot take plays silence.
RefillPlan PlanRefill(const AudioFeedResult& fed, const pulse::PcmFormat& open);

class CAudioWaveOut {
public:
    CAudioWaveOut();
    ~CAudioWaveOut();
    CAudioWaveOut(const CAudioWaveOut&) = delete;
    CAudioWaveOut& operator=(const CAudioWaveOut&) = delete;

    // Closes a previous opening, then opens the default output with 16-bit PCM of the given rate
    // and channels and two buffers of bufferSize bytes, and starts playing: the first buffer gets
    // the feed's current second, the second the next one. owner is asked for every further
    // second; null means no recording is current (silence). False when the format is unusable,
    // no sound server answers or it refuses the stream; the output is then closed.
    bool Open(IAudioFeed* owner, std::uint32_t rate = 8000, std::size_t bufferSize = 16000,
              std::uint32_t channels = 1);
    // Stops the refill thread and closes the output; afterwards 8000 Hz, one channel. Idempotent.
    void Close();

    bool Pause() { return player_.Pause(); }
    bool Restart() { return player_.Restart(); }

    bool IsOpen() const { return player_.IsOpen(); }
    // True when closed or when the output broke while open.
    bool IsStopped() const { return !player_.IsPlaying(); }
    std::uint32_t Rate() const { return player_.Format().rate; }
    std::uint32_t Channels() const { return player_.Format().channels; }
    std::size_t BufferSize() const { return player_.Format().bufferBytes; }

private:
    // Adapts the feed to the player; runs on the refill thread.
    class FeedSource : public pulse::IPcmSource {
    public:
        void Reset(IAudioFeed* feed);
        pulse::Fill FillBuffer(pulse::FillStage stage, const pulse::PcmFormat& open,
                               std::span<std::byte> buffer) override;

    private:
        IAudioFeed* feed_ = nullptr;
        // The second that asked for a reopen; it fills the first buffer of the new output.
        std::vector<std::int16_t> pending_;
        std::size_t pendingDropped_ = 0;
        bool hasPending_ = false;
    };

    FeedSource source_; // outlives every opening of player_
    pulse::PulsePlayer player_;
};

} // namespace trevix
