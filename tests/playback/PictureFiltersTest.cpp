#include "playback/PictureFilters.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace trevix;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture of one pixel per row whose B, G and R bytes are given per row.
Bytes Column(std::initializer_list<std::array<std::uint8_t, 3>> rows) {
    Bytes pixels;
    for (const auto& row : rows)
        pixels.insert(pixels.end(), row.begin(), row.end());
    return pixels;
}

Bytes Rows(int width, std::initializer_list<std::uint8_t> rowValues) {
    Bytes pixels;
    for (const std::uint8_t value : rowValues)
        pixels.insert(pixels.end(), static_cast<std::size_t>(width) * 3, value);
    return pixels;
}

Bytes RandomPicture(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Bytes pixels(static_cast<std::size_t>(width) * height * 3);
    for (auto& byte : pixels)
        byte = static_cast<std::uint8_t>(random());
    return pixels;
}

// The area based rule written out per pixel, without the filter's row buffers.
Bytes AreaReference(const Bytes& src, int width, int height) {
    const auto at = [&](int y, int x, int k) -> int {
        return src[(static_cast<std::size_t>(y) * width + x) * 3 + k];
    };
    const auto comb = [&](int y, int x) -> long {
        if (y < 0 || y >= height)
            return 0;
        long sum = 0;
        const int weights[3] = {1, 6, 3};
        for (int k = 0; k < 3; ++k) {
            const int a = y > 0 ? at(y - 1, x, k) : 0;
            const int c = at(y, x, k);
            const int b = y + 1 < height ? at(y + 1, x, k) : c;
            sum += weights[k] * ((b - c) * (a - c) - (a - b) * (a - b) * 625 / 4096);
        }
        return sum;
    };
    Bytes out = src;
    for (int y = 1; y < height; y += 2)
        for (int x = 0; x < width; ++x)
            if (comb(y - 1, x) + 2 * comb(y, x) + comb(y + 1, x) > 2916)
                for (int k = 0; k < 3; ++k) {
                    const int below = y + 1 < height ? at(y + 1, x, k) : at(y, x, k);
                    out[(static_cast<std::size_t>(y) * width + x) * 3 + k] =
                        static_cast<std::uint8_t>((at(y - 1, x, k) + below) / 2);
                }
    return out;
}

} // namespace

TEST(WeaveFields, InterleavesTopAndBottomHalves) {
    const Bytes stacked = Rows(2, {10, 11, 12, 20, 21, 22});
    Bytes woven(stacked.size());
    ASSERT_TRUE(WeaveFields(2, 6, stacked, woven));
    EXPECT_EQ(woven, Rows(2, {10, 20, 11, 21, 12, 22}));

    const Bytes odd = Rows(1, {1, 2, 3, 4, 5});
    Bytes wovenOdd(odd.size());
    ASSERT_TRUE(WeaveFields(1, 5, odd, wovenOdd));
    EXPECT_EQ(wovenOdd, Rows(1, {1, 3, 2, 4, 5}));
}

TEST(FieldDrop, EvenRowsStayOddRowsAverageTheirNeighbours) {
    // The four-row case: rows 0 and 2 copied, row 1 their average, row 3 a copy of row 2.
    const Bytes src = Column({{10, 100, 255}, {0, 0, 0}, {21, 201, 254}, {9, 9, 9}});
    Bytes out(src.size());
    ASSERT_TRUE(Deinterlace(1, 1, src, out, 4));
    EXPECT_EQ(out, Column({{10, 100, 255}, {15, 150, 254}, {21, 201, 254}, {21, 201, 254}}));

    // An odd height ends with an even row, which is copied.
    const Bytes five = Rows(3, {0, 50, 255, 7, 100});
    Bytes outFive(five.size());
    ASSERT_TRUE(Deinterlace(1, 3, five, outFive, 5));
    EXPECT_EQ(outFive, Rows(3, {0, 127, 255, 177, 100}));
}

TEST(ImageBlend, EachTermIsTruncatedOnItsOwn) {
    // Row i: r(i-1)/4 + r(i)/2 + r(i+1)/4, first and last rows halves of two rows.
    const Bytes src = Column({{3, 255, 1}, {3, 255, 1}, {7, 254, 3}, {255, 0, 5}});
    Bytes out(src.size());
    ASSERT_TRUE(Deinterlace(2, 1, src, out, 4));
    EXPECT_EQ(out, Column({{2, 254, 0},  // 3/2 + 3/2, 255/2 + 255/2, 1/2 + 1/2
                           {2, 253, 0},  // 0 + 1 + 1, 63 + 127 + 63, 0 + 0 + 0
                           {66, 190, 2}, // 0 + 3 + 63, 63 + 127 + 0, 0 + 1 + 1
                           {130, 127, 3}}));
}

TEST(ImageBlend, WordArithmeticMatchesPerByteArithmetic) {
    // Widths that leave bytes after the last whole word.
    for (const int width : {1, 3, 5, 11}) {
        const Bytes src = RandomPicture(width, 6, static_cast<unsigned>(width));
        Bytes out(src.size());
        ASSERT_TRUE(Deinterlace(2, width, src, out, 6));
        const std::size_t stride = static_cast<std::size_t>(width) * 3;
        for (int y = 0; y < 6; ++y)
            for (std::size_t i = 0; i < stride; ++i) {
                const auto r = [&](int row) { return src[row * stride + i]; };
                const int expected = y == 0   ? r(0) / 2 + r(1) / 2
                                     : y == 5 ? r(4) / 2 + r(5) / 2
                                              : r(y - 1) / 4 + r(y) / 2 + r(y + 1) / 4;
                ASSERT_EQ(out[y * stride + i], expected) << "width " << width << " row " << y;
            }
    }
}

