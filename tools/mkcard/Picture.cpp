#include "tools/mkcard/Picture.h"

#include "tools/mkcard/WallClock.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace trevix::mkcard {
namespace {

struct Glyph {
    char character;
    std::array<std::uint8_t, 7> rows; // bit 4 is the leftmost column
};

constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
};

constexpr int kCellWidth = 6;
constexpr int kCellHeight = 8;

const Glyph* FindGlyph(char c) {
    for (const Glyph& glyph : kGlyphs)
        if (glyph.character == c)
            return &glyph;
    return nullptr;
}

// Base colours of the four cameras: blue, green, red, amber.
constexpr Colour kChannelColours[4] = {{150, 80, 30}, {60, 130, 40}, {40, 50, 150}, {30, 130, 170}};

constexpr Colour kFlashColour{235, 235, 235};

int CaptionScale(int width) {
    return std::max(1, width / 180);
}

std::string CounterText(int channel, int frameNumber) {
    char counter[32];
    std::snprintf(counter, sizeof counter, "CH%d #%06d", channel + 1, frameNumber);
    return counter;
}

int CaptionWidth(std::string_view counter, std::string_view timeText, int scale) {
    return std::max(TextWidth(counter, scale), TextWidth(timeText, scale)) + 2 * scale;
}

// The two caption lines at the top left: "CHn #frame" and the time.
void DrawCaption(BgrPicture& picture, std::string_view counter, std::string_view timeText,
                 int scale, Colour colour) {
    DrawText(picture, scale, scale, scale, counter, colour);
    DrawText(picture, scale, scale + kCellHeight * scale, scale, timeText, colour);
}

} // namespace

void FillRect(BgrPicture& picture, int x, int y, int w, int h, Colour colour) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(picture.width, x + w), y1 = std::min(picture.height, y + h);
    for (int row = y0; row < y1; ++row)
        for (int column = x0; column < x1; ++column) {
            std::uint8_t* pixel = picture.Pixel(column, row);
            pixel[0] = colour.b;
            pixel[1] = colour.g;
            pixel[2] = colour.r;
        }
}

int TextWidth(std::string_view text, int scale) {
    return static_cast<int>(text.size()) * kCellWidth * scale;
}

void DrawText(BgrPicture& picture, int x, int y, int scale, std::string_view text, Colour colour) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Glyph* glyph = FindGlyph(text[i]);
        if (glyph == nullptr)
            continue;
        const int cellX = x + static_cast<int>(i) * kCellWidth * scale;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if (glyph->rows[row] & (0x10 >> column))
                    FillRect(picture, cellX + column * scale, y + row * scale, scale, scale,
                             colour);
    }
}

BgrPicture DrawScene(int width, int height, int channel, int frameNumber,
                     std::string_view timeText) {
    BgrPicture picture(width, height);
    const Colour base = kChannelColours[static_cast<unsigned>(channel) % 4];
    // Sky-to-road gradient in the channel's colour.
    for (int y = 0; y < height; ++y) {
        const int shade = 40 + 120 * y / std::max(1, height - 1);
        const Colour row{static_cast<std::uint8_t>(base.b * shade / 160),
                         static_cast<std::uint8_t>(base.g * shade / 160),
                         static_cast<std::uint8_t>(base.r * shade / 160)};
        FillRect(picture, 0, y, width, 1, row);
    }
    // Lane marks moving towards the camera and a post passing from right to left.
    const int stripe = std::max(4, height / 12);
    for (int y = height / 2 + (frameNumber * 3) % (stripe * 2); y < height; y += stripe * 2)
        FillRect(picture, width / 2 - width / 80, y, std::max(2, width / 40), stripe,
                 {220, 220, 220});
    const int postX = width - 1 - (frameNumber * (width / 60 + 1)) % (width + width / 10);
    FillRect(picture, postX, height / 4, std::max(3, width / 45), height / 2, {40, 40, 40});

    // Caption: a dark box with white text, so it stays readable after compression.
    const int scale = CaptionScale(width);
    const std::string counter = CounterText(channel, frameNumber);
    FillRect(picture, 0, 0, CaptionWidth(counter, timeText, scale),
             2 * kCellHeight * scale + 2 * scale, {0, 0, 0});
    DrawCaption(picture, counter, timeText, scale, {255, 255, 255});
    return picture;
}

BgrPicture DrawFlash(int width, int height, int channel, int frameNumber,
                     std::string_view timeText) {
    BgrPicture picture(width, height);
    FillRect(picture, 0, 0, width, height, kFlashColour);
    DrawCaption(picture, CounterText(channel, frameNumber), timeText, CaptionScale(width),
                {0, 0, 0});
    return picture;
}

BgrPicture StackFields(const BgrPicture& progressive) {
    BgrPicture stacked(progressive.width, progressive.height);
    const int half = progressive.height / 2;
    const std::size_t stride = static_cast<std::size_t>(progressive.width) * 3;
    for (int y = 0; y < progressive.height; ++y) {
        const int target = (y % 2 == 0) ? y / 2 : half + y / 2;
        std::copy_n(progressive.Pixel(0, y), stride, stacked.Pixel(0, target));
    }
    return stacked;
}

std::string TimeText(std::int64_t wallMs) {
    const WallTime t = WallFields(wallMs);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

} // namespace trevix::mkcard
