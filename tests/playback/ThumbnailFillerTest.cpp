// The thumbnail filler on generated cards: MPEG-4 and JPEG channels, fewer earlier pictures
// than half the panes, walks across file boundaries and the channel's end.
#include "catalogue/ThumbnailFiller.h"

#include "codec/PictureBlock.h"
#include "tests/support/TempDir.h"
#include "tools/mkcard/CardWriter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trevix;

namespace {

struct ThumbCall {
    int pane = 0;
    bool picture = false;
    int fileIndex = -1;
    int frameIndex = -1;
    int frameCount = 0;
    std::uint8_t phase = 0;
    std::vector<std::uint8_t> pixels;
};

class CapturedThumbnails : public IThumbnailPanes {
public:
    void SetFrame(std::uint8_t, std::uint8_t phase, const PaneFrame& frame) override {
        calls.push_back({frame.pane, frame.HasPicture(), frame.fileIndex, frame.frameIndex,
                         frame.frameCount, phase,
                         std::vector<std::uint8_t>(frame.pixels.begin(), frame.pixels.end())});
    }
    void RepaintAll() override {}
    void SetThumbCurrent(int pane) override {
        current = pane;
        currentSetBeforePictures = calls.empty();
    }
    std::vector<ThumbCall> calls;
    int current = -99;
    bool currentSetBeforePictures = false;
};

class ThumbnailFillerTest : public ::testing::Test {
protected:
    // A card with the given recordings; the channel is built from channel 0's files of all.
    void Write(std::vector<mkcard::RecordingDesc> recordings) {
        mkcard::CardDesc desc;
        desc.recordings = std::move(recordings);
        desc.autoLogs = false;
        card_ = mkcard::WriteCard(desc, dir_.Path());
        ASSERT_TRUE(card_.Ok()) << card_.error;
        for (const auto& written : card_.recordings) {
            if (const auto* channel = written.Channel(0)) {
                ASSERT_TRUE(channel_.AddFile(channel->data.string()));
            }
        }
    }
    void PutCursor(int file, int frame) {
        channel_.m_nCurFile = file;
        channel_.m_arrFiles[static_cast<std::size_t>(file)].m_nCurFrame = frame;
    }
    std::vector<std::uint8_t> Block(int file, int frame) const {
        return channel_.ReadFrameAt(file, frame);
    }
    // The picture decoded the long way: every picture of the file from its first on.
    std::vector<std::uint8_t> Mpeg4Reference(int file, int frame) const {
        CCodecMpeg4 decoder;
        std::vector<std::uint8_t> pixels;
        for (int i = 0; i <= frame; ++i) {
            const auto block = Block(file, i);
            const auto size = PictureSizeOfBlock(block);
            if (size && decoder.Decode(size->width, size->height, block, {}) && i == frame) {
                const auto picture = decoder.GetPicture().pixels;
                pixels.assign(picture.begin(), picture.end());
            }
        }
        return pixels;
    }

    test::ScopedTimeZone zone_{"UTC"};
    test::TempDir dir_;
    mkcard::WrittenCard card_;
    CDriveRecChannel channel_{0};
    CapturedThumbnails panes_;
    CThumbnailFiller filler_;
};

mkcard::RecordingDesc Normal(int files, int seconds, mkcard::Codec codec) {
    mkcard::RecordingDesc desc;
    desc.kind = mkcard::RecordingKind::Normal;
    desc.startSeconds = 0;
    desc.files = files;
    desc.fileSeconds = seconds;
    desc.codec = codec;
    desc.audio.reset();
    return desc;
}

} // namespace

TEST_F(ThumbnailFillerTest, Mpeg4FewEarlierPicturesClearsLeadingPanes) {
    Write({Normal(1, 4, mkcard::Codec::Mpeg4)});
    ASSERT_EQ(channel_.m_arrFiles.size(), 1u);
    const int count = channel_.m_arrFiles[0].m_nFrameCount;
    ASSERT_GE(count, 16);
    PutCursor(0, 3);
    const auto result = filler_.Fill(channel_, 2, {}, panes_);
    EXPECT_EQ(result.currentPane, 8);
    EXPECT_EQ(panes_.current, 8);
    EXPECT_TRUE(panes_.currentSetBeforePictures);
    ASSERT_EQ(panes_.calls.size(), 16u);
    for (int pane = 0; pane < 16; ++pane) {
        const ThumbCall& call = panes_.calls[static_cast<std::size_t>(pane)];
        EXPECT_EQ(call.pane, pane);
        // Three earlier pictures: panes 0-4 stay empty, 5-15 show frames 0-10.
        EXPECT_EQ(call.picture, pane >= 5) << pane;
        if (!call.picture)
            continue;
        EXPECT_EQ(call.frameIndex, pane - 5);
        EXPECT_EQ(call.frameCount, count);
        EXPECT_EQ(call.phase, 1);
    }
    EXPECT_EQ(result.shown, 11);
    // Predicted pictures decode as they do from the start of the file.
    for (const int pane : {5, 8, 15})
        EXPECT_EQ(panes_.calls[static_cast<std::size_t>(pane)].pixels, Mpeg4Reference(0, pane - 5))
            << pane;
    // The channel's cursor is where it was.
    EXPECT_EQ(channel_.CurrentFrameIndex(), 3);
}

