#include "recorder/RecorderTime.h"

#include <chrono>
#include <ctime>

namespace trevix {
namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The range the system's calendar conversion accepts; mktime itself would normalise.
bool InCalendar(int year, int month, int day, int hour, int minute, int second) {
    return year >= 1601 && year <= 30827 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
           minute <= 59 && second >= 0 && second <= 59;
}

} // namespace

bool LocalFieldsToSeconds(int year, int month, int day, int hour, int minute, int second,
                          std::int64_t& seconds) {
    if (!InCalendar(year, month, day, hour, minute, second))
        return false;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    fields.tm_wday = -1; // mktime sets it on success, so a true -1 result is told from failure
    const std::time_t result = std::mktime(&fields);
    if (fields.tm_wday == -1)
        return false;
    seconds = static_cast<std::int64_t>(result);
    return true;
}

std::int64_t ToRecorderMs(const SYSTEMTIME& time) {
    int year = time.wYear, month = time.wMonth, day = time.wDay;
    if (year <= 1970 && month <= 1 && day <= 1) {
        year = 1970;
        month = 1;
        day = 2;
    }
    std::int64_t seconds = 0;
    if (!LocalFieldsToSeconds(year, month, day, time.wHour, time.wMinute, time.wSecond, seconds))
        seconds = std::chrono::duration_cast<std::chrono::seconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
    return seconds * 1000 + time.wMilliseconds;
}

bool RecorderTimeCache::ToSeconds(int year, int month, int day, int hour, int minute, int second,
                                  std::int64_t& seconds) {
    if (!InCalendar(year, month, day, hour, minute, second))
        return false;
    const std::uint64_t key =
        (static_cast<std::uint64_t>(year) << 24) | (static_cast<std::uint64_t>(month) << 16) |
        (static_cast<std::uint64_t>(day) << 8) | static_cast<std::uint64_t>(hour);
    if (!valid_ || key != key_) {
        // An hour whose last second lies 3599 seconds after its first has no change of the
        // clock inside it; any other hour (a change of half an hour, a repeated hour) is
        // converted time by time.
        std::int64_t start = 0, end = 0;
        const bool whole = LocalFieldsToSeconds(year, month, day, hour, 0, 0, start) &&
                           LocalFieldsToSeconds(year, month, day, hour, 59, 59, end) &&
                           end - start == 3599;
        valid_ = true;
        key_ = key;
        hourStart_ = whole ? std::optional<std::int64_t>(start) : std::nullopt;
    }
    if (!hourStart_)
        return LocalFieldsToSeconds(year, month, day, hour, minute, second, seconds);
    seconds = *hourStart_ + minute * 60 + second;
    return true;
}

std::int64_t RecorderTimeCache::ToMs(const SYSTEMTIME& time) {
    // The epoch-day repair of ToRecorderMs goes the uncached way.
    if (time.wYear <= 1970)
        return ToRecorderMs(time);
    std::int64_t seconds = 0;
    if (!ToSeconds(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                   seconds))
        return ToRecorderMs(time); // outside the calendar: the current time
    return seconds * 1000 + time.wMilliseconds;
}

SYSTEMTIME FromRecorderMs(std::int64_t ms) {
    std::int64_t seconds = ms / 1000;
    std::int64_t rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    const auto clock = static_cast<std::time_t>(seconds);
    std::tm fields{};
    localtime_r(&clock, &fields);
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(fields.tm_year + 1900);
    time.wMonth = static_cast<std::uint16_t>(fields.tm_mon + 1);
    time.wDayOfWeek = static_cast<std::uint16_t>(fields.tm_wday);
    time.wDay = static_cast<std::uint16_t>(fields.tm_mday);
    time.wHour = static_cast<std::uint16_t>(fields.tm_hour);
    time.wMinute = static_cast<std::uint16_t>(fields.tm_min);
    time.wSecond = static_cast<std::uint16_t>(fields.tm_sec);
    time.wMilliseconds = static_cast<std::uint16_t>(rest);
    return time;
}

} // namespace trevix
