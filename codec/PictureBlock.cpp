#include "codec/PictureBlock.h"

#include <algorithm>
#include <array>

namespace trevix {

namespace {

std::size_t BigEndian16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::size_t>(bytes[offset]) << 8 | bytes[offset + 1];
}

// The segment whose marker lies at offset, when its length field and payload fit in data.
std::optional<Segment> SegmentAt(std::span<const std::uint8_t> data, std::size_t offset) {
    if (offset + 4 > data.size())
        return std::nullopt;
    const std::size_t length = BigEndian16(data, offset + 2);
    if (length < 2 || offset + 2 + length > data.size())
        return std::nullopt;
    return Segment{offset, data.subspan(offset, 2 + length)};
}

// Reads bits most significant first; reading past the end fails instead of inventing bits.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> data) : data_(data) {}

    bool Read(int count, std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < count; ++i) {
            if (position_ >= data_.size() * 8)
                return false;
            const unsigned bit = data_[position_ / 8] >> (7 - position_ % 8) & 1u;
            value = value << 1 | bit;
            ++position_;
        }
        return true;
    }
    bool Skip(int count) {
        std::uint32_t ignored = 0;
        return Read(count, ignored);
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
};

// Parses a video object layer header from the bit after its start code (ISO/IEC 14496-2
// 6.2.3) as far as the picture size.
PictureSize ParseVolSize(std::span<const std::uint8_t> header) {
    BitReader bits(header);
    std::uint32_t value = 0;
    std::uint32_t verid = 1;
    if (!bits.Skip(1 + 8) || !bits.Read(1, value)) // random access, object type, identifier
        return {};
    if (value != 0 && (!bits.Read(4, verid) || !bits.Skip(3)))
        return {};
    std::uint32_t aspect = 0;
    if (!bits.Read(4, aspect) || (aspect == 15 && !bits.Skip(16)))
        return {};
    if (!bits.Read(1, value)) // control parameters
        return {};
    if (value != 0) {
        std::uint32_t vbv = 0;
        if (!bits.Skip(3) || !bits.Read(1, vbv))
            return {};
        if (vbv != 0 && !bits.Skip(15 + 1 + 15 + 1 + 15 + 1 + 3 + 11 + 1 + 15 + 1))
            return {};
    }
    std::uint32_t shape = 0;
    if (!bits.Read(2, shape) || shape != 0) // only rectangular layers have a size
        return {};
    std::uint32_t resolution = 0;
    if (!bits.Skip(1) || !bits.Read(16, resolution) || !bits.Skip(1) || !bits.Read(1, value))
        return {};
    if (value != 0) { // fixed rate: the increment takes as many bits as resolution - 1 needs
        int incrementBits = 0;
        for (std::uint32_t rest = resolution == 0 ? 0 : resolution - 1; rest != 0; rest >>= 1)
            ++incrementBits;
        if (!bits.Skip(std::max(incrementBits, 1)))
            return {};
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!bits.Skip(1) || !bits.Read(13, width) || !bits.Skip(1) || !bits.Read(13, height))
        return {};
    return PictureSize{static_cast<int>(width), static_cast<int>(height)};
}

} // namespace

PictureSize PictureSizeFromCode(std::uint8_t code) {
    switch (code) {
    case 2:
        return {360, 240};
    case 3:
        return {720, 240};
    case 4:
        return {720, 480};
    case 0x82:
        return {360, 288};
    case 0x83:
        return {720, 288};
    case 0x84:
        return {720, 576};
    default:
        return {720, 480};
    }
}

std::optional<PictureSize> PictureSizeOfBlock(std::span<const std::uint8_t> block) {
    const std::size_t offset = kFrameHeaderOffset + kSizeCodeOffset;
    if (block.size() <= offset)
        return std::nullopt;
    return PictureSizeFromCode(block[offset]);
}

bool StartsWithBlockMarker(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kBlockMarker.size() &&
           std::equal(kBlockMarker.begin(), kBlockMarker.end(), bytes.begin());
}

std::size_t FirstBlockLength(std::span<const std::uint8_t> bytes) {
    if (bytes.size() <= kBlockMarker.size())
        return bytes.size();
    const auto rest = bytes.subspan(kBlockMarker.size());
    const auto next =
        std::search(rest.begin(), rest.end(), kBlockMarker.begin(), kBlockMarker.end());
    return kBlockMarker.size() + static_cast<std::size_t>(next - rest.begin());
}

std::optional<Segment> FindCommentSegment(std::span<const std::uint8_t> block,
                                          std::size_t searchLimit) {
    const std::size_t limit = std::min(searchLimit, block.size());
    for (std::size_t i = 0; i + 1 < limit; ++i)
        if (block[i] == 0xFF && block[i + 1] == 0xFE)
            return SegmentAt(block, i);
    return std::nullopt;
}

LeadingSegments WalkLeadingSegments(std::span<const std::uint8_t> file) {
    LeadingSegments found;
    for (int i = 0; i < 3; ++i) {
        const auto segment = SegmentAt(file, found.end);
        if (!segment || segment->bytes[0] != 0xFF)
            break;
        const std::uint8_t marker = segment->bytes[1];
        if (marker == 0xE0)
            found.app0 = segment->bytes;
        else if (marker == 0xE1)
            found.app1 = segment->bytes;
        else if (marker == 0xFE)
            found.comment = segment->bytes;
        else
            break;
        found.end += segment->bytes.size();
    }
    return found;
}

BlockCodec ClassifyBlock(std::span<const std::uint8_t> block) {
    if (block.size() < 4 || block[0] != 0xFF || block[1] != 0xD8)
        return BlockCodec::Unknown;
    const std::size_t end = WalkLeadingSegments(block).end;
    if (end + 3 > block.size())
        return BlockCodec::Unknown;
    if (block[end] == 0xFF)
        return BlockCodec::Jpeg;
    if (block[end] == 0 && block[end + 1] == 0 && block[end + 2] == 1)
        return BlockCodec::Mpeg4;
    return BlockCodec::Unknown;
}

std::vector<std::uint8_t> MakeMpeg4Block(std::span<const std::uint8_t> frameHeader,
                                         std::span<const std::uint8_t> picture) {
    std::vector<std::uint8_t> block(kPictureOffset + picture.size(), 0);
    std::copy(kBlockMarker.begin(), kBlockMarker.end(), block.begin());
    block[4] = 0;
    block[5] = static_cast<std::uint8_t>(kFrameHeaderSize + 2);
    std::copy_n(frameHeader.begin(), std::min(frameHeader.size(), kFrameHeaderSize),
                block.begin() + kFrameHeaderOffset);
    std::copy(picture.begin(), picture.end(), block.begin() + kPictureOffset);
    return block;
}

std::vector<PictureSize> VolSizesInStream(std::span<const std::uint8_t> stream) {
    std::vector<PictureSize> sizes;
    for (std::size_t i = 0; i + 4 <= stream.size(); ++i) {
        if (stream[i] != 0 || stream[i + 1] != 0 || stream[i + 2] != 1 ||
            (stream[i + 3] & 0xF0) != 0x20)
            continue;
        sizes.push_back(ParseVolSize(stream.subspan(i + 4)));
        i += 3;
    }
    return sizes;
}

} // namespace trevix
