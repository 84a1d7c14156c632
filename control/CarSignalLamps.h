// The car-signal indicator's lamps: which cell of which lamp strip the car-signal bits light,
// and where the lamps go, by recorder model.
#pragma once

#include "control/StatusGlyphs.h"

#include <cstdint>

namespace trevix {

// Car-signal bits of a picture or log record.
inline constexpr std::uint8_t kSignalBrakeMask = 0x01 | 0x02;
inline constexpr std::uint8_t kSignalRightTurn = 0x04;
inline constexpr std::uint8_t kSignalLeftTurn = 0x08;
inline constexpr std::uint8_t kSignalInput1 = 0x10; // inputs 1-4: 0x10, 0x20, 0x40, 0x80

// Models 23 and 24 show one combined lamp and the four inputs; every other model (20-22, and
// any unknown value, which the Tool menu also treats as the three-channel model) two lamps.
bool HasCombinedLamp(int model);

// States of the left and right lamps: 0 brake and turn, 3 brake only, 2 turn only, 1 neither.
int LeftLampState(std::uint8_t bits);
int RightLampState(std::uint8_t bits);
// State of the combined lamp by brake B, left L, right R: 0 B+L+R, 2 B+L, 3 L+R, 4 B+R, 5 L,
// 6 B, 7 R, 1 none.
int CombinedLampState(std::uint8_t bits);

// Everything the indicator draws over its background, for a client area of width x height.
GlyphList CarSignalGlyphs(std::uint8_t bits, int model, int width, int height);

} // namespace trevix
