#include "tools/mkcard/WallClock.h"

#include <chrono>
#include <cstdio>

namespace trevix::mkcard {
namespace {

constexpr std::int64_t kMsPerDay = 86400000;

std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
    std::int64_t quotient = value / divisor;
    if ((value % divisor != 0) && ((value < 0) != (divisor < 0)))
        --quotient;
    return quotient;
}

} // namespace

std::int64_t WallMs(int year, int month, int day, int hour, int minute, int second,
                    int millisecond) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                        std::chrono::day{static_cast<unsigned>(day)}};
    const std::int64_t days = date.time_since_epoch().count();
    return days * kMsPerDay + ((hour * 60 + minute) * 60 + second) * 1000LL + millisecond;
}

WallTime WallFields(std::int64_t wallMs) {
    using namespace std::chrono;
    const std::int64_t days = FloorDiv(wallMs, kMsPerDay);
    const std::int64_t inDay = wallMs - days * kMsPerDay;
    const sys_days date{std::chrono::days{days}};
    const year_month_day ymd{date};
    WallTime fields;
    fields.year = static_cast<int>(ymd.year());
    fields.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    fields.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    fields.hour = static_cast<int>(inDay / 3600000);
    fields.minute = static_cast<int>(inDay / 60000 % 60);
    fields.second = static_cast<int>(inDay / 1000 % 60);
    fields.millisecond = static_cast<int>(inDay % 1000);
    fields.dayOfWeek = static_cast<int>(weekday{date}.c_encoding());
    return fields;
}

SYSTEMTIME ToSystemTime(std::int64_t wallMs) {
    const WallTime fields = WallFields(wallMs);
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(fields.year);
    time.wMonth = static_cast<std::uint16_t>(fields.month);
    time.wDayOfWeek = static_cast<std::uint16_t>(fields.dayOfWeek);
    time.wDay = static_cast<std::uint16_t>(fields.day);
    time.wHour = static_cast<std::uint16_t>(fields.hour);
    time.wMinute = static_cast<std::uint16_t>(fields.minute);
    time.wSecond = static_cast<std::uint16_t>(fields.second);
    time.wMilliseconds = static_cast<std::uint16_t>(fields.millisecond);
    return time;
}

std::optional<std::int64_t> ParseWallTime(std::string_view text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() != 19)
        return std::nullopt;
    const std::string copy(text);
    char sep1 = 0, sep2 = 0, sep3 = 0, sep4 = 0, sep5 = 0;
    if (std::sscanf(copy.c_str(), "%4d%c%2d%c%2d%c%2d%c%2d%c%2d", &year, &sep1, &month, &sep2, &day,
                    &sep3, &hour, &sep4, &minute, &sep5, &second) != 11)
        return std::nullopt;
    if (sep1 != '-' || sep2 != '-' || (sep3 != ' ' && sep3 != 'T' && sep3 != '_') || sep4 != ':' ||
        sep5 != ':')
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year} /
                              std::chrono::month{static_cast<unsigned>(month)} /
                              std::chrono::day{static_cast<unsigned>(day)}};
    if (year < 2000 || year > 2099 || !date.ok() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return WallMs(year, month, day, hour, minute, second);
}

std::string FileTitle(std::uint32_t serial, std::int64_t wallMs) {
    const WallTime t = WallFields(wallMs);
    char text[64];
    std::snprintf(text, sizeof text, "%010u,%04d_%02d_%02d_%02d_%02d_%02d", serial, t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
    return text;
}

} // namespace trevix::mkcard
