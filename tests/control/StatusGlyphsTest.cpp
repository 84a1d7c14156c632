// The glyphs of the date-time, speed, G value and GPS displays: which cell of which strip goes
// where for known values, the no-value markers, and damaged values that must not break a line.
#include "control/StatusGlyphs.h"

#include "app/SkinFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace trevix {
namespace {

namespace item = skin_item;

// A glyph as strip, cell, x and y: the part the rules decide.
using Placed = std::tuple<int, int, int, int>;

std::vector<Placed> Places(const GlyphList& glyphs) {
    std::vector<Placed> places;
    for (const GlyphDraw& glyph : glyphs)
        places.emplace_back(glyph.strip, glyph.cell, glyph.x, glyph.y);
    return places;
}

// The cells of one strip drawn on the line at y, in order of x.
std::vector<std::pair<int, int>> CellsAt(const GlyphList& glyphs, int strip, int y) {
    std::vector<std::pair<int, int>> cells;
    for (const GlyphDraw& glyph : glyphs)
        if (glyph.strip == strip && glyph.y == y)
            cells.emplace_back(glyph.x, glyph.cell);
    std::sort(cells.begin(), cells.end());
    return cells;
}

SYSTEMTIME Time(int year, int month, int day, int dow, int hour, int minute, int second,
                int ms = 0) {
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(year);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wDay = static_cast<std::uint16_t>(day);
    t.wDayOfWeek = static_cast<std::uint16_t>(dow);
    t.wHour = static_cast<std::uint16_t>(hour);
    t.wMinute = static_cast<std::uint16_t>(minute);
    t.wSecond = static_cast<std::uint16_t>(second);
    t.wMilliseconds = static_cast<std::uint16_t>(ms);
    return t;
}

TEST(StripCellTest, CellsOfEqualAndUnequalStrips) {
    const auto digit = StripCellOf(item::kLargeDigits, 7);
    ASSERT_TRUE(digit);
    EXPECT_EQ(digit->x, 77);
    EXPECT_EQ(digit->width, 11);
    EXPECT_EQ(digit->height, 15);
    const auto second = StripCellOf(item::kValueMarks, kMarkSecond);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->x, 12);
    EXPECT_EQ(second->width, 7);
    const auto label = StripCellOf(item::kInputLabels, 2);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->x, 14);
    EXPECT_EQ(label->width, 9);

    EXPECT_FALSE(StripCellOf(item::kWeekdayNames, 7));
    EXPECT_FALSE(StripCellOf(item::kValueDigits, -1));
    EXPECT_FALSE(StripCellOf(item::kBackground, 0));
    GlyphList glyphs;
    AddGlyph(glyphs, item::kCompassLetters, 4, 0, 0); // beyond W: nothing is drawn
    EXPECT_TRUE(glyphs.empty());
}

TEST(DateTimeGlyphsTest, EveryFieldInItsPlace) {
    const int bottom = 22;
    const GlyphList glyphs = DateTimeGlyphs(Time(2024, 5, 19, 0, 13, 7, 45), bottom);
    const std::vector<Placed> expected = {
        {item::kSmallDigitsA, 2, 5, 6},     {item::kSmallDigitsA, 0, 15, 6},
        {item::kSmallDigitsA, 2, 25, 6},    {item::kSmallDigitsA, 4, 35, 6},
        {item::kDateSeparators, 0, 45, 3},  {item::kSmallDigitsA, 0, 53, 6},
        {item::kSmallDigitsA, 5, 63, 6},    {item::kDateSeparators, 0, 73, 3},
        {item::kSmallDigitsA, 1, 81, 6},    {item::kSmallDigitsA, 9, 91, 6},
        {item::kWeekdayNames, 0, 104, 6},   {item::kLargeDigits, 1, 136, 3},
        {item::kLargeDigits, 3, 149, 3},    {item::kDateSeparators, 1, 162, 3},
        {item::kLargeDigits, 0, 170, 3},    {item::kLargeDigits, 7, 183, 3},
        {item::kDateSeparators, 0, 196, 3}, {item::kSmallDigitsB, 4, 204, 6},
        {item::kSmallDigitsB, 5, 214, 6},
    };
    EXPECT_EQ(Places(glyphs), expected);
}

