#include "codec/PictureBlock.h"
#include "tests/codec/CodecTestSupport.h"

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;

TEST(PictureBlock, SizeCodesGiveTheRecorderSizes) {
    EXPECT_EQ(PictureSizeFromCode(2), (PictureSize{360, 240}));
    EXPECT_EQ(PictureSizeFromCode(3), (PictureSize{720, 240}));
    EXPECT_EQ(PictureSizeFromCode(4), (PictureSize{720, 480}));
    EXPECT_EQ(PictureSizeFromCode(0x82), (PictureSize{360, 288}));
    EXPECT_EQ(PictureSizeFromCode(0x83), (PictureSize{720, 288}));
    EXPECT_EQ(PictureSizeFromCode(0x84), (PictureSize{720, 576}));
    for (const std::uint8_t other : {0, 1, 5, 0x80, 0x85, 0xFF})
        EXPECT_EQ(PictureSizeFromCode(other), (PictureSize{720, 480})) << int(other);

    const Bytes block = MakeMpeg4Block(FrameHeader(0x83), Bytes{0, 0, 1, 0xB6});
    EXPECT_EQ(PictureSizeOfBlock(block), (PictureSize{720, 288}));
    EXPECT_FALSE(PictureSizeOfBlock(std::span(block).first(20)));
    EXPECT_TRUE(PictureSizeOfBlock(std::span(block).first(21)));
}

TEST(PictureBlock, MadeBlocksHaveTheRecorderLayout) {
    const Bytes block = MakeMpeg4Block(FrameHeader(4), Bytes{0, 0, 1, 0xB6, 0x55});
    ASSERT_EQ(block.size(), 71u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 6), (Bytes{0xFF, 0xD8, 0xFF, 0xFE, 0, 62}));
    EXPECT_EQ(Bytes(block.begin() + 6, block.begin() + 66), FrameHeader(4));
    EXPECT_EQ(block[66], 0);
    EXPECT_EQ(ClassifyBlock(block), BlockCodec::Mpeg4);
    const auto comment = FindCommentSegment(block);
    ASSERT_TRUE(comment);
    EXPECT_EQ(comment->offset, 2u);
    EXPECT_EQ(comment->bytes.size(), 64u);
}

TEST(PictureBlock, CommentSegmentMustStartEarlyAndFitTheBlock) {
    Bytes late(40, 0);
    late[32] = 0xFF;
    late[33] = 0xFE;
    late[35] = 4;
    EXPECT_FALSE(FindCommentSegment(late));
    EXPECT_TRUE(FindCommentSegment(late, 40));

    Bytes cut{0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x10, 1, 2, 3};
    EXPECT_FALSE(FindCommentSegment(cut)); // says 16 bytes, holds 5
    Bytes tooShortLength{0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x01, 1};
    EXPECT_FALSE(FindCommentSegment(tooShortLength));
    EXPECT_FALSE(FindCommentSegment(Bytes{0xFF}));
}

TEST(PictureBlock, LeadingSegmentWalkTakesUpToThreeKnownSegments) {
    const Bytes file{0xFF, 0xD8, 0xFF, 0xE1, 0,   3,   'x',  0xFF, 0xE0, 0, 2,
                     0xFF, 0xFE, 0,    4,    'a', 'b', 0xFF, 0xDB, 0,    2};
    const LeadingSegments segments = WalkLeadingSegments(file);
    EXPECT_EQ(Vector(segments.app1), (Bytes{0xFF, 0xE1, 0, 3, 'x'}));
    EXPECT_EQ(Vector(segments.app0), (Bytes{0xFF, 0xE0, 0, 2}));
    EXPECT_EQ(Vector(segments.comment), (Bytes{0xFF, 0xFE, 0, 4, 'a', 'b'}));
    EXPECT_EQ(segments.end, 17u);
    EXPECT_EQ(ClassifyBlock(file), BlockCodec::Jpeg);

    // Another marker ends the walk; so does a segment longer than the data.
    const Bytes other{0xFF, 0xD8, 0xFF, 0xDB, 0, 2, 0xFF, 0xFE, 0, 2};
    EXPECT_TRUE(WalkLeadingSegments(other).comment.empty());
    EXPECT_EQ(WalkLeadingSegments(other).end, 2u);
    const Bytes overrun{0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0, 1, 2};
    EXPECT_TRUE(WalkLeadingSegments(overrun).app0.empty());
    EXPECT_EQ(ClassifyBlock(overrun), BlockCodec::Jpeg); // a cut JPEG: its decoder refuses it
    EXPECT_EQ(ClassifyBlock(Bytes{}), BlockCodec::Unknown);
}

TEST(PictureBlock, FirstBlockEndsAtTheNextMarker) {
    Bytes two = MakeMpeg4Block(FrameHeader(2), Bytes{0, 0, 1, 0xB6, 9});
    const std::size_t first = two.size();
    const Bytes second = MakeMpeg4Block(FrameHeader(2), Bytes{0, 0, 1, 0xB6});
    two.insert(two.end(), second.begin(), second.end());
    EXPECT_EQ(FirstBlockLength(two), first);
    EXPECT_EQ(FirstBlockLength(second), second.size());
    EXPECT_EQ(FirstBlockLength(Bytes{0xFF, 0xD8}), 2u);
}

TEST(PictureBlock, LayerHeaderSizesAreReadAndCutHeadersReportZero) {
    // video_object_layer: random access 0, type 1, no identifier, aspect 1, no control
    // parameters, rectangular, resolution 30 without fixed rate, 360 x 240.
    // Bits: 0 00000001 0 0001 0 00 1 0000000000011110 1 0 1 0000101101000 1 0000011110000 1
    const Bytes stream{0x00, 0x00, 0x01, 0x20, 0x00, 0x84, 0x40, 0x07, 0xA8,
                       0x5A, 0x20, 0xF0, 0x80, 0x00, 0x00, 0x01, 0xB6};
    const auto sizes = VolSizesInStream(stream);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0], (PictureSize{360, 240}));
    const auto cut = VolSizesInStream(std::span(stream).first(9));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0], (PictureSize{0, 0}));
    EXPECT_TRUE(VolSizesInStream(Bytes{0, 0, 1, 0xB6, 0, 0, 1}).empty());
}
