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

    // One listed file with what the listing found out about it once, so that later questions
    // need no string work: the prefix for ordering, which of the suffixes the name ends with,
    // and whether the file system reported a regular file.
    struct File {
        std::string name; // as spelled on disk
        NamePrefix prefix;
        std::uint8_t suffix = 0; // index into the listing's suffixes
        bool regular = false;    // may be opened without asking for its type (CardFile::OpenIn)
    };

    // The files of folder whose names end with one of suffixes (any case); all files when
    // suffixes is empty. A folder that cannot be read lists nothing.
    explicit FolderListing(const std::string& folder,
                           std::initializer_list<std::string_view> suffixes = {});

    // The descriptor of the listed folder, for CardFile::OpenIn; -1 when it could not be read.
    int Handle() const;
    const std::string& Folder() const { return folder_; }
    const std::vector<File>& Files() const { return files_; }
    std::vector<const File*> FilesEndingWith(std::string_view suffix) const;
    // folder + "/" + name.
    std::string PathOf(const File& file) const;
    // The file named name in any case: that exact spelling when it was listed, else the first
    // spelling in name order; null when there is none. near, a listed file, is looked at first:
    // the index of a recording lists right after its data file.
    const File* Find(std::string_view name, const File* near = nullptr) const;

private:
    std::string folder_;
    std::unique_ptr<DIR, FolderCloser> dir_;
    std::vector<std::string> suffixes_;
    std::vector<File> files_;
};

} // namespace trevix
