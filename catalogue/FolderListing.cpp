#include "catalogue/FolderListing.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace trevix {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The file names of folder (no folders, no dot entries) that pass keep. Read with readdir so
// that a folder of thousands of files costs one pass and one string per kept name.
template <typename Keep>
std::vector<CardEntry> ListFiles(const std::string& folder, Keep keep) {
    std::vector<CardEntry> files;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return files;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !keep(name))
            continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // The file system did not say (or a link): ask for what the name leads to.
            struct stat info {};
            isDirectory = ::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) == 0 &&
                          S_ISDIR(info.st_mode);
        }
        if (!isDirectory)
            files.push_back({std::string(name), JoinCardPath(folder, name), false});
    }
    return files;
}

// Sorts entries by their lower-case names, computed once per entry rather than per comparison.
void SortEntries(std::vector<CardEntry>& entries, std::vector<std::string>& keysOut) {
    std::vector<std::string> keys;
    keys.reserve(entries.size());
    for (const CardEntry& entry : entries)
        keys.push_back(ToLowerAscii(entry.name));
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (const int byKey = keys[a].compare(keys[b]); byKey != 0)
            return byKey < 0;
        return entries[a].name < entries[b].name;
    });
    std::vector<CardEntry> sorted;
    sorted.reserve(entries.size());
    keysOut.clear();
    keysOut.reserve(entries.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(entries[i]));
        keysOut.push_back(std::move(keys[i]));
    }
    entries = std::move(sorted);
}

} // namespace

std::vector<CardEntry> SortedFiles(const CardPattern& pattern) {
    std::vector<CardEntry> entries = ListFiles(pattern.folder, [&](std::string_view name) {
        return MatchesPattern(name, pattern.prefix, pattern.suffix);
    });
    std::vector<std::string> keys;
    SortEntries(entries, keys);
    return entries;
}

FolderListing::FolderListing(std::string folder, std::initializer_list<std::string_view> suffixes)
    : files_(ListFiles(folder, [&](std::string_view name) {
          return suffixes.size() == 0 ||
                 std::any_of(suffixes.begin(), suffixes.end(),
                             [&](std::string_view suffix) { return EndsWithNoCase(name, suffix); });
      })) {
    SortEntries(files_, keys_);
}

std::vector<const CardEntry*> FolderListing::FilesEndingWith(std::string_view suffix) const {
    std::vector<const CardEntry*> matching;
    for (const CardEntry& file : files_)
        if (MatchesPattern(file.name, "", suffix))
            matching.push_back(&file);
    return matching;
}

const std::string* FolderListing::Find(std::string_view name) const {
    const std::string key = ToLowerAscii(name);
    const auto it = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (it == keys_.end() || *it != key)
        return nullptr;
    return &files_[static_cast<std::size_t>(it - keys_.begin())].path;
}

} // namespace trevix
