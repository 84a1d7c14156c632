#include "control/StatusGlyphs.h"

#include "app/SkinFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace trevix {
namespace {

namespace item = skin_item;

// Strips of equal cells: skin item, cell width, height, number of cells.
struct EqualCells {
    int strip;
    int width;
    int height;
    int cells;
};
constexpr std::array<EqualCells, 14> kEqualCellStrips = {{
    {item::kSmallDigitsA, 8, 12, 10},
    {item::kSmallDigitsB, 8, 12, 10},
    {item::kLargeDigits, 11, 15, 12},
    {item::kWeekdayNames, 27, 12, 7},
    {item::kDateSeparators, 6, 15, 2},
    {item::kValueDigits, 12, 17, 11},
    {item::kCompassLetters, 13, 16, 4},
    {item::kSpeedDigits, 18, 27, 11},
    {item::kSpeedSourceLabel, 42, 12, 2},
    {item::kSpeedSourceMark, 11, 11, 2},
    {item::kLeftLamp, 65, 22, 4},
    {item::kRightLamp, 65, 22, 4},
    {item::kCombinedLamp, 65, 22, 8},
    {item::kInputLamps, 14, 14, 2},
}};

// Strips whose cells differ in width: x and width of each cell.
struct Span {
    int x;
    int width;
};
constexpr int kValueMarksHeight = 17;
constexpr std::array<Span, 4> kValueMarkCells = {{{0, 4}, {4, 4}, {8, 4}, {12, 7}}};
constexpr int kInputLabelsHeight = 13;
constexpr std::array<Span, 4> kInputLabelCells = {{{0, 5}, {5, 9}, {14, 9}, {23, 9}}};

std::optional<StripCell> IrregularCell(std::span<const Span> cells, int height, int cell) {
    if (cell < 0 || static_cast<std::size_t>(cell) >= cells.size())
        return std::nullopt;
    const Span& span = cells[static_cast<std::size_t>(cell)];
    return StripCell{span.x, span.width, height};
}

// Digit d (0-9) of value counted from the units (place 0).
int DigitAt(unsigned value, int place) {
    for (int i = 0; i < place; ++i)
        value /= 10;
    return static_cast<int>(value % 10);
}

// Date and time.
constexpr int kSmallDigitTop = 16; // above the bottom
constexpr int kLargeDigitTop = 19;
constexpr std::array<int, 4> kYearX = {5, 15, 25, 35};
constexpr int kFirstSeparatorX = 45;
constexpr std::array<int, 2> kMonthX = {53, 63};
constexpr int kSecondSeparatorX = 73;
constexpr std::array<int, 2> kDayX = {81, 91};
constexpr int kWeekdayX = 104;
constexpr std::array<int, 2> kHourX = {136, 149};
constexpr int kColonX = 162;
constexpr std::array<int, 2> kMinuteX = {170, 183};
constexpr int kThirdSeparatorX = 196;
constexpr std::array<int, 2> kSecondX = {204, 214};
constexpr int kSeparatorCell = 0;
constexpr int kColonCell = 1;
constexpr int kWeekdays = 7;

// Speed.
constexpr int kSpeedTop = 1;
constexpr int kSpeedHundredsX = 2;
constexpr int kSpeedTensX = 22;
constexpr int kSpeedUnitsX = 42;
constexpr int kSpeedLabelX = 121;
constexpr int kSpeedLabelY = 576;
constexpr int kSpeedMarkX = 168;
constexpr int kSpeedMarkY = 580;
constexpr int kCarPulseCell = 0;
constexpr int kGpsCell = 1;

// G value.
constexpr int kGValueTop = 2;
constexpr int kGSignX = 2;
constexpr int kGUnitsX = 16;
constexpr int kGPointX = 30;
constexpr int kGTenthsX = 36;
constexpr int kGHundredthsX = 50;

// GPS position: the places of one line.
struct GpsLine {
    std::array<int, 3> degreeX; // a negative place is not drawn (latitude has two)
    int degreeMarkX;
    std::array<int, 2> minuteX;
    int minuteMarkX;
    std::array<int, 2> secondX;
    int pointX;
    std::array<int, 2> decimalX;
    int secondMarkX;
    int letterX;
};
constexpr GpsLine kLatitudeLine = {{-1, 15, 29}, 43,         {49, 63}, 77, {83, 97},
                                   111,          {117, 131}, 145,      154};
constexpr GpsLine kLongitudeLine = {{0, 14, 28}, 42,         {48, 62}, 76, {82, 96},
                                    110,         {116, 130}, 144,      153};
constexpr int kLatitudeTop = 3;
constexpr int kLongitudeTopFromBottom = 20;

void AddDigitPlaces(GlyphList& glyphs, int strip, std::span<const int> xs, unsigned value, int y) {
    const int places = static_cast<int>(xs.size());
    for (int i = 0; i < places; ++i)
        if (xs[static_cast<std::size_t>(i)] >= 0)
            AddGlyph(glyphs, strip, DigitAt(value, places - 1 - i), xs[static_cast<std::size_t>(i)],
                     y);
}

void AddDashes(GlyphList& glyphs, std::span<const int> xs, int y) {
    for (const int x : xs)
        if (x >= 0)
            AddGlyph(glyphs, item::kValueDigits, kDashCell, x, y);
}

void AddGpsLine(GlyphList& glyphs, const GpsLine& line, unsigned degrees, unsigned minutes,
                float seconds, int letterCell, int y) {
    const int digits = item::kValueDigits;
    const int marks = item::kValueMarks;
    AddDigitPlaces(glyphs, digits, line.degreeX, degrees, y);
    AddGlyph(glyphs, marks, kMarkDegree, line.degreeMarkX, y);
    AddDigitPlaces(glyphs, digits, line.minuteX, minutes, y);
    AddGlyph(glyphs, marks, kMarkMinute, line.minuteMarkX, y);
    if (const auto shown = DigitsWithTwoDecimals(seconds)) {
        AddGlyph(glyphs, digits, shown->tens, line.secondX[0], y);
        AddGlyph(glyphs, digits, shown->units, line.secondX[1], y);
        AddGlyph(glyphs, marks, kMarkPoint, line.pointX, y);
        AddGlyph(glyphs, digits, shown->tenths, line.decimalX[0], y);
        AddGlyph(glyphs, digits, shown->hundredths, line.decimalX[1], y);
    } else {
        // Seconds that are no number (a damaged record) show dashes around the point.
        AddDashes(glyphs, line.secondX, y);
        AddGlyph(glyphs, marks, kMarkPoint, line.pointX, y);
        AddDashes(glyphs, line.decimalX, y);
    }
    AddGlyph(glyphs, marks, kMarkSecond, line.secondMarkX, y);
    AddGlyph(glyphs, item::kCompassLetters, letterCell, line.letterX, y);
}

void AddInvalidGpsLine(GlyphList& glyphs, const GpsLine& line, int letterCell, int y) {
    AddDashes(glyphs, line.degreeX, y);
    AddDashes(glyphs, line.minuteX, y);
    AddDashes(glyphs, line.secondX, y);
    AddDashes(glyphs, line.decimalX, y);
    AddGlyph(glyphs, item::kCompassLetters, letterCell, line.letterX, y);
}

} // namespace

