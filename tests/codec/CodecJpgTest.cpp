#include "codec/CodecJpg.h"
#include "codec/PictureBlock.h"
#include "playback/PictureFilters.h"
#include "tests/codec/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace trevix;
using namespace trevix::test;

namespace {

PictureOptions Options(int camFlip = 0, int deinterlace = 0, int playState = 1) {
    PictureOptions options;
    options.camFlip = camFlip;
    options.deinterlace = deinterlace;
    options.playState = playState;
    return options;
}

// A recorder JPEG block: our encoder's file carrying a block's frame header.
Bytes JpegBlock(int width, int height, int quality = 90, int frame = 0) {
    CCodecJpg codec;
    const Bytes header = MakeMpeg4Block(FrameHeader(SizeCodeFor(width, height)), {});
    EXPECT_TRUE(
        codec.Encode(header, width, height, SyntheticPicture(width, height, frame), quality));
    return Vector(codec.EncodedData());
}

Bytes MakeSegment(std::uint8_t marker, std::string_view payload) {
    Bytes segment(4 + payload.size());
    segment[0] = 0xFF;
    segment[1] = marker;
    segment[2] = static_cast<std::uint8_t>((payload.size() + 2) >> 8);
    segment[3] = static_cast<std::uint8_t>(payload.size() + 2);
    std::copy(payload.begin(), payload.end(), segment.begin() + 4);
    return segment;
}

} // namespace

TEST(JpegCodec, EncodedBlockStartsWithTheRecorderMarkerAndDecodesBack) {
    const Bytes block = JpegBlock(720, 288);
    ASSERT_TRUE(StartsWithBlockMarker(block));
    EXPECT_EQ(Bytes(block.begin() + 6, block.begin() + 66), FrameHeader(0x83));
    EXPECT_EQ(ClassifyBlock(block), BlockCodec::Jpeg);
    EXPECT_EQ(block[block.size() - 2], 0xFF);
    EXPECT_EQ(block.back(), 0xD9);

    CCodecJpg codec;
    ASSERT_TRUE(codec.Decode(block, Options()));
    const DecodedFrame frame = codec.GetPicture();
    EXPECT_EQ(frame.width, 720);
    EXPECT_EQ(frame.height, 288);
    EXPECT_GT(Psnr(frame.pixels, SyntheticPicture(720, 288)), 30.0);
    EXPECT_EQ(codec.CommentSegment().size(), 64u);
    EXPECT_TRUE(codec.App0Segment().empty());
    EXPECT_TRUE(codec.App1Segment().empty());
}

TEST(JpegCodec, EncodePutsTheBlocksSegmentsInFrontInFixedOrder) {
    // A block whose segments come in another order, followed by picture data.
    Bytes block{0xFF, 0xD8};
    const Bytes comment = MakeSegment(0xFE, "frame header");
    const Bytes app1 = MakeSegment(0xE1, std::string(3000, 'e')); // larger than any fixed copy
    const Bytes app0 = MakeSegment(0xE0, "JFIF");
    for (const Bytes* part : {&comment, &app1, &app0})
        block.insert(block.end(), part->begin(), part->end());
    block.insert(block.end(), {0xFF, 0xDB, 0x00, 0x02});

    CCodecJpg codec;
    ASSERT_TRUE(codec.Encode(block, 64, 48, SyntheticPicture(64, 48), 80));
    const Bytes file = Vector(codec.EncodedData());
    Bytes expectedStart{0xFF, 0xD8};
    for (const Bytes* part : {&app0, &app1, &comment})
        expectedStart.insert(expectedStart.end(), part->begin(), part->end());
    ASSERT_GT(file.size(), expectedStart.size());
    EXPECT_EQ(Bytes(file.begin(), file.begin() + static_cast<long>(expectedStart.size())),
              expectedStart);
    // The encoder's own APP0 is gone: the next marker is a table, not another APP0.
    EXPECT_EQ(file[expectedStart.size()], 0xFF);
    EXPECT_NE(file[expectedStart.size() + 1], 0xE0);

    ASSERT_TRUE(codec.Decode(file, Options()));
    EXPECT_EQ(Vector(codec.App0Segment()), app0);
    EXPECT_EQ(Vector(codec.App1Segment()), app1);
    EXPECT_EQ(Vector(codec.CommentSegment()), comment);

    // Without a block the file carries no recorder segments and still decodes.
    ASSERT_TRUE(codec.Encode({}, 64, 48, SyntheticPicture(64, 48), 80));
    const Bytes bare = Vector(codec.EncodedData());
    EXPECT_EQ(bare[2], 0xFF);
    EXPECT_NE(bare[3], 0xE0);
    EXPECT_TRUE(codec.Decode(bare, Options()));
}

