// The recorder's wall clock: calendar fields without a time zone, counted here as milliseconds
// since 1970-01-01 00:00 of that same clock, so adding durations never meets daylight saving.
#pragma once

#include "recorder/RecorderTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trevix::mkcard {

struct WallTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 0; // 0 = Sunday
};

// Milliseconds of the wall clock for its fields (the fields must form a calendar date).
std::int64_t WallMs(int year, int month, int day, int hour, int minute, int second,
                    int millisecond = 0);
WallTime WallFields(std::int64_t wallMs);
SYSTEMTIME ToSystemTime(std::int64_t wallMs);

// "YYYY-MM-DD HH:MM:SS" (also with 'T' or '_' between date and time); nothing when malformed.
std::optional<std::int64_t> ParseWallTime(std::string_view text);

// File title: ten-digit serial, comma, "YYYY_MM_DD_HH_MM_SS".
std::string FileTitle(std::uint32_t serial, std::int64_t wallMs);

} // namespace trevix::mkcard
