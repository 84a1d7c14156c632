// The recorder's log text: the "$MVDRL3" header line and, once a second, the GPS sentences
// (RMC, GGA, GSV) followed by the "$MVDRL" line that completes the second's sample.
#pragma once

#include "tools/mkcard/DriveModel.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace trevix::mkcard {

// "$" body "*" two hex digits of the XOR of body, CR LF.
std::string NmeaLine(std::string_view body);

std::string LogHeaderLine(int formatNumber, std::string_view drid, std::string_view sdid);
// utcMs is the wall clock of the fix in UTC.
std::string RmcLine(std::int64_t utcMs, const DriveState& state);
std::string GgaLine(std::int64_t utcMs, const DriveState& state);
// All GSV sentences of the satellites in view (four a sentence).
std::string GsvLines(const DriveState& state, std::uint64_t seed);
// wallMs is the recorder's own clock; time and date are written as hhmmss and ddmmyy.
std::string MvdrlLine(int sequence, std::int64_t wallMs, const DriveState& state,
                      std::uint16_t speedRaw, std::uint8_t status);

} // namespace trevix::mkcard
