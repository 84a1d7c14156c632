// The time bar's range for the loaded list, its labels, and the marks and spans of a recording.
#include "control/TimeBarRange.h"

#include "catalogue/SearchViews.h"
#include "recorder/InfoVdxFile.h"
#include "recorder/RecorderTime.h"

#include <gtest/gtest.h>

#include <limits>

namespace trevix {
namespace {

std::int64_t LocalMs(int year, int month, int day, int hour, int minute, int second) {
    std::int64_t seconds = 0;
    EXPECT_TRUE(LocalFieldsToSeconds(year, month, day, hour, minute, second, seconds));
    return seconds * 1000;
}

TEST(TimeBarRangeTest, NormalListCoversStartToEndInWholeSeconds) {
    TimeBarRange range;
    const std::int64_t start = LocalMs(2024, 5, 19, 13, 0, 0);
    const TimeBarSetting setting =
        range.Set(kLoadedNormal, start, start + 3599'999, start + 61'500);
    EXPECT_EQ(setting, (TimeBarSetting{0, 3599, 61}));
    EXPECT_TRUE(range.IsNormal());
    EXPECT_EQ(range.SecondsFromStart(start + 999), 0);
    EXPECT_EQ(range.TimeAtPosition(61), start + 61'000);
}

TEST(TimeBarRangeTest, OtherListsGetAnEmptyBar) {
    TimeBarRange range;
    const std::int64_t start = LocalMs(2024, 5, 19, 13, 0, 0);
    for (const int kind : {kLoadedNone, kLoadedEvent, kLoadedMemo, kLoadedLog}) {
        EXPECT_EQ(range.Set(kind, start, start + 60'000, start + 30'000), TimeBarSetting{});
        EXPECT_FALSE(range.IsNormal());
        EXPECT_TRUE(range.Labels().empty());
    }
}

TEST(TimeBarRangeTest, CurrentOutsideAndEndsOutOfOrderStayWithinTheBar) {
    TimeBarRange range;
    const std::int64_t start = LocalMs(2024, 5, 19, 13, 0, 0);
    EXPECT_EQ(range.Set(kLoadedNormal, start, start + 60'000, start - 5'000),
              (TimeBarSetting{0, 60, 0}));
    EXPECT_EQ(range.Set(kLoadedNormal, start, start + 60'000, start + 90'000),
              (TimeBarSetting{0, 60, 60}));
    // A damaged index with the end before the start.
    EXPECT_EQ(range.Set(kLoadedNormal, start, start - 60'000, start), TimeBarSetting{});
    // Times so far apart that their difference overflows.
    constexpr auto far = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(range.Set(kLoadedNormal, -far, far, 0).maximum,
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(range.TimeAtPosition(0), -far);
    range.Set(kLoadedNormal, far - 10, far, far);
    EXPECT_EQ(range.TimeAtPosition(1000), far); // kept at the largest time
}

TEST(TimeBarRangeTest, LabelsShowStartMiddleAndEnd) {
    TimeBarRange range;
    const std::int64_t start = LocalMs(2024, 5, 19, 13, 0, 0);
    range.Set(kLoadedNormal, start, LocalMs(2024, 5, 19, 14, 0, 1), start);
    const std::vector<TimeBarLabel> labels = range.Labels();
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0], (TimeBarLabel{"2024.05.19 13:00:00", 10, 571, TimeBarLabel::Align::Left}));
    EXPECT_EQ(labels[1],
              (TimeBarLabel{"2024.05.19 14:00:01", 656, 571, TimeBarLabel::Align::Right}));
    EXPECT_EQ(labels[2],
              (TimeBarLabel{"2024.05.19 13:30:00", 333, 571, TimeBarLabel::Align::Centre}));
}

TEST(TimeBarRangeTest, EqualStartAndEndShowNoLabels) {
    TimeBarRange range;
    const std::int64_t start = LocalMs(2024, 5, 19, 13, 0, 0);
    range.Set(kLoadedNormal, start, start, start);
    EXPECT_TRUE(range.Labels().empty());
}

FRAMEINFOVIDEO Frame(std::int64_t ms, std::uint8_t phase) {
    FRAMEINFOVIDEO frame;
    frame.stTime = FromRecorderMs(ms);
    frame.byPhase = phase;
    return frame;
}

CInfoVdxFile File(std::vector<FRAMEINFOVIDEO> frames) {
    CInfoVdxFile file;
    file.m_pFrames = std::move(frames);
    file.m_nFrameCount = static_cast<int>(file.m_pFrames.size());
    return file;
}

TEST(TimeBarMarksTest, TriggerStartsOfTheKeyChannelInSeconds) {
    const std::int64_t start = LocalMs(2024, 5, 19, 13, 0, 0);
    std::vector<CInfoVdxFile> files;
    files.push_back(File({Frame(start, 1), Frame(start + 10'000, 2), Frame(start + 12'400, 3),
                          Frame(start + 12'500, 3), Frame(start + 20'000, 1)}));
    // A trigger continuing into the next file is one event; a new one after phase 1 is another.
    files.push_back(File({}));
    files.push_back(
        File({Frame(start + 30'000, 3), Frame(start + 31'000, 1), Frame(start + 40'900, 3),
              Frame(start + 40'950, 1), Frame(start + 40'990, 3)}));
    EXPECT_EQ(EventTriggerMarks(files, start), (std::vector<std::int32_t>{12, 30, 40}));

    std::vector<CInfoVdxFile> continuing;
    continuing.push_back(File({Frame(start + 1'000, 3), Frame(start + 2'000, 3)}));
    continuing.push_back(File({Frame(start + 3'000, 3)}));
    EXPECT_EQ(EventTriggerMarks(continuing, start), (std::vector<std::int32_t>{1}));
}

TEST(TimeBarSpansTest, FirstAndLastPictureOfEveryFile) {
    const std::int64_t start = LocalMs(2024, 5, 19, 13, 0, 0);
    std::vector<CInfoVdxFile> files;
    files.push_back(File({Frame(start, 1), Frame(start + 59'900, 1)}));
    files.push_back(File({}));
    files.push_back(File({Frame(start + 65'000, 1)}));
    EXPECT_EQ(RecordedFileSpans(files, start), (std::vector<SlideSpan>{{0, 59}, {65, 65}}));
}

} // namespace
} // namespace trevix
