// Test pictures as a camera of the recorder would deliver them: a moving scene in the channel's
// colour with the frame counter and the recorder time drawn in a tiny built-in font.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trevix::mkcard {

// 24-bit BGR, rows of width * 3 bytes, top row first.
struct BgrPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    BgrPicture() = default;
    BgrPicture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3) {}
    std::uint8_t* Pixel(int x, int y) {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
    const std::uint8_t* Pixel(int x, int y) const {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
};

struct Colour {
    std::uint8_t b = 0, g = 0, r = 0;
};

// Characters of the built-in 5 x 7 font: digits, space and ": - . / #" and "C H F E N V T".
// Other characters are drawn as blanks. Each character cell is 6 x 8 font pixels, each font
// pixel a scale x scale square. Drawing is clipped to the picture.
void DrawText(BgrPicture& picture, int x, int y, int scale, std::string_view text, Colour colour);
// Width in picture pixels of text drawn at scale.
int TextWidth(std::string_view text, int scale);
void FillRect(BgrPicture& picture, int x, int y, int w, int h, Colour colour);

// A full progressive picture of the scene: channel (0-3) sets the colours, frameNumber moves
// the scene, and the caption lines show "CHn #frame" and the time text.
BgrPicture DrawScene(int width, int height, int channel, int frameNumber,
                     std::string_view timeText);

// A synchronisation flash: the whole picture nearly white, with the same caption in black, so
// that it differs from every scene picture by its mean brightness even after coarse coding.
BgrPicture DrawFlash(int width, int height, int channel, int frameNumber,
                     std::string_view timeText);

// The recorder's layout of a tall (interlaced) picture: the first field (even rows) in the top
// half, the second field (odd rows) in the bottom half.
BgrPicture StackFields(const BgrPicture& progressive);

// "YYYY-MM-DD HH:MM:SS.mmm" of a wall-clock time.
std::string TimeText(std::int64_t wallMs);

} // namespace trevix::mkcard
