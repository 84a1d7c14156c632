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

} // namespace

bool LocalFieldsToSeconds(int year, int month, int day, int hour, int minute, int second,
                          std::int64_t& seconds) {
    // The range the system's calendar conversion accepts; mktime itself would normalise.
    if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
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

std::int64_t RecorderTimeCache::ToMs(const SYSTEMTIME& time) {
    // The epoch-day repair and minutes or seconds outside the calendar go the uncached way.
    if (time.wYear <= 1970 || time.wMinute > 59 || time.wSecond > 59)
        return ToRecorderMs(time);
    // Every field whole in the key, so that no other fields (read from a card file) can meet
    // an hour already converted.
    const std::uint64_t key = (std::uint64_t{time.wYear} << 48) |
                              (std::uint64_t{time.wMonth} << 32) |
                              (std::uint64_t{time.wDay} << 16) | time.wHour;
    if (!valid_ || key != key_) {
        // An hour whose last second lies 3599 seconds after its first has no change of the
        // clock inside it; any other hour (a change of half an hour, a repeated hour) is
        // converted time by time.
        std::int64_t start = 0, end = 0;
        const bool whole =
            LocalFieldsToSeconds(time.wYear, time.wMonth, time.wDay, time.wHour, 0, 0, start) &&
            LocalFieldsToSeconds(time.wYear, time.wMonth, time.wDay, time.wHour, 59, 59, end) &&
            end - start == 3599;
        valid_ = true;
        key_ = key;
        hourStart_ = whole ? std::optional<std::int64_t>(start) : std::nullopt;
    }
    if (!hourStart_)
        return ToRecorderMs(time);
    return (*hourStart_ + time.wMinute * 60 + time.wSecond) * 1000 + time.wMilliseconds;
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
