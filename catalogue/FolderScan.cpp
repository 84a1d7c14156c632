#include "catalogue/FolderScan.h"

#include "catalogue/CardFileCheck.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoLogFile.h"

namespace trevix {
namespace {

// How to open a listed file: a regular one without asking for its type, and without its size
// when only its first bytes are read.
CardFile::Listed ListedAs(const FolderListing::File& file, bool firstBytesOnly) {
    if (!file.regular)
        return CardFile::Listed::Unknown;
    return firstBytesOnly ? CardFile::Listed::RegularUnsized : CardFile::Listed::Regular;
}

// The index of a recording: ".vdd" becomes ".vdx" in the data file's case; it lists right after
// its data file.
const FolderListing::File* IndexOf(const FolderListing& folder, const FolderListing::File& data) {
    std::string name = data.name;
    name.back() = name.back() == 'D' ? 'X' : 'x';
    return folder.Find(name, &data + 1);
}

} // namespace

void FolderScan::Advance(bool advance) {
    if (advance)
        loading_.SetPos(++position_);
}

PairReading ReadPair(const FolderListing& folder, const FolderListing::File& dataEntry,
                     RecorderTimeCache& times) {
    PairReading reading;
    reading.indexFile = IndexOf(folder, dataEntry);
    CardFile data;
    // The data file's check and summary read only its first bytes: its size is not needed.
    data.OpenIn(folder.Handle(), dataEntry.name, ListedAs(dataEntry, true));
    reading.data = ReadForCheck(data, kMinDataFileBytes);
    if (reading.data != CheckReading::Readable)
        return reading;
    // Without an index the recording is read from its data file.
    CardFile index;
    if (const FolderListing::File* indexEntry = reading.indexFile) {
        index.OpenIn(folder.Handle(), indexEntry->name, ListedAs(*indexEntry, false));
        reading.index = ReadForCheck(index, kMinIndexFileBytes);
    }
    // An index too short to hold anything is read as none (the full reader rebuilds from the
    // data file either way, before or after its removal).
    if (reading.index != CheckReading::Unreadable) {
        reading.dataPath = folder.PathOf(dataEntry);
        reading.summary =
            SummariseVideo(data, index.IsOpen() ? &index : nullptr, reading.dataPath, times);
    }
    return reading;
}

SharedPairReads::SharedPairReads(const FolderListing& folder)
    : folder_(folder), entries_(folder.FilesEndingWith(kVideoDataExt)), back_(entries_.size()),
      slots_(entries_.size()) {}

void SharedPairReads::ReadFromBack() {
    RecorderTimeCache times;
    for (;;) {
        std::size_t at = 0;
        {
            const std::lock_guard lock(mutex_);
            if (back_ <= front_)
                return;
            at = --back_;
        }
        std::optional<PairReading> reading;
        try {
            reading = ReadPair(folder_, *entries_[at], times);
        } catch (...) {
            // Left to the scan, which reads the pair itself; nothing more is read here.
        }
        const bool failed = !reading;
        {
            const std::lock_guard lock(mutex_);
            slots_[at].reading = std::move(reading);
            slots_[at].done = true;
        }
        done_.notify_all();
        if (failed)
            return;
    }
}

void SharedPairReads::StopHelper() {
    const std::lock_guard lock(mutex_);
    front_ = std::max(front_, back_);
}

std::optional<PairReading> SharedPairReads::TakeOrClaim(std::size_t at) {
    std::unique_lock lock(mutex_);
    if (at < back_) {
        front_ = std::max(front_, at + 1);
        return std::nullopt;
    }
    done_.wait(lock, [&] { return slots_[at].done; });
    return std::move(slots_[at].reading);
}

ScannedVideos FolderScan::VideoFiles(const FolderListing& folder, bool advance,
                                     SharedPairReads* shared) {
    using File = FolderListing::File;
    ScannedVideos found;
    const std::vector<const File*> entries = folder.FilesEndingWith(kVideoDataExt);
    for (std::size_t at = 0; at < entries.size(); ++at) {
        const File& entry = *entries[at];
        Advance(advance);
        std::optional<PairReading> read = shared ? shared->TakeOrClaim(at) : std::nullopt;
        PairReading reading = read ? std::move(*read) : ReadPair(folder, entry, times_);
        const File* index = reading.indexFile;
        const FileCheck dataCheck = FinishDataCheck(reading.data, folder.Folder(), entry.name);
        if (dataCheck == FileCheck::Deleted) {
            Deleted(folder.PathOf(entry));
            // The index goes with its data file.
            if (index && DeleteCardFile(folder.PathOf(*index)))
                Deleted(folder.PathOf(*index));
        }
        if (dataCheck != FileCheck::Passed)
            continue;
        const FileCheck indexCheck =
            index ? FinishIndexCheck(reading.index, folder.Folder(), index->name)
                  : FileCheck::Passed;
        if (indexCheck == FileCheck::Deleted)
            Deleted(folder.PathOf(*index));
        if (indexCheck == FileCheck::Failed)
            continue;
        found.summaries.push_back(std::move(reading.summary));
        found.paths.push_back(std::move(reading.dataPath));
    }
    return found;
}

template <typename Taken, typename OnPassed>
void FolderScan::CheckDataFiles(const FolderListing& folder, std::string_view suffix, bool advance,
                                std::uint64_t readWhole, Taken taken, OnPassed onPassed) {
    for (const FolderListing::File* entry : folder.FilesEndingWith(suffix)) {
        Advance(advance);
        if (taken(*entry))
            continue;
        CardFile file;
        file.OpenIn(folder.Handle(), entry->name, ListedAs(*entry, readWhole == 0));
        // Copied whole by the check's read, so that the file is read once.
        if (readWhole > 0)
            file.CopyWhole(readWhole);
        const FileCheck check = CheckDataFile(file, folder.Folder(), entry->name);
        if (check == FileCheck::Deleted)
            Deleted(folder.PathOf(*entry));
        if (check == FileCheck::Passed)
            onPassed(folder.PathOf(*entry), file);
    }
}

std::vector<std::string> FolderScan::MemoAudioFiles(const FolderListing& folder, bool advance) {
    std::vector<std::string> paths;
    CheckDataFiles(
        folder, kMemoAudioExt, advance, 0, [](const FolderListing::File&) { return false; },
        [&](std::string path, const CardFile&) { paths.push_back(std::move(path)); });
    return paths;
}

LogsReadAhead ReadLogsAhead(const FolderListing& folder, std::uint64_t budgetBytes) {
    LogsReadAhead ahead;
    RecorderTimeCache times;
    std::uint64_t spent = 0;
    for (const FolderListing::File* entry : folder.FilesEndingWith(kLogExt)) {
        std::optional<LogFileSummary>& summary = ahead.summaries.emplace_back();
        // A link or a file of unknown type may lead to a file the scan deletes before it
        // reaches this one: left to the scan.
        if (!entry->regular || spent >= budgetBytes)
            continue;
        // The reads of the scan's own check: the size, then the whole file with the first byte.
        CardFile file;
        file.OpenIn(folder.Handle(), entry->name, ListedAs(*entry, false));
        file.CopyWhole(kMaxLogFileBytes);
        if (ReadForCheck(file, kMinDataFileBytes) != CheckReading::Readable)
            continue;
        const std::span<const std::uint8_t> whole = file.Whole();
        if (whole.empty() || whole.size() > budgetBytes - spent)
            continue;
        summary = SummariseLogText(whole, times);
        spent += whole.size();
    }
    return ahead;
}

void FolderScan::LogFiles(const FolderListing& folder, const LogsReadAhead& readAhead,
                          std::vector<std::string>& paths, std::vector<LogFileSummary>& summaries) {
    std::size_t index = 0;
    CheckDataFiles(
        folder, kLogExt, false, kMaxLogFileBytes,
        [&](const FolderListing::File& entry) {
            const std::size_t at = index++;
            if (at >= readAhead.summaries.size() || !readAhead.summaries[at])
                return false;
            // Passed the check when it was read; only its own check could have deleted it.
            paths.push_back(folder.PathOf(entry));
            summaries.push_back(*readAhead.summaries[at]);
            return true;
        },
        [&](std::string path, const CardFile& file) {
            paths.push_back(std::move(path));
            const std::span<const std::uint8_t> text = file.Whole();
            summaries.push_back(text.empty() ? SummariseLog(file, times_)
                                             : SummariseLogText(text, times_));
        });
}

} // namespace trevix
