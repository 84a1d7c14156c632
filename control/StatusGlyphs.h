// What the status displays below the video area draw: for each value, the list of glyphs (a cell
// of one of the skin's picture strips and the place it goes in the display's client area). The
// windows only fill their background and copy these cells.
#pragma once

#include "recorder/FrameInfo.h"
#include "recorder/RecorderTime.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace trevix {

// One cell of a picture strip copied into a display. The cell spans the strip's whole height;
// the destination has the cell's size unless the display stretches it (the car-signal lamps).
struct GlyphDraw {
    int strip = 0; // skin item of the picture strip
    int cell = 0;  // cell index within the strip
    int sourceX = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    int x = 0; // destination in the display's client area
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const GlyphDraw&) const = default;
};

using GlyphList = std::vector<GlyphDraw>;

// Where cell `cell` lies in a strip: x, width and the strip's height. Empty for a strip this
// table does not know or a cell beyond its last.
struct StripCell {
    int x = 0;
    int width = 0;
    int height = 0;
};
std::optional<StripCell> StripCellOf(int strip, int cell);

// The cell of a strip placed unscaled at (x, y); nothing is added for an unknown cell.
void AddGlyph(GlyphList& glyphs, int strip, int cell, int x, int y);
// The cell stretched into the box (x, y, width, height).
void AddStretchedGlyph(GlyphList& glyphs, int strip, int cell, int x, int y, int width, int height);

// Cells of the value-digit and speed-digit strips.
inline constexpr int kDashCell = 10;
// Cells of the value-mark strip.
inline constexpr int kMarkPoint = 0;
inline constexpr int kMarkDegree = 1;
inline constexpr int kMarkMinute = 2;
inline constexpr int kMarkSecond = 3;
// Cells of the compass strip.
inline constexpr int kCompassN = 0;
inline constexpr int kCompassS = 1;
inline constexpr int kCompassE = 2;
inline constexpr int kCompassW = 3;

// The G value that means "no value": it shows dashes.
inline constexpr float kNoGValue = 9999.0f;

// The digits of a non-negative value printed with two decimals ("%.2f"): the last two digits
// before the point (zero-padded) and the two after it. Empty for a negative or non-finite value.
struct TwoDecimalDigits {
    int tens = 0;
    int units = 0;
    int tenths = 0;
    int hundredths = 0;
};
std::optional<TwoDecimalDigits> DigitsWithTwoDecimals(double value);

// Date and time display: the year, month and day in the small digits, the day of week, hour
// and minute in the large digits, the seconds in the second small digits. clientHeight is the
// height of the client area; every top is measured from its bottom. Milliseconds are not shown.
GlyphList DateTimeGlyphs(const SYSTEMTIME& time, int clientHeight);
// Whether two times show the same: year, month, day, hour, minute and second (the day of week
// follows from the date, the milliseconds are not shown).
bool SameShownTime(const SYSTEMTIME& a, const SYSTEMTIME& b);

// The speed sources of the DisplaySpeed setting.
inline constexpr int kSpeedSourceGps = 0;
inline constexpr int kSpeedSourceCarPulse = 1;
// 1 is the car pulse; every other value is GPS.
constexpr bool IsCarPulseSource(int displaySpeed) {
    return displaySpeed == kSpeedSourceCarPulse;
}

// The speed in km/h carried by a GPS fix (its second speed value).
constexpr std::uint16_t GpsFixSpeedKmh(const GPSINFO& fix) {
    return fix.wGpsB;
}

// What the speed display keeps.
struct SpeedReading {
    std::uint16_t gpsSpeed = 0; // km/h, 0 unless the fix was valid
    std::uint8_t gpsValid = 0;
    std::uint16_t pulseSpeed = 0; // km/h

    bool operator==(const SpeedReading&) const = default;
};
// The reading of a car-pulse speed and a fix; pulse speeds beyond 16 bits are clamped.
SpeedReading MakeSpeedReading(int pulseKmh, const GPSINFO& fix);

// Speed digits for the display source: no leading zeros, at most three places; a dash in the
// units place for the GPS source with an invalid fix.
GlyphList SpeedGlyphs(const SpeedReading& reading, int displaySpeed);

// The speed source label and mark that the main panel draws beside the speed display, in the
// panel's coordinates.
GlyphList SpeedSourceGlyphs(int displaySpeed);

// One G value: a dash for a negative value, then one integer digit, the point and two decimals;
// the no-value marker (or a value that is not a number) shows dashes around the point.
GlyphList GValueGlyphs(float value);

// The GPS position: latitude on the upper line, longitude on the lower; an invalid fix shows
// dashes in every digit place and the letters N and E.
GlyphList GpsGlyphs(const GPSINFO& fix, int clientHeight);

// Whether two fixes show the same on the GPS display (the valid flag, the letters, the degrees,
// minutes and seconds of both coordinates).
bool SameShownFix(const GPSINFO& a, const GPSINFO& b);

} // namespace trevix
