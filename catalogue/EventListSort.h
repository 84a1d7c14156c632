// The rules of the file lists that are decisions rather than drawing: the header-click sort of
// a list (padding of the number column, the tie rule, the direction rule, the columns that never
// sort), which click ticks a row, which list Check All works on, what a tab press does, and the
// lines of the recording event list.
#pragma once

#include "catalogue/SearchViews.h"
#include "recorder/FrameInfo.h"
#include "recorder/InfoVdxFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

// List kinds of the four lists (the same numbers as the loaded kinds).
inline constexpr int kListKindEvent = 1;
inline constexpr int kListKindNormal = 2;
inline constexpr int kListKindMemo = 3;
inline constexpr int kListKindLog = 4;

// Column-0 texts are left-padded with '0' to this length before they are compared.
inline constexpr std::size_t kSortPadLength = 10;

// The column and direction of the last sort; a list starts sorted by column 0 ascending.
struct EventListSortState {
    int column = 0;
    bool ascending = true;
};

// The text of a cell, read afresh for every comparison.
using CellTextReader = std::function<std::u16string(int row, int column)>;

// Whether a header click on column sorts the list of this kind: never the log list, only
// columns 0 to 3, and not the normal list's Duration column.
bool IsSortableColumn(int listKind, int column);

// The order of the rows after a header click on column: position k of the result names the row
// that goes to position k. Empty when the click is ignored (state unchanged). Otherwise the
// state takes the new column and direction; fewer than two rows keep their order.
std::optional<std::vector<int>> SortEventList(int listKind, int rowCount, int column,
                                              const CellTextReader& text,
                                              EventListSortState& state);

// "0000000009" from "9"; texts of ten or more characters stay as they are.
std::u16string PadSortText(std::u16string text);
// Compares by 16-bit code units: -1, 0 or +1.
int CompareSortTexts(std::u16string_view a, std::u16string_view b);

// A click on a row ticks or unticks it in every column but the first, whose check box the list
// control handles itself.
constexpr bool ClickTogglesCheck(int column) {
    return column > 0;
}

// Check All / UnCheck All work on the first visible list in the order event, log, normal, memo.
std::optional<SearchList> FirstVisibleList(bool eventVisible, bool normalVisible, bool memoVisible,
                                           bool logVisible);

// What pressing a tab does, given the window's state.
struct TabPlan {
    bool stopMemoSound = false; // Event, Normal and Log while the Memo tab is visible
    bool switchList = false;    // false when the tab's own list is already shown
    bool unloadAll = false;     // a loaded log and a recording tab, or a loaded memo and Log
};
TabPlan PlanTab(SearchList tab, bool memoTabVisible, bool tabListVisible, int loadedKind);

// One line of the recording event list.
struct RecordingEventLine {
    std::string text;
    bool isEvent = false;
};

// The triggered starts in the key channel's files: a line
// "%d.%.2d.%.2d %.2d:%.2d:%.2d   [%s]" for every frame in phase 3 whose predecessor in the
// same file is not, or the single no-event line when there is none.
std::vector<RecordingEventLine> RecordingEventLines(std::span<const CInfoVdxFile> keyFiles);
// The recorder time read back from the start of an event line; empty when it does not begin
// with a date and time.
std::optional<std::int64_t> EventLineTime(std::string_view line);

} // namespace trevix