TEST_F(ThumbnailFillerTest, Mpeg4PredictedFirstPictureAcrossFiles) {
    Write({Normal(3, 2, mkcard::Codec::Mpeg4)});
    ASSERT_EQ(channel_.m_arrFiles.size(), 3u);
    const int perFile = channel_.m_arrFiles[0].m_nFrameCount;
    ASSERT_EQ(perFile, 10);
    // Current: the third picture of the second file; eight back starts in the first file.
    PutCursor(1, 2);
    const auto result = filler_.Fill(channel_, 0, {}, panes_);
    ASSERT_EQ(panes_.calls.size(), 16u);
    EXPECT_EQ(result.shown, 16);
    const std::vector<std::pair<int, int>> expected = {
        {0, 4}, {0, 5}, {0, 6}, {0, 7}, {0, 8}, {0, 9}, {1, 0}, {1, 1},
        {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8}, {1, 9}};
    for (std::size_t pane = 0; pane < expected.size(); ++pane) {
        EXPECT_EQ(std::make_pair(panes_.calls[pane].fileIndex, panes_.calls[pane].frameIndex),
                  expected[pane])
            << pane;
    }
    // The first picture shown (frame 4, predicted) needed the intra picture before it.
    ASSERT_NE(channel_.m_arrFiles[0].m_pFrames[4].byType, kFrameTypeIntra);
    EXPECT_EQ(panes_.calls[0].pixels, Mpeg4Reference(0, 4));
    EXPECT_EQ(panes_.calls[8].pixels, Mpeg4Reference(1, 2));
}

TEST_F(ThumbnailFillerTest, JpegChannelEndsWithClearedPanes) {
    Write({Normal(2, 2, mkcard::Codec::Jpeg)});
    ASSERT_EQ(channel_.m_arrFiles.size(), 2u);
    ASSERT_EQ(channel_.m_arrFiles[1].m_nFrameCount, 10);
    // Current: the second-to-last picture; only one follows it.
    PutCursor(1, 8);
    const auto result = filler_.Fill(channel_, 0, {}, panes_);
    ASSERT_EQ(panes_.calls.size(), 16u);
    EXPECT_EQ(result.shown, 10);
    for (int pane = 0; pane < 16; ++pane) {
        const ThumbCall& call = panes_.calls[static_cast<std::size_t>(pane)];
        EXPECT_EQ(call.picture, pane <= 9) << pane;
        if (call.picture) {
            EXPECT_EQ(call.fileIndex, 1);
        }
    }
    EXPECT_EQ(panes_.calls[8].frameIndex, 8);
    CCodecJpg jpeg;
    ASSERT_TRUE(jpeg.Decode(Block(1, 8), {}));
    const auto pixels = jpeg.GetPicture().pixels;
    EXPECT_EQ(panes_.calls[8].pixels, std::vector<std::uint8_t>(pixels.begin(), pixels.end()));
}

TEST_F(ThumbnailFillerTest, NoCurrentPictureClearsEveryPane) {
    Write({Normal(1, 2, mkcard::Codec::Jpeg)});
    const auto result = filler_.Fill(channel_, 0, {}, panes_); // no file is current
    EXPECT_EQ(result.currentPane, -1);
    EXPECT_EQ(panes_.current, -1);
    ASSERT_EQ(panes_.calls.size(), 16u);
    for (const ThumbCall& call : panes_.calls)
        EXPECT_FALSE(call.picture);
}

TEST_F(ThumbnailFillerTest, UnreadableBlockLeavesItsPaneEmpty) {
    Write({Normal(1, 4, mkcard::Codec::Jpeg)});
    // A record pointing past the end of the data file (an index that lies).
    channel_.m_arrFiles[0].m_pFrames[9].dwOffset = 0x7FFFFFF0;
    PutCursor(0, 9);
    filler_.Fill(channel_, 0, {}, panes_);
    ASSERT_EQ(panes_.calls.size(), 16u);
    EXPECT_FALSE(panes_.calls[8].picture);
    EXPECT_TRUE(panes_.calls[7].picture);
    EXPECT_TRUE(panes_.calls[9].picture);
}
