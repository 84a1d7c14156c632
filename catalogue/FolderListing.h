// One folder of a card listed once, its files in name order without regard to case: the order in
// which the recorder wrote them (every title starts with its serial), whatever order the file
// system enumerates in. The folder stays open, so that its files are opened by name without a
// walk along the whole path.
#pragma once

#include "platform/CardPath.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>

namespace trevix {

// The files (not folders) of pattern, sorted like SortByName: by name in byte order without
// regard to case, ties by the exact name.
std::vector<CardEntry> SortedFiles(const CardPattern& pattern);

// Closes a folder opened for listing.
struct FolderCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

class FolderListing {
public:
    // The first bytes of a name in lower case, packed so that integer order is byte order:
    // enough to order recorder titles (their serial comes first) without comparing whole names.
    struct NamePrefix {
        static constexpr std::size_t kBytes = 16;
        std::uint64_t high = 0, low = 0;
        auto operator<=>(const NamePrefix&) const = default;
    };

    // The files of folder whose names end with one of suffixes (any case); all files when
    // suffixes is empty. A folder that cannot be read lists nothing.
    explicit FolderListing(const std::string& folder,
                           std::initializer_list<std::string_view> suffixes = {});

    // The descriptor of the listed folder, for CardFile::OpenIn; -1 when it could not be read.
    int Handle() const;
    const std::vector<CardEntry>& Files() const { return files_; }
    std::vector<const CardEntry*> FilesEndingWith(std::string_view suffix) const;
    // The file named name in any case: that exact spelling when it was listed, else the first
    // spelling in name order; null when there is none.
    const CardEntry* Find(std::string_view name) const;

private:
    std::unique_ptr<DIR, FolderCloser> dir_;
    std::vector<CardEntry> files_;
    std::vector<NamePrefix> prefixes_; // parallel to files_
};

} // namespace trevix
