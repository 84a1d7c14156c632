#include "playback/PictureFilters.h"

#include <cstring>

namespace trevix {

namespace {

constexpr std::uint64_t kHigh7 = 0x7F7F7F7F7F7F7F7FULL;
constexpr std::uint64_t kHigh6 = 0x3F3F3F3F3F3F3F3FULL;

bool Fits(int width, int height, std::size_t rowsFactor, std::size_t bytes) {
    return width > 0 && height > 0 &&
           bytes >=
               static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height) * rowsFactor;
}

std::uint64_t Load(const std::uint8_t* p) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}
void Store(std::uint8_t* p, std::uint64_t word) {
    std::memcpy(p, &word, sizeof word);
}

// Per-byte floor((a + b) / 2) without carries between the bytes of a word.
std::uint64_t AverageWord(std::uint64_t a, std::uint64_t b) {
    return (a & b) + ((a ^ b) >> 1 & kHigh7);
}

void AverageRows(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out,
                 std::size_t bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8)
        Store(out + i, AverageWord(Load(a + i), Load(b + i)));
    for (; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>((a[i] + b[i]) / 2);
}

// floor(a / 2) + floor(b / 2) per byte.
void HalfSumRows(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out,
                 std::size_t bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8)
        Store(out + i, (Load(a + i) >> 1 & kHigh7) + (Load(b + i) >> 1 & kHigh7));
    for (; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(a[i] / 2 + b[i] / 2);
}

// floor(a / 4) + floor(c / 2) + floor(b / 4) per byte; the sum stays below 256.
void BlendRows(const std::uint8_t* above, const std::uint8_t* row, const std::uint8_t* below,
               std::uint8_t* out, std::size_t bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8)
        Store(out + i, (Load(above + i) >> 2 & kHigh6) + (Load(row + i) >> 1 & kHigh7) +
                           (Load(below + i) >> 2 & kHigh6));
    for (; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(above[i] / 4 + row[i] / 2 + below[i] / 4);
}

void FieldDrop(std::size_t stride, int height, const std::uint8_t* src, std::uint8_t* dst) {
    for (int y = 0; y < height; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * stride;
        if (y % 2 == 0)
            std::memcpy(dst + at, src + at, stride);
        else if (y + 1 < height)
            AverageRows(src + at - stride, src + at + stride, dst + at, stride);
        else
            std::memcpy(dst + at, src + at - stride, stride);
    }
}

void ImageBlend(std::size_t stride, int height, const std::uint8_t* src, std::uint8_t* dst) {
    if (height == 1) {
        std::memcpy(dst, src, stride);
        return;
    }
    const auto row = [&](int y) { return src + static_cast<std::size_t>(y) * stride; };
    HalfSumRows(row(0), row(1), dst, stride);
    for (int y = 1; y + 1 < height; ++y)
        BlendRows(row(y - 1), row(y), row(y + 1), dst + static_cast<std::size_t>(y) * stride,
                  stride);
    HalfSumRows(row(height - 2), row(height - 1),
                dst + static_cast<std::size_t>(height - 1) * stride, stride);
}

// Area based interpolation: comb values per pixel of three rows at a time.
class AreaInterpolation {
public:
    AreaInterpolation(int width, int height, const std::uint8_t* src)
        : width_(static_cast<std::size_t>(width)), height_(height), stride_(width_ * 3), src_(src),
          zeroRow_(stride_, 0), terms_(stride_) {}

    void Run(std::uint8_t* dst) {
        std::vector<std::int32_t> previous(width_), current(width_), next(width_);
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* out = dst + static_cast<std::size_t>(y) * stride_;
            const std::uint8_t* row = Row(y);
            if (y % 2 == 0) {
                std::memcpy(out, row, stride_);
                continue;
            }
            if (y == 1)
                Comb(0, previous);
            Comb(y, current);
            Comb(y + 1, next);
            const std::uint8_t* above = Row(y - 1);
            const std::uint8_t* below = Below(y);
            for (std::size_t x = 0; x < width_; ++x) {
                const std::size_t at = x * 3;
                if (previous[x] + 2 * current[x] + next[x] > 2916) {
                    for (std::size_t k = at; k < at + 3; ++k)
                        out[k] = static_cast<std::uint8_t>((above[k] + below[k]) / 2);
                } else {
                    out[at] = row[at];
                    out[at + 1] = row[at + 1];
                    out[at + 2] = row[at + 2];
                }
            }
            previous.swap(next); // comb(y + 1) is comb(y' - 1) of the next odd row y' = y + 2
        }
    }

private:
    const std::uint8_t* Row(int y) const { return src_ + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* Above(int y) const { return y > 0 ? Row(y - 1) : zeroRow_.data(); }
    const std::uint8_t* Below(int y) const { return y + 1 < height_ ? Row(y + 1) : Row(y); }

    void Comb(int y, std::vector<std::int32_t>& comb) {
        if (y >= height_) {
            std::fill(comb.begin(), comb.end(), 0);
            return;
        }
        const std::uint8_t* a = Above(y);
        const std::uint8_t* c = Row(y);
        const std::uint8_t* b = Below(y);
        for (std::size_t i = 0; i < stride_; ++i) {
            const std::int32_t ac = a[i] - c[i];
            const std::int32_t bc = b[i] - c[i];
            const std::int32_t ab = a[i] - b[i];
            terms_[i] = bc * ac - (ab * ab * 625 >> 12);
        }
        for (std::size_t x = 0; x < width_; ++x)
            comb[x] = terms_[x * 3] + 6 * terms_[x * 3 + 1] + 3 * terms_[x * 3 + 2];
    }

    std::size_t width_;
    int height_;
    std::size_t stride_;
    const std::uint8_t* src_;
    std::vector<std::uint8_t> zeroRow_;
    std::vector<std::int32_t> terms_;
};

} // namespace

