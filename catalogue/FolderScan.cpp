#include "catalogue/FolderScan.h"

#include "catalogue/CardFileCheck.h"
#include "recorder/CardLayout.h"

namespace trevix {
namespace {

// The name of the index of a video data file: ".vdd" becomes ".vdx" in the data file's case.
std::string IndexNameOf(std::string_view dataName) {
    std::string name(dataName);
    name.back() = name.back() == 'D' ? 'X' : 'x';
    return name;
}

} // namespace

void FolderScan::Advance(bool advance) {
    if (advance)
        loading_.SetPos(++position_);
}

ScannedVideos FolderScan::VideoFiles(const FolderListing& folder, bool advance) {
    ScannedVideos found;
    for (const CardEntry* entry : folder.FilesEndingWith(kVideoDataExt)) {
        Advance(advance);
        const CardEntry* index = folder.Find(IndexNameOf(entry->name));
        CardFile data;
        data.OpenIn(folder.Handle(), entry->name);
        const FileCheck dataCheck = CheckDataFile(data, entry->path);
        if (dataCheck == FileCheck::Deleted) {
            Deleted(entry->path);
            // The index goes with its data file.
            if (index && DeleteCardFile(index->path))
                Deleted(index->path);
        }
        if (dataCheck != FileCheck::Passed)
            continue;
        // Without an index the recording is read from its data file.
        CardFile indexFile;
        FileCheck indexCheck = FileCheck::Passed;
        if (index) {
            indexFile.OpenIn(folder.Handle(), index->name);
            indexCheck = CheckIndexFile(indexFile, index->path);
        }
        if (indexCheck == FileCheck::Deleted)
            Deleted(index->path);
        if (indexCheck == FileCheck::Failed)
            continue;
        found.paths.push_back(entry->path);
        found.summaries.push_back(
            SummariseVideo(data, indexFile.IsOpen() ? &indexFile : nullptr, entry->path, times_));
    }
    return found;
}

template <typename OnPassed>
void FolderScan::CheckDataFiles(const FolderListing& folder, std::string_view suffix, bool advance,
                                OnPassed onPassed) {
    for (const CardEntry* entry : folder.FilesEndingWith(suffix)) {
        Advance(advance);
        CardFile file;
        file.OpenIn(folder.Handle(), entry->name);
        const FileCheck check = CheckDataFile(file, entry->path);
        if (check == FileCheck::Deleted)
            Deleted(entry->path);
        if (check == FileCheck::Passed)
            onPassed(*entry, file);
    }
}

std::vector<std::string> FolderScan::MemoAudioFiles(const FolderListing& folder, bool advance) {
    std::vector<std::string> paths;
    CheckDataFiles(folder, kMemoAudioExt, advance,
                   [&](const CardEntry& entry, const CardFile&) { paths.push_back(entry.path); });
    return paths;
}

void FolderScan::LogFiles(const FolderListing& folder, std::vector<std::string>& paths,
                          std::vector<LogFileSummary>& summaries) {
    CheckDataFiles(folder, kLogExt, false, [&](const CardEntry& entry, const CardFile& file) {
        paths.push_back(entry.path);
        summaries.push_back(SummariseLog(file, times_));
    });
}

} // namespace trevix
