// Reading the recorder's picture blocks: the block marker and frame header in front of every
// coded picture of a .vdd file, the picture size code, the leading JPEG segments, and the size
// announced by an MPEG-4 video object layer header. Every reader checks lengths against the
// block and never reads past it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace trevix {

inline constexpr std::size_t kFrameHeaderOffset = 6; // after FF D8 FF FE and the length
inline constexpr std::size_t kFrameHeaderSize = 60;
inline constexpr std::size_t kPictureOffset = kFrameHeaderOffset + kFrameHeaderSize;
inline constexpr std::size_t kSizeCodeOffset = 14; // within the frame header
inline constexpr std::size_t kMaxPictureBlockSize = 500000;
inline constexpr int kMaxPictureWidth = 720;
inline constexpr int kMaxPictureHeight = 576;

struct PictureSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// 2 = 360x240, 3 = 720x240, 4 = 720x480, 0x82 = 360x288, 0x83 = 720x288, 0x84 = 720x576;
// every other code means 720x480.
PictureSize PictureSizeFromCode(std::uint8_t code);

// The size by the frame header's size code, or nothing when the block is too short to hold it.
std::optional<PictureSize> PictureSizeOfBlock(std::span<const std::uint8_t> block);

// The marker FF D8 FF FE in front of every picture block.
inline constexpr std::array<std::uint8_t, 4> kBlockMarker{0xFF, 0xD8, 0xFF, 0xFE};

// True for the block marker at the start of bytes.
bool StartsWithBlockMarker(std::span<const std::uint8_t> bytes);

// Length of the first block of bytes: up to the next block marker, or all of bytes.
std::size_t FirstBlockLength(std::span<const std::uint8_t> bytes);

// A segment of a JPEG-style header: its marker, big-endian length and payload, all within the
// block. offset is where its FF lies.
struct Segment {
    std::size_t offset = 0;
    std::span<const std::uint8_t> bytes; // marker included
};

// The comment segment (FF FE) whose marker begins within the first searchLimit bytes, with its
// full length inside the block; nothing otherwise.
std::optional<Segment> FindCommentSegment(std::span<const std::uint8_t> block,
                                          std::size_t searchLimit = 32);

// From offset 2 (after FF D8) up to three segments FF E0 (APP0), FF E1 (APP1) and FF FE
// (comment); any other marker, or a segment that does not fit in the data, ends the walk.
// end is the offset after the last segment taken.
struct LeadingSegments {
    std::span<const std::uint8_t> app0, app1, comment;
    std::size_t end = 2;
};
LeadingSegments WalkLeadingSegments(std::span<const std::uint8_t> file);

// Which decoder a block needs: a JPEG file carries further JPEG markers after its leading
// segments, an MPEG-4 block an elementary stream starting with 00 00 01.
enum class BlockCodec { Unknown, Jpeg, Mpeg4 };
BlockCodec ClassifyBlock(std::span<const std::uint8_t> block);

// A recorder picture block: FF D8 FF FE, the comment length 62 (big-endian), the 60-byte
// frame header (shorter headers are zero-padded) and the coded MPEG-4 picture.
std::vector<std::uint8_t> MakeMpeg4Block(std::span<const std::uint8_t> frameHeader,
                                         std::span<const std::uint8_t> picture);

// The rectangular size of every video object layer header (start codes 00 00 01 20 to 2F) in
// an MPEG-4 elementary stream, in stream order. A header that is cut short or describes a
// non-rectangular layer is reported as size 0 x 0.
std::vector<PictureSize> VolSizesInStream(std::span<const std::uint8_t> stream);

} // namespace trevix
