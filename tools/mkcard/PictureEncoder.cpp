#include "tools/mkcard/PictureEncoder.h"

#include "codec/CodecJpg.h"
#include "codec/CodecMpeg4.h"

namespace trevix::mkcard {
namespace {

// Our quality steps 1-6 on the codecs' 1-100 scale.
int CodecQuality(int quality) {
    return 10 + quality * 15;
}

class Mpeg4PictureEncoder final : public PictureEncoder {
public:
    explicit Mpeg4PictureEncoder(int quality) : quality_(CodecQuality(quality)) {}

    // A fresh encoder per data file, so every file starts with the stream headers and an
    // intra picture and decodes on its own.
    bool Start(int width, int height) override {
        width_ = width;
        height_ = height;
        return codec_.InitEncoder(width, height);
    }

    bool Encode(const BgrPicture& picture, bool forceKey, CodedPicture& out) override {
        if (picture.width != width_ || picture.height != height_)
            return false;
        const auto result = codec_.Encode(picture.pixels, quality_, forceKey);
        if (!result || result->length <= 0)
            return false;
        const auto data = codec_.EncodedData();
        out.bytes.assign(data.begin(), data.end());
        out.key = result->keyFrame;
        return true;
    }

private:
    CCodecMpeg4 codec_;
    int quality_;
    int width_ = 0, height_ = 0;
};

class JpegPictureEncoder final : public PictureEncoder {
public:
    explicit JpegPictureEncoder(int quality) : quality_(CodecQuality(quality)) {}

    bool Start(int width, int height) override {
        width_ = width;
        height_ = height;
        return codec_.Create();
    }

    bool Encode(const BgrPicture& picture, bool, CodedPicture& out) override {
        if (picture.width != width_ || picture.height != height_ ||
            !codec_.Encode({}, width_, height_, picture.pixels, quality_))
            return false;
        const auto data = codec_.EncodedData();
        out.bytes.assign(data.begin(), data.end());
        out.key = true;
        return true;
    }

private:
    CCodecJpg codec_;
    int quality_;
    int width_ = 0, height_ = 0;
};

} // namespace

std::unique_ptr<PictureEncoder> MakePictureEncoder(Codec codec, int quality) {
    if (codec == Codec::Jpeg)
        return std::make_unique<JpegPictureEncoder>(quality);
    return std::make_unique<Mpeg4PictureEncoder>(quality);
}

} // namespace trevix::mkcard
