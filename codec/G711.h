// G.711 sample conversion: the A-law and mu-law expansion tables, A-law decoding of the
// recorder's sound (8000 samples per second, one byte each) and the A-law encoder (ITU-T G.711)
// used by the card generator and the AVI export.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace trevix {

// One second of recorder sound.
inline constexpr std::size_t kG711SamplesPerSecond = 8000;

// 256 signed 16-bit values, indexed by the code byte.
using G711Table = std::array<std::int16_t, 256>;

const G711Table& ALawTable();
const G711Table& MuLawTable(); // built like the A-law table; the recorder never uses it

inline std::int16_t ALawToLinear(std::uint8_t code) {
    return ALawTable()[code];
}
inline std::int16_t MuLawToLinear(std::uint8_t code) {
    return MuLawTable()[code];
}

// The A-law code whose decision interval holds the sample (ITU-T G.711 encoder).
std::uint8_t LinearToALaw(std::int16_t sample);

// Decodes min(alaw.size(), pcm.size()) codes into pcm; returns how many were decoded.
std::size_t DecodeALawInto(std::span<const std::uint8_t> alaw, std::span<std::int16_t> pcm);
// Encodes min(pcm.size(), alaw.size()) samples into alaw; returns how many were encoded.
std::size_t EncodeALawInto(std::span<const std::int16_t> pcm, std::span<std::uint8_t> alaw);
std::vector<std::uint8_t> EncodeALaw(std::span<const std::int16_t> pcm);

// The decoder of a sound player: keeps an output buffer for one second (8000 samples).
class CG711Decoder {
public:
    static constexpr std::size_t kCapacity = kG711SamplesPerSecond;

    // Decodes up to 8000 A-law bytes (any more are ignored) and returns the decoded samples, in
    // order. The view stays valid until the next call.
    std::span<const std::int16_t> DecodeALaw(std::span<const std::uint8_t> alaw);

private:
    std::array<std::int16_t, kCapacity> output_{};
};

} // namespace trevix