bool WeaveFields(int width, int height, std::span<const std::uint8_t> source,
                 std::span<std::uint8_t> destination) {
    if (!Fits(width, height, 1, source.size()) || !Fits(width, height, 1, destination.size()))
        return false;
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    const int half = height / 2;
    for (int i = 0; i < half; ++i) {
        std::memcpy(destination.data() + 2 * static_cast<std::size_t>(i) * stride,
                    source.data() + static_cast<std::size_t>(i) * stride, stride);
        std::memcpy(destination.data() + (2 * static_cast<std::size_t>(i) + 1) * stride,
                    source.data() + static_cast<std::size_t>(half + i) * stride, stride);
    }
    if (height % 2 != 0) {
        const std::size_t last = static_cast<std::size_t>(height - 1) * stride;
        std::memcpy(destination.data() + last, source.data() + last, stride);
    }
    return true;
}

int ResolveDeinterlaceMode(int mode, int playState) {
    if (mode != 99)
        return mode;
    const bool moving = playState == 3 || playState == 4 || playState == 7 || playState == 13;
    return moving ? 2 : 3;
}

bool Deinterlace(int mode, int width, std::span<const std::uint8_t> source,
                 std::span<std::uint8_t> destination, int height, int playState) {
    if (!Fits(width, height, 1, source.size()) || !Fits(width, height, 1, destination.size()))
        return false;
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    switch (ResolveDeinterlaceMode(mode, playState)) {
    case 1:
        FieldDrop(stride, height, source.data(), destination.data());
        break;
    case 2:
        ImageBlend(stride, height, source.data(), destination.data());
        break;
    case 3:
        AreaInterpolation(width, height, source.data()).Run(destination.data());
        break;
    default:
        std::memcpy(destination.data(), source.data(), stride * static_cast<std::size_t>(height));
        break;
    }
    return true;
}

bool DoubleLines(int width, int height, std::span<const std::uint8_t> source,
                 std::span<std::uint8_t> destination) {
    if (!Fits(width, height, 1, source.size()) || !Fits(width, height, 2, destination.size()))
        return false;
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int i = 0; i < height; ++i) {
        const std::uint8_t* row = source.data() + static_cast<std::size_t>(i) * stride;
        std::uint8_t* out = destination.data() + 2 * static_cast<std::size_t>(i) * stride;
        std::memcpy(out, row, stride);
        if (i + 1 < height)
            AverageRows(row, row + stride, out + stride, stride);
        else
            std::memcpy(out + stride, row, stride);
    }
    return true;
}

bool DeblockingWanted(bool deblockSetting, int playState) {
    return deblockSetting || (playState != 3 && playState != 7 && playState != 13);
}

std::size_t FilteredPicture::PictureBytes() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3;
}

std::span<std::uint8_t> FilteredPicture::Prepare(int width, int height) {
    valid_ = false;
    doubled_ = false;
    shownFromFilter_ = false;
    if (width <= 0 || height <= 0) {
        Release();
        return {};
    }
    if (width != width_ || height != height_) {
        width_ = width;
        height_ = height;
        const std::size_t bytes = PictureBytes();
        picture_.assign(bytes, 0);
        if (IsSingleField(width, height))
            filter_.assign(2 * bytes, 0);
        else if (height >= kInterlacedMinHeight)
            filter_.assign(bytes, 0);
        else
            filter_.clear();
    }
    return picture_;
}

void FilteredPicture::Finish(int deinterlaceMode, int playState) {
    if (picture_.empty())
        return;
    valid_ = true;
    if (height_ < kInterlacedMinHeight)
        return;
    WeaveFields(width_, height_, picture_, filter_);
    if (ResolveDeinterlaceMode(deinterlaceMode, playState) == 0)
        shownFromFilter_ = true;
    else
        Deinterlace(deinterlaceMode, width_, filter_, picture_, height_, playState);
}

DecodedFrame FilteredPicture::Picture() const {
    if (!valid_)
        return {};
    const std::vector<std::uint8_t>& shown = shownFromFilter_ ? filter_ : picture_;
    return DecodedFrame{std::span<const std::uint8_t>(shown.data(), PictureBytes()), width_,
                        height_};
}

DecodedFrame FilteredPicture::DoubledPicture() {
    if (!valid_ || !IsSingleField(width_, height_))
        return Picture();
    if (!doubled_)
        doubled_ = DoubleLines(width_, height_, picture_, filter_);
    return DecodedFrame{filter_, width_, height_ * 2};
}

void FilteredPicture::Release() {
    width_ = height_ = 0;
    picture_ = {};
    filter_ = {};
    valid_ = doubled_ = shownFromFilter_ = false;
}

} // namespace trevix