std::optional<StripCell> StripCellOf(int strip, int cell) {
    if (strip == item::kValueMarks)
        return IrregularCell(kValueMarkCells, kValueMarksHeight, cell);
    if (strip == item::kInputLabels)
        return IrregularCell(kInputLabelCells, kInputLabelsHeight, cell);
    const auto found =
        std::find_if(kEqualCellStrips.begin(), kEqualCellStrips.end(),
                     [strip](const EqualCells& cells) { return cells.strip == strip; });
    if (found == kEqualCellStrips.end() || cell < 0 || cell >= found->cells)
        return std::nullopt;
    return StripCell{cell * found->width, found->width, found->height};
}

void AddGlyph(GlyphList& glyphs, int strip, int cell, int x, int y) {
    const auto source = StripCellOf(strip, cell);
    if (!source)
        return;
    AddStretchedGlyph(glyphs, strip, cell, x, y, source->width, source->height);
}

void AddStretchedGlyph(GlyphList& glyphs, int strip, int cell, int x, int y, int width,
                       int height) {
    const auto source = StripCellOf(strip, cell);
    if (!source || width <= 0 || height <= 0)
        return;
    glyphs.push_back(
        GlyphDraw{strip, cell, source->x, source->width, source->height, x, y, width, height});
}

std::optional<TwoDecimalDigits> DigitsWithTwoDecimals(double value) {
    if (!std::isfinite(value) || value < 0.0)
        return std::nullopt;
    // Room for the longest finite double printed with two decimals.
    std::array<char, std::numeric_limits<double>::max_exponent10 + 8> text{};
    const int length = std::snprintf(text.data(), text.size(), "%.2f", value);
    if (length < 4 || static_cast<std::size_t>(length) >= text.size())
        return std::nullopt;
    const char* point = std::strchr(text.data(), '.');
    if (point == nullptr || point + 2 >= text.data() + length)
        return std::nullopt;
    const auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : 0; };
    TwoDecimalDigits digits;
    digits.units = digit(point[-1]);
    digits.tens = point - 1 > text.data() ? digit(point[-2]) : 0;
    digits.tenths = digit(point[1]);
    digits.hundredths = digit(point[2]);
    return digits;
}

