#include "codec/CodecMpeg4.h"
#include "codec/PictureBlock.h"
#include "playback/PictureFilters.h"
#include "tests/codec/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace trevix;
using namespace trevix::test;

namespace {

// A stream of picture blocks made with our encoder, with the pictures that went in.
struct EncodedStream {
    int width = 0;
    int height = 0;
    std::vector<Bytes> pictures;
    std::vector<Bytes> elementary; // one coded picture each
    std::vector<Bytes> blocks;
    std::vector<bool> keys;
};

EncodedStream EncodeStream(int width, int height, int count, int quality = 100) {
    EncodedStream stream{width, height, {}, {}, {}, {}};
    CCodecMpeg4 encoder;
    EXPECT_TRUE(encoder.InitEncoder(width, height));
    for (int i = 0; i < count; ++i) {
        stream.pictures.push_back(SyntheticPicture(width, height, i));
        const auto result = encoder.Encode(stream.pictures.back(), quality, i == 0);
        EXPECT_TRUE(result.has_value());
        if (!result)
            break;
        stream.elementary.push_back(Vector(encoder.EncodedData()));
        EXPECT_EQ(static_cast<std::size_t>(result->length), stream.elementary.back().size());
        stream.keys.push_back(result->keyFrame);
        stream.blocks.push_back(
            MakeMpeg4Block(FrameHeader(SizeCodeFor(width, height)), stream.elementary.back()));
    }
    return stream;
}

PictureOptions Plain(int camFlip = 0, int deinterlace = 0) {
    PictureOptions options;
    options.deblock = false;
    options.playState = 3; // x1: no deblocking, so the pictures match other decoders
    options.camFlip = camFlip;
    options.deinterlace = deinterlace;
    return options;
}

Bytes DecodeFirst(const Bytes& block, int width, int height, const PictureOptions& options) {
    CCodecMpeg4 decoder;
    EXPECT_TRUE(decoder.Decode(width, height, block, options));
    return Vector(decoder.GetPicture().pixels);
}

} // namespace

TEST(Mpeg4Codec, EncodedStreamDecodesInOrderCloseToTheInput) {
    const EncodedStream stream = EncodeStream(360, 240, 6);
    ASSERT_EQ(stream.blocks.size(), 6u);
    EXPECT_TRUE(stream.keys[0]);
    EXPECT_FALSE(stream.keys[1]); // predicted pictures follow the first key picture

    CCodecMpeg4 decoder;
    for (std::size_t i = 0; i < stream.blocks.size(); ++i) {
        ASSERT_TRUE(decoder.Decode(360, 240, stream.blocks[i], Plain())) << i;
        const DecodedFrame frame = decoder.GetPicture();
        ASSERT_EQ(frame.width, 360);
        ASSERT_EQ(frame.height, 240);
        EXPECT_GT(Psnr(frame.pixels, stream.pictures[i]), 30.0) << "picture " << i;
    }
    // The comment copy is the block's comment segment: marker, length and frame header.
    const auto comment = decoder.CommentCopy();
    ASSERT_EQ(comment.size(), 64u);
    EXPECT_EQ(comment[0], 0xFF);
    EXPECT_EQ(comment[1], 0xFE);
    EXPECT_EQ(Bytes(comment.begin() + 4, comment.end()), FrameHeader(2));
}

TEST(Mpeg4Codec, ForcedKeyFramesAndQualityChangeTheCoding) {
    CCodecMpeg4 encoder;
    ASSERT_TRUE(encoder.InitEncoder(360, 240));
    const Bytes picture = SyntheticPicture(360, 240);
    ASSERT_TRUE(encoder.Encode(picture, 100, true)->keyFrame);
    EXPECT_FALSE(encoder.Encode(picture, 100, false)->keyFrame);
    const auto forced = encoder.Encode(picture, 100, true);
    ASSERT_TRUE(forced);
    EXPECT_TRUE(forced->keyFrame);
    const auto coarse = encoder.Encode(picture, 10, true);
    ASSERT_TRUE(coarse);
    EXPECT_LT(coarse->length, forced->length);
    // A picture shorter than the encoder's size is refused, as is an encoder never created.
    EXPECT_FALSE(encoder.Encode(std::span(picture).first(100), 100, false));
    CCodecMpeg4 unused;
    EXPECT_FALSE(unused.Encode(picture, 100, false));
}

TEST(Mpeg4Codec, CamFlipTurnsThePictureExactly) {
    const EncodedStream stream = EncodeStream(360, 240, 1);
    const Bytes plain = DecodeFirst(stream.blocks[0], 360, 240, Plain(0));
    const Bytes flipped = FlipVertically(plain, 360, 240);
    EXPECT_EQ(DecodeFirst(stream.blocks[0], 360, 240, Plain(1)), flipped);
    EXPECT_EQ(DecodeFirst(stream.blocks[0], 360, 240, Plain(2)), Mirror(plain, 360, 240));
    EXPECT_EQ(DecodeFirst(stream.blocks[0], 360, 240, Plain(3)), Mirror(flipped, 360, 240));
}