TEST(JpegCodec, CamFlipTurnsThePictureExactly) {
    const Bytes block = JpegBlock(360, 240);
    CCodecJpg codec;
    ASSERT_TRUE(codec.Decode(block, Options(0)));
    const Bytes plain = Vector(codec.GetPicture().pixels);
    const Bytes flipped = FlipVertically(plain, 360, 240);
    ASSERT_TRUE(codec.Decode(block, Options(1)));
    EXPECT_EQ(Vector(codec.GetPicture().pixels), flipped);
    ASSERT_TRUE(codec.Decode(block, Options(2)));
    EXPECT_EQ(Vector(codec.GetPicture().pixels), Mirror(plain, 360, 240));
    ASSERT_TRUE(codec.Decode(block, Options(3))); // turned by 180 degrees
    EXPECT_EQ(Vector(codec.GetPicture().pixels), Mirror(flipped, 360, 240));
}

TEST(JpegCodec, TallPicturesAreWovenAndDeinterlaced) {
    const Bytes block = JpegBlock(720, 480);
    CCodecJpg codec;
    ASSERT_TRUE(codec.Decode(block, Options(0, 0)));
    const Bytes woven = Vector(codec.GetPicture().pixels);
    Bytes expectedWoven(woven.size());
    WeaveFields(720, 480, SyntheticPicture(720, 480), expectedWoven);
    EXPECT_GT(Psnr(woven, expectedWoven), 30.0);
    EXPECT_EQ(codec.FilterBufferSize(), woven.size());

    for (const int mode : {1, 2, 3}) {
        Bytes expected(woven.size());
        Deinterlace(mode, 720, woven, expected, 480);
        ASSERT_TRUE(codec.Decode(block, Options(0, mode)));
        EXPECT_EQ(Vector(codec.GetPicture().pixels), expected) << "mode " << mode;
    }
    // Automatic: image blending at x1, area based interpolation when stopped.
    Bytes blended(woven.size());
    Deinterlace(2, 720, woven, blended, 480);
    ASSERT_TRUE(codec.Decode(block, Options(0, 99, 3)));
    EXPECT_EQ(Vector(codec.GetPicture().pixels), blended);
    Bytes area(woven.size());
    Deinterlace(3, 720, woven, area, 480);
    ASSERT_TRUE(codec.Decode(block, Options(0, 99, 1)));
    EXPECT_EQ(Vector(codec.GetPicture().pixels), area);

    // 352 lines and fewer are never woven.
    ASSERT_TRUE(codec.Decode(JpegBlock(360, 288), Options(0, 99)));
    EXPECT_GT(Psnr(codec.GetPicture().pixels, SyntheticPicture(360, 288)), 30.0);
}

