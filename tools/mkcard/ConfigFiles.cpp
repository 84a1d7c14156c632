#include "tools/mkcard/ConfigFiles.h"

#include <string>

namespace trevix::mkcard {
namespace {

class ProfileText {
public:
    void Section(std::string_view name) {
        text_ += '[';
        text_ += name;
        text_ += "]\r\n";
    }
    void Key(std::string_view key, std::string_view value) {
        text_ += key;
        text_ += '=';
        text_ += value;
        text_ += "\r\n";
    }
    void Key(std::string_view key, int value) { Key(key, std::to_string(value)); }
    // KEY1 ... KEYn with one value per camera.
    void PerCamera(std::string_view key, int cameras, auto valueOf) {
        for (int camera = 0; camera < cameras; ++camera)
            Key(std::string(key) + std::to_string(camera + 1), valueOf(camera));
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

int MaxFileNumber(const SetIniValues& values) {
    int active = 1;
    for (int camera = 1; camera < 4; ++camera)
        if (values.recordingMode[camera] != 3)
            ++active;
    static constexpr int kByActive[5] = {3000, 3000, 2000, 1500, 1000};
    return kByActive[active];
}

int EventRecordShare(const SetIniValues& values, int cameras) {
    bool allNormalOrOff = true, allEventOrOff = true;
    for (int camera = 0; camera < cameras; ++camera) {
        const int mode = values.recordingMode[camera];
        allNormalOrOff = allNormalOrOff && (mode == 1 || mode == 3);
        allEventOrOff = allEventOrOff && (mode == 2 || mode == 3);
    }
    return allNormalOrOff ? 0 : allEventOrOff ? 100 : 30;
}

} // namespace

std::string MakeSetIni(const SetIniValues& v) {
    if (v.model < 20 || v.model > 24)
        return {};
    const bool threeChannel = v.model == 20;
    const int cameras = threeChannel ? 3 : 4;
    const int version = v.model <= 22 ? 1 : v.model - 21;
    ProfileText ini;
    ini.Section("SET");
    ini.PerCamera("USECHANNEL", cameras, [&](int c) { return v.channelInUse[c] ? 1 : 0; });
    ini.PerCamera("RECINGMODE", cameras, [&](int c) { return v.recordingMode[c]; });
    if (!threeChannel) {
        ini.Key("MAXFILENUM", MaxFileNumber(v));
        ini.Key("MEMOCAMERA", v.memoCameraMask);
        ini.PerCamera("PREFIELD", cameras, [&](int) { return v.field; });
        ini.PerCamera("POSTFIELD", cameras, [&](int) { return v.field; });
    }
    ini.PerCamera("PRERECINT", cameras, [&](int) { return v.framesPerSecond; });
    ini.PerCamera("POSTRECINT", cameras, [&](int) { return v.framesPerSecond; });
    ini.PerCamera("VIDEOQUALITY", cameras, [&](int) { return 3; });
    ini.PerCamera("PRERECTIME", cameras, [&](int) { return v.preSeconds; });
    ini.PerCamera("POSTRECTIME", cameras, [&](int) { return v.postSeconds; });
    ini.Key("CARPULSETYPE", v.carPulseType);
    ini.Key("RECMOD", 2);
    ini.Key("RECAUDIO", v.recordAudio ? 1 : 0);
    if (threeChannel)
        ini.Key("MAXEVENTNUM", 0);
    ini.Key("TRGSET", version == 1 ? 3 : 34);
    ini.Key("ACCSEN", 5);
    ini.Key("ACCSENX", 2);
    ini.Key("ACCSENY", 2);
    ini.Key("ACCSENZ", 2);
    if (!threeChannel) {
        for (const char* key : {"SEN2X", "SEN2Y", "SEN2Z"})
            ini.Key(key, 2);
        for (const char* key : {"SEN1X", "SEN1Y", "SEN1Z"})
            ini.Key(key, "03,00,00,00,00");
        ini.Key("BEEPRECORD", 1);
        ini.Key("SDFORMAT", v.model == 24 ? 0 : 1);
        ini.Key("MEMORECMODE", 0);
        ini.Key("MEMOINTERVAL", 10);
        for (const char* key :
             {"SYNCCAM1", "SYNCCAM2", "SYNCCAM4", "SYNCBLNKR", "SYNCBLNKL", "SYNCHAZARD"})
            ini.Key(key, 0);
        ini.Key("EVENTRECPER", EventRecordShare(v, cameras));
        ini.Key("GPSRECTIME", 24);
        if (version >= 2)
            ini.Key("GCONF", "1");
        ini.Section("SDINFO");
        ini.Key("VERSIONID", version);
    }
    return ini.Text();
}

std::string MakeVersionIni(std::string_view version) {
    ProfileText ini;
    ini.Section("INFO");
    ini.Key("VERSION", version);
    return ini.Text();
}

Bytes MakeSdidIni(std::string_view sdid) {
    // A UTF-8 byte order mark, then the key.
    const std::string text = "\xEF\xBB\xBFsdid=" + std::string(sdid.substr(0, 10));
    return Bytes(text.begin(), text.end());
}

} // namespace trevix::mkcard