TEST(Mpeg4Codec, TallPicturesAreWovenThenDeinterlacedByPlayState) {
    // The recorder stores the two fields one above the other; weaving interleaves them.
    const EncodedStream stream = EncodeStream(720, 480, 1);
    const Bytes woven = DecodeFirst(stream.blocks[0], 720, 480, Plain(0, 0));
    Bytes expectedWoven(woven.size());
    ASSERT_TRUE(WeaveFields(720, 480, stream.pictures[0], expectedWoven));
    EXPECT_GT(Psnr(woven, expectedWoven), 30.0);

    Bytes blended(woven.size());
    Bytes area(woven.size());
    Deinterlace(2, 720, woven, blended, 480);
    Deinterlace(3, 720, woven, area, 480);
    PictureOptions automatic = Plain(0, 99);
    EXPECT_EQ(DecodeFirst(stream.blocks[0], 720, 480, automatic), blended); // x1 blends
    automatic.playState = 1;
    automatic.deblock = false;
    // Stopped: area based interpolation (and deblocking, which changes the decoded bytes, so
    // only the filter's choice is compared here through the woven picture of the same decode).
    CCodecMpeg4 decoder;
    PictureOptions stoppedPlain = automatic;
    stoppedPlain.deinterlace = 0;
    ASSERT_TRUE(decoder.Decode(720, 480, stream.blocks[0], stoppedPlain));
    const Bytes stoppedWoven = Vector(decoder.GetPicture().pixels);
    Bytes stoppedArea(woven.size());
    Deinterlace(3, 720, stoppedWoven, stoppedArea, 480);
    CCodecMpeg4 second;
    ASSERT_TRUE(second.Decode(720, 480, stream.blocks[0], automatic));
    EXPECT_EQ(Vector(second.GetPicture().pixels), stoppedArea);
    EXPECT_EQ(second.FilterBufferSize(), 720u * 480 * 3);
}

TEST(Mpeg4Codec, SingleFieldPicturesGetADoubleSizeFilterBufferAndDouble) {
    const EncodedStream stream = EncodeStream(720, 240, 1);
    CCodecMpeg4 decoder;
    ASSERT_TRUE(decoder.Decode(720, 240, stream.blocks[0], Plain(0, 99)));
    EXPECT_EQ(decoder.FilterBufferSize(), 2u * 720 * 240 * 3);
    const Bytes single = Vector(decoder.GetPicture().pixels);
    EXPECT_GT(Psnr(single, stream.pictures[0]), 30.0); // not woven: only 240 lines
    Bytes doubled(single.size() * 2);
    ASSERT_TRUE(DoubleLines(720, 240, single, doubled));
    const DecodedFrame full = decoder.GetDoubledPicture();
    EXPECT_EQ(full.height, 480);
    EXPECT_EQ(Vector(full.pixels), doubled);
}

TEST(Mpeg4Codec, SizeChangeRecreatesTheDecoderWithItsTraceLine) {
    const EncodedStream large = EncodeStream(720, 480, 1);
    const EncodedStream small = EncodeStream(360, 240, 1);
    TraceCapture trace;
    CCodecMpeg4 decoder;
    ASSERT_TRUE(decoder.Decode(720, 480, large.blocks[0], Plain()));
    ASSERT_TRUE(decoder.Decode(360, 240, small.blocks[0], Plain()));
    EXPECT_GT(Psnr(decoder.GetPicture().pixels, small.pictures[0]), 30.0);
    const auto messages = trace.Messages();
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Init Mpeg4 Decoder: w:720, h:480"),
              messages.end());
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Init Mpeg4 Decoder: w:360, h:240"),
              messages.end());
}

TEST(Mpeg4Codec, WithoutTheLibraryEveryDecodeAndEncodeFails) {
    const EncodedStream stream = EncodeStream(360, 240, 1);
    TraceCapture trace;
    CCodecMpeg4 missing("libtrevix-no-such-codec.so.4");
    EXPECT_FALSE(missing.Decode(360, 240, stream.blocks[0], Plain()));
    EXPECT_FALSE(missing.Decode(360, 240, stream.blocks[0], Plain()));
    EXPECT_TRUE(missing.GetPicture().Empty());
    EXPECT_FALSE(missing.InitEncoder(360, 240));
    EXPECT_TRUE(trace.Has("libtrevix-no-such-codec.so.4 not loaded"));

    // A library without the entry points.
    CCodecMpeg4 wrong("libm.so.6");
    EXPECT_FALSE(wrong.Decode(360, 240, stream.blocks[0], Plain()));
    EXPECT_TRUE(trace.Has("xvid_global_func error"));
}

