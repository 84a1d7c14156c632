#include "catalogue/ScanLists.h"

namespace trevix {

const std::vector<std::string>& ScanLists::Paths(SearchList list) const {
    switch (list) {
    case SearchList::Event:
        return event;
    case SearchList::Normal:
        return normal;
    case SearchList::Memo:
        return memo;
    case SearchList::Log:
        break;
    }
    return log;
}

ScanLists SummariseList(SearchList list, std::span<const std::string> paths) {
    ScanLists scan;
    for (const std::string& path : paths) {
        switch (list) {
        case SearchList::Event:
            scan.event.push_back(path);
            scan.eventSummaries.push_back(ReadEventFileSummary(path));
            break;
        case SearchList::Normal:
            scan.normal.push_back(path);
            scan.normalSummaries.push_back(ReadVideoSummary(path));
            break;
        case SearchList::Memo:
            scan.memo.push_back(path);
            break;
        case SearchList::Log:
            scan.log.push_back(path);
            scan.logSummaries.push_back(ReadLogSummary(path));
            break;
        }
    }
    return scan;
}

void ISearchView::FillScannedList(SearchList list, const ScanLists& scan) {
    FillList(list, scan.Paths(list));
}

} // namespace trevix
