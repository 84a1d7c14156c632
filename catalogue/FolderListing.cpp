#include "catalogue/FolderListing.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>

#include <fcntl.h>
#include <sys/stat.h>

namespace trevix {
namespace {

DIR* OpenFolder(const std::string& folder) {
    return ::opendir(folder.empty() ? "." : folder.c_str());
}

// ASCII lower case, inline for the many comparisons of a long listing.
constexpr char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithLower(std::string_view name, std::string_view lowerSuffix) {
    if (name.size() < lowerSuffix.size())
        return false;
    name.remove_prefix(name.size() - lowerSuffix.size());
    for (std::size_t i = 0; i < name.size(); ++i)
        if (Lower(name[i]) != lowerSuffix[i])
            return false;
    return true;
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
using File = FolderListing::File;

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

// The files of the open folder dir (no folders, no dot entries) for which suffixOf gives the
// index of a suffix they end with. Read with readdir so that a folder of thousands of files
// costs one pass and one string per kept file.
template <typename SuffixOf>
std::vector<File> ListFiles(DIR* dir, SuffixOf suffixOf) {
    std::vector<File> files;
    if (!dir)
        return files;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::optional<std::uint8_t> suffix = suffixOf(name);
        if (!suffix)
            continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // The file system did not say (or a link): ask for what the name leads to.
            struct stat info {};
            isDirectory =
                ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (!isDirectory)
            files.push_back({std::string(name), PrefixOf(name), *suffix, entry->d_type == DT_REG});
    }
    return files;
}

// Sorts files by name without regard to case, ties by the exact name.
void SortFiles(std::vector<File>& files) {
    // Prefixes and positions side by side, so that most comparisons touch no name.
    struct Key {
        NamePrefix prefix;
        std::size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        keys.push_back({files[i].prefix, i});
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const std::string& nameA = files[a.index].name;
        const std::string& nameB = files[b.index].name;
        const int byName = CompareNames(a.prefix, nameA, b.prefix, nameB);
        return byName != 0 ? byName < 0 : nameA < nameB;
    });
    std::vector<File> sorted;
    sorted.reserve(files.size());
    for (const Key& key : keys)
        sorted.push_back(std::move(files[key.index]));
    files = std::move(sorted);
}

} // namespace

std::vector<CardEntry> SortedFiles(const CardPattern& pattern) {
    const std::unique_ptr<DIR, FolderCloser> dir(OpenFolder(pattern.folder));
    std::vector<File> files =
        ListFiles(dir.get(), [&](std::string_view name) -> std::optional<std::uint8_t> {
            if (!MatchesPattern(name, pattern.prefix, pattern.suffix))
                return std::nullopt;
            return 0;
        });
    SortFiles(files);
    std::vector<CardEntry> entries;
    entries.reserve(files.size());
    for (File& file : files) {
        std::string path = JoinCardPath(pattern.folder, file.name);
        entries.push_back({std::move(file.name), std::move(path), false});
    }
    return entries;
}

FolderListing::FolderListing(const std::string& folder,
                             std::initializer_list<std::string_view> suffixes)
    : folder_(folder), dir_(OpenFolder(folder)) {
    for (const std::string_view suffix : suffixes)
        suffixes_.push_back(ToLowerAscii(suffix));
    files_ = ListFiles(dir_.get(), [&](std::string_view name) -> std::optional<std::uint8_t> {
        if (suffixes_.empty())
            return 0;
        for (std::size_t i = 0; i < suffixes_.size(); ++i)
            if (EndsWithLower(name, suffixes_[i]))
                return static_cast<std::uint8_t>(i);
        return std::nullopt;
    });
    SortFiles(files_);
}

int FolderListing::Handle() const {
    return dir_ ? ::dirfd(dir_.get()) : -1;
}

std::string FolderListing::PathOf(const File& file) const {
    return JoinCardPath(folder_, file.name);
}

std::vector<const File*> FolderListing::FilesEndingWith(std::string_view suffix) const {
    std::vector<const File*> matching;
    // Suffixes of one length that differ end no name together: then a name ends with the one
    // of them it was listed for, and with no other.
    const bool apart = std::all_of(suffixes_.begin(), suffixes_.end(), [&](const std::string& own) {
        return own.size() == suffixes_.front().size() &&
               std::count(suffixes_.begin(), suffixes_.end(), own) == 1;
    });
    const auto own =
        std::find_if(suffixes_.begin(), suffixes_.end(),
                     [&](const std::string& listed) { return EqualsNoCase(listed, suffix); });
    if (apart && own != suffixes_.end()) {
        const auto index = static_cast<std::uint8_t>(own - suffixes_.begin());
        for (const File& file : files_)
            if (file.suffix == index)
                matching.push_back(&file);
        return matching;
    }
    for (const File& file : files_)
        if (MatchesPattern(file.name, "", suffix))
            matching.push_back(&file);
    return matching;
}

const File* FolderListing::Find(std::string_view name, const File* near) const {
    if (near) {
        // std::less orders any two pointers, so a file of another listing is told apart safely.
        const std::less<const File*> before;
        const bool listed =
            !before(near, files_.data()) && before(near, files_.data() + files_.size());
        if (listed && near->name == name)
            return near;
    }
    const NamePrefix prefix = PrefixOf(name);
    const auto compare = [&](const File& file) {
        return CompareNames(file.prefix, file.name, prefix, name);
    };
    const auto first =
        std::ranges::partition_point(files_, [&](const File& file) { return compare(file) < 0; });
    const File* found = nullptr;
    for (auto it = first; it != files_.end() && compare(*it) == 0; ++it) {
        if (!found)
            found = &*it;
        if (it->name == name)
            return &*it;
    }
    return found;
}

} // namespace trevix