GlyphList DateTimeGlyphs(const SYSTEMTIME& time, int clientHeight) {
    GlyphList glyphs;
    const int small = clientHeight - kSmallDigitTop;
    const int large = clientHeight - kLargeDigitTop;
    AddDigitPlaces(glyphs, item::kSmallDigitsA, kYearX, time.wYear, small);
    AddGlyph(glyphs, item::kDateSeparators, kSeparatorCell, kFirstSeparatorX, large);
    AddDigitPlaces(glyphs, item::kSmallDigitsA, kMonthX, time.wMonth, small);
    AddGlyph(glyphs, item::kDateSeparators, kSeparatorCell, kSecondSeparatorX, large);
    AddDigitPlaces(glyphs, item::kSmallDigitsA, kDayX, time.wDay, small);
    // A day of week outside 0 (Sunday) to 6 comes from a damaged record: no name is shown.
    if (time.wDayOfWeek < kWeekdays)
        AddGlyph(glyphs, item::kWeekdayNames, time.wDayOfWeek, kWeekdayX, small);
    AddDigitPlaces(glyphs, item::kLargeDigits, kHourX, time.wHour, large);
    AddGlyph(glyphs, item::kDateSeparators, kColonCell, kColonX, large);
    AddDigitPlaces(glyphs, item::kLargeDigits, kMinuteX, time.wMinute, large);
    AddGlyph(glyphs, item::kDateSeparators, kSeparatorCell, kThirdSeparatorX, large);
    AddDigitPlaces(glyphs, item::kSmallDigitsB, kSecondX, time.wSecond, small);
    return glyphs;
}

bool SameShownTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

SpeedReading MakeSpeedReading(int pulseKmh, const GPSINFO& fix) {
    SpeedReading reading;
    reading.gpsValid = fix.byGpsValid;
    reading.gpsSpeed = fix.byGpsValid != 0 ? GpsFixSpeedKmh(fix) : 0;
    reading.pulseSpeed = static_cast<std::uint16_t>(
        std::clamp(pulseKmh, 0, static_cast<int>(std::numeric_limits<std::uint16_t>::max())));
    return reading;
}

GlyphList SpeedGlyphs(const SpeedReading& reading, int displaySpeed) {
    GlyphList glyphs;
    const int strip = item::kSpeedDigits;
    const bool pulse = IsCarPulseSource(displaySpeed);
    if (!pulse && reading.gpsValid == 0) {
        AddGlyph(glyphs, strip, kDashCell, kSpeedUnitsX, kSpeedTop);
        return glyphs;
    }
    const unsigned value = pulse ? reading.pulseSpeed : reading.gpsSpeed;
    // Three places: a speed of 1000 km/h or more shows its last three digits.
    if (value >= 100)
        AddGlyph(glyphs, strip, DigitAt(value, 2), kSpeedHundredsX, kSpeedTop);
    if (value >= 10)
        AddGlyph(glyphs, strip, DigitAt(value, 1), kSpeedTensX, kSpeedTop);
    AddGlyph(glyphs, strip, DigitAt(value, 0), kSpeedUnitsX, kSpeedTop);
    return glyphs;
}

