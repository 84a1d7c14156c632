// The per-user folders the viewer needs, looked up once and held as plain paths so that tests
// can point every one of them at temporary folders.
#pragma once

#include <filesystem>

namespace trevix {

struct UserFolders {
    // The process's working directory (the start directory): installed files lie here.
    std::filesystem::path workingDirectory;
    // Root of the per-user application data ($XDG_CONFIG_HOME or ~/.config); empty when there
    // is none. Not created by the lookup; the viewer configuration creates it when it uses it.
    std::filesystem::path appDataRoot;
    // The user's documents folder; empty when it cannot be determined or does not exist.
    std::filesystem::path documents;
    // The user's home folder: stands in for a drive root where no documents folder exists.
    std::filesystem::path home;
};

// The folders of the current process and user.
UserFolders CurrentUserFolders();

// $XDG_CONFIG_HOME when it is an absolute path, else <home>/.config; empty without a home.
std::filesystem::path AppDataRootFromEnvironment();
// $HOME, else the password database's home of the current user; empty when neither is known.
std::filesystem::path HomeFolder();
// QStandardPaths' documents location when that folder exists, else empty.
std::filesystem::path DocumentsFolder();

} // namespace trevix
