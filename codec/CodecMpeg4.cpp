#include "codec/CodecMpeg4.h"

#include "app/TraceLog.h"
#include "codec/PictureBlock.h"

#include <algorithm>
#include <cstring>
#include <xvid.h>

namespace trevix {

namespace {

// The library reads its bitstream a few words at a time and may look past the given length.
constexpr std::size_t kStreamPadding = 64;
constexpr std::size_t kMinOutputBuffer = 500000;

bool ValidPictureSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxPictureWidth && height <= kMaxPictureHeight;
}

// Row stride the decoder is told: width * 24 bits rounded up to whole 32-bit words.
int RowStride(int width) {
    return (width * 24 + 31) / 32 * 4;
}

// Quality 1-100 to the quantiser 31-2.
int QuantiserFor(int quality) {
    const int clamped = std::clamp(quality, 1, 100);
    return 2 + (100 - clamped) * 29 / 99;
}

void MirrorRows(const std::uint8_t* source, std::uint8_t* destination, int width, int height) {
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = source + static_cast<std::size_t>(y) * stride;
        std::uint8_t* out = destination + static_cast<std::size_t>(y) * stride + stride - 3;
        for (int x = 0; x < width; ++x, in += 3, out -= 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
}

} // namespace

CCodecMpeg4::CCodecMpeg4(std::string libraryFile) : libraryFile_(std::move(libraryFile)) {}

CCodecMpeg4::~CCodecMpeg4() {
    Release();
}

bool CCodecMpeg4::LoadLibrary() {
    if (library_)
        return true;
    if (libraryFailed_)
        return false;
    library_ = XvidLibrary::Load(libraryFile_);
    libraryFailed_ = !library_;
    return library_.has_value();
}

void CCodecMpeg4::DestroyDecoder() {
    if (decoder_ != nullptr && library_)
        library_->Decore()(decoder_, XVID_DEC_DESTROY, nullptr, nullptr);
    decoder_ = nullptr;
    width_ = height_ = 0;
    picture_.Release();
    mirror_ = {};
}

void CCodecMpeg4::DestroyEncoder() {
    if (encoder_ != nullptr && library_)
        library_->Encore()(encoder_, XVID_ENC_DESTROY, nullptr, nullptr);
    encoder_ = nullptr;
    encodeWidth_ = encodeHeight_ = 0;
    output_ = {};
    outputLength_ = 0;
}

void CCodecMpeg4::Release() {
    DestroyDecoder();
    DestroyEncoder();
    stream_ = {};
    comment_ = {};
    library_.reset();
    libraryFailed_ = false;
}

bool CCodecMpeg4::InitDecoder(int width, int height) {
    DestroyDecoder();
    if (!ValidPictureSize(width, height) || !LoadLibrary() || !library_->InitGlobal())
        return false;
    xvid_dec_create_t create{};
    create.version = kXvidApiVersion;
    create.width = width;
    create.height = height;
    if (library_->Decore()(nullptr, XVID_DEC_CREATE, &create, nullptr) < 0 ||
        create.handle == nullptr)
        return false;
    decoder_ = create.handle;
    width_ = width;
    height_ = height;
    TRACE("Init Mpeg4 Decoder: w:%d, h:%d", width, height);
    picture_.Prepare(width, height);
    mirror_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0);
    return true;
}

