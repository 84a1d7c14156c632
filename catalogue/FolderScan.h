// One scan's walk over the listed folders of a card: the check of every file (each opened once,
// by name in its open folder), the deletions of files too short to hold anything, the progress
// position, and what the lists show of every file that passed, read while it is open.
#pragma once

#include "catalogue/FolderListing.h"
#include "catalogue/RecordingSummary.h"
#include "catalogue/SearchViews.h"
#include "recorder/RecorderTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trevix {

// Video data files that passed, with their summaries (parallel).
struct ScannedVideos {
    std::vector<std::string> paths;
    std::vector<VideoFileSummary> summaries;
};

// The logs of a listing read whole ahead of their check (on another thread), one entry per log
// in the listing's order: the text of a regular file that passes the data check and was read
// whole, none for every other log (the scan checks and reads those itself).
struct LogsReadAhead {
    std::vector<std::optional<std::vector<std::uint8_t>>> texts;
};

// Reads the logs of folder ahead, only reading: files listed as regular, at most budgetBytes in
// all. Deleting a file (another name) does not change what such a file holds, so a log read
// here holds what the scan's own read would find later.
LogsReadAhead ReadLogsAhead(const FolderListing& folder, std::uint64_t budgetBytes);

class FolderScan {
public:
    // Deleted files are appended to deleted; the progress position moves on loading.
    FolderScan(ILoadingView& loading, std::vector<std::string>& deleted)
        : loading_(loading), deleted_(deleted) {}

    // The .vdd files of folder that pass the data check and whose index (the .vdx of the same
    // name, when listed) passes its check. A data file too short to hold anything is deleted
    // with its index; advance moves the progress position once per data file.
    ScannedVideos VideoFiles(const FolderListing& folder, bool advance);
    // The memo audio (.aud) files of folder that pass the data check.
    std::vector<std::string> MemoAudioFiles(const FolderListing& folder, bool advance);
    // The logs (.log) of folder that pass the data check, with their summaries (parallel); a log
    // read ahead is summarised from that text.
    void LogFiles(const FolderListing& folder, const LogsReadAhead& readAhead,
                  std::vector<std::string>& paths, std::vector<LogFileSummary>& summaries);

private:
    void Advance(bool advance);
    void Deleted(const std::string& path) { deleted_.push_back(path); }
    // Calls onPassed(path, file) for every file of folder ending with suffix that passes the
    // data check, except those taken(entry) dealt with already. A file of at most readWhole
    // bytes (when not 0) is copied whole by the check.
    template <typename Taken, typename OnPassed>
    void CheckDataFiles(const FolderListing& folder, std::string_view suffix, bool advance,
                        std::uint64_t readWhole, Taken taken, OnPassed onPassed);

    ILoadingView& loading_;
    std::vector<std::string>& deleted_;
    RecorderTimeCache times_;
    int position_ = 0;
};

} // namespace trevix
