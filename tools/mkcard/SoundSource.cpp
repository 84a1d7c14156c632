#include "tools/mkcard/SoundSource.h"

#include "tools/mkcard/Random.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace trevix::mkcard {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kSyllableSeconds = 0.25;

struct Vowel {
    double f1, f2, f3;
};
// Formant frequencies of five vowels (a, e, i, o, u).
constexpr Vowel kVowels[] = {
    {730, 1090, 2440}, {530, 1840, 2480}, {270, 2290, 3010}, {570, 840, 2410}, {300, 870, 2240}};

double Resonance(double frequency, double centre, double bandwidth) {
    const double x = (frequency - centre) / bandwidth;
    return 1.0 / (1.0 + x * x);
}

} // namespace

SoundSource::SoundSource(SoundKind kind, std::uint64_t seed) : kind_(kind), seed_(seed) {
    Random random(seed ^ 0x5A5A5A5AULL);
    pitch_ = random.Uniform(105.0, 150.0);
}

void SoundSource::Render(std::int64_t first, std::span<std::int16_t> pcm) const {
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        const double t = static_cast<double>(first + static_cast<std::int64_t>(i)) / kSampleRate;
        const double value = kind_ == SoundKind::Tone ? Tone(t) : Voice(t);
        pcm[i] = static_cast<std::int16_t>(std::clamp(value, -1.0, 1.0) * 32000.0);
    }
}

double SoundSource::Tone(double t) const {
    return 0.25 * std::sin(kTwoPi * 440.0 * t);
}

double SoundSource::Voice(double t) const {
    const auto syllable = static_cast<std::int64_t>(std::floor(t / kSyllableSeconds));
    // Every fourth syllable or so is a pause between words.
    if (Random::Hash(seed_, 20, static_cast<std::uint64_t>(syllable)) < 0.22)
        return 0.0;
    const double within = t / kSyllableSeconds - static_cast<double>(syllable);
    const double envelope = std::pow(std::sin(std::numbers::pi * within), 2.0);
    const Vowel& vowel = kVowels[static_cast<int>(
        Random::Hash(seed_, 21, static_cast<std::uint64_t>(syllable)) * 5)];

    // Pitch with a slow intonation swing; the phase is the closed-form integral of the pitch.
    constexpr double kSwingHz = 0.7, kSwingDepth = 18.0;
    const double phase =
        kTwoPi * pitch_ * t - kSwingDepth / kSwingHz * std::cos(kTwoPi * kSwingHz * t);
    const double f0 = pitch_ + kSwingDepth * std::sin(kTwoPi * kSwingHz * t);
    double sum = 0.0;
    for (int harmonic = 1; harmonic * f0 < 3600.0; ++harmonic) {
        const double frequency = harmonic * f0;
        const double gain = Resonance(frequency, vowel.f1, 90) +
                            0.6 * Resonance(frequency, vowel.f2, 120) +
                            0.3 * Resonance(frequency, vowel.f3, 160);
        sum += gain / harmonic * std::sin(harmonic * phase);
    }
    return 0.35 * envelope * sum;
}

} // namespace trevix::mkcard
