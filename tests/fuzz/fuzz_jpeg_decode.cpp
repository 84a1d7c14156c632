// Fuzz target: JPEG picture blocks through the channel decoder, and a decoded picture encoded
// again with the block's segments. The first byte chooses the decode options.
#include "codec/CodecJpg.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    trevix::PictureOptions options;
    options.camFlip = data[0] & 3;
    options.deinterlace = (data[0] >> 2 & 3) == 3 ? 99 : data[0] >> 2 & 3;
    options.playState = 1 + (data[0] >> 4) % 13;
    const std::span<const std::uint8_t> block(data + 1, size - 1);
    static trevix::CCodecJpg codec; // the decoder must also survive what earlier inputs did
    if (codec.Decode(block, options)) {
        const trevix::DecodedFrame frame = codec.GetDoubledPicture();
        if ((data[0] & 0x80) != 0)
            codec.Encode(block, frame.width, frame.height, frame.pixels, 50);
    }
    return 0;
}
