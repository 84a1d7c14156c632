// The memo sound player: plays a memo sound file (the marker FF D8, then A-law bytes at 8000
// samples per second) from start to end on the default sound output, one second per buffer.
#pragma once

#include "codec/G711.h"
#include "platform/PulsePlayer.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace trevix {

class CG711FilePlay {
public:
    CG711FilePlay();
    ~CG711FilePlay();
    CG711FilePlay(const CG711FilePlay&) = delete;
    CG711FilePlay& operator=(const CG711FilePlay&) = delete;

    // Stops any playback, then plays the file to its end; the output closes by itself there.
    // False (and nothing plays) when the file cannot be read, does not start with FF D8, or the
    // sound output cannot open.
    bool Play(const std::filesystem::path& path);
    // Stops playback and closes file and output. Idempotent.
    void Stop();

    // From a successful Play until the end of the file has been played or Stop.
    bool IsPlaying() const { return player_.IsPlaying(); }

private:
    // Reads and decodes the file a second at a time; runs on the refill thread.
    class FileSource : public pulse::IPcmSource {
    public:
        // Takes the file positioned after the marker.
        void Reset(std::FILE* file);
        pulse::Fill FillBuffer(pulse::FillStage stage, const pulse::PcmFormat& open,
                               std::span<std::byte> buffer) override;

    private:
        struct FileCloser {
            void operator()(std::FILE* file) const { std::fclose(file); }
        };
        std::unique_ptr<std::FILE, FileCloser> file_;
        std::array<std::uint8_t, kG711SamplesPerSecond> readBuffer_{};
        CG711Decoder decoder_;
    };

    FileSource source_; // outlives every opening of player_
    pulse::PulsePlayer player_;
};

} // namespace trevix
