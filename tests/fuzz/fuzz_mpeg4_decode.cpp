// Fuzz target: MPEG-4 picture blocks through the channel decoder. The first byte chooses the
// decode options; the rest is one or more picture blocks, decoded in order by one decoder.
#include "codec/CodecMpeg4.h"
#include "codec/PictureBlock.h"

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
    options.deblock = (data[0] & 0x80) != 0;
    std::span<const std::uint8_t> rest(data + 1, size - 1);
    trevix::CCodecMpeg4 codec;
    for (int i = 0; i < 4 && !rest.empty(); ++i) {
        const auto block = rest.first(trevix::FirstBlockLength(rest));
        rest = rest.subspan(block.size());
        const auto pictureSize = trevix::PictureSizeOfBlock(block);
        if (!pictureSize)
            continue;
        if (codec.Decode(pictureSize->width, pictureSize->height, block, options)) {
            const trevix::DecodedFrame frame = codec.GetPicture();
            volatile std::uint8_t sink = frame.pixels.empty() ? 0 : frame.pixels.back();
            const trevix::DecodedFrame doubled = codec.GetDoubledPicture();
            sink = doubled.pixels.empty() ? 0 : doubled.pixels.back();
            (void)sink;
        }
    }
    return 0;
}