TEST(DateTimeGlyphsTest, DamagedDayOfWeekDropsOnlyTheName) {
    const GlyphList glyphs = DateTimeGlyphs(Time(2024, 5, 19, 9, 13, 7, 45), 22);
    EXPECT_TRUE(CellsAt(glyphs, item::kWeekdayNames, 6).empty());
    EXPECT_EQ(glyphs.size(), 18u);
    // Fields beyond two digits show their last digits.
    const GlyphList wide = DateTimeGlyphs(Time(2024, 123, 19, 6, 99, 7, 45), 22);
    EXPECT_EQ(CellsAt(wide, item::kSmallDigitsA, 6)[4], (std::pair<int, int>{53, 2}));
    EXPECT_EQ(CellsAt(wide, item::kWeekdayNames, 6)[0], (std::pair<int, int>{104, 6}));
}

TEST(DateTimeGlyphsTest, ShownTimeIgnoresMillisecondsAndDayOfWeek) {
    const SYSTEMTIME a = Time(2024, 5, 19, 0, 13, 7, 45, 100);
    EXPECT_TRUE(SameShownTime(a, Time(2024, 5, 19, 3, 13, 7, 45, 900)));
    EXPECT_FALSE(SameShownTime(a, Time(2024, 5, 19, 0, 13, 7, 46, 100)));
    EXPECT_FALSE(SameShownTime(a, Time(2025, 5, 19, 0, 13, 7, 45, 100)));
}

GPSINFO Fix(bool valid, std::uint16_t speed) {
    GPSINFO fix;
    fix.byGpsValid = valid ? 1 : 0;
    fix.wGpsB = speed;
    return fix;
}

TEST(SpeedGlyphsTest, NoLeadingZerosAndThreePlaces) {
    const auto digits = [](int kmh) {
        return CellsAt(SpeedGlyphs(MakeSpeedReading(0, Fix(true, static_cast<std::uint16_t>(kmh))),
                                   kSpeedSourceGps),
                       item::kSpeedDigits, 1);
    };
    using Cells = std::vector<std::pair<int, int>>;
    EXPECT_EQ(digits(0), (Cells{{42, 0}}));
    EXPECT_EQ(digits(7), (Cells{{42, 7}}));
    EXPECT_EQ(digits(87), (Cells{{22, 8}, {42, 7}}));
    EXPECT_EQ(digits(100), (Cells{{2, 1}, {22, 0}, {42, 0}}));
    EXPECT_EQ(digits(1234), (Cells{{2, 2}, {22, 3}, {42, 4}}));
}

TEST(SpeedGlyphsTest, GpsSourceWithoutFixShowsOneDashButPulseSourceShowsThePulse) {
    const SpeedReading reading = MakeSpeedReading(64, Fix(false, 88));
    EXPECT_EQ(reading.gpsSpeed, 0); // an invalid fix carries no speed
    using Cells = std::vector<std::pair<int, int>>;
    EXPECT_EQ(CellsAt(SpeedGlyphs(reading, kSpeedSourceGps), item::kSpeedDigits, 1),
              (Cells{{42, kDashCell}}));
    EXPECT_EQ(CellsAt(SpeedGlyphs(reading, kSpeedSourceCarPulse), item::kSpeedDigits, 1),
              (Cells{{22, 6}, {42, 4}}));
    // Any DisplaySpeed other than 1 is GPS.
    EXPECT_EQ(SpeedGlyphs(reading, 7), SpeedGlyphs(reading, kSpeedSourceGps));
}

TEST(SpeedGlyphsTest, PulseSpeedIsKeptWithinSixteenBits) {
    EXPECT_EQ(MakeSpeedReading(-5, Fix(true, 1)).pulseSpeed, 0);
    EXPECT_EQ(MakeSpeedReading(70000, Fix(true, 1)).pulseSpeed, 65535);
}

TEST(SpeedGlyphsTest, SourceLabelAndMarkOnThePanel) {
    EXPECT_EQ(Places(SpeedSourceGlyphs(kSpeedSourceCarPulse)),
              (std::vector<Placed>{{item::kSpeedSourceLabel, 0, 121, 576},
                                   {item::kSpeedSourceMark, 0, 168, 580}}));
    EXPECT_EQ(Places(SpeedSourceGlyphs(kSpeedSourceGps)),
              (std::vector<Placed>{{item::kSpeedSourceLabel, 1, 121, 576},
                                   {item::kSpeedSourceMark, 1, 168, 580}}));
}

