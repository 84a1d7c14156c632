// Stores a card folder as the viewer's remembered card folder (OpenSDFolder in the per-user
// vedoredu.ini), where the folder browser of "Select Data Folder" starts. Run it from the
// viewer's start directory: its installed vedoredu.ini chooses the per-user folder.
#include "app/ViewerConfig.h"
#include "platform/ProfileStore.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CARD-FOLDER\n", argv[0]);
        return 2;
    }
    std::error_code error;
    const auto folder = std::filesystem::absolute(argv[1], error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "not a folder: %s\n", argv[1]);
        return 1;
    }
    const trevix::ViewerConfig& config = trevix::AppConfig();
    const trevix::ProfileStore settings(config.SettingsFilePath());
    if (!settings.Write("RunParam", "OpenSDFolder", folder.lexically_normal().string())) {
        std::fprintf(stderr, "cannot write %s\n", config.SettingsFilePath().c_str());
        return 1;
    }
    std::printf("%s\n", config.SettingsFilePath().c_str());
    return 0;
}