TEST(AreaInterpolation, CombedRowsAreInterpolatedSmoothRowsKept) {
    // Strong combing: odd rows unlike both neighbours.
    const Bytes combed = Rows(2, {200, 0, 200, 0, 200, 0});
    Bytes out(combed.size());
    ASSERT_TRUE(Deinterlace(3, 2, combed, out, 6));
    EXPECT_EQ(out, Rows(2, {200, 200, 200, 200, 200, 100})); // last: (200 + 0) / 2, below = itself

    // A smooth ramp has no comb and stays as it is.
    const Bytes ramp = Rows(2, {10, 20, 30, 40, 50, 60});
    ASSERT_TRUE(Deinterlace(3, 2, ramp, out, 6));
    EXPECT_EQ(out, ramp);

    // A small difference below the threshold is kept.
    const Bytes faint = Rows(1, {100, 110, 100, 110});
    Bytes faintOut(faint.size());
    ASSERT_TRUE(Deinterlace(3, 1, faint, faintOut, 4));
    EXPECT_EQ(faintOut, faint);
}

TEST(AreaInterpolation, MatchesThePerPixelRuleOnRandomPictures) {
    for (const auto& [width, height] : {std::pair{5, 8}, std::pair{7, 9}, std::pair{16, 2}}) {
        const Bytes src = RandomPicture(width, height, static_cast<unsigned>(width * height));
        Bytes out(src.size());
        ASSERT_TRUE(Deinterlace(3, width, src, out, height));
        EXPECT_EQ(out, AreaReference(src, width, height)) << width << "x" << height;
    }
}

TEST(Deinterlace, ModeZeroAndUnknownModesCopyAndAutomaticFollowsPlayState) {
    const Bytes src = RandomPicture(4, 6, 1);
    for (const int mode : {0, 4, 98, -1}) {
        Bytes out(src.size());
        ASSERT_TRUE(Deinterlace(mode, 4, src, out, 6));
        EXPECT_EQ(out, src) << mode;
    }
    for (const int state : {3, 4, 7, 13})
        EXPECT_EQ(ResolveDeinterlaceMode(99, state), 2) << state;
    for (const int state : {1, 2, 5, 6, 8, 9, 10, 11, 12})
        EXPECT_EQ(ResolveDeinterlaceMode(99, state), 3) << state;
    EXPECT_EQ(ResolveDeinterlaceMode(1, 3), 1);

    Bytes automatic(src.size()), blended(src.size());
    Deinterlace(99, 4, src, automatic, 6, 4);
    Deinterlace(2, 4, src, blended, 6);
    EXPECT_EQ(automatic, blended);
}

TEST(DoubleLines, InsertsAveragedRowsAndRepeatsTheLast) {
    const Bytes src = Column({{0, 255, 10}, {101, 0, 11}, {50, 50, 50}});
    Bytes out(src.size() * 2);
    ASSERT_TRUE(DoubleLines(1, 3, src, out));
    EXPECT_EQ(
        out,
        Column(
            {{0, 255, 10}, {50, 127, 10}, {101, 0, 11}, {75, 25, 30}, {50, 50, 50}, {50, 50, 50}}));
}

TEST(PictureFilters, RefuseBuffersTooSmallOrSizesNotPositive) {
    Bytes src(4 * 4 * 3), dst(4 * 4 * 3), small(4 * 4 * 3 - 1);
    EXPECT_FALSE(WeaveFields(4, 4, small, dst));
    EXPECT_FALSE(WeaveFields(4, 4, src, small));
    EXPECT_FALSE(Deinterlace(3, 4, src, small, 4));
    EXPECT_FALSE(Deinterlace(1, 0, src, dst, 4));
    EXPECT_FALSE(Deinterlace(2, 4, src, dst, -2));
    EXPECT_FALSE(DoubleLines(4, 4, src, dst)); // needs twice the rows
    EXPECT_TRUE(DoubleLines(4, 2, src, dst));
}

TEST(Deblocking, OnBySettingOrExceptAtNormalAndFastestSpeeds) {
    for (int state = 1; state <= 13; ++state) {
        EXPECT_TRUE(DeblockingWanted(true, state));
        EXPECT_EQ(DeblockingWanted(false, state), state != 3 && state != 7 && state != 13) << state;
    }
}

TEST(FilteredPicture, BuffersFollowThePictureKind) {
    FilteredPicture picture;
    picture.Prepare(720, 240);
    EXPECT_EQ(picture.FilterBufferSize(), 2u * 720 * 240 * 3);
    EXPECT_TRUE(picture.Picture().Empty()); // nothing decoded yet
    picture.Prepare(720, 480);
    EXPECT_EQ(picture.FilterBufferSize(), 720u * 480 * 3);
    picture.Prepare(360, 240);
    EXPECT_EQ(picture.FilterBufferSize(), 0u);
    picture.Finish(99, 1);
    EXPECT_EQ(picture.DoubledPicture().height, 240); // not a single field
    EXPECT_TRUE(picture.Prepare(0, 10).empty());
}
