// One camera file pair of a recording: the .vdd data file of picture blocks and its .vdx index,
// read into an array of picture records. The index is trusted only record by record; a missing
// index is rebuilt from the data file and a damaged one is salvaged.
#pragma once

#include "platform/MappedFile.h"
#include "recorder/FrameInfo.h"
#include "recorder/InfoIndexFile.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

// Pieces of the index format shared by the video and the audio readers.
namespace recindex {

inline constexpr std::uint32_t kVideoRecordMagic = 0xEE0000A1;
inline constexpr std::uint32_t kAudioRecordMagic = 0xDD0000A2;
inline constexpr std::uint32_t kTrailerMagic = 0xFF0000A0;
inline constexpr std::size_t kTrailerSize = 92;
inline constexpr std::size_t kOldTrailerSize = 26;
inline constexpr std::size_t kVideoRecordSizeV1 = 66;
inline constexpr std::size_t kVideoRecordSizeV2 = 69;
inline constexpr std::size_t kAudioRecordSize = 35;
inline constexpr std::uint32_t kMaxBlockSize = 500000;
inline constexpr int kKeyFrameFilter = 1000;

using Trailer = std::array<std::uint8_t, kTrailerSize>;

enum class TrailerState {
    Missing, // index shorter than a trailer or unreadable: build from the data file
    Found,   // current or older trailer form, copied into a 92-byte trailer
    Damaged, // neither form carries the trailer magic: salvage the records
};

// Finds the trailer at the end of the index (current form, then the older 26-byte form).
TrailerState ReadTrailer(const RandomAccessBytes& index, Trailer& trailer);

std::uint16_t Le16(const std::uint8_t* bytes);
std::uint32_t Le32(const std::uint8_t* bytes);
double LeDouble(const std::uint8_t* bytes);
SYSTEMTIME ReadSystemTime(const std::uint8_t* bytes);

// Trailer fields shared by both readers.
struct TrailerFields {
    std::uint8_t indexVer = 0, channel = 0, eventCode = 0, streamType = 0, codec = 0;
    std::uint32_t count = 0;
    bool hasIdentifiers = false;
    std::string drid, sdid; // first 10 characters
    std::uint8_t eventCodeEx = 0;
    std::array<std::uint8_t, 2> extra{};
};
TrailerFields ParseTrailer(const Trailer& trailer);

// A zero-terminated UTF-8 field cut to its first 10 characters.
std::string IdentifierText(std::span<const std::uint8_t> field);

// 1970-01-01 is read as 1970-01-02.
void FixEpochDay(SYSTEMTIME& time);

// True when the path lies in a folder named "normal" (without regard to case).
bool IsInNormalFolder(std::string_view path);

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
using BlockMarker = std::array<std::uint8_t, 4>;
// Position of the next marker at or after from whose four bytes lie inside data, or kNotFound.
std::size_t FindMarker(std::span<const std::uint8_t> data, std::size_t from,
                       const BlockMarker& marker);

} // namespace recindex

// Rounds to four decimals the way the recorder's text form does ("%.4f" and back).
double RoundToFourDecimals(double value);

// Whether a ddmm.mmmm position is plausible for the viewer's map type.
bool IsRecorderPositionPlausible(double lat, double lon, int mapType);

// The GPS block of a recorder position (ddmm.mmmm / dddmm.mmmm, negative south and west).
GPSINFO ConvertRecorderPosition(std::uint8_t validByte, double lat, double lon, int mapType);

class CInfoVdxFile : public CInfoIndexFile<FRAMEINFOVIDEO> {
public:
    CInfoVdxFile() : CInfoIndexFile({0, kStreamVideo, kCodecMpeg4}) {}

    // The GPS plausibility rule (the viewer's MapType setting) for later loads.
    void SetMapType(int mapType) { m_nMapType = mapType; }
    int MapType() const { return m_nMapType; }

    // Loads the pair of dataPath (.vdd). filter >= 1000 keeps only key pictures. True when the
    // array was built (possibly empty), false when nothing could be read.
    bool Load(const std::string& dataPath, int filter = 0);

    // The same from bytes in memory: the index (empty when there is none) and the data file.
    bool LoadFromBytes(std::span<const std::uint8_t> index, std::span<const std::uint8_t> data,
                       const std::string& dataPath, int filter = 0);

    // Makes the last key picture current (JPEG: the last record); returns it or -1.
    int FindLastKeyFrame();
    // Records per second of recorder time; 1.0 for one record or no positive duration.
    float GetFrameRate() const;

private:
    bool LoadIndex(const RandomAccessBytes& index, const std::string& indexPath,
                   const std::string& dataPath, int filter);
    bool Recover(const RandomAccessBytes& index, const std::string& indexPath,
                 const std::string& dataPath, int filter);
    bool ScanFile(const std::string& dataPath, int filter);
    bool ScanBytes(std::span<const std::uint8_t> data, const std::string& dataPath, int filter);

    int m_nMapType = 4;
};

} // namespace trevix
