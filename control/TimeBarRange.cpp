#include "control/TimeBarRange.h"

#include "catalogue/SearchViews.h"
#include "recorder/InfoVdxFile.h"
#include "recorder/RecorderTime.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace trevix {
namespace {

constexpr std::uint8_t kPhaseTrigger = 3;
constexpr int kStartLabelX = 10;
constexpr int kMiddleLabelX = 333;
constexpr int kEndLabelX = 656;
constexpr int kLabelBottom = 571;

} // namespace

std::int32_t WholeSecondsBetween(std::int64_t fromMs, std::int64_t toMs) {
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(toMs, fromMs, &difference))
        return toMs > fromMs ? std::numeric_limits<std::int32_t>::max()
                             : std::numeric_limits<std::int32_t>::min();
    const std::int64_t seconds = difference / 1000;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(seconds, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

TimeBarSetting TimeBarRange::Set(int loadedKind, std::int64_t startMs, std::int64_t endMs,
                                 std::int64_t currentMs) {
    normal_ = loadedKind == kLoadedNormal;
    if (!normal_) {
        startMs_ = 0;
        endMs_ = 0;
        return TimeBarSetting{};
    }
    startMs_ = startMs;
    endMs_ = endMs;
    TimeBarSetting setting;
    // An end before the start (a damaged index) leaves an empty range.
    setting.maximum = std::max<std::int32_t>(0, WholeSecondsBetween(startMs, endMs));
    setting.position = std::clamp(SecondsFromStart(currentMs), setting.minimum, setting.maximum);
    return setting;
}

std::int64_t TimeBarRange::TimeAtPosition(std::int32_t position) const {
    std::int64_t time = 0;
    if (__builtin_add_overflow(startMs_, static_cast<std::int64_t>(position) * 1000, &time))
        return position > 0 ? std::numeric_limits<std::int64_t>::max()
                            : std::numeric_limits<std::int64_t>::min();
    return time;
}

std::vector<TimeBarLabel> TimeBarRange::Labels() const {
    if (!normal_ || startMs_ == endMs_)
        return {};
    // start + (end - start) / 2; times far apart enough to overflow take the halves' sum.
    std::int64_t difference = 0;
    const std::int64_t middle = __builtin_sub_overflow(endMs_, startMs_, &difference)
                                    ? startMs_ / 2 + endMs_ / 2
                                    : startMs_ + difference / 2;
    return {
        TimeBarLabel{TimeBarLabelText(startMs_), kStartLabelX, kLabelBottom,
                     TimeBarLabel::Align::Left},
        TimeBarLabel{TimeBarLabelText(endMs_), kEndLabelX, kLabelBottom,
                     TimeBarLabel::Align::Right},
        TimeBarLabel{TimeBarLabelText(middle), kMiddleLabelX, kLabelBottom,
                     TimeBarLabel::Align::Centre},
    };
}

std::string TimeBarLabelText(std::int64_t ms) {
    const SYSTEMTIME time = FromRecorderMs(ms);
    char text[64];
    std::snprintf(text, sizeof text, "%.4d.%.2d.%.2d %.2d:%.2d:%.2d", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::vector<std::int32_t> EventTriggerMarks(std::span<const CInfoVdxFile> keyChannelFiles,
                                            std::int64_t startMs) {
    std::vector<std::int32_t> marks;
    bool previousWasTrigger = false;
    for (const CInfoVdxFile& file : keyChannelFiles) {
        for (const FRAMEINFOVIDEO& frame : file.m_pFrames) {
            const bool trigger = frame.byPhase == kPhaseTrigger;
            if (trigger && !previousWasTrigger) {
                const std::int32_t second =
                    WholeSecondsBetween(startMs, ToRecorderMs(frame.stTime));
                if (std::find(marks.begin(), marks.end(), second) == marks.end())
                    marks.push_back(second);
            }
            previousWasTrigger = trigger;
        }
    }
    return marks;
}

std::vector<SlideSpan> RecordedFileSpans(std::span<const CInfoVdxFile> referenceChannelFiles,
                                         std::int64_t startMs) {
    std::vector<SlideSpan> spans;
    for (const CInfoVdxFile& file : referenceChannelFiles) {
        if (file.m_pFrames.empty())
            continue;
        spans.push_back(
            SlideSpan{WholeSecondsBetween(startMs, ToRecorderMs(file.m_pFrames.front().stTime)),
                      WholeSecondsBetween(startMs, ToRecorderMs(file.m_pFrames.back().stTime))});
    }
    return spans;
}

} // namespace trevix
