#include "catalogue/CheckCrashWalk.h"

#include "app/Lang.h"
#include "app/TraceLog.h"
#include "catalogue/CardFileCheck.h"
#include "catalogue/FolderListing.h"
#include "platform/CardPath.h"

#include <algorithm>
#include <array>
#include <utility>

namespace trevix {

std::vector<CheckCrashFolder> CheckCrashFolders(std::string_view root) {
    const auto at = [&](std::string_view relative) { return CardPathOnDisk(root, relative); };
    std::vector<CheckCrashFolder> folders = {
        {"Audio", "Audio", at("audio/event")},
        {"", "", at("audio/normal")},
        {"", "", at("memoaudio")},
    };
    static constexpr std::array<std::pair<const char*, const char*>, 4> kCameras = {
        {{"FrontView", "Front"},
         {"InteriorView", "Interior"},
         {"RearView", "Rear"},
         {"SideView", "Side"}}};
    for (std::size_t i = 0; i < kCameras.size(); ++i) {
        const std::string channel = "ch" + std::to_string(i + 1);
        folders.push_back({kCameras[i].first, kCameras[i].second, at(channel + "/event")});
        folders.push_back({"", "", at(channel + "/normal")});
        folders.push_back({"", "", at("memo" + std::to_string(i + 1))});
    }
    folders.push_back({"Log", "Log", at("log")});
    folders.push_back({"Memo", "Memo", at("memo")});
    folders.push_back({"", "", at("config")});
    return folders;
}

CheckCrashResult CheckCrashWalk::Run(ICheckCrashProgress& progress) {
    CheckCrashResult result;
    const std::string title = Lang("GUI", "CheckFileValid", "Check file validation");
    for (const CheckCrashFolder& folder : CheckCrashFolders(root_)) {
        if (!folder.labelKey.empty())
            progress.SetCaption(title + " - " + Lang("GUI", folder.labelKey, folder.labelDefault));
        std::string damaged = CheckFolder(folder.path, Skip(), progress, result);
        if (!damaged.empty()) {
            result.damagedFound = true;
            result.damaged.push_back(std::move(damaged));
        }
    }
    return result;
}

std::string CheckCrashWalk::CheckFolder(const std::string& folder, bool skip,
                                        ICheckCrashProgress& progress, CheckCrashResult& result) {
    // Name order is the recorder's writing order, whatever the file system's own order is.
    const std::vector<CardEntry> files = SortedFiles({folder, "", ""});
    progress.SetRange(static_cast<int>(files.size()));
    int position = 0;
    for (const CardEntry& file : files) {
        progress.SetPos(++position);
        if (skip)
            continue;
        const CrashCheck check = CheckCrashedFile(file.path);
        if (check == CrashCheck::Deleted)
            result.deleted.push_back(file.path);
        if (check == CrashCheck::Damaged) {
            TRACE("Crash File : %s", file.path.c_str());
            return file.path;
        }
    }
    return {};
}

} // namespace trevix
