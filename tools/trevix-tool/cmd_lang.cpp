// trevix-tool lang SECTION KEY DEFAULT: the text the language files of the working directory
// give for one lookup.
#include "app/Lang.h"
#include "app/MgrMultiLang.h"
#include "app/ViewerConfig.h"
#include "platform/UserFolders.h"
#include "tools/trevix-tool/Command.h"

#include <cstdio>
#include <filesystem>

namespace trevix::tool {
namespace {

int RunLang(std::span<const std::string> args) {
    const std::vector<std::string> words = Positionals(args);
    if (words.size() != 3) {
        std::fprintf(stderr, "usage: trevix-tool lang SECTION KEY DEFAULT\n");
        return 2;
    }
    std::error_code error;
    const std::filesystem::path startDir = std::filesystem::current_path(error);
    // Only the language file path is kept; no settings file is read or seeded.
    UserFolders folders;
    folders.workingDirectory = startDir;
    ViewerConfig config(folders);
    LanguageManager().Discover(startDir, config);
    const std::string text = Lang(words[0], words[1], words[2]);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
}

const CommandRegistration registration("lang", "lang SECTION KEY DEFAULT", RunLang);

} // namespace
} // namespace trevix::tool
