// What the time bar covers: the start and end of the loaded Normal list, the bar's range and
// position in whole seconds from the start, the marks of event triggers and the recorded spans
// of a recording, and the three time labels the main panel draws under the bar.
#pragma once

#include "control/SlideBarModel.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trevix {

class CInfoVdxFile;

// One time label under the bar, in the main panel's coordinates; y is the text's bottom.
struct TimeBarLabel {
    enum class Align { Left, Centre, Right };
    std::string text;
    int x = 0;
    int y = 0;
    Align align = Align::Left;

    bool operator==(const TimeBarLabel&) const = default;
};

// The strip of the main panel the labels are drawn in: left, top, right, bottom (exclusive).
struct PanelStrip {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
inline constexpr PanelStrip kTimeLabelStrip = {10, 556, 657, 571};

// Whole seconds from fromMs to toMs, truncated toward zero and kept within 32 bits.
std::int32_t WholeSecondsBetween(std::int64_t fromMs, std::int64_t toMs);

// Range and position for the bar.
struct TimeBarSetting {
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t position = 0;

    bool operator==(const TimeBarSetting&) const = default;
};

class TimeBarRange {
public:
    // For a Normal list (loaded kind 2): keep start and end; the range runs from 0 to the
    // whole seconds between them, the position is the whole seconds from start to current.
    // For any other list everything is 0. Times are recorder milliseconds.
    TimeBarSetting Set(int loadedKind, std::int64_t startMs, std::int64_t endMs,
                       std::int64_t currentMs);

    bool IsNormal() const { return normal_; }
    std::int64_t StartMs() const { return startMs_; }
    std::int64_t EndMs() const { return endMs_; }

    // Whole seconds from the start to ms (truncated toward zero, kept within 32 bits).
    std::int32_t SecondsFromStart(std::int64_t ms) const {
        return WholeSecondsBetween(startMs_, ms);
    }
    // The recorder time of a bar position: the start plus position seconds.
    std::int64_t TimeAtPosition(std::int32_t position) const;

    // Start, end and middle time as "%.4d.%.2d.%.2d %.2d:%.2d:%.2d" (local time); none unless a
    // Normal list whose start and end differ is loaded.
    std::vector<TimeBarLabel> Labels() const;

private:
    bool normal_ = false;
    std::int64_t startMs_ = 0;
    std::int64_t endMs_ = 0;
};

// The text of a label: the local date and time of recorder milliseconds.
std::string TimeBarLabelText(std::int64_t ms);

// The seconds from startMs of every picture of the key channel's files that starts an event
// trigger (phase 3 after a picture of another phase, or the channel's first picture), each
// second once, in order of the pictures.
std::vector<std::int32_t> EventTriggerMarks(std::span<const CInfoVdxFile> keyChannelFiles,
                                            std::int64_t startMs);

// For every file of the reference channel with pictures, the seconds from startMs of its first
// and last picture.
std::vector<SlideSpan> RecordedFileSpans(std::span<const CInfoVdxFile> referenceChannelFiles,
                                         std::int64_t startMs);

} // namespace trevix
