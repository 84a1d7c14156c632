// What one folder scan put into the four lists: the paths as spelled on disk, in list order, and
// what it read of each listed file while it had the file open for its check, so that the rows
// are built without opening the files again.
#pragma once

#include "catalogue/RecordingSummary.h"
#include "catalogue/SearchViews.h"

#include <span>
#include <string>
#include <vector>

namespace trevix {

struct ScanLists {
    std::vector<std::string> event, normal, memo, log;
    // Parallel to event (markers carry their event code only), normal and log.
    std::vector<VideoFileSummary> eventSummaries, normalSummaries;
    std::vector<LogFileSummary> logSummaries;
    // Files the scan deleted because they were too short to hold anything.
    std::vector<std::string> deleted;
    int progressTotal = 0;

    const std::vector<std::string>& Paths(SearchList list) const;
};

// One list as the scan would hand it over, its summaries read from the files themselves (for
// paths that come from elsewhere than a scan).
ScanLists SummariseList(SearchList list, std::span<const std::string> paths);

} // namespace trevix
