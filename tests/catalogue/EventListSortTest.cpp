// The header-click sort of the file lists and the other list decisions: padding of the number
// column, the tie rule in both directions, the direction toggle, the columns that never sort,
// the click-to-tick and Check All rules, tab plans and the recording event lines.
#include "catalogue/EventListSort.h"

#include "recorder/RecorderTime.h"
#include "recorder/Vocabulary.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace trevix;

namespace {

using Rows = std::vector<std::vector<std::u16string>>;

CellTextReader Reader(const Rows& rows) {
    return [&rows](int row, int column) {
        return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    };
}

// Column 0 of the rows in the given order.
std::vector<std::u16string> Numbers(const Rows& rows, const std::vector<int>& order) {
    std::vector<std::u16string> numbers;
    for (const int row : order)
        numbers.push_back(rows[static_cast<std::size_t>(row)][0]);
    return numbers;
}

const Rows kEvents = {
    {u"9", u"2024.05.01 10:00:00", u"G-Sensor", u"/c/a"},
    {u"10", u"2024.05.01 09:00:00", u"Switch", u"/c/b"},
    {u"11", u"2024.05.01 11:00:00", u"G-Sensor", u"/c/c"},
    {u"2", u"2024.05.01 08:00:00", u"Switch", u"/c/d"},
};

} // namespace

TEST(EventListSort, NumberColumnIsPaddedSoNineSortsBeforeTen) {
    EXPECT_EQ(PadSortText(u"9"), u"0000000009");
    EXPECT_EQ(PadSortText(u"12345678901"), u"12345678901");
    EventListSortState state{1, true}; // last sorted by another column: next is ascending
    const auto order = SortEventList(kListKindEvent, 4, 0, Reader(kEvents), state);
    ASSERT_TRUE(order);
    EXPECT_EQ(Numbers(kEvents, *order), (std::vector<std::u16string>{u"2", u"9", u"10", u"11"}));
    EXPECT_TRUE(state.ascending);
}

TEST(EventListSort, FirstClickOnNumberOfFreshListSortsDescendingThenAscending) {
    EventListSortState state; // column 0 ascending: the order the window fills
    auto order = SortEventList(kListKindEvent, 4, 0, Reader(kEvents), state);
    ASSERT_TRUE(order);
    EXPECT_FALSE(state.ascending);
    EXPECT_EQ(Numbers(kEvents, *order), (std::vector<std::u16string>{u"11", u"10", u"9", u"2"}));
    order = SortEventList(kListKindEvent, 4, 0, Reader(kEvents), state);
    EXPECT_TRUE(state.ascending);
    EXPECT_EQ(Numbers(kEvents, *order), (std::vector<std::u16string>{u"2", u"9", u"10", u"11"}));
}

TEST(EventListSort, OtherColumnsCompareUnpaddedAndFirstClickIsAscending) {
    EventListSortState state;
    const auto order = SortEventList(kListKindEvent, 4, 1, Reader(kEvents), state);
    ASSERT_TRUE(order);
    EXPECT_EQ(state.column, 1);
    EXPECT_TRUE(state.ascending);
    EXPECT_EQ(Numbers(kEvents, *order), (std::vector<std::u16string>{u"2", u"10", u"9", u"11"}));
    // Unpadded texts compare by code units: "10" < "9".
    EXPECT_LT(CompareSortTexts(u"10", u"9"), 0);
    EXPECT_LT(CompareSortTexts(u"ab", u"abc"), 0);
    EXPECT_GT(CompareSortTexts(u"a", u"B"), 0); // case-sensitive by code unit
    EXPECT_EQ(CompareSortTexts(u"x", u"x"), 0);
}

TEST(EventListSort, TiesKeepAscendingListNumbersInBothDirections) {
    EventListSortState state;
    auto order = SortEventList(kListKindEvent, 4, 2, Reader(kEvents), state);
    ASSERT_TRUE(order);
    EXPECT_EQ(Numbers(kEvents, *order), (std::vector<std::u16string>{u"9", u"11", u"2", u"10"}));
    order = SortEventList(kListKindEvent, 4, 2, Reader(kEvents), state);
    EXPECT_FALSE(state.ascending);
    EXPECT_EQ(Numbers(kEvents, *order), (std::vector<std::u16string>{u"2", u"10", u"9", u"11"}));
}

TEST(EventListSort, LogListNormalDurationAndOutOfRangeColumnsNeverSort) {
    EventListSortState state{1, false};
    EXPECT_FALSE(SortEventList(kListKindLog, 4, 0, Reader(kEvents), state));
    EXPECT_FALSE(SortEventList(kListKindNormal, 4, 2, Reader(kEvents), state));
    EXPECT_FALSE(SortEventList(kListKindEvent, 4, 4, Reader(kEvents), state));
    EXPECT_FALSE(SortEventList(kListKindEvent, 4, -1, Reader(kEvents), state));
    EXPECT_EQ(state.column, 1);
    EXPECT_FALSE(state.ascending);
    EXPECT_TRUE(IsSortableColumn(kListKindNormal, 3));
    EXPECT_TRUE(IsSortableColumn(kListKindMemo, 2));
}

TEST(EventListSort, OneRowStaysButTheStateIsStored) {
    const Rows one = {{u"5", u"x", u"y", u"z"}};
    EventListSortState state;
    const auto order = SortEventList(kListKindMemo, 1, 3, Reader(one), state);
    ASSERT_TRUE(order);
    EXPECT_EQ(*order, std::vector<int>{0});
    EXPECT_EQ(state.column, 3);
    EXPECT_TRUE(state.ascending);
}

