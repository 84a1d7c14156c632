// A decoded picture as the decoders hand it on, and the settings a caller passes with a decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace trevix {

// 24-bit BGR pixels (blue, green, red), rows of width * 3 bytes, top row first, one row after the
// other. The bytes belong to the codec object that decoded them and stay valid until its next
// decode; a receiver that keeps the picture copies it.
struct DecodedFrame {
    std::span<const std::uint8_t> pixels;
    int width = 0;
    int height = 0;

    bool Empty() const { return pixels.empty(); }
    std::size_t Stride() const { return static_cast<std::size_t>(width) * 3; }
    std::span<const std::uint8_t> Row(int y) const {
        return pixels.subspan(static_cast<std::size_t>(y) * Stride(), Stride());
    }
};

// What the viewer's settings and the play clock ask of one decode.
struct PictureOptions {
    bool deblock = false; // "Deblock": deblock MPEG-4 pictures at every play state
    int deinterlace = 99; // "DeInterlace": 0 off, 1 field drop, 2 blending, 3 area based, 99 auto
    int camFlip = 0;      // "CamFlipN" of the channel: 0 normal, 1 upside down, 2 mirror, 3 both
    int playState = 1;    // PlayState: 1 stopped, 2-7 forward, 8-13 backward
};

} // namespace trevix
