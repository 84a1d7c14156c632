// The language manager: chooses one language file "vedoredulang_<tag>.ini" in the start
// directory and answers every text lookup from it (Lang in app/Lang.h).
#pragma once

#include "app/Lang.h"
#include "platform/ProfileStore.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

class ViewerConfig;

class CMgrMultiLang {
public:
    // Longest text a lookup gives, in characters.
    static constexpr std::size_t kMaxTextChars = 499;

    // Files of startDir whose names match vedoredulang_*.ini (without regard to case), in the
    // order the directory lists them; directories are skipped.
    static std::vector<std::filesystem::path>
    ListLanguageFiles(const std::filesystem::path& startDir);

    // The choice among files in listing order: the first whose lower-cased name lacks "_en"
    // wins; when every name has it, the last one. Empty when there are no files.
    static std::filesystem::path ChooseLanguageFile(std::span<const std::filesystem::path> files);

    // Chooses the active file in startDir, loads it, stores its path in the configuration's
    // language file path and sends the lower-cased path as a trace line. The path stored is
    // the one found on disk (the file system is case-sensitive).
    void Discover(const std::filesystem::path& startDir, ViewerConfig& config);

    // The text of key in section of the active file, or englishDefault; cut to 499
    // characters, backslash-n pairs replaced by line breaks. Safe from any thread.
    std::string Lookup(std::string_view section, std::string_view key,
                       std::string_view englishDefault) const;

    std::filesystem::path ActiveFile() const;

private:
    mutable std::mutex mutex_;
    std::filesystem::path activeFile_;
    std::shared_ptr<const ProfileDocument> table_; // read-only once published
};

// The process's language manager, used by Lang.
CMgrMultiLang& LanguageManager();

// Replaces every backslash-n pair by a line break.
std::string ExpandLineBreaks(std::string_view text);

} // namespace trevix
