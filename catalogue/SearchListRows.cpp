#include "catalogue/SearchListRows.h"

#include "app/Lang.h"
#include "catalogue/RecordingSummary.h"
#include "catalogue/ScanLists.h"
#include "recorder/CardLayout.h"
#include "recorder/RecorderTime.h"
#include "recorder/Vocabulary.h"

#include <algorithm>

namespace trevix {
namespace {

std::string MinuteText() {
    return Lang("GUI", "Minute", "Min");
}

std::string SecondText() {
    return Lang("GUI", "Second", "Sec");
}

std::string CountText(std::int64_t count, const std::string& unit) {
    return std::to_string(count) + " " + unit;
}

// The four characters that end one character before the extension read "00.0": the file
// starts within the first ten seconds of an hour.
bool StartsOnTheHour(std::string_view path) {
    const std::string_view name = NameOfPath(path);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < 5)
        return false;
    return name.substr(dot - 5, 4) == "00.0";
}

// Entry i of a summary list given with the paths; a missing one tells nothing.
template <typename Summary>
const Summary& SummaryAt(std::span<const Summary> summaries, std::size_t i) {
    static const Summary kNothing{};
    return i < summaries.size() ? summaries[i] : kNothing;
}

} // namespace

NormalFileInfo NormalFileInfoOf(const std::string& path) {
    RecorderTimeCache times;
    return NormalFileInfoOf(path, ReadVideoSummary(path), times);
}

NormalFileInfo NormalFileInfoOf(std::string_view path, const VideoFileSummary& summary,
                                RecorderTimeCache& conversion) {
    NormalFileInfo times;
    times.titleSeconds = TitleTimeToSeconds(TitleOfPath(path), conversion).value_or(0);
    times.startsOnTheHour = StartsOnTheHour(path);
    times.firstFrameMs = summary.firstFrameMs;
    times.lastFrameMs = summary.lastFrameMs;
    times.drid = summary.drid;
    times.sdid = summary.sdid;
    if (summary.firstFrameMs && summary.lastFrameMs)
        times.durationSeconds =
            std::max<std::int64_t>(0, (*summary.lastFrameMs - *summary.firstFrameMs) / 1000);
    return times;
}

std::vector<int> GroupNormalFiles(std::span<const NormalFileInfo> files) {
    std::vector<int> groups;
    groups.reserve(files.size());
    int group = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) {
            const NormalFileInfo& previous = files[i - 1];
            const std::int64_t previousEnd = previous.titleSeconds + previous.durationSeconds;
            const auto gap = static_cast<std::uint64_t>(files[i].titleSeconds - previousEnd);
            if (gap >= kGroupGapSeconds || files[i].startsOnTheHour)
                ++group;
        }
        groups.push_back(group);
    }
    return groups;
}

int GroupDurationSeconds(std::span<const NormalFileInfo> groupFiles) {
    const auto first = std::find_if(groupFiles.begin(), groupFiles.end(),
                                    [](const NormalFileInfo& f) { return f.firstFrameMs; });
    const auto last = std::find_if(groupFiles.rbegin(), groupFiles.rend(),
                                   [](const NormalFileInfo& f) { return f.lastFrameMs; });
    if (first == groupFiles.end() || last == groupFiles.rend())
        return 0;
    const std::int64_t span = std::max<std::int64_t>(0, *last->lastFrameMs - *first->firstFrameMs);
    return static_cast<int>(std::min<std::int64_t>(span / 1000 + 1, INT32_MAX));
}

std::string NormalDurationText(int seconds) {
    if (seconds >= 60)
        return CountText((static_cast<std::int64_t>(seconds) + 30) / 60, MinuteText());
    return CountText(seconds, SecondText());
}

std::string LogDurationText(std::optional<int> seconds) {
    if (!seconds)
        return CountText(0, MinuteText());
    if (*seconds >= 60)
        return CountText(*seconds / 60, MinuteText());
    return CountText(*seconds, SecondText());
}

std::vector<ListRow> BuildEventRows(std::span<const std::string> paths) {
    return BuildEventRows(paths, SummariseList(SearchList::Event, paths).eventSummaries);
}

std::vector<ListRow> BuildEventRows(std::span<const std::string> paths,
                                    std::span<const VideoFileSummary> summaries) {
    std::vector<ListRow> rows;
    rows.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        const VideoFileSummary& summary = SummaryAt(summaries, i);
        const RecorderTitle title(TitleOfPath(path));
        rows.push_back({{title.ListNumber(), title.StartText(),
                         EventDisplayName(summary.eventCode, summary.eventCodeEx), path,
                         summary.drid, summary.sdid}});
    }
    return rows;
}

NormalList BuildNormalRows(std::span<const std::string> paths) {
    return BuildNormalRows(paths, SummariseList(SearchList::Normal, paths).normalSummaries);
}

NormalList BuildNormalRows(std::span<const std::string> paths,
                           std::span<const VideoFileSummary> summaries) {
    std::vector<NormalFileInfo> files;
    files.reserve(paths.size());
    RecorderTimeCache times;
    for (std::size_t i = 0; i < paths.size(); ++i)
        files.push_back(NormalFileInfoOf(paths[i], SummaryAt(summaries, i), times));
    return BuildNormalRows(paths, std::span<const NormalFileInfo>(files));
}

NormalList BuildNormalRows(std::span<const std::string> paths,
                           std::span<const NormalFileInfo> files) {
    NormalList list;
    const std::size_t count = std::min(paths.size(), files.size());
    list.groupOfFile = GroupNormalFiles(files.first(count));
    for (std::size_t first = 0; first < count;) {
        std::size_t end = first + 1;
        while (end < count && list.groupOfFile[end] == list.groupOfFile[first])
            ++end;
        const std::string& path = paths[first];
        const RecorderTitle title(TitleOfPath(path));
        const std::size_t fileCount = end - first;
        list.rows.push_back(
            {{title.ListNumber() + " [" + std::to_string(fileCount) + "]", title.StartText(),
              NormalDurationText(GroupDurationSeconds(files.subspan(first, fileCount))), path,
              files[first].drid, files[first].sdid},
             first,
             fileCount});
        first = end;
    }
    return list;
}

std::vector<ListRow> BuildMemoRows(std::span<const std::string> paths) {
    std::vector<ListRow> rows;
    rows.reserve(paths.size());
    for (const std::string& path : paths) {
        const RecorderTitle title(TitleOfPath(path));
        rows.push_back({{title.ListNumber(), title.StartText(), CountText(5, SecondText()), path}});
    }
    return rows;
}

std::vector<ListRow> BuildLogRows(std::span<const std::string> paths) {
    return BuildLogRows(paths, SummariseList(SearchList::Log, paths).logSummaries);
}

std::vector<ListRow> BuildLogRows(std::span<const std::string> paths,
                                  std::span<const LogFileSummary> summaries) {
    std::vector<ListRow> rows;
    rows.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        const LogFileSummary& summary = SummaryAt(summaries, i);
        const RecorderTitle title(TitleOfPath(path));
        rows.push_back(
            {{title.ListNumber(), title.StartText(), LogDurationText(summary.durationSeconds), path,
              summary.identity.recorderId, summary.identity.cardId}});
    }
    return rows;
}

} // namespace trevix
