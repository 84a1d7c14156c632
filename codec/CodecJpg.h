// JPEG decoding of the recorder's JPEG picture blocks and JPEG encoding of still pictures that
// carry the recorder's segments (APP0, APP1 and the comment segment with the frame header).
// One object per user; not thread-safe.
#pragma once

#include "codec/DecodedFrame.h"
#include "playback/PictureFilters.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace trevix {

class CCodecJpg {
public:
    CCodecJpg(); // runs Create
    ~CCodecJpg();
    CCodecJpg(const CCodecJpg&) = delete;
    CCodecJpg& operator=(const CCodecJpg&) = delete;

    // Creates the decoder and the encoder; traces "Fail to create Jpeg Decoder" or "Fail to
    // create Jpeg Encoder" for the one that cannot be made. True when both exist.
    bool Create();

    // Decodes a JPEG picture block (a whole JPEG file). Its leading APP0, APP1 and comment
    // segments are kept (App0Segment, ...). Pictures larger than 720 x 576 or of zero size fail.
    bool Decode(std::span<const std::uint8_t> block, const PictureOptions& options);

    DecodedFrame GetPicture() const { return picture_.Picture(); }
    DecodedFrame GetDoubledPicture() { return picture_.DoubledPicture(); }
    std::size_t FilterBufferSize() const { return picture_.FilterBufferSize(); }

    std::span<const std::uint8_t> App0Segment() const { return app0_; }
    std::span<const std::uint8_t> App1Segment() const { return app1_; }
    std::span<const std::uint8_t> CommentSegment() const { return comment_; }

    // Encodes a width x height BGR picture (width * height * 3 bytes, top row first) with
    // quality 1-100 and builds a JPEG file: FF D8, the APP0, APP1 and comment segments of block
    // (those it has; block may be an MPEG-4 or JPEG picture block, or empty), then the
    // compressed picture. The file is in EncodedData until the next Encode. False on failure.
    bool Encode(std::span<const std::uint8_t> block, int width, int height,
                std::span<const std::uint8_t> picture, int quality);
    std::span<const std::uint8_t> EncodedData() const { return output_; }

    // As Encode, doubling a single-field picture to full height first, then writes the file to
    // path (replacing it). False when encoding or writing fails.
    bool SaveJpegFile(int height, int width, std::span<const std::uint8_t> picture, int quality,
                      std::span<const std::uint8_t> block, const std::filesystem::path& path);

private:
    struct HandleCloser {
        void operator()(void* handle) const;
    };
    using Handle = std::unique_ptr<void, HandleCloser>;
    void ResetDecoder();

    Handle decoder_;
    Handle encoder_;
    bool createFailed_ = false;
    FilteredPicture picture_;
    std::vector<std::uint8_t> app0_, app1_, comment_;
    std::vector<std::uint8_t> output_;
    std::vector<std::uint8_t> doubled_;
};

} // namespace trevix
