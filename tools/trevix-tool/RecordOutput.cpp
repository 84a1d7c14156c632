#include "tools/trevix-tool/RecordOutput.h"

#include "app/ViewerConfig.h"
#include "platform/CardPath.h"
#include "platform/UserFolders.h"
#include "recorder/CardLayout.h"
#include "tools/trevix-tool/Command.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace trevix::tool {

int MapTypeOption(std::span<const std::string> args) {
    const std::string value = OptionValue(args, "--map-type");
    if (!value.empty())
        return std::atoi(value.c_str());
    std::error_code error;
    UserFolders folders;
    folders.workingDirectory = std::filesystem::current_path(error);
    return ViewerConfig(folders).MapType();
}

std::string TimeText(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

std::vector<std::string> NormalListOfChannel(const std::string& root, const std::string& path) {
    const int channel = ChannelFromPath(path);
    auto entries = FindCardEntries(NormalDataPattern(root, channel < 0 ? 1 : channel + 1));
    SortByName(entries);
    std::vector<std::string> paths;
    for (const CardEntry& entry : entries)
        if (!entry.isDirectory)
            paths.push_back(entry.path);
    // The list holds the path as the caller spelled it when it names the same file.
    for (std::string& listed : paths)
        if (EqualsNoCase(listed, path))
            listed = path;
    return paths;
}

double Shortest(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double result = 0.0;
    std::from_chars(text, end, result);
    return result;
}

} // namespace trevix::tool