TEST(EventListSort, ManyRowsWithDuplicatesComeOutOrderedWithoutLosingRows) {
    Rows rows;
    for (int i = 0; i < 200; ++i) {
        const std::u16string type = (i * 7) % 3 == 0 ? u"A" : ((i % 2) != 0 ? u"B" : u"C");
        const std::string number = std::to_string(200 - i);
        rows.push_back({std::u16string(number.begin(), number.end()), u"t", type, u"p"});
    }
    for (const int column : {0, 2}) {
        for (const bool wantAscending : {true, false}) {
            EventListSortState state{column, !wantAscending};
            const auto order = SortEventList(kListKindEvent, 200, column, Reader(rows), state);
            ASSERT_TRUE(order);
            std::vector<int> sorted = *order;
            std::sort(sorted.begin(), sorted.end());
            for (int i = 0; i < 200; ++i)
                ASSERT_EQ(sorted[static_cast<std::size_t>(i)], i);
            for (std::size_t k = 1; k < order->size(); ++k) {
                const auto& a = rows[static_cast<std::size_t>((*order)[k - 1])];
                const auto& b = rows[static_cast<std::size_t>((*order)[k])];
                const int c = column == 0 ? CompareSortTexts(PadSortText(a[0]), PadSortText(b[0]))
                                          : CompareSortTexts(a[2], b[2]);
                if (c == 0) // ties: ascending numbers whatever the direction
                    EXPECT_LT(CompareSortTexts(PadSortText(a[0]), PadSortText(b[0])), 0);
                else
                    EXPECT_EQ(c < 0, wantAscending);
            }
        }
    }
}

TEST(FileListRules, ClickTickAndCheckAllOrder) {
    EXPECT_FALSE(ClickTogglesCheck(0));
    EXPECT_TRUE(ClickTogglesCheck(1));
    EXPECT_TRUE(ClickTogglesCheck(2));
    EXPECT_EQ(FirstVisibleList(true, true, true, true), SearchList::Event);
    EXPECT_EQ(FirstVisibleList(false, true, true, true), SearchList::Log);
    EXPECT_EQ(FirstVisibleList(false, true, true, false), SearchList::Normal);
    EXPECT_EQ(FirstVisibleList(false, false, true, false), SearchList::Memo);
    EXPECT_FALSE(FirstVisibleList(false, false, false, false));
}

TEST(FileListRules, TabPlans) {
    TabPlan plan = PlanTab(SearchList::Event, true, true, kLoadedLog);
    EXPECT_TRUE(plan.stopMemoSound);
    EXPECT_FALSE(plan.switchList); // its own list is shown: nothing more
    EXPECT_FALSE(plan.unloadAll);
    plan = PlanTab(SearchList::Memo, true, false, kLoadedLog);
    EXPECT_FALSE(plan.stopMemoSound);
    EXPECT_TRUE(plan.unloadAll);
    plan = PlanTab(SearchList::Log, false, false, kLoadedMemo);
    EXPECT_TRUE(plan.unloadAll);
    plan = PlanTab(SearchList::Normal, true, false, kLoadedEvent);
    EXPECT_TRUE(plan.switchList);
    EXPECT_FALSE(plan.unloadAll);
}

namespace {

FRAMEINFOVIDEO Frame(int second, std::uint8_t phase, std::uint8_t code = 0, std::uint8_t ex = 0) {
    FRAMEINFOVIDEO frame;
    frame.stTime.wYear = 2024;
    frame.stTime.wMonth = 3;
    frame.stTime.wDay = 7;
    frame.stTime.wHour = 14;
    frame.stTime.wMinute = 5;
    frame.stTime.wSecond = static_cast<std::uint16_t>(second);
    frame.byPhase = phase;
    frame.byEventCode = code;
    frame.byEventCodeEx = ex;
    return frame;
}

} // namespace

TEST(RecordingEventLines, TriggerStartsInsideEachFileOnly) {
    std::vector<CInfoVdxFile> files(2);
    files[0].m_pFrames = {Frame(1, 2), Frame(2, 3, kEventGSensor), Frame(3, 3), Frame(4, 1),
                          Frame(5, 3, kEventSwitch)};
    // Starts in phase 3: no predecessor in this file, so no line.
    files[1].m_pFrames = {Frame(6, 3), Frame(7, 3)};
    const auto lines = RecordingEventLines(files);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].isEvent);
    EXPECT_EQ(lines[0].text.substr(0, 22), "2024.03.07 14:05:02   ");
    EXPECT_EQ(lines[0].text, "2024.03.07 14:05:02   [" + EventDisplayName(kEventGSensor, 0) + "]");
    EXPECT_EQ(lines[1].text.substr(0, 19), "2024.03.07 14:05:05");
    EXPECT_EQ(EventLineTime(lines[0].text), ToRecorderMs(Frame(2, 3).stTime));
}

TEST(RecordingEventLines, NoTriggerGivesTheNoEventLine) {
    std::vector<CInfoVdxFile> files(1);
    files[0].m_pFrames = {Frame(1, 1), Frame(2, 1)};
    const auto lines = RecordingEventLines(files);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].isEvent);
    EXPECT_EQ(lines[0].text, "No Event is triggered");
    EXPECT_FALSE(EventLineTime(lines[0].text));
    EXPECT_FALSE(EventLineTime("2024.13.01 10:00:00   [x]"));
}
