#include "recorder/Vocabulary.h"

#include "app/Lang.h"
#include "recorder/CardLayout.h"
#include "recorder/RecorderTime.h"

#include <array>
#include <cmath>

namespace trevix {
namespace {

// atoi of a short field: leading blanks, an optional sign, then decimal digits.
int ReadFieldNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r')))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    int value = 0;
    // Title fields are at most four characters, so this cannot overflow; the bound keeps it so.
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && value < 100000; ++pos)
        value = value * 10 + (text[pos] - '0');
    return negative ? -value : value;
}

std::string GuiText(std::string_view key, std::string_view englishDefault) {
    return Lang("GUI", key, englishDefault);
}

struct Word {
    std::string_view key;
    std::string_view english;
};

} // namespace

namespace {

// The title's start through convert (LocalFieldsToSeconds or a cache of it).
template <typename Convert>
std::optional<std::int64_t> TitleSeconds(std::string_view title, Convert convert) {
    const RecorderTitle fields(title);
    std::string_view day = fields.Day();
    if (fields.Year() == "1970" && fields.Month() == "01" && day == "01")
        day = "02";
    std::int64_t seconds = 0;
    if (!convert(ReadFieldNumber(fields.Year()), ReadFieldNumber(fields.Month()),
                 ReadFieldNumber(day), ReadFieldNumber(fields.Hour()),
                 ReadFieldNumber(fields.Minute()), ReadFieldNumber(fields.Second()), seconds))
        return std::nullopt;
    return seconds;
}

} // namespace

std::optional<std::int64_t> TitleTimeToSeconds(std::string_view title) {
    return TitleSeconds(title, LocalFieldsToSeconds);
}

std::optional<std::int64_t> TitleTimeToSeconds(std::string_view title, RecorderTimeCache& times) {
    return TitleSeconds(title, [&](int year, int month, int day, int hour, int minute, int second,
                                   std::int64_t& seconds) {
        return times.ToSeconds(year, month, day, hour, minute, second, seconds);
    });
}

std::string FormatTitleTime(std::string_view title) {
    return RecorderTitle(title).StartText();
}

std::string DayName(int dayOfWeek) {
    static constexpr std::array<Word, 7> kDays = {{{"Sunday", "Sun"},
                                                   {"Monday", "Mon"},
                                                   {"Tuesday", "Tue"},
                                                   {"Wednesday", "Wed"},
                                                   {"Thursday", "Thu"},
                                                   {"Friday", "Fri"},
                                                   {"Saturday", "Sat"}}};
    if (dayOfWeek < 0 || dayOfWeek >= static_cast<int>(kDays.size()))
        return "???";
    const Word& word = kDays[static_cast<std::size_t>(dayOfWeek)];
    return GuiText(word.key, word.english);
}

std::string EventName(int eventCode) {
    switch (eventCode) {
    case kEventNormal:
        return GuiText("Normal", "Normal");
    case kEventGSensor:
        return GuiText("GSensor", "G-Sensor");
    case kEventSwitch:
        return GuiText("Switch", "Switch");
    case kEventRdDetect:
        return GuiText("RDDetect", "RD Detect");
    case kEventAccSwitch:
        return GuiText("ACCSwitch", "ACC Switch");
    case kEventBatteryOff:
        return GuiText("BattOff", "Battery Off");
    case kEventExtended32:
    case kEventExtended64:
        return GuiText("Event", "Event");
    default:
        return {};
    }
}

std::string EventNameEx(int extendedCode) {
    switch (extendedCode) {
    case 1:
        return GuiText("RDExtShock", "Shock");
    case 2:
        return GuiText("RDExtAccel", "Sudden Accel/Brake");
    case 3:
        return GuiText("RDExtSteering", "Sudden Steering");
    case 4:
        return GuiText("RDExtTrigger", "External Trigger");
    default:
        return GuiText("Event", "Event");
    }
}

bool UsesExtendedEventName(int eventCode) {
    return eventCode == kEventExtended32 || eventCode == kEventExtended64;
}

std::string EventDisplayName(int eventCode, int extendedCode) {
    return UsesExtendedEventName(eventCode) ? EventNameEx(extendedCode) : EventName(eventCode);
}

std::string CameraName(int channel, CameraNameForm form) {
    static constexpr std::array<Word, 4> kDisplay = {{{"FrontView", "Front"},
                                                      {"InteriorView", "Interior"},
                                                      {"RearView", "Rear"},
                                                      {"SideView", "Side"}}};
    static constexpr std::array<std::string_view, 4> kFileTags = {"cam1", "cam2", "rear", "cam3"};
    if (channel < 0 || channel >= static_cast<int>(kDisplay.size()))
        return std::to_string(static_cast<long long>(channel) + 1);
    const auto index = static_cast<std::size_t>(channel);
    if (form == CameraNameForm::FileTag)
        return std::string(kFileTags[index]);
    return GuiText(kDisplay[index].key, kDisplay[index].english);
}

std::string CourseName(double heading) {
    // Sectors of 45 degrees centred on the eight directions, each including its lower bound.
    static constexpr std::array<Word, 8> kSectors = {{{"CourseN", "N"},
                                                      {"CourseNE", "NE"},
                                                      {"CourseE", "E"},
                                                      {"CourseSE", "SE"},
                                                      {"CourseS", "S"},
                                                      {"CourseSW", "SW"},
                                                      {"CourseW", "W"},
                                                      {"CourseNW", "NW"}}};
    if (!(heading >= 0.0 && heading < 360.0))
        return "X";
    // The bounds are multiples of 22.5 and exact in binary, so the comparison is exact too.
    std::size_t sector = 0;
    for (std::size_t i = 1; i < kSectors.size(); ++i)
        if (heading >= 22.5 + 45.0 * static_cast<double>(i - 1))
            sector = i;
    if (heading >= 337.5)
        sector = 0;
    return GuiText(kSectors[sector].key, kSectors[sector].english);
}

} // namespace trevix
