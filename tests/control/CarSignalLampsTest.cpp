// Lamp states from the car-signal bits and the lamps' places by model.
#include "control/CarSignalLamps.h"

#include "app/SkinFile.h"

#include <gtest/gtest.h>

namespace trevix {
namespace {

namespace item = skin_item;

constexpr int kWidth = 163; // the indicator's client area
constexpr int kHeight = 26;

TEST(CarSignalLampsTest, LeftAndRightLampStates) {
    // Either brake bit is the brake.
    for (const std::uint8_t brake : {std::uint8_t{0x01}, std::uint8_t{0x02}}) {
        EXPECT_EQ(LeftLampState(brake | kSignalLeftTurn), 0);
        EXPECT_EQ(LeftLampState(brake), 3);
        EXPECT_EQ(RightLampState(brake | kSignalRightTurn), 0);
        EXPECT_EQ(RightLampState(brake | kSignalLeftTurn), 3);
    }
    EXPECT_EQ(LeftLampState(kSignalLeftTurn), 2);
    EXPECT_EQ(LeftLampState(kSignalRightTurn), 1);
    EXPECT_EQ(RightLampState(kSignalRightTurn), 2);
    EXPECT_EQ(RightLampState(0xF0), 1); // inputs light no lamp
}

TEST(CarSignalLampsTest, CombinedLampStates) {
    constexpr std::uint8_t b = 0x01, l = kSignalLeftTurn, r = kSignalRightTurn;
    EXPECT_EQ(CombinedLampState(b | l | r), 0);
    EXPECT_EQ(CombinedLampState(0), 1);
    EXPECT_EQ(CombinedLampState(b | l), 2);
    EXPECT_EQ(CombinedLampState(l | r), 3); // hazard lights
    EXPECT_EQ(CombinedLampState(0x02 | r), 4);
    EXPECT_EQ(CombinedLampState(l), 5);
    EXPECT_EQ(CombinedLampState(b), 6);
    EXPECT_EQ(CombinedLampState(r), 7);
}

TEST(CarSignalLampsTest, TwoLampModelsStretchBothLampsIntoTheirBoxes) {
    // Brake and left: left lamp state 0, right lamp state 3.
    const GlyphList glyphs = CarSignalGlyphs(0x0A, 21, kWidth, kHeight);
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0], (GlyphDraw{item::kLeftLamp, 0, 0, 65, 22, 5, 0, 65, 20}));
    EXPECT_EQ(glyphs[1], (GlyphDraw{item::kRightLamp, 3, 195, 65, 22, 90, 0, 65, 20}));
    // Model 20 and 22 look the same, and so does a model the viewer does not know.
    for (const int model : {20, 22, 0, 99})
        EXPECT_EQ(CarSignalGlyphs(0x0A, model, kWidth, kHeight), glyphs) << model;
}

TEST(CarSignalLampsTest, CombinedLampModelsAddTheInputs) {
    const GlyphList glyphs = CarSignalGlyphs(0x01 | 0x10 | 0x40, 23, kWidth, kHeight);
    ASSERT_EQ(glyphs.size(), 9u);
    EXPECT_EQ(glyphs[0], (GlyphDraw{item::kCombinedLamp, 6, 390, 65, 22, 0, 0, 65, 20}));
    const std::vector<std::pair<int, int>> lamps = {{71, 0}, {94, 1}, {117, 0}, {140, 1}};
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        const GlyphDraw& lamp = glyphs[1 + i];
        EXPECT_EQ(lamp.strip, item::kInputLamps);
        EXPECT_EQ(std::make_pair(lamp.x, lamp.cell), lamps[i]) << i;
        EXPECT_EQ(lamp.y, 3);
        EXPECT_EQ(lamp.width, 14); // unscaled
    }
    const std::vector<int> labelX = {87, 108, 131, 154};
    for (std::size_t i = 0; i < labelX.size(); ++i) {
        const GlyphDraw& label = glyphs[5 + i];
        EXPECT_EQ(label.strip, item::kInputLabels);
        EXPECT_EQ(label.cell, static_cast<int>(i));
        EXPECT_EQ(label.x, labelX[i]);
        EXPECT_EQ(label.y, 13);
    }
    EXPECT_EQ(glyphs[5].width, 5);
    EXPECT_EQ(CarSignalGlyphs(0x51, 24, kWidth, kHeight), glyphs);
}

TEST(CarSignalLampsTest, TooSmallAnAreaDrawsNoLamp) {
    EXPECT_TRUE(CarSignalGlyphs(0xFF, 21, 20, 4).empty());
    EXPECT_EQ(CarSignalGlyphs(0xFF, 23, 20, 4).size(), 8u); // the unscaled inputs remain
}

} // namespace
} // namespace trevix
