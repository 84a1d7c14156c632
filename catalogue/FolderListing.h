// One folder of a card listed once, its files in name order without regard to case: the order in
// which the recorder wrote them (every title starts with its serial), whatever order the file
// system enumerates in.
#pragma once

#include "platform/CardPath.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

// The files (not folders) of pattern, sorted like SortByName: by name in byte order without
// regard to case, ties by the exact name.
std::vector<CardEntry> SortedFiles(const CardPattern& pattern);

class FolderListing {
public:
    // The files of folder whose names end with one of suffixes (any case); all files when
    // suffixes is empty. A folder that cannot be read lists nothing.
    explicit FolderListing(std::string folder,
                           std::initializer_list<std::string_view> suffixes = {});

    const std::vector<CardEntry>& Files() const { return files_; }
    std::vector<const CardEntry*> FilesEndingWith(std::string_view suffix) const;
    // The path of the file named name in any case (the first spelling in name order); null when
    // there is none.
    const std::string* Find(std::string_view name) const;

private:
    std::vector<CardEntry> files_;
    std::vector<std::string> keys_; // lower-case names, parallel to files_
};

} // namespace trevix
