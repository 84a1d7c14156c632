#include "catalogue/FolderScan.h"

#include "catalogue/CardFileCheck.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoLogFile.h"

namespace trevix {
namespace {

// The name of the index of a video data file: ".vdd" becomes ".vdx" in the data file's case.
void IndexNameOf(std::string_view dataName, std::string& name) {
    name.assign(dataName);
    name.back() = name.back() == 'D' ? 'X' : 'x';
}

// How to open a listed file: a regular one without asking for its type, and without its size
// when only its first bytes are read.
CardFile::Listed ListedAs(const FolderListing::File& file, bool firstBytesOnly) {
    if (!file.regular)
        return CardFile::Listed::Unknown;
    return firstBytesOnly ? CardFile::Listed::RegularUnsized : CardFile::Listed::Regular;
}

} // namespace

void FolderScan::Advance(bool advance) {
    if (advance)
        loading_.SetPos(++position_);
}

ScannedVideos FolderScan::VideoFiles(const FolderListing& folder, bool advance) {
    using File = FolderListing::File;
    ScannedVideos found;
    std::string indexName;
    for (const File* entry : folder.FilesEndingWith(kVideoDataExt)) {
        Advance(advance);
        IndexNameOf(entry->name, indexName);
        // The index of a recording lists right after its data file.
        const File* index = folder.Find(indexName, entry + 1);
        CardFile data;
        // The data file's check and summary read only its first bytes: its size is not needed.
        data.OpenIn(folder.Handle(), entry->name, ListedAs(*entry, true));
        const FileCheck dataCheck = CheckDataFile(data, folder.Folder(), entry->name);
        if (dataCheck == FileCheck::Deleted) {
            Deleted(folder.PathOf(*entry));
            // The index goes with its data file.
            if (index && DeleteCardFile(folder.PathOf(*index)))
                Deleted(folder.PathOf(*index));
        }
        if (dataCheck != FileCheck::Passed)
            continue;
        // Without an index the recording is read from its data file.
        CardFile indexFile;
        FileCheck indexCheck = FileCheck::Passed;
        if (index) {
            indexFile.OpenIn(folder.Handle(), index->name, ListedAs(*index, false));
            indexCheck = CheckIndexFile(indexFile, folder.Folder(), index->name);
        }
        if (indexCheck == FileCheck::Deleted)
            Deleted(folder.PathOf(*index));
        if (indexCheck == FileCheck::Failed)
            continue;
        std::string path = folder.PathOf(*entry);
        found.summaries.push_back(
            SummariseVideo(data, indexFile.IsOpen() ? &indexFile : nullptr, path, times_));
        found.paths.push_back(std::move(path));
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
    std::uint64_t spent = 0;
    for (const FolderListing::File* entry : folder.FilesEndingWith(kLogExt)) {
        std::optional<std::vector<std::uint8_t>>& text = ahead.texts.emplace_back();
        // A link or a file of unknown type may lead to a file the scan deletes before it
        // reaches this one: left to the scan.
        if (!entry->regular || spent >= budgetBytes)
            continue;
        // The reads of the scan's own check: the size, then the whole file with the first byte.
        CardFile file;
        file.OpenIn(folder.Handle(), entry->name, ListedAs(*entry, false));
        file.CopyWhole(kMaxLogFileBytes);
        if (!PassesDataCheckReads(file))
            continue;
        const std::span<const std::uint8_t> whole = file.Whole();
        if (whole.empty() || whole.size() > budgetBytes - spent)
            continue;
        text.emplace(whole.begin(), whole.end());
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
            if (at >= readAhead.texts.size() || !readAhead.texts[at])
                return false;
            // Passed the check when it was read; only its own check could have deleted it.
            paths.push_back(folder.PathOf(entry));
            summaries.push_back(SummariseLogText(*readAhead.texts[at], times_));
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
