// Writers for the recorder's binary file pieces: picture blocks (.vdd), index records and the
// trailer (.vdx, .adx), audio blocks (.add), memo sound (.aud) and event markers (.edx).
// Each returns the bytes of one piece so that a test can build single files from them.
#pragma once

#include "tools/mkcard/ByteWriter.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace trevix::mkcard {

inline constexpr std::uint32_t kVideoRecordMagic = 0xEE0000A1;
inline constexpr std::uint32_t kAudioRecordMagic = 0xDD0000A2;
inline constexpr std::uint32_t kTrailerMagic = 0xFF0000A0;
inline constexpr std::size_t kFrameHeaderSize = 60;
inline constexpr std::size_t kBlockPrefixSize = 6; // FF D8 FF FE and the segment length
inline constexpr std::size_t kTrailerSize = 92;
inline constexpr std::size_t kOldTrailerSize = 26;
inline constexpr std::size_t kEdxSize = 26;
inline constexpr std::size_t kAudioBlockSize = 820;
inline constexpr std::size_t kAudioSamplesPerBlock = 800;
inline constexpr std::size_t kAudioRecordSize = 35;

enum class FrameType : std::uint8_t { Jpeg = 1, Intra = 2, Predicted = 3 };
enum class Phase : std::uint8_t { Memo = 0, Normal = 1, BeforeEvent = 2, FromTrigger = 3 };

// What the recorder knows at one picture; written into both the frame header and the index
// record, in the files' own units.
struct FrameFields {
    std::int64_t wallMs = 0;
    FrameType type = FrameType::Intra;
    Phase phase = Phase::Normal;
    std::uint8_t sizeCode = 2;
    std::int16_t gx = 0, gy = 0, gz = 1000; // thousandths of g
    bool gpsValid = false;
    double latitude = 0;  // ddmm.mmmm, negative south
    double longitude = 0; // dddmm.mmmm, negative west
    std::uint16_t gpsA = 0, gpsB = 0, gpsC = 0;
    std::uint8_t carSignal = 0;
    std::uint8_t flags = 0;
    std::uint8_t eventCode = 0;
    std::uint8_t eventCodeEx = 0;
    std::uint16_t speedRaw = 0;
};

// Size code of the frame header for a picture size (360x240 2, 720x240 3, 720x480 4, and the
// 288/576-line forms with bit 7); 4 for any other size.
std::uint8_t PictureSizeCode(int width, int height);

std::array<std::uint8_t, kFrameHeaderSize> MakeFrameHeader(const FrameFields& fields);

// One .vdd block: FF D8 FF FE, the big-endian segment length 62, the frame header, then the
// coded picture. An MPEG-4 picture is the elementary stream from its first start code; a JPEG
// picture is a whole JPEG file, whose own leading APP0/APP1/comment segments are dropped so that
// the frame header is its only comment.
Bytes MakeMpeg4Block(const FrameFields& fields, std::span<const std::uint8_t> stream);
Bytes MakeJpegBlock(const FrameFields& fields, std::span<const std::uint8_t> jpegFile);

enum class RecordForm { Short66 = 66, Long69 = 69 };

// One .vdx frame record for a block at offset with the given size.
Bytes MakeVideoRecord(const FrameFields& fields, std::uint32_t offset, std::uint32_t size,
                      RecordForm form = RecordForm::Long69);

struct TrailerFields {
    std::uint8_t indexVersion = 1; // nonzero: the identifiers below are valid
    std::uint8_t channel = 0;
    std::uint8_t eventCode = 0;
    std::uint8_t streamType = 1; // 1 video, 2 audio
    std::uint8_t codec = 2;      // 1 JPEG, 2 MPEG-4, 101 G.711
    std::uint32_t recordCount = 0;
    std::string drid;
    std::string sdid;
    std::uint8_t eventCodeEx = 0;
    std::uint16_t reserved = 0; // bytes 87-88, carried by the reader uninterpreted
};

std::array<std::uint8_t, kTrailerSize> MakeTrailer(const TrailerFields& fields);
// The older trailer: the first 26 bytes of the current form, without identifiers.
std::array<std::uint8_t, kOldTrailerSize> MakeOldTrailer(const TrailerFields& fields);

// One .add block: FF D8, the time, 800 A-law samples, FF D9.
std::array<std::uint8_t, kAudioBlockSize>
MakeAudioBlock(std::int64_t wallMs, std::span<const std::uint8_t, kAudioSamplesPerBlock> alaw);
// One .adx record for a block at offset.
std::array<std::uint8_t, kAudioRecordSize> MakeAudioRecord(std::uint32_t offset,
                                                           std::int64_t wallMs);

// Memo sound: FF D8 followed by the A-law samples without further structure.
Bytes MakeMemoAudio(std::span<const std::uint8_t> alaw);

// Event marker: 26 bytes laid out like the older index trailer (magic, version 0, channel,
// event code at byte 7, stream type, codec, no records).
std::array<std::uint8_t, kEdxSize> MakeEdx(std::uint8_t channel, std::uint8_t eventCode,
                                           std::uint8_t codec);

} // namespace trevix::mkcard