TEST(DigitsWithTwoDecimalsTest, PrintedDigitsAroundThePoint) {
    const auto digits = [](double value) {
        const auto shown = DigitsWithTwoDecimals(value);
        EXPECT_TRUE(shown) << value;
        return shown ? std::vector<int>{shown->tens, shown->units, shown->tenths, shown->hundredths}
                     : std::vector<int>{};
    };
    EXPECT_EQ(digits(5.5), (std::vector<int>{0, 5, 5, 0}));
    EXPECT_EQ(digits(0.0), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(digits(59.999), (std::vector<int>{6, 0, 0, 0})); // rounds up like the print
    EXPECT_EQ(digits(123.456), (std::vector<int>{2, 3, 4, 6}));
    EXPECT_EQ(digits(1e300)[2], 0); // the longest values still fit
    EXPECT_FALSE(DigitsWithTwoDecimals(-0.5));
    EXPECT_FALSE(DigitsWithTwoDecimals(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(DigitsWithTwoDecimals(std::numeric_limits<double>::infinity()));
}

TEST(GValueGlyphsTest, SignDigitPointAndDecimals) {
    using Cells = std::vector<std::pair<int, int>>;
    const GlyphList negative = GValueGlyphs(-0.53f);
    EXPECT_EQ(CellsAt(negative, item::kValueDigits, 2),
              (Cells{{2, kDashCell}, {16, 0}, {36, 5}, {50, 3}}));
    EXPECT_EQ(CellsAt(negative, item::kValueMarks, 2), (Cells{{30, kMarkPoint}}));
    // Ten g or more: only the last integer digit.
    EXPECT_EQ(CellsAt(GValueGlyphs(12.5f), item::kValueDigits, 2),
              (Cells{{16, 2}, {36, 5}, {50, 0}}));
    EXPECT_EQ(CellsAt(GValueGlyphs(1.0f), item::kValueDigits, 2),
              (Cells{{16, 1}, {36, 0}, {50, 0}}));
}

TEST(GValueGlyphsTest, NoValueAndUnprintableValuesShowDashes) {
    using Cells = std::vector<std::pair<int, int>>;
    const Cells dashes = {{16, kDashCell}, {36, kDashCell}, {50, kDashCell}};
    for (const float value :
         {kNoGValue, std::numeric_limits<float>::quiet_NaN(),
          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
        const GlyphList glyphs = GValueGlyphs(value);
        EXPECT_EQ(CellsAt(glyphs, item::kValueDigits, 2), dashes) << value;
        EXPECT_EQ(CellsAt(glyphs, item::kValueMarks, 2), (Cells{{30, kMarkPoint}})) << value;
    }
}

GPSINFO ValidFix() {
    GPSINFO fix;
    fix.byGpsValid = 1;
    fix.chLatHemi = 'N';
    fix.wLatDeg = 37;
    fix.wLatMin = 30;
    fix.fLatSec = 5.5f;
    fix.chLonHemi = 'E';
    fix.wLonDeg = 127;
    fix.wLonMin = 2;
    fix.fLonSec = 59.25f;
    return fix;
}

TEST(GpsGlyphsTest, LatitudeAndLongitudeLines) {
    const int height = 45;
    const GlyphList glyphs = GpsGlyphs(ValidFix(), height);
    using Cells = std::vector<std::pair<int, int>>;
    EXPECT_EQ(CellsAt(glyphs, item::kValueDigits, 3),
              (Cells{{15, 3}, {29, 7}, {49, 3}, {63, 0}, {83, 0}, {97, 5}, {117, 5}, {131, 0}}));
    EXPECT_EQ(CellsAt(glyphs, item::kValueMarks, 3),
              (Cells{{43, kMarkDegree}, {77, kMarkMinute}, {111, kMarkPoint}, {145, kMarkSecond}}));
    EXPECT_EQ(CellsAt(glyphs, item::kCompassLetters, 3), (Cells{{154, kCompassN}}));
    const int lower = height - 20;
    EXPECT_EQ(
        CellsAt(glyphs, item::kValueDigits, lower),
        (Cells{{0, 1}, {14, 2}, {28, 7}, {48, 0}, {62, 2}, {82, 5}, {96, 9}, {116, 2}, {130, 5}}));
    EXPECT_EQ(CellsAt(glyphs, item::kValueMarks, lower),
              (Cells{{42, kMarkDegree}, {76, kMarkMinute}, {110, kMarkPoint}, {144, kMarkSecond}}));
    EXPECT_EQ(CellsAt(glyphs, item::kCompassLetters, lower), (Cells{{153, kCompassE}}));
}

TEST(GpsGlyphsTest, AnyLetterButNorthIsSouthAndAnyButEastIsWest) {
    GPSINFO fix = ValidFix();
    using Cells = std::vector<std::pair<int, int>>;
    for (const char letter : {'S', 'X', '\0'}) {
        fix.chLatHemi = letter;
        fix.chLonHemi = letter;
        const GlyphList glyphs = GpsGlyphs(fix, 45);
        EXPECT_EQ(CellsAt(glyphs, item::kCompassLetters, 3), (Cells{{154, kCompassS}}));
        EXPECT_EQ(CellsAt(glyphs, item::kCompassLetters, 25), (Cells{{153, kCompassW}}));
    }
}

TEST(GpsGlyphsTest, InvalidFixShowsDashesAndNorthEastWithoutMarks) {
    GPSINFO fix = ValidFix();
    fix.byGpsValid = 0;
    fix.chLatHemi = 'S';
    const GlyphList glyphs = GpsGlyphs(fix, 45);
    std::vector<int> upper, lower;
    for (const GlyphDraw& glyph : glyphs) {
        EXPECT_NE(glyph.strip, item::kValueMarks);
        if (glyph.strip == item::kValueDigits) {
            EXPECT_EQ(glyph.cell, kDashCell);
            (glyph.y == 3 ? upper : lower).push_back(glyph.x);
        }
    }
    EXPECT_EQ(upper, (std::vector<int>{15, 29, 49, 63, 83, 97, 117, 131}));
    EXPECT_EQ(lower, (std::vector<int>{0, 14, 28, 48, 62, 82, 96, 116, 130}));
    using Cells = std::vector<std::pair<int, int>>;
    EXPECT_EQ(CellsAt(glyphs, item::kCompassLetters, 3), (Cells{{154, kCompassN}}));
    EXPECT_EQ(CellsAt(glyphs, item::kCompassLetters, 25), (Cells{{153, kCompassE}}));
}

TEST(GpsGlyphsTest, DamagedSecondsKeepTheLineWhole) {
    GPSINFO fix = ValidFix();
    fix.fLatSec = std::numeric_limits<float>::quiet_NaN();
    fix.fLonSec = -3.0f;
    fix.wLatDeg = 512; // the last two digits of the degrees
    const GlyphList glyphs = GpsGlyphs(fix, 45);
    using Cells = std::vector<std::pair<int, int>>;
    const Cells upper = CellsAt(glyphs, item::kValueDigits, 3);
    EXPECT_EQ(upper, (Cells{{15, 1},
                            {29, 2},
                            {49, 3},
                            {63, 0},
                            {83, kDashCell},
                            {97, kDashCell},
                            {117, kDashCell},
                            {131, kDashCell}}));
    EXPECT_EQ(CellsAt(glyphs, item::kValueMarks, 25).size(), 4u);
}

TEST(GpsGlyphsTest, ShownFixComparesLettersAndCoordinatesOnly) {
    const GPSINFO fix = ValidFix();
    GPSINFO other = fix;
    other.wGpsA = 9; // not shown
    EXPECT_TRUE(SameShownFix(fix, other));
    other.chLatHemi = 'S';
    EXPECT_FALSE(SameShownFix(fix, other));
    other = fix;
    other.fLonSec = 59.26f;
    EXPECT_FALSE(SameShownFix(fix, other));
    other = fix;
    other.byGpsValid = 0;
    EXPECT_FALSE(SameShownFix(fix, other));
}

} // namespace
} // namespace trevix
