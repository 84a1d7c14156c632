// Line filters for 24-bit BGR pictures (rows of width * 3 bytes, top row first): weaving of the
// two fields that tall MPEG-4 and JPEG pictures store one above the other, the deinterlacing
// modes, line doubling of single-field pictures, and the rules that pick the deinterlacing mode
// and the deblocking switch by the play state.
//
// Each filter checks that the buffers hold the picture and returns false (writing nothing)
// when they do not or when a size is not positive. Source and destination must not overlap.
#pragma once

#include "codec/DecodedFrame.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace trevix {

// Tall pictures (this many lines or more) are woven and deinterlaced.
inline constexpr int kInterlacedMinHeight = 480;

// Destination row 2i = source row i, row 2i + 1 = source row h/2 + i, for i < h/2. With an odd
// height the last row is copied as it is.
bool WeaveFields(int width, int height, std::span<const std::uint8_t> source,
                 std::span<std::uint8_t> destination);

// Mode 99 becomes 2 (image blending) for play states 3, 4, 7 and 13 and 3 (area based
// interpolation) for every other state; other modes stay as they are.
int ResolveDeinterlaceMode(int mode, int playState);

// Deinterlaces a woven picture. Mode 0 and unknown modes copy; 1 field drop, 2 image blending,
// 3 area based interpolation, 99 automatic by playState. All arithmetic is per byte.
//
// Mode 3 computes, per pixel of row y, comb(y) = T(B) + 6 T(G) + 3 T(R) with
// T = (b - c)(a - c) - floor((a - b)^2 * 625 / 4096) from the byte above (a), the byte itself (c)
// and the byte below (b). The row above the first row counts as 0, the row below the last row
// is the last row itself, and comb of a row outside the picture is 0. A pixel of an odd row is
// replaced by the average of the pixels above and below when
// comb(y - 1) + 2 comb(y) + comb(y + 1) > 2916.
bool Deinterlace(int mode, int width, std::span<const std::uint8_t> source,
                 std::span<std::uint8_t> destination, int height, int playState = 1);

// A single-field picture of height rows to 2 * height rows: row 2i = source row i, row 2i + 1 =
// average of source rows i and i + 1, the last row a copy of the last source row.
bool DoubleLines(int width, int height, std::span<const std::uint8_t> source,
                 std::span<std::uint8_t> destination);

// MPEG-4 deblocking is requested when the "Deblock" setting is on, or when the play state is
// neither 3 (x1), 7 (x16) nor 13 (reverse x16).
bool DeblockingWanted(bool deblockSetting, int playState);

// A single-field picture is less than half as high as it is wide.
inline bool IsSingleField(int width, int height) {
    return height * 2 < width;
}

// The picture buffer of a decoder and its filter buffer: the decoder writes into the picture
// buffer, Finish weaves and deinterlaces tall pictures, DoubledPicture doubles single fields.
// The filter buffer holds 2 * w * h * 3 bytes for a single-field picture and w * h * 3 bytes
// for a tall one.
class FilteredPicture {
public:
    // Sizes the buffers for width x height (zeroed when they change size, kept otherwise) and
    // returns the picture buffer to decode into. The previous picture is no longer valid.
    std::span<std::uint8_t> Prepare(int width, int height);

    // Marks the decoded picture valid; weaves a tall picture and deinterlaces it by the mode.
    void Finish(int deinterlaceMode, int playState);

    // The picture to show after Finish, empty before it or after Prepare.
    DecodedFrame Picture() const;
    // A single-field picture doubled to full height; any other picture as Picture gives it.
    DecodedFrame DoubledPicture();

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::size_t FilterBufferSize() const { return filter_.size(); }
    void Release();

private:
    std::size_t PictureBytes() const;

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> picture_;
    std::vector<std::uint8_t> filter_;
    bool valid_ = false;
    bool shownFromFilter_ = false; // woven picture without deinterlacing lies in filter_
    bool doubled_ = false;         // filter_ holds the doubled single field
};

} // namespace trevix
