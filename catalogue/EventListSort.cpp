#include "catalogue/EventListSort.h"

#include "app/Lang.h"
#include "recorder/RecorderTime.h"
#include "recorder/Vocabulary.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace trevix {
namespace {

constexpr std::uint8_t kPhaseTriggered = 3;

class RowComparer {
public:
    RowComparer(const CellTextReader& text, int column, bool ascending)
        : text_(text), column_(column), ascending_(ascending) {}

    int operator()(int x, int y) const {
        std::u16string a = text_(x, column_);
        std::u16string b = text_(y, column_);
        if (column_ == 0) {
            a = PadSortText(std::move(a));
            b = PadSortText(std::move(b));
        }
        const int result = CompareSortTexts(a, b);
        if (result != 0)
            return result;
        // Equal cells: the list numbers decide, so that ties come out ascending either way.
        const int e = CompareSortTexts(PadSortText(text_(x, 0)), PadSortText(text_(y, 0)));
        return ascending_ ? e : -e;
    }

private:
    const CellTextReader& text_;
    int column_;
    bool ascending_;
};

// The list's quicksort over row numbers (pivot taken at the middle position).
void QuickSort(std::vector<int>& rows, int lo, int hi, const RowComparer& compare, bool ascending) {
    const auto before = [&](int a, int b) {
        const int c = compare(a, b);
        return ascending ? c < 0 : c > 0;
    };
    while (lo < hi) {
        const int pivot = rows[static_cast<std::size_t>((lo + hi) / 2)];
        int i = lo;
        int j = hi;
        do {
            while (i < hi && before(rows[static_cast<std::size_t>(i)], pivot))
                ++i;
            while (j > lo && before(pivot, rows[static_cast<std::size_t>(j)]))
                --j;
            if (j < i)
                break;
            if (i != j)
                std::swap(rows[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(j)]);
            ++i;
            --j;
        } while (i <= j);
        if (lo < j)
            QuickSort(rows, lo, j, compare, ascending);
        lo = i;
    }
}

} // namespace

bool IsSortableColumn(int listKind, int column) {
    if (listKind == kListKindLog)
        return false;
    if (column < 0 || column > 3)
        return false;
    return !(listKind == kListKindNormal && column == 2);
}

std::u16string PadSortText(std::u16string text) {
    if (text.size() < kSortPadLength)
        text.insert(0, kSortPadLength - text.size(), u'0');
    return text;
}

int CompareSortTexts(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < common; ++k) {
        if (a[k] != b[k])
            return a[k] < b[k] ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::optional<std::vector<int>> SortEventList(int listKind, int rowCount, int column,
                                              const CellTextReader& text,
                                              EventListSortState& state) {
    if (!IsSortableColumn(listKind, column))
        return std::nullopt;
    const bool ascending = column != state.column || !state.ascending;
    state.column = column;
    state.ascending = ascending;

    std::vector<int> order(static_cast<std::size_t>(std::max(rowCount, 0)));
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = static_cast<int>(k);
    if (rowCount < 2)
        return order;
    const RowComparer compare(text, column, ascending);
    QuickSort(order, 0, rowCount - 1, compare, ascending);
    return order;
}

std::optional<SearchList> FirstVisibleList(bool eventVisible, bool normalVisible, bool memoVisible,
                                           bool logVisible) {
    if (eventVisible)
        return SearchList::Event;
    if (logVisible)
        return SearchList::Log;
    if (normalVisible)
        return SearchList::Normal;
    if (memoVisible)
        return SearchList::Memo;
    return std::nullopt;
}

TabPlan PlanTab(SearchList tab, bool memoTabVisible, bool tabListVisible, int loadedKind) {
    TabPlan plan;
    plan.stopMemoSound = tab != SearchList::Memo && memoTabVisible;
    plan.switchList = !tabListVisible;
    if (plan.switchList) {
        plan.unloadAll = (loadedKind == kLoadedLog && tab != SearchList::Log) ||
                         (loadedKind == kLoadedMemo && tab == SearchList::Log);
    }
    return plan;
}

std::vector<RecordingEventLine> RecordingEventLines(std::span<const CInfoVdxFile> keyFiles) {
    std::vector<RecordingEventLine> lines;
    for (const CInfoVdxFile& file : keyFiles) {
        const std::vector<FRAMEINFOVIDEO>& frames = file.m_pFrames;
        for (std::size_t k = 1; k < frames.size(); ++k) {
            const FRAMEINFOVIDEO& first = frames[k - 1];
            const FRAMEINFOVIDEO& second = frames[k];
            if (first.byPhase == kPhaseTriggered || second.byPhase != kPhaseTriggered)
                continue;
            const SYSTEMTIME& t = second.stTime;
            const std::string name = EventDisplayName(second.byEventCode, second.byEventCodeEx);
            char text[128];
            std::snprintf(text, sizeof text, "%d.%.2d.%.2d %.2d:%.2d:%.2d   [%s]", t.wYear,
                          t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, name.c_str());
            lines.push_back({text, true});
        }
    }
    if (lines.empty())
        lines.push_back({Lang("GUI", "NoEventMarker", "No Event is triggered"), false});
    return lines;
}

std::optional<std::int64_t> EventLineTime(std::string_view line) {
    const std::string text(line.substr(0, 64));
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(text.c_str(), "%d.%d.%d %d:%d:%d", &year, &month, &day, &hour, &minute,
                    &second) != 6)
        return std::nullopt;
    if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(year);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wDay = static_cast<std::uint16_t>(day);
    t.wHour = static_cast<std::uint16_t>(hour);
    t.wMinute = static_cast<std::uint16_t>(minute);
    t.wSecond = static_cast<std::uint16_t>(second);
    return ToRecorderMs(t);
}

} // namespace trevix
