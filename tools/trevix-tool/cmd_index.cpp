// trevix-tool index DATAPATH [--filter N] [--map-type N]: the records of a video (.vdd) or audio
// (.add) file pair as the viewer reads them.
#include "platform/CardPath.h"
#include "platform/UserFolders.h"
#include "recorder/InfoAdxFile.h"
#include "recorder/InfoVdxFile.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"
#include "tools/trevix-tool/RecordOutput.h"

#include <cstdio>

namespace trevix::tool {
namespace {

template <typename File>
void WriteFileFields(JsonWriter& json, const char* kind, bool loaded, const File& file) {
    json.Field("kind", kind);
    json.Field("loaded", loaded);
    json.Field("name", file.m_strName);
    json.Field("indexVer", file.m_nIndexVer);
    json.Field("channel", file.m_nChannel);
    json.Field("eventCode", file.m_nEventCode);
    json.Field("streamType", file.m_nStreamType);
    json.Field("codec", file.m_nCodec);
    json.Field("drid", file.m_strDRID);
    json.Field("sdid", file.m_strSDID);
    json.Field("eventCodeEx", file.m_nEventCodeEx);
    json.Field("frameCount", file.m_nFrameCount);
}

void WriteVideoFrame(JsonWriter& json, const FRAMEINFOVIDEO& f) {
    json.BeginObject();
    json.Field("offset", f.dwOffset);
    json.Field("size", f.dwSize);
    json.Field("time", TimeText(f.stTime));
    json.Field("dow", f.stTime.wDayOfWeek);
    json.Field("type", f.byType);
    json.Field("phase", f.byPhase);
    json.Field("gx", Shortest(f.fGx));
    json.Field("gy", Shortest(f.fGy));
    json.Field("gz", Shortest(f.fGz));
    json.Field("gpsValid", f.gps.byGpsValid);
    json.Field("latHemi", std::string(1, f.gps.chLatHemi));
    json.Field("latDeg", f.gps.wLatDeg);
    json.Field("latMin", f.gps.wLatMin);
    json.Field("latSec", Shortest(f.gps.fLatSec));
    json.Field("lonHemi", std::string(1, f.gps.chLonHemi));
    json.Field("lonDeg", f.gps.wLonDeg);
    json.Field("lonMin", f.gps.wLonMin);
    json.Field("lonSec", Shortest(f.gps.fLonSec));
    json.Field("gpsA", f.gps.wGpsA);
    json.Field("gpsB", f.gps.wGpsB);
    json.Field("gpsC", f.gps.wGpsC);
    json.Field("aux", f.byAux);
    json.Field("speedRaw", f.wSpeedRaw);
    json.Field("eventCode", f.byEventCode);
    json.Field("flags", f.byFlags);
    json.Field("eventCodeEx", f.byEventCodeEx);
    json.EndObject();
}

int RunIndex(std::span<const std::string> args) {
    const std::vector<std::string> words = Positionals(args, {"--filter", "--map-type"});
    if (words.size() != 1) {
        std::fprintf(stderr, "usage: trevix-tool index DATAPATH [--filter N] [--map-type N]\n");
        return 2;
    }
    const std::string& path = words[0];
    JsonWriter json;
    json.BeginObject();
    if (EndsWithNoCase(path, ".add")) {
        CInfoAdxFile file;
        const bool loaded = file.Load(path);
        WriteFileFields(json, "audio", loaded, file);
        json.Key("frames").BeginArray();
        for (const FRAMEINFOAUDIO& f : file.m_pFrames) {
            json.BeginObject();
            json.Field("offset", f.dwOffset);
            json.Field("size", f.dwSize);
            json.Field("time", TimeText(f.stTime));
            json.Field("dow", f.stTime.wDayOfWeek);
            json.EndObject();
        }
    } else if (EndsWithNoCase(path, ".vdd")) {
        CInfoVdxFile file;
        file.SetMapType(MapTypeOption(args));
        const bool loaded = file.Load(path, std::atoi(OptionValue(args, "--filter", "0").c_str()));
        WriteFileFields(json, "video", loaded, file);
        json.Key("frames").BeginArray();
        for (const FRAMEINFOVIDEO& f : file.m_pFrames)
            WriteVideoFrame(json, f);
    } else {
        std::fprintf(stderr, "trevix-tool index: %s is neither a .vdd nor an .add path\n",
                     path.c_str());
        return 2;
    }
    json.EndArray();
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

const CommandRegistration registration("index", "index DATAPATH [--filter N] [--map-type N]",
                                       RunIndex);

} // namespace
} // namespace trevix::tool
