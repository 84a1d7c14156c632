#include "catalogue/FolderListing.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <memory>
#include <numeric>

#include <fcntl.h>
#include <sys/stat.h>

namespace trevix {
namespace {

DIR* OpenFolder(const std::string& folder) {
    return ::opendir(folder.empty() ? "." : folder.c_str());
}

// The file names of the open folder dir (no folders, no dot entries) that pass keep. Read with
// readdir so that a folder of thousands of files costs one pass and one string per kept name.
template <typename Keep>
std::vector<CardEntry> ListFiles(DIR* dir, const std::string& folder, Keep keep) {
    std::vector<CardEntry> files;
    if (!dir)
        return files;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !keep(name))
            continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // The file system did not say (or a link): ask for what the name leads to.
            struct stat info {};
            isDirectory =
                ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (!isDirectory)
            files.push_back({std::string(name), JoinCardPath(folder, name), false});
    }
    return files;
}

// Byte order of two names without regard to case: negative, zero or positive.
int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(ToLowerAscii(a[i]));
        const auto y = static_cast<unsigned char>(ToLowerAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The first 16 bytes of a name in lower case, packed so that integer order is byte order: enough
// to order recorder titles (their serial comes first) without comparing whole names.
struct KeyPrefix {
    std::uint64_t high = 0, low = 0;
    auto operator<=>(const KeyPrefix&) const = default;
};

KeyPrefix PrefixOf(std::string_view name) {
    KeyPrefix prefix;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::uint64_t byte =
            i < name.size() ? static_cast<unsigned char>(ToLowerAscii(name[i])) : 0;
        (i < 8 ? prefix.high : prefix.low) |= byte << (8 * (7 - i % 8));
    }
    return prefix;
}

// Sorts entries by name without regard to case, ties by the exact name.
void SortEntries(std::vector<CardEntry>& entries) {
    std::vector<KeyPrefix> prefixes;
    prefixes.reserve(entries.size());
    for (const CardEntry& entry : entries)
        prefixes.push_back(PrefixOf(entry.name));
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (prefixes[a] != prefixes[b])
            return prefixes[a] < prefixes[b];
        if (const int byKey = CompareNoCase(entries[a].name, entries[b].name); byKey != 0)
            return byKey < 0;
        return entries[a].name < entries[b].name;
    });
    std::vector<CardEntry> sorted;
    sorted.reserve(entries.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
}

} // namespace

std::vector<CardEntry> SortedFiles(const CardPattern& pattern) {
    const std::unique_ptr<DIR, FolderCloser> dir(OpenFolder(pattern.folder));
    std::vector<CardEntry> entries =
        ListFiles(dir.get(), pattern.folder, [&](std::string_view name) {
            return MatchesPattern(name, pattern.prefix, pattern.suffix);
        });
    SortEntries(entries);
    return entries;
}

FolderListing::FolderListing(const std::string& folder,
                             std::initializer_list<std::string_view> suffixes)
    : dir_(OpenFolder(folder)), files_(ListFiles(dir_.get(), folder, [&](std::string_view name) {
          return suffixes.size() == 0 ||
                 std::any_of(suffixes.begin(), suffixes.end(),
                             [&](std::string_view suffix) { return EndsWithNoCase(name, suffix); });
      })) {
    SortEntries(files_);
}

int FolderListing::Handle() const {
    return dir_ ? ::dirfd(dir_.get()) : -1;
}

std::vector<const CardEntry*> FolderListing::FilesEndingWith(std::string_view suffix) const {
    std::vector<const CardEntry*> matching;
    for (const CardEntry& file : files_)
        if (MatchesPattern(file.name, "", suffix))
            matching.push_back(&file);
    return matching;
}

const CardEntry* FolderListing::Find(std::string_view name) const {
    const auto first =
        std::lower_bound(files_.begin(), files_.end(), name, [](const CardEntry& entry, auto key) {
            return CompareNoCase(entry.name, key) < 0;
        });
    const CardEntry* found = nullptr;
    for (auto it = first; it != files_.end() && EqualsNoCase(it->name, name); ++it) {
        if (!found)
            found = &*it;
        if (it->name == name)
            return &*it;
    }
    return found;
}

} // namespace trevix
