// Plain records shared by the readers, the timeline, the views and the exports: one picture of
// a video file, one 100 ms block of an audio file, one second of a log file.
#pragma once

#include "recorder/RecorderTime.h"

#include <cstdint>

namespace trevix {

// GPS fix of one picture, in the recorder's degrees-minutes-seconds form. Displays copy it as a
// whole, so the fields stay together in this order (32 bytes).
struct GPSINFO {
    std::uint8_t byGpsValid = 0; // nonzero when the position is valid and plausible
    char chLatHemi = 'N';        // 'N' or 'S'
    std::uint16_t wLatDeg = 0;
    std::uint16_t wLatMin = 0;
    float fLatSec = 0.0f;
    char chLonHemi = 'E'; // 'E' or 'W'
    std::uint16_t wLonDeg = 0;
    std::uint16_t wLonMin = 0;
    float fLonSec = 0.0f;
    std::uint16_t wGpsA = 0; // carried unchanged to the display
    std::uint16_t wGpsB = 0;
    std::uint16_t wGpsC = 0;
};
static_assert(sizeof(GPSINFO) == 32);

// Frame types of a picture record.
inline constexpr std::uint8_t kFrameTypeJpeg = 1;
inline constexpr std::uint8_t kFrameTypeIntra = 2;
inline constexpr std::uint8_t kFrameTypePredicted = 3;
inline constexpr std::uint8_t kFrameTypePredictedKey = 4;

// Codec bytes of an index trailer.
inline constexpr std::uint8_t kCodecJpeg = 1;
inline constexpr std::uint8_t kCodecMpeg4 = 2;
inline constexpr std::uint8_t kCodecG711 = 101;

// Stream types of an index trailer.
inline constexpr std::uint8_t kStreamVideo = 1;
inline constexpr std::uint8_t kStreamAudio = 2;

// JPEG and MPEG-4 intra pictures can be decoded on their own.
constexpr bool IsKeyFrameType(std::uint8_t type) {
    return type == kFrameTypeJpeg || type == kFrameTypeIntra;
}

// One picture of a video data file.
struct FRAMEINFOVIDEO {
    std::uint32_t dwOffset = 0; // position of the block's FF D8 FF FE marker in the .vdd
    std::uint32_t dwSize = 0;   // marker, frame header and coded picture
    SYSTEMTIME stTime;          // recorder wall clock
    std::uint8_t byType = 0;    // 1 JPEG, 2 intra, 3 predicted, 4 predicted key
    std::uint8_t byPhase = 0;   // 1 normal, 2 before the event, 3 from the trigger on
    float fGx = 0.0f;           // G-sensor values in g
    float fGy = 0.0f;
    float fGz = 0.0f;
    GPSINFO gps;
    std::uint8_t byAux = 0; // car signal bits
    std::uint16_t wSpeedRaw = 0;
    std::uint8_t byEventCode = 0;
    std::uint8_t byFlags = 0;       // bit 0 placeholder picture, bit 1 event border
    std::uint8_t byEventCodeEx = 0; // 0 for 66-byte records and data-file scans
};

// One 100 ms block of 800 A-law samples in an audio data file.
struct FRAMEINFOAUDIO {
    std::uint32_t dwOffset = 0; // position of the block's FF D8
    std::uint32_t dwSize = 0;   // sample bytes (800)
    SYSTEMTIME stTime;          // recorder time of the first sample
};

inline constexpr std::uint32_t kAudioBlockSamples = 800;

// One second of a log file.
struct LogSample {
    std::int64_t llTime = 0;     // recorder milliseconds
    std::uint8_t byGpsValid = 0; // 1 when the fix was valid and plausible
    double dLat = 0.0;           // decimal degrees, negative south
    double dLon = 0.0;           // decimal degrees, negative west
    float fAltitude = 0.0f;
    float fSpeed = 0.0f; // km/h
    float fCourse = 0.0f;
    std::uint8_t bySatUsed = 0;
    float fHdop = 0.0f;
    std::uint8_t bySatView = 0;
    SYSTEMTIME stGpsTime; // UTC date and time of the fix
    std::uint8_t byCarSignal = 0;
    float fGx = 0.0f; // G-sensor values in g
    float fGy = 0.0f;
    float fGz = 0.0f;
    std::uint8_t byStatus = 0;
    std::uint16_t wSpeedRaw = 0;
};

} // namespace trevix
