#include "codec/CodecJpg.h"

#include "app/TraceLog.h"
#include "codec/PictureBlock.h"

#include <algorithm>
#include <fstream>
#include <turbojpeg.h>

namespace trevix {

namespace {

struct TurboBufferFree {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

void MirrorInPlace(std::span<std::uint8_t> pixels, int width, int height) {
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* left = pixels.data() + static_cast<std::size_t>(y) * stride;
        std::uint8_t* right = left + stride - 3;
        for (; left < right; left += 3, right -= 3) {
            std::swap_ranges(left, left + 3, right);
        }
    }
}

void Assign(std::vector<std::uint8_t>& copy, std::span<const std::uint8_t> segment) {
    copy.assign(segment.begin(), segment.end());
}

} // namespace

void CCodecJpg::HandleCloser::operator()(void* handle) const {
    if (handle != nullptr)
        tjDestroy(handle);
}

CCodecJpg::CCodecJpg() {
    Create();
}

CCodecJpg::~CCodecJpg() = default;

bool CCodecJpg::Create() {
    if (!decoder_) {
        decoder_.reset(tjInitDecompress());
        if (!decoder_ && !createFailed_)
            TRACE("Fail to create Jpeg Decoder");
    }
    if (!encoder_) {
        encoder_.reset(tjInitCompress());
        if (!encoder_ && !createFailed_)
            TRACE("Fail to create Jpeg Encoder");
    }
    createFailed_ = !decoder_ || !encoder_;
    return !createFailed_;
}

// A header read that fails half-way can leave the library's decompressor in a state where
// every later call fails; a fresh one costs little.
void CCodecJpg::ResetDecoder() {
    decoder_.reset(tjInitDecompress());
}

bool CCodecJpg::Decode(std::span<const std::uint8_t> block, const PictureOptions& options) {
    picture_.Prepare(picture_.Width(), picture_.Height()); // the last picture is gone
    const LeadingSegments segments = WalkLeadingSegments(block);
    Assign(app0_, segments.app0);
    Assign(app1_, segments.app1);
    Assign(comment_, segments.comment);
    if (!decoder_ || block.size() < 4)
        return false;

    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(decoder_.get(), block.data(), static_cast<unsigned long>(block.size()),
                            &width, &height, &subsampling, &colourspace) != 0) {
        ResetDecoder();
        return false;
    }
    if (width <= 0 || height <= 0 || width > kMaxPictureWidth || height > kMaxPictureHeight)
        return false;

    const std::span<std::uint8_t> target = picture_.Prepare(width, height);
    const bool upsideDown = options.camFlip == 1 || options.camFlip == 3;
    const int flags = upsideDown ? TJFLAG_BOTTOMUP : 0;
    if (tjDecompress2(decoder_.get(), block.data(), static_cast<unsigned long>(block.size()),
                      target.data(), width, width * 3, height, TJPF_BGR, flags) != 0) {
        // A picture that decoded with warnings (a cut-short file) is still shown; a fatal
        // error is not.
        if (tjGetErrorCode(decoder_.get()) != TJERR_WARNING) {
            ResetDecoder();
            return false;
        }
    }
    if (options.camFlip == 2 || options.camFlip == 3)
        MirrorInPlace(target, width, height);
    picture_.Finish(options.deinterlace, options.playState);
    return true;
}

bool CCodecJpg::Encode(std::span<const std::uint8_t> block, int width, int height,
                       std::span<const std::uint8_t> picture, int quality) {
    output_.clear();
    if (!encoder_ || width <= 0 || height <= 0 || width > 8192 || height > 8192 ||
        picture.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
        return false;
    unsigned char* compressed = nullptr;
    unsigned long compressedSize = 0;
    const int result =
        tjCompress2(encoder_.get(), picture.data(), width, width * 3, height, TJPF_BGR, &compressed,
                    &compressedSize, TJSAMP_420, std::clamp(quality, 1, 100), 0);
    const std::unique_ptr<unsigned char, TurboBufferFree> owner(compressed);
    if (result != 0 || compressed == nullptr || compressedSize < 4)
        return false;
    const std::span<const std::uint8_t> file(compressed, compressedSize);
    // The encoder's own leading segments are replaced by the block's.
    const auto rest = file.subspan(WalkLeadingSegments(file).end);
    const LeadingSegments segments = WalkLeadingSegments(block);

    output_.reserve(2 + segments.app0.size() + segments.app1.size() + segments.comment.size() +
                    rest.size());
    output_.push_back(0xFF);
    output_.push_back(0xD8);
    for (const auto segment : {segments.app0, segments.app1, segments.comment})
        output_.insert(output_.end(), segment.begin(), segment.end());
    output_.insert(output_.end(), rest.begin(), rest.end());
    return true;
}

bool CCodecJpg::SaveJpegFile(int height, int width, std::span<const std::uint8_t> picture,
                             int quality, std::span<const std::uint8_t> block,
                             const std::filesystem::path& path) {
    bool encoded = false;
    if (width > 0 && height > 0 && IsSingleField(width, height)) {
        doubled_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 6);
        encoded = DoubleLines(width, height, picture, doubled_) &&
                  Encode(block, width, height * 2, doubled_, quality);
    } else {
        encoded = Encode(block, width, height, picture, quality);
    }
    if (!encoded)
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(output_.data()),
              static_cast<std::streamsize>(output_.size()));
    out.close();
    return out.good();
}

} // namespace trevix
