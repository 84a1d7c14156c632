// mkcard: writes a realistic recorder card tree for tests and demonstrations.
#include "tools/mkcard/CardWriter.h"
#include "tools/mkcard/Picture.h"
#include "tools/mkcard/DescText.h"
#include "tools/mkcard/WallClock.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace trevix::mkcard;

constexpr const char* kUsage =
    "usage: mkcard ROOT [--demo] [--sync-marks] [--desc FILE] [--add LINE]... [--model N]\n"
    "              [--seed S] [--start \"YYYY-MM-DD HH:MM:SS\"] [--list]\n"
    "Writes a recorder card tree under ROOT. --demo starts from the demonstration card, --desc\n"
    "reads a description file and --add applies one description line (see DescText.h for the\n"
    "directives: event, normal, memo, log, damage, ...). Without --demo, --desc or --add it\n"
    "writes one event recording, two minutes of normal recording and a memo.\n"
    "--sync-marks puts a synchronisation mark every 2 s into every recording (all pictures\n"
    "flash, the sound clicks); alone it writes the synchronisation card: four cameras of\n"
    "720x480 MPEG-4 at 30 pictures a second with sound. --list prints the video files and the\n"
    "marks (recorder time, then file and picture index of each flash).\n";

constexpr int kSyncPeriodMs = 2000;

std::string ReadText(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::uintmax_t TreeSize(const std::filesystem::path& root) {
    std::uintmax_t total = 0;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->is_regular_file(error))
            total += it->file_size(error);
    return total;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const std::filesystem::path root = args[0];
    bool demo = false, described = false, list = false, sync = false;
    std::vector<std::string> lines; // applied after the base description, in order
    std::vector<std::string> overrides;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--demo") {
            demo = true;
        } else if (arg == "--sync-marks") {
            sync = true;
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "--desc" && hasValue) {
            bool ok = false;
            lines.push_back(ReadText(args[++i], ok));
            if (!ok) {
                std::fprintf(stderr, "mkcard: cannot read %s\n", args[i].c_str());
                return 2;
            }
            described = true;
        } else if (arg == "--add" && hasValue) {
            lines.push_back(args[++i]);
            described = true;
        } else if ((arg == "--model" || arg == "--seed" || arg == "--start") && hasValue) {
            overrides.push_back(arg.substr(2) + " " + args[++i]);
        } else {
            std::fprintf(stderr, "mkcard: unknown or incomplete option %s\n%s", arg.c_str(),
                         kUsage);
            return 2;
        }
    }

    CardDesc desc = demo        ? DemoDesc()
                    : described ? CardDesc{}
                    : sync      ? SyncMarkDesc()
                                : DefaultDesc();
    for (const std::vector<std::string>* group : {&lines, &overrides})
        for (const std::string& text : *group)
            if (const std::string error = ApplyDescText(text, desc); !error.empty()) {
                std::fprintf(stderr, "mkcard: %s\n", error.c_str());
                return 2;
            }
    if (sync)
        AddSyncMarks(desc, kSyncPeriodMs);

    const WrittenCard card = WriteCard(desc, root);
    if (!card.Ok()) {
        std::fprintf(stderr, "mkcard: %s\n", card.error.c_str());
        return 1;
    }
    std::size_t channelFiles = 0;
    for (const WrittenRecording& recording : card.recordings) {
        channelFiles += recording.channels.size();
        if (!list)
            continue;
        for (const WrittenChannel& channel : recording.channels)
            std::printf("%s\n", channel.data.string().c_str());
        for (const WrittenSyncMark& mark : recording.syncMarks) {
            std::printf("sync %s", TimeText(mark.wallMs).c_str());
            for (const WrittenSyncMark::Picture& picture : mark.pictures)
                std::printf(" %s:%d", picture.data.string().c_str(), picture.frame);
            std::printf("\n");
        }
    }
    std::printf("%s: %zu recordings (%zu video files), %zu memos, %zu logs, %zu damaged, "
                "%.1f MB\n",
                root.string().c_str(), card.recordings.size(), channelFiles, card.memos.size(),
                card.logs.size(), card.damaged.size(), static_cast<double>(TreeSize(root)) / 1e6);
    return 0;
}
