// trevix-tool names TITLE: what the viewer reads from a recording file title.
#include "recorder/CardLayout.h"
#include "recorder/Vocabulary.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"

#include <cstdio>

namespace trevix::tool {
namespace {

int RunNames(std::span<const std::string> args) {
    const std::vector<std::string> positionals = Positionals(args);
    if (positionals.size() != 1) {
        std::fprintf(stderr, "usage: trevix-tool names TITLE|FILE\n");
        return 2;
    }
    // A file name or path is reduced to its title: folder and recording extension go.
    const std::string_view titleText = TitleOfPath(positionals.front());
    const RecorderTitle title(titleText);

    JsonWriter json;
    json.BeginObject();
    json.Field("title", title.Title());
    json.Field("serial", title.Serial());
    json.Field("listNumber", title.ListNumber());
    json.Field("startText", title.StartText());
    json.Key("seconds");
    if (const auto seconds = TitleTimeToSeconds(titleText))
        json.Value(*seconds);
    else
        json.Null();
    json.Field("eventKey", title.EventKey());
    json.Field("year", title.Year());
    json.Field("month", title.Month());
    json.Field("day", title.Day());
    json.Field("hour", title.Hour());
    json.Field("minute", title.Minute());
    json.Field("second", title.Second());
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

const CommandRegistration registration{"names", "names TITLE|FILE", RunNames};

} // namespace
} // namespace trevix::tool
