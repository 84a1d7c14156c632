// trevix-tool check ROOT: the crashed-file walk over a card; prints the damaged files found and
// the short media files it deleted.
#include "catalogue/CheckCrashWalk.h"
#include "recorder/CardLayout.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"

#include <cstdio>

namespace trevix::tool {
namespace {

class SilentProgress final : public ICheckCrashProgress {
public:
    void SetCaption(const std::string&) override {}
    void SetRange(int) override {}
    void SetPos(int) override {}
};

void WritePaths(JsonWriter& json, std::string_view key, const std::vector<std::string>& paths) {
    json.Key(key).BeginArray();
    for (const std::string& path : paths)
        json.Value(path);
    json.EndArray();
}

int RunCheck(std::span<const std::string> args) {
    const std::vector<std::string> positionals = Positionals(args);
    if (positionals.size() != 1) {
        std::fprintf(stderr, "usage: trevix-tool check ROOT\n");
        return 2;
    }
    const std::string root = RecorderRoot(positionals.front());
    CheckCrashWalk walk(root);
    SilentProgress progress;
    const CheckCrashResult result = walk.Run(progress);

    JsonWriter json;
    json.BeginObject();
    json.Field("root", root);
    json.Field("damagedFound", result.damagedFound);
    WritePaths(json, "damaged", result.damaged);
    WritePaths(json, "deleted", result.deleted);
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

const CommandRegistration registration{"check", "check ROOT", RunCheck};

} // namespace
} // namespace trevix::tool
