#include "recorder/RecorderTime.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace trevix;

TEST(RecorderTime, FieldsAreReadAsLocalTime) {
    test::ScopedTimeZone zone("Asia/Seoul");
    SYSTEMTIME time{2009, 3, 0, 12, 10, 15, 30, 250};
    // 2009-03-12 10:15:30 KST is 01:15:30 UTC.
    EXPECT_EQ(ToRecorderMs(time), 1236820530LL * 1000 + 250);
    const SYSTEMTIME back = FromRecorderMs(ToRecorderMs(time));
    EXPECT_EQ(back.wHour, 10);
    EXPECT_EQ(back.wDayOfWeek, 4); // Thursday
    EXPECT_EQ(back.wMilliseconds, 250);
}

TEST(RecorderTime, FirstOfJanuary1970ReadsAsTheSecond) {
    test::ScopedTimeZone zone("UTC");
    const SYSTEMTIME time{1970, 1, 0, 1, 12, 0, 0, 500};
    EXPECT_EQ(ToRecorderMs(time), (86400LL + 12 * 3600) * 1000 + 500);
    const SYSTEMTIME zero{};
    EXPECT_EQ(ToRecorderMs(zero), 86400LL * 1000);
}

TEST(RecorderTime, FieldsOutsideTheCalendarGiveTheCurrentTime) {
    test::ScopedTimeZone zone("UTC");
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    for (const SYSTEMTIME bad :
         {SYSTEMTIME{2009, 13, 0, 1, 0, 0, 0, 0}, SYSTEMTIME{2009, 2, 0, 29, 0, 0, 0, 0},
          SYSTEMTIME{2009, 1, 0, 1, 24, 0, 0, 0}})
        EXPECT_NEAR(static_cast<double>(ToRecorderMs(bad)), static_cast<double>(now), 5000.0);
    EXPECT_EQ(ToRecorderMs({2008, 2, 0, 29, 0, 0, 0, 0}), 1204243200LL * 1000);
}

TEST(RecorderTime, DaylightSavingIsDecidedByTheSystem) {
    test::ScopedTimeZone zone("Europe/Berlin");
    // 12:00 in winter is 11:00 UTC, in summer 10:00 UTC.
    EXPECT_EQ(ToRecorderMs({2020, 1, 0, 15, 12, 0, 0, 0}) / 1000, 1579086000LL);
    EXPECT_EQ(ToRecorderMs({2020, 7, 0, 15, 12, 0, 0, 0}) / 1000, 1594807200LL);
}
