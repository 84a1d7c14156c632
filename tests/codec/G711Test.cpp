#include "codec/G711.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

namespace trevix {
namespace {

TEST(G711Tables, ALawValuesOfTheStandard) {
    EXPECT_EQ(ALawToLinear(0xD5), 8);
    EXPECT_EQ(ALawToLinear(0x55), -8);
    EXPECT_EQ(ALawToLinear(0x80), 5504);
    EXPECT_EQ(ALawToLinear(0x00), -5504);
    EXPECT_EQ(ALawToLinear(0xAA), 32256); // largest magnitude
    EXPECT_EQ(ALawToLinear(0x2A), -32256);
    EXPECT_EQ(ALawToLinear(0xDA), 248); // top of the first segment
    EXPECT_EQ(ALawToLinear(0xC5), 264); // the second one starts one step further
}

TEST(G711Tables, MuLawValuesOfTheStandard) {
    EXPECT_EQ(MuLawToLinear(0xFF), 0);
    EXPECT_EQ(MuLawToLinear(0x7F), 0);
    EXPECT_EQ(MuLawToLinear(0x80), 32124);
    EXPECT_EQ(MuLawToLinear(0x00), -32124);
    EXPECT_EQ(MuLawToLinear(0xFE), 8);
    EXPECT_EQ(MuLawToLinear(0x7E), -8);
}

TEST(G711Tables, SignBitMirrorsEveryMagnitude) {
    for (int code = 0; code < 128; ++code) {
        EXPECT_EQ(ALawToLinear(static_cast<std::uint8_t>(code | 0x80)),
                  -ALawToLinear(static_cast<std::uint8_t>(code)))
            << code;
        EXPECT_EQ(MuLawToLinear(static_cast<std::uint8_t>(code | 0x80)),
                  -MuLawToLinear(static_cast<std::uint8_t>(code)))
            << code;
    }
}

TEST(G711Tables, ALawLevelsAreDistinctAndCoverTheRange) {
    std::vector<int> levels(ALawTable().begin(), ALawTable().end());
    std::sort(levels.begin(), levels.end());
    EXPECT_EQ(std::adjacent_find(levels.begin(), levels.end()), levels.end());
    EXPECT_EQ(levels.front(), -32256);
    EXPECT_EQ(levels.back(), 32256);
}

// Quantisation step of the segment a code belongs to, on the 16-bit scale.
int StepOf(std::uint8_t code) {
    const int exponent = ((code >> 4) & 0x07) ^ 0x05;
    return exponent <= 1 ? 16 : 16 << (exponent - 1);
}

// The standard's decision intervals: every sample lies within half a step of the level of its
// code, and larger samples never get smaller levels.
TEST(G711Encoder, EverySampleLiesInTheIntervalOfItsCode) {
    int previous = std::numeric_limits<int>::min();
    for (int sample = std::numeric_limits<std::int16_t>::min();
         sample <= std::numeric_limits<std::int16_t>::max(); ++sample) {
        const std::uint8_t code = LinearToALaw(static_cast<std::int16_t>(sample));
        const int decoded = ALawToLinear(code);
        ASSERT_LE(std::abs(decoded - sample), StepOf(code) / 2) << "sample " << sample;
        ASSERT_GE(decoded, previous) << "sample " << sample;
        previous = decoded;
    }
}

TEST(G711Encoder, DecisionLevelsAroundZeroAndASegmentEdge) {
    EXPECT_EQ(ALawToLinear(LinearToALaw(15)), 8);
    EXPECT_EQ(ALawToLinear(LinearToALaw(16)), 24);
    EXPECT_EQ(ALawToLinear(LinearToALaw(-16)), -8);
    EXPECT_EQ(ALawToLinear(LinearToALaw(-17)), -24);
    EXPECT_EQ(ALawToLinear(LinearToALaw(16383)), 16128);
    EXPECT_EQ(ALawToLinear(LinearToALaw(16384)), 16896);
}

TEST(G711Encoder, EveryCodeSurvivesARoundTrip) {
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(LinearToALaw(ALawToLinear(static_cast<std::uint8_t>(code))), code) << code;
}

TEST(G711Encoder, SilenceAndExtremes) {
    EXPECT_EQ(LinearToALaw(0), 0xD5);
    EXPECT_EQ(LinearToALaw(-1), 0x55);
    EXPECT_EQ(LinearToALaw(32767), 0xAA);
    EXPECT_EQ(LinearToALaw(-32768), 0x2A);
}

TEST(G711Bulk, ConvertsTheShorterOfBothSpans) {
    const std::vector<std::uint8_t> codes{0xD5, 0x55, 0xAA};
    std::vector<std::int16_t> pcm(2, 7);
    EXPECT_EQ(DecodeALawInto(codes, pcm), 2u);
    EXPECT_EQ(pcm, (std::vector<std::int16_t>{8, -8}));

    std::vector<std::uint8_t> out(5, 0);
    EXPECT_EQ(EncodeALawInto(pcm, out), 2u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xD5, 0x55, 0, 0, 0}));
    EXPECT_EQ(EncodeALaw(pcm), (std::vector<std::uint8_t>{0xD5, 0x55}));
}

TEST(G711Decoder, DecodesOneSecondAtMost) {
    CG711Decoder decoder;
    const std::vector<std::uint8_t> tooMuch(kG711SamplesPerSecond + 100, 0xD5);
    const auto second = decoder.DecodeALaw(tooMuch);
    ASSERT_EQ(second.size(), kG711SamplesPerSecond);
    EXPECT_TRUE(std::all_of(second.begin(), second.end(), [](std::int16_t s) { return s == 8; }));

    const std::vector<std::uint8_t> partial{0x55, 0xAA, 0x2A};
    const auto part = decoder.DecodeALaw(partial);
    EXPECT_EQ(std::vector<std::int16_t>(part.begin(), part.end()),
              (std::vector<std::int16_t>{-8, 32256, -32256}));
    EXPECT_TRUE(decoder.DecodeALaw({}).empty());
}

} // namespace
} // namespace trevix