GlyphList SpeedSourceGlyphs(int displaySpeed) {
    const int cell = IsCarPulseSource(displaySpeed) ? kCarPulseCell : kGpsCell;
    GlyphList glyphs;
    AddGlyph(glyphs, item::kSpeedSourceLabel, cell, kSpeedLabelX, kSpeedLabelY);
    AddGlyph(glyphs, item::kSpeedSourceMark, cell, kSpeedMarkX, kSpeedMarkY);
    return glyphs;
}

GlyphList GValueGlyphs(float value) {
    GlyphList glyphs;
    const int digits = item::kValueDigits;
    const auto noValue = [&] {
        glyphs.clear();
        AddGlyph(glyphs, digits, kDashCell, kGUnitsX, kGValueTop);
        AddGlyph(glyphs, item::kValueMarks, kMarkPoint, kGPointX, kGValueTop);
        AddGlyph(glyphs, digits, kDashCell, kGTenthsX, kGValueTop);
        AddGlyph(glyphs, digits, kDashCell, kGHundredthsX, kGValueTop);
        return glyphs;
    };
    if (value == kNoGValue || std::isnan(value))
        return noValue();
    double magnitude = value;
    if (value < 0.0f) {
        AddGlyph(glyphs, digits, kDashCell, kGSignX, kGValueTop);
        magnitude = -static_cast<double>(value);
    }
    const auto shown = DigitsWithTwoDecimals(magnitude);
    if (!shown)
        return noValue(); // an infinite value
    AddGlyph(glyphs, digits, shown->units, kGUnitsX, kGValueTop);
    AddGlyph(glyphs, item::kValueMarks, kMarkPoint, kGPointX, kGValueTop);
    AddGlyph(glyphs, digits, shown->tenths, kGTenthsX, kGValueTop);
    AddGlyph(glyphs, digits, shown->hundredths, kGHundredthsX, kGValueTop);
    return glyphs;
}

GlyphList GpsGlyphs(const GPSINFO& fix, int clientHeight) {
    GlyphList glyphs;
    const int longitudeTop = clientHeight - kLongitudeTopFromBottom;
    if (fix.byGpsValid == 0) {
        AddInvalidGpsLine(glyphs, kLatitudeLine, kCompassN, kLatitudeTop);
        AddInvalidGpsLine(glyphs, kLongitudeLine, kCompassE, longitudeTop);
        return glyphs;
    }
    AddGpsLine(glyphs, kLatitudeLine, fix.wLatDeg, fix.wLatMin, fix.fLatSec,
               fix.chLatHemi == 'N' ? kCompassN : kCompassS, kLatitudeTop);
    AddGpsLine(glyphs, kLongitudeLine, fix.wLonDeg, fix.wLonMin, fix.fLonSec,
               fix.chLonHemi == 'E' ? kCompassE : kCompassW, longitudeTop);
    return glyphs;
}

bool SameShownFix(const GPSINFO& a, const GPSINFO& b) {
    // Seconds are compared as shown; two unprintable values count as the same.
    const auto sameSeconds = [](float x, float y) {
        return x == y || (std::isnan(x) && std::isnan(y));
    };
    return a.byGpsValid == b.byGpsValid && a.chLatHemi == b.chLatHemi &&
           a.chLonHemi == b.chLonHemi && a.wLatDeg == b.wLatDeg && a.wLatMin == b.wLatMin &&
           sameSeconds(a.fLatSec, b.fLatSec) && a.wLonDeg == b.wLonDeg && a.wLonMin == b.wLonMin &&
           sameSeconds(a.fLonSec, b.fLonSec);
}

} // namespace trevix
