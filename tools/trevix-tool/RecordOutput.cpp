#include "tools/trevix-tool/RecordOutput.h"

#include "app/ViewerConfig.h"
#include "platform/UserFolders.h"
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

double Shortest(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double result = 0.0;
    std::from_chars(text, end, result);
    return result;
}

} // namespace trevix::tool
