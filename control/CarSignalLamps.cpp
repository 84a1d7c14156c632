#include "control/CarSignalLamps.h"

#include "app/SkinFile.h"

#include <array>

namespace trevix {
namespace {

constexpr int kLeftLampX = 5;
constexpr int kLampY = 0;
constexpr int kInputLampY = 3;
constexpr std::array<int, 4> kInputLampOffsets = {-10, 13, 36, 59}; // from the middle
constexpr std::array<int, 4> kInputLabelX = {87, 108, 131, 154};
constexpr int kInputLabelY = 13;
constexpr int kInputLit = 0;
constexpr int kInputDark = 1;

bool Brake(std::uint8_t bits) {
    return (bits & kSignalBrakeMask) != 0;
}

int LampState(bool brake, bool turn) {
    if (brake && turn)
        return 0;
    if (brake)
        return 3;
    return turn ? 2 : 1;
}

} // namespace

bool HasCombinedLamp(int model) {
    return model == 23 || model == 24;
}

int LeftLampState(std::uint8_t bits) {
    return LampState(Brake(bits), (bits & kSignalLeftTurn) != 0);
}

int RightLampState(std::uint8_t bits) {
    return LampState(Brake(bits), (bits & kSignalRightTurn) != 0);
}

int CombinedLampState(std::uint8_t bits) {
    const bool brake = Brake(bits);
    const bool left = (bits & kSignalLeftTurn) != 0;
    const bool right = (bits & kSignalRightTurn) != 0;
    if (brake && left && right)
        return 0;
    if (brake && left)
        return 2;
    if (left && right)
        return 3;
    if (brake && right)
        return 4;
    if (left)
        return 5;
    if (brake)
        return 6;
    return right ? 7 : 1;
}

GlyphList CarSignalGlyphs(std::uint8_t bits, int model, int width, int height) {
    GlyphList glyphs;
    const int lampWidth = (width - 13) / 2 - 10;
    const int lampHeight = height - 6;
    if (!HasCombinedLamp(model)) {
        AddStretchedGlyph(glyphs, skin_item::kLeftLamp, LeftLampState(bits), kLeftLampX, kLampY,
                          lampWidth, lampHeight);
        AddStretchedGlyph(glyphs, skin_item::kRightLamp, RightLampState(bits), (width - 3) / 2 + 10,
                          kLampY, lampWidth, lampHeight);
        return glyphs;
    }
    AddStretchedGlyph(glyphs, skin_item::kCombinedLamp, CombinedLampState(bits), 0, kLampY,
                      lampWidth, lampHeight);
    for (std::size_t i = 0; i < kInputLampOffsets.size(); ++i) {
        const bool lit = (bits & (kSignalInput1 << i)) != 0;
        AddGlyph(glyphs, skin_item::kInputLamps, lit ? kInputLit : kInputDark,
                 width / 2 + kInputLampOffsets[i], kInputLampY);
    }
    for (std::size_t i = 0; i < kInputLabelX.size(); ++i)
        AddGlyph(glyphs, skin_item::kInputLabels, static_cast<int>(i), kInputLabelX[i],
                 kInputLabelY);
    return glyphs;
}

} // namespace trevix
