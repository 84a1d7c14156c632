#include "catalogue/FolderListing.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <memory>
#include <numeric>
#include <ranges>

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

// ASCII lower case, inline for the many comparisons of a long listing.
constexpr char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Byte order of two names without regard to case: negative, zero or positive.
int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(Lower(a[i]));
        const auto y = static_cast<unsigned char>(Lower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

using NamePrefix = FolderListing::NamePrefix;

NamePrefix PrefixOf(std::string_view name) {
    NamePrefix prefix;
    for (std::size_t i = 0; i < NamePrefix::kBytes; ++i) {
        const std::uint64_t byte = i < name.size() ? static_cast<unsigned char>(Lower(name[i])) : 0;
        (i < 8 ? prefix.high : prefix.low) |= byte << (8 * (7 - i % 8));
    }
    return prefix;
}

// Order of two names without regard to case, given their prefixes.
int CompareNames(const NamePrefix& prefixA, std::string_view a, const NamePrefix& prefixB,
                 std::string_view b) {
    if (prefixA != prefixB)
        return prefixA < prefixB ? -1 : 1;
    // Equal prefixes: the first bytes agree (and names shorter than a prefix are equal, as names
    // hold no zero byte), so the rest decides.
    const auto rest = [](std::string_view name) {
        return name.substr(std::min(NamePrefix::kBytes, name.size()));
    };
    return CompareNoCase(rest(a), rest(b));
}

// Sorts entries by name without regard to case, ties by the exact name; prefixes come out
// parallel to the sorted entries.
void SortEntries(std::vector<CardEntry>& entries, std::vector<NamePrefix>& prefixes) {
    std::vector<NamePrefix> unsorted;
    unsorted.reserve(entries.size());
    for (const CardEntry& entry : entries)
        unsorted.push_back(PrefixOf(entry.name));
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int byName = CompareNames(unsorted[a], entries[a].name, unsorted[b], entries[b].name);
        return byName != 0 ? byName < 0 : entries[a].name < entries[b].name;
    });
    std::vector<CardEntry> sorted;
    sorted.reserve(entries.size());
    prefixes.clear();
    prefixes.reserve(entries.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(entries[i]));
        prefixes.push_back(unsorted[i]);
    }
    entries = std::move(sorted);
}

} // namespace

std::vector<CardEntry> SortedFiles(const CardPattern& pattern) {
    const std::unique_ptr<DIR, FolderCloser> dir(OpenFolder(pattern.folder));
    std::vector<CardEntry> entries =
        ListFiles(dir.get(), pattern.folder, [&](std::string_view name) {
            return MatchesPattern(name, pattern.prefix, pattern.suffix);
        });
    std::vector<NamePrefix> prefixes;
    SortEntries(entries, prefixes);
    return entries;
}

FolderListing::FolderListing(const std::string& folder,
                             std::initializer_list<std::string_view> suffixes)
    : dir_(OpenFolder(folder)), files_(ListFiles(dir_.get(), folder, [&](std::string_view name) {
          return suffixes.size() == 0 ||
                 std::any_of(suffixes.begin(), suffixes.end(),
                             [&](std::string_view suffix) { return EndsWithNoCase(name, suffix); });
      })) {
    SortEntries(files_, prefixes_);
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
    const NamePrefix prefix = PrefixOf(name);
    const auto compare = [&](std::size_t i) {
        return CompareNames(prefixes_[i], files_[i].name, prefix, name);
    };
    const auto indices = std::views::iota(std::size_t{0}, files_.size());
    const auto before =
        std::ranges::partition_point(indices, [&](std::size_t i) { return compare(i) < 0; });
    const auto first = static_cast<std::size_t>(std::ranges::distance(indices.begin(), before));
    const CardEntry* found = nullptr;
    for (std::size_t i = first; i < files_.size() && compare(i) == 0; ++i) {
        if (!found)
            found = &files_[i];
        if (files_[i].name == name)
            return &files_[i];
    }
    return found;
}

} // namespace trevix
