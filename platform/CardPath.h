// Card paths on a case-sensitive file system: the recorder's card does not distinguish upper and
// lower case, so names formed in lower case ("ch1/event") are looked up on disk in any spelling
// and the spelling found on disk is the one kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

// ASCII case folding; card names are ASCII, other bytes are compared as they stand.
char ToLowerAscii(char c);
std::string ToLowerAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Position of the first (or last) occurrence of needle, without regard to case.
std::string_view::size_type FindNoCase(std::string_view text, std::string_view needle,
                                       std::string_view::size_type from = 0);
std::string_view::size_type RFindNoCase(std::string_view text, std::string_view needle);

// folder + "/" + name, without doubling a slash when folder is "/" or ends with one.
std::string JoinCardPath(std::string_view folder, std::string_view name);

// Folder part and last component of a path ("a/b/c.vdd" -> "a/b" and "c.vdd"; "/x" -> "/" and
// "x"; "x" -> "" and "x").
std::string_view ParentOfPath(std::string_view path);
std::string_view NameOfPath(std::string_view path);

// The entry of folder whose name equals name without regard to case: the exact spelling when it
// exists, otherwise the first such entry in directory order. Empty when there is none.
std::optional<std::string> FindEntryNoCase(std::string_view folder, std::string_view name);

// root joined with every component of relative ('/'-separated), each looked up without regard
// to case; where a folder holds several spellings of a component (a copy made on a
// case-sensitive disk), the first one under which the rest exists. Empty when there is none.
std::optional<std::string> ResolveCardPath(std::string_view root, std::string_view relative);

// Like ResolveCardPath, but components not found on disk are kept as given, so the result is
// always a path (the spelling on disk for the part that exists).
std::string CardPathOnDisk(std::string_view root, std::string_view relative);

bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);

// One entry found by a pattern search.
struct CardEntry {
    std::string name; // as spelled on disk
    std::string path; // folder + "/" + name
    bool isDirectory = false;
};

// A find-first/next pattern "<prefix>*<suffix>" in a folder; prefix and suffix are matched
// without regard to case ("*.vdd" is prefix "" and suffix ".vdd").
struct CardPattern {
    std::string folder;
    std::string prefix;
    std::string suffix;
};

// True when name matches "<prefix>*<suffix>" without regard to case (prefix and suffix may not
// overlap: "a.vdd" does not match "a.vdd*.vdd").
bool MatchesPattern(std::string_view name, std::string_view prefix, std::string_view suffix);

// Entries of pattern.folder matching the pattern, in directory order ("." and ".." never).
// An unreadable or missing folder gives an empty list.
std::vector<CardEntry> FindCardEntries(const CardPattern& pattern);

// Sorts entries by name, byte order without regard to case (ties by exact name).
void SortByName(std::vector<CardEntry>& entries);

} // namespace trevix
