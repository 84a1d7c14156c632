// The sound the recorder's microphone hears: a steady tone or a voice-like signal (a pitched
// glottal buzz shaped by changing vowel formants, in syllables with pauses). Samples are a pure
// function of their time so that consecutive files join without a click.
#pragma once

#include <cstdint>
#include <span>

namespace trevix::mkcard {

enum class SoundKind { Tone, Voice };

inline constexpr int kSampleRate = 8000;

class SoundSource {
public:
    SoundSource(SoundKind kind, std::uint64_t seed);

    // Fills pcm with the samples starting at sample index first (counted at 8000 per second
    // from the card's start).
    void Render(std::int64_t first, std::span<std::int16_t> pcm) const;

private:
    double Tone(double t) const;
    double Voice(double t) const;

    SoundKind kind_;
    double pitch_;
    std::uint64_t seed_;
};

} // namespace trevix::mkcard
