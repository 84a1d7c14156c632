#include "app/MgrMultiLang.h"

#include "app/TraceLog.h"
#include "app/ViewerConfig.h"

#include <algorithm>
#include <fnmatch.h>

namespace trevix {
namespace {

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

} // namespace

std::vector<std::filesystem::path>
CMgrMultiLang::ListLanguageFiles(const std::filesystem::path& startDir) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(startDir, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (::fnmatch("vedoredulang_*.ini", name.c_str(), FNM_CASEFOLD) == 0)
            files.push_back(it->path());
    }
    return files;
}

std::filesystem::path
CMgrMultiLang::ChooseLanguageFile(std::span<const std::filesystem::path> files) {
    std::filesystem::path chosen;
    for (const auto& file : files) {
        chosen = file;
        if (LowerCase(file.filename().string()).find("_en") == std::string::npos)
            break;
    }
    return chosen;
}

void CMgrMultiLang::Discover(const std::filesystem::path& startDir, ViewerConfig& config) {
    const std::vector<std::filesystem::path> files = ListLanguageFiles(startDir);
    const std::filesystem::path chosen = ChooseLanguageFile(files);
    auto table = std::make_shared<const ProfileDocument>(
        chosen.empty() ? ProfileDocument{} : ProfileStore(chosen).Load());
    {
        const std::lock_guard lock(mutex_);
        activeFile_ = chosen;
        table_ = std::move(table);
    }
    config.SetLanguageFilePath(chosen.string());
    TRACE("%s", LowerCase(chosen.string()).c_str());
}

std::filesystem::path CMgrMultiLang::ActiveFile() const {
    const std::lock_guard lock(mutex_);
    return activeFile_;
}

std::string CMgrMultiLang::Lookup(std::string_view section, std::string_view key,
                                  std::string_view englishDefault) const {
    std::shared_ptr<const ProfileDocument> table;
    {
        const std::lock_guard lock(mutex_);
        table = table_;
    }
    std::optional<std::string> text;
    if (table)
        text = table->Value(section, key);
    return ExpandLineBreaks(
        CutToBuffer(text ? std::move(*text) : std::string(englishDefault), kMaxTextChars + 1));
}

std::string ExpandLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

CMgrMultiLang& LanguageManager() {
    static CMgrMultiLang manager;
    return manager;
}

std::string Lang(std::string_view section, std::string_view key, std::string_view englishDefault) {
    return LanguageManager().Lookup(section, key, englishDefault);
}

} // namespace trevix
