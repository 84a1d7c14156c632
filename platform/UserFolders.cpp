#include "platform/UserFolders.h"

#include <QStandardPaths>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace trevix {

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr && result->pw_dir[0] == '/')
        return result->pw_dir;
    return {};
}

std::filesystem::path AppDataRootFromEnvironment() {
    // The XDG rules ignore a relative XDG_CONFIG_HOME.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return config;
    const std::filesystem::path home = HomeFolder();
    return home.empty() ? std::filesystem::path{} : home / ".config";
}

std::filesystem::path DocumentsFolder() {
    const QString location = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (location.isEmpty())
        return {};
    const std::filesystem::path folder = location.toStdString();
    std::error_code error;
    return std::filesystem::is_directory(folder, error) ? folder : std::filesystem::path{};
}

UserFolders CurrentUserFolders() {
    UserFolders folders;
    std::error_code error;
    folders.workingDirectory = std::filesystem::current_path(error);
    folders.appDataRoot = AppDataRootFromEnvironment();
    folders.documents = DocumentsFolder();
    folders.home = HomeFolder();
    return folders;
}

} // namespace trevix
