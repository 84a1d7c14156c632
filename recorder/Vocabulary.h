// The words and numbers the viewer derives from recorder codes and title times: title time in
// seconds, day, event, camera and heading names. Words come from the language section "GUI".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trevix {

class RecorderTimeCache;

// Seconds since 1970 of a file title's time stamp read as local time of this computer. Each
// field is read like atoi (leading blanks and sign, then digits; none gives 0), and the title
// date "1970" "01" "01" reads as 1970-01-02. Empty when the fields lie outside the calendar
// (month 13, a non-numeric or missing field that reads 0 where 0 is not allowed, ...).
std::optional<std::int64_t> TitleTimeToSeconds(std::string_view title);
// The same through a cache of the local-time conversion, for a run of titles.
std::optional<std::int64_t> TitleTimeToSeconds(std::string_view title, RecorderTimeCache& times);

// "%s.%s.%s %s:%s:%s" of the title's year, month, day, hour, minute and second as they stand.
std::string FormatTitleTime(std::string_view title);

// "Sun" ... "Sat" for day of week 0..6, "???" otherwise.
std::string DayName(int dayOfWeek);

// Event codes and the extended codes named when the event code is 32 or 64.
inline constexpr std::uint8_t kEventNormal = 0;
inline constexpr std::uint8_t kEventGSensor = 1;
inline constexpr std::uint8_t kEventSwitch = 2;
inline constexpr std::uint8_t kEventRdDetect = 4;
inline constexpr std::uint8_t kEventAccSwitch = 8;
inline constexpr std::uint8_t kEventBatteryOff = 16;
inline constexpr std::uint8_t kEventExtended32 = 32;
inline constexpr std::uint8_t kEventExtended64 = 64;

std::string EventName(int eventCode);      // empty for codes without a name
std::string EventNameEx(int extendedCode); // "Event" for unknown extended codes
bool UsesExtendedEventName(int eventCode);
// The name shown wherever an event is named: EventNameEx for codes 32 and 64, else EventName.
std::string EventDisplayName(int eventCode, int extendedCode);

// Camera names of ChannelIndex 0..3: the translated display form ("Front", ...) or the
// untranslated file-tag form ("cam1", "cam2", "rear", "cam3"); other channels: channel + 1.
enum class CameraNameForm { Display, FileTag };
std::string CameraName(int channel, CameraNameForm form = CameraNameForm::Display);

// Compass sector of a heading in degrees ("N" ... "NW"); "X" outside [0, 360) and for NaN.
std::string CourseName(double heading);

} // namespace trevix
