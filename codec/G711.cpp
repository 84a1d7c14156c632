#include "codec/G711.h"

#include <algorithm>

namespace trevix {
namespace {

G711Table BuildALawTable() {
    G711Table table{};
    for (int i = 0; i < 256; ++i) {
        const int mantissa = (i & 0x0F) ^ 0x05;
        const int exponent = ((i >> 4) & 0x07) ^ 0x05;
        int magnitude = exponent == 0 ? mantissa * 16 + 8 : mantissa * 16 + 264;
        if (exponent > 1)
            magnitude <<= exponent - 1;
        table[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>((i & 0x80) != 0 ? magnitude : -magnitude);
    }
    return table;
}

G711Table BuildMuLawTable() {
    G711Table table{};
    for (int i = 0; i < 256; ++i) {
        const int mantissa = ~i & 0x0F;
        const int exponent = (~i >> 4) & 0x07;
        const int magnitude = ((2 * mantissa + 33) << (exponent + 2)) - 132;
        table[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>((i & 0x80) != 0 ? magnitude : -magnitude);
    }
    return table;
}

// Upper ends of the eight A-law segments on the 13-bit scale.
constexpr std::array<int, 8> kSegmentEnds{0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};

} // namespace

const G711Table& ALawTable() {
    static const G711Table table = BuildALawTable();
    return table;
}

const G711Table& MuLawTable() {
    static const G711Table table = BuildMuLawTable();
    return table;
}

std::uint8_t LinearToALaw(std::int16_t sample) {
    // Work on the 13-bit scale of the standard; negative values are folded with one's
    // complement so that both signs use the same decision intervals.
    int value = sample >> 3;
    int mask = 0xD5; // sign bit set, even bits inverted
    if (value < 0) {
        mask = 0x55;
        value = -value - 1;
    }
    const auto segmentIt = std::lower_bound(kSegmentEnds.begin(), kSegmentEnds.end(), value);
    const int segment = static_cast<int>(segmentIt - kSegmentEnds.begin());
    if (segment >= 8)
        return static_cast<std::uint8_t>(0x7F ^ mask);
    int code = segment << 4;
    code |= segment < 2 ? (value >> 1) & 0x0F : (value >> segment) & 0x0F;
    return static_cast<std::uint8_t>(code ^ mask);
}

std::size_t DecodeALawInto(std::span<const std::uint8_t> alaw, std::span<std::int16_t> pcm) {
    const std::size_t count = std::min(alaw.size(), pcm.size());
    const G711Table& table = ALawTable();
    for (std::size_t i = 0; i < count; ++i)
        pcm[i] = table[alaw[i]];
    return count;
}

std::size_t EncodeALawInto(std::span<const std::int16_t> pcm, std::span<std::uint8_t> alaw) {
    const std::size_t count = std::min(alaw.size(), pcm.size());
    for (std::size_t i = 0; i < count; ++i)
        alaw[i] = LinearToALaw(pcm[i]);
    return count;
}

std::vector<std::uint8_t> EncodeALaw(std::span<const std::int16_t> pcm) {
    std::vector<std::uint8_t> alaw(pcm.size());
    EncodeALawInto(pcm, alaw);
    return alaw;
}

std::span<const std::int16_t> CG711Decoder::DecodeALaw(std::span<const std::uint8_t> alaw) {
    const std::size_t count = DecodeALawInto(alaw, output_);
    return std::span<const std::int16_t>(output_.data(), count);
}

} // namespace trevix
