// One scan's walk over the listed folders of a card: the check of every file (each opened once,
// by name in its open folder), the deletions of files too short to hold anything, the progress
// position, and what the lists show of every file that passed, read while it is open.
#pragma once

#include "catalogue/CardFileCheck.h"
#include "catalogue/FolderListing.h"
#include "catalogue/RecordingSummary.h"
#include "catalogue/SearchViews.h"
#include "recorder/RecorderTime.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace trevix {

// Video data files that passed, with their summaries (parallel).
struct ScannedVideos {
    std::vector<std::string> paths;
    std::vector<VideoFileSummary> summaries;
};

// The logs of a listing read whole and summarised ahead of their check (on another thread), one
// entry per log in the listing's order: the summary of a regular file that passes the data check
// and was read whole, none for every other log (the scan checks and reads those itself).
struct LogsReadAhead {
    std::vector<std::optional<LogFileSummary>> summaries;
};

// Reads and summarises the logs of folder ahead, only reading: files listed as regular, at most
// budgetBytes in all. Deleting a file (another name) does not change what such a file holds, so
// a log read here holds what the scan's own read would find later.
LogsReadAhead ReadLogsAhead(const FolderListing& folder, std::uint64_t budgetBytes);

// What reading a video pair for the scan found, before anything is deleted: the listed index,
// the readings of the data file's check and the index's (Readable also when there is no index),
// and, when the pair is listed, its summary and the data file's path.
struct PairReading {
    const FolderListing::File* indexFile = nullptr;
    CheckReading data = CheckReading::Unopened;
    CheckReading index = CheckReading::Readable;
    VideoFileSummary summary;
    std::string dataPath;
};

// Reads the pair of the listed data file as the scan's checks and summary read it, deleting
// nothing; times converts its picture times.
PairReading ReadPair(const FolderListing& folder, const FolderListing::File& dataFile,
                     RecorderTimeCache& times);

// The pairs of one folder read by two threads at once: the scan takes them from the front in its
// order, a helper reads them from the back until the two meet. Each pair is read once, by one
// of them; only reading happens on the helper, what it found is acted on by the scan.
class SharedPairReads {
public:
    // folder must outlive this object.
    explicit SharedPairReads(const FolderListing& folder);
    SharedPairReads(const SharedPairReads&) = delete;
    SharedPairReads& operator=(const SharedPairReads&) = delete;

    // The helper's part; returns when it meets the scan, or after StopHelper.
    void ReadFromBack();
    // Leaves every pair not read yet to the scan: the helper stops after the pair it reads.
    void StopHelper();
    // The scan's part, for each pair in order (at: its place among the folder's data files):
    // what the helper read of it, waiting for the helper if it is reading it; nothing when the
    // scan is to read it itself.
    std::optional<PairReading> TakeOrClaim(std::size_t at);

private:
    struct Slot {
        std::optional<PairReading> reading; // empty when the helper could not read it
        bool done = false;
    };

    const FolderListing& folder_;
    const std::vector<const FolderListing::File*> entries_;
    std::mutex mutex_;
    std::condition_variable done_;
    std::size_t front_ = 0; // pairs before it are the scan's
    std::size_t back_;      // pairs from it on are the helper's
    std::vector<Slot> slots_;
};

class FolderScan {
public:
    // Deleted files are appended to deleted; the progress position moves on loading.
    FolderScan(ILoadingView& loading, std::vector<std::string>& deleted)
        : loading_(loading), deleted_(deleted) {}

    // The .vdd files of folder that pass the data check and whose index (the .vdx of the same
    // name, when listed) passes its check. A data file too short to hold anything is deleted
    // with its index; advance moves the progress position once per data file.
    // With shared, a helper thread reads pairs of the folder from its end meanwhile.
    ScannedVideos VideoFiles(const FolderListing& folder, bool advance,
                             SharedPairReads* shared = nullptr);
    // The memo audio (.aud) files of folder that pass the data check.
    std::vector<std::string> MemoAudioFiles(const FolderListing& folder, bool advance);
    // The logs (.log) of folder that pass the data check, with their summaries (parallel); a log
    // read ahead comes with its summary.
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
