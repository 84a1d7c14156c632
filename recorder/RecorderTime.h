// The recorder's wall-clock fields and their conversion to recorder milliseconds: the fields read
// as local time of this computer, as a signed 64-bit count of milliseconds since 1970.
#pragma once

#include <cstdint>
#include <optional>

namespace trevix {

// Calendar fields as the recorder writes them (the Windows SYSTEMTIME layout, 16 bytes).
struct SYSTEMTIME {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};
static_assert(sizeof(SYSTEMTIME) == 16);

// Seconds since 1970 of the fields read as local time (daylight saving decided by the system),
// or false when a field lies outside the calendar.
bool LocalFieldsToSeconds(int year, int month, int day, int hour, int minute, int second,
                          std::int64_t& seconds);

// 1970-01-01 reads as 1970-01-02; fields outside the calendar give the current time.
std::int64_t ToRecorderMs(const SYSTEMTIME& time);

// ToRecorderMs for a run of times: the conversion of each hour's start is kept, since local-time
// conversion costs a time-zone lookup and the times of a file or log mostly share their hour.
// Within an hour that holds no change of the clock, minutes and seconds add to its start as
// plain seconds; the times of an hour that holds one are converted one by one.
class RecorderTimeCache {
public:
    // LocalFieldsToSeconds and ToRecorderMs, with the same results.
    bool ToSeconds(int year, int month, int day, int hour, int minute, int second,
                   std::int64_t& seconds);
    std::int64_t ToMs(const SYSTEMTIME& time);

private:
    bool valid_ = false;
    std::uint64_t key_ = 0;
    std::optional<std::int64_t> hourStart_; // empty for an hour with a change of the clock
};

// The local-time fields of recorder milliseconds (with day of week), for display.
SYSTEMTIME FromRecorderMs(std::int64_t ms);

} // namespace trevix