bool CCodecMpeg4::Decode(int width, int height, std::span<const std::uint8_t> block,
                         const PictureOptions& options) {
    int general = XVID_LOWDELAY;
    if (DeblockingWanted(options.deblock, options.playState))
        general |= XVID_DEBLOCKY | XVID_DEBLOCKUV;

    if (decoder_ == nullptr || width != width_ || height != height_) {
        if (!InitDecoder(width, height))
            return false;
    }
    const std::span<std::uint8_t> target = picture_.Prepare(width, height);

    const auto comment = FindCommentSegment(block);
    if (!comment)
        return false;
    comment_.assign(comment->bytes.begin(), comment->bytes.end());

    const std::size_t streamStart = comment->offset + comment->bytes.size();
    if (streamStart + 3 > block.size() || block[streamStart] != 0 || block[streamStart + 1] != 0 ||
        block[streamStart + 2] != 1) {
        TRACE("Bad mpeg4 stream");
        return false;
    }
    // The decoder resizes itself to any layer header it meets and then writes pictures of that
    // size; a stream whose layer size is not the block's is refused before it gets there.
    const auto stream = block.subspan(streamStart - 2);
    for (const PictureSize size : VolSizesInStream(stream.subspan(2))) {
        if (size != PictureSize{width, height}) {
            TRACE("Bad mpeg4 stream");
            return false;
        }
    }
    stream_.assign(stream.begin(), stream.end());
    stream_.resize(stream.size() + kStreamPadding, 0);

    const bool mirror = options.camFlip == 2 || options.camFlip == 3;
    const bool upsideDown = options.camFlip == 1 || options.camFlip == 3;

    xvid_dec_frame_t frame{};
    frame.version = kXvidApiVersion;
    frame.general = general;
    frame.output.csp = XVID_CSP_BGR | (upsideDown ? XVID_CSP_VFLIP : 0);
    frame.output.plane[0] = mirror ? mirror_.data() : target.data();
    frame.output.stride[0] = RowStride(width);
    frame.brightness = 0;

    // A block may carry layer headers before its picture; the decoder reports each header
    // separately, so it is called until a picture comes out or the data is used up.
    std::uint8_t* data = stream_.data();
    int remaining = static_cast<int>(stream.size());
    bool decoded = false;
    while (remaining > 0 && !decoded) {
        frame.bitstream = data;
        frame.length = remaining;
        xvid_dec_stats_t stats{};
        stats.version = kXvidApiVersion;
        const int used = library_->Decore()(decoder_, XVID_DEC_DECODE, &frame, &stats);
        if (used < 0)
            return false;
        if (stats.type == XVID_TYPE_VOL &&
            (stats.data.vol.width != width || stats.data.vol.height != height)) {
            DestroyDecoder(); // its buffers no longer match ours
            return false;
        }
        decoded = stats.type > 0;
        if (used == 0)
            break;
        const int consumed = std::min(used, remaining);
        data += consumed;
        remaining -= consumed;
    }
    if (!decoded)
        return false;
    if (mirror)
        MirrorRows(mirror_.data(), target.data(), width, height);
    picture_.Finish(options.deinterlace, options.playState);
    return true;
}

bool CCodecMpeg4::InitEncoder(int width, int height) {
    DestroyEncoder();
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || !LoadLibrary() ||
        !library_->InitGlobal())
        return false;
    xvid_enc_create_t create{};
    create.version = kXvidApiVersion;
    create.profile = XVID_PROFILE_S_L3;
    create.width = width;
    create.height = height;
    create.num_zones = 0;
    create.zones = nullptr;
    create.num_plugins = 0;
    create.plugins = nullptr;
    create.num_threads = 1;
    create.max_bframes = 0;
    create.global = 0;
    create.fincr = 0;
    create.fbase = 30;
    create.max_key_interval = 30;
    create.frame_drop_ratio = 0;
    create.bquant_ratio = 100;
    create.bquant_offset = 100;
    if (library_->Encore()(nullptr, XVID_ENC_CREATE, &create, nullptr) < 0 ||
        create.handle == nullptr)
        return false;
    encoder_ = create.handle;
    encodeWidth_ = width;
    encodeHeight_ = height;
    // Room for an intra picture at the finest quantiser even when it is larger than usual.
    output_.assign(std::max(kMinOutputBuffer, static_cast<std::size_t>(width) * height * 4), 0);
    return true;
}

std::optional<EncodedPicture> CCodecMpeg4::Encode(std::span<const std::uint8_t> picture,
                                                  int quality, bool forceKeyFrame) {
    outputLength_ = 0;
    const std::size_t bytes =
        static_cast<std::size_t>(encodeWidth_) * static_cast<std::size_t>(encodeHeight_) * 3;
    if (encoder_ == nullptr || picture.size() < bytes)
        return std::nullopt;
    xvid_enc_frame_t frame{};
    frame.version = kXvidApiVersion;
    frame.vol_flags = 0;
    frame.vop_flags = XVID_VOP_HALFPEL | XVID_VOP_INTER4V | XVID_VOP_HQACPRED;
    frame.motion = XVID_ME_ADVANCEDDIAMOND16 | XVID_ME_HALFPELREFINE16 | XVID_ME_EXTSEARCH16 |
                   XVID_ME_HALFPELREFINE8 | XVID_ME_USESQUARES16;
    frame.input.csp = XVID_CSP_BGR;
    frame.input.plane[0] = const_cast<std::uint8_t*>(picture.data()); // read only
    frame.input.stride[0] = encodeWidth_ * 3;
    frame.type = forceKeyFrame ? XVID_TYPE_IVOP : XVID_TYPE_AUTO;
    frame.quant = QuantiserFor(quality);
    frame.bitstream = output_.data();
    frame.length = static_cast<int>(output_.size());
    xvid_enc_stats_t stats{};
    stats.version = kXvidApiVersion;
    const int length = library_->Encore()(encoder_, XVID_ENC_ENCODE, &frame, &stats);
    if (length < 0 || static_cast<std::size_t>(length) > output_.size())
        return std::nullopt;
    outputLength_ = length;
    return EncodedPicture{length, (frame.out_flags & XVID_KEYFRAME) != 0};
}

std::span<const std::uint8_t> CCodecMpeg4::EncodedData() const {
    return std::span<const std::uint8_t>(output_.data(), static_cast<std::size_t>(outputLength_));
}

} // namespace trevix
