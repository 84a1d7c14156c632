#include "platform/CardPath.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>

namespace trevix {
namespace fs = std::filesystem;

char ToLowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = ToLowerAscii(c);
    return lower;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ToLowerAscii(x) == ToLowerAscii(y);
           });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view::size_type FindNoCase(std::string_view text, std::string_view needle,
                                       std::string_view::size_type from) {
    if (needle.size() > text.size())
        return std::string_view::npos;
    for (auto pos = from; pos + needle.size() <= text.size(); ++pos)
        if (EqualsNoCase(text.substr(pos, needle.size()), needle))
            return pos;
    return std::string_view::npos;
}

std::string_view::size_type RFindNoCase(std::string_view text, std::string_view needle) {
    if (needle.size() > text.size())
        return std::string_view::npos;
    for (auto pos = text.size() - needle.size() + 1; pos-- > 0;)
        if (EqualsNoCase(text.substr(pos, needle.size()), needle))
            return pos;
    return std::string_view::npos;
}

std::string JoinCardPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string_view ParentOfPath(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    if (slash == 0)
        return path.substr(0, 1);
    return path.substr(0, slash);
}

std::string_view NameOfPath(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

// Calls onEntry(path) for every entry of folder named name without regard to case, the exact
// spelling first, until onEntry returns true; returns whether one did.
template <typename Function>
bool ForEachSpelling(std::string_view folder, std::string_view name, Function onEntry) {
    if (name.empty())
        return false;
    const std::string exact = JoinCardPath(folder, name);
    if (Exists(exact) && onEntry(exact))
        return true;
    const std::string dir = folder.empty() ? std::string(".") : std::string(folder);
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string entryName = it->path().filename().string();
        if (entryName != name && EqualsNoCase(entryName, name) &&
            onEntry(JoinCardPath(folder, entryName)))
            return true;
    }
    return false;
}

// Calls onComponent for every non-empty '/'-separated component of relative.
template <typename Function>
void ForEachComponent(std::string_view relative, Function onComponent) {
    while (!relative.empty()) {
        const auto slash = relative.find('/');
        const std::string_view component = relative.substr(0, slash);
        if (!component.empty())
            onComponent(component);
        if (slash == std::string_view::npos)
            break;
        relative.remove_prefix(slash + 1);
    }
}

// Depth-first over the spellings of each component, so that "ch1/event" is found even when a
// tree holds both "CH1" and "ch1" and only one of them has "event". The exact spelling is tried
// first, so the common case costs one lookup per component and no folder listing.
std::optional<std::string> ResolveFrom(const std::string& path,
                                       std::span<const std::string_view> components) {
    if (components.empty())
        return path;
    std::optional<std::string> resolved;
    ForEachSpelling(path, components.front(), [&](const std::string& candidate) {
        resolved = ResolveFrom(candidate, components.subspan(1));
        return resolved.has_value();
    });
    return resolved;
}

} // namespace

std::optional<std::string> FindEntryNoCase(std::string_view folder, std::string_view name) {
    std::optional<std::string> found;
    ForEachSpelling(folder, name, [&](const std::string& candidate) {
        found = candidate;
        return true;
    });
    return found;
}

std::optional<std::string> ResolveCardPath(std::string_view root, std::string_view relative) {
    std::vector<std::string_view> components;
    ForEachComponent(relative,
                     [&](std::string_view component) { components.push_back(component); });
    return ResolveFrom(std::string(root), components);
}

std::string CardPathOnDisk(std::string_view root, std::string_view relative) {
    if (auto resolved = ResolveCardPath(root, relative))
        return std::move(*resolved);
    std::string path(root);
    bool onDisk = true;
    ForEachComponent(relative, [&](std::string_view component) {
        if (onDisk) {
            if (auto found = FindEntryNoCase(path, component)) {
                path = std::move(*found);
                return;
            }
            onDisk = false;
        }
        path = JoinCardPath(path, component);
    });
    return path;
}

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool MatchesPattern(std::string_view name, std::string_view prefix, std::string_view suffix) {
    return name.size() >= prefix.size() + suffix.size() && StartsWithNoCase(name, prefix) &&
           EndsWithNoCase(name, suffix);
}

std::vector<CardEntry> FindCardEntries(const CardPattern& pattern) {
    std::vector<CardEntry> entries;
    const std::string dir = pattern.folder.empty() ? std::string(".") : pattern.folder;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!MatchesPattern(name, pattern.prefix, pattern.suffix))
            continue;
        std::error_code typeError;
        const bool isDirectory = it->is_directory(typeError);
        std::string path = JoinCardPath(pattern.folder, name);
        entries.push_back({std::move(name), std::move(path), isDirectory});
    }
    return entries;
}

void SortByName(std::vector<CardEntry>& entries) {
    const auto lessNoCase = [](char x, char y) {
        return static_cast<unsigned char>(ToLowerAscii(x)) <
               static_cast<unsigned char>(ToLowerAscii(y));
    };
    std::sort(entries.begin(), entries.end(), [&](const CardEntry& a, const CardEntry& b) {
        if (!EqualsNoCase(a.name, b.name))
            return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(),
                                                b.name.end(), lessNoCase);
        return a.name < b.name;
    });
}

} // namespace trevix
