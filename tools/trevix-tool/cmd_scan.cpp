// trevix-tool scan ROOT: the folder scan of the catalogue and the four lists' rows as the
// file-list window shows them (English texts unless a language file is active), built from what
// the scan read of each file, as the window builds them.
#include "catalogue/MgrDBSearch.h"
#include "catalogue/SearchListRows.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"

#include <cstdio>

namespace trevix::tool {
namespace {

// The windows' stand-in for messages: they are collected and printed.
class CollectedMessages final : public NullViewerHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> messages;
};

void WriteColumns(JsonWriter& json, const std::vector<std::string>& columns) {
    json.Key("columns").BeginArray();
    for (const std::string& column : columns)
        json.Value(column);
    json.EndArray();
}

void WriteRows(JsonWriter& json, std::string_view key, const std::vector<ListRow>& rows) {
    json.Key(key).BeginArray();
    for (const ListRow& row : rows) {
        json.BeginObject();
        WriteColumns(json, row.columns);
        json.EndObject();
    }
    json.EndArray();
}

int RunScan(std::span<const std::string> args) {
    const std::vector<std::string> positionals = Positionals(args);
    if (positionals.size() != 1) {
        std::fprintf(stderr, "usage: trevix-tool scan ROOT\n");
        return 2;
    }
    NullSearchView fileLists;
    NullLoadingView loading;
    CollectedMessages host;
    NullLoadedRecordings loaded;
    CMgrDBSearch search(fileLists, loading, host, loaded);
    const bool valid = search.SelectAndScan(positionals.front(), nullptr);
    const ScanLists& lists = search.LastScan();

    JsonWriter json;
    json.BeginObject();
    json.Field("valid", valid);
    json.Field("root", search.RootPath());
    json.Field("carPulseType", search.CarPulseType());
    json.Key("useChannel").BeginArray();
    for (int channel = 0; channel < 4; ++channel)
        json.Value(search.UseChannel(channel));
    json.EndArray();
    json.Key("deleted").BeginArray();
    for (const std::string& path : lists.deleted)
        json.Value(path);
    json.EndArray();

    WriteRows(json, "event", BuildEventRows(lists.event, lists.eventSummaries));
    const NormalList normal = BuildNormalRows(lists.normal, lists.normalSummaries);
    json.Key("normal").BeginArray();
    for (const NormalRow& row : normal.rows) {
        json.BeginObject();
        WriteColumns(json, row.columns);
        json.Key("files").BeginArray();
        for (std::size_t i = row.firstFile; i < row.firstFile + row.fileCount; ++i)
            json.Value(lists.normal[i]);
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    WriteRows(json, "memo", BuildMemoRows(lists.memo));
    WriteRows(json, "log", BuildLogRows(lists.log, lists.logSummaries));
    // The message boxes the scan showed ("No recorded file." and the like).
    json.Key("messages").BeginArray();
    for (const std::string& message : host.messages)
        json.Value(message);
    json.EndArray();
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return valid ? 0 : 1;
}

const CommandRegistration registration{"scan", "scan ROOT", RunScan};

} // namespace
} // namespace trevix::tool