TEST(Mpeg4Codec, MalformedBlocksFailWithoutHarm) {
    const EncodedStream stream = EncodeStream(360, 240, 2);
    const Bytes& good = stream.blocks[0];
    TraceCapture trace;
    CCodecMpeg4 decoder;

    // No comment segment within the first 32 bytes.
    Bytes noComment = good;
    noComment[2] = 0x00;
    noComment[3] = 0x00;
    EXPECT_FALSE(decoder.Decode(360, 240, noComment, Plain()));

    // The comment segment is not followed by a start code.
    Bytes noStartCode = good;
    noStartCode[kPictureOffset + 2] = 0x07;
    EXPECT_FALSE(decoder.Decode(360, 240, noStartCode, Plain()));
    EXPECT_TRUE(trace.Has("Bad mpeg4 stream"));

    // A comment length that runs past the block.
    Bytes longComment = good;
    longComment[4] = 0xFF;
    EXPECT_FALSE(decoder.Decode(360, 240, longComment, Plain()));

    EXPECT_FALSE(decoder.Decode(0, 0, good, Plain()));
    EXPECT_FALSE(decoder.Decode(360, 240, {}, Plain()));
    EXPECT_FALSE(decoder.Decode(1920, 1080, good, Plain()));

    // Every cut of the block, and random bytes behind a valid header.
    for (std::size_t length = 0; length < good.size(); length += 97)
        decoder.Decode(360, 240, std::span(good).first(length), Plain());
    std::mt19937 random(7);
    for (int i = 0; i < 20; ++i) {
        Bytes noise(2000);
        for (auto& byte : noise)
            byte = static_cast<std::uint8_t>(random());
        noise[0] = 0;
        noise[1] = 0;
        noise[2] = 1;
        noise[3] = 0xB6;
        decoder.Decode(360, 240, MakeMpeg4Block(FrameHeader(2), noise), Plain());
    }

    // The decoder still decodes a good stream afterwards.
    ASSERT_TRUE(decoder.Decode(360, 240, stream.blocks[0], Plain()));
    ASSERT_TRUE(decoder.Decode(360, 240, stream.blocks[1], Plain()));
    EXPECT_GT(Psnr(decoder.GetPicture().pixels, stream.pictures[1]), 30.0);
}

TEST(Mpeg4Codec, StreamLargerThanItsBlockSizeIsRefused) {
    // An 800 x 608 stream in a block whose size code says 720 x 480.
    const EncodedStream large = EncodeStream(800, 608, 1);
    const Bytes block = MakeMpeg4Block(FrameHeader(4), large.elementary[0]);
    CCodecMpeg4 decoder;
    EXPECT_FALSE(decoder.Decode(720, 480, block, Plain()));
    EXPECT_TRUE(decoder.GetPicture().Empty());
    // And a 360 x 240 stream labelled 720 x 480.
    const EncodedStream small = EncodeStream(360, 240, 1);
    EXPECT_FALSE(
        decoder.Decode(720, 480, MakeMpeg4Block(FrameHeader(4), small.elementary[0]), Plain()));
    EXPECT_TRUE(decoder.Decode(360, 240, small.blocks[0], Plain()));
}

TEST(Mpeg4Codec, FfmpegDecodesOurStreamAlike) {
    if (!HaveFfmpeg())
        GTEST_SKIP() << "ffmpeg not installed";
    const EncodedStream stream = EncodeStream(720, 480, 5);
    TempDir dir;
    Bytes elementary;
    for (const Bytes& picture : stream.elementary)
        elementary.insert(elementary.end(), picture.begin(), picture.end());
    const auto input = dir.Write("stream.m4v", std::string(elementary.begin(), elementary.end()));
    const auto raw = FfmpegToBgr("-f m4v", input, dir.Path() / "out.bgr");
    ASSERT_TRUE(raw.has_value());
    const std::size_t frameBytes = 720u * 480 * 3;
    ASSERT_EQ(raw->size(), frameBytes * 5);

    CCodecMpeg4 decoder;
    for (std::size_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(decoder.Decode(720, 480, stream.blocks[i], Plain(0, 0)));
        const std::span<const std::uint8_t> theirs(raw->data() + i * frameBytes, frameBytes);
        Bytes theirsWoven(frameBytes);
        WeaveFields(720, 480, theirs, theirsWoven);
        EXPECT_GT(Psnr(decoder.GetPicture().pixels, theirsWoven), 35.0) << "picture " << i;
    }
}
