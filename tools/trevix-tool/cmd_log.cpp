// trevix-tool log PATH [--map-type N]: the samples of a log file as the viewer loads them.
#include "platform/UserFolders.h"
#include "recorder/InfoLogFile.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"
#include "tools/trevix-tool/RecordOutput.h"

#include <cstdio>

namespace trevix::tool {
namespace {

int RunLog(std::span<const std::string> args) {
    const std::vector<std::string> words = Positionals(args, {"--map-type"});
    if (words.size() != 1) {
        std::fprintf(stderr, "usage: trevix-tool log PATH [--map-type N]\n");
        return 2;
    }
    CInfoLogFile log;
    log.SetMapType(MapTypeOption(args));
    const bool loaded = log.Load(words[0]) == 1;
    JsonWriter json;
    json.BeginObject();
    json.Field("loaded", loaded);
    json.Field("format", log.m_nLogFormat);
    json.Field("drid", log.m_strDRID);
    json.Field("sdid", log.m_strSDID);
    json.Field("sampleCount", log.m_nSampleCount);
    json.Key("samples").BeginArray();
    for (int i = 0; i < log.m_nSampleCount; ++i) {
        const LogSample& s = *log.GetSample(i);
        json.BeginObject();
        json.Field("timeMs", s.llTime);
        json.Field("gpsValid", s.byGpsValid);
        json.Field("lat", s.dLat);
        json.Field("lon", s.dLon);
        json.Field("altitude", Shortest(s.fAltitude));
        json.Field("speed", Shortest(s.fSpeed));
        json.Field("course", Shortest(s.fCourse));
        json.Field("satUsed", s.bySatUsed);
        json.Field("hdop", Shortest(s.fHdop));
        json.Field("satView", s.bySatView);
        json.Field("gpsTime", TimeText(s.stGpsTime));
        json.Field("carSignal", s.byCarSignal);
        json.Field("gx", Shortest(s.fGx));
        json.Field("gy", Shortest(s.fGy));
        json.Field("gz", Shortest(s.fGz));
        json.Field("status", s.byStatus);
        json.Field("speedRaw", s.wSpeedRaw);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

const CommandRegistration registration("log", "log PATH [--map-type N]", RunLog);

} // namespace
} // namespace trevix::tool
