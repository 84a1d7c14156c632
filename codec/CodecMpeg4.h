// MPEG-4 decoding of the recorder's picture blocks and MPEG-4 encoding, over the codec library
// loaded at run time (XvidLibrary). One object per camera channel decodes; a separate object
// encodes. Not thread-safe: each object is used by one thread at a time.
#pragma once

#include "codec/DecodedFrame.h"
#include "codec/XvidLibrary.h"
#include "playback/PictureFilters.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trevix {

// Result of one Encode: the coded length in bytes and whether it is a key (intra) picture.
struct EncodedPicture {
    int length = 0;
    bool keyFrame = false;
};

class CCodecMpeg4 {
public:
    // libraryFile is the codec library's file name; tests pass another to run without it.
    explicit CCodecMpeg4(std::string libraryFile = kXvidLibraryFile);
    ~CCodecMpeg4();
    CCodecMpeg4(const CCodecMpeg4&) = delete;
    CCodecMpeg4& operator=(const CCodecMpeg4&) = delete;

    // Loads the library if needed and creates a decoder for width x height (at most 720 x 576);
    // traces "Init Mpeg4 Decoder: w:%d, h:%d". False on failure.
    bool InitDecoder(int width, int height);

    // Decodes one picture block of a .vdd file (marker, comment segment with the frame header,
    // elementary stream). width x height comes from the block's size code (PictureSizeOfBlock);
    // the decoder is recreated when it changes. Pictures of one channel must arrive in stream
    // order from an intra picture on. True when a picture was decoded; GetPicture is then valid.
    bool Decode(int width, int height, std::span<const std::uint8_t> block,
                const PictureOptions& options);

    // The picture after weaving and deinterlacing of tall pictures; empty after a failed decode.
    DecodedFrame GetPicture() const { return picture_.Picture(); }
    // A single-field picture doubled to full height (others as GetPicture).
    DecodedFrame GetDoubledPicture() { return picture_.DoubledPicture(); }
    // The last block's comment segment, marker and frame header included.
    std::span<const std::uint8_t> CommentCopy() const { return comment_; }
    std::size_t FilterBufferSize() const { return picture_.FilterBufferSize(); }

    // Creates the encoder for width x height BGR pictures (simple profile level 3, no B
    // pictures, at most 30 pictures between key pictures). False on failure.
    bool InitEncoder(int width, int height);

    // Encodes one BGR picture (width * height * 3 bytes, top row first, width and height of
    // InitEncoder). quality 1-100 maps to the quantiser (100 finest); forceKeyFrame asks for an
    // intra picture. The elementary stream bytes are then in EncodedData (valid until the next
    // Encode). Nothing on failure.
    std::optional<EncodedPicture> Encode(std::span<const std::uint8_t> picture, int quality,
                                         bool forceKeyFrame);
    std::span<const std::uint8_t> EncodedData() const;

    // Destroys decoder and encoder, unloads the library and frees the buffers.
    void Release();

private:
    bool LoadLibrary();
    void DestroyDecoder();
    void DestroyEncoder();

    std::string libraryFile_;
    std::optional<XvidLibrary> library_;
    bool libraryFailed_ = false; // a failed load is traced once, not on every picture

    void* decoder_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    FilteredPicture picture_;
    std::vector<std::uint8_t> mirror_;
    std::vector<std::uint8_t> stream_; // elementary stream with zero padding after it
    std::vector<std::uint8_t> comment_;

    void* encoder_ = nullptr;
    int encodeWidth_ = 0;
    int encodeHeight_ = 0;
    std::vector<std::uint8_t> output_;
    int outputLength_ = 0;
};

} // namespace trevix
