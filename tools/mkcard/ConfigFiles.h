// The recorder's files in the card's config folder: set.ini (recording settings in the keys and
// order of the recorder family's default writer, filled with what the card holds), version.ini
// and sdid.ini.
#pragma once

#include "tools/mkcard/ByteWriter.h"

#include <array>
#include <string>
#include <string_view>

namespace trevix::mkcard {

struct SetIniValues {
    int model = 21;
    std::array<bool, 4> channelInUse = {true, false, false, false};
    // 1 normal recording, 2 event recording, 3 off
    std::array<int, 4> recordingMode = {1, 3, 3, 3};
    int framesPerSecond = 10;
    int field = 4; // 3 = 720x240, 4 = 720x480
    int preSeconds = 15;
    int postSeconds = 5;
    int carPulseType = -1;
    bool recordAudio = true;
    int memoCameraMask = 1;
};

// Profile text with CR LF line ends; empty for an unknown model code.
std::string MakeSetIni(const SetIniValues& values);
std::string MakeVersionIni(std::string_view version);
// EF BB BF "sdid=" and the identifier cut to 10 characters, no line end.
Bytes MakeSdidIni(std::string_view sdid);

} // namespace trevix::mkcard