TEST(JpegCodec, SavedStillOfAnMpeg4PictureCarriesItsFrameHeaderAndIsDoubled) {
    TempDir dir;
    const Bytes mpeg4Block = MakeMpeg4Block(FrameHeader(3), Bytes{0, 0, 1, 0xB6, 0x10, 0x20});
    const Bytes picture = SyntheticPicture(720, 240);
    const auto path = dir.Path() / "still.jpg";
    CCodecJpg codec;
    ASSERT_TRUE(codec.SaveJpegFile(240, 720, picture, 90, mpeg4Block, path));

    const std::string text = ReadFile(path);
    const Bytes file(text.begin(), text.end());
    CCodecJpg reader;
    ASSERT_TRUE(reader.Decode(file, Options(0, 0)));
    EXPECT_EQ(reader.GetPicture().height, 480);
    EXPECT_EQ(Vector(reader.CommentSegment()),
              Bytes(mpeg4Block.begin() + 2, mpeg4Block.begin() + 66));

    // The stored picture is the doubled field (woven again on reading, so compare raw).
    Bytes doubled(picture.size() * 2);
    DoubleLines(720, 240, picture, doubled);
    if (!HaveFfmpeg())
        GTEST_SKIP() << "ffmpeg not installed";
    const auto theirs = FfmpegToBgr("", path, dir.Path() / "still.bgr");
    ASSERT_TRUE(theirs.has_value());
    ASSERT_EQ(theirs->size(), doubled.size());
    EXPECT_GT(Psnr(*theirs, doubled), 30.0);

    // Writing into a folder that does not exist fails.
    EXPECT_FALSE(codec.SaveJpegFile(240, 720, picture, 90, mpeg4Block, dir.Path() / "no/x.jpg"));
}

TEST(JpegCodec, FfmpegDecodesOurJpegAlike) {
    if (!HaveFfmpeg())
        GTEST_SKIP() << "ffmpeg not installed";
    TempDir dir;
    const Bytes block = JpegBlock(360, 240, 95);
    const auto path = dir.Write("block.jpg", std::string(block.begin(), block.end()));
    const auto theirs = FfmpegToBgr("", path, dir.Path() / "block.bgr");
    ASSERT_TRUE(theirs.has_value());
    CCodecJpg codec;
    ASSERT_TRUE(codec.Decode(block, Options()));
    ASSERT_EQ(theirs->size(), codec.GetPicture().pixels.size());
    EXPECT_GT(Psnr(*theirs, codec.GetPicture().pixels), 30.0); // chroma upsampling differs
}

TEST(JpegCodec, BadFilesFailTheDecode) {
    CCodecJpg codec;
    const Bytes good = JpegBlock(360, 240);
    ASSERT_TRUE(codec.Decode(good, Options()));

    EXPECT_FALSE(codec.Decode({}, Options()));
    EXPECT_TRUE(codec.GetPicture().Empty()); // the previous picture is not offered again
    EXPECT_FALSE(codec.Decode(Bytes{0xFF, 0xD8, 0xFF, 0xD9}, Options()));
    std::mt19937 random(3);
    Bytes noise(3000);
    for (auto& byte : noise)
        byte = static_cast<std::uint8_t>(random());
    noise[0] = 0xFF;
    noise[1] = 0xD8;
    EXPECT_FALSE(codec.Decode(noise, Options()));

    // Every cut of the file: a failed decode or a partial picture, never a crash.
    // A failed file must not spoil the next good one.
    for (std::size_t length = 0; length < good.size(); length += 61) {
        codec.Decode(std::span(good).first(length), Options(3, 99));
        ASSERT_TRUE(codec.Decode(good, Options())) << "after a cut at " << length;
    }

    // Width 0 in the frame header of the picture.
    Bytes zeroWidth = good;
    for (std::size_t i = 2; i + 9 < zeroWidth.size(); ++i)
        if (zeroWidth[i] == 0xFF && zeroWidth[i + 1] == 0xC0) {
            zeroWidth[i + 7] = 0;
            zeroWidth[i + 8] = 0;
            break;
        }
    EXPECT_FALSE(codec.Decode(zeroWidth, Options()));

    // Larger than the recorder's largest picture.
    CCodecJpg encoder;
    ASSERT_TRUE(encoder.Encode({}, 800, 600, SyntheticPicture(800, 600), 50));
    EXPECT_FALSE(codec.Decode(encoder.EncodedData(), Options()));
    ASSERT_TRUE(encoder.Encode({}, 720, 577, SyntheticPicture(720, 577), 50));
    EXPECT_FALSE(codec.Decode(encoder.EncodedData(), Options()));

    // Encoding refuses a picture shorter than its size.
    EXPECT_FALSE(encoder.Encode({}, 360, 240, Bytes(100), 50));
    EXPECT_FALSE(encoder.Encode({}, 0, 240, Bytes(100), 50));

    EXPECT_TRUE(codec.Decode(good, Options()));
}
