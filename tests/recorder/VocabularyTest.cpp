#include "recorder/Vocabulary.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace trevix;

TEST(TitleTime, ReadsTheTimeStampAsLocalTime) {
    {
        test::ScopedTimeZone utc("UTC0");
        EXPECT_EQ(TitleTimeToSeconds("0000000123,2009.03.12 10.15.30"), 1236852930);
    }
    {
        // Central Europe: UTC+1 in March, UTC+2 in July (daylight saving from the system rules).
        test::ScopedTimeZone cet("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(TitleTimeToSeconds("0000000123,2009.03.12 10.15.30"), 1236852930 - 3600);
        EXPECT_EQ(TitleTimeToSeconds("0000000123,2009.07.12 10.15.30"), 1247393730 - 7200);
    }
}

TEST(TitleTime, FirstOfJanuary1970ReadsAsTheSecond) {
    test::ScopedTimeZone utc("UTC0");
    EXPECT_EQ(TitleTimeToSeconds("0000000001,1970.01.01 00.00.05"), 86400 + 5);
    EXPECT_EQ(TitleTimeToSeconds("0000000001,1970-01-01T12:00:00"), 86400 + 12 * 3600);
    EXPECT_EQ(TitleTimeToSeconds("0000000001,1970.01.02 00.00.05"), 86400 + 5);
    EXPECT_EQ(TitleTimeToSeconds("0000000001,1970.01.03 00.00.00"), 2 * 86400);
}

TEST(TitleTime, FieldsOutsideTheCalendarGiveNothing) {
    test::ScopedTimeZone utc("UTC0");
    EXPECT_FALSE(TitleTimeToSeconds("0000000001,2009.13.12 10.15.30"));
    EXPECT_FALSE(TitleTimeToSeconds("0000000001,2009.02.29 10.15.30"));
    EXPECT_FALSE(TitleTimeToSeconds("0000000001,2009.03.12 24.00.00"));
    EXPECT_FALSE(TitleTimeToSeconds("0000000001,abcd.ef.gh ij.kl.mn"));
    EXPECT_FALSE(TitleTimeToSeconds("0000000001,2009"));
    EXPECT_FALSE(TitleTimeToSeconds(""));
    EXPECT_FALSE(TitleTimeToSeconds(","));
    EXPECT_EQ(TitleTimeToSeconds("0000000001,2008.02.29 00.00.00"), 1204243200);
}

TEST(TitleTime, NonDigitsReadLikeAtoi) {
    test::ScopedTimeZone utc("UTC0");
    // "3x" reads 3 and " 9" reads 9; the fields then pass the calendar check.
    EXPECT_EQ(TitleTimeToSeconds("1,2009.03.3x 10. 9.30"),
              TitleTimeToSeconds("1,2009.03.03 10.09.30"));
    // A title without a comma reads its fields from the first character.
    EXPECT_EQ(TitleTimeToSeconds("2009.03.12 10.15.30"), 1236852930);
}

TEST(TitleTime, FormatShowsTheCharactersAsTheyStand) {
    EXPECT_EQ(FormatTitleTime("0000000123,2009.03.12 10.15.30"), "2009.03.12 10:15:30");
    EXPECT_EQ(FormatTitleTime("0000000123,2009.3"), "2009.3. ::");
}

TEST(Names, DaysOfTheWeek) {
    EXPECT_EQ(DayName(0), "Sun");
    EXPECT_EQ(DayName(3), "Wed");
    EXPECT_EQ(DayName(6), "Sat");
    EXPECT_EQ(DayName(7), "???");
    EXPECT_EQ(DayName(-1), "???");
}

TEST(Names, EventCodesAreSingleBits) {
    EXPECT_EQ(EventName(0), "Normal");
    EXPECT_EQ(EventName(1), "G-Sensor");
    EXPECT_EQ(EventName(4), "RD Detect");
    EXPECT_EQ(EventName(8), "ACC Switch");
    EXPECT_EQ(EventName(16), "Battery Off");
    EXPECT_EQ(EventName(32), "Event");
    EXPECT_EQ(EventName(64), "Event");
    EXPECT_EQ(EventName(3), "");
    EXPECT_EQ(EventName(128), "");
    EXPECT_EQ(EventName(-1), "");
}

TEST(Names, ExtendedCodeNamesEventsThirtyTwoAndSixtyFour) {
    EXPECT_EQ(EventDisplayName(64, 2), "Sudden Accel/Brake");
    EXPECT_EQ(EventDisplayName(64, 9), "Event");
    EXPECT_EQ(EventDisplayName(32, 1), "Shock");
    EXPECT_EQ(EventDisplayName(32, 3), "Sudden Steering");
    EXPECT_EQ(EventDisplayName(32, 4), "External Trigger");
    EXPECT_EQ(EventDisplayName(32, 0), "Event");
    EXPECT_EQ(EventDisplayName(2, 1), "Switch"); // the extended code only counts for 32 and 64
    EXPECT_EQ(EventDisplayName(3, 1), "");
}

TEST(Names, Cameras) {
    EXPECT_EQ(CameraName(0), "Front");
    EXPECT_EQ(CameraName(1), "Interior");
    EXPECT_EQ(CameraName(2), "Rear");
    EXPECT_EQ(CameraName(3), "Side");
    EXPECT_EQ(CameraName(4), "5");
    EXPECT_EQ(CameraName(-1), "0");
    EXPECT_EQ(CameraName(0, CameraNameForm::FileTag), "cam1");
    EXPECT_EQ(CameraName(1, CameraNameForm::FileTag), "cam2");
    EXPECT_EQ(CameraName(2, CameraNameForm::FileTag), "rear");
    EXPECT_EQ(CameraName(3, CameraNameForm::FileTag), "cam3");
    EXPECT_EQ(CameraName(4, CameraNameForm::FileTag), "5");
    EXPECT_EQ(CameraName(std::numeric_limits<int>::max()), "2147483648");
}

TEST(Names, CourseSectorsIncludeTheirLowerBound) {
    EXPECT_EQ(CourseName(0.0), "N");
    EXPECT_EQ(CourseName(22.49), "N");
    EXPECT_EQ(CourseName(22.5), "NE");
    EXPECT_EQ(CourseName(67.5), "E");
    EXPECT_EQ(CourseName(112.5), "SE");
    EXPECT_EQ(CourseName(157.5), "S");
    EXPECT_EQ(CourseName(202.5), "SW");
    EXPECT_EQ(CourseName(247.5), "W");
    EXPECT_EQ(CourseName(292.5), "NW");
    EXPECT_EQ(CourseName(337.49), "NW");
    EXPECT_EQ(CourseName(337.5), "N");
    EXPECT_EQ(CourseName(359.99), "N");
}

TEST(Names, CourseOutsideTheCircleIsX) {
    EXPECT_EQ(CourseName(360.0), "X");
    EXPECT_EQ(CourseName(-0.01), "X");
    EXPECT_EQ(CourseName(std::nan("")), "X");
    EXPECT_EQ(CourseName(std::numeric_limits<double>::infinity()), "X");
}
