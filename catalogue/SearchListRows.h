// The rows of the four file lists as the file-list window shows them, built from the paths the
// folder scan hands over: column texts of the event, normal, memo and log lists, and the normal
// list's grouping of consecutive files into one row.
#pragma once

#include "catalogue/RecordingSummary.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trevix {

// Column counts of the lists (the path and identity columns are hidden in the window).
inline constexpr std::size_t kEventColumns = 6;
inline constexpr std::size_t kNormalColumns = 6;
inline constexpr std::size_t kMemoColumns = 4;
inline constexpr std::size_t kLogColumns = 6;
inline constexpr std::size_t kPathColumn = 3;

struct ListRow {
    std::vector<std::string> columns;
};

// One row of the normal list: a group of consecutive files, paths[first] ... first + count - 1.
struct NormalRow {
    std::vector<std::string> columns;
    std::size_t firstFile = 0;
    std::size_t fileCount = 0;
};

struct NormalList {
    std::vector<NormalRow> rows;
    std::vector<int> groupOfFile; // for each path, the row it belongs to
};

// What the grouping and the row of a group need of one normal file.
struct NormalFileInfo {
    std::int64_t titleSeconds = 0; // start from the title (0 when it holds no time)
    std::int64_t durationSeconds = 0;
    bool startsOnTheHour = false; // the title's "00.0" before the last character
    std::optional<std::int64_t> firstFrameMs, lastFrameMs;
    std::string drid, sdid; // identities of the index trailer
};

NormalFileInfo NormalFileInfoOf(const std::string& path);
// The same from the file's summary, read already; times converts the title's time.
NormalFileInfo NormalFileInfoOf(std::string_view path, const VideoFileSummary& summary,
                                RecorderTimeCache& times);

// A file opens a new group when its start lies 11 seconds or more after the previous file's end
// (or before that end: the difference is taken unsigned), or when it starts on the hour.
inline constexpr std::uint64_t kGroupGapSeconds = 11;
std::vector<int> GroupNormalFiles(std::span<const NormalFileInfo> files);

// The group's duration: seconds from the first picture of its first file to the last picture
// of its last file, plus 1.
int GroupDurationSeconds(std::span<const NormalFileInfo> groupFiles);

// "%d Min" of (d + 30) / 60 from 60 seconds on, else "%d Sec".
std::string NormalDurationText(int seconds);
// "%d Min" of d / 60 from 60 seconds on, else "%d Sec"; "0 Min" for a log without valid times.
std::string LogDurationText(std::optional<int> seconds);

// The rows of paths, read from the files; the forms with summaries take what a scan read of
// them (summaries parallel to paths; a missing one counts as a file that told nothing).
std::vector<ListRow> BuildEventRows(std::span<const std::string> paths);
std::vector<ListRow> BuildEventRows(std::span<const std::string> paths,
                                    std::span<const VideoFileSummary> summaries);
NormalList BuildNormalRows(std::span<const std::string> paths);
NormalList BuildNormalRows(std::span<const std::string> paths,
                           std::span<const VideoFileSummary> summaries);
// The same grouping from times already read (paths and files of equal length).
NormalList BuildNormalRows(std::span<const std::string> paths,
                           std::span<const NormalFileInfo> files);
std::vector<ListRow> BuildMemoRows(std::span<const std::string> paths);
std::vector<ListRow> BuildLogRows(std::span<const std::string> paths);
std::vector<ListRow> BuildLogRows(std::span<const std::string> paths,
                                  std::span<const LogFileSummary> summaries);

} // namespace trevix
